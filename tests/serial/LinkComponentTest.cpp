// The component's link to its port on a fake serial layer and stepped time: opening, the line
// settings it asks for, closing, sending, its events and the two conversion helpers.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <limits>
#include <stdexcept>

#include "ComponentOnFakeLayer.h"
#include "Plovikserialgps.h"
#include "SerialPlatform.h"
#include "SteppedTime.h"

namespace {

const QString kDevice1 = QStringLiteral("/dev/fake1");
const QString kDevice12 = QStringLiteral("/dev/fake12");

// A component on a fake layer with ports 1 and 12 mapped and every event recorded as text
// ("open 1", "send AT", ...).
struct Link : ComponentOnFakeLayer {
    Link() {
        gps.Ports.setExplicitEntries({{1, kDevice1}, {12, kDevice12}});
        gps.OnOpen = [this](TPlovikSerialGPS* sender, qint32 port) {
            record(sender, QStringLiteral("open %1").arg(port));
        };
        gps.OnClose = [this](TPlovikSerialGPS* sender, qint32 port) {
            record(sender, QStringLiteral("close %1").arg(port));
        };
        gps.OnSend = [this](TPlovikSerialGPS* sender, QByteArray text) {
            record(sender, QStringLiteral("send ") + QString::fromLatin1(text));
        };
        gps.OnPosition = [this](TPlovikSerialGPS* sender, long double, long double, long double) {
            record(sender, QStringLiteral("position"));
        };
        gps.OnSpeed = [this](TPlovikSerialGPS* sender, long double) {
            record(sender, QStringLiteral("speed"));
        };
    }

    void record(TPlovikSerialGPS* sender, const QString& event) {
        EXPECT_EQ(sender, &gps) << qPrintable(event);
        events << event;
    }

    bool timersRunning() const {
        return gps.PollTimer->isEnabled() || gps.WatchdogTimer->isEnabled();
    }
};

class LinkTest : public ::testing::Test, protected Link {};

}  // namespace

TEST_F(LinkTest, FreshComponentHasItsDefaultsAndIsClosed) {
    EXPECT_FALSE(gps.Connected);
    EXPECT_EQ(gps.PortHandle, nullptr);
    EXPECT_EQ(gps.PortNumber, 1);
    EXPECT_EQ(gps.Baud, 9600);
    EXPECT_EQ(gps.DataBitsCode, 4);
    EXPECT_EQ(gps.StopBitsCode, 1);
    EXPECT_EQ(gps.ParityCode, 0);
    EXPECT_EQ(gps.PollInterval, 50);
    EXPECT_FALSE(gps.LogEnabled || gps.LogTimestamps || gps.DtrEnabled || gps.RtsEnabled);
    EXPECT_TRUE(gps.LogFileName.isEmpty());
    EXPECT_TRUE(gps.ReceiveBuffer.isEmpty());
    EXPECT_FALSE(gps.DataSeen);
    EXPECT_EQ(gps.LogFile, nullptr);
    EXPECT_TRUE(gps.OpenError.isEmpty());
    EXPECT_EQ(gps.LinkState, TLinkState::Closed);
    EXPECT_FALSE(gps.AutoReconnect);  // other owners keep a hung-up device as it was
    EXPECT_EQ(gps.GpsData.Latitude, 0);
    EXPECT_EQ(gps.GpsData.SatelliteCount, 0);
    EXPECT_FALSE(timersRunning());
    EXPECT_EQ(gps.PollTimer->interval(), 50);
    EXPECT_EQ(gps.WatchdogTimer->interval(), 5000);
    EXPECT_EQ(gps.ReconnectTimer->interval(), 1000);
    EXPECT_FALSE(gps.ReconnectTimer->isEnabled());
    EXPECT_TRUE(layer.opened.isEmpty());
}

