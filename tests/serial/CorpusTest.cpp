// Real captures from GPS receivers through the receive path and the decoder.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <cmath>

#include "ComponentOnFakeLayer.h"
#include "PtyHarness.h"

namespace {

QDir CorpusFolder() {
    return QDir(QStringLiteral(PLOVIK_NMEA_CORPUS));
}

QStringList CaptureFiles() {
    return CorpusFolder().entryList({QStringLiteral("*.log")}, QDir::Files, QDir::Name);
}

QByteArray Capture(const QString& name) {
    QFile file(CorpusFolder().filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

#define SKIP_WITHOUT_CORPUS()                                           \
    if (CaptureFiles().isEmpty())                                       \
    GTEST_SKIP() << "NMEA captures not found at " << PLOVIK_NMEA_CORPUS \
                 << " (the shared folder beside the repository); capture tests skipped"

// The whole degrees a coordinate field starts with, signed by its hemisphere.
int WholeDegrees(const QByteArray& value, const QByteArray& hemisphere, int digits) {
    const int degrees = value.left(digits).toInt();
    return hemisphere == "S" || hemisphere == "W" ? -degrees : degrees;
}

// The fields of a decodable GGA sentence that reports a fix with a position; empty otherwise.
QList<QByteArray> FixFields(const QByteArray& line) {
    if (!line.startsWith('$'))
        return {};
    const QList<QByteArray> f = line.left(line.indexOf('*')).split(',');
    if (f[0].mid(3, 3) != "GGA" || f.size() < 10)
        return {};
    if (f[6].isEmpty() || f[6] == "0" || f[2].indexOf('.') < 4 || f[4].indexOf('.') < 5)
        return {};
    return f;
}

// Checks the values stored after a GGA sentence with a fix against the sentence text. Returns
// whether the line was such a sentence.
bool CheckFixAgainstText(const QByteArray& line, const TGpsData& data) {
    const QList<QByteArray> f = FixFields(line);
    if (f.isEmpty())
        return false;
    const int latitude = WholeDegrees(f[2], f[3], 2);
    const int longitude = WholeDegrees(f[4], f[5], 3);
    // Minutes add less than a whole degree, away from zero.
    EXPECT_LT(std::abs(data.Latitude - latitude), 1.0) << line.constData();
    EXPECT_LT(std::abs(data.Longitude - longitude), 1.0) << line.constData();
    EXPECT_LE(std::abs(data.Latitude), 90.0) << line.constData();
    EXPECT_LE(std::abs(data.Longitude), 180.0) << line.constData();
    EXPECT_GE(data.Latitude * (f[3] == "S" ? -1 : 1), 0) << line.constData();
    EXPECT_GE(data.Longitude * (f[5] == "W" ? -1 : 1), 0) << line.constData();
    EXPECT_EQ(data.FixQuality, f[6].toInt()) << line.constData();
    if (!f[7].isEmpty()) {
        EXPECT_EQ(data.SatelliteCount, f[7].toInt()) << line.constData();
    }
    if (!f[9].isEmpty()) {
        EXPECT_DOUBLE_EQ(data.Altitude, f[9].toDouble()) << line.constData();
    }
    return true;
}

TEST(Corpus, EveryCaptureDecodesWithPlausibleFixes) {
    SKIP_WITHOUT_CORPUS();
    EXPECT_GE(CaptureFiles().size(), 12);
    int filesWithFixes = 0;
    for (const QString& name : CaptureFiles()) {
        SCOPED_TRACE(name.toStdString());
        const QByteArray capture = Capture(name);
        ComponentOnFakeLayer h;
        h.gps.Open();
        // A line's decoding is done once the next line arrives, so each line is checked then.
        QByteArray previous;
        int fixesChecked = 0;
        h.gps.OnNewCommand = [&](TPlovikSerialGPS* gps, QByteArray line) {
            fixesChecked += CheckFixAgainstText(previous, gps->GpsData);
            previous = line;
            h.lines.append(line);
        };
        // Chunks of changing size, so lines are cut everywhere.
        for (qsizetype at = 0, i = 0; at < capture.size(); ++i) {
            const qsizetype size = 1 + (i * 379) % 1023;
            EXPECT_NO_THROW(h.receive(capture.mid(at, size)));
            at += size;
        }
        EXPECT_NO_THROW(h.receive("\n"));
        fixesChecked += CheckFixAgainstText(previous, h.gps.GpsData);

        EXPECT_GT(h.lines.size(), 0);
        filesWithFixes += fixesChecked > 0;
        EXPECT_TRUE(std::isfinite(h.gps.GpsData.Speed) && h.gps.GpsData.Speed >= 0);
        EXPECT_TRUE(std::isfinite(h.gps.GpsData.Course));
    }
    // Most receivers had a fix while they were recorded.
    EXPECT_GE(filesWithFixes, 8);
}

// Replays a capture through a pseudo-terminal; what arrives matches the file line by line, and the
// decoded values match those of the sentences decoded directly.
TEST(Corpus, CapturesReplayThroughAPseudoTerminal) {
    SKIP_WITHOUT_CORPUS();
    for (const char* name : {"ublox-neo-m9n-nmea.log", "ericsson-gru04-02-70sec.log"}) {
        SCOPED_TRACE(name);
        const QByteArray capture = Capture(name);
        ASSERT_FALSE(capture.isEmpty());
        QList<QByteArray> expected;
        for (const QByteArray& raw : capture.split('\n'))
            if (!raw.trimmed().isEmpty())
                expected.append(raw.trimmed());

        PtyReceiver receiver(1000);
        receiver.gps.Open();
        ASSERT_TRUE(receiver.gps.Connected) << receiver.gps.OpenError.toStdString();
        ASSERT_TRUE(receiver.transfer(capture));
        EXPECT_TRUE(receiver.lines == expected)
            << receiver.lines.size() << " of " << expected.size();

        ComponentOnFakeLayer direct;
        for (const QByteArray& line : expected)
            if (line.startsWith('$'))
                direct.gps.DecodeSentence(line);
        const TGpsData& got = receiver.gps.GpsData;
        const TGpsData& want = direct.gps.GpsData;
        EXPECT_NE(want.Latitude, 0);
        EXPECT_EQ(got.Latitude, want.Latitude);
        EXPECT_EQ(got.Longitude, want.Longitude);
        EXPECT_EQ(got.Altitude, want.Altitude);
        EXPECT_EQ(got.Speed, want.Speed);
        EXPECT_EQ(got.SatelliteCount, want.SatelliteCount);
    }
}

}  // namespace
