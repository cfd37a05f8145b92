#include <gtest/gtest.h>
#include <termios.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "PseudoTerminal.h"
#include "WindowHarness.h"

namespace {

// A window whose port list holds COM3 and COM7, each a pseudo-terminal.
class ConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        w = h.window();
        h.mapPorts({{3, com3.devicePath()}, {7, com7.devicePath()}});
        w->FillPortList();
    }
    void select(QComboBox* list, const QString& text) {
        list->setCurrentIndex(list->findText(text));
    }
    // What the user does: pick another item with the keyboard, which reports the change.
    static void userPicksNext(QComboBox* list) { QTest::keyClick(list, Qt::Key_Down); }
    // Or open the list, move to an item and take it, which reports the pick even of the item the
    // list already shows.
    static void userPicksFromTheOpenList(QComboBox* list, int index) {
        list->showPopup();
        list->view()->setCurrentIndex(list->model()->index(index, 0));
        QTest::keyClick(list->view(), Qt::Key_Return);
    }

    WindowHarness h;
    PseudoTerminal com3;
    PseudoTerminal com7;
    std::unique_ptr<TfZIVizovor> w;
};

TEST_F(ConnectionTest, PortListHoldsTheMappedPortsInNumberOrder) {
    EXPECT_EQ(w->Port->count(), 2);
    EXPECT_EQ(w->Port->itemText(0), QStringLiteral("COM3"));
    EXPECT_EQ(w->Port->itemText(1), QStringLiteral("COM7"));
}

TEST_F(ConnectionTest, DetectedDevicesFillTheListWhenNothingIsMapped) {
    WindowHarness other;
    other.devices = {QStringLiteral("/dev/ttyUSB10"), QStringLiteral("/dev/ttyUSB2")};
    auto window = other.window();
    window->FillPortList();
    ASSERT_EQ(window->Port->count(), 2);
    EXPECT_EQ(window->zSerial->Ports.devicePath(1), QStringLiteral("/dev/ttyUSB2"));
    EXPECT_EQ(window->Port->itemText(1), QStringLiteral("COM2"));
}

TEST_F(ConnectionTest, ShowingTheWindowConnectsTheFirstPortWithTheListsSettings) {
    w->FormShow();
    ASSERT_TRUE(w->zSerial->Connected) << w->zSerial->OpenError.toStdString();
    EXPECT_EQ(w->Port->currentText(), QStringLiteral("COM3"));
    EXPECT_EQ(w->zSerial->PortNumber, 3);
    EXPECT_EQ(w->zSerial->Baud, 19200);
    EXPECT_EQ(w->zSerial->DataBitsCode, 4);
    EXPECT_EQ(w->zSerial->StopBitsCode, 1);
    EXPECT_EQ(w->zSerial->ParityCode, 0);
    EXPECT_EQ(w->zSerial->PollInterval, 5);
    EXPECT_FALSE(w->zSerial->LogEnabled);
    EXPECT_FALSE(w->zSerial->LogTimestamps);
    EXPECT_TRUE(w->zSerial->DtrEnabled);
    EXPECT_TRUE(w->zSerial->RtsEnabled);
    EXPECT_TRUE(w->zSerial->LogFileName.isEmpty());
    const termios attributes = com3.deviceAttributes();
    EXPECT_EQ(cfgetospeed(&attributes), B19200);
}

// One row of the mapping from the lists to the component; "" selects nothing.
struct MappingCase {
    const char* list;
    const char* text;
    qint32 TPlovikSerialGPS::*field;
    qint32 expected;
};

// A pseudo-terminal refuses some line settings (one and a half stop bits, for one), so these
// tables look at what the window hands the component, not at whether the port took it.
TEST_F(ConnectionTest, EachListSelectionGivesItsSetting) {
    using C = TPlovikSerialGPS;
    const MappingCase cases[] = {
        {"BaudRate", "110", &C::Baud, 110},       {"BaudRate", "115200", &C::Baud, 115200},
        {"BaudRate", "", &C::Baud, 9600},         {"DataWidth", "5", &C::DataBitsCode, 1},
        {"DataWidth", "7", &C::DataBitsCode, 3},  {"DataWidth", "", &C::DataBitsCode, 4},
        {"StopBits", "1.5", &C::StopBitsCode, 2}, {"StopBits", "2", &C::StopBitsCode, 3},
        {"StopBits", "", &C::StopBitsCode, 1},    {"Parity", "Odd", &C::ParityCode, 1},
        {"Parity", "Even", &C::ParityCode, 2},    {"Parity", "Mark", &C::ParityCode, 3},
        {"Parity", "Space", &C::ParityCode, 4},   {"Parity", "", &C::ParityCode, 0},
        {"Delay", "1", &C::PollInterval, 1},      {"Delay", "1000", &C::PollInterval, 1000},
        {"Delay", "", &C::PollInterval, 5},
    };
    for (const MappingCase& c : cases) {
        auto* list = w->findChild<QComboBox*>(QLatin1String(c.list));
        const int before = list->currentIndex();
        select(list, QLatin1String(c.text));
        w->bConnect->click();
        EXPECT_EQ((*w->zSerial).*c.field, c.expected) << c.list << " '" << c.text << "'";
        list->setCurrentIndex(before);
    }
}

