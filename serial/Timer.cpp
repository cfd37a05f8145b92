#include "Timer.h"

#include <QTimer>

namespace {

class QtTimer : public Timer {
public:
    QtTimer() {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (onTimeout) onTimeout();
        });
    }

    void setInterval(int milliseconds) override { timer_.setInterval(milliseconds); }
    int interval() const override { return timer_.interval(); }
    void setEnabled(bool enabled) override {
        // Like a window timer: enabling a running timer changes nothing; only disable-then-enable
        // starts the period anew.
        if (!enabled)
            timer_.stop();
        else if (!timer_.isActive())
            timer_.start();
    }
    bool isEnabled() const override { return timer_.isActive(); }

private:
    QTimer timer_;
};

}  // namespace

std::unique_ptr<Timer> QtTimerFactory::create() { return std::make_unique<QtTimer>(); }
