#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>

#include "FakeSerialLayer.h"
#include "Plovikserialgps.h"
#include "SerialPlatform.h"
#include "SteppedTime.h"

// A component on a fake serial layer and stepped time, its port 1 mapped to a fake device and
// every received line recorded.
struct ComponentOnFakeLayer {
    ComponentOnFakeLayer() {
        gps.Ports.setExplicitEntries({{1, QStringLiteral("/dev/fake")}});
        gps.OnNewCommand = [this](TPlovikSerialGPS*, QByteArray line) { lines.append(line); };
    }

    // Opens with the line log in a fresh temporary folder.
    void openWithLog(bool timestamps) {
        gps.LogEnabled = true;
        gps.LogTimestamps = timestamps;
        gps.LogFileName = logPath().toLocal8Bit();
        gps.Open();
    }

    // Puts the bytes into the driver and runs one poll.
    void receive(const QByteArray& bytes) {
        layer.input += bytes;
        gps.Poll();
    }

    QString logPath() const { return folder.filePath(QStringLiteral("lines.log")); }

    QByteArray logContents() const {
        QFile file(logPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir folder;  // outlives the component, which closes its log on destruction
    FakeSerialLayer layer;
    SteppedTime time;
    QList<QByteArray> lines;
    QStringList
        events;  // for a test's own event handlers; the component's destructor may raise one
    TPlovikSerialGPS gps{nullptr, SerialPlatform{&layer, &time, &time}};
};
