#include "QtLineSettings.h"

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
