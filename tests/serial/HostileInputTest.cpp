// Input a receiver or a handler should never produce, and the component must survive anyway:
// numbers too large for a double, and a line handler that fails on every line.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "ComponentOnFakeLayer.h"

namespace {

struct OverflowCase {
    const char* sentence;
    double speed;
    double altitude;
    double course;
};

// Every case starts from a known fix, so a number read as 0 shows as a change with its event.
TEST(NmeaOverflow, NumbersBeyondADoubleCountAsZero) {
    const OverflowCase cases[] = {
        {"$GPRMC,,,,,,,1e308", 0, 35, 54.7},
        {"$GPRMC,,,,,,,9.8e307", 0, 35, 54.7},
        {"$GPRMC,,,,,,,-1e308,1e309", 0, 35, 0},
        {"$GPRMC,,,,,,,9.7e307", 9.7e307 * 1.852, 35, 54.7},
        {"$GPVTG,1e309,T,,M,,N,1e309,K", 0, 35, 0},
        {"$GPVTG,,T,,M,,N,1e308,K", 1e308, 35, 54.7},
        {"$GPGGA,1,5130.500,N,00007.500,W,1,07,1.1,1e309,M", 18.52, 0, 54.7},
        {"$GPGGA,1,5130.500,N,00007.500,W,1,07,1.1,-1e309,M", 18.52, 0, 54.7},
        {"$GPGGA,1,5130.500,N,00007.500,W,1,07,1.1,1e308,M", 18.52, 1e308, 54.7},
    };
    for (const OverflowCase& c : cases) {
        FakeSerialLayer layer;
        SteppedTime time;
        TPlovikSerialGPS gps(nullptr, SerialPlatform{&layer, &time, &time});
        gps.DecodeSentence("$GPGGA,1,5130.500,N,00007.500,W,1,07,1.1,35.0,M");
        gps.DecodeSentence("$GPRMC,1,A,,,,,10.0,054.7");
        int positions = 0;
        QList<double> speeds;
        gps.OnPosition = [&](TPlovikSerialGPS*, long double, long double, long double) {
            ++positions;
        };
        gps.OnSpeed = [&](TPlovikSerialGPS*, long double speed) { speeds.append(double(speed)); };

        gps.DecodeSentence(c.sentence);
        EXPECT_DOUBLE_EQ(gps.GpsData.Speed, c.speed) << c.sentence;
        EXPECT_DOUBLE_EQ(gps.GpsData.Altitude, c.altitude) << c.sentence;
        EXPECT_DOUBLE_EQ(gps.GpsData.Course, c.course) << c.sentence;
        EXPECT_EQ(positions, c.altitude == 35 ? 0 : 1) << c.sentence;
        EXPECT_EQ(speeds, c.speed == 18.52 ? QList<double>{} : QList<double>{c.speed})
            << c.sentence;
    }
}

// A line of 64 bytes that carries its number, so a test can tell which lines got through whole.
QByteArray NumberedLine(int number) {
    return ("line " + QByteArray::number(number)).leftJustified(63, '.') + '\n';
}

// With a handler failing on every line, each tick takes one read and raises one line, so the
// waiting lines pile up. They stay within one mebibyte, the oldest going first in whole lines, and
// what is left arrives in order once the handler works again.
TEST(ThrowingHandler, WaitingLinesStayWithinOneMebibyte) {
    ComponentOnFakeLayer h;
    h.gps.Open();
    bool failing = true;
    h.gps.OnNewCommand = [&](TPlovikSerialGPS*, QByteArray line) {
        h.lines.append(line);
        if (failing)
            throw std::runtime_error("handler failed");
    };
    constexpr int kLineCount = 24 * 1024;  // 1.5 MiB
    for (int i = 0; i < kLineCount; ++i)
        h.layer.input += NumberedLine(i);

    qsizetype largest = 0;
    while (!h.layer.input.isEmpty()) {
        EXPECT_THROW(h.gps.Poll(), std::runtime_error);
        largest = std::max(largest, h.gps.ReceiveBuffer.size());
    }
    EXPECT_LE(largest, 1024 * 1024);
    EXPECT_GT(largest, 1000 * 1024);
    const int failed = h.lines.size();

    failing = false;
    h.receive("last\n");
    const QList<QByteArray> recovered = h.lines.mid(failed);
    ASSERT_GT(recovered.size(), 2);
    EXPECT_EQ(recovered.last(), "last");
    const int first = kLineCount - (recovered.size() - 1);
    EXPECT_GT(first, failed) << "some waiting lines had to go";
    for (int i = 0; i + 1 < recovered.size(); ++i)
        ASSERT_EQ(recovered[i] + '\n', NumberedLine(first + i)) << i;
}

// Behind the waiting lines the tail of a run without line feed is all that can be kept.
TEST(ThrowingHandler, WaitingRunWithoutLineFeedKeepsItsTail) {
    ComponentOnFakeLayer h;
    h.gps.Open();
    h.gps.OnNewCommand = [](TPlovikSerialGPS*, QByteArray) {
        throw std::runtime_error("handler failed");
    };
    for (int i = 0; i < 1500; ++i)
        h.layer.input += "n\n";
    QByteArray run(1200 * 1024, 'r');
    for (qsizetype i = 0; i < run.size(); i += 7)
        run[i] = char('a' + i % 26);
    h.layer.input += run;
    while (!h.layer.input.isEmpty()) {
        try {
            h.gps.Poll();
        } catch (const std::runtime_error&) {
        }
        ASSERT_LE(h.gps.ReceiveBuffer.size(), 1024 * 1024);
    }
    EXPECT_LE(h.gps.ReceiveBuffer.size(), 4096);
    EXPECT_TRUE(run.endsWith(h.gps.ReceiveBuffer));
    EXPECT_FALSE(h.gps.ReceiveBuffer.isEmpty());
}

}  // namespace
