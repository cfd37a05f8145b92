#include "PtyHarness.h"

#include <QDeadlineTimer>
#include <QThread>
#include <atomic>
#include <thread>

namespace {

constexpr int kGiveUpMs = 60000;

// A real device whose reads are counted.
class CountedDevice : public SerialDevice {
public:
    CountedDevice(std::unique_ptr<SerialDevice> real, qint64& bytesRead)
        : real_(std::move(real)), bytesRead_(bytesRead) {}

    bool getLineSettings(LineSettings& settings) override {
        return real_->getLineSettings(settings);
    }
    bool setLineSettings(const LineSettings& settings) override {
        return real_->setLineSettings(settings);
    }
    bool setTimeouts(const SerialTimeouts& timeouts) override {
        return real_->setTimeouts(timeouts);
    }
    bool purge() override { return real_->purge(); }
    qint64 bytesWaiting() override { return real_->bytesWaiting(); }
    qint64 read(char* data, qint64 maxSize) override {
        const qint64 n = real_->read(data, maxSize);
        if (n > 0)
            bytesRead_ += n;
        return n;
    }
    qint64 write(const char* data, qint64 size) override { return real_->write(data, size); }
    bool isGone() override { return real_->isGone(); }
    SerialFailure failure() const override { return real_->failure(); }

private:
    std::unique_ptr<SerialDevice> real_;
    qint64& bytesRead_;
};

}  // namespace

std::unique_ptr<SerialDevice> CountingSerialLayer::open(const QString& deviceName,
                                                        SerialFailure& failure) {
    ++opens;
    std::unique_ptr<SerialDevice> device = real_.open(deviceName, failure);
    if (!device)
        return nullptr;
    return std::make_unique<CountedDevice>(std::move(device), bytesRead);
}

bool StepUntil(SteppedTime& time, const std::function<bool()>& done, int stepMs, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        time.advance(stepMs);
        QThread::msleep(1);
    }
    return true;
}

PtyReceiver::PtyReceiver(int pollPeriod) {
    gps.Ports.setExplicitEntries({{1, pty.devicePath()}});
    gps.PollInterval = pollPeriod;
    gps.OnNewCommand = [this](TPlovikSerialGPS*, QByteArray line) { lines.append(line); };
}

bool PtyReceiver::transfer(const QByteArray& data) {
    std::atomic<bool> finished = false;
    bool complete = false;
    std::thread writer([&] {
        complete = pty.write(data, kGiveUpMs);
        finished = true;
    });
    const QDeadlineTimer deadline(kGiveUpMs);
    while (!finished && !deadline.hasExpired())
        pollOnce();
    writer.join();
    written_ += data.size();
    // What the last writes left in the driver arrives in the kernel's time, however loaded the
    // machine is; the count of bytes read says when it is all in.
    while (layer.bytesRead < written_ && !deadline.hasExpired())
        pollOnce();
    return complete && layer.bytesRead == written_;
}

void PtyReceiver::pollOnce() {
    const qint64 before = layer.bytesRead;
    time.advance(gps.PollTimer->interval());
    if (layer.bytesRead == before)
        QThread::msleep(1);
}
