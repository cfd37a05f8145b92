#pragma once

#include <QByteArray>
#include <QList>
#include <functional>
#include <memory>

#include "Plovikserialgps.h"
#include "PseudoTerminal.h"
#include "QtSerialLayer.h"
#include "SerialPlatform.h"
#include "SteppedTime.h"

// The real serial layer, counting what passes through it: the opens asked of it and the bytes read
// from its devices, so a test can wait until everything written to a pseudo-terminal has arrived.
class CountingSerialLayer : public SerialLayer {
public:
    std::unique_ptr<SerialDevice> open(const QString& deviceName, SerialFailure& failure) override;
    DeviceIdentity identify(const QString& deviceName) override { return real_.identify(deviceName); }

    int opens = 0;
    qint64 bytesRead = 0;

private:
    QtSerialLayer real_;
};

// A pseudo-terminal delivers in the kernel's own time: steps the timers stepMs at a time, letting
// real time pass between steps, until done() holds or timeoutMs of real time have gone by.
// Returns whether it held.
bool StepUntil(SteppedTime& time, const std::function<bool()>& done, int stepMs = 5,
               int timeoutMs = 20000);

// A component on the real serial layer, reading a pseudo-terminal whose other end the harness
// writes. Time is stepped, so a poll period of a second costs no waiting.
class PtyReceiver {
public:
    explicit PtyReceiver(int pollPeriod);

    // Writes the data from a second thread as fast as the pseudo-terminal takes it, while this
    // thread polls, and then polls until the component has read every byte written so far. False
    // when the writer gave up or the bytes did not all arrive.
    bool transfer(const QByteArray& data);

    PseudoTerminal pty;
    SteppedTime time;
    CountingSerialLayer layer;
    TPlovikSerialGPS gps{nullptr, SerialPlatform{&layer, &time, &time}};
    QList<QByteArray> lines;

private:
    // One poll period of stepped time; yields briefly when the poll found nothing.
    void pollOnce();

    qint64 written_ = 0;
};
