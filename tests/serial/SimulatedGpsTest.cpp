// The simulated device's GPS receiver read by the component through the real serial layer: the
// positions and speeds it decodes are the ones the simulator reports having generated.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>

#include "Plovikserialgps.h"
#include "PseudoTerminal.h"
#include "PythonInterpreter.h"
#include "QtSerialLayer.h"
#include "SerialPlatform.h"
#include "SteppedTime.h"

namespace {

constexpr int kFixes = 12;
constexpr qint32 kPort = 7;
// The simulator writes minutes with four decimals, altitude with one, speeds with three and
// courses with two: decoding may differ from the true value by half of that last step.
constexpr double kSlack = 1e-9;
constexpr double kDegreesStep = 1e-4 / 60;
constexpr double kSpeedStep = 1e-3;  // knots and km/h alike

bool ChecksumHolds(const QByteArray& line) {
    const qsizetype star = line.lastIndexOf('*');
    if (!line.startsWith('$') || star < 0 || star + 3 != line.size())
        return false;
    uchar sum = 0;
    for (qsizetype i = 1; i < star; ++i)
        sum ^= uchar(line[i]);
    return line.mid(star + 1) == QByteArray::number(sum, 16).toUpper().rightJustified(2, '0');
}

double AngleBetween(double a, double b) {
    const double d = std::fmod(std::abs(a - b), 360.0);
    return std::min(d, 360.0 - d);
}

QList<QJsonObject> ReportedFixes(const QString& path) {
    QFile file(path);
    QList<QJsonObject> fixes;
    if (!file.open(QIODevice::ReadOnly))
        return fixes;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QJsonObject event = QJsonDocument::fromJson(line).object();
        if (event.value("event") == QStringLiteral("fix"))
            fixes << event;
    }
    return fixes;
}

}  // namespace

TEST(SimulatedGps, DecodedPositionsAndSpeedsAreTheGeneratedOnes) {
    const QString python = PythonInterpreter();
    if (python.isEmpty())
        GTEST_SKIP() << "python3 not found; the simulated device needs it";
    const struct {
        const char* origin;
        const char* talker;
    } cases[] = {
        {"51.5074,-0.1278", "GP"},    // north and west
        {"-33.8688,151.2093", "GN"},  // south and east
        {"0.00002,-0.00002", "GN"},   // beside the equator and the prime meridian
        {"-12.5,179.9999", "GP"},     // beside the date line
    };
    int seed = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.origin);
        QTemporaryDir folder;
        const QString link = folder.filePath(QStringLiteral("gps"));
        QProcess simulator;
        simulator.setStandardOutputFile(folder.filePath(QStringLiteral("report")));
        simulator.start(python, {QStringLiteral(PLOVIK_SIMULATOR), "--mode", "gps", "--link", link,
                                 "--seed", QString::number(++seed), "--fix-rate", "50", "--count",
                                 QString::number(kFixes), QStringLiteral("--origin=") + c.origin,
                                 "--talker", c.talker, "--report"});
        ASSERT_TRUE(WaitUntil([&] { return QFileInfo(link).isSymLink(); }, 20000))
            << simulator.readAllStandardError().constData();

        QtSerialLayer layer;
        SteppedTime time;
        TPlovikSerialGPS gps(nullptr, SerialPlatform{&layer, &time, &time});
        gps.Ports.setExplicitEntries({{kPort, link}});
        gps.PortNumber = kPort;
        QList<QByteArray> lines;
        // The decoder runs after the line event, so each entry holds what the line before left.
        QList<TGpsData> decoded;
        gps.OnNewCommand = [&](TPlovikSerialGPS* sender, QByteArray line) {
            lines << line;
            decoded << sender->GpsData;
        };
        gps.Open();
        ASSERT_TRUE(gps.Connected) << qPrintable(gps.OpenError);
        ASSERT_TRUE(WaitUntil(
            [&] {
                time.advance(50);
                return lines.size() >= 3 * kFixes;
            },
            20000))
            << lines.size() << " lines";
        decoded << gps.GpsData;
        decoded.removeFirst();
        gps.Close();

        // The partner closing ends the simulator, and it leaves nothing behind.
        ASSERT_TRUE(simulator.waitForFinished(20000));
        EXPECT_EQ(simulator.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(simulator.exitCode(), 0);
        EXPECT_EQ(
            QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
            QStringList{"report"});

        const QList<QJsonObject> fixes = ReportedFixes(folder.filePath(QStringLiteral("report")));
        ASSERT_EQ(fixes.size(), kFixes);
        ASSERT_EQ(lines.size(), 3 * kFixes);
        for (int i = 0; i < kFixes; ++i) {
            SCOPED_TRACE(i);
            const QJsonObject& fix = fixes[i];
            const QByteArray talker = QByteArray("$") + c.talker;
            for (int j = 0; j < 3; ++j)
                EXPECT_TRUE(ChecksumHolds(lines[3 * i + j])) << lines[3 * i + j].constData();
            EXPECT_TRUE(lines[3 * i].startsWith(talker + "GGA,"));
            EXPECT_TRUE(lines[3 * i + 1].startsWith(talker + "RMC,"));
            EXPECT_TRUE(lines[3 * i + 2].startsWith(talker + "VTG,"));
            const TGpsData& gga = decoded[3 * i];
            EXPECT_NEAR(gga.Latitude, fix["latitude"].toDouble(), kDegreesStep / 2 + kSlack);
            EXPECT_NEAR(gga.Longitude, fix["longitude"].toDouble(), kDegreesStep / 2 + kSlack);
            EXPECT_NEAR(gga.Altitude, fix["altitude"].toDouble(), 0.05 + kSlack);
            EXPECT_EQ(gga.FixQuality, fix["quality"].toInt());
            EXPECT_EQ(gga.SatelliteCount, fix["satellites"].toInt());
            const double kmh = fix["kmh"].toDouble();
            const TGpsData& rmc = decoded[3 * i + 1];
            EXPECT_NEAR(rmc.Speed, kmh, 1.852 * kSpeedStep / 2 + kSlack);
            EXPECT_LE(AngleBetween(rmc.Course, fix["course"].toDouble()), 0.005 + kSlack);
            const TGpsData& vtg = decoded[3 * i + 2];
            EXPECT_NEAR(vtg.Speed, kmh, kSpeedStep / 2 + kSlack);
            EXPECT_LE(AngleBetween(vtg.Course, fix["course"].toDouble()), 0.005 + kSlack);
        }
    }
}
