// The Qt SerialPort layer against real pseudo-terminals: exclusive open, line settings as the
// terminal sees them, reads that never wait and lose nothing, writes bounded by their time-out.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include "HolderProcess.h"
#include "PseudoTerminal.h"
#include "QtSerialLayer.h"

namespace {

const QString kBusy = QStringLiteral("Device or resource busy");

std::unique_ptr<SerialDevice> OpenDevice(const QString& path) {
    QtSerialLayer layer;
    SerialFailure failure;
    auto device = layer.open(path, failure);
    EXPECT_TRUE(device) << qPrintable(path) << ": " << qPrintable(failure.text);
    return device;
}

QString OpenError(const QString& path) {
    QtSerialLayer layer;
    SerialFailure failure;
    EXPECT_EQ(layer.open(path, failure), nullptr) << qPrintable(path);
    return failure.text;
}

QByteArray ReadAll(SerialDevice& device) {
    QByteArray data(static_cast<qsizetype>(device.bytesWaiting()), '\0');
    data.resize(device.read(data.data(), data.size()));
    return data;
}

qint64 ProcessCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

}  // namespace

TEST(QtSerialLayer, MissingDeviceFailsWithTheSystemsReason) {
    QTemporaryDir folder;
    EXPECT_EQ(OpenError(folder.filePath("ttyNone")), "No such file or directory");
}

TEST(QtSerialLayer, DeviceWithoutAccessFailsWithTheSystemsReason) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root may open any device";
    PseudoTerminal pty;
    ASSERT_EQ(chmod(QFile::encodeName(pty.devicePath()).constData(), 0), 0);
    EXPECT_EQ(OpenError(pty.devicePath()), "Permission denied");
}

// However the device is named, while one open holds it no second one gets it, and once it is
// released it can be opened again.
TEST(QtSerialLayer, HeldDeviceIsBusyByEveryNameUntilReleased) {
    PseudoTerminal pty;
    QTemporaryDir folder;
    const QString link = folder.filePath("ttyLink");
    ASSERT_TRUE(QFile::link(pty.devicePath(), link));
    const QStringList names = {pty.devicePath(), link,
                               pty.devicePath().mid(QStringLiteral("/dev/").size())};
    for (const QString& holderName : names) {
        auto held = OpenDevice(holderName);
        ASSERT_TRUE(held);
        for (const QString& name : names)
            EXPECT_EQ(OpenError(name), kBusy)
                << "held as " << qPrintable(holderName) << ", opened as " << qPrintable(name);
        held.reset();
        EXPECT_TRUE(OpenDevice(holderName));
    }
}

TEST(QtSerialLayer, DeviceHeldByAnotherProcessIsBusyUntilItEnds) {
    PseudoTerminal pty;
    HolderProcess holder(pty.devicePath());
    ASSERT_EQ(holder.firstLine(), "holding");
    EXPECT_EQ(OpenError(pty.devicePath()), kBusy);
    holder.release();
    EXPECT_TRUE(OpenDevice(pty.devicePath()));
}

// A holder that dies without closing leaves its lock file behind; the device must not stay locked.
TEST(QtSerialLayer, DeviceOfAKilledHolderCanBeOpened) {
    if (geteuid() != 0)
        GTEST_SKIP() << "a pseudo-terminal keeps a dead holder's exclusive mode while its other "
                        "side lives, and only root may open it then";
    PseudoTerminal pty;
    HolderProcess holder(pty.devicePath());
    ASSERT_EQ(holder.firstLine(), "holding");
    holder.kill();
    EXPECT_TRUE(OpenDevice(pty.devicePath()));
}

TEST(QtSerialLayer, AnotherProcessCannotTakeADeviceThisOneHolds) {
    PseudoTerminal pty;
    auto held = OpenDevice(pty.devicePath());
    ASSERT_TRUE(held);
    HolderProcess holder(pty.devicePath());
    EXPECT_EQ(holder.firstLine(), "failed " + kBusy.toUtf8());
}

