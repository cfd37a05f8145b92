#pragma once

#include "SerialLayer.h"

// The serial layer on Qt SerialPort.
class QtSerialLayer : public SerialLayer {
public:
    std::unique_ptr<SerialDevice> open(const QString& deviceName, QString& error) override;
};
