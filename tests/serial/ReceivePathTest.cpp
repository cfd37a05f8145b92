// The receive path on a fake serial layer and stepped time: framing, the buffer bound, reading,
// the line log and the silence watchdog.
#include <gtest/gtest.h>

#include <stdexcept>

#include "ComponentOnFakeLayer.h"

namespace {

using Lines = QList<QByteArray>;

class ReceivePathTest : public ::testing::Test {
protected:
    void SetUp() override { TPlovikSerialGPS::SilenceReported = false; }
    void TearDown() override { TPlovikSerialGPS::SilenceReported = false; }

    ComponentOnFakeLayer h;
};

struct FramingCase {
    const char* name;
    QList<QByteArray> chunks;  // one poll each
    Lines expected;
    QByteArray leftOver;  // what waits in ReceiveBuffer afterwards
};

void PrintTo(const FramingCase& c, std::ostream* os) {
    *os << c.name;
}

class FramingTest : public ::testing::TestWithParam<FramingCase> {};

TEST_P(FramingTest, ChunksBecomeTrimmedLines) {
    const FramingCase& c = GetParam();
    ComponentOnFakeLayer h;
    h.gps.Open();
    for (const QByteArray& chunk : c.chunks)
        h.receive(chunk);
    EXPECT_EQ(h.lines, c.expected);
    EXPECT_EQ(h.gps.ReceiveBuffer, c.leftOver);
}

INSTANTIATE_TEST_SUITE_P(
    Receive, FramingTest,
    ::testing::Values(
        FramingCase{"CrLfEnding", {"$GPGGA,1,2\r\n"}, {"$GPGGA,1,2"}, ""},
        FramingCase{"TwoLinesInOneChunk", {"first\nsecond\n"}, {"first", "second"}, ""},
        FramingCase{"LineOverThreeChunks", {"ab", "cd", "ef\n"}, {"abcdef"}, ""},
        FramingCase{"NoLineFeedYet", {"partial", " text"}, {}, "partial text"},
        FramingCase{
            "LineFeedAloneAndCrLfAlike", {"one\r\ntwo\nthree\r"}, {"one", "two"}, "three\r"},
        FramingCase{"BlankOnlyLinesDropped", {" \t \r\n\n\r\n\x01\x1f\n", "x\n"}, {"x"}, ""},
        FramingCase{"OuterBlanksTrimmedInnerKept", {"  a b\tc\rd \t\r\n"}, {"a b\tc\rd"}, ""},
        FramingCase{"CarriageReturnEndsNothing", {"a\rb\n"}, {"a\rb"}, ""},
        FramingCase{
            "HighBytesAndDeleteKept", {"\x7f\x80mid\xff\n\xe9\n"}, {"\x7f\x80mid\xff", "\xe9"}, ""},
        FramingCase{"ZeroBytesRemovedNotCut",
                    {QByteArray("ab\0c\n\0\0d\ne\0", 11), QByteArray("f\n", 2)},
                    {"abc", "d", "ef"},
                    ""},
        FramingCase{"RestAfterLastLineFeedWaits", {"done\nhalf"}, {"done"}, "half"}),
    [](const auto& info) { return std::string(info.param.name); });

// The line is logged before the handler sees it, and decoded only after the handler returned.
TEST_F(ReceivePathTest, LineIsLoggedThenRaisedThenDecoded) {
    h.openWithLog(false);
    QByteArray logAtHandler;
    double latitudeAtHandler = -1;
    h.gps.OnNewCommand = [&](TPlovikSerialGPS*, QByteArray) {
        logAtHandler = h.logContents();
        latitudeAtHandler = h.gps.GpsData.Latitude;
    };
    const QByteArray sentence = "$GPGGA,1,5130.500,N,00007.500,W,1,07,1.1,35.0,M";
    h.receive(" \t" + sentence + "*47\r\n");
    EXPECT_EQ(logAtHandler, sentence + "*47\r\n");
    EXPECT_EQ(latitudeAtHandler, 0);
    EXPECT_NEAR(h.gps.GpsData.Latitude, 51.508333, 1e-6);
}

TEST_F(ReceivePathTest, LongRunWithoutLineFeedKeepsOnlyItsTail) {
    struct Case {
        int length;
        int kept;
    };
    for (const Case c : {Case{4096, 4096}, Case{4097, 2048}, Case{5000, 2048}}) {
        ComponentOnFakeLayer h;
        h.gps.Open();
        QByteArray run;
        for (int i = 0; i < c.length; ++i)
            run += char('a' + i % 26);
        h.receive(run);
        EXPECT_EQ(h.gps.ReceiveBuffer, run.right(c.kept)) << c.length;
    }
}

TEST_F(ReceivePathTest, OnePollDrainsTheDriverInReadsOfAtMost1023Bytes) {
    h.gps.Open();
    QByteArray data;
    Lines sent;
    for (int i = 0; data.size() < 3200; ++i) {
        sent.append("line " + QByteArray::number(i));
        data += sent.last() + "\r\n";
    }
    h.receive(data);
    EXPECT_EQ(h.lines, sent);
    EXPECT_EQ(h.layer.readSizes, (QList<qint64>{1023, 1023, 1023, data.size() - 3 * 1023}));
    EXPECT_TRUE(h.layer.input.isEmpty());
}

TEST_F(ReceivePathTest, OnePollTakesAtMostOneMebibyte) {
    h.gps.Open();
    const qint64 mebibyte = 1024 * 1024;
    h.layer.input = QByteArray(mebibyte + 5000, 'x');
    h.gps.Poll();
    EXPECT_EQ(h.layer.input.size(), 5000);
    for (qint64 size : h.layer.readSizes)
        EXPECT_LE(size, 1023);
    h.gps.Poll();
    EXPECT_TRUE(h.layer.input.isEmpty());
}

TEST_F(ReceivePathTest, SlowLineHandlingEndsThePollAndTheNextTickTakesTheRest) {
    h.gps.Open();
    int handled = 0;
    h.gps.OnNewCommand = [&](TPlovikSerialGPS*, QByteArray) {
        ++handled;
        h.time.spend(10);  // a slow window: every line costs ten milliseconds
    };
    QByteArray waiting;
    for (int i = 0; i < 1000; ++i)
        waiting += "line " + QByteArray::number(i) + '\n';
    h.layer.input = waiting;

    h.gps.Poll();
    // The read that overran the budget is handled whole, then the poll yields to the window.
    EXPECT_GT(handled, 0);
    EXPECT_LT(handled, 1000);
    EXPECT_FALSE(h.layer.input.isEmpty());
    while (!h.layer.input.isEmpty())
        h.gps.Poll();
    EXPECT_EQ(handled, 1000);
}

TEST_F(ReceivePathTest, FailedQueryOrReadEndsTheTickWithoutData) {
    for (const bool failQuery : {true, false}) {
        ComponentOnFakeLayer h;
        h.gps.Open();
        h.layer.failQuery = failQuery;
        h.layer.failRead = !failQuery;
        h.receive("lost?\n");
        EXPECT_FALSE(h.gps.DataSeen);
        EXPECT_TRUE(h.lines.isEmpty());
        EXPECT_TRUE(h.gps.ReceiveBuffer.isEmpty());
    }
}

TEST_F(ReceivePathTest, PollWhileClosedReadsNothing) {
    h.layer.input = "x\n";
    h.gps.Poll();
    EXPECT_EQ(h.layer.reads, 0);
    EXPECT_TRUE(h.lines.isEmpty());
}

// A throwing handler leaves Poll; its line is gone from the buffer, the lines behind it wait for
// the next chunk, and nothing arrives twice.
TEST_F(ReceivePathTest, HandlerExceptionLeavesPollAndLosesNothing) {
    h.gps.Open();
    h.gps.OnNewCommand = [&](TPlovikSerialGPS*, QByteArray line) {
        h.lines.append(line);
        if (line == "b")
            throw std::runtime_error("handler failed");
    };
    EXPECT_THROW(h.receive("a\nb\nc\n"), std::runtime_error);
    EXPECT_EQ(h.lines, (Lines{"a", "b"}));
    EXPECT_EQ(h.gps.ReceiveBuffer, "c\n");
    h.receive("d\n");
    EXPECT_EQ(h.lines, (Lines{"a", "b", "c", "d"}));
}

TEST_F(ReceivePathTest, HandlerClosingThePortEndsTheReading) {
    h.gps.Open();
    h.gps.OnNewCommand = [&](TPlovikSerialGPS* gps, QByteArray line) {
        h.lines.append(line);
        gps->Close();
    };
    h.receive("first\n" + QByteArray(3000, 'y'));
    EXPECT_FALSE(h.gps.Connected);
    EXPECT_EQ(h.lines, (Lines{"first"}));
    EXPECT_EQ(h.layer.reads, 1);
}

TEST_F(ReceivePathTest, LogRecordsAreExactOnDisk) {
    struct Case {
        bool timestamps;
        QByteArray expected;
    };
    const Case cases[] = {
        {false, "earlier\r\n$GPRMC,x\r\n\xe9t\xe9\r\n"},
        {true, "earlier\r\n2025-03-03 140509042 $GPRMC,x\r\n2025-03-03 140509042 \xe9t\xe9\r\n"},
    };
    for (const Case& c : cases) {
        ComponentOnFakeLayer h;
        h.time.setNow(QDateTime(QDate(2025, 3, 3), QTime(14, 5, 9, 42)));
        {
            QFile existing(h.logPath());
            ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
            existing.write("earlier\r\n");
        }
        h.openWithLog(c.timestamps);
        h.receive("$GPRMC,x\r\n\n  \xe9t\xe9  \n");
        // Flushed after every record: the bytes are on disk while the log is still open.
        EXPECT_EQ(h.logContents(), c.expected) << c.timestamps;
    }
}

TEST_F(ReceivePathTest, StampIsLocalTimeOfEachRecord) {
    h.time.setNow(QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59, 998)));
    h.openWithLog(true);
    h.receive("a\n");
    h.time.advance(3);
    h.receive("b\n");
    const QList<QByteArray> records = h.logContents().split('\n');
    ASSERT_EQ(records.size(), 3);
    EXPECT_EQ(records[0], "2024-12-31 235959998 a\r");
    EXPECT_EQ(records[1], "2025-01-01 000000001 b\r");
    EXPECT_EQ(records[1].indexOf('b'), 21);
}

