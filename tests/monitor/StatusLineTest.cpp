// The status line of the main window through real pseudo-terminals: what it says of the port in
// each case a new user meets, the return of an unplugged device, and the priority list.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <functional>
#include <memory>

#include "HolderProcess.h"
#include "LogFolder.h"
#include "PseudoTerminal.h"
#include "SettingsFile.h"
#include "StatusLine.h"
#include "WindowHarness.h"

namespace {

// Whether a line of the terminal ends with the text (lines are shown behind a time stamp).
bool Shows(TfZIVizovor& window, const QString& text) {
    const QStringList lines = TerminalLines(window);
    return std::any_of(lines.begin(), lines.end(),
                       [&](const QString& line) { return line.endsWith(text); });
}

// What the user does: open the list, move to the item and take it.
void UserPicks(QComboBox* list, const char* text) {
    list->showPopup();
    list->view()->setCurrentIndex(list->model()->index(list->findText(QLatin1String(text)), 0));
    QTest::keyClick(list->view(), Qt::Key_Return);
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A window whose COM3 is the given device, shown as a user starts it, showing every line.
struct ShownWindow {
    explicit ShownWindow(const QString& device, const QByteArray& terminal = {}) {
        h.mapPorts({{3, device}}, "[TERMINAL]\neSearcString=\n" + terminal);
        w = h.window();
        w->FormShow();
    }
    TStatusLine& status() const { return *w->StatusBar1; }
    // Whether the status line comes to say the state within two seconds of stepped time.
    bool stateBecomes(const QString& state) {
        const qint64 start = h.time.elapsed();
        return StepUntil(h.time, [&] { return status().State->text() == state; }) &&
               h.time.elapsed() - start <= 2000;
    }

    WindowHarness h;
    std::unique_ptr<TfZIVizovor> w;
};

}  // namespace

TEST(StatusLine, TellsThePortAndWhyItIsNotOpen) {
    PseudoTerminal pty;
    QTemporaryDir folder;
    const QString gone = folder.filePath(QStringLiteral("ttyGone"));
    HolderProcess holder(pty.devicePath());
    ASSERT_EQ(holder.firstLine(), "holding");
    PseudoTerminal free;
    const struct {
        const char* what;
        QString device;
        QString state;
        QString settings;
        QString traffic;
    } cases[] = {
        {"open", free.devicePath(), QStringLiteral("open"), QStringLiteral("19200 8N1"),
         QStringLiteral("received 0 bytes, 0 lines \u00b7 sent 0 bytes, 0 lines")},
        {"missing", gone, QStringLiteral("not open: no device at ") + gone, {}, {}},
        {"busy",
         pty.devicePath(),
         QStringLiteral("not open: Device or resource busy \u2014 held by serial_port_holder (%1)")
             .arg(holder.pid()),
         {},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ShownWindow s(c.device);
        EXPECT_EQ(s.status().Device->text(), QStringLiteral("COM3 \u00b7 ") + c.device);
        EXPECT_EQ(s.status().State->text(), c.state);
        EXPECT_EQ(s.status().Settings->text(), c.settings);
        EXPECT_EQ(s.status().Traffic->text(), c.traffic);
        // What a screen reader hears of it.
        EXPECT_EQ(QAccessible::queryAccessibleInterface(s.status().State)->text(QAccessible::Name),
                  QStringLiteral("Connection: ") + c.state);
    }
}

TEST(StatusLine, DeviceWithoutAccessTellsHowToGetIt) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root may open any device";
    PseudoTerminal pty;
    ASSERT_EQ(chmod(QFile::encodeName(pty.devicePath()).constData(), 0), 0);
    ShownWindow s(pty.devicePath());
    EXPECT_EQ(s.status().State->text(),
              QStringLiteral("not open: Permission denied \u2014 add your user to the dialout "
                             "group (sudo usermod -aG dialout $USER) and log in again"));
}

// A pseudo-terminal has no character format of its own: picked as 7E2 it still carries data both
// ways, the status line tells what the kernel keeps, and counts what passed.
TEST(StatusLine, PseudoTerminalPickedAs7E2CarriesDataAndCountsIt) {
    PseudoTerminal pty;
    ShownWindow s(pty.devicePath());
    s.w->DataWidth->setCurrentIndex(s.w->DataWidth->findText(QStringLiteral("7")));
    s.w->Parity->setCurrentIndex(s.w->Parity->findText(QStringLiteral("Even")));
    s.w->StopBits->setCurrentIndex(s.w->StopBits->findText(QStringLiteral("2")));
    s.w->bConnect->click();
    ASSERT_EQ(s.status().State->text(), QStringLiteral("open"));
    const bool keepsFormat = PseudoTerminal::takesCharacterFormat(CS7, PARENB);
    EXPECT_EQ(s.status().Settings->text(), keepsFormat ? "19200 7E2" : "19200 8N2");

    ASSERT_TRUE(pty.write("$GPGGA,1\r\n"));
    ASSERT_TRUE(s.h.stepUntil([&] { return Shows(*s.w, "$GPGGA,1"); }));
    EXPECT_TRUE(s.w->zSerial->Send("AT\r\n"));
    EXPECT_EQ(pty.read(), "AT\r\n");
    s.h.time.advance(250);
    EXPECT_EQ(s.status().Traffic->text(),
              QStringLiteral("received 10 bytes, 1 line \u00b7 sent 4 bytes, 1 line"));
}

// The far end closes (an adapter pulled out) and a new pair appears at the same link: the window
// says so, opens it again by itself with the same settings, keeps the display paused, and the line
// log goes on in the same file.
TEST(StatusLine, UnpluggedDeviceComesBackByItselfIntoTheSameLog) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("ttyGps"));
    auto first = std::make_unique<PseudoTerminal>();
    ASSERT_TRUE(QFile::link(first->devicePath(), path));
    ShownWindow s(path, "NMEA LOG=True\n");
    ASSERT_EQ(s.status().State->text(), QStringLiteral("open"));
    const QString log = QFile::decodeName(s.w->LineLogPath);
    EXPECT_EQ(s.status().Log->text(), QStringLiteral("line log: ") + QFileInfo(log).fileName());
    ASSERT_TRUE(first->write("before\r\n"));
    ASSERT_TRUE(s.h.stepUntil([&] { return Shows(*s.w, "before"); }));
    s.w->bPause->click();

    first.reset();
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_TRUE(s.stateBecomes(QStringLiteral("device gone \u2014 waiting for it to come back")));
    EXPECT_FALSE(s.w->zSerial->Connected);
    PseudoTerminal second;
    ASSERT_TRUE(QFile::link(second.devicePath(), path));
    EXPECT_TRUE(s.stateBecomes(QStringLiteral("open")));
    EXPECT_EQ(s.h.layer.opens, 2);  // the first connection, and the return: no click
    EXPECT_TRUE(s.w->Paused);
    EXPECT_EQ(s.status().Paused->text(), QStringLiteral("paused"));

    ASSERT_TRUE(second.write("while paused\r\n"));
    ASSERT_TRUE(s.h.stepUntil([&] { return ReadFile(log).endsWith("while paused\r\n"); }));
    s.w->mTerminalDblClick();
    ASSERT_TRUE(second.write("after\r\n"));
    ASSERT_TRUE(s.h.stepUntil([&] { return Shows(*s.w, "after"); }));
    EXPECT_FALSE(Shows(*s.w, "while paused"));
    EXPECT_EQ(ReadFile(log), "before\r\nwhile paused\r\nafter\r\n");
    EXPECT_EQ(QDir(QFileInfo(log).path()).entryList(QDir::Files),
              QStringList{QFileInfo(log).fileName()});
}

