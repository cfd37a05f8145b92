#include "QtSerialLayer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <algorithm>
#include <cerrno>

#include "CharacterFormat.h"
#include "DeviceHolder.h"
#include "ExclusiveHold.h"
#include "LineSettingsText.h"
#include "QtLineSettings.h"
#include "ReadPacing.h"
#include "SystemFailure.h"
#include "TerminalIo.h"

namespace {

// Qt keeps what arrives between two polls. Beyond this backlog it stops taking bytes and the
// driver's own buffer holds them back, as it would without Qt in between.
constexpr qint64 kReadBacklogLimit = 1024 * 1024;
// One count or read moves at most about this much from the driver to Qt.
constexpr qint64 kTakeAtOnce = 64 * 1024;

// Where QSerialPort looks for a port name: paths as they are, Windows device names ("\\.\COM3")
// too, bare names below /dev.
QString DeviceLocation(const QString& name) {
    const bool isPath = name.startsWith(u'/') || name.startsWith(u"./") ||
                        name.startsWith(u"../") || name.startsWith(u"\\\\.\\");
    return isPath ? name : QStringLiteral("/dev/") + name;
}

// Why Qt could not open a device whose node was there a moment ago.
SerialFailure QtOpenFailure(const QSerialPort& port) {
    switch (port.error()) {
        case QSerialPort::DeviceNotFoundError:
            return {SerialFailure::Kind::Missing, port.errorString()};
        // On POSIX the node itself just opened, so this is another program's lock; on Windows it
        // is how a port in use refuses.
        case QSerialPort::PermissionError:
            return SystemFailure(EBUSY);
        default:
            return {SerialFailure::Kind::Other, port.errorString()};
    }
}

class QtSerialDevice : public SerialDevice {
public:
    bool open(const QString& deviceName, SerialFailure& failure) {
        const QString location = DeviceLocation(deviceName);
#ifdef Q_OS_UNIX
        if (!hold_.acquire(location, failure))
            return false;
        pseudoTerminal_ = IsPseudoTerminal(hold_.fd());
#endif
        port_.setPortName(location);
        // Flow control is decided here and nowhere else: off, both hardware and software. Qt
        // cannot leave the driver's setting as it was, and a terminal's usual software flow
        // control would swallow the bytes 17 and 19 of the data.
        port_.setFlowControl(QSerialPort::NoFlowControl);
        port_.setReadBufferSize(kReadBacklogLimit);
        if (port_.open(QIODevice::ReadWrite)) {
            QObject::connect(&port_, &QSerialPort::errorOccurred, &port_,
                             [this](QSerialPort::SerialPortError e) { noticeHangUp(e); });
            pacing_.afterTaking(port_);
            return true;
        }
        failure = QtOpenFailure(port_);
#ifdef Q_OS_UNIX
        hold_.release();
#endif
        if (failure.kind == SerialFailure::Kind::Busy)
            failure.holder = DeviceHolder(location);
        return false;
    }

    bool getLineSettings(LineSettings& settings) override {
        if (hungUp())
            return false;
        settings.baudRate = port_.baudRate();
#ifdef Q_OS_UNIX
        // Qt tells what it was asked for; the terminal tells what it holds.
        termios now{};
        if (tcgetattr(port_.handle(), &now) != 0)
            return fail(SystemFailure(errno));
        ReadCharacterFormat(now.c_cflag, settings);
#else
        settings.dataBits = port_.dataBits();
        settings.stopBits = FromQt(port_.stopBits());
        settings.parity = FromQt(port_.parity());
        settings.parityChecking = port_.parity() != QSerialPort::NoParity;
#endif
        port_.clearError();
        const QSerialPort::PinoutSignals pins = port_.pinoutSignals();
        // A device without modem-control lines has no levels to report.
        settings.dtr = port_.error() == QSerialPort::NoError &&
                       pins.testFlag(QSerialPort::DataTerminalReadySignal);
        settings.rts = port_.error() == QSerialPort::NoError &&
                       pins.testFlag(QSerialPort::RequestToSendSignal);
        port_.clearError();
        return true;
    }

