// The window's commands of the menus, the shell and the choosers they use, and how the window is
// read and reached without a mouse.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QTest>

#include "ProgramWindows.h"
#include "SettingsFile.h"
#include "WindowHarness.h"

namespace {

class WindowCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.time.setNow(QDateTime(QDate(2024, 3, 1), QTime(9, 5, 7)));
        w = shownWindow();
    }
    std::unique_ptr<TfZIVizovor> shownWindow() {
        auto window = h.window();
        window->resize(1040, 691);
        window->show();
        QCoreApplication::processEvents();
        return window;
    }
    TerminalSettings stored() { return ReadTerminalSettings(IniFile(h.platform().settingsFile)); }

    WindowHarness h;
    std::unique_ptr<TfZIVizovor> w;
};

TEST_F(WindowCommandsTest, SettingsTwiceGivesThePanelBackAtItsFormerWidth) {
    w->SetSettingsPanelWidth(230);
    QCoreApplication::processEvents();
    const int terminalWidth = w->Panel4->width();
    w->ShowControls1->trigger();
    QCoreApplication::processEvents();
    EXPECT_FALSE(w->pSettings->isVisible());
    EXPECT_GE(w->Panel4->width(), terminalWidth + 230);
    w->ShowControls1->trigger();
    QCoreApplication::processEvents();
    EXPECT_TRUE(w->pSettings->isVisible());
    EXPECT_EQ(w->pSettings->width(), 230);
    EXPECT_EQ(w->Panel4->width(), terminalWidth);
}

TEST_F(WindowCommandsTest, ClosingWithTheSettingsHiddenStoresTheirWidthButNotTheHiding) {
    w->SetSettingsPanelWidth(230);
    w->ShowControls1->trigger();
    ASSERT_TRUE(w->close());
    EXPECT_EQ(stored().settingsWidth, 230);
    const auto next = shownWindow();
    EXPECT_TRUE(next->pSettings->isVisible());
    EXPECT_EQ(next->SettingsPanelWidth(), 230);
}

TEST_F(WindowCommandsTest, ConfirmedFontAndBackgroundApplyAndTheNextCloseStoresThem) {
    const QFont laidOut = w->mTerminal->font();
    const QFont windowFont = w->font();
    QFont serif(QStringLiteral("DejaVu Serif"), 17);
    serif.setBold(true);
    serif.setUnderline(true);
    h.fontAnswer = TerminalFont{serif, QColor(0x12, 0x34, 0x56)};
    h.colorAnswer = QColor(0x65, 0x43, 0x21);
    w->Font1->trigger();
    w->BackColor1->trigger();

    ASSERT_EQ(h.fontsOffered.size(), 1);
    EXPECT_EQ(h.fontsOffered[0].font, laidOut);
    EXPECT_EQ(h.fontsOffered[0].color, QColor(Qt::black));
    EXPECT_EQ(h.colorsOffered, QList<QColor>{QColor(Qt::white)});
    EXPECT_EQ(w->mTerminal->font(), serif);
    EXPECT_EQ(w->mTerminal->palette().color(QPalette::Text), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(w->mTerminal->palette().color(QPalette::Base), QColor(0x65, 0x43, 0x21));
    EXPECT_EQ(w->font(), windowFont);

    ASSERT_TRUE(w->close());
    const TerminalSettings file = stored();
    EXPECT_EQ(file.fontName, QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(file.fontSize, 17);
    EXPECT_EQ(file.fontStyle, 1 | 4);
    EXPECT_EQ(file.fontColor, 0x563412);
    EXPECT_EQ(file.backColor, 0x214365);
}

TEST_F(WindowCommandsTest, CancelledChoosersChangeNothing) {
    const QFont font = w->mTerminal->font();
    const QPalette colours = w->mTerminal->palette();
    w->Font1->trigger();
    w->BackColor1->trigger();
    EXPECT_EQ(h.fontsOffered.size(), 1);
    EXPECT_EQ(h.colorsOffered.size(), 1);
    EXPECT_EQ(w->mTerminal->font(), font);
    EXPECT_EQ(w->mTerminal->palette(), colours);
}

TEST_F(WindowCommandsTest, NewAndOpenLogFolderHandTheShellTheProgramAndThisRunsFolder) {
    w->New1->trigger();
    w->OpenLogFolder1->trigger();
    EXPECT_EQ(h.started, QStringList{QCoreApplication::applicationFilePath()});
    EXPECT_EQ(h.opened,
              QList<QUrl>{QUrl::fromLocalFile(h.logRoot() + QStringLiteral("/2024-03-01/SRX/"))});
}

TEST(ProgramWindowsCommands, AboutIsShownByHelpAndItsLinkGoesThroughTheShell) {
    WindowHarness h;
    ProgramWindows windows(h.platform());
    windows.fZIVizovor.About2->trigger();
    EXPECT_TRUE(windows.fAbout.isVisible());
    EXPECT_FALSE(windows.fAbout.isModal());
    windows.fAbout.Label5Click();
    EXPECT_EQ(h.opened, QList<QUrl>{QUrl(QStringLiteral("https://plovik.example"))});
}

// What a screen reader announces on an input: the caption that labels it (its group box labels it
// too), else its own name.
QString Announced(QWidget* input) {
    QAccessibleInterface* self = QAccessible::queryAccessibleInterface(input);
    for (const auto& [label, relation] : self->relations(QAccessible::Label)) {
        if (label->role() == QAccessible::StaticText)
            return label->text(QAccessible::Name).trimmed();
    }
    return self->text(QAccessible::Name);
}

TEST_F(WindowCommandsTest, InputsAreAnnouncedByTheirCaptionsAndReachedByTheirLetters) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    const struct {
        QWidget* input;
        const char* caption;
        Qt::Key letter;  // with Alt; Key_unknown: none
    } inputs[] = {
        {w->eSearcString, "Search String", Qt::Key_S},
        {w->eFormatIdentifier, "Scan Format Identifier", Qt::Key_M},
        {w->eAX, "ax", Qt::Key_X},
        {w->eB, "+b", Qt::Key_B},
        {w->eValue, "Value", Qt::Key_unknown},
        {w->Port, "Port No:", Qt::Key_P},
        {w->BaudRate, "Baud Rate", Qt::Key_U},
        {w->DataWidth, "Data Width", Qt::Key_W},
        {w->StopBits, "Stop Bits", Qt::Key_O},
        {w->Parity, "Parity", Qt::Key_Y},
        {w->Priority, "Priority", Qt::Key_I},
        {w->Delay, "Delay", Qt::Key_D},
        {w->NMEALog, "NMEA Log", Qt::Key_N},
        {w->LogTime, "Log Time", Qt::Key_G},
        {w->EnableDTR, "Enable DTR", Qt::Key_E},
        {w->EnableRTS, "Enable RTS", Qt::Key_unknown},
        {w->eBroadcast, "Broadcast", Qt::Key_R},
        {w->mTerminal, "Terminal", Qt::Key_unknown},
    };
    for (const auto& c : inputs) {
        EXPECT_EQ(Announced(c.input), QLatin1String(c.caption));
        if (c.letter == Qt::Key_unknown)
            continue;
        QTest::keyClick(w.get(), c.letter, Qt::AltModifier);
        EXPECT_TRUE(c.input->hasFocus()) << c.caption;
    }
}

}  // namespace
