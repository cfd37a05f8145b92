// The built program as a user runs it, on a display of its own against the simulated device: what
// the device sends reaches the line log byte for byte, a Broadcast typed and clicked with the
// keyboard reaches the device, and a close request through the window's frame writes the settings
// file, the last value found in the lines included, before the program ends with 0.
#include <signal.h>
#include <sys/prctl.h>

#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "MonitorRun.h"
#include "PseudoTerminal.h"
#include "PythonInterpreter.h"
#include "VirtualDisplay.h"

#ifndef PLOVIK_SIMULATOR
#error "PLOVIK_SIMULATOR names the simulated device"
#endif

namespace {

// Deadlines are generous: the test shares a small, busy machine with the rest of the tests. Every
// wait ends as soon as what it waits for has happened.
constexpr int kDeadlineMs = 60000;
constexpr int kStepMs = 20;
constexpr int kFixes = 3;
// A fix is three sentences, a reading two lines; the device gives kFixes of each, then only echoes.
constexpr qsizetype kProducedLines = kFixes * (3 + 2);
const QString kTitle = QStringLiteral("Plovik Comport Monitor");
const QByteArray kTyped = "PING 42";
// The value search: the number behind "TEMP=", times 2, plus 1.
constexpr int kAx = 2;
constexpr int kB = 1;
// A record's stamp: "yyyy-mm-dd hhnnsszzz" and a space.
constexpr qsizetype kStampLength = 21;

using Keys = std::map<std::string, std::string>;

struct Case {
    const char* name;
    int seed;
    bool stamped;  // "Log Time"
    // The [TERMINAL] keys of the prepared file beside those every case has, as a user's file holds
    // them (the eleven list keys padded to 15 characters).
    Keys keys;
    // What the close writes for the keys the file does not have: what the window showed for them.
    Keys omitted;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

const Case kCases[] = {
    {"Plain",
     1,
     false,
     {{"Log Time       ", "False"},
      {"Baud Rate      ", "115200"},
      {"Data Width     ", "7"},
      {"Delay          ", "10"},
      {"GV_SHOW_DATE_TIME", "0"},
      {"cbCR", "1"},
      {"cbLF", "1"},
      {"pSettingsWidth", "220"},
      {"FontName", "DejaVu Sans Mono"},
      {"FontSize", "12"},
      {"FontColor", "255"},
      {"FontStyle", "3"},
      {"BackColor", "15785176"}},
     {{"Stop Bits", "1"},
      {"Parity", "None"},
      {"Priority", "Normal"},
      {"Enable DTR", "True"},
      {"Enable RTS", "True"}}},
    {"Stamped",
     2,
     true,
     {{"Log Time       ", "True"},
      {"Baud Rate      ", "57600"},
      {"Stop Bits      ", "2"},
      {"Parity         ", "Even"},
      {"Enable DTR     ", "False"},
      {"Delay          ", "1"},
      {"cbCR", "0"},
      {"cbLF", "1"},
      {"FontName", "Liberation Mono"},
      {"FontSize", "9"},
      {"FontColor", "32768"},
      {"FontStyle", "4"},
      {"BackColor", "14745599"}},
     {{"Data Width", "8"},
      {"Priority", "Normal"},
      {"Enable RTS", "True"},
      {"GV_SHOW_DATE_TIME", "1"},
      {"pSettingsWidth", "148"}}},
};

std::string Trimmed(const std::string& text) {
    return QByteArray::fromStdString(text).trimmed().toStdString();
}

Keys Prepared(const Case& c) {
    Keys keys = {{"Port No        ", "COM1"},
                 {"NMEA LOG       ", "True"},
                 {"eSearcString", "TEMP="},
                 {"eFormatIdentifier", "TEMP=%lf"},
                 {"eAX", std::to_string(kAx)},
                 {"eB", std::to_string(kB)},
                 {"eValue", "0"},
                 {"eBroadcast", "m"}};
    keys.insert(c.keys.begin(), c.keys.end());
    return keys;
}

QByteArray SettingsFile(const QString& link, const Case& c) {
    QByteArray text =
        "[APPLICATION]\nThemeStyle=Windows\n[PORTS]\nCOM1=" + link.toLocal8Bit() + "\n[TERMINAL]\n";
    for (const auto& [key, value] : Prepared(c))
        text += QByteArray::fromStdString(key + '=' + value + '\n');
    return text;
}

// The keys of each section of an INI text in file order, names and values trimmed as an INI reader
// trims them; a key written twice is there twice.
std::map<std::string, std::vector<std::pair<std::string, std::string>>> ReadIni(
    const QByteArray& text) {
    std::map<std::string, std::vector<std::pair<std::string, std::string>>> sections;
    std::string section;
    for (const QByteArray& raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        const qsizetype equals = line.indexOf('=');
        if (line.startsWith('[') && line.endsWith(']'))
            section = line.mid(1, line.size() - 2).trimmed().toStdString();
        else if (equals > 0)
            sections[section].emplace_back(line.left(equals).trimmed().toStdString(),
                                           line.mid(equals + 1).trimmed().toStdString());
    }
    return sections;
}

// One key a line, in order of names, so that a difference shows as lines.
std::string Listed(const std::vector<std::pair<std::string, std::string>>& keys) {
    std::multimap<std::string, std::string> sorted(keys.begin(), keys.end());
    std::string text;
    for (const auto& [key, value] : sorted)
        text += key + '=' + value + '\n';
    return text;
}

std::string Listed(const Keys& keys) {
    return Listed(std::vector<std::pair<std::string, std::string>>(keys.begin(), keys.end()));
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What the device reports having sent and received, one byte a character.
struct Report {
    QList<QByteArray> sent;
    QList<QByteArray> received;
};

Report ReadReport(const QString& path) {
    Report report;
    for (const QByteArray& line : ReadFile(path).split('\n')) {
        const QJsonObject event = QJsonDocument::fromJson(line).object();
        const QByteArray text = event.value("line").toString().toLatin1();
        if (event.value("event") == QStringLiteral("sent"))
            report.sent.append(text);
        else if (event.value("event") == QStringLiteral("received"))
            report.received.append(text);
    }
    return report;
}

// The log a run without time stamps writes: each line and CR LF.
QByteArray Records(const QList<QByteArray>& lines) {
    QByteArray log;
    for (const QByteArray& line : lines)
        log += line + "\r\n";
    return log;
}

// The log with the stamp taken off the front of every record that begins with one of the right
// shape, and the moments those stamps tell.
QByteArray WithoutStamps(const QByteArray& log, QList<QDateTime>& stamps) {
    static const QRegularExpression shape(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d{9} $"));
    QByteArray rest;
    for (qsizetype start = 0; start < log.size();) {
        const qsizetype end = log.indexOf('\n', start);
        const QByteArray record = log.mid(start, end < 0 ? -1 : end + 1 - start);
        start += record.size();
        const QString stamp = QString::fromLatin1(record.left(kStampLength));
        if (!shape.match(stamp).hasMatch()) {
            rest += record;
            continue;
        }
        stamps.append(
            QDateTime::fromString(stamp.trimmed(), QStringLiteral("yyyy-MM-dd HHmmsszzz")));
        rest += record.mid(kStampLength);
    }
    return rest;
}

// What the window shows for the last line with "TEMP=" in it, worked out in hundredths, the
// instrument writing two decimals; empty when there is no such line.
QByteArray ExpectedValue(const QList<QByteArray>& sent) {
    static const QRegularExpression reading(QStringLiteral("^TEMP=(\\d+)\\.(\\d\\d) C$"));
    for (auto line = sent.crbegin(); line != sent.crend(); ++line) {
        const QRegularExpressionMatch found = reading.match(QString::fromLatin1(*line));
        if (!found.hasMatch())
            continue;
        const int hundredths =
            kAx * (found.captured(1).toInt() * 100 + found.captured(2).toInt()) + kB * 100;
        QByteArray text = QByteArray::number(hundredths / 100) + '.' +
                          QByteArray::number(hundredths % 100).rightJustified(2, '0');
        while (text.endsWith('0'))
            text.chop(1);
        return text.endsWith('.') ? text.chopped(1) : text;
    }
    return {};
}

// Stamps are local time, as the test's own clock.
::testing::AssertionResult Within(const QDateTime& moment, const QDateTime& first,
                                  const QDateTime& last) {
    if (moment.isValid() && first <= moment && moment <= last)
        return ::testing::AssertionSuccess();
    const QString format = QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");
    return ::testing::AssertionFailure()
           << moment.toString(format).toStdString() << " is not within "
           << first.toString(format).toStdString() << " and "
           << last.toString(format).toStdString();
}

class EndToEnd : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override {
        if (PythonInterpreter().isEmpty())
            GTEST_SKIP() << "python3 not found; the simulated device needs it";
        if (VirtualDisplay::serverProgram().isEmpty())
            GTEST_SKIP() << "Xvfb is not installed; the program runs on a display of its own";
        if (VirtualDisplay::keyboardProgram().isEmpty())
            GTEST_SKIP() << "xdotool is not installed; it types on that display";
        display = std::make_unique<VirtualDisplay>();
        ASSERT_TRUE(display->started()) << "Xvfb did not come up";
    }

    std::unique_ptr<VirtualDisplay> display;
};

TEST_P(EndToEnd, LogSettingsBroadcastAndValue) {
    const Case& c = GetParam();
    QTemporaryDir device;
    const QString link = device.filePath(QStringLiteral("sim"));
    const QString reportPath = device.filePath(QStringLiteral("report"));
    QProcess simulator;
    simulator.setStandardOutputFile(reportPath);
    // It waits for ever when the program never opens its port; a test that dies ends it.
    simulator.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    simulator.start(PythonInterpreter(),
                    {QStringLiteral(PLOVIK_SIMULATOR), "--mode", "demo", "--link", link, "--seed",
                     QString::number(c.seed), "--count", QString::number(kFixes), "--fix-rate",
                     "20", "--rate", "20", "--report"});
    ASSERT_TRUE(WaitUntil([&] { return QFileInfo(link).isSymLink(); }, kDeadlineMs, kStepMs))
        << simulator.readAllStandardError().constData();

    MonitorRun run(SettingsFile(link, c));
    const QDateTime started = QDateTime::currentDateTime();
    ASSERT_TRUE(run.start(display->name()));
    VirtualDisplay::Window window = 0;
    ASSERT_TRUE(WaitUntil(
        [&] {
            window = display->windows(kTitle).value(0);
            return window != 0 || !run.running();
        },
        kDeadlineMs, kStepMs));
    ASSERT_NE(window, 0u) << "the window did not show: " << run.output().constData();

    Report report;
    const auto logHoldsAllSent = [&](qsizetype least) {
        report = ReadReport(reportPath);
        return report.sent.size() >= least && run.lineLog().count('\n') == report.sent.size();
    };
    // Everything the device makes is in the log before the keys go, so the Broadcast's echo comes
    // last.
    ASSERT_TRUE(WaitUntil([&] { return logHoldsAllSent(kProducedLines); }, kDeadlineMs, kStepMs))
        << report.sent.size() << " lines sent, log:\n"
        << run.lineLog().constData() << run.output().constData();

    // The caption's mnemonic reaches the text box; the two ending boxes lie between it and the
    // button.
    ASSERT_TRUE(display->press(window, {"alt+r", "ctrl+a"}));
    ASSERT_TRUE(display->type(window, QString::fromLatin1(kTyped)));
    ASSERT_TRUE(display->press(window, {"Tab", "Tab", "Tab", "space"}));
    ASSERT_TRUE(
        WaitUntil([&] { return logHoldsAllSent(kProducedLines + 1); }, kDeadlineMs, kStepMs))
        << "no echo of the Broadcast; the device received " << report.received.size() << " lines";

    display->requestClose(window);
    EXPECT_EQ(run.waitForExit(kDeadlineMs), std::optional<int>(0)) << run.output().constData();
    const QDateTime ended = QDateTime::currentDateTime();
    // The port closing ends the simulator; it takes its link with it.
    ASSERT_TRUE(simulator.waitForFinished(kDeadlineMs));
    EXPECT_EQ(simulator.exitCode(), 0) << simulator.readAllStandardError().constData();
    EXPECT_FALSE(QFileInfo(link).isSymLink());

    report = ReadReport(reportPath);
    EXPECT_EQ(Records(report.received), Records({kTyped})) << "the device received";
    ASSERT_EQ(report.sent.size(), kProducedLines + 1);
    EXPECT_EQ(report.sent.last(), "OK " + kTyped);

    // One log, named after the moment the run started.
    const QStringList logs = run.lineLogNames();
    ASSERT_EQ(logs.size(), 1) << logs.join(' ').toStdString();
    const QRegularExpressionMatch name =
        QRegularExpression(QStringLiteral("^PLV/(\\d{4}-\\d\\d-\\d\\d)/SRX/(\\d{4}-\\d\\d-\\d\\d) "
                                          "(\\d{6}) Terminal\\.log$"))
            .match(logs.first());
    ASSERT_TRUE(name.hasMatch()) << logs.first().toStdString();
    EXPECT_EQ(name.captured(1), name.captured(2));
    const QDateTime named = QDateTime::fromString(name.captured(2) + name.captured(3),
                                                  QStringLiteral("yyyy-MM-ddHHmmss"));
    EXPECT_TRUE(Within(named, started.addMSecs(-started.time().msec()), ended));

    const QByteArray log = run.lineLog();
    if (!c.stamped) {
        EXPECT_EQ(log.toStdString(), Records(report.sent).toStdString());
    } else {
        QList<QDateTime> stamps;
        EXPECT_EQ(WithoutStamps(log, stamps).toStdString(), Records(report.sent).toStdString());
        ASSERT_EQ(stamps.size(), report.sent.size()) << log.constData();
        for (qsizetype i = 0; i < stamps.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_TRUE(Within(stamps[i], i == 0 ? started : stamps[i - 1], ended));
        }
    }

    // The close wrote every key once: the restored ones as they were, what the window showed for
    // the missing ones, the typed text and the last value found.
    const QByteArray expectedValue = ExpectedValue(report.sent);
    ASSERT_FALSE(expectedValue.isEmpty());
    Keys expected;
    for (const auto& [key, value] : Prepared(c))
        expected[Trimmed(key)] = value;
    expected.insert(c.omitted.begin(), c.omitted.end());
    expected["eBroadcast"] = kTyped.toStdString();
    expected["eValue"] = expectedValue.toStdString();
    auto written = ReadIni(ReadFile(run.settingsPath()));
    // Every key the window keeps, so none can go missing unseen.
    EXPECT_EQ(expected.size(), 26u);
    EXPECT_EQ(Listed(written["TERMINAL"]), Listed(expected));
    EXPECT_EQ(Listed(written["PORTS"]), "COM1=" + link.toStdString() + '\n');
    EXPECT_EQ(Listed(written["APPLICATION"]), "ThemeStyle=Windows\n");
}

INSTANTIATE_TEST_SUITE_P(, EndToEnd, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