// Whatever step of Open fails, the component is left closed: no device held, no event, no timer
// and no line log, and the reason is kept for the window.
TEST(LinkOpen, EveryFailureLeavesNothingBehind) {
    struct Case {
        const char* what;
        std::function<void(Link&)> arrange;
        QString reason;
    };
    const Case cases[] = {
        {"number maps to no device", [](Link& l) { l.gps.PortNumber = 5; },
         QStringLiteral("No device is mapped to COM5")},
        {"device cannot be opened",
         [](Link& l) {
             l.layer.failOpen = true;
             l.layer.openFailure = {SerialFailure::Kind::Busy,
                                    QStringLiteral("Device or resource busy")};
         },
         QStringLiteral("Device or resource busy")},
        {"settings cannot be read", [](Link& l) { l.layer.failGetSettings = true; },
         QStringLiteral("Invalid argument")},
        {"settings are refused", [](Link& l) { l.layer.failSetSettings = true; },
         QStringLiteral("Invalid argument")},
    };
    QTemporaryDir folder;
    const QString logPath = folder.filePath(QStringLiteral("lines.log"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Link link;
        link.layer.settingsError = QStringLiteral("Invalid argument");
        link.gps.LogEnabled = true;
        link.gps.LogFileName = logPath.toLocal8Bit();
        c.arrange(link);

        link.gps.Open();
        EXPECT_FALSE(link.gps.Connected);
        EXPECT_EQ(link.gps.PortHandle, nullptr);
        EXPECT_EQ(link.layer.openDevices, 0);
        EXPECT_EQ(link.gps.LogFile, nullptr);
        EXPECT_FALSE(QFile::exists(logPath));
        EXPECT_FALSE(link.timersRunning());
        EXPECT_EQ(link.gps.OpenError, c.reason);
        link.layer.input = "data\n";
        link.time.advance(20000);
        EXPECT_EQ(link.layer.reads, 0);
        EXPECT_TRUE(link.events.isEmpty()) << qPrintable(link.events.join(", "));
    }
}

TEST_F(LinkTest, SuccessfulOpenForgetsTheLastFailure) {
    layer.failOpen = true;
    gps.Open();
    ASSERT_FALSE(gps.OpenError.isEmpty());
    layer.failOpen = false;
    gps.Open();
    EXPECT_TRUE(gps.Connected);
    EXPECT_TRUE(gps.OpenError.isEmpty());
}

TEST_F(LinkTest, OpenTakesTheDeviceMappedToThePortNumber) {
    gps.PortNumber = 12;
    gps.Open();
    EXPECT_EQ(layer.opened, QStringList{kDevice12});
    EXPECT_EQ(events, QStringList{"open 12"});
    EXPECT_NE(gps.PortHandle, nullptr);
}

TEST_F(LinkTest, OpenWhileOpenAndCloseWhileClosedDoNothing) {
    gps.Close();
    EXPECT_TRUE(events.isEmpty());
    gps.Open();
    gps.Open();
    EXPECT_EQ(layer.opened.size(), 1);
    EXPECT_EQ(layer.openDevices, 1);
    gps.PortNumber = 12;  // only the next Open reads it; OnClose reports the current number
    gps.Close();
    gps.Close();
    EXPECT_EQ(events, (QStringList{"open 1", "close 12"}));
    EXPECT_EQ(layer.openDevices, 0);
    EXPECT_EQ(gps.PortHandle, nullptr);
    EXPECT_FALSE(timersRunning());
}

// What Open asks of the driver, starting from what the driver reported: every setting the
// component does not own keeps the driver's value.
TEST(LinkOpen, LineSettingsFollowTheCodes) {
    using P = LineSettings::Parity;
    using S = LineSettings::StopBits;
    LineSettings reported;
    reported.baudRate = 300;
    reported.dataBits = 5;
    reported.stopBits = S::Two;
    reported.parity = P::Mark;
    reported.dtr = true;
    reported.rts = true;

    struct Case {
        const char* what;
        std::function<void(TPlovikSerialGPS&)> set;
        std::function<void(LineSettings&)> expect;
    };
    const Case cases[] = {
        {"defaults", [](auto&) {}, [](auto&) {}},
        {"baud as given, even unusual", [](auto& g) { g.Baud = 28800; },
         [](auto& s) { s.baudRate = 28800; }},
        {"4 data bits", [](auto& g) { g.DataBitsCode = 0; }, [](auto& s) { s.dataBits = 4; }},
        {"7 data bits", [](auto& g) { g.DataBitsCode = 3; }, [](auto& s) { s.dataBits = 7; }},
        {"data bits kept to a byte", [](auto& g) { g.DataBitsCode = 260; }, [](auto&) {}},
        {"stop bits 0", [](auto& g) { g.StopBitsCode = 0; }, [](auto&) {}},
        {"one and a half", [](auto& g) { g.StopBitsCode = 2; },
         [](auto& s) { s.stopBits = S::OneAndHalf; }},
        {"two stop bits", [](auto& g) { g.StopBitsCode = 3; },
         [](auto& s) { s.stopBits = S::Two; }},
        {"stop bits 4", [](auto& g) { g.StopBitsCode = 4; }, [](auto&) {}},
        {"stop bits -1", [](auto& g) { g.StopBitsCode = -1; }, [](auto&) {}},
        {"odd", [](auto& g) { g.ParityCode = 1; },
         [](auto& s) {
             s.parity = P::Odd;
             s.parityChecking = true;
         }},
        {"even", [](auto& g) { g.ParityCode = 2; },
         [](auto& s) {
             s.parity = P::Even;
             s.parityChecking = true;
         }},
        {"mark", [](auto& g) { g.ParityCode = 3; },
         [](auto& s) {
             s.parity = P::Mark;
             s.parityChecking = true;
         }},
        {"space", [](auto& g) { g.ParityCode = 4; },
         [](auto& s) {
             s.parity = P::Space;
             s.parityChecking = true;
         }},
        {"parity 7 keeps the driver's", [](auto& g) { g.ParityCode = 7; },
         [](auto& s) {
             s.parity = P::Mark;
             s.parityChecking = true;
         }},
        {"parity -1 keeps the driver's", [](auto& g) { g.ParityCode = -1; },
         [](auto& s) {
             s.parity = P::Mark;
             s.parityChecking = true;
         }},
        {"DTR raised, RTS low", [](auto& g) { g.DtrEnabled = true; },
         [](auto& s) { s.dtr = true; }},
        {"RTS raised, DTR low", [](auto& g) { g.RtsEnabled = true; },
         [](auto& s) { s.rts = true; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Link link;
        link.layer.reported = reported;
        c.set(link.gps);
        link.gps.Open();
        ASSERT_TRUE(link.gps.Connected);

        LineSettings expected = reported;
        expected.baudRate = 9600;
        expected.dataBits = 8;
        expected.stopBits = S::One;
        expected.parity = P::None;
        expected.parityChecking = false;
        expected.dtr = false;
        expected.rts = false;
        c.expect(expected);
        EXPECT_EQ(link.layer.applied.baudRate, expected.baudRate);
        EXPECT_EQ(link.layer.applied.dataBits, expected.dataBits);
        EXPECT_EQ(link.layer.applied.stopBits, expected.stopBits);
        EXPECT_EQ(link.layer.applied.parity, expected.parity);
        EXPECT_EQ(link.layer.applied.parityChecking, expected.parityChecking);
        EXPECT_EQ(link.layer.applied.dtr, expected.dtr);
        EXPECT_EQ(link.layer.applied.rts, expected.rts);
    }
}

TEST_F(LinkTest, OpenSetsNonWaitingReadsABoundedWriteAndDiscardsWhatWaited) {
    layer.input = "stale bytes";
    gps.Open();
    EXPECT_EQ(layer.timeouts.readInterval, std::numeric_limits<quint32>::max());
    EXPECT_EQ(layer.timeouts.readTotalMultiplier, 0u);
    EXPECT_EQ(layer.timeouts.readTotalConstant, 0u);
    EXPECT_EQ(layer.timeouts.writeTotalMultiplier, 0u);
    EXPECT_EQ(layer.timeouts.writeTotalConstant, 1000u);
    EXPECT_EQ(layer.purges, 1);
    EXPECT_TRUE(layer.input.isEmpty());
}

// A poll period below 1 ms means the default 50 ms; the watchdog always runs at 5 s.
TEST(LinkOpen, PollRunsEveryPollIntervalOr50Ms) {
    const struct {
        qint32 pollInterval;
        int period;
    } cases[] = {{0, 50}, {-10, 50}, {1, 1}, {200, 200}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pollInterval);
        Link link;
        link.gps.PollInterval = c.pollInterval;
        link.gps.Open();
        EXPECT_TRUE(link.gps.PollTimer->isEnabled());
        EXPECT_TRUE(link.gps.WatchdogTimer->isEnabled());
        EXPECT_EQ(link.gps.WatchdogTimer->interval(), 5000);
        link.layer.input = "x";
        link.time.advance(c.period - 1);
        EXPECT_EQ(link.layer.reads, 0);
        link.time.advance(1);
        EXPECT_EQ(link.layer.reads, 1);
        link.layer.input = "y";
        link.time.advance(c.period);
        EXPECT_EQ(link.layer.reads, 2);
    }
}

TEST_F(LinkTest, CloseZeroesGpsDataSilentlyAndLeavesTheBufferForTheNextOpenToEmpty) {
    gps.Open();
    gps.GpsData = {51.5, -0.125, 35.0, 18.52, 90.0, 1, 7};
    gps.ReceiveBuffer = "partial";
    gps.DataSeen = true;
    gps.Close();
    EXPECT_EQ(gps.GpsData.Latitude, 0);
    EXPECT_EQ(gps.GpsData.Longitude, 0);
    EXPECT_EQ(gps.GpsData.Altitude, 0);
    EXPECT_EQ(gps.GpsData.Speed, 0);
    EXPECT_EQ(gps.GpsData.Course, 0);
    EXPECT_EQ(gps.GpsData.FixQuality, 0);
    EXPECT_EQ(gps.GpsData.SatelliteCount, 0);
    EXPECT_EQ(gps.ReceiveBuffer, "partial");
    EXPECT_EQ(events, (QStringList{"open 1", "close 1"}));

    gps.Open();
    EXPECT_TRUE(gps.ReceiveBuffer.isEmpty());
    EXPECT_FALSE(gps.DataSeen);
}

TEST(LinkLifetime, DestroyingAConnectedComponentClosesItOnce) {
    FakeSerialLayer layer;
    SteppedTime time;
    QTemporaryDir folder;
    QStringList events;
    auto* owner = new QObject;
    auto* gps = new TPlovikSerialGPS(owner, {&layer, &time, &time});
    gps->Ports.setExplicitEntries({{3, kDevice1}});
    gps->PortNumber = 3;
    gps->LogEnabled = true;
    gps->LogFileName = folder.filePath("lines.log").toLocal8Bit();
    gps->OnClose = [&events](TPlovikSerialGPS*, qint32 port) {
        events << QStringLiteral("close %1").arg(port);
    };
    gps->Open();
    ASSERT_NE(gps->LogFile, nullptr);
    std::fputs("last words", gps->LogFile);  // still buffered: only closing writes it out

    delete owner;
    EXPECT_EQ(events, QStringList{"close 3"});
    EXPECT_EQ(layer.openDevices, 0);
    QFile log(folder.filePath("lines.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll(), "last words");
}

TEST(LinkLifetime, DestroyingAClosedComponentRaisesNothing) {
    FakeSerialLayer layer;
    SteppedTime time;
    QStringList events;
    {
        TPlovikSerialGPS gps(nullptr, {&layer, &time, &time});
        gps.OnClose = [&events](TPlovikSerialGPS*, qint32) { events << "close"; };
    }
    EXPECT_TRUE(events.isEmpty());
}

// An OnClose handler that throws while the component is destroyed must not end the program.
TEST(LinkLifetime, ThrowingOnCloseDuringDestructionStillReleasesTheDevice) {
    FakeSerialLayer layer;
    SteppedTime time;
    {
        TPlovikSerialGPS gps(nullptr, {&layer, &time, &time});
        gps.Ports.setExplicitEntries({{1, kDevice1}});
        gps.OnClose = [](TPlovikSerialGPS*, qint32) { throw std::runtime_error("handler"); };
        gps.Open();
        ASSERT_EQ(layer.openDevices, 1);
    }
    EXPECT_EQ(layer.openDevices, 0);
}

// A handler's exception leaves the operation, whose own work is already done by then.
TEST_F(LinkTest, ExceptionsFromOpenAndCloseHandlersPassThroughAfterTheWork) {
    gps.OnOpen = [](TPlovikSerialGPS*, qint32) { throw std::runtime_error("open handler"); };
    gps.OnClose = [](TPlovikSerialGPS*, qint32) { throw std::runtime_error("close handler"); };
    EXPECT_THROW(gps.Open(), std::runtime_error);
    EXPECT_TRUE(gps.Connected);
    EXPECT_TRUE(timersRunning());
    EXPECT_THROW(gps.Close(), std::runtime_error);
    EXPECT_FALSE(gps.Connected);
    EXPECT_FALSE(timersRunning());
    EXPECT_EQ(layer.openDevices, 0);
}

TEST_F(LinkTest, SendWritesTheBytesAsTheyAreAndReportsWhetherAllWent) {
    EXPECT_FALSE(gps.Send("AT"));
    EXPECT_TRUE(layer.written.isEmpty());
    EXPECT_TRUE(events.isEmpty());

    gps.Open();
    EXPECT_TRUE(gps.Send("AT"));
    EXPECT_TRUE(gps.Send(""));
    EXPECT_TRUE(gps.Send(QByteArray("\x00\x11\x13\xff", 4)));
    EXPECT_EQ(layer.written, QByteArray("AT\x00\x11\x13\xff", 6));

    layer.writeLimit = 3;  // the time-out ran out after three bytes
    EXPECT_FALSE(gps.Send("ATZ\r\n"));
    EXPECT_EQ(layer.written.right(3), "ATZ");
    EXPECT_EQ(events,
              (QStringList{"open 1", "send AT", "send ",
                           "send " + QString::fromLatin1("\x00\x11\x13\xff", 4), "send ATZ\r\n"}));
}

TEST_F(LinkTest, LineLogOpensOnlyWhenAskedAndNeverStopsThePort) {
    QTemporaryDir folder;
    const struct {
        const char* what;
        bool enabled;
        QByteArray name;
        bool opens;
    } cases[] = {
        {"log off", false, folder.filePath("off.log").toLocal8Bit(), false},
        {"no file name", true, "", false},
        {"folder missing", true, folder.filePath("missing/lines.log").toLocal8Bit(), false},
        {"log on", true, folder.filePath("on.log").toLocal8Bit(), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        events.clear();
        gps.LogEnabled = c.enabled;
        gps.LogFileName = c.name;
        gps.Open();
        EXPECT_TRUE(gps.Connected);
        EXPECT_EQ(gps.LogFile != nullptr, c.opens);
        EXPECT_EQ(events, QStringList{"open 1"});
        gps.Close();
        EXPECT_EQ(gps.LogFile, nullptr);
        EXPECT_EQ(!c.name.isEmpty() && QFile::exists(QString::fromLocal8Bit(c.name)), c.opens);
    }
}

// An existing line log is appended to, never truncated.
TEST_F(LinkTest, LineLogKeepsWhatItHeld) {
    QTemporaryDir folder;
    const QString path = folder.filePath("lines.log");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("earlier\r\n");
    file.close();
    gps.LogEnabled = true;
    gps.LogFileName = path.toLocal8Bit();
    gps.Open();
    layer.input = "later\n";
    gps.Poll();
    gps.Close();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "earlier\r\nlater\r\n");
}

TEST(LinkHelpers, PortNumberFromName) {
    const struct {
        QByteArray name;
        qint32 number;
    } cases[] = {
        {"COM3", 3}, {"com12", 12}, {"Com20", 20},         {"7", 7},      {"COM", 1},
        {"", 1},     {"COM0", 1},   {"COM-5", 1},          {"COM25", 20}, {"XCOM3", 1},
        {"COMX", 1}, {"COM3A", 1},  {"COM99999999999", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TPlovikSerialGPS::PortNumberFromName(c.name), c.number) << c.name.constData();
}

TEST(LinkHelpers, NormalizeBaudKeepsOnlySupportedRates) {
    for (const qint32 rate :
         {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200, 230400})
        EXPECT_EQ(TPlovikSerialGPS::NormalizeBaud(rate), rate);
    for (const qint32 rate : {28800, 0, -9600, 9601, 460800, 921600})
        EXPECT_EQ(TPlovikSerialGPS::NormalizeBaud(rate), 9600) << rate;
}
