#pragma once

#include <QDateTime>

// The local clock with millisecond resolution. Tests set the time; production reads the system.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock : public Clock {
public:
    QDateTime now() const override;
};
