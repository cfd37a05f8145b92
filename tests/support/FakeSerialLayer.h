#pragma once

#include <QByteArray>
#include <QMap>
#include <QStringList>

#include "SerialLayer.h"

// A serial layer that records what the component asks of it and fails where a test tells it to.
class FakeSerialLayer : public SerialLayer {
public:
    std::unique_ptr<SerialDevice> open(const QString& deviceName, SerialFailure& failure) override;
    DeviceIdentity identify(const QString& deviceName) override;

    // What the next opens do.
    bool failOpen = false;
    SerialFailure openFailure{SerialFailure::Kind::Missing,
                              QStringLiteral("No such file or directory")};
    bool failGetSettings = false;
    bool failSetSettings = false;
    QString settingsError = QStringLiteral("Invalid argument");
    LineSettings reported;   // what the driver reports before the component changes it
    bool failQuery = false;  // bytesWaiting() fails
    bool failRead = false;
    qint64 writeLimit = -1;  // at most this many bytes are taken per write; -1 takes all
    bool gone = false;       // the open device has gone away
    // What identify() reports of every device; present, without serial number, unless set here.
    QMap<QString, DeviceIdentity> identities;

    // What happened.
    QStringList opened;  // device names of every successful open
    int openAttempts = 0;
    int identifies = 0;   // calls of identify()
    int openDevices = 0;  // devices open right now
    LineSettings applied;
    SerialTimeouts timeouts;
    int purges = 0;
    int reads = 0;
    QList<qint64> readSizes;  // the size asked for by every read
    QByteArray written;

    // Bytes waiting in the driver, taken by reads.
    QByteArray input;
};