// Some kernels' pseudo-terminals keep no character format but 8 data bits without parity; there
// the device takes the settings and reports what it holds instead.
TEST(QtSerialLayer, LineSettingsReachTheTerminal) {
    using P = LineSettings::Parity;
    using S = LineSettings::StopBits;
    struct Case {
        qint32 baud;
        int dataBits;
        P parity;
        S stopBits;
        speed_t speed;
        tcflag_t size;
        tcflag_t parityFlags;  // of PARENB, PARODD, CMSPAR
        bool twoStopBits;
    };
    const Case cases[] = {
        {9600, 8, P::None, S::One, B9600, CS8, 0, false},
        {38400, 8, P::None, S::Two, B38400, CS8, 0, true},
        {19200, 7, P::Even, S::Two, B19200, CS7, PARENB, true},
        {115200, 5, P::Odd, S::One, B115200, CS5, PARENB | PARODD, false},
        {4800, 6, P::Mark, S::Two, B4800, CS6, PARENB | PARODD | CMSPAR, true},
        {230400, 8, P::Space, S::One, B230400, CS8, PARENB | CMSPAR, false},
    };
    PseudoTerminal pty;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.baud);
        auto device = OpenDevice(pty.devicePath());
        ASSERT_TRUE(device);
        LineSettings settings;
        ASSERT_TRUE(device->getLineSettings(settings));
        settings.baudRate = c.baud;
        settings.dataBits = c.dataBits;
        settings.parity = c.parity;
        settings.stopBits = c.stopBits;
        ASSERT_TRUE(device->setLineSettings(settings)) << qPrintable(device->errorString());
        const termios seen = pty.deviceAttributes();
        EXPECT_EQ(cfgetospeed(&seen), c.speed);
        EXPECT_EQ(cfgetispeed(&seen), c.speed);
        EXPECT_EQ((seen.c_cflag & CSTOPB) != 0, c.twoStopBits);
        LineSettings held;
        ASSERT_TRUE(device->getLineSettings(held));
        if (!PseudoTerminal::takesCharacterFormat(c.size, c.parityFlags)) {
            EXPECT_EQ(held.dataBits, 8);
            EXPECT_EQ(held.parity, P::None);
            continue;
        }
        EXPECT_EQ(held.dataBits, c.dataBits);
        EXPECT_EQ(held.parity, c.parity);
        EXPECT_EQ(seen.c_cflag & CSIZE, c.size);
        // Without parity the odd and mark/space flags mean nothing.
        const tcflag_t parityMask = c.parityFlags ? PARENB | PARODD | CMSPAR : PARENB;
        EXPECT_EQ(seen.c_cflag & parityMask, c.parityFlags);
    }
}

// A terminal's usual software flow control would swallow the bytes 17 and 19 and stop sending
// after a received 19; hardware flow control would stall on a line without CTS.
TEST(QtSerialLayer, FlowControlIsOffWhateverTheDeviceHadBefore) {
    PseudoTerminal pty;
    termios before = pty.deviceAttributes();
    before.c_iflag |= IXON | IXOFF | IXANY;
    before.c_cflag |= CRTSCTS;
    pty.setDeviceAttributes(before);
    ASSERT_EQ(pty.deviceAttributes().c_iflag & (IXON | IXOFF), tcflag_t(IXON | IXOFF));

    auto device = OpenDevice(pty.devicePath());
    ASSERT_TRUE(device);
    const termios seen = pty.deviceAttributes();
    EXPECT_EQ(seen.c_iflag & (IXON | IXOFF | IXANY), 0u);
    EXPECT_EQ(seen.c_cflag & CRTSCTS, 0u);

    ASSERT_TRUE(
        pty.write("a\x13"
                  "b\x11"));
    ASSERT_TRUE(WaitUntil([&] { return device->bytesWaiting() == 4; }));
    EXPECT_EQ(ReadAll(*device),
              "a\x13"
              "b\x11");
    EXPECT_EQ(device->write("\x13\x11"
                            "after",
                            7),
              7);
    EXPECT_EQ(pty.read(),
              "\x13\x11"
              "after");
}