TEST_F(ReceivePathTest, LogSwitchesReadForEveryLine) {
    h.time.setNow(QDateTime(QDate(2025, 3, 3), QTime(14, 5, 9, 42)));
    h.openWithLog(false);
    h.receive("one\n");
    h.gps.LogEnabled = false;
    h.receive("two\n");
    h.gps.LogEnabled = true;
    h.gps.LogTimestamps = true;
    h.receive("three\n");
    EXPECT_EQ(h.logContents(), "one\r\n2025-03-03 140509042 three\r\n");
    EXPECT_EQ(h.lines, (Lines{"one", "two", "three"}));
}

TEST_F(ReceivePathTest, LogSwitchedOnAfterOpenLogsNothing) {
    h.gps.LogFileName = h.logPath().toLocal8Bit();
    h.gps.Open();
    h.gps.LogEnabled = true;
    h.receive("$GPVTG,1,T,,M,,N,2.5,K\n");
    EXPECT_FALSE(QFile::exists(h.logPath()));
    EXPECT_EQ(h.lines.size(), 1);
    EXPECT_EQ(h.gps.GpsData.Speed, 2.5);
}

// The silence watchdog, watched from the events it raises and the stepped time they come at.
class WatchdogTest : public ReceivePathTest {
protected:
    void SetUp() override {
        ReceivePathTest::SetUp();
        h.gps.OnTimeout = [this](TPlovikSerialGPS*) { events.append({"timeout", now()}); };
        h.gps.OnNoData = [this](TPlovikSerialGPS*) { events.append({"nodata", now()}); };
        h.gps.OnNewCommand = [this](TPlovikSerialGPS*, QByteArray) { lastLineAt = now(); };
    }

