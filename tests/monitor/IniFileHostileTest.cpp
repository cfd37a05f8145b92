// Settings files the program did not write: damaged, binary or hand-edited in odd ways. A save
// keeps every line it does not mean to change, and saving again changes nothing.
#include <gtest/gtest.h>

#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>

#include "FileBytes.h"
#include "IniFile.h"

namespace {

void WriteBytes(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

// Keeps a byte-order mark at the start, as the settings file does.
QString Utf8(const char* text) {
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom |
                                                       QStringConverter::Flag::Stateless);
    return decoder(text);
}

const QString kTerminal = QStringLiteral("TERMINAL");

// What a close writes, in part: a padded text key, a flag and an integer.
void WriteSettings(const QString& path) {
    IniFile ini(path);
    ini.writeText(kTerminal, QStringLiteral("Baud Rate      "), QStringLiteral("115200"));
    ini.writeFlag(kTerminal, QStringLiteral("cbCR"), true);
    ini.writeInteger(kTerminal, QStringLiteral("FontSize"), 12);
    ini.save();
}

struct HostileCase {
    const char* name;
    QByteArray content;
    // Another key that must read the same after the saves.
    const char* section;
    const char* key;
    const char* value;
    bool notText;  // then copied aside before the first save
};

void PrintTo(const HostileCase& c, std::ostream* os) {
    *os << c.name;
}

class HostileFile : public ::testing::TestWithParam<HostileCase> {
protected:
    QString path() const { return dir_.filePath(QStringLiteral("monitor.INI")); }
    QTemporaryDir dir_;
};

// Every line of the file but the one of the changed baud rate is still there, in its order.
void ExpectLinesKept(const QByteArray& original, const QByteArray& saved) {
    qsizetype from = 0;
    for (const QByteArray& line : QByteArray(original).replace('\r', '\n').split('\n')) {
        if (line.startsWith("Baud Rate"))
            continue;
        const qsizetype at = saved.indexOf(line, from);
        ASSERT_GE(at, from) << "lost: " << line.toHex().constData();
        from = at + line.size();
    }
}

TEST_P(HostileFile, SavesKeepWhatTheyDoNotChange) {
    const HostileCase& c = GetParam();
    WriteBytes(path(), c.content);
    WriteSettings(path());
    const QByteArray first = FileBytes(path());
    ExpectLinesKept(c.content, first);

    WriteSettings(path());
    EXPECT_EQ(FileBytes(path()), first);
    WriteSettings(path());
    EXPECT_EQ(FileBytes(path()), first);

    const IniFile ini(path());
    EXPECT_EQ(ini.readText(kTerminal, QStringLiteral("Baud Rate      "), {}),
              QStringLiteral("115200"));
    EXPECT_TRUE(ini.readFlag(kTerminal, QStringLiteral("cbCR"), false));
    EXPECT_EQ(ini.readInteger(kTerminal, QStringLiteral("FontSize"), 0), 12);
    EXPECT_EQ(ini.readText(Utf8(c.section), Utf8(c.key), {}), Utf8(c.value));

    const QString backup = path() + QStringLiteral(".bak");
    EXPECT_EQ(QFile::exists(backup), c.notText);
    if (c.notText) {
        EXPECT_EQ(FileBytes(backup), c.content);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Settings, HostileFile,
    ::testing::Values(
        HostileCase{"ZeroByte", QByteArray("[A]\nx=1\n\0\n[B]\ny=2", 17), "B", "y", "2", true},
        HostileCase{"ZeroByteInsideAKey",
                    QByteArray("[TERMINAL]\nBaud Rate=96\0"
                               "00\nFontName=Mono\n",
                               41),
                    "TERMINAL", "FontName", "Mono", true},
        HostileCase{"UnterminatedSection", "[A\nk=1\n[B]\nj=2\n", "B", "j", "2", false},
        HostileCase{"UnterminatedSectionThenTerminal", "[A\n[TERMINAL]\nFontName=Mono\n",
                    "TERMINAL", "FontName", "Mono", false},
        HostileCase{"FirstKeyBeginsWithFfFe",
                    "\xFF\xFEName=x\n[TERMINAL]\nBaud Rate=4800\nFontName=Mono\n[PORTS]\nCOM3=/dev/"
                    "ttyUSB0\n",
                    "PORTS", "COM3", "/dev/ttyUSB0", false},
        HostileCase{"FirstKeyOfASectionBeginsWithFfFe",
                    "[TERMINAL]\n\xFF\xFEName=x\nBaud Rate=4800\n[PORTS]\nCOM3=/dev/ttyUSB0\n",
                    "PORTS", "COM3", "/dev/ttyUSB0", false},
        HostileCase{"FirstKeyBeginsWithUtf8Mark", "\xEF\xBB\xBFName=x\n[PORTS]\nCOM3=/dev/pts/1\n",
                    "", "Name", "x", false},
        HostileCase{"MarkTwice", "\xEF\xBB\xBF\xEF\xBB\xBFName=x\n[PORTS]\nCOM3=/dev/pts/1\n", "",
                    "\xEF\xBB\xBFName", "x", false},
        HostileCase{"CarriageReturnsAlone", "[PORTS]\rCOM3=/dev/pts/1\r[TERMINAL]\rBaud Rate=1\r",
                    "PORTS", "COM3", "/dev/pts/1", false},
        HostileCase{"NoLineBreakAtTheEnd", "[Bench]\r\nGain = 1.5 \r\n; note", "Bench", "Gain",
                    "1.5", false},
        HostileCase{"SectionOverTwoLines", "[\nA]\nk=1\n[B]\nk=2", "B", "k", "2", false},
        HostileCase{"LinesWithoutMeaning", "junk\n=x\n  \t\n]\n[B]\nk=v\n[ ]\ntop=1\n", "", "top",
                    "1", false},
        HostileCase{"InvalidUtf8", "[B]\nk=caf\xE9\n\xC3(\n", "B", "k", "caf\xEF\xBF\xBD", false},
        HostileCase{"TruncatedUtf16", QByteArray("\xFF\xFE[\0B\0]\0\n\0k\0=\0v\0\n", 17), "B", "k",
                    "v\xEF\xBF\xBD", true}),
    [](const auto& info) { return std::string(info.param.name); });

class IniFileKeeps : public ::testing::Test {
protected:
    QString path() const { return dir_.filePath(QStringLiteral("monitor.INI")); }
    QTemporaryDir dir_;
};

// A value that already reads as the one given is not written again in the program's spelling.
TEST_F(IniFileKeeps, LinesThatAlreadyHoldTheValue) {
    const QByteArray original =
        "[TERMINAL]\n"
        "  Baud Rate      = 9600  \n"
        "BackColor=0xFFFFFF\n"
        "cbCR=5\n"
        "eB=\"x\"\n";
    WriteBytes(path(), original);
    IniFile ini(path());
    ini.writeText(kTerminal, QStringLiteral("Baud Rate      "), QStringLiteral("9600"));
    ini.writeInteger(kTerminal, QStringLiteral("BackColor"), 0xFFFFFF);
    ini.writeFlag(kTerminal, QStringLiteral("cbCR"), true);
    ini.writeText(kTerminal, QStringLiteral("eB"), QStringLiteral("x"));
    ini.save();
    EXPECT_EQ(FileBytes(path()), original);
}

// Files of the older builds are UTF-16; they stay UTF-16, so those builds still read them.
TEST_F(IniFileKeeps, TheEncodingOfUtf16Files) {
    const QString text = QStringLiteral("; \u017Eluva\r\n[APPLICATION]\r\nThemeStyle=Sky\r\n");
    QByteArray utf16("\xFF\xFE");
    for (const QChar c : text)
        utf16 += char(c.unicode() & 0xFF) + QByteArray(1, char(c.unicode() >> 8));
    WriteBytes(path(), utf16);
    WriteSettings(path());
    const QByteArray saved = FileBytes(path());
    ASSERT_TRUE(saved.startsWith(utf16));
    EXPECT_EQ(saved.size() % 2, 0);
    EXPECT_TRUE(
        saved.contains(QByteArray("F\0o\0n\0t\0S\0i\0z\0e\0=\0"
                                  "1\0"
                                  "2\0\r\0\n\0",
                                  26)));
    const IniFile ini(path());
    EXPECT_EQ(ini.readText(QStringLiteral("APPLICATION"), QStringLiteral("ThemeStyle"), {}),
              QStringLiteral("Sky"));
    EXPECT_EQ(ini.readInteger(kTerminal, QStringLiteral("FontSize"), 0), 12);
    EXPECT_FALSE(QFile::exists(path() + QStringLiteral(".bak")));
}

// The copy is of the file as it was before the first rewrite; later saves leave it alone.
TEST_F(IniFileKeeps, TheFirstBackupOfAFileThatIsNotText) {
    const QByteArray original("[A]\n\0x=1\n", 9);
    WriteBytes(path(), original);
    WriteSettings(path());
    IniFile ini(path());
    ini.writeText(kTerminal, QStringLiteral("eB"), QStringLiteral("changed"));
    ini.save();
    EXPECT_EQ(FileBytes(path() + QStringLiteral(".bak")), original);
    EXPECT_TRUE(FileBytes(path()).startsWith(original));
}

// Reads after writes in the same file see the new values and keys, before and after the save.
TEST_F(IniFileKeeps, WrittenValuesReadBackAtOnce) {
    WriteBytes(path(), "[TERMINAL]\nBaud Rate=1\n");
    IniFile ini(path());
    ini.writeText(kTerminal, QStringLiteral("Baud Rate      "), QStringLiteral(" 2 "));
    ini.writeText(kTerminal, QStringLiteral("eValue"), QStringLiteral("a\r\nb\0c"));
    EXPECT_EQ(ini.readText(kTerminal, QStringLiteral("BAUD RATE"), {}), QStringLiteral(" 2 "));
    EXPECT_EQ(ini.readText(kTerminal, QStringLiteral("eValue"), {}), QStringLiteral("a b c"));
    EXPECT_EQ(ini.keys(kTerminal), (QStringList{"Baud Rate", "eValue"}));
    ini.save();
    const IniFile reread(path());
    EXPECT_EQ(reread.readText(kTerminal, QStringLiteral("Baud Rate"), {}), QStringLiteral(" 2 "));
    EXPECT_EQ(reread.readText(kTerminal, QStringLiteral("eValue"), {}), QStringLiteral("a b c"));
    EXPECT_EQ(reread.keys(kTerminal), ini.keys(kTerminal));
}

}  // namespace
