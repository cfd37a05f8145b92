// The built program itself on a virtual display, against a device that misbehaves and settings
// files that are hostile or cannot be written.
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <memory>
#include <optional>
#include <random>

#include "FileBytes.h"
#include "MonitorRun.h"
#include "PseudoTerminal.h"
#include "VirtualDisplay.h"

namespace {

// Deadlines are generous: the checks share a small, busy machine with the rest of the tests.
constexpr int kShowMs = 120000;
constexpr int kArriveMs = 120000;
constexpr int kExitMs = 120000;
const QString kMainTitle = QStringLiteral("Plovik Comport Monitor");
// Message boxes carry the application's name.
const QString kBoxTitle = QStringLiteral("Plovik QSM");

// COM1 is the pseudo-terminal; every received line goes to the line log and to the view.
QByteArray PortSettings(const PseudoTerminal& device) {
    return "[PORTS]\nCOM1=" + device.devicePath().toLocal8Bit() +
           "\n[TERMINAL]\nPort No        =COM1\nBaud Rate      =115200\nNMEA LOG       =True\n"
           "eSearcString=\n";
}

// The records of a line log that begin with the prefix.
QList<QByteArray> Records(const QByteArray& log, const QByteArray& prefix) {
    QList<QByteArray> found;
    for (const QByteArray& record : log.split('\n'))
        if (record.startsWith(prefix))
            found.append(record.chopped(record.endsWith('\r') ? 1 : 0));
    return found;
}

// Extreme numbers and hostile texts for every key the window reads, 20 MB of keys in many sections
// (TERMINAL again and again among them, with a key of it repeated), bytes that are not text, and
// zero bytes last.
QByteArray HostileSettings(const PseudoTerminal& device) {
    QByteArray settings =
        "[PORTS]\nCOM1=" + device.devicePath().toLocal8Bit() +
        "\nCOM99999999999=/dev/null\nCOM-1=/dev/zero\n"
        "[TERMINAL]\nPort No        =COM1\nBaud Rate      =99999999999999999999\n"
        "Data Width     =-0\nStop Bits      =1e308\nParity         =\xFF\xFE\nPriority=\x01\n"
        "Delay          =-2147483648\nNMEA LOG       =True\nLog Time=0x\n"
        "Enable DTR     =\"\n"
        "Enable RTS     =\"\"\"\n"
        "eSearcString=\neFormatIdentifier=%s%s%n%99999lf\n"
        "eAX=1e308\neB=-inf\neValue=nan\nGV_SHOW_DATE_TIME=0x7FFFFFFFFFFFFFFF\n"
        "eBroadcast=\xC0\xAF\xED\xA0\x80\ncbCR=-2147483649\ncbLF=0xFFFFFFFF\n"
        "pSettingsWidth=2147483648\nFontName=DejaVu Sans Mono\nFontSize=100000\n"
        "FontColor=0xFFFFFFFF\nFontStyle=-2147483648\nBackColor=-2147483649\n";
    std::mt19937 random(14);
    for (int line = 0; settings.size() < 20'000'000; ++line) {
        if (line % 1000 == 0)
            settings += line % 3000 == 0 ? QByteArray("[TERMINAL]\n")
                                         : "[Section " + QByteArray::number(line) + "]\n";
        if (line % 100 == 0)
            settings += "eBroadcast=" + QByteArray::number(random()) + '\n';
        settings += "Key" + QByteArray::number(line) + '=' + QByteArray(40, char('a' + line % 26)) +
                    QByteArray::number(random()) + '\n';
    }
    for (int byte = 1; byte < 256; ++byte)
        settings += char(byte);
    for (int i = 0; i < 65536; ++i)
        settings += char(random() & 0xFF);
    return settings + QByteArray(16, '\0') + "\n[TERMINAL]\nFontSize=7\n";
}

// Whether this system lets the program be started as the user.
bool CanBecome(const RunAs& user) {
    const pid_t probe = ::fork();
    if (probe == 0)
        ::_exit(::setgroups(0, nullptr) == 0 && ::setgid(user.gid) == 0 && ::setuid(user.uid) == 0
                    ? 0
                    : 1);
    int status = 1;
    return probe > 0 && ::waitpid(probe, &status, 0) == probe && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

class FaultCheck : public ::testing::Test {
protected:
    void SetUp() override {
        if (VirtualDisplay::serverProgram().isEmpty())
            GTEST_SKIP() << "Xvfb is not installed; the checks through the program need it";
        display = std::make_unique<VirtualDisplay>();
        ASSERT_TRUE(display->started()) << "Xvfb did not come up";
    }

    // The window with the title once the program shows it; 0 when it did not, or the program
    // ended first.
    VirtualDisplay::Window shown(MonitorRun& run, const QString& title, int timeoutMs = kShowMs) {
        VirtualDisplay::Window window = 0;
        WaitUntil(
            [&] {
                const QList<VirtualDisplay::Window> found = display->windows(title);
                window = found.isEmpty() ? 0 : found.first();
                return window != 0 || !run.running();
            },
            timeoutMs, 50);
        return window;
    }

    // Starts the program and waits for its main window.
    VirtualDisplay::Window started(MonitorRun& run, std::optional<RunAs> user = std::nullopt) {
        if (!run.start(display->name(), user))
            return 0;
        return shown(run, kMainTitle);
    }

    // Starts the program, waits for its main window, then sends lines until the line log shows
    // them: the program has the port open and reads it.
    ::testing::AssertionResult receiving(MonitorRun& run, PseudoTerminal& device,
                                         VirtualDisplay::Window& window) {
        window = started(run);
        if (window == 0)
            return ::testing::AssertionFailure() << "no main window; " << run.output().data();
        if (!WaitUntil(
                [&] { return device.write("ping\r\n") && run.lineLog().contains("ping\r\n"); },
                kArriveMs, 200))
            return ::testing::AssertionFailure() << "no line arrives; " << run.output().data();
        return ::testing::AssertionSuccess();
    }

    // Asks the main window to close and waits for the program to end; its exit code.
    std::optional<int> closed(MonitorRun& run, VirtualDisplay::Window window) {
        display->requestClose(window);
        return run.waitForExit(kExitMs);
    }

    std::unique_ptr<VirtualDisplay> display;
};

TEST_F(FaultCheck, AFarEndClosingMidStreamLeavesTheProgramAliveAndIdle) {
    PseudoTerminal device;
    MonitorRun run(PortSettings(device));
    VirtualDisplay::Window window = 0;
    ASSERT_TRUE(receiving(run, device, window));

    // More than the pseudo-terminal holds, so the program is still reading when it goes.
    QByteArray stream;
    for (int i = 0; i < 5000; ++i)
        stream += "$GPGGA,streamed line " + QByteArray::number(i) + ",,,,*00\r\n";
    ASSERT_TRUE(device.write(stream + "$GPGGA,cut off in the mi", kArriveMs));
    device.hangUp();

    const double before = run.processorSeconds();
    QElapsedTimer clock;
    clock.start();
    QThread::sleep(10);
    const double share = (run.processorSeconds() - before) / (double(clock.elapsed()) / 1000);
    ASSERT_TRUE(run.running()) << run.output().toStdString();
    EXPECT_GE(before, 0);
    EXPECT_LT(share, 0.02) << "share of one core in the 10 s after the hang-up";
    EXPECT_EQ(closed(run, window), 0) << run.output().toStdString();
}

TEST_F(FaultCheck, LinesAfterAnEightMebibyteLineWithoutLineFeedArriveWholeInTheLog) {
    PseudoTerminal device;
    MonitorRun run(PortSettings(device));
    VirtualDisplay::Window window = 0;
    ASSERT_TRUE(receiving(run, device, window));

    QByteArray huge(8 << 20, '\0');
    for (qsizetype i = 0; i < huge.size(); ++i)
        huge[i] = char('!' + i % 90);
    QList<QByteArray> normal;
    for (int i = 0; i < 200; ++i)
        normal.append("TEMP=" + QByteArray::number(20 + i % 7) + ".45 C reading " +
                      QByteArray::number(i));
    ASSERT_TRUE(device.write(huge + "\r\n" + normal.join("\r\n") + "\r\n", kArriveMs));

    EXPECT_TRUE(
        WaitUntil([&] { return run.lineLog().contains(normal.last() + "\r\n"); }, kArriveMs, 100))
        << run.output().toStdString();
    EXPECT_EQ(Records(run.lineLog(), "TEMP="), normal);
    // What is left of the long line is the receive buffer's 4096 bytes at most, and the one read
    // of at most 1023 bytes that brought its line feed.
    for (const QByteArray& record : Records(run.lineLog(), ""))
        EXPECT_LE(record.size(), 4096 + 1023);
    EXPECT_EQ(closed(run, window), 0) << run.output().toStdString();
}

TEST_F(FaultCheck, AHostileSettingsFileStillShowsTheWindowAndClosesWithExitCodeZero) {
    PseudoTerminal device;
    MonitorRun run(HostileSettings(device));
    VirtualDisplay::Window window = 0;
    // Every line meets the hostile scan format on its way to the view.
    ASSERT_TRUE(receiving(run, device, window));
    // A close the settings file refused would leave a box up.
    const std::optional<int> exitCode = closed(run, window);
    EXPECT_TRUE(display->windows(kBoxTitle).isEmpty());
    EXPECT_EQ(exitCode, 0) << run.output().toStdString();
    // The terminal kept a size it can draw, and saved that one.
    const QByteArray saved = FileBytes(run.settingsPath());
    const qsizetype size = saved.indexOf("\nFontSize=") + 10;
    ASSERT_GE(size, 10);
    const int points = saved.mid(size, saved.indexOf('\n', size) - size).toInt();
    EXPECT_GE(points, 1);
    EXPECT_LE(points, 400);
}

TEST_F(FaultCheck, AnUnwritableSettingsFolderRefusesTheFirstCloseWithItsBoxAndTheSecondCloses) {
    // Root writes anywhere, so root runs the program as nobody; anyone else as themselves, in a
    // folder they may not write.
    std::optional<RunAs> user;
    if (::geteuid() == 0) {
        const passwd* nobody = ::getpwnam("nobody");
        if (!nobody)
            GTEST_SKIP() << "there is no user nobody to run the program as";
        user = RunAs{nobody->pw_uid, nobody->pw_gid};
        if (!CanBecome(*user))
            GTEST_SKIP() << "this system does not let root start a program as nobody";
    }
    PseudoTerminal device;
    MonitorRun run(PortSettings(device));
    if (user) {
        ASSERT_TRUE(run.giveHomeTo(*user));
        ASSERT_EQ(::chmod(QFile::encodeName(device.devicePath()).constData(), 0666), 0);
    } else {
        ASSERT_TRUE(
            QFile::setPermissions(run.folder(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        ASSERT_TRUE(QFile::setPermissions(run.settingsPath(), QFileDevice::ReadOwner));
    }
    const QByteArray stored = FileBytes(run.settingsPath());
    const VirtualDisplay::Window window = started(run, user);
    ASSERT_NE(window, 0u) << run.output().toStdString();

    display->requestClose(window);
    const VirtualDisplay::Window box = shown(run, kBoxTitle);
    ASSERT_NE(box, 0u) << "no box after the first close; " << run.output().toStdString();
    ASSERT_TRUE(run.running());
    display->requestClose(box);
    EXPECT_TRUE(WaitUntil([&] { return display->windows(kBoxTitle).isEmpty(); }, kShowMs, 50));
    EXPECT_TRUE(run.running());
    EXPECT_EQ(display->windows(kMainTitle), QList<VirtualDisplay::Window>{window});

    EXPECT_EQ(closed(run, window), 0) << run.output().toStdString();
    EXPECT_TRUE(display->windows(kBoxTitle).isEmpty());
    EXPECT_EQ(FileBytes(run.settingsPath()), stored);
}

}  // namespace