    qint64 now() const { return h.time.elapsed(); }
    // The driver gets a line at once; the next poll takes it.
    void lineArrives() { h.layer.input += "tick\n"; }

    using Event = std::pair<QByteArray, qint64>;
    QList<Event> events;
    qint64 lastLineAt = -1;
};

TEST_F(WatchdogTest, SilenceAfterOpenIsReportedOnceAfterFiveSeconds) {
    h.gps.Open();
    h.time.advance(12000);
    EXPECT_EQ(events, (QList<Event>{{"timeout", 5000}, {"nodata", 5000}}));
}

TEST_F(WatchdogTest, DataEverySecondThenSilenceReportsTenSecondsAfterTheLastChunk) {
    h.gps.Open();
    for (int second = 0; second < 60; ++second) {
        lineArrives();
        h.time.advance(1000);
    }
    EXPECT_TRUE(events.isEmpty());
    h.time.advance(30000);
    EXPECT_EQ(events,
              (QList<Event>{{"timeout", lastLineAt + 10000}, {"nodata", lastLineAt + 10000}}));
}

TEST_F(WatchdogTest, ReportedSilenceOutlivesCloseOpenAndOtherInstances) {
    h.gps.Open();
    h.time.advance(5000);
    ASSERT_EQ(events.size(), 2);
    h.gps.Close();
    h.gps.Open();
    h.time.advance(12000);

    ComponentOnFakeLayer other;
    bool otherReported = false;
    other.gps.OnTimeout = [&](TPlovikSerialGPS*) { otherReported = true; };
    other.gps.Open();
    other.time.advance(12000);
    EXPECT_FALSE(otherReported);
    EXPECT_EQ(events.size(), 2);

    lineArrives();
    h.time.advance(20000);
    EXPECT_EQ(events.mid(2),
              (QList<Event>{{"timeout", lastLineAt + 10000}, {"nodata", lastLineAt + 10000}}));
}

TEST_F(WatchdogTest, AllZeroChunkStillCountsAsData) {
    h.gps.Open();
    h.time.advance(4000);
    h.layer.input += QByteArray(3, '\0');
    h.time.advance(50);
    h.time.advance(8000);
    EXPECT_TRUE(events.isEmpty());
    EXPECT_TRUE(h.gps.ReceiveBuffer.isEmpty());
}

}  // namespace
