#pragma once

#include <functional>
#include <memory>

class QObject;

// A user-interface timer: calls onTimeout on the UI thread once per period while enabled; disabling
// and enabling again starts the period anew.
class Timer {
public:
    virtual ~Timer() = default;

    virtual void setInterval(int milliseconds) = 0;
    virtual int interval() const = 0;
    virtual void setEnabled(bool enabled) = 0;
    virtual bool isEnabled() const = 0;

    std::function<void()> onTimeout;
};

// Where the component gets its timers from: QTimer in production, stepped timers in tests.
class TimerFactory {
public:
    virtual ~TimerFactory() = default;
    virtual std::unique_ptr<Timer> create() = 0;
};

// Timers on QTimer, ticking in the calling thread's event loop.
class QtTimerFactory : public TimerFactory {
public:
    std::unique_ptr<Timer> create() override;
};