    bool setLineSettings(const LineSettings& settings) override {
        if (hungUp())
            return false;
        // Qt would quietly fall back to 8 data bits, and on a POSIX terminal to one stop bit,
        // instead of refusing what the device cannot do.
        if (settings.dataBits < QSerialPort::Data5 || settings.dataBits > QSerialPort::Data8)
            return fail(RefusedSetting(DataBitsText(settings.dataBits), EINVAL));
        QSerialPort::StopBits stopBits = ToQt(settings.stopBits);
#ifdef Q_OS_UNIX
        const QString impossible = pseudoTerminal_ ? QString() : UartRefusal(settings);
        if (!impossible.isEmpty())
            return fail(RefusedSetting(impossible, EINVAL));
        // A terminal has one flag for more than one stop bit; a UART makes 1.5 of it with 5 data
        // bits, and a pseudo-terminal has no stop bits to make.
        if (settings.stopBits == LineSettings::StopBits::OneAndHalf)
            stopBits = QSerialPort::TwoStop;
#endif
        port_.clearError();
        if (!port_.setBaudRate(settings.baudRate))
            return refused(BaudText(settings.baudRate));
        if (!takeFormat(port_.setDataBits(static_cast<QSerialPort::DataBits>(settings.dataBits)),
                        DataBitsText(settings.dataBits)) ||
            !takeFormat(port_.setParity(ToQt(settings.parity)), ParityText(settings.parity)) ||
            !takeFormat(port_.setStopBits(stopBits), StopBitsText(settings.stopBits)))
            return false;
        if (!holdLevel(&QSerialPort::setDataTerminalReady, settings.dtr) ||
            !holdLevel(&QSerialPort::setRequestToSend, settings.rts))
            return fail({SerialFailure::Kind::Other, port_.errorString()});
#ifdef Q_OS_UNIX
        return pseudoTerminal_ || holdsCharacterFormat(settings);
#else
        return true;
#endif
    }

    bool setTimeouts(const SerialTimeouts& timeouts) override {
        timeouts_ = timeouts;
        return true;
    }

    bool purge() override {
        if (hungUp())
            return false;
        return port_.clear(QSerialPort::AllDirections);
    }

    qint64 bytesWaiting() override {
        if (!hungUp_)
            takeFromDriver();
        if (hungUp())
            return leftover_.isEmpty() ? -1 : leftover_.size();
        return port_.isOpen() ? port_.bytesAvailable() : -1;
    }

    qint64 read(char* data, qint64 maxSize) override {
        // Whatever the driver holds moves on to Qt, so the driver's smaller buffer never runs full
        // behind a reader that takes little at a time.
        if (!hungUp_)
            takeFromDriver();
        if (hungUp()) {
            if (leftover_.isEmpty())
                return -1;
            const qint64 n = std::clamp<qint64>(maxSize, 0, leftover_.size());
            std::copy_n(leftover_.constData(), n, data);
            leftover_.remove(0, n);
            return n;
        }
        const qint64 n = port_.read(data, maxSize);
        pacing_.afterTaking(port_);
        return n;
    }

    qint64 write(const char* data, qint64 size) override {
        if (hungUp())
            return -1;
        const QDeadlineTimer deadline = writeDeadline(size);
#ifdef Q_OS_UNIX
        return WriteWithin(port_.handle(), data, size, deadline, failure_);
#else
        const qint64 queued = port_.write(data, size);
        if (queued < 0) {
            failure_ = {SerialFailure::Kind::Other, port_.errorString()};
            return -1;
        }
        while (port_.bytesToWrite() > 0 && !deadline.hasExpired())
            port_.waitForBytesWritten(static_cast<int>(deadline.remainingTime()));
        const qint64 left = port_.bytesToWrite();
        if (left > 0)
            port_.clear(QSerialPort::Output);
        return queued - left;
#endif
    }

    bool isGone() override {
        return bytesWaiting() < 0 && hungUp_;
    }

    SerialFailure failure() const override {
        return failure_;
    }

private:
    bool fail(const SerialFailure& failure) {
        failure_ = failure;
        return false;
    }

    bool refused(const QString& setting) {
        return fail({SerialFailure::Kind::SettingRefused, port_.errorString(), {}, setting});
    }

    // A pseudo-terminal has no character format, so its refusal of one is none.
    bool takeFormat(bool taken, const QString& setting) {
        return taken || pseudoTerminal_ || refused(setting);
    }

#ifdef Q_OS_UNIX
    // A driver takes what it can and drops the rest without a word, so only what the terminal
    // holds afterwards counts.
    bool holdsCharacterFormat(const LineSettings& settings) {
        termios now{};
        if (tcgetattr(port_.handle(), &now) != 0)
            return fail(SystemFailure(errno));
        const QString unheld = UnheldSetting(settings, now.c_cflag);
        return unheld.isEmpty() || fail(RefusedSetting(unheld, EINVAL));
    }
#endif

