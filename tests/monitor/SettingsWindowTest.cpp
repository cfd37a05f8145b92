#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <functional>

#include "PseudoTerminal.h"
#include "SettingsFile.h"
#include "WindowHarness.h"

namespace {

// A shown window (the splitter lays out the panel only then) whose port list holds COM3 and COM7,
// two ports that cannot be opened. The system reports the two devices; a written settings file maps
// them to those numbers, without one they come as COM1 and COM2.
class SettingsWindowTest : public ::testing::Test {
protected:
    void SetUp() override { h.devices = {kDevice3, kDevice7}; }
    std::unique_ptr<TfZIVizovor> newWindow() {
        auto window = h.window();
        window->resize(1040, 691);
        window->show();
        window->FillPortList();
        return window;
    }
    QString path() const { return h.dir.filePath(QStringLiteral("plovik-monitor.INI")); }
    void writeFile(const QByteArray& content) { h.writeSettings(content); }
    // A window restored from a file that maps COM3 and COM7 and holds the given lines of section
    // TERMINAL.
    std::unique_ptr<TfZIVizovor> restoredFrom(const QByteArray& terminalLines) {
        writeFile("[PORTS]\nCOM3=" + kDevice3.toUtf8() + "\nCOM7=" + kDevice7.toUtf8() +
                  "\n[TERMINAL]\n" + terminalLines);
        auto window = newWindow();
        window->RestoreSettings();
        return window;
    }

