#include <gtest/gtest.h>
#include <termios.h>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>

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

TEST(Restart, CloseWithAnUnwritableSettingsFileSaysSoAndKeepsTheWindowOpen) {
    WindowHarness h;
    auto w = h.window();
    w->show();
    const QString unwritable = h.dir.filePath(QStringLiteral("gone/plovik-monitor.INI"));
    w->SettingsFilePath = unwritable;

    EXPECT_FALSE(RequestClose(*w, h.messages));
    ASSERT_EQ(h.messages.shown.size(), 1);
    EXPECT_EQ(h.messages.shown[0].icon, QMessageBox::Critical);
    EXPECT_EQ(h.messages.shown[0].text, QStringLiteral("Unable to write to ") + unwritable);
    EXPECT_TRUE(w->isVisible());

    // Once the file can be written the window closes as usual.
    w->SettingsFilePath = h.dir.filePath(QStringLiteral("plovik-monitor.INI"));
    EXPECT_TRUE(RequestClose(*w, h.messages));
    EXPECT_EQ(h.messages.shown.size(), 1);
}

}  // namespace
