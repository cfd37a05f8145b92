#include "Clock.h"

#include <chrono>

QDateTime SystemClock::now() const {
    return QDateTime::currentDateTime();
}

qint64 SystemClock::epochMs() const {
    return QDateTime::currentMSecsSinceEpoch();
}

qint64 SystemClock::steadyMs() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