TEST(QtSerialLayer, SettingsTheDeviceCannotHoldAreRefused) {
    struct Case {
        const char* refused;  // the setting named as not held
        void (*change)(LineSettings&);
    };
    const Case cases[] = {
        {"4 data bits", [](LineSettings& s) { s.dataBits = 4; }},
        {"9 data bits", [](LineSettings& s) { s.dataBits = 9; }},
        {"0 baud", [](LineSettings& s) { s.baudRate = 0; }},
        {"-9600 baud", [](LineSettings& s) { s.baudRate = -9600; }},
    };
    PseudoTerminal pty;
    auto device = OpenDevice(pty.devicePath());
    ASSERT_TRUE(device);
    for (const Case& c : cases) {
        LineSettings settings;
        ASSERT_TRUE(device->getLineSettings(settings));
        c.change(settings);
        EXPECT_FALSE(device->setLineSettings(settings)) << c.refused;
        EXPECT_EQ(device->failure().kind, SerialFailure::Kind::SettingRefused) << c.refused;
        EXPECT_EQ(device->failure().setting, c.refused);
        EXPECT_FALSE(device->errorString().isEmpty()) << c.refused;
    }
}

TEST(QtSerialLayer, ModemLinesAPseudoTerminalLacksDoNotRefuseTheSettings) {
    PseudoTerminal pty;
    auto device = OpenDevice(pty.devicePath());
    ASSERT_TRUE(device);
    for (const bool level : {true, false}) {
        LineSettings settings;
        ASSERT_TRUE(device->getLineSettings(settings));
        settings.stopBits = level ? LineSettings::StopBits::Two : LineSettings::StopBits::One;
        settings.dtr = level;
        settings.rts = level;
        EXPECT_TRUE(device->setLineSettings(settings)) << qPrintable(device->errorString());
        EXPECT_EQ((pty.deviceAttributes().c_cflag & CSTOPB) != 0, level);
    }
}

// Bytes may sit in the driver or, once the event loop has run, in Qt's buffer: the count and the
// reads see both, in order, and a read with nothing there returns at once.
TEST(QtSerialLayer, ReadsNeverWaitAndLoseNothing) {
    PseudoTerminal pty;
    auto device = OpenDevice(pty.devicePath());
    ASSERT_TRUE(device);
    char buffer[1023];
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(device->bytesWaiting(), 0);
    EXPECT_EQ(device->read(buffer, sizeof buffer), 0);
    EXPECT_LT(clock.elapsed(), 100);

    ASSERT_TRUE(pty.write("one"));
    ASSERT_TRUE(WaitUntil([&] { return device->bytesWaiting() == 3; }));
    QCoreApplication::processEvents();
    ASSERT_TRUE(pty.write("two"));
    ASSERT_TRUE(WaitUntil([&] { return device->bytesWaiting() == 6; }));
    ASSERT_EQ(device->read(buffer, 4), 4);
    EXPECT_EQ(QByteArray(buffer, 4), "onet");
    EXPECT_EQ(ReadAll(*device), "wo");

    QByteArray sent;
    for (int i = 0; i < 200000; ++i)
        sent.append(char('a' + i % 26));
    QByteArray received;
    QElapsedTimer deadline;
    deadline.start();
    for (qsizetype offset = 0; offset < sent.size() || received.size() < sent.size();) {
        ASSERT_LT(deadline.elapsed(), 20000) << received.size() << " of " << sent.size();
        if (offset < sent.size()) {
            ASSERT_TRUE(pty.write(sent.mid(offset, 4096)));
            offset += 4096;
        }
        QCoreApplication::processEvents();
        const qint64 n = device->read(buffer, sizeof buffer);
        ASSERT_GE(n, 0);
        received.append(buffer, n);
    }
    EXPECT_EQ(received, sent);
}