TEST(StatusLine, TellsWhyTheLineLogIsNotWritten) {
    PseudoTerminal pty;
    const struct {
        const char* what;
        // Spoils the log tree of the window's harness before the window is shown.
        std::function<void(WindowHarness&)> spoil;
        QString said;  // after "line log not written: "; empty for the log folder's name
    } cases[] = {
        {"log root is a file",
         [](WindowHarness& h) {
             QFile file(h.logRoot());
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
         },
         {}},
        {"log file is a folder",
         [](WindowHarness& h) {
             const LogNames names = MakeLogNames(h.logRoot(), h.time.now());
             ASSERT_TRUE(QDir().mkpath(QFile::decodeName(names.LineLogPath)));
         },
         QStringLiteral("Is a directory")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WindowHarness h;
        c.spoil(h);
        h.mapPorts({{3, pty.devicePath()}}, "[TERMINAL]\nNMEA LOG=True\n");
        auto w = h.window();
        w->FormShow();
        ASSERT_TRUE(w->zSerial->Connected);
        EXPECT_EQ(w->StatusBar1->Log->text(),
                  QStringLiteral("line log not written: ") +
                      (c.said.isEmpty() ? QStringLiteral("cannot create the folder ") +
                                              QFile::decodeName(w->LogFolder)
                                        : c.said));
    }
}

// Without privileges the priority may go down but not up again: the list turns back to what the
// process holds, without a second connection, says why, and that is what is stored.
TEST(StatusLine, PriorityListShowsWhatTheProcessHolds) {
    PseudoTerminal pty;
    ShownWindow s(pty.devicePath());
    s.h.privileged = false;
    const struct {
        const char* pick;
        const char* shown;
        int held;
        bool refused;
    } steps[] = {
        {"Higher", "Normal", 0, true},
        {"Idle", "Idle", 19, false},
        {"Normal", "Idle", 19, true},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.pick);
        const int opens = s.h.layer.opens;
        UserPicks(s.w->Priority, step.pick);
        EXPECT_EQ(s.w->Priority->currentText(), QLatin1String(step.shown));
        EXPECT_EQ(s.h.heldNiceValue, step.held);
        EXPECT_EQ(s.h.layer.opens, opens + 1);
        EXPECT_EQ(
            s.status().Note->text(),
            step.refused ? QStringLiteral("priority not changed: needs privileges") : QString());
    }
    s.w->SaveSettings();
    EXPECT_EQ(ReadTerminalSettings(IniFile(s.w->SettingsFilePath)).priority,
              QStringLiteral("Idle"));
}