TEST_F(ConnectionTest, TextsThatAreNotNumbersGiveTheDefaults) {
    // The lists take only their items; a foreign text can only come from the program itself.
    w->BaudRate->addItem(QStringLiteral("fast"));
    select(w->BaudRate, QStringLiteral("fast"));
    w->Delay->addItem(QStringLiteral("soon"));
    select(w->Delay, QStringLiteral("soon"));
    w->bConnect->click();
    EXPECT_EQ(w->zSerial->Baud, 9600);
    EXPECT_EQ(w->zSerial->PollInterval, 5);
}

struct FlagCase {
    const char* list;
    const char* text;
    bool TPlovikSerialGPS::*field;
    bool expected;
};

TEST_F(ConnectionTest, EachTrueFalseListGivesItsFlag) {
    using C = TPlovikSerialGPS;
    const FlagCase cases[] = {
        {"NMEALog", "True", &C::LogEnabled, true},
        {"NMEALog", "False", &C::LogEnabled, false},
        {"NMEALog", "", &C::LogEnabled, false},
        {"LogTime", "True", &C::LogTimestamps, true},
        {"LogTime", "", &C::LogTimestamps, false},
        {"EnableDTR", "False", &C::DtrEnabled, false},
        {"EnableDTR", "", &C::DtrEnabled, false},
        {"EnableDTR", "True", &C::DtrEnabled, true},
        {"EnableRTS", "False", &C::RtsEnabled, false},
        {"EnableRTS", "", &C::RtsEnabled, false},
        {"EnableRTS", "True", &C::RtsEnabled, true},
    };
    for (const FlagCase& c : cases) {
        auto* list = w->findChild<QComboBox*>(QLatin1String(c.list));
        select(list, QLatin1String(c.text));
        w->bConnect->click();
        EXPECT_EQ((*w->zSerial).*c.field, c.expected) << c.list << " '" << c.text << "'";
    }
}

TEST_F(ConnectionTest, LogSwitchSetsTheLogNameOnceAndKeepsIt) {
    ASSERT_TRUE(QDir().mkpath(QFile::decodeName(w->LogFolder)));
    select(w->NMEALog, QStringLiteral("True"));
    w->bConnect->click();
    EXPECT_EQ(w->zSerial->LogFileName, w->LineLogPath);
    EXPECT_TRUE(QFileInfo::exists(QFile::decodeName(w->LineLogPath)));
    select(w->NMEALog, QStringLiteral("False"));
    w->bConnect->click();
    EXPECT_FALSE(w->zSerial->LogEnabled);
    EXPECT_EQ(w->zSerial->LogFileName, w->LineLogPath);
}

TEST_F(ConnectionTest, EveryListChangedByTheUserReconnectsWithTheNewSetting) {
    w->bConnect->click();
    ASSERT_TRUE(w->zSerial->Connected);
    const QList<QComboBox*> lists = {w->BaudRate,  w->DataWidth, w->StopBits, w->Parity,
                                     w->Priority,  w->Delay,     w->NMEALog,  w->LogTime,
                                     w->EnableDTR, w->EnableRTS};
    for (QComboBox* list : lists) {
        select(list, list->itemText(0));
        w->bPauseClick();
        const int opensBefore = h.layer.opens;
        userPicksNext(list);
        EXPECT_EQ(list->currentIndex(), 1) << list->objectName().toStdString();
        // Only an apply resumes the view and opens the port again.
        EXPECT_FALSE(w->Paused) << list->objectName().toStdString();
        EXPECT_EQ(h.layer.opens, opensBefore + 1) << list->objectName().toStdString();
    }
    EXPECT_EQ(w->zSerial->RtsEnabled, false);
    EXPECT_EQ(w->zSerial->Baud, 300);
}

