// The receive path behind the fake serial layer and stepped time, driven by a script read from the
// input: chunks and floods of bytes, polls, failed and empty reads, reopening, timestamps on and
// off, and line handlers that fail or take long. Rules: the waiting text stays within one
// mebibyte, and within 4096 bytes with no line feed after every pass that ran to its end; every
// raised line is non-empty, holds no line feed or zero byte, and begins and ends with a byte of 33
// or above; the log holds one record per raised line, in order, stamped when stamps were on.
#include <QFile>
#include <cstdint>

#include "FakeSerialLayer.h"
#include "FuzzSupport.h"
#include "Plovikserialgps.h"
#include "SerialPlatform.h"
#include "SteppedTime.h"

namespace {

constexpr qsizetype kWaitingLimit = 1024 * 1024;
constexpr int kMaxPolls = 3000;
// Past this many lines the handler closes the port, which keeps one input from logging for long.
constexpr int kMaxLines = 4000;
constexpr qsizetype kMaxInput = 3 * 1024 * 1024;

struct HandlerFailure {};

// A device of the fake layer whose reads can also deliver nothing while bytes wait.
class EmptyReadDevice : public SerialDevice {
public:
    EmptyReadDevice(std::unique_ptr<SerialDevice> device, const bool& empty)
        : device_(std::move(device)), empty_(empty) {}

    bool getLineSettings(LineSettings& s) override { return device_->getLineSettings(s); }
    bool setLineSettings(const LineSettings& s) override { return device_->setLineSettings(s); }
    bool setTimeouts(const SerialTimeouts& t) override { return device_->setTimeouts(t); }
    bool purge() override { return device_->purge(); }
    qint64 bytesWaiting() override { return device_->bytesWaiting(); }
    qint64 read(char* data, qint64 maxSize) override {
        return empty_ ? 0 : device_->read(data, maxSize);
    }
    qint64 write(const char* data, qint64 size) override { return device_->write(data, size); }
    bool isGone() override { return device_->isGone(); }
    SerialFailure failure() const override { return device_->failure(); }

private:
    std::unique_ptr<SerialDevice> device_;
    const bool& empty_;
};

class EmptyReadLayer : public SerialLayer {
public:
    std::unique_ptr<SerialDevice> open(const QString& name, SerialFailure& failure) override {
        std::unique_ptr<SerialDevice> device = fake.open(name, failure);
        return device ? std::make_unique<EmptyReadDevice>(std::move(device), emptyReads) : nullptr;
    }
    DeviceIdentity identify(const QString& name) override { return fake.identify(name); }

    FakeSerialLayer fake;
    bool emptyReads = false;
};

class Script {
public:
    Script(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool done() const { return at_ >= size_; }
    uint8_t next() { return done() ? 0 : data_[at_++]; }
    QByteArray take(size_t count) {
        count = std::min(count, size_ - at_);
        const QByteArray bytes(reinterpret_cast<const char*>(data_ + at_), qsizetype(count));
        at_ += count;
        return bytes;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

enum class Handler { Works, AlwaysFails, FailsEveryOther, Slow };

bool IsRaisedLine(const QByteArray& line) {
    return !line.isEmpty() && !line.contains('\n') && !line.contains('\0') &&
           uchar(line.front()) >= 33 && uchar(line.back()) >= 33;
}

QByteArray Stamp(const QDateTime& moment) {
    return moment.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HHmmsszzz")).toLatin1();
}

struct Run {
    Run() {
        gps.Ports.setExplicitEntries({{1, QStringLiteral("/dev/fake")}});
        gps.LogEnabled = true;
        gps.LogFileName = logPath().toLocal8Bit();
        QFile::remove(logPath());
        gps.OnNewCommand = [this](TPlovikSerialGPS*, QByteArray line) { raised(line); };
        gps.Open();
    }

    static QString logPath() { return ScratchFile(QStringLiteral("lines.log")); }

    void raised(const QByteArray& line) {
        FUZZ_CHECK(IsRaisedLine(line));
        if (gps.LogFile)
            records += (gps.LogTimestamps ? Stamp(time.now()) + ' ' : QByteArray()) + line + "\r\n";
        if (++lines == kMaxLines)
            gps.Close();
        switch (handler) {
            case Handler::Works:
                break;
            case Handler::AlwaysFails:
                throw HandlerFailure();
            case Handler::FailsEveryOther:
                if (lines % 2 == 0)
                    throw HandlerFailure();
                break;
            case Handler::Slow:
                time.spend(7);
                break;
        }
    }

    void poll() {
        if (++polls > kMaxPolls)
            return;
        const qsizetype waiting = layer.fake.input.size();
        try {
            time.advance(gps.PollInterval);
            // Data taken without a failure means the pass that followed ran to its end.
            if (layer.fake.input.size() < waiting)
                passEnded = true;
        } catch (const HandlerFailure&) {
            passEnded = false;
        }
    }

    void feed(const QByteArray& bytes) {
        if (fed + bytes.size() > kMaxInput)
            return;
        fed += bytes.size();
        layer.fake.input += bytes;
    }

    void step(Script& script) {
        switch (script.next() % 10) {
            case 0:
                lastChunk = script.take(script.next());
                feed(lastChunk);
                break;
            case 1:
                poll();
                break;
            case 2:
                for (int i = script.next() * 8; i >= 0; --i)
                    poll();
                break;
            case 3: {
                // Up to a mebibyte of the last chunk over and over: enough for every bound.
                const QByteArray unit = lastChunk.isEmpty() ? QByteArray("x\n") : lastChunk;
                feed(unit.repeated((script.next() * 4096 + 1) / unit.size() + 1));
                break;
            }
            case 4:
                layer.fake.failRead = !layer.fake.failRead;
                break;
            case 5:
                layer.fake.failQuery = !layer.fake.failQuery;
                break;
            case 6:
                layer.emptyReads = !layer.emptyReads;
                break;
            case 7:
                handler = static_cast<Handler>(script.next() % 4);
                break;
            case 8:
                if (lines >= kMaxLines)
                    break;
                gps.Close();
                gps.Open();
                FUZZ_CHECK(gps.Connected);
                passEnded = true;
                break;
            case 9:
                gps.LogTimestamps = !gps.LogTimestamps;
                break;
        }
        FUZZ_CHECK(gps.ReceiveBuffer.size() <= kWaitingLimit);
        if (passEnded) {
            FUZZ_CHECK(!gps.ReceiveBuffer.contains('\n'));
            FUZZ_CHECK(gps.ReceiveBuffer.size() <= 4096);
        }
    }

    void checkLog() {
        gps.Close();
        QFile log(logPath());
        FUZZ_CHECK(log.open(QIODevice::ReadOnly));
        FUZZ_CHECK(log.readAll() == records);
    }

    EmptyReadLayer layer;
    SteppedTime time;
    TPlovikSerialGPS gps{nullptr, SerialPlatform{&layer, &time, &time}};
    Handler handler = Handler::Works;
    QByteArray lastChunk;
    QByteArray records;
    int lines = 0;
    int polls = 0;
    qsizetype fed = 0;
    bool passEnded = true;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TPlovikSerialGPS::SilenceReported = false;
    Run run;
    Script script(data, size);
    while (!script.done())
        run.step(script);
    run.checkLog();
    return 0;
}
