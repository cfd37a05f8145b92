#include <gtest/gtest.h>
#include <termios.h>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <string>
#include <vector>

#include "Application.h"
#include "PseudoTerminal.h"
#include "WindowHarness.h"

namespace {

// A run of the program from show to close, with the settings file of the harness.
TEST(Restart, SecondRunRestoresTheSettingsAndReconnectsToTheMappedPort) {
    PseudoTerminal device;
    WindowHarness h;
    h.mapPorts({{4, device.devicePath()}});
    {
        auto first = h.window();
        first->show();
        ASSERT_TRUE(first->zSerial->Connected) << first->zSerial->OpenError.toStdString();
        first->BaudRate->setCurrentText(QStringLiteral("9600"));
        first->eSearcString->setText(QStringLiteral("TEMP"));
        first->cbCR->setChecked(true);
        first->DateTime1Click();
        first->bConnectClick();
        ASSERT_TRUE(first->close());
    }

    auto second = h.window();
    second->show();
    ASSERT_TRUE(second->zSerial->Connected) << second->zSerial->OpenError.toStdString();
    EXPECT_EQ(second->Port->currentText(), QStringLiteral("COM4"));
    EXPECT_EQ(second->Port->itemData(second->Port->currentIndex(), Qt::ToolTipRole).toString(),
              device.devicePath());
    EXPECT_EQ(second->zSerial->Baud, 9600);
    const termios attributes = device.deviceAttributes();
    EXPECT_EQ(cfgetospeed(&attributes), B9600);
    EXPECT_TRUE(second->cbCR->isChecked());
    EXPECT_FALSE(second->ShowDateTime);

    ASSERT_TRUE(device.write("hum=40\r\nTEMP=21.5\r\n"));
    EXPECT_TRUE(h.stepUntil([&] { return TerminalLines(*second).contains("TEMP=21.5"); }));
    EXPECT_FALSE(TerminalLines(*second).contains("hum=40"));
}

// The window's close request goes through the same guard as every event of the program.
bool RequestClose(TfZIVizovor& window, MessageBoxes& messages) {
    QCloseEvent request;
    RunGuarded([&] { QCoreApplication::sendEvent(&window, &request); }, messages);
    return request.isAccepted();
}

// One close request of a sequence: whether the settings file can be written at that moment, and
// what the request should come to.
struct CloseStep {
    bool writable;
    bool closes;
    int boxes;  // error boxes shown so far
};

TEST(Restart, AnUnwritableSettingsFileRefusesOneCloseAndTheNextClosesAnyway) {
    const struct {
        const char* name;
        std::vector<CloseStep> steps;
    } cases[] = {
        {"writable", {{true, true, 0}}},
        {"stays unwritable", {{false, false, 1}, {false, true, 1}}},
        {"mended before the second request", {{false, false, 1}, {true, true, 1}}},
        {"each refusal lets one close through",
         {{false, false, 1}, {false, true, 1}, {false, false, 2}, {false, true, 2}}},
        {"a save that works starts over", {{true, true, 0}, {false, false, 1}, {false, true, 1}}},
    };
    for (const auto& c : cases) {
        WindowHarness h;
        auto w = h.window();
        w->show();
        const QString writable = h.dir.filePath(QStringLiteral("plovik-monitor.INI"));
        // A folder that is not there fails every user, root included.
        const QString unwritable = h.dir.filePath(QStringLiteral("gone/plovik-monitor.INI"));
        int step = 0;
        for (const CloseStep& s : c.steps) {
            const std::string where = std::string(c.name) + ", request " + std::to_string(++step);
            QFile::remove(writable);
            w->SettingsFilePath = s.writable ? writable : unwritable;
            EXPECT_EQ(RequestClose(*w, h.messages), s.closes) << where;
            ASSERT_EQ(h.messages.shown.size(), s.boxes) << where;
            EXPECT_EQ(QFile::exists(writable), s.writable) << where;
        }
        for (const CountingMessages::Shown& box : h.messages.shown) {
            EXPECT_EQ(box.icon, QMessageBox::Critical) << c.name;
            EXPECT_EQ(box.text, QStringLiteral("Unable to write to ") + unwritable) << c.name;
        }
    }
}

}  // namespace
