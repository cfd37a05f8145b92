#pragma once

#include <QDateTime>
#include <vector>

#include "Clock.h"
#include "Timer.h"

// A controllable time source for tests: timers that tick only when the test advances time, and a
// local clock that moves with them. Nothing ever waits.
class SteppedTime : public TimerFactory, public Clock {
public:
    explicit SteppedTime(QDateTime start = QDateTime(QDate(2025, 3, 3), QTime(14, 5, 9, 42)));
    ~SteppedTime() override;

    std::unique_ptr<Timer> create() override;
    QDateTime now() const override;
    qint64 steadyMs() const override { return elapsed_; }

    // Moves time forward, firing every due tick in time order (timers created first fire first at
    // the same instant). The clock reads each tick's own time while its handler runs.
    void advance(qint64 milliseconds);
    // Sets the clock without firing anything.
    void setNow(const QDateTime& time);
    // Time that passes while a handler works: the clock moves, ticks that fall due wait for the
    // next advance().
    void spend(qint64 milliseconds) { elapsed_ += milliseconds; }
    qint64 elapsed() const { return elapsed_; }

private:
    friend class SteppedTimer;
    QDateTime start_;
    qint64 elapsed_ = 0;
    std::vector<class SteppedTimer*> timers_;
};
