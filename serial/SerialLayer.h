#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <memory>

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

// One open serial device held exclusively. Destroying it releases the device.
class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    virtual bool getLineSettings(LineSettings& settings) = 0;
    // A device without modem-control lines (a pseudo-terminal) cannot hold DTR or RTS; that alone
    // is not a failure. Any other refusal is, and errorString() then says why; so is a setting the
    // driver accepts but does not hold (a character format it quietly replaces).
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
    virtual QString errorString() const = 0;
};

// Opens devices by name. The production layer sits on Qt SerialPort; tests put fakes here.
class SerialLayer {
public:
    virtual ~SerialLayer() = default;

    // Opens an existing device for exclusive, synchronous reading and writing. On failure returns
    // null and sets error to the reason ("No such file or directory", "Device or resource busy").
    virtual std::unique_ptr<SerialDevice> open(const QString& deviceName, QString& error) = 0;
};
