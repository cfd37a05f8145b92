#include <gtest/gtest.h>

#include <unistd.h>
#include <QFile>
#include <QTemporaryDir>
#include <iterator>
#include <type_traits>
#include <variant>

#include "SettingsFile.h"

namespace {

QString ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void WriteAll(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

TEST(SettingsFileName, ReplacesOnlyTheFileNamesExtension) {
    const struct {
        const char* executable;
        const char* settings;
    } cases[] = {
        {"/opt/plovik/monitor.exe", "/opt/plovik/monitor.INI"},
        {"/opt/plovik/monitor", "/opt/plovik/monitor.INI"},
        {"/opt/plovik-2.1/monitor", "/opt/plovik-2.1/monitor.INI"},
        {"/opt/plovik-2.1/monitor.bin", "/opt/plovik-2.1/monitor.INI"},
        {"/usr/bin/plovik-monitor", "/usr/bin/plovik-monitor.INI"},
        {"/a/b.c/monitor.tar.gz", "/a/b.c/monitor.tar.INI"},
        {"monitor.exe", "monitor.INI"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SettingsFileFor(QString::fromLatin1(c.executable)),
                  QString::fromLatin1(c.settings))
            << c.executable;
}

class ThemeStyleFile : public ::testing::Test {
protected:
    QString path() const { return dir_.filePath(QStringLiteral("monitor.INI")); }
    QTemporaryDir dir_;
};

TEST_F(ThemeStyleFile, DefaultsToTheNativeLookWithoutFileOrKey) {
    EXPECT_EQ(ReadThemeStyle(path()), QStringLiteral("Windows"));
    WriteAll(path(), "[APPLICATION]\nOther=1\n[TERMINAL]\nThemeStyle=Carbon\n");
    EXPECT_EQ(ReadThemeStyle(path()), QStringLiteral("Windows"));
}

TEST_F(ThemeStyleFile, ReadsTheStoredNameAsWritten) {
    const struct {
        const char* content;
        const char* expected;
    } cases[] = {
        {"[APPLICATION]\nThemeStyle=carbon\n", "carbon"},
        {"[application]\nthemestyle = Windows10 Dark \n", "Windows10 Dark"},
        {"[APPLICATION]\nThemeStyle=\n", ""},
        {"[APPLICATION]\nThemeStyle=\"Carbon\"\n", "Carbon"},
        {"[APPLICATION]\nThemeStyle=\" Dark \"\n", " Dark "},
        {"[APPLICATION]\nThemeStyle=\"\"Sky\"\"\n", "\"Sky\""},
        {"[APPLICATION]\nThemeStyle=\"\"\n", ""},
        {"[APPLICATION]\nThemeStyle=\"\n", "\""},
        {"[APPLICATION]\nThemeStyle=\"Sky\n", "\"Sky"},
        {"[APPLICATION]\nThemeStyle=Sky\"\n", "Sky\""},
        {"[APPLICATION]\nThemeStyle=Sky\nThemeStyle=Glow\n", "Sky"},
    };
    for (const auto& c : cases) {
        WriteAll(path(), c.content);
        EXPECT_EQ(ReadThemeStyle(path()), QString::fromLatin1(c.expected)) << c.content;
    }
}

}  // namespace

namespace {

class IniFileTest : public ::testing::Test {
protected:
    QString path() const { return dir_.filePath(QStringLiteral("monitor.INI")); }
    QTemporaryDir dir_;
};

TEST(StoredInteger, ReadsDecimalAndHexadecimalOnly) {
    const struct {
        const char* text;
        std::optional<int> expected;
    } cases[] = {
        {"0", 0},
        {"148", 148},
        {"-7", -7},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"0xFF", 255},
        {"0XfF", 255},
        {"0x00FF00", 0xFF00},
        {"0xFFFFFFFF", -1},
        {"2147483648", std::nullopt},
        {"0x100000000", std::nullopt},
        {"0x", std::nullopt},
        {"0x1G", std::nullopt},
        {"0x-1", std::nullopt},
        {"12abc", std::nullopt},
        {"True", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseStoredInteger(QString::fromLatin1(c.text)), c.expected) << c.text;
}

TEST_F(IniFileTest, ReadsValueKindsWithTheirFallbacks) {
    WriteAll(path(), "[S]\none=1\nzero=0\nnegative=-3\nhex=0x10\nword=True\nempty=\ncolour=0xFF\n");
    const IniFile ini(path());
    const QString s = QStringLiteral("S");
    const struct {
        const char* key;
        bool flagFallback;
        bool flag;
        int integerFallback;
        int integer;
    } cases[] = {
        {"one", false, true, 5, 1},       {"zero", true, false, 5, 0},
        {"negative", false, true, 5, -3}, {"hex", false, true, 5, 16},
        {"word", true, true, 5, 5},       {"word", false, false, 5, 5},
        {"empty", true, true, 5, 5},      {"colour", false, true, 5, 255},
        {"missing", true, true, 5, 5},    {"missing", false, false, -1, -1},
    };
    for (const auto& c : cases) {
        const QString key = QString::fromLatin1(c.key);
        EXPECT_EQ(ini.readFlag(s, key, c.flagFallback), c.flag) << c.key;
        EXPECT_EQ(ini.readInteger(s, key, c.integerFallback), c.integer) << c.key;
    }
    EXPECT_EQ(ini.readText(s, QStringLiteral("empty"), QStringLiteral("x")), QString());
    EXPECT_EQ(ini.readText(s, QStringLiteral("missing"), QStringLiteral("x")), QStringLiteral("x"));
}

TEST_F(IniFileTest, PaddingAndLetterCaseOfNamesDoNotMatter) {
    WriteAll(path(), "[terminal]\nPort No        =COM5\nbaud rate=9600\n");
    {
        IniFile ini(path());
        const QString t = QStringLiteral("TERMINAL");
        EXPECT_EQ(ini.readText(t, QStringLiteral("Port No"), {}), QStringLiteral("COM5"));
        EXPECT_EQ(ini.readText(t, QStringLiteral("PORT NO   "), {}), QStringLiteral("COM5"));
        EXPECT_EQ(ini.readText(t, QStringLiteral("Baud Rate      "), {}), QStringLiteral("9600"));
        ini.writeText(t, QStringLiteral("BAUD RATE      "), QStringLiteral("19200"));
        ini.writeText(t, QStringLiteral("Delay          "), QStringLiteral("5"));
        ini.save();
    }
    const QString written = ReadAll(path());
    EXPECT_EQ(written.count(QStringLiteral("aud"), Qt::CaseInsensitive), 1)
        << written.toStdString();
    EXPECT_TRUE(written.contains(QStringLiteral("\nbaud rate=19200\n"))) << written.toStdString();
    EXPECT_TRUE(written.contains(QStringLiteral("\nDelay=5\n"))) << written.toStdString();
    EXPECT_EQ(
        IniFile(path()).readText(QStringLiteral("Terminal"), QStringLiteral("Delay          "), {}),
        QStringLiteral("5"));
}

TEST_F(IniFileTest, HandEditedContentSurvivesAWriteInItsOrder) {
    const QByteArray original =
        "; Plovik settings, edited by hand\n"
        "\n"
        "[APPLICATION]\n"
        "ThemeStyle=Carbon\n"
        "; the serial ports of this bench\n"
        "[PORTS]\n"
        "COM3=/dev/ttyUSB0\n"
        "COM3=/dev/ttyUSB1\n"
        "[TERMINAL]\n"
        "; my favourite speed\n"
        "Baud Rate      =9600\n"
        "; the old bench\n"
        "Baud Rate=4800\n"
        "MyOwnKey=keep me\n"
        "[Bench]\n"
        "# calibration\n"
        "Gain=1.5\n"
        "Gain=2\n"
        "Label=\"%f\"\n"
        "; end of my notes\n";
    WriteAll(path(), original);
    {
        IniFile ini(path());
        TerminalSettings settings = ReadTerminalSettings(ini);
        EXPECT_EQ(settings.baudRate, QStringLiteral("9600"));
        settings.baudRate = QStringLiteral("115200");
        WriteTerminalSettings(ini, settings);
        ini.save();
    }
    const QString written = ReadAll(path());
    EXPECT_EQ(written.count(QStringLiteral("Baud Rate=")), 2) << written.toStdString();
    qsizetype from = 0;
    for (const char* line :
         {"; Plovik settings, edited by hand", "[APPLICATION]", "ThemeStyle=Carbon",
          "; the serial ports of this bench", "[PORTS]", "COM3=/dev/ttyUSB0", "COM3=/dev/ttyUSB1",
          "[TERMINAL]", "; my favourite speed", "Baud Rate=115200", "; the old bench",
          "Baud Rate=4800", "MyOwnKey=keep me", "[Bench]", "# calibration", "Gain=1.5", "Gain=2",
          "Label=\"%f\"", "; end of my notes"}) {
        const qsizetype at = written.indexOf(QString::fromLatin1(line), from);
        EXPECT_GE(at, from) << line << "\n" << written.toStdString();
        from = std::max(from, at);
    }
    const IniFile reread(path());
    EXPECT_EQ(ReadThemeStyle(path()), QStringLiteral("Carbon"));
    EXPECT_EQ(reread.readText(QStringLiteral("Bench"), QStringLiteral("Gain"), {}),
              QStringLiteral("1.5"));
    EXPECT_EQ(reread.readText(QStringLiteral("Bench"), QStringLiteral("Label"), {}),
              QStringLiteral("%f"));
    EXPECT_EQ(ReadPortEntries(reread).value(3), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(ReadTerminalSettings(reread), ReadTerminalSettings(IniFile(path())));
}

TEST_F(IniFileTest, ACommentOnlyFileKeepsItsCommentOnTop) {
    WriteAll(path(), "; settings of the bench monitor\n");
    IniFile ini(path());
    ini.writeText(QStringLiteral("TERMINAL"), QStringLiteral("eB"), QStringLiteral("1"));
    ini.save();
    EXPECT_TRUE(ReadAll(path()).startsWith(QStringLiteral("; settings of the bench monitor\n")));
    EXPECT_EQ(IniFile(path()).readText(QStringLiteral("TERMINAL"), QStringLiteral("eB"), {}),
              QStringLiteral("1"));
}

TEST_F(IniFileTest, TerminalSectionDefaultsAndRoundTrip) {
    const TerminalSettings defaults = ReadTerminalSettings(IniFile(path()));
    EXPECT_EQ(defaults.portNo, QString());
    EXPECT_EQ(defaults.baudRate, QStringLiteral("19200"));
    EXPECT_EQ(defaults.enableRts, QStringLiteral("True"));
    EXPECT_EQ(defaults.broadcast, QStringLiteral("m"));
    EXPECT_TRUE(defaults.showDateTime);
    EXPECT_FALSE(defaults.cr);
    EXPECT_EQ(defaults.settingsWidth, 148);
    EXPECT_EQ(defaults.fontSize, 10);
    EXPECT_EQ(defaults.backColor, 0xFFFFFF);

    // Blanks and quotes at the edges of a text are the user's, not the file's.
    const QString texts[] = {QStringLiteral("value %1 ž"), QStringLiteral("\"AT%1\""),
                             QStringLiteral("%1\t"),       QStringLiteral("\"%1"),
                             QStringLiteral("%1\""),       QStringLiteral(" V=%1")};
    TerminalSettings changed = defaults;
    for (std::size_t i = 0; i < kTerminalKeys.size(); ++i) {
        const int n = static_cast<int>(i);
        std::visit(
            [&](const auto& key) {
                auto& value = changed.*key.field;
                if constexpr (std::is_same_v<decltype(value), QString&>)
                    value = texts[i % std::size(texts)].arg(n);
                else if constexpr (std::is_same_v<decltype(value), bool&>)
                    value = !value;
                else
                    value = -1000 - n;
            },
            kTerminalKeys[i].value);
    }
    {
        IniFile ini(path());
        WriteTerminalSettings(ini, changed);
        ini.save();
    }
    EXPECT_EQ(ReadTerminalSettings(IniFile(path())), changed);

    const QString written = ReadAll(path());
    EXPECT_TRUE(written.contains(QStringLiteral("\neSearcString=\" V=11\"\n")))
        << written.toStdString();
    EXPECT_TRUE(written.contains(QStringLiteral("\neFormatIdentifier=value 12 ž\n")))
        << written.toStdString();
    qsizetype from = written.indexOf(QStringLiteral("[TERMINAL]"));
    ASSERT_GE(from, 0);
    for (const TerminalKey& key : kTerminalKeys) {
        const qsizetype at = written.indexOf(QString::fromLatin1(key.name).trimmed() + '=', from);
        EXPECT_GT(at, from) << key.name;
        from = at;
    }
}

TEST_F(IniFileTest, TextIsUtf8AndLineBreaksCannotForgeEntries) {
    {
        IniFile ini(path());
        ini.writeText(QStringLiteral("TERMINAL"), QStringLiteral("eBroadcast"),
                      QStringLiteral("Žluťoučký kůň"));
        ini.writeText(QStringLiteral("TERMINAL"), QStringLiteral("eSearcString"),
                      QStringLiteral("a\r\n[APPLICATION]\nThemeStyle=Glow"));
        ini.save();
    }
    QFile raw(path());
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    EXPECT_TRUE(raw.readAll().contains(QStringLiteral("Žluťoučký kůň").toUtf8()));
    const IniFile ini(path());
    EXPECT_EQ(ini.readText(QStringLiteral("TERMINAL"), QStringLiteral("eBroadcast"), {}),
              QStringLiteral("Žluťoučký kůň"));
    EXPECT_EQ(ini.readText(QStringLiteral("TERMINAL"), QStringLiteral("eSearcString"), {}),
              QStringLiteral("a [APPLICATION] ThemeStyle=Glow"));
    EXPECT_EQ(ReadThemeStyle(path()), QStringLiteral("Windows"));
}

TEST_F(IniFileTest, ReadsUtf16FilesOfOlderBuilds) {
    const QString content = QStringLiteral("[APPLICATION]\r\nThemeStyle=Sky\r\n");
    QByteArray utf16("\xFF\xFE");
    utf16.append(reinterpret_cast<const char*>(content.utf16()), content.size() * 2);
    WriteAll(path(), utf16);
    EXPECT_EQ(ReadThemeStyle(path()), QStringLiteral("Sky"));
}

TEST_F(IniFileTest, FailedWriteNamesTheFile) {
    const QString paths[] = {
        dir_.filePath(QStringLiteral("missing/monitor.INI")),
        dir_.path(),
    };
    for (const QString& target : paths) {
        IniFile ini(target);
        ini.writeText(QStringLiteral("TERMINAL"), QStringLiteral("eB"), QStringLiteral("1"));
        try {
            ini.save();
            ADD_FAILURE() << "saved to " << target.toStdString();
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(QString::fromUtf8(error.what()),
                      QStringLiteral("Unable to write to ") + target);
        }
    }
}

TEST_F(IniFileTest, NeverOverwritesAFileItCouldNotRead) {
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the super-user";
    WriteAll(path(), "[Bench]\nGain=1.5\n");
    QFile::setPermissions(path(), QFile::WriteOwner);
    IniFile ini(path());
    ini.writeText(QStringLiteral("TERMINAL"), QStringLiteral("eB"), QStringLiteral("1"));
    EXPECT_THROW(ini.save(), SettingsWriteError);
    QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(ReadAll(path()), QStringLiteral("[Bench]\nGain=1.5\n"));
}

TEST_F(IniFileTest, PortsSectionGivesExplicitPortEntries) {
    WriteAll(path(),
             "[PORTS]\nCOM3=/dev/pts/5\n com12 = /dev/ttyUSB0 \nCOM=/dev/a\nCOMx=/dev/b\n"
             "COM4=\nPort7=/dev/c\n[TERMINAL]\nCOM5=/dev/d\n");
    const QMap<int, QString> expected{{3, QStringLiteral("/dev/pts/5")},
                                      {12, QStringLiteral("/dev/ttyUSB0")}};
    EXPECT_EQ(ReadPortEntries(IniFile(path())), expected);
    EXPECT_TRUE(ReadPortEntries(IniFile(dir_.filePath(QStringLiteral("none.INI")))).isEmpty());
}

}  // namespace
