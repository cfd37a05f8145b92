#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

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
    };
    for (const auto& c : cases) {
        WriteAll(path(), c.content);
        EXPECT_EQ(ReadThemeStyle(path()), QString::fromLatin1(c.expected)) << c.content;
    }
}

}  // namespace
