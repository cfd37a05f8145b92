// The receive path through a real pseudo-terminal and the real serial layer.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "PtyHarness.h"

namespace {

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Numbered lines of every kind the path meets: NMEA sentences, plain text, high bytes, blanks.
struct Traffic {
    QByteArray bytes;
    QList<QByteArray> lines;  // what must arrive, in order
};

Traffic NumberedLines(qsizetype atLeastBytes) {
    Traffic traffic;
    for (int i = 0; traffic.bytes.size() < atLeastBytes; ++i) {
        const QByteArray n = QByteArray::number(i);
        QByteArray line;
        switch (i % 4) {
            case 0:
                line = "$GPGGA," + n + ",5130.500,N,00007.500,W,1,07,1.1,35.0,M,,M,,*47";
                break;
            case 1:
                line = "$GPRMC," + n + ",A,,,,," + QByteArray::number(i % 50) + ".5,12.0";
                break;
            case 2:
                line = "T=" + n +
                       "\t\xb0"
                       "C \xff";
                break;
            default:
                line = "plain line number " + n;
                break;
        }
        traffic.lines.append(line);
        traffic.bytes += (i % 2 ? "  " + line + "\n" : line + "\r\n");
        if (i % 10 == 0)
            traffic.bytes += "\r\n";
    }
    return traffic;
}

class PtyBurst : public ::testing::TestWithParam<int> {};

TEST_P(PtyBurst, MebibyteOfLinesArrivesCompleteInOrderAndLogged) {
    QTemporaryDir folder;
    PtyReceiver receiver(GetParam());
    receiver.gps.LogEnabled = true;
    receiver.gps.LogFileName = folder.filePath("burst.log").toLocal8Bit();
    receiver.gps.Open();
    ASSERT_TRUE(receiver.gps.Connected) << receiver.gps.OpenError.toStdString();

    const Traffic traffic = NumberedLines(1024 * 1024 + 1);
    ASSERT_TRUE(receiver.transfer(traffic.bytes));
    ASSERT_EQ(receiver.lines.size(), traffic.lines.size());
    EXPECT_TRUE(receiver.lines == traffic.lines) << "lines lost, duplicated or reordered";
    EXPECT_TRUE(receiver.gps.ReceiveBuffer.isEmpty());

    QByteArray expectedLog;
    for (const QByteArray& line : traffic.lines)
        expectedLog += line + "\r\n";
    EXPECT_TRUE(ReadFile(folder.filePath("burst.log")) == expectedLog);
}

INSTANTIATE_TEST_SUITE_P(PollPeriods, PtyBurst, ::testing::Values(5, 1000),
                         [](const auto& info) { return std::to_string(info.param) + "ms"; });

TEST(PtyReceive, LinesAndDecodedSentencesArriveThroughTheDevice) {
    PtyReceiver receiver(50);
    receiver.gps.Open();
    ASSERT_TRUE(receiver.gps.Connected) << receiver.gps.OpenError.toStdString();
    int positions = 0;
    receiver.gps.OnPosition = [&](TPlovikSerialGPS*, long double, long double, long double) {
        ++positions;
    };
    ASSERT_TRUE(
        receiver.transfer(QByteArray("hello\r\n") + '\0' + " world \n$GPGGA,1,4807.038,N,"));
    EXPECT_EQ(receiver.lines, (QList<QByteArray>{"hello", "world"}));
    ASSERT_TRUE(receiver.transfer("01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n"));
    ASSERT_EQ(receiver.lines.size(), 3);
    EXPECT_EQ(positions, 1);
    EXPECT_NEAR(receiver.gps.GpsData.Latitude, 48.1173, 1e-9);
    EXPECT_NEAR(receiver.gps.GpsData.Longitude, 11 + 31.0 / 60, 1e-9);
    EXPECT_EQ(receiver.gps.GpsData.SatelliteCount, 8);
}

}  // namespace
