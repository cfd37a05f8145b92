#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <memory>
#include <utility>

// Line settings of an open device, as the driver reports them and as the component applies them.
struct LineSettings {
    enum class StopBits { One, OneAndHalf, Two };
    enum class Parity { None, Odd, Even, Mark, Space };

    qint32 baudRate = 9600;
    int dataBits = 8;
    StopBits stopBits = StopBits::One;
    Parity parity = Parity::None;
    bool parityChecking = false;  // the driver checks (and the line carries) a parity bit
    bool dtr = false;             // level DTR is held at while open
    bool rts = false;             // level RTS is held at while open

    bool operator==(const LineSettings&) const = default;
};

// Read and write time-outs in milliseconds, in the driver's own terms.
struct SerialTimeouts {
    // A read interval of "maximum" with both read totals 0 returns at once with what is buffered.
    quint32 readInterval = 0;
    quint32 readTotalMultiplier = 0;
    quint32 readTotalConstant = 0;
    quint32 writeTotalMultiplier = 0;
    quint32 writeTotalConstant = 0;

    bool operator==(const SerialTimeouts&) const = default;
};

// Why a device could not be opened or set up, or why an open one is no longer there, told apart so
// that a window can say what to do about it.
struct SerialFailure {
    enum class Kind {
        None,
        NotMapped,       // no device is mapped to the port number
        Missing,         // no device at the path (unplugged, or a link that leads nowhere)
        AccessDenied,    // the user may not open the device
        Busy,            // another program, or another open in this one, holds the device
        SettingRefused,  // the device does not hold a line setting
        HungUp,          // the device went away while open
        Other,
    };

    SerialFailure() = default;
    SerialFailure(Kind kind, QString text, QString holder = {}, QString setting = {})
        : kind(kind),
          text(std::move(text)),
          holder(std::move(holder)),
          setting(std::move(setting)) {}

    Kind kind = Kind::None;
    // The system's own words: "Permission denied", "Device or resource busy".
    QString text;
    // Busy: who holds the device, "minicom (4711)"; empty when nobody can tell.
    QString holder;
    // SettingRefused: what the device does not hold, "7 data bits", "even parity", "2 stop bits".
    QString setting;

    bool operator==(const SerialFailure&) const = default;
};

// What the system tells about a device without opening it.
struct DeviceIdentity {
    QString path;          // as the port map gives it
    bool present = false;  // something is there to open
    QString description;   // the adapter's own description, where the system reports one
    QString serialNumber;  // a USB adapter's serial number, where the system reports one

    bool operator==(const DeviceIdentity&) const = default;
};

// One open serial device held exclusively. Destroying it releases the device.
class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    // The settings in force, as the device holds them (a pseudo-terminal reports the character
    // format the kernel put in place of the one asked for).
    virtual bool getLineSettings(LineSettings& settings) = 0;
    // A device without modem-control lines (a pseudo-terminal) cannot hold DTR or RTS, and a
    // pseudo-terminal has no character format at all; neither is a failure. Any other refusal is,
    // and failure() then says why; so is a setting the driver accepts but does not hold.
    virtual bool setLineSettings(const LineSettings& settings) = 0;
    virtual bool setTimeouts(const SerialTimeouts& timeouts) = 0;
    // Discards whatever waits in the driver's output and input buffers.
    virtual bool purge() = 0;
    // Received bytes waiting in the driver; clears the device's error state. Negative on failure.
    virtual qint64 bytesWaiting() = 0;
    // Never waits: returns what is already buffered, at most maxSize bytes. Negative on failure.
    virtual qint64 read(char* data, qint64 maxSize) = 0;
    // Writes the bytes, giving up when the write time-out has run out in total; returns the count
    // actually written (never more is sent later), negative on failure.
    virtual qint64 write(const char* data, qint64 size) = 0;
    // Whether the device went away while open (hung up, unplugged) and everything it delivered
    // before has been read. Every call fails from then on.
    virtual bool isGone() = 0;
    // Why the last call failed.
    virtual SerialFailure failure() const = 0;
    QString errorString() const { return failure().text; }
};

// Opens devices by name. The production layer sits on Qt SerialPort; tests put fakes here.
class SerialLayer {
public:
    virtual ~SerialLayer() = default;

    // Opens an existing device for exclusive, synchronous reading and writing. On failure returns
    // null and sets failure to the reason ("No such file or directory", "Device or resource busy").
    virtual std::unique_ptr<SerialDevice> open(const QString& deviceName,
                                               SerialFailure& failure) = 0;
    // Looks the device up without opening it: cheap enough to ask once a second.
    virtual DeviceIdentity identify(const QString& deviceName) = 0;
};
