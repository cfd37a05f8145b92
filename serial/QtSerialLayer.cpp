#include "QtSerialLayer.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QMetaObject>
#include <QPointer>
#include <QSerialPort>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <system_error>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace {

// Qt keeps what arrives between two polls. Beyond this backlog it stops taking bytes and the
// driver's own buffer holds them back, as it would without Qt in between.
constexpr qint64 kReadBacklogLimit = 1024 * 1024;
// One count or read moves at most about this much from the driver to Qt.
constexpr qint64 kTakeAtOnce = 64 * 1024;
// Qt reads as bytes arrive when the device is counted less often than this, or for a while after a
// count found more than this waiting (see keepQtFromReading).
constexpr qint64 kEagerAfterMs = 25;
constexpr qint64 kEagerBacklog = 8 * 1024;
constexpr qint64 kEagerForMs = 200;

QString SystemErrorText(int code) {
    return QString::fromStdString(std::generic_category().message(code));
}

// Where QSerialPort looks for a port name: paths as they are, bare names below /dev.
QString DeviceLocation(const QString& name) {
    const bool isPath = name.startsWith(u'/') || name.startsWith(u"./") || name.startsWith(u"../");
    return isPath ? name : QStringLiteral("/dev/") + name;
}

QSerialPort::StopBits ToQt(LineSettings::StopBits stopBits) {
    switch (stopBits) {
        case LineSettings::StopBits::OneAndHalf:
            return QSerialPort::OneAndHalfStop;
        case LineSettings::StopBits::Two:
            return QSerialPort::TwoStop;
        case LineSettings::StopBits::One:
            break;
    }
    return QSerialPort::OneStop;
}

LineSettings::StopBits FromQt(QSerialPort::StopBits stopBits) {
    switch (stopBits) {
        case QSerialPort::OneAndHalfStop:
            return LineSettings::StopBits::OneAndHalf;
        case QSerialPort::TwoStop:
            return LineSettings::StopBits::Two;
        default:
            return LineSettings::StopBits::One;
    }
}

QSerialPort::Parity ToQt(LineSettings::Parity parity) {
    switch (parity) {
        case LineSettings::Parity::Odd:
            return QSerialPort::OddParity;
        case LineSettings::Parity::Even:
            return QSerialPort::EvenParity;
        case LineSettings::Parity::Mark:
            return QSerialPort::MarkParity;
        case LineSettings::Parity::Space:
            return QSerialPort::SpaceParity;
        case LineSettings::Parity::None:
            break;
    }
    return QSerialPort::NoParity;
}

LineSettings::Parity FromQt(QSerialPort::Parity parity) {
    switch (parity) {
        case QSerialPort::OddParity:
            return LineSettings::Parity::Odd;
        case QSerialPort::EvenParity:
            return LineSettings::Parity::Even;
        case QSerialPort::MarkParity:
            return LineSettings::Parity::Mark;
        case QSerialPort::SpaceParity:
            return LineSettings::Parity::Space;
        default:
            return LineSettings::Parity::None;
    }
}

#ifdef Q_OS_UNIX
// Holds a device node exclusively for as long as it lives. The terminal's exclusive mode, which Qt
// sets, does not stop root, and Qt's lock file is named after the path, so a link to the same
// device would slip past it. An advisory lock on the node binds every process, every open within
// this one and every path that leads to the node; the system drops it when a holder dies.
class ExclusiveHold {
public:
    ExclusiveHold() = default;
    ExclusiveHold(const ExclusiveHold&) = delete;
    ExclusiveHold& operator=(const ExclusiveHold&) = delete;
    ~ExclusiveHold() {
        if (fd_ >= 0)
            ::close(fd_);
    }

    bool acquire(const QString& location, QString& error) {
        fd_ = ::open(QFile::encodeName(location).constData(),
                     O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) {
            error = SystemErrorText(errno);
            return false;
        }
        if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            error = SystemErrorText(errno == EWOULDBLOCK ? EBUSY : errno);
            return false;
        }
        return true;
    }

private:
    int fd_ = -1;
};

// The control flags of a terminal that carries the character format asked for, and which of them
// to look at: without parity the odd and mark/space flags mean nothing.
tcflag_t CharacterFormatFlags(const LineSettings& settings, tcflag_t& relevant) {
    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    tcflag_t flags = kSizes[settings.dataBits - 5];
    relevant = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB;
    switch (settings.parity) {
        case LineSettings::Parity::None:
            relevant &= ~(PARODD | CMSPAR);
            break;
        case LineSettings::Parity::Odd:
            flags |= PARENB | PARODD;
            break;
        case LineSettings::Parity::Even:
            flags |= PARENB;
            break;
        case LineSettings::Parity::Mark:
            flags |= PARENB | PARODD | CMSPAR;
            break;
        case LineSettings::Parity::Space:
            flags |= PARENB | CMSPAR;
            break;
    }
    if (settings.stopBits == LineSettings::StopBits::Two)
        flags |= CSTOPB;
    return flags;
}

// A driver takes what it can and drops the rest without a word (a pseudo-terminal keeps 8 data
// bits without parity whatever it is asked), so only what the terminal holds afterwards counts.
bool HoldsCharacterFormat(int fd, const LineSettings& settings) {
    termios now{};
    tcflag_t relevant = 0;
    const tcflag_t wanted = CharacterFormatFlags(settings, relevant);
    return tcgetattr(fd, &now) == 0 && (now.c_cflag & relevant) == wanted;
}

