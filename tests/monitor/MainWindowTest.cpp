#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QTest>
#include <stdexcept>

#include "Application.h"
#include "Fonts.h"
#include "ProgramWindows.h"
#include "Timer.h"
#include "Uabout.h"
#include "Uaverage.h"
#include "WindowHarness.h"

namespace {

struct ListCase {
    const char* name;
    QStringList items;
    QString selected;  // empty: nothing selected
};

TEST(MainWindow, EveryListStartsWithItsItemsAndSelection) {
    WindowHarness h;
    auto w = h.window();
    const QStringList trueFalse = {"True", "False"};
    const ListCase cases[] = {
        {"Port", {}, ""},
        {"BaudRate",
         {"110", "300", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"},
         "19200"},
        {"DataWidth", {"5", "6", "7", "8"}, "8"},
        {"StopBits", {"1", "1.5", "2"}, "1"},
        {"Parity", {"Even", "Mark", "None", "Odd", "Space"}, "None"},
        {"Priority", {"Higher", "Highest", "Idle", "Lower", "Lowest", "Normal"}, "Normal"},
        {"Delay", {"1", "5", "10", "50", "100", "500", "1000"}, "5"},
        {"NMEALog", trueFalse, "False"},
        {"LogTime", trueFalse, "False"},
        {"EnableDTR", trueFalse, "True"},
        {"EnableRTS", trueFalse, "True"},
    };
    for (const ListCase& c : cases) {
        auto* list = w->findChild<QComboBox*>(QLatin1String(c.name));
        ASSERT_NE(list, nullptr) << c.name;
        QStringList items;
        for (int i = 0; i < list->count(); ++i)
            items.append(list->itemText(i));
        EXPECT_EQ(items, c.items) << c.name;
        EXPECT_EQ(list->currentText(), c.selected) << c.name;
        EXPECT_FALSE(list->isEditable()) << c.name;
    }
}

struct TextCase {
    const char* name;
    QString text;
};

TEST(MainWindow, EveryOtherControlStartsWithItsTextOrState) {
    WindowHarness h;
    auto w = h.window();
    const TextCase edits[] = {{"eSearcString", ""}, {"eFormatIdentifier", ""}, {"eAX", ""},
                              {"eB", ""},           {"eValue", "eValue"},      {"eBroadcast", ""}};
    for (const TextCase& c : edits) {
        auto* edit = w->findChild<QLineEdit*>(QLatin1String(c.name));
        ASSERT_NE(edit, nullptr) << c.name;
        EXPECT_EQ(edit->text(), c.text) << c.name;
    }
    const TextCase buttons[] = {
        {"bConnect", "&Connect"}, {"bPause", "P&ause"}, {"Button1", "Broadcast"}};
    for (const TextCase& c : buttons) {
        auto* button = w->findChild<QPushButton*>(QLatin1String(c.name));
        ASSERT_NE(button, nullptr) << c.name;
        EXPECT_EQ(button->text(), c.text) << c.name;
    }
    const TextCase checks[] = {{"cbCR", "CR"}, {"cbLF", "LF"}};
    for (const TextCase& c : checks) {
        auto* check = w->findChild<QCheckBox*>(QLatin1String(c.name));
        ASSERT_NE(check, nullptr) << c.name;
        EXPECT_EQ(check->text(), c.text) << c.name;
        EXPECT_FALSE(check->isChecked()) << c.name;
    }
    const TextCase groups[] = {{"GroupBox2", "Quick Value Search"},
                               {"GroupBox1", "COM Port Settings"},
                               {"GroupBox3", "Transmit"}};
    for (const TextCase& c : groups) {
        auto* group = w->findChild<QGroupBox*>(QLatin1String(c.name));
        ASSERT_NE(group, nullptr) << c.name;
        EXPECT_EQ(group->title(), c.text) << c.name;
    }
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Plovik Comport Monitor"));
    EXPECT_EQ(w->objectName(), QStringLiteral("fZIVizovor"));
    EXPECT_FALSE(w->Paused);
    EXPECT_TRUE(w->ShowDateTime);
    EXPECT_FALSE(w->Button1->isDefault());
    EXPECT_EQ(w->mTerminal->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

TEST(MainWindow, MenusHoldTheirItemsInOrder) {
    WindowHarness h;
    auto w = h.window();
    const QList<QPair<QString, QStringList>> menus = {
        {"&File", {"New1:&New"}},
        {"&Tools",
         {"ShowControls1:&Settings", "Clear1:&Clear", "DateTime1:Toggle &Date Time",
          "Font1:&Font...", "BackColor1:&Background Color...", "OpenLogFolder1:Open &Log Folder"}},
        {"&Help", {"About2:&About"}},
    };
    const QList<QAction*> top = w->menuBar()->actions();
    ASSERT_EQ(top.size(), menus.size());
    for (int i = 0; i < menus.size(); ++i) {
        EXPECT_EQ(top[i]->text(), menus[i].first);
        QStringList items;
        for (QAction* item : top[i]->menu()->actions())
            items.append(item->objectName() + ':' + item->text());
        EXPECT_EQ(items, menus[i].second);
    }
    EXPECT_EQ(w->PopupMenu1->actions(), QList<QAction*>{w->PopupMenu11});
    EXPECT_EQ(w->PopupMenu11->text(), QStringLiteral("&Average"));
}

TEST(MainWindow, SettingsPanelSitsLeftOfTheTerminalAtItsDesignedWidth) {
    WindowHarness h;
    auto w = h.window();
    w->resize(1040, 691);
    w->show();
    EXPECT_EQ(w->Splitter1->widget(0), w->pSettings);
    EXPECT_EQ(w->Splitter1->widget(1), w->Panel4);
    EXPECT_EQ(w->mTerminal->parentWidget(), w->Panel4);
    EXPECT_EQ(w->SettingsPanelWidth(), 148);
    w->SetSettingsPanelWidth(300);
    EXPECT_EQ(w->SettingsPanelWidth(), 300);
    EXPECT_EQ(w->pSettings->width(), 300);
    // A wider window gives the terminal the room, not the panel.
    w->resize(1400, 691);
    QCoreApplication::processEvents();
    EXPECT_EQ(w->SettingsPanelWidth(), 300);
}

TEST(MainWindow, PanelWidthRestoredWhenTheWindowIsShownHolds) {
    WindowHarness h;
    h.writeSettings("[TERMINAL]\npSettingsWidth=250\n");
    auto w = h.window();
    w->resize(1040, 691);
    w->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(w->SettingsPanelWidth(), 250);
}

TEST(MainWindow, TerminalStartsWithOneEmptyLineInAMonospacedFace) {
    WindowHarness h;
    auto w = h.window();
    EXPECT_EQ(w->mTerminal->lineCount(), 1);
    EXPECT_EQ(w->mTerminal->toPlainText(), QString());
    const QFontInfo face(w->mTerminal->font());
    EXPECT_TRUE(face.fixedPitch()) << face.family().toStdString();
    EXPECT_EQ(w->mTerminal->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(w->mTerminal->palette().color(QPalette::Text), QColor(Qt::black));
}

TEST(MainWindow, WindowsFaceNamesResolveToInstalledFacesOfTheirKind) {
    InstallFontSubstitutes();
    struct FaceCase {
        const char* name;
        QStringList acceptable;
    };
    const FaceCase cases[] = {
        {"Terminal", {"DejaVu Sans Mono", "Liberation Mono"}},
        {"Tahoma", {"DejaVu Sans", "Liberation Sans"}},
        {"Segoe UI", {"DejaVu Sans", "Liberation Sans"}},
        {"Arial Narrow", {"Liberation Sans Narrow"}},
    };
    for (const FaceCase& c : cases) {
        const QString family = QFontInfo(PixelFont(QLatin1String(c.name), 12)).family();
        EXPECT_TRUE(c.acceptable.contains(family)) << c.name << " -> " << family.toStdString();
    }
}

TEST(MainWindow, SizeCheckTimerTicksEveryMinuteFromCreation) {
    WindowHarness h;
    auto w = h.window();
    EXPECT_TRUE(w->Timer1->isEnabled());
    EXPECT_EQ(w->Timer1->interval(), 60000);
}

TEST(MainWindow, ComponentIsOwnedClosedAndReportsLinesToTheWindow) {
    WindowHarness h;
    auto w = h.window();
    ASSERT_NE(w->zSerial, nullptr);
    EXPECT_EQ(w->zSerial->parent(), w.get());
    EXPECT_FALSE(w->zSerial->Connected);
    EXPECT_TRUE(static_cast<bool>(w->zSerial->OnNewCommand));
    // The status line follows the link as it opens, hangs up and comes back.
    EXPECT_TRUE(static_cast<bool>(w->zSerial->OnOpen));
    EXPECT_TRUE(static_cast<bool>(w->zSerial->OnClose));
    EXPECT_TRUE(w->zSerial->AutoReconnect);
    EXPECT_FALSE(static_cast<bool>(w->zSerial->OnSend));
    EXPECT_FALSE(static_cast<bool>(w->zSerial->OnTimeout));
    EXPECT_FALSE(static_cast<bool>(w->zSerial->OnNoData));
    EXPECT_FALSE(static_cast<bool>(w->zSerial->OnPosition));
    EXPECT_FALSE(static_cast<bool>(w->zSerial->OnSpeed));
    EXPECT_EQ(w->SettingsFilePath, h.platform().settingsFile);
}

TEST(MainWindow, EveryWindowOfTheProgramCarriesItsIcon) {
    WindowHarness h;
    ProgramWindows windows(h.platform());
    EXPECT_EQ(windows.fZIVizovor.fAbout, &windows.fAbout);
    EXPECT_EQ(windows.fZIVizovor.fAverage, &windows.fAverage);
    const QList<QWidget*> all = {&windows.fZIVizovor, &windows.fAbout, &windows.fAverage};
    for (QWidget* window : all) {
        EXPECT_FALSE(window->windowIcon().pixmap(32, 32).isNull())
            << window->metaObject()->className();
        EXPECT_FALSE(window->isVisible());
    }
    EXPECT_FALSE(windows.fAbout.testAttribute(Qt::WA_QuitOnClose));
    EXPECT_FALSE(windows.fAverage.testAttribute(Qt::WA_QuitOnClose));
}

TEST(Dialogs, AboutAndAverageAreBuiltHiddenWithTheirControls) {
    TfAbout about;
    TfAverage average;
    EXPECT_FALSE(about.isVisible());
    EXPECT_FALSE(average.isVisible());
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Plovik Comport Monitor"));
    EXPECT_EQ(about.size(), QSize(400, 280));
    EXPECT_EQ(about.SoftName->text(), QStringLiteral("Plovik Comport Monitor"));
    EXPECT_EQ(about.Version->text(), QStringLiteral("Version 2.1.7"));
    EXPECT_TRUE(about.Label8->text().contains(QString::number(QDate::currentDate().year())));
    EXPECT_EQ(about.BitBtn2->text(), QStringLiteral("OK"));
    EXPECT_EQ(average.windowTitle(), QStringLiteral("Average"));
    EXPECT_EQ(average.size(), QSize(146, 112));
    EXPECT_TRUE(average.eAvrage->text().isEmpty());
    EXPECT_TRUE(average.eSample->text().isEmpty());
}

TEST(Dialogs, AboutOkOnlyHidesTheBox) {
    TfAbout about;
    about.show();
    about.BitBtn2->click();
    EXPECT_FALSE(about.isVisible());
    const QString notice = about.Label8->text();
    about.show();
    EXPECT_EQ(about.Label8->text(), notice);
}

TEST(Startup, EscapedErrorsAreShownWithTheirMessageAndStopThere) {
    CountingMessages messages;
    EXPECT_FALSE(RunGuarded([] { throw std::runtime_error("disk on fire"); }, messages));
    EXPECT_FALSE(RunGuarded([] { throw 42; }, messages));
    EXPECT_TRUE(RunGuarded([] {}, messages));
    ASSERT_EQ(messages.shown.size(), 2);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("disk on fire"));
    EXPECT_EQ(messages.shown[0].icon, QMessageBox::Critical);
    EXPECT_EQ(messages.shown[1].text, QString());
}

TEST(Startup, ErrorThrownByAClickHandlerCrossesTheEventDeliveryToTheGuard) {
    CountingMessages messages;
    QPushButton button;
    QObject::connect(&button, &QPushButton::clicked,
                     [] { throw std::runtime_error("handler failed"); });
    EXPECT_FALSE(RunGuarded([&] { QTest::mouseClick(&button, Qt::LeftButton); }, messages));
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("handler failed"));
    // The button is still usable afterwards.
    int clicks = 0;
    QObject::disconnect(&button, nullptr, nullptr, nullptr);
    QObject::connect(&button, &QPushButton::clicked, [&] { ++clicks; });
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
}

TEST(Startup, ThemeNamesAreMatchedIgnoringCaseAndUnknownOnesReported) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    ASSERT_NE(app, nullptr);
    struct ThemeCase {
        QString name;
        bool found;
    };
    const ThemeCase cases[] = {
        {"Windows", true}, {"carbon", true}, {"WINDOWS10 DARK", true},
        {"", false},       {"Plaid", false},
    };
    for (const ThemeCase& c : cases) {
        CountingMessages messages;
        ApplyTheme(*app, c.name, messages);
        if (c.found) {
            EXPECT_TRUE(messages.shown.isEmpty()) << c.name.toStdString();
            continue;
        }
        ASSERT_EQ(messages.shown.size(), 1) << c.name.toStdString();
        EXPECT_EQ(messages.shown[0].text, QStringLiteral("Style '%1' not found").arg(c.name));
        EXPECT_EQ(messages.shown[0].icon, QMessageBox::Critical);
        EXPECT_EQ(messages.shown[0].button, QMessageBox::Close);
    }
    CountingMessages restore;
    ApplyTheme(*app, QStringLiteral("Windows"), restore);
}

}  // namespace
