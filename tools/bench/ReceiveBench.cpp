// Receive-path benchmark: lines per second through framing, line log and decoding, and megabytes
// per second end to end from a pseudo-terminal into the line log. Prints figures; never fails.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <exception>
#include <thread>

#include "Clock.h"
#include "FakeSerialLayer.h"
#include "Plovikserialgps.h"
#include "PseudoTerminal.h"
#include "SerialPlatform.h"
#include "SteppedTime.h"

namespace {

constexpr double kMiB = 1024.0 * 1024.0;

// Numbered lines, unique each, in the mix a GPS receiver and a chatty device would send.
struct Traffic {
    QByteArray bytes;
    QList<QByteArray> lines;
};

Traffic MakeTraffic(qsizetype atLeastBytes) {
    Traffic traffic;
    for (int i = 0; traffic.bytes.size() < atLeastBytes; ++i) {
        const QByteArray n = QByteArray::number(i);
        QByteArray line;
        switch (i % 5) {
            case 0:
                line = "$GPGGA," + n + ",5130.500,N,00007.500,W,1,07,1.1,35.0,M,46.9,M,,*47";
                break;
            case 1:
                line = "$GPRMC," + n + ",A,5130.5,N,00007.5,W," + QByteArray::number(i % 40) +
                       ".2,054.7,191194,,*1F";
                break;
            case 2:
                line = "$GPVTG," + n + ",T,,M,,N," + QByteArray::number(i % 70) + ".1,K*4E";
                break;
            case 3:
                line = "$GPGSV,3,1,11," + n + ",03,111,00,04,15,270,00,06,01,010,00*70";
                break;
            default:
                line = "sensor " + n + " T=21.5 C RH=40 %";
                break;
        }
        traffic.lines.append(line);
        traffic.bytes += line + "\r\n";
    }
    return traffic;
}

struct Outcome {
    qsizetype lost = 0;
    qsizetype duplicated = 0;
};

Outcome Compare(const QList<QByteArray>& sent, const QList<QByteArray>& received) {
    const QSet<QByteArray> unique(received.begin(), received.end());
    Outcome outcome;
    outcome.duplicated = received.size() - unique.size();
    for (const QByteArray& line : sent)
        outcome.lost += !unique.contains(line);
    return outcome;
}

qsizetype LogLineCount(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().count("\r\n") : 0;
}

// Framing, log and decoding alone: the driver is a fake that always has the next megabyte ready;
// the stamps come from the real clock.
void ReceivePathThroughput(bool log) {
    const Traffic traffic = MakeTraffic(32 * 1024 * 1024);
    QTemporaryDir folder;
    FakeSerialLayer layer;
    SteppedTime timers;
    const SystemClock clock;
    TPlovikSerialGPS gps(nullptr, SerialPlatform{&layer, &timers, &clock});
    gps.Ports.setExplicitEntries({{1, QStringLiteral("/dev/fake")}});
    gps.LogEnabled = log;
    gps.LogTimestamps = true;
    gps.LogFileName = folder.filePath(QStringLiteral("bench.log")).toLocal8Bit();
    qsizetype received = 0;
    gps.OnNewCommand = [&](TPlovikSerialGPS*, QByteArray) { ++received; };
    gps.Open();

    QElapsedTimer stopwatch;
    stopwatch.start();
    // A tick may leave bytes in the driver; they wait for the next one, as on a real port.
    for (qsizetype at = 0; at < traffic.bytes.size(); at += qsizetype(kMiB)) {
        layer.input = traffic.bytes.mid(at, qsizetype(kMiB));
        while (!layer.input.isEmpty())
            gps.Poll();
    }
    const double seconds = stopwatch.nsecsElapsed() / 1e9;
    gps.Close();
    std::printf("receive path, %-28s %9.0f lines/s  %7.1f MB/s  (%lld lines, %lld received)\n",
                log ? "framing + stamped log + NMEA:" : "framing + NMEA, no log:",
                traffic.lines.size() / seconds, traffic.bytes.size() / kMiB / seconds,
                static_cast<long long>(traffic.lines.size()), static_cast<long long>(received));
}

// The real serial layer, QTimer and the event loop: a writer thread fills the pseudo-terminal as
// fast as it takes bytes while the component polls at the given period and logs every line.
void EndToEnd(int pollPeriod, qsizetype bytes) {
    const Traffic traffic = MakeTraffic(bytes);
    QTemporaryDir folder;
    PseudoTerminal pty;
    const QString logPath = folder.filePath(QStringLiteral("e2e.log"));
    TPlovikSerialGPS gps(nullptr);
    gps.Ports.setExplicitEntries({{1, pty.devicePath()}});
    gps.PollInterval = pollPeriod;
    gps.LogEnabled = true;
    gps.LogTimestamps = true;
    gps.LogFileName = logPath.toLocal8Bit();
    QList<QByteArray> received;
    QEventLoop loop;
    gps.OnNewCommand = [&](TPlovikSerialGPS*, QByteArray line) {
        received.append(line);
        if (received.size() >= traffic.lines.size())
            loop.quit();
    };
    gps.Open();
    if (!gps.Connected) {
        std::printf("end to end, poll %4d ms: cannot open %s (%s)\n", pollPeriod,
                    qPrintable(pty.devicePath()), qPrintable(gps.OpenError));
        return;
    }

    std::atomic<bool> written = false;
    QElapsedTimer clock;
    clock.start();
    std::thread writer([&] {
        pty.write(traffic.bytes, 120000);
        written = true;
    });
    // Gives up when nothing more can come: the writer is done and several periods passed idle.
    QTimer giveUp;
    qsizetype seen = -1;
    QObject::connect(&giveUp, &QTimer::timeout, [&] {
        if (written && received.size() == seen)
            loop.quit();
        seen = received.size();
    });
    giveUp.start(std::max(3 * pollPeriod, 500));
    loop.exec();
    const double seconds = clock.nsecsElapsed() / 1e9;
    writer.join();
    gps.Close();

    const Outcome outcome = Compare(traffic.lines, received);
    std::printf(
        "end to end, poll %4d ms: %7.2f MB/s  %9.0f lines/s  %.1f MiB in %.2f s, "
        "lost %lld, duplicated %lld, log records %lld of %lld\n",
        pollPeriod, traffic.bytes.size() / kMiB / seconds, traffic.lines.size() / seconds,
        traffic.bytes.size() / kMiB, seconds, static_cast<long long>(outcome.lost),
        static_cast<long long>(outcome.duplicated), static_cast<long long>(LogLineCount(logPath)),
        static_cast<long long>(traffic.lines.size()));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    try {
        ReceivePathThroughput(false);
        ReceivePathThroughput(true);
        EndToEnd(5, 8 * 1024 * 1024);
        EndToEnd(1000, 4 * 1024 * 1024);
    } catch (const std::exception& error) {
        std::printf("benchmark stopped: %s\n", error.what());
    }
    return 0;
}
