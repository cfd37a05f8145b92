#pragma once

#include "SerialLayer.h"

// The serial layer on Qt SerialPort.
//
// Reads never wait, whatever the read time-outs say: a read takes what the driver and Qt already
// hold. Writes honour the write time-outs; what is not written in time is dropped, never sent
// later. Flow control is always off (see QtSerialLayer.cpp). A device that hangs up while open
// fails every call from then on ("Input/output error"), once what Qt already took has been read.
// A pseudo-terminal takes any character format: it has none, and reports the one the kernel put in
// its place.
class QtSerialLayer : public SerialLayer {
public:
    std::unique_ptr<SerialDevice> open(const QString& deviceName, SerialFailure& failure) override;
    DeviceIdentity identify(const QString& deviceName) override;
};