// Writes straight to the driver so that nothing is left queued in Qt to go out after the deadline.
// Returns the count the driver took, or -1 when it took nothing and refused.
qint64 WriteWithin(int fd, const char* data, qint64 size, const QDeadlineTimer& deadline,
                   QString& error) {
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, static_cast<size_t>(size - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            error = SystemErrorText(errno);
            return done > 0 ? done : -1;
        }
        if (deadline.hasExpired())
            break;
        pollfd ready{fd, POLLOUT, 0};
        ::poll(&ready, 1, static_cast<int>(std::min<qint64>(deadline.remainingTime(), INT_MAX)));
    }
    return done;
}

// Whether the device is gone: a terminal that has hung up (its adapter pulled out, the far end of
// a pseudo-terminal closed) reads as end of file and polls readable for ever.
bool HasHungUp(int fd) {
    pollfd state{fd, POLLIN, 0};
    return ::poll(&state, 1, 0) > 0 && (state.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}
#endif

class QtSerialDevice : public SerialDevice {
public:
    bool open(const QString& deviceName, QString& error) {
        const QString location = DeviceLocation(deviceName);
#ifdef Q_OS_UNIX
        if (!hold_.acquire(location, error))
            return false;
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
            keepQtFromReading();
            return true;
        }
#ifdef Q_OS_UNIX
        // The node itself opened a moment ago, so a refusal now is another program's lock.
        if (port_.error() == QSerialPort::PermissionError) {
            error = SystemErrorText(EBUSY);
            return false;
        }
#endif
        error = port_.errorString();
        return false;
    }

    bool getLineSettings(LineSettings& settings) override {
        if (hungUp())
            return false;
        settings.baudRate = port_.baudRate();
        settings.dataBits = port_.dataBits();
        settings.stopBits = FromQt(port_.stopBits());
        settings.parity = FromQt(port_.parity());
        settings.parityChecking = port_.parity() != QSerialPort::NoParity;
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
            return fail(SystemErrorText(EINVAL));
#ifndef Q_OS_WIN
        if (settings.stopBits == LineSettings::StopBits::OneAndHalf)
            return fail(SystemErrorText(ENOTSUP));
#endif
        port_.clearError();
        const bool applied =
            port_.setBaudRate(settings.baudRate) &&
            port_.setDataBits(static_cast<QSerialPort::DataBits>(settings.dataBits)) &&
            port_.setParity(ToQt(settings.parity)) && port_.setStopBits(ToQt(settings.stopBits)) &&
            holdLevel(&QSerialPort::setDataTerminalReady, settings.dtr) &&
            holdLevel(&QSerialPort::setRequestToSend, settings.rts);
        if (!applied)
            return fail(port_.errorString());
#ifdef Q_OS_UNIX
        if (!HoldsCharacterFormat(port_.handle(), settings))
            return fail(SystemErrorText(EINVAL));
#endif
        return true;
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
        keepQtFromReading();
        return n;
    }

    qint64 write(const char* data, qint64 size) override {
        if (hungUp())
            return -1;
        const QDeadlineTimer deadline = writeDeadline(size);
#ifdef Q_OS_UNIX
        return WriteWithin(port_.handle(), data, size, deadline, error_);
#else
        const qint64 queued = port_.write(data, size);
        if (queued < 0) {
            error_ = port_.errorString();
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

    QString errorString() const override {
        return error_;
    }

private:
    bool fail(const QString& error) {
        error_ = error;
        return false;
    }

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
        keepQtFromReading();
    }

    // Whether the driver holds bytes or a hang-up. Asking Qt when it holds neither raises and
    // clears a time-out error each time, a real cost for a port polled every few milliseconds.
    bool driverHasNews() {
#ifdef Q_OS_UNIX
        // Polling (not counting) hands the terminal what is still on its way in the kernel, so
        // bytes written a moment ago are seen; a failing poll counts as news, which Qt reports.
        pollfd state{port_.handle(), POLLIN, 0};
        return ::poll(&state, 1, 0) != 0;
#else
        return true;
#endif
    }

    // Qt reads by itself whenever bytes arrive, waking the event loop for each chunk and making it
    // poll the device on every turn. While the component comes often and finds little, that is
    // work done twice, so Qt's read notifier is held off (Qt has no switch for it) and the driver
    // keeps the bytes meanwhile. When the component comes seldom, or has lately found much, the
    // driver's smaller buffer could run full before it comes again, and Qt reads as bytes arrive.
    void keepQtFromReading() {
        if (!notifierSought_) {
            notifierSought_ = true;
            for (QSocketNotifier* notifier : port_.findChildren<QSocketNotifier*>()) {
                if (notifier->type() == QSocketNotifier::Read)
                    readNotifier_ = notifier;
            }
        }
        const bool seldom = !sinceTaken_.isValid() || sinceTaken_.elapsed() > kEagerAfterMs;
        sinceTaken_.start();
        if (port_.bytesAvailable() > kEagerBacklog)
            sinceMuch_.start();
        const bool lately = sinceMuch_.isValid() && sinceMuch_.elapsed() < kEagerForMs;
        if (readNotifier_)
            readNotifier_->setEnabled(seldom || lately);
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
        hangUpReason_ = SystemErrorText(EIO);
#else
        if (error != QSerialPort::ResourceError)
            return;
        hangUpReason_ = port_.errorString();
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
        error_ = hangUpReason_;
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
    QSerialPort port_;
    SerialTimeouts timeouts_;
    QString error_;
    bool hungUp_ = false;
    QString hangUpReason_;
    QByteArray leftover_;  // what Qt held when the device hung up, not yet read
    bool notifierSought_ = false;
    QPointer<QSocketNotifier> readNotifier_;
    QElapsedTimer sinceTaken_;
    QElapsedTimer sinceMuch_;
};

}  // namespace

std::unique_ptr<SerialDevice> QtSerialLayer::open(const QString& deviceName, QString& error) {
    auto device = std::make_unique<QtSerialDevice>();
    if (!device->open(deviceName, error))
        return nullptr;
    return device;
}
