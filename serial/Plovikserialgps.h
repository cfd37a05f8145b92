#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstdio>
#include <functional>
#include <memory>

#include "PortMap.h"
#include "SerialLayer.h"
#include "SerialPlatform.h"
#include "Timer.h"

// Latest decoded GPS values.
struct TGpsData {
    double Latitude = 0;   // signed decimal degrees, north positive
    double Longitude = 0;  // signed decimal degrees, east positive
    double Altitude = 0;   // the GGA altitude field as written
    double Speed = 0;      // km/h
    double Course = 0;     // degrees
    qint32 FixQuality = 0;
    qint32 SatelliteCount = 0;
};

class TPlovikSerialGPS;

// Where a link stands. Connected is true exactly while Open.
enum class TLinkState {
    Closed,            // never opened, closed by the owner, or the last Open failed
    Open,              // Connected
    WaitingForDevice,  // the device went away while open; AutoReconnect reopens it once it is back
};

using TPortEvent = std::function<void(TPlovikSerialGPS* sender, qint32 portNumber)>;
using TNotifyEvent = std::function<void(TPlovikSerialGPS* sender)>;
using TLineEvent = std::function<void(TPlovikSerialGPS* sender, QByteArray line)>;
using TPositionEvent = std::function<void(TPlovikSerialGPS* sender, long double latitude,
                                          long double longitude, long double altitude)>;
using TSpeedEvent = std::function<void(TPlovikSerialGPS* sender, long double speed)>;

// What passed over a link since it was last opened.
struct TLinkTraffic {
    qint64 BytesReceived = 0;
    qint64 LinesReceived = 0;
    qint64 BytesSent = 0;
    qint64 LinesSent = 0;  // one a Send that wrote anything
};

// One serial-port connection: opens and configures a port, polls it for received lines, keeps a
// line log, decodes NMEA 0183 sentences and reports through optional event handlers. Owned by its
// parent QObject. Never shows a message and never throws on its own: a failed Open leaves it closed
// and callers test Connected; OpenFailure tells why. Exceptions thrown by event handlers pass
// through.
//
// With AutoReconnect, a device that goes away while open (an adapter pulled out, the far end of a
// pseudo-terminal closed) is let go at once: Connected becomes false, OnClose is raised, and
// LinkState is WaitingForDevice. Once a second the component looks for a device at the same path
// (for a USB adapter that reported a serial number, only that one will do), and reopens it with the
// settings as they stand: Connected, OnOpen, the line log appended to the same file. Close ends
// the wait, and so does an Open of the owner's, which tries at once and leaves the link Closed
// when that fails.
class TPlovikSerialGPS : public QObject {
    Q_OBJECT

public:
    explicit TPlovikSerialGPS(QObject* owner,
                              const SerialPlatform& platform = SerialPlatform::system());
    ~TPlovikSerialGPS() override;

    void Open();
    // Also ends a wait for a device that went away.
    void Close();
    // Writes the text's bytes as they are. Returns whether every byte was written.
    bool Send(const QByteArray& text);

    static qint32 PortNumberFromName(const QByteArray& name);
    static qint32 NormalizeBaud(qint32 rate);

    // Receive path: Poll and WatchdogTick are the timers' handlers; the rest are their steps.
    void Poll();
    void WatchdogTick();
    void SplitLines();
    void WriteLogLine(const QByteArray& line);
    // ReconnectTimer's handler: notices a device that went away, and looks for it to come back.
    void ReconnectTick();

    // NMEA decoding of one received line that begins with "$".
    void DecodeSentence(const QByteArray& line);
    void ParseGGA(const QByteArray& sentence);
    void ParseRMC(const QByteArray& sentence);
    void ParseVTG(const QByteArray& sentence);
    void ParseZDA(const QByteArray& sentence);
    void ParseGSA(const QByteArray& sentence);

    // Settings and state; the owner writes the settings directly.
    std::unique_ptr<SerialDevice> PortHandle;  // null is the invalid handle
    bool Connected = false;
    qint32 PortNumber = 1;
    qint32 Baud = 9600;
    qint32 DataBitsCode = 4;  // data bits minus 4
    qint32 StopBitsCode = 1;  // 1 one, 2 one and a half, 3 two; anything else one
    qint32 ParityCode = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
    qint32 PollInterval = 50;
    bool LogEnabled = false;
    bool LogTimestamps = false;
    bool DtrEnabled = false;
    bool RtsEnabled = false;
    QByteArray LogFileName;
    TGpsData GpsData;
    QByteArray ReceiveBuffer;
    std::unique_ptr<Timer> PollTimer;
    std::unique_ptr<Timer> WatchdogTimer;
    std::unique_ptr<Timer> ReconnectTimer;  // once a second while open or waiting, AutoReconnect on
    bool DataSeen = false;
    std::FILE* LogFile = nullptr;

    TPortEvent OnOpen;
    TPortEvent OnClose;
    TNotifyEvent OnTimeout;
    TNotifyEvent OnNoData;
    TLineEvent OnNewCommand;
    TLineEvent OnSend;
    TPositionEvent OnPosition;
    TSpeedEvent OnSpeed;

    // Why the link is not open: the last Open's failure, the hang-up that ended it, or, while
    // waiting for the device, why the last try to reopen it failed. Kind None while open; OpenError
    // is its text ("Permission denied").
    SerialFailure OpenFailure;
    QString OpenError;
    TLinkState LinkState = TLinkState::Closed;
    // Wait for a device that went away and reopen it; read at Open. Off, a device that hangs up
    // stays Connected and delivers nothing.
    bool AutoReconnect = false;
    // The device of the port: its path since the last Open and, while open, what the system
    // reports of it.
    DeviceIdentity Device;
    // The line settings the device holds while open, which for a pseudo-terminal are not all the
    // ones asked for.
    LineSettings SettingsInForce;
    // Why the line log asked for at the last Open could not be opened ("Permission denied"); empty
    // when it was, or when none was asked for.
    QString LogError;
    // Counted at no cost beyond an addition, for an owner that shows them now and then.
    TLinkTraffic Traffic;
    // Resolves PortNumber to a device path; handed over by the owner.
    PortMap Ports;

    // One flag for the whole program, shared by every instance.
    static bool SilenceReported;

private:
    bool Attach();
    bool ApplyLineSettings();
    bool Fail(const SerialFailure& failure);
    void Release();
    void DeviceGone();
    void LookForDevice();

    const SerialPlatform platform_;
};