// Reopening the port would purge what the driver holds and drop the line being received.
TEST_F(ConnectionTest, RePickingTheShownItemKeepsTheConnectionAndTheLineBeingReceived) {
    w->show();
    ASSERT_TRUE(w->zSerial->Connected) << w->zSerial->OpenError.toStdString();
    w->eSearcString->clear();
    w->ShowDateTime = false;
    ASSERT_TRUE(com3.write("HALF-"));
    ASSERT_TRUE(h.stepUntil([&] { return w->zSerial->ReceiveBuffer == "HALF-"; }));
    w->bPause->click();
    const int opens = h.layer.opens;
    for (QComboBox* list : w->findChildren<QComboBox*>()) {
        userPicksFromTheOpenList(list, list->currentIndex());
        EXPECT_FALSE(list->view()->isVisible()) << list->objectName().toStdString();
    }
    // A list the program changed shows the new item; picking that one is no change either.
    select(w->BaudRate, QStringLiteral("9600"));
    userPicksFromTheOpenList(w->BaudRate, w->BaudRate->currentIndex());
    EXPECT_EQ(h.layer.opens, opens);
    EXPECT_TRUE(w->Paused);
    EXPECT_EQ(w->zSerial->Baud, 19200);

    w->mTerminalDblClick();
    ASSERT_TRUE(com3.write("LINE\r\n"));
    EXPECT_TRUE(h.stepUntil([&] { return TerminalLines(*w).contains("HALF-LINE"); }))
        << TerminalLines(*w).join('|').toStdString();
}

TEST_F(ConnectionTest, PickingAnotherItemFromTheOpenListReconnects) {
    w->bConnect->click();
    const int opens = h.layer.opens;
    userPicksFromTheOpenList(w->BaudRate, w->BaudRate->findText(QStringLiteral("9600")));
    EXPECT_EQ(h.layer.opens, opens + 1);
    EXPECT_EQ(w->zSerial->Baud, 9600);
}

TEST_F(ConnectionTest, SelectingAnotherPortClosesTheFirst) {
    w->bConnect->click();
    ASSERT_EQ(w->zSerial->PortNumber, 3);
    userPicksNext(w->Port);
    EXPECT_EQ(w->zSerial->PortNumber, 7);
    EXPECT_TRUE(w->zSerial->Connected);
    // COM3 is free again: another opener gets it.
    SerialFailure failure;
    EXPECT_NE(SerialPlatform::system().layer->open(com3.devicePath(), failure), nullptr)
        << failure.text.toStdString();
}

TEST_F(ConnectionTest, PortThatCannotBeOpenedLeavesNoPortOpen) {
    w->bConnect->click();
    ASSERT_TRUE(w->zSerial->Connected);
    w->zSerial->Ports.setExplicitEntries(
        {{3, com3.devicePath()}, {7, h.dir.filePath(QStringLiteral("gone"))}});
    userPicksNext(w->Port);
    EXPECT_FALSE(w->zSerial->Connected);
    EXPECT_TRUE(h.messages.shown.isEmpty());
}

TEST_F(ConnectionTest, WithoutASelectedPortConnectOnlyResumesTheView) {
    w->bConnect->click();
    ASSERT_TRUE(w->zSerial->Connected);
    select(w->BaudRate, QStringLiteral("9600"));
    w->Port->setCurrentIndex(-1);
    w->bPause->click();
    w->bConnect->click();
    EXPECT_FALSE(w->Paused);
    EXPECT_TRUE(w->zSerial->Connected);
    EXPECT_EQ(w->zSerial->Baud, 19200);
}

TEST_F(ConnectionTest, EmptyPortListMakesShowingTheWindowConnectNothing) {
    h.mapPorts({});
    w->FormShow();
    EXPECT_EQ(w->Port->count(), 0);
    EXPECT_FALSE(w->zSerial->Connected);
}

TEST_F(ConnectionTest, PauseHoldsUntilTheNextApply) {
    w->bPause->click();
    w->bPause->click();
    EXPECT_TRUE(w->Paused);
    EXPECT_EQ(w->bPause->text(), QStringLiteral("P&ause"));
    w->bConnect->click();
    EXPECT_FALSE(w->Paused);
}

TEST_F(ConnectionTest, PriorityListSetsTheNiceValueOnEveryApply) {
    const QList<QPair<QString, int>> cases = {{"Idle", 19},  {"Lowest", 10}, {"Lower", 5},
                                              {"Normal", 0}, {"Higher", -5}, {"Highest", -10},
                                              {"", 0}};
    for (const auto& [text, nice] : cases) {
        h.niceValues.clear();
        select(w->Priority, text);
        w->bConnect->click();
        EXPECT_EQ(h.niceValues, QList<int>{nice}) << text.toStdString();
    }
    // A priority chosen with no port to connect still takes effect.
    h.niceValues.clear();
    w->Port->setCurrentIndex(-1);
    select(w->Priority, QStringLiteral("Idle"));
    w->bConnect->click();
    EXPECT_EQ(h.niceValues, QList<int>{19});
}

TEST_F(ConnectionTest, ProgramChangesToTheListsDoNotReconnect) {
    w->bConnect->click();
    w->bPause->click();
    select(w->BaudRate, QStringLiteral("9600"));
    select(w->Port, QStringLiteral("COM7"));
    EXPECT_TRUE(w->Paused);
    EXPECT_EQ(w->zSerial->PortNumber, 3);
    EXPECT_EQ(w->zSerial->Baud, 19200);
}

}  // namespace