    const QString kDevice3 = QStringLiteral("/dev/plovik-none-3");
    const QString kDevice7 = QStringLiteral("/dev/plovik-none-7");
    WindowHarness h;
};

QColor StoredColor(int bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

QColor TerminalColor(const TfZIVizovor& w, QPalette::ColorRole role) {
    return w.mTerminal->palette().color(role);
}

// Picks an item other than the selected one, as the user would.
std::function<void(TfZIVizovor&)> PickOther(QComboBox* TfZIVizovor::*list) {
    return [list](TfZIVizovor& w) {
        QComboBox* box = w.*list;
        box->setCurrentIndex(box->currentIndex() == 1 ? 0 : 1);
    };
}

std::function<QVariant(const TfZIVizovor&)> ListText(QComboBox* TfZIVizovor::*list) {
    return [list](const TfZIVizovor& w) { return (w.*list)->currentText(); };
}

std::function<void(TfZIVizovor&)> Type(QLineEdit* TfZIVizovor::*edit, const char* text) {
    return [edit, text](TfZIVizovor& w) { (w.*edit)->setText(QString::fromUtf8(text)); };
}

std::function<QVariant(const TfZIVizovor&)> EditText(QLineEdit* TfZIVizovor::*edit) {
    return [edit](const TfZIVizovor& w) { return (w.*edit)->text(); };
}

std::function<void(TfZIVizovor&)> ChangeFont(const std::function<void(QFont&)>& change) {
    return [change](TfZIVizovor& w) {
        QFont font = w.mTerminal->font();
        change(font);
        w.mTerminal->setFont(font);
    };
}

std::function<void(TfZIVizovor&)> Paint(QPalette::ColorRole role, QRgb rgb) {
    return [role, rgb](TfZIVizovor& w) {
        QPalette colours = w.mTerminal->palette();
        colours.setColor(role, QColor(rgb));
        w.mTerminal->setPalette(colours);
    };
}

struct RoundTripCase {
    const char* key;
    std::function<void(TfZIVizovor&)> change;
    std::function<QVariant(const TfZIVizovor&)> state;
};

TEST_F(SettingsWindowTest, EveryKeyComesBackIntoTheSameControlState) {
    using W = TfZIVizovor;
    const auto fontState = [](const std::function<QVariant(const QFont&)>& of) {
        return [of](const W& w) { return of(w.mTerminal->font()); };
    };
    const RoundTripCase cases[] = {
        {"Port No", PickOther(&W::Port), ListText(&W::Port)},
        {"Baud Rate", PickOther(&W::BaudRate), ListText(&W::BaudRate)},
        {"Data Width", PickOther(&W::DataWidth), ListText(&W::DataWidth)},
        {"Stop Bits", PickOther(&W::StopBits), ListText(&W::StopBits)},
        {"Parity", PickOther(&W::Parity), ListText(&W::Parity)},
        {"Priority", PickOther(&W::Priority), ListText(&W::Priority)},
        {"Delay", PickOther(&W::Delay), ListText(&W::Delay)},
        {"NMEA LOG", PickOther(&W::NMEALog), ListText(&W::NMEALog)},
        {"Log Time", PickOther(&W::LogTime), ListText(&W::LogTime)},
        {"Enable DTR", PickOther(&W::EnableDTR), ListText(&W::EnableDTR)},
        {"Enable RTS", PickOther(&W::EnableRTS), ListText(&W::EnableRTS)},
        {"eSearcString", Type(&W::eSearcString, " V="), EditText(&W::eSearcString)},
        {"eFormatIdentifier", Type(&W::eFormatIdentifier, "%*[^,],%lf"),
         EditText(&W::eFormatIdentifier)},
        {"eAX", Type(&W::eAX, "1,5"), EditText(&W::eAX)},
        {"eB", Type(&W::eB, "-273.15"), EditText(&W::eB)},
        {"eValue", Type(&W::eValue, "42.5"), EditText(&W::eValue)},
        {"GV_SHOW_DATE_TIME", [](W& w) { w.ShowDateTime = false; },
         [](const W& w) { return w.ShowDateTime; }},
        {"eBroadcast", Type(&W::eBroadcast, "ping = příliš ; [x]"), EditText(&W::eBroadcast)},
        {"cbCR", [](W& w) { w.cbCR->setChecked(true); },
         [](const W& w) { return w.cbCR->isChecked(); }},
        {"cbLF", [](W& w) { w.cbLF->setChecked(true); },
         [](const W& w) { return w.cbLF->isChecked(); }},
        {"pSettingsWidth", [](W& w) { w.SetSettingsPanelWidth(237); },
         [](const W& w) { return w.SettingsPanelWidth(); }},
        {"FontName", ChangeFont([](QFont& f) { f.setFamily(QStringLiteral("DejaVu Serif")); }),
         fontState([](const QFont& f) { return f.family(); })},
        {"FontSize", ChangeFont([](QFont& f) { f.setPointSize(17); }),
         fontState([](const QFont& f) { return f.pointSize(); })},
        {"FontColor", Paint(QPalette::Text, 0x123456),
         [](const W& w) { return TerminalColor(w, QPalette::Text); }},
        {"FontStyle", ChangeFont([](QFont& f) {
             f.setItalic(true);
             f.setStrikeOut(true);
         }),
         fontState([](const QFont& f) {
             return QStringList{f.bold() ? "bold" : "", f.italic() ? "italic" : "",
                                f.underline() ? "underline" : "", f.strikeOut() ? "strike" : ""};
         })},
        {"BackColor", Paint(QPalette::Base, 0x654321),
         [](const W& w) { return TerminalColor(w, QPalette::Base); }},
    };
    ASSERT_EQ(std::size(cases), kTerminalKeys.size());

    auto first = newWindow();
    first->RestoreSettings();
    auto untouched = newWindow();
    untouched->RestoreSettings();
    for (const RoundTripCase& c : cases)
        c.change(*first);
    first->SaveSettings();

    auto second = newWindow();
    second->RestoreSettings();
    for (const RoundTripCase& c : cases) {
        const char* key = c.key;
        EXPECT_NE(c.state(*first), c.state(*untouched)) << "not changed by the test: " << key;
        EXPECT_EQ(c.state(*second), c.state(*first)) << key;
    }
}

TEST_F(SettingsWindowTest, FirstRunWithoutAFileGivesTheDefaults) {
    auto w = newWindow();
    const QFont designFont = w->mTerminal->font();
    w->RestoreSettings();

    const std::pair<QComboBox*, const char*> lists[] = {
        {w->Port, "COM1"},      {w->BaudRate, "19200"}, {w->DataWidth, "8"},
        {w->StopBits, "1"},     {w->Parity, "None"},    {w->Priority, "Normal"},
        {w->Delay, "5"},        {w->NMEALog, "False"},  {w->LogTime, "False"},
        {w->EnableDTR, "True"}, {w->EnableRTS, "True"},
    };
    for (const auto& [list, text] : lists)
        EXPECT_EQ(list->currentText(), QLatin1String(text)) << list->objectName().toStdString();
    const std::pair<QLineEdit*, const char*> edits[] = {
        {w->eSearcString, "0"}, {w->eFormatIdentifier, "0"}, {w->eAX, "0"}, {w->eB, "0"},
        {w->eValue, "0"},       {w->eBroadcast, "m"},
    };
    for (const auto& [edit, text] : edits)
        EXPECT_EQ(edit->text(), QLatin1String(text)) << edit->objectName().toStdString();
    EXPECT_TRUE(w->ShowDateTime);
    EXPECT_FALSE(w->cbCR->isChecked());
    EXPECT_FALSE(w->cbLF->isChecked());
    EXPECT_EQ(w->SettingsPanelWidth(), 148);
    EXPECT_EQ(w->mTerminal->font(), designFont);
    EXPECT_EQ(TerminalColor(*w, QPalette::Text), QColor(Qt::black));
    EXPECT_EQ(TerminalColor(*w, QPalette::Base), QColor(Qt::white));
    EXPECT_FALSE(QFile::exists(path())) << "reading must not create the file";
}

struct ListReadCase {
    const char* line;
    QComboBox* TfZIVizovor::*list;
    const char* selected;  // "" for no selection
};

TEST_F(SettingsWindowTest, StoredListTextsMatchIgnoringCaseAndPadding) {
    using W = TfZIVizovor;
    const ListReadCase cases[] = {
        {"Baud Rate      =9600", &W::BaudRate, "9600"},
        {"Baud Rate=2400", &W::BaudRate, "2400"},
        {"BAUD RATE=115200", &W::BaudRate, "115200"},
        {"Baud Rate=9601", &W::BaudRate, ""},
        {"Parity         =none", &W::Parity, "None"},
        {"parity=SPACE", &W::Parity, "Space"},
        {"Data Width     =7", &W::DataWidth, "7"},
        {"Data Width     =9", &W::DataWidth, ""},
        {"Stop Bits=1.5", &W::StopBits, "1.5"},
        {"Priority=", &W::Priority, ""},
        {"NMEA LOG       =true", &W::NMEALog, "True"},
        {"Enable DTR=FALSE", &W::EnableDTR, "False"},
        {"Enable RTS=maybe", &W::EnableRTS, ""},
        {"Port No        =com7", &W::Port, "COM7"},
        {"Port No=COM9", &W::Port, "COM3"},
        {"Port No=", &W::Port, "COM3"},
    };
    for (const ListReadCase& c : cases) {
        auto w = restoredFrom(QByteArray(c.line) + '\n');
        QComboBox* list = (*w).*c.list;
        EXPECT_EQ(list->currentText(), QLatin1String(c.selected)) << c.line;
        EXPECT_EQ(list->currentIndex() < 0, *c.selected == '\0') << c.line;
    }
    writeFile("[terminal]\nport no=COM7\n");
    h.devices.clear();
    auto noPorts = h.window();
    noPorts->FillPortList();
    noPorts->RestoreSettings();
    EXPECT_EQ(noPorts->Port->currentIndex(), -1);
}

TEST_F(SettingsWindowTest, FlagsReadAsIntegersWithTheirDefaults) {
    const struct {
        const char* lines;
        bool showDateTime;
        bool cr;
        bool lf;
    } cases[] = {
        {"GV_SHOW_DATE_TIME=True\ncbCR=True\ncbLF=yes\n", true, false, false},
        {"GV_SHOW_DATE_TIME=0\ncbCR=1\ncbLF=-1\n", false, true, true},
        {"gv_show_date_time=0x0\nCBCR=0x10\ncbLF=0\n", false, true, false},
        {"GV_SHOW_DATE_TIME=\ncbCR=\n", true, false, false},
    };
    for (const auto& c : cases) {
        auto w = restoredFrom(c.lines);
        EXPECT_EQ(w->ShowDateTime, c.showDateTime) << c.lines;
        EXPECT_EQ(w->cbCR->isChecked(), c.cr) << c.lines;
        EXPECT_EQ(w->cbLF->isChecked(), c.lf) << c.lines;
    }
}

TEST_F(SettingsWindowTest, PanelWidthOnlyWithinItsRange) {
    const struct {
        const char* line;
        int width;
    } cases[] = {
        {"pSettingsWidth=99", 148},   {"pSettingsWidth=100", 100},  {"pSettingsWidth=400", 400},
        {"pSettingsWidth=401", 148},  {"pSettingsWidth=0xC8", 200}, {"pSettingsWidth=wide", 148},
        {"pSettingsWidth=-150", 148},
    };
    for (const auto& c : cases)
        EXPECT_EQ(restoredFrom(QByteArray(c.line) + '\n')->SettingsPanelWidth(), c.width) << c.line;
}

TEST_F(SettingsWindowTest, EmptyFontNameIgnoresTheFontKeys) {
    auto designed = newWindow();
    auto w = restoredFrom("FontName=\nFontSize=20\nFontColor=255\nFontStyle=15\nBackColor=0\n");
    EXPECT_EQ(w->mTerminal->font(), designed->mTerminal->font());
    EXPECT_EQ(TerminalColor(*w, QPalette::Text), QColor(Qt::black));
    EXPECT_EQ(TerminalColor(*w, QPalette::Base), QColor(Qt::white));
}

TEST_F(SettingsWindowTest, FontKeysGiveFaceSizeStyleAndColours) {
    const struct {
        const char* lines;
        int pointSize;
        int style;  // bold 1, italic 2, underline 4, strike-out 8
        int text;   // 0x00BBGGRR
        int back;
    } cases[] = {
        {"FontName=Courier New\nFontSize=20\nFontColor=0\nFontStyle=0\nBackColor=0xFF\n", 20, 0, 0,
         0xFF},
        {"FontName=Courier New\nFontSize=9\nFontColor=0xFF00\nFontStyle=5\nBackColor=16711680\n", 9,
         5, 0xFF00, 0xFF0000},
        {"FontName=Courier New\nFontColor=65535\nFontStyle=10\n", 10, 10, 0xFFFF, 0xFFFFFF},
    };
    for (const auto& c : cases) {
        auto w = restoredFrom(c.lines);
        const QFont font = w->mTerminal->font();
        EXPECT_EQ(font.family(), QStringLiteral("Courier New")) << c.lines;
        EXPECT_EQ(font.pointSize(), c.pointSize) << c.lines;
        EXPECT_EQ(font.bold(), bool(c.style & 1)) << c.lines;
        EXPECT_EQ(font.italic(), bool(c.style & 2)) << c.lines;
        EXPECT_EQ(font.underline(), bool(c.style & 4)) << c.lines;
        EXPECT_EQ(font.strikeOut(), bool(c.style & 8)) << c.lines;
        EXPECT_EQ(TerminalColor(*w, QPalette::Text), StoredColor(c.text)) << c.lines;
        EXPECT_EQ(TerminalColor(*w, QPalette::Base), StoredColor(c.back)) << c.lines;
    }
    EXPECT_EQ(StoredColor(0xFF), QColor(Qt::red));
}

TEST_F(SettingsWindowTest, FontSizeOnlyWithinItsRangeAndTheDesignedSizeIsSavedOtherwise) {
    const int designed = newWindow()->mTerminal->font().pixelSize();
    const struct {
        const char* size;
        int pointSize;  // 0: the designed size stays
    } cases[] = {
        {"100000", 0}, {"0", 0}, {"-5", 0}, {"400", 400}, {"401", 0}, {"1", 1},
    };
    for (const auto& c : cases) {
        auto w = restoredFrom(QByteArray("FontName=DejaVu Sans Mono\nFontSize=") + c.size + '\n');
        const QFont font = w->mTerminal->font();
        EXPECT_EQ(font.family(), QStringLiteral("DejaVu Sans Mono")) << c.size;
        if (c.pointSize == 0)
            EXPECT_EQ(font.pixelSize(), designed) << c.size;
        else
            EXPECT_EQ(font.pointSize(), c.pointSize) << c.size;

        w->SaveSettings();
        const int saved =
            IniFile(path()).readInteger(QStringLiteral("TERMINAL"), QStringLiteral("FontSize"), 0);
        EXPECT_EQ(saved == QByteArray(c.size).toInt(), c.pointSize != 0) << c.size;
        EXPECT_GE(saved, 1) << c.size;
        EXPECT_LE(saved, 400) << c.size;
    }
}

TEST_F(SettingsWindowTest, SavingWritesEveryKeyAndKeepsWhatItDoesNotKnow) {
    writeFile(
        "; bench monitor\n\n[APPLICATION]\nThemeStyle=Glow\n"
        "[TERMINAL]\n; chosen by hand\nEnable RTS     =False\nMyKey=mine\n[Extra]\nA=1\n");
    auto w = newWindow();
    w->RestoreSettings();
    Paint(QPalette::Base, 0xFF0000)(*w);
    w->SaveSettings();

    QFile file(path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString written = QString::fromUtf8(file.readAll());
    for (const char* kept : {"; bench monitor", "ThemeStyle=Glow", "; chosen by hand",
                             "Enable RTS     =False", "MyKey=mine", "[Extra]", "A=1"})
        EXPECT_TRUE(written.contains(QLatin1String(kept))) << kept << '\n' << written.toStdString();
    const IniFile reread(path());
    for (const TerminalKey& key : kTerminalKeys)
        EXPECT_NE(reread.readText(QStringLiteral("TERMINAL"), QLatin1String(key.name),
                                  QStringLiteral("<missing>")),
                  QStringLiteral("<missing>"))
            << key.name;
    // The design font is laid out in pixels and is kept under its own name.
    EXPECT_EQ(reread.readText(QStringLiteral("TERMINAL"), QStringLiteral("FontName"), {}),
              QStringLiteral("Terminal"));
    EXPECT_GT(reread.readInteger(QStringLiteral("TERMINAL"), QStringLiteral("FontSize"), 0), 0);
    EXPECT_EQ(reread.readText(QStringLiteral("TERMINAL"), QStringLiteral("BackColor"), {}),
              QStringLiteral("255"));
}

TEST_F(SettingsWindowTest, AnUnwritableFileRaisesTheErrorWithItsPath) {
    auto w = newWindow();
    w->RestoreSettings();
    w->SettingsFilePath = h.dir.filePath(QStringLiteral("gone/plovik-monitor.INI"));
    try {
        w->SaveSettings();
        ADD_FAILURE() << "the save reported nothing";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(QString::fromUtf8(error.what()),
                  QStringLiteral("Unable to write to ") + w->SettingsFilePath);
    }
    EXPECT_FALSE(QFile::exists(w->SettingsFilePath));
}

TEST_F(SettingsWindowTest, PortsSectionMapsPseudoTerminalsAndTheStoredPortReconnects) {
    PseudoTerminal two, five;
    h.devices.clear();
    writeFile("[PORTS]\nCOM5=" + five.devicePath().toUtf8() +
              "\nCOM2=" + two.devicePath().toUtf8() + "\n[TERMINAL]\nPort No        =COM5\n");
    auto w = h.window();
    w->FillPortList();
    ASSERT_EQ(w->Port->count(), 2);
    EXPECT_EQ(w->Port->itemText(0), QStringLiteral("COM2"));
    EXPECT_EQ(w->Port->itemText(1), QStringLiteral("COM5"));
    EXPECT_EQ(w->zSerial->Ports.devicePath(2), two.devicePath());

    w->RestoreSettings();
    w->bConnect->click();
    EXPECT_TRUE(w->zSerial->Connected) << w->zSerial->OpenError.toStdString();
    EXPECT_EQ(w->zSerial->PortNumber, 5);
    EXPECT_TRUE(five.write("$GPGGA,10\r\n"));
    EXPECT_TRUE(h.stepUntil([&] { return TerminalLines(*w).join('\n').contains("$GPGGA,10"); }));
}

}  // namespace
