#pragma once

#include <QDateTime>

// The local clock with millisecond resolution, and a steady count of milliseconds for measuring
// how long work takes. Tests set both; production reads the system.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    // The same moment as now(), as milliseconds since 1970 UTC: one cheap reading for code that
    // stamps every line.
    virtual qint64 epochMs() const { return now().toMSecsSinceEpoch(); }
    // Milliseconds from an arbitrary start; never goes back, whatever happens to the wall clock.
    virtual qint64 steadyMs() const = 0;
};

class SystemClock : public Clock {
public:
    QDateTime now() const override;
    qint64 epochMs() const override;
    qint64 steadyMs() const override;
};
