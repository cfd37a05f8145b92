#pragma once

#include <QSerialPort>

#include "SerialLayer.h"

// The line settings in Qt SerialPort's terms and back.
QSerialPort::StopBits ToQt(LineSettings::StopBits stopBits);
LineSettings::StopBits FromQt(QSerialPort::StopBits stopBits);
QSerialPort::Parity ToQt(LineSettings::Parity parity);
LineSettings::Parity FromQt(QSerialPort::Parity parity);
