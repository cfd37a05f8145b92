// Coming back by itself after the device went away: through a real pseudo-terminal whose link is
// pointed at a new pair, and on a fake layer for the rules of waiting.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "FakeSerialLayer.h"
#include "LinkStatusText.h"
#include "PtyLink.h"

namespace {

const QString kWaiting = QStringLiteral("device gone \u2014 waiting for it to come back");

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

DeviceIdentity Adapter(const QString& serialNumber, bool present = true) {
    DeviceIdentity identity;
    identity.path = QStringLiteral("/dev/fake1");
    identity.present = present;
    identity.serialNumber = serialNumber;
    return identity;
}

// A component with AutoReconnect on a fake layer, open on the adapter with serial number "A".
class FakeReconnect : public ::testing::Test {
protected:
    void SetUp() override {
        gps.Ports.setExplicitEntries({{1, QStringLiteral("/dev/fake1")}});
        gps.AutoReconnect = true;
        gps.OnOpen = [this](TPlovikSerialGPS*, qint32) { events << QStringLiteral("open"); };
        gps.OnClose = [this](TPlovikSerialGPS*, qint32) { events << QStringLiteral("close"); };
        layer.identities[QStringLiteral("/dev/fake1")] = Adapter(QStringLiteral("A"));
        gps.Open();
        ASSERT_TRUE(gps.Connected);
    }

    // The adapter goes away and the next look finds what.
    void pullOut(const DeviceIdentity& then) {
        layer.gone = true;
        layer.identities[QStringLiteral("/dev/fake1")] = then;
        time.advance(1000);
        layer.gone = false;
    }

    FakeSerialLayer layer;
    SteppedTime time;
    QStringList events;
    TPlovikSerialGPS gps{nullptr, SerialPlatform{&layer, &time, &time}};
};

}  // namespace

TEST(Reconnect, DeviceBackAtTheSameLinkCarriesLinesAgainIntoTheSameLog) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("ttyGps"));
    const QString log = folder.filePath(QStringLiteral("lines.log"));
    auto first = std::make_unique<PseudoTerminal>();
    ASSERT_TRUE(QFile::link(first->devicePath(), path));
    PtyLink link(path);
    link.gps.AutoReconnect = true;
    link.gps.LogEnabled = true;
    link.gps.LogFileName = log.toLocal8Bit();
    link.gps.Baud = 19200;  // 7E2: a link to a pseudo-terminal takes any format too
    link.gps.DataBitsCode = 3;
    link.gps.ParityCode = 2;
    link.gps.StopBitsCode = 3;
    QList<TLinkState> statesAtClose;
    link.gps.OnClose = [&](TPlovikSerialGPS* gps, qint32) {
        link.events << QStringLiteral("close");
        statesAtClose << gps->LinkState;
    };
    link.gps.Open();
    ASSERT_TRUE(link.gps.Connected) << qPrintable(link.gps.OpenError);
    ASSERT_TRUE(first->write("before\r\n"));
    ASSERT_TRUE(link.receiveLine());

    first.reset();  // the far end closes: the device hangs up and its node goes away
    PseudoTerminal second;
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::link(second.devicePath(), path));
    const qint64 goneAt = link.time.elapsed();
    while (link.events.size() < 3 && link.time.elapsed() - goneAt < 2000)
        link.time.advance(50);
    EXPECT_EQ(link.events, (QStringList{"open 7", "close", "open 7"}));
    EXPECT_EQ(statesAtClose, QList<TLinkState>{TLinkState::WaitingForDevice});
    ASSERT_TRUE(link.gps.Connected) << qPrintable(link.gps.OpenError);
    const bool keepsFormat = PseudoTerminal::takesCharacterFormat(CS7, PARENB);
    EXPECT_EQ(LinkSettingsText(link.gps), keepsFormat ? "19200 7E2" : "19200 8N2");

    ASSERT_TRUE(second.write("after\r\n"));
    ASSERT_TRUE(WaitUntil([&] {
        link.time.advance(50);
        return link.lines.size() == 2;
    }));
    EXPECT_EQ(link.lines, (QList<QByteArray>{"before", "after"}));
    EXPECT_EQ(ReadFile(log), "before\r\nafter\r\n");
}

// Opening a different adapter that took the name would already raise its DTR; one that is there
// again but cannot be opened yet is tried again, and the status says why.
TEST_F(FakeReconnect, OnlyTheSameAdapterIsReopened) {
    pullOut(Adapter(QStringLiteral("B")));
    EXPECT_EQ(events, (QStringList{"open", "close"}));
    EXPECT_FALSE(gps.Connected);
    EXPECT_EQ(gps.LinkState, TLinkState::WaitingForDevice);
    EXPECT_EQ(LinkStateText(gps), kWaiting);
    time.advance(5000);
    EXPECT_EQ(layer.openAttempts, 1);

    layer.identities[QStringLiteral("/dev/fake1")] = Adapter(QStringLiteral("A"));
    layer.failOpen = true;
    layer.openFailure = {SerialFailure::Kind::Busy, QStringLiteral("Device or resource busy"),
                         QStringLiteral("ModemManager (812)")};
    time.advance(1000);
    EXPECT_EQ(gps.LinkState, TLinkState::WaitingForDevice);
    EXPECT_EQ(
        LinkStateText(gps),
        kWaiting + QStringLiteral(" (Device or resource busy \u2014 held by ModemManager (812))"));

    layer.failOpen = false;
    time.advance(1000);
    EXPECT_TRUE(gps.Connected);
    EXPECT_EQ(gps.LinkState, TLinkState::Open);
    EXPECT_EQ(events, (QStringList{"open", "close", "open"}));
    EXPECT_EQ(layer.openDevices, 1);
}

// The owner's Close, or an Open of its own that fails, ends the wait; until then the path is
// looked at once a second and nothing is opened while nothing is there.
TEST_F(FakeReconnect, AbsentDeviceIsLookedForOnceASecondUntilTheOwnerActs) {
    const struct {
        const char* what;
        std::function<void(TPlovikSerialGPS&)> act;
    } cases[] = {
        {"Close", [](TPlovikSerialGPS& g) { g.Close(); }},
        {"failing Open", [](TPlovikSerialGPS& g) { g.Open(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        events.clear();
        layer.openAttempts = 0;
        layer.identifies = 0;
        pullOut(Adapter(QStringLiteral("A"), false));
        time.advance(9000);
        EXPECT_EQ(layer.identifies, 10);
        EXPECT_EQ(layer.openAttempts, 0);

        layer.failOpen = true;
        c.act(gps);
        EXPECT_EQ(gps.LinkState, TLinkState::Closed);
        time.advance(5000);
        EXPECT_EQ(layer.identifies, 10);
        EXPECT_FALSE(gps.ReconnectTimer->isEnabled());
        EXPECT_EQ(events, QStringList{"close"});

        layer.failOpen = false;  // back on the adapter for the next case
        layer.identities[QStringLiteral("/dev/fake1")] = Adapter(QStringLiteral("A"));
        gps.Open();
        ASSERT_TRUE(gps.Connected);
    }
}

TEST_F(FakeReconnect, WithoutAutoReconnectAHungUpDeviceStaysConnected) {
    gps.Close();
    gps.AutoReconnect = false;
    gps.Open();
    events.clear();
    pullOut(Adapter(QStringLiteral("A")));
    time.advance(5000);
    EXPECT_TRUE(gps.Connected);
    EXPECT_EQ(gps.LinkState, TLinkState::Open);
    EXPECT_FALSE(gps.ReconnectTimer->isEnabled());
    EXPECT_TRUE(events.isEmpty());
}