TEST(QtSerialLayer, PurgeDiscardsWhatWaits) {
    PseudoTerminal pty;
    auto device = OpenDevice(pty.devicePath());
    ASSERT_TRUE(device);
    ASSERT_TRUE(pty.write("stale"));
    ASSERT_TRUE(WaitUntil([&] { return device->bytesWaiting() == 5; }));
    EXPECT_TRUE(device->purge());
    EXPECT_EQ(device->bytesWaiting(), 0);
    ASSERT_TRUE(pty.write("new"));
    ASSERT_TRUE(WaitUntil([&] { return device->bytesWaiting() == 3; }));
    EXPECT_EQ(ReadAll(*device), "new");
}

// The other end reads nothing, so the write stalls: it gives up at its time-out, reports what the
// driver took, and nothing more goes out afterwards.
TEST(QtSerialLayer, WriteGivesUpAtItsTimeOutAndDropsTheRest) {
    PseudoTerminal pty;
    auto device = OpenDevice(pty.devicePath());
    ASSERT_TRUE(device);
    SerialTimeouts timeouts;
    timeouts.writeTotalConstant = 200;
    device->setTimeouts(timeouts);

    QByteArray data;
    for (int i = 0; i < 4 * 1024 * 1024; ++i)
        data.append(char(i % 251));
    QElapsedTimer clock;
    clock.start();
    const qint64 written = device->write(data.constData(), data.size());
    const qint64 took = clock.elapsed();
    EXPECT_GE(took, 190);
    EXPECT_LT(took, 2000);
    ASSERT_GT(written, 0);
    ASSERT_LT(written, data.size());

    QByteArray arrived;
    for (QByteArray part = pty.read(); !part.isEmpty(); part = pty.read(50))
        arrived += part;
    QCoreApplication::processEvents();
    arrived += pty.read(200);
    EXPECT_EQ(arrived.size(), written);
    EXPECT_TRUE(arrived == data.left(written));
}

// A device that hangs up while open (an adapter pulled out, the far end closed) must not keep the
// event loop busy, must keep what was received before, and must fail from then on, whether the
// event loop or a count notices the hang-up first.
TEST(QtSerialLayer, HungUpDeviceFailsWithoutKeepingTheEventLoopBusy) {
    for (const bool eventLoopFirst : {true, false}) {
        SCOPED_TRACE(eventLoopFirst ? "event loop first" : "count first");
        PseudoTerminal pty;
        auto device = OpenDevice(pty.devicePath());
        ASSERT_TRUE(device);
        ASSERT_TRUE(pty.write("before"));
        ASSERT_TRUE(WaitUntil([&] { return device->bytesWaiting() == 6; }));
        pty.hangUp();
        if (!eventLoopFirst) {
            EXPECT_EQ(device->bytesWaiting(), 6);
        }

        // An idle loop sleeps; a notifier firing on every turn keeps a core busy.
        QEventLoop loop;
        QTimer::singleShot(200, &loop, &QEventLoop::quit);
        QElapsedTimer wall;
        wall.start();
        const qint64 cpuBefore = ProcessCpuMs();
        loop.exec();
        const qint64 cpu = ProcessCpuMs() - cpuBefore;
        EXPECT_LT(cpu, wall.elapsed() / 4) << cpu << " ms of CPU in " << wall.elapsed() << " ms";

        EXPECT_EQ(device->bytesWaiting(), 6);
        EXPECT_EQ(ReadAll(*device), "before");
        char byte;
        EXPECT_EQ(device->bytesWaiting(), -1);
        EXPECT_EQ(device->read(&byte, 1), -1);
        EXPECT_EQ(device->errorString(), "Input/output error");
        EXPECT_EQ(device->write("x", 1), -1);
        EXPECT_EQ(device->errorString(), "Input/output error");
    }
}
