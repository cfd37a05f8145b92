#include "SteppedTime.h"

#include <algorithm>

class SteppedTimer : public Timer {
public:
    explicit SteppedTimer(SteppedTime& time) : time_(time) { time_.timers_.push_back(this); }
    ~SteppedTimer() override { std::erase(time_.timers_, this); }

    void setInterval(int milliseconds) override {
        interval_ = milliseconds;
        if (enabled_) due_ = time_.elapsed_ + interval_;
    }
    int interval() const override { return interval_; }
    void setEnabled(bool enabled) override {
        if (enabled && !enabled_) due_ = time_.elapsed_ + interval_;
        enabled_ = enabled;
    }
    bool isEnabled() const override { return enabled_; }

    qint64 due_ = 0;
    int interval_ = 1000;
    bool enabled_ = false;

private:
    SteppedTime& time_;
};

SteppedTime::SteppedTime(QDateTime start) : start_(std::move(start)) {}

SteppedTime::~SteppedTime() = default;

std::unique_ptr<Timer> SteppedTime::create() { return std::make_unique<SteppedTimer>(*this); }

QDateTime SteppedTime::now() const { return start_.addMSecs(elapsed_); }

void SteppedTime::setNow(const QDateTime& time) { start_ = time.addMSecs(-elapsed_); }

void SteppedTime::advance(qint64 milliseconds) {
    const qint64 target = elapsed_ + milliseconds;
    for (;;) {
        SteppedTimer* next = nullptr;
        for (SteppedTimer* timer : timers_) {
            if (timer->enabled_ && timer->due_ <= target && (!next || timer->due_ < next->due_))
                next = timer;
        }
        if (!next) break;
        elapsed_ = next->due_;
        next->due_ += std::max(next->interval_, 1);
        if (next->onTimeout) next->onTimeout();
    }
    elapsed_ = target;
}
