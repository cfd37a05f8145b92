// One click of "Broadcast": the bytes that reach the device and the lines the terminal gets.
#include <gtest/gtest.h>

#include "Plovikserialgps.h"
#include "PseudoTerminal.h"
#include "QtSerialLayer.h"
#include "SerialPlatform.h"
#include "SteppedTime.h"
#include "Transmit.h"
#include "TransmitCases.h"

namespace {

constexpr qint32 kPort = 3;

TEST(Transmit, EachEndingReachesTheDeviceExactly) {
    PseudoTerminal pty;
    QtSerialLayer layer;
    SteppedTime time;
    TPlovikSerialGPS gps(nullptr, SerialPlatform{&layer, &time, &time});
    gps.Ports.setExplicitEntries({{kPort, pty.devicePath()}});
    gps.PortNumber = kPort;
    gps.Open();
    ASSERT_TRUE(gps.Connected);
    const SendBytes send = [&gps](const QByteArray& bytes) { return gps.Send(bytes); };

    for (const TransmitCase& c : kTransmitCases) {
        SCOPED_TRACE(c.bytes.toPercentEncoding().constData());
        EXPECT_EQ(Broadcast(gps.Connected, c.text, c.cr, c.lf, send), QStringList{c.text});
        EXPECT_EQ(pty.drain(), c.bytes);
    }
}

TEST(Transmit, NotConnectedSendsNothingAndSaysSoOnEveryClick) {
    int sends = 0;
    const SendBytes send = [&sends](const QByteArray&) { return ++sends, true; };
    for (int click = 0; click < 2; ++click) {
        EXPECT_EQ(Broadcast(false, QStringLiteral("ping"), true, true, send),
                  QStringList{"Error: Not connected to COM port"});
    }
    EXPECT_EQ(sends, 0);
}

TEST(Transmit, AFailedSendIsEchoedAndReported) {
    QByteArray handed;
    const SendBytes fail = [&handed](const QByteArray& bytes) { return handed = bytes, false; };
    EXPECT_EQ(Broadcast(true, QStringLiteral("ping"), false, true, fail),
              QStringList({"ping", "Error: Send to COM port failed"}));
    EXPECT_EQ(handed, QByteArray("ping\n"));
}

}  // namespace
