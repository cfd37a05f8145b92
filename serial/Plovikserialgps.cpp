#include "Plovikserialgps.h"

#include <array>
#include <cerrno>
#include <limits>

#include "Clock.h"
#include "PortName.h"
#include "SystemFailure.h"

bool TPlovikSerialGPS::SilenceReported = false;

namespace {

constexpr int kDefaultPollInterval = 50;
constexpr int kWatchdogPeriod = 5000;
constexpr int kReconnectPeriod = 1000;
constexpr quint32 kWriteTimeout = 1000;
constexpr std::array<qint32, 13> kSupportedBaudRates = {
    110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200, 230400};

LineSettings::StopBits StopBitsFromCode(qint32 code) {
    switch (code) {
        case 2:
            return LineSettings::StopBits::OneAndHalf;
        case 3:
            return LineSettings::StopBits::Two;
        default:
            return LineSettings::StopBits::One;
    }
}

}  // namespace

TPlovikSerialGPS::TPlovikSerialGPS(QObject* owner, const SerialPlatform& platform)
    : QObject(owner), platform_(platform) {
    PollTimer = platform_.timers->create();
    PollTimer->setInterval(kDefaultPollInterval);
    PollTimer->onTimeout = [this] { Poll(); };
    WatchdogTimer = platform_.timers->create();
    WatchdogTimer->setInterval(kWatchdogPeriod);
    WatchdogTimer->onTimeout = [this] { WatchdogTick(); };
    ReconnectTimer = platform_.timers->create();
    ReconnectTimer->setInterval(kReconnectPeriod);
    ReconnectTimer->onTimeout = [this] { ReconnectTick(); };
}

TPlovikSerialGPS::~TPlovikSerialGPS() {
    // An exception leaving a destructor would end the program; an OnClose handler's error has
    // nowhere to go at this point, so the port is closed and the error dropped.
    try {
        Close();
    } catch (...) {
    }
}

void TPlovikSerialGPS::Open() {
    if (Connected)
        return;

    ReconnectTimer->setEnabled(false);
    LinkState = TLinkState::Closed;
    Device = DeviceIdentity();
    Device.path = Ports.devicePath(PortNumber);
    if (Device.path.isEmpty()) {
        Fail({SerialFailure::Kind::NotMapped,
              QStringLiteral("No device is mapped to ") + PortName(PortNumber)});
        return;
    }
    Attach();
}

bool TPlovikSerialGPS::Fail(const SerialFailure& failure) {
    OpenFailure = failure;
    OpenError = failure.text;
    return false;
}

// Opens Device.path; a failure leaves LinkState as it was.
bool TPlovikSerialGPS::Attach() {
    SerialFailure failure;
    PortHandle = platform_.layer->open(Device.path, failure);
    if (!PortHandle)
        return Fail(failure);
    if (!ApplyLineSettings()) {
        failure = PortHandle->failure();
        PortHandle.reset();
        return Fail(failure);
    }
    SerialTimeouts timeouts;
    timeouts.readInterval = std::numeric_limits<quint32>::max();
    timeouts.writeTotalConstant = kWriteTimeout;
    PortHandle->setTimeouts(timeouts);
    PortHandle->purge();

    Connected = true;
    LinkState = TLinkState::Open;
    OpenFailure = {};
    OpenError.clear();
    Device = platform_.layer->identify(Device.path);
    ReceiveBuffer.clear();
    DataSeen = false;
    Traffic = {};
    LogError.clear();
    if (LogEnabled && !LogFileName.isEmpty()) {
        // Binary append: records carry their own CR LF, so a log is byte-identical on every
        // platform; only this one file is ever created, nothing is truncated.
        LogFile = std::fopen(LogFileName.constData(), "ab");
        if (!LogFile)
            LogError = SystemErrorText(errno);
    }
    PollTimer->setInterval(PollInterval >= 1 ? PollInterval : kDefaultPollInterval);
    PollTimer->setEnabled(true);
    WatchdogTimer->setEnabled(true);
    ReconnectTimer->setEnabled(AutoReconnect);
    if (OnOpen)
        OnOpen(this, PortNumber);
    return true;
}

bool TPlovikSerialGPS::ApplyLineSettings() {
    LineSettings settings;
    if (!PortHandle->getLineSettings(settings))
        return false;

    settings.baudRate = Baud;
    // Kept to one byte, as a driver's character size field is; unsigned so no code overflows.
    settings.dataBits = static_cast<quint8>(static_cast<quint32>(DataBitsCode) + 4u);
    settings.stopBits = StopBitsFromCode(StopBitsCode);
    if (ParityCode >= 0 && ParityCode <= 4) {
        settings.parity = static_cast<LineSettings::Parity>(ParityCode);
    }
    settings.parityChecking = ParityCode != 0;
    settings.dtr = DtrEnabled;
    settings.rts = RtsEnabled;
    if (!PortHandle->setLineSettings(settings))
        return false;
    if (!PortHandle->getLineSettings(SettingsInForce))
        SettingsInForce = settings;
    return true;
}

void TPlovikSerialGPS::Close() {
    ReconnectTimer->setEnabled(false);
    LinkState = TLinkState::Closed;
    if (!Connected)
        return;

    Release();
    if (OnClose)
        OnClose(this, PortNumber);
}

// Lets go of the device and the line log; the owner's settings and Device stay as they are.
void TPlovikSerialGPS::Release() {
    PollTimer->setEnabled(false);
    WatchdogTimer->setEnabled(false);
    PortHandle.reset();
    if (LogFile) {
        std::fclose(LogFile);
        LogFile = nullptr;
    }
    Connected = false;
    GpsData = TGpsData();
}

bool TPlovikSerialGPS::Send(const QByteArray& text) {
    if (!Connected || !PortHandle)
        return false;

    const qint64 written = PortHandle->write(text.constData(), text.size());
    if (written > 0) {
        Traffic.BytesSent += written;
        ++Traffic.LinesSent;
    }
    if (OnSend)
        OnSend(this, text);
    return written == text.size();
}

qint32 TPlovikSerialGPS::PortNumberFromName(const QByteArray& name) {
    return ::PortNumberFromName(QString::fromLatin1(name));
}

qint32 TPlovikSerialGPS::NormalizeBaud(qint32 rate) {
    for (qint32 supported : kSupportedBaudRates) {
        if (rate == supported)
            return rate;
    }
    return 9600;
}
