// The start command's edit of the settings file: the simulated device gets a port of its own, and
// every other byte of the file stays as the user left it.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "PythonInterpreter.h"
#include "SettingsFile.h"

namespace {

const QString kDevice = QStringLiteral("/run/user/1000/plovik/sim");

struct Edit {
    int exitCode = -1;
    QByteArray port;  // what the tool printed
};

Edit RunTool(const QString& settingsFile) {
    QProcess tool;
    tool.start(PythonInterpreter(), {QStringLiteral(PLOVIK_SIM_SETTINGS), settingsFile, kDevice});
    tool.waitForFinished(20000);
    return {tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1,
            tool.readAllStandardOutput().trimmed()};
}

QByteArray Content(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

void Store(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

}  // namespace

TEST(SimSettings, AddsOnePortEntryAndLeavesEverythingElseAsItWas) {
    if (PythonInterpreter().isEmpty())
        GTEST_SKIP() << "python3 not found";
    const QByteArray entry = "=" + kDevice.toUtf8();
    const QByteArray allTaken = [] {
        QByteArray ports = "[PORTS]\n";
        for (int n = 1; n <= 20; ++n)
            ports += "COM" + QByteArray::number(n) + "=/dev/ttyS" + QByteArray::number(n) + "\n";
        return ports;
    }();
    const struct {
        const char* what;
        QByteArray before, after, port;
    } cases[] = {
        {"no section, CR LF, no last line end",
         "[TERMINAL]\r\nPort No        =COM1\r\n; a note\r\neB=0",
         "[TERMINAL]\r\nPort No        =COM1\r\n; a note\r\neB=0\r\n\r\n[PORTS]\r\nCOM20" + entry +
             "\r\n",
         "COM20"},
        {"section between others, the highest numbers taken",
         "[APPLICATION]\nThemeStyle=Carbon\n[PORTS]\nCOM20=/dev/ttyUSB0\ncom19 = /dev/ttyACM0\n\n"
         "; next\n[TERMINAL]\neAX=2\n",
         "[APPLICATION]\nThemeStyle=Carbon\n[PORTS]\nCOM20=/dev/ttyUSB0\ncom19 = /dev/ttyACM0\n"
         "COM18" +
             entry + "\n\n; next\n[TERMINAL]\neAX=2\n",
         "COM18"},
        {"empty section", "[ PORTS ]\n[TERMINAL]\n", "[ PORTS ]\nCOM20" + entry + "\n[TERMINAL]\n",
         "COM20"},
        {"entry already there, quoted, any case", "[ports]\nCOM05 = \"" + kDevice.toUtf8() + "\"\n",
         "[ports]\nCOM05 = \"" + kDevice.toUtf8() + "\"\n", "COM5"},
        {"entries the monitor does not use: commented, out of range, ambiguous",
         "[PORTS]\n;COM20" + entry + "\nCOM25" + entry + "\nCOM7" + entry + "\nCOM07=/dev/x\n",
         "[PORTS]\n;COM20" + entry + "\nCOM25" + entry + "\nCOM7" + entry +
             "\nCOM07=/dev/x\nCOM20" + entry + "\n",
         "COM20"},
        {"every port taken", allTaken, allTaken, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("plovik-monitor.INI"));
        Store(path, c.before);
        const Edit edit = RunTool(path);
        EXPECT_EQ(edit.exitCode, c.port.isEmpty() ? 1 : 0);
        EXPECT_EQ(edit.port, c.port);
        EXPECT_EQ(Content(path), c.after);
        if (c.port.isEmpty())
            continue;
        EXPECT_EQ(ReadPortEntries(IniFile(path)).value(c.port.mid(3).toInt()), kDevice);
        // Once the entry is there, the next start finds it and changes nothing.
        EXPECT_EQ(RunTool(path).port, c.port);
        EXPECT_EQ(Content(path), c.after);
    }
}

TEST(SimSettings, KeepsAFileFromTheOlderWindowsBuildsInItsEncoding) {
    if (PythonInterpreter().isEmpty())
        GTEST_SKIP() << "python3 not found";
    const auto utf16 = [](const QString& text) {
        return "\xFF\xFE" +
               QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    };
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("plovik-monitor.INI"));
    Store(path, utf16(QStringLiteral("[TERMINAL]\r\neBroadcast=Grüße\r\n")));
    EXPECT_EQ(RunTool(path).port, "COM20");
    EXPECT_EQ(Content(path),
              utf16("[TERMINAL]\r\neBroadcast=Grüße\r\n\r\n[PORTS]\r\nCOM20=" + kDevice + "\r\n"));
}

TEST(SimSettings, FirstRunSelectsTheDeviceAndShowsTheTemperature) {
    if (PythonInterpreter().isEmpty())
        GTEST_SKIP() << "python3 not found";
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("plovik-monitor.INI"));
    EXPECT_EQ(RunTool(path).port, "COM20");
    const IniFile file(path);
    EXPECT_EQ(ReadPortEntries(file), (QMap<int, QString>{{20, kDevice}}));
    const QString terminal = QStringLiteral("TERMINAL");
    EXPECT_EQ(file.readText(terminal, QStringLiteral("Port No        "), {}), "COM20");
    EXPECT_EQ(file.readText(terminal, QStringLiteral("eSearcString"), {}), "TEMP=");
    EXPECT_EQ(file.readText(terminal, QStringLiteral("eFormatIdentifier"), {}), "TEMP=%lf");
    EXPECT_EQ(file.readText(terminal, QStringLiteral("eAX"), {}), "1");
    EXPECT_EQ(file.readText(terminal, QStringLiteral("eB"), {}), "0");
    // Everything else is left to the program's own first-run choice.
    EXPECT_EQ(file.keys(terminal).size(), 5);
}