    // A pseudo-terminal has no modem-control lines and refuses to set them; that is no reason to
    // refuse the port.
    bool holdLevel(bool (QSerialPort::*set)(bool), bool level) {
        port_.clearError();
        return (port_.*set)(level) || port_.error() == QSerialPort::UnsupportedOperationError;
    }

    // Moves what the driver holds into Qt's buffer without waiting, so that a count or a read sees
    // every received byte whether or not the event loop has run since it arrived.
    void takeFromDriver() {
        // Bounded per call: on a line that never pauses, "until the driver is empty" would not end.
        const qint64 limit = std::min(kReadBacklogLimit, port_.bytesAvailable() + kTakeAtOnce);
        while (port_.bytesAvailable() < limit && driverHasNews() && port_.waitForReadyRead(0)) {
        }
        // Clearing tells every listener "no error"; with nothing to clear that is work for nothing.
        if (port_.error() != QSerialPort::NoError)
            port_.clearError();
        pacing_.afterTaking(port_);
    }

    // Asking Qt when the driver holds neither bytes nor a hang-up raises and clears a time-out
    // error each time, a real cost for a port polled every few milliseconds.
    bool driverHasNews() {
#ifdef Q_OS_UNIX
        return HasNews(port_.handle());
#else
        return true;
#endif
    }

    // A device that has hung up stays that way, and Qt's read notification would fire on every turn
    // of the event loop until the port is closed. Qt is still inside that notification here, so the
    // port is closed once it has returned; the exclusive hold stays until the device is released.
    void noticeHangUp(QSerialPort::SerialPortError error) {
        if (hungUp_ || !port_.isOpen())
            return;
#ifdef Q_OS_UNIX
        if ((error != QSerialPort::ReadError && error != QSerialPort::ResourceError) ||
            !HasHungUp(port_.handle()))
            return;
        hangUpReason_ = {SerialFailure::Kind::HungUp, SystemErrorText(EIO)};
#else
        if (error != QSerialPort::ResourceError)
            return;
        hangUpReason_ = {SerialFailure::Kind::HungUp, port_.errorString()};
#endif
        hungUp_ = true;
        QMetaObject::invokeMethod(
            &port_, [this] { closeAfterHangUp(); }, Qt::QueuedConnection);
    }

    // Bytes Qt took before the hang-up are still delivered; closing would discard them.
    void closeAfterHangUp() {
        if (!port_.isOpen())
            return;
        leftover_ += port_.readAll();
        port_.close();
    }

    bool hungUp() {
        if (!hungUp_)
            return false;
        closeAfterHangUp();
        failure_ = hangUpReason_;
        return true;
    }

    // The write time-outs in the driver's terms: both totals 0 means no limit.
    QDeadlineTimer writeDeadline(qint64 size) const {
        const qint64 total =
            qint64(timeouts_.writeTotalMultiplier) * size + timeouts_.writeTotalConstant;
        if (timeouts_.writeTotalMultiplier == 0 && timeouts_.writeTotalConstant == 0)
            return QDeadlineTimer(QDeadlineTimer::Forever);
        return QDeadlineTimer(total, Qt::PreciseTimer);
    }

#ifdef Q_OS_UNIX
    ExclusiveHold hold_;  // declared first: released only after Qt has closed the port
#endif
    bool pseudoTerminal_ = false;
    QSerialPort port_;
    SerialTimeouts timeouts_;
    SerialFailure failure_;
    bool hungUp_ = false;
    SerialFailure hangUpReason_;
    QByteArray leftover_;  // what Qt held when the device hung up, not yet read
    ReadPacing pacing_;
};

}  // namespace

std::unique_ptr<SerialDevice> QtSerialLayer::open(const QString& deviceName,
                                                  SerialFailure& failure) {
    auto device = std::make_unique<QtSerialDevice>();
    if (!device->open(deviceName, failure))
        return nullptr;
    return device;
}

DeviceIdentity QtSerialLayer::identify(const QString& deviceName) {
    DeviceIdentity identity;
    identity.path = deviceName;
    const QString location = DeviceLocation(deviceName);
    identity.present = QFileInfo::exists(location);
#ifdef Q_OS_UNIX
    // Only a node that is there is worth the look through the system's list of ports.
    if (!identity.present)
        return identity;
    const QString system = QFileInfo(location).canonicalFilePath();
#else
    const QString system = location;
#endif
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (info.systemLocation() == system) {
            identity.present = true;
            identity.description = info.description();
            identity.serialNumber = info.serialNumber();
            break;
        }
    }
    return identity;
}
