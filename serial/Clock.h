#pragma once

#include <QDateTime>

// The local clock with millisecond resolution, and a steady count of milliseconds for measuring
// how long work takes. Tests set both; production reads the system.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    // Milliseconds from an arbitrary start; never goes back, whatever happens to the wall clock.
    virtual qint64 steadyMs() const = 0;
};

class SystemClock : public Clock {
public:
    QDateTime now() const override;
    qint64 steadyMs() const override;
};
