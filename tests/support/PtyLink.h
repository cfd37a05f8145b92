#pragma once

#include <QList>
#include <QStringList>

#include "Plovikserialgps.h"
#include "PseudoTerminal.h"
#include "QtSerialLayer.h"
#include "SerialPlatform.h"
#include "SteppedTime.h"

// A component on the production serial layer whose port 7 is the given device, with stepped time
// driving its timers and its open and close events recorded.
struct PtyLink {
    static constexpr qint32 kPort = 7;

    explicit PtyLink(const QString& device) {
        gps.Ports.setExplicitEntries({{kPort, device}});
        gps.PortNumber = kPort;
        gps.OnOpen = [this](TPlovikSerialGPS*, qint32 port) {
            events << QStringLiteral("open %1").arg(port);
        };
        gps.OnClose = [this](TPlovikSerialGPS*, qint32 port) {
            events << QStringLiteral("close %1").arg(port);
        };
        gps.OnNewCommand = [this](TPlovikSerialGPS*, QByteArray line) { lines << line; };
    }

    // Runs polls until a line has arrived or two seconds have passed.
    bool receiveLine() {
        return WaitUntil([this] {
            time.advance(50);
            return !lines.isEmpty();
        });
    }

    QtSerialLayer layer;
    SteppedTime time;
    QStringList events;
    QList<QByteArray> lines;
    TPlovikSerialGPS gps{nullptr, SerialPlatform{&layer, &time, &time}};
};
