#include "SettingsFile.h"

#include "PortName.h"
#include "WindowDefaults.h"

QString SettingsFileFor(const QString& executablePath) {
    const qsizetype nameStart = executablePath.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = executablePath.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot >= nameStart ? executablePath.left(dot) : executablePath;
    return stem + QStringLiteral(".INI");
}

QString ReadThemeStyle(const QString& settingsFile) {
    return IniFile(settingsFile)
        .readText(QStringLiteral("APPLICATION"), QStringLiteral("ThemeStyle"),
                  QStringLiteral("Windows"));
}

namespace {

using S = TerminalSettings;

TerminalField<QString> Text(QString S::*field, const QString& fallback) {
    return {field, fallback};
}

TerminalField<bool> Flag(bool S::*field, bool fallback) {
    return {field, fallback};
}

TerminalField<int> Integer(int S::*field, int fallback) {
    return {field, fallback};
}

const QString kSection = QStringLiteral("TERMINAL");

QString Read(const IniFile& file, const QString& key, const QString& fallback) {
    return file.readText(kSection, key, fallback);
}

bool Read(const IniFile& file, const QString& key, bool fallback) {
    return file.readFlag(kSection, key, fallback);
}

int Read(const IniFile& file, const QString& key, int fallback) {
    return file.readInteger(kSection, key, fallback);
}

void Write(IniFile& file, const QString& key, const QString& value) {
    file.writeText(kSection, key, value);
}

void Write(IniFile& file, const QString& key, bool value) {
    file.writeFlag(kSection, key, value);
}

void Write(IniFile& file, const QString& key, int value) {
    file.writeInteger(kSection, key, value);
}

}  // namespace

const std::array<TerminalKey, 26> kTerminalKeys = {{
    {"Port No        ", Text(&S::portNo, QString())},
    {"Baud Rate      ", Text(&S::baudRate, QStringLiteral("19200"))},
    {"Data Width     ", Text(&S::dataWidth, QStringLiteral("8"))},
    {"Stop Bits      ", Text(&S::stopBits, QStringLiteral("1"))},
    {"Parity         ", Text(&S::parity, QStringLiteral("None"))},
    {"Priority       ", Text(&S::priority, QStringLiteral("Normal"))},
    {"Delay          ", Text(&S::delay, QString::number(kDefaultDelay))},
    {"NMEA LOG       ", Text(&S::nmeaLog, QLatin1String(kFalseText))},
    {"Log Time       ", Text(&S::logTime, QLatin1String(kFalseText))},
    {"Enable DTR     ", Text(&S::enableDtr, QLatin1String(kTrueText))},
    {"Enable RTS     ", Text(&S::enableRts, QLatin1String(kTrueText))},
    {"eSearcString", Text(&S::searchString, QStringLiteral("0"))},
    {"eFormatIdentifier", Text(&S::formatIdentifier, QStringLiteral("0"))},
    {"eAX", Text(&S::ax, QStringLiteral("0"))},
    {"eB", Text(&S::b, QStringLiteral("0"))},
    {"eValue", Text(&S::value, QStringLiteral("0"))},
    {"GV_SHOW_DATE_TIME", Flag(&S::showDateTime, true)},
    {"eBroadcast", Text(&S::broadcast, QStringLiteral("m"))},
    {"cbCR", Flag(&S::cr, false)},
    {"cbLF", Flag(&S::lf, false)},
    {"pSettingsWidth", Integer(&S::settingsWidth, kSettingsPanelWidth)},
    {"FontName", Text(&S::fontName, QString())},
    {"FontSize", Integer(&S::fontSize, 10)},
    {"FontColor", Integer(&S::fontColor, 0)},
    {"FontStyle", Integer(&S::fontStyle, 0)},
    {"BackColor", Integer(&S::backColor, 0xFFFFFF)},
}};

TerminalSettings ReadTerminalSettings(const IniFile& file) {
    TerminalSettings settings;
    for (const TerminalKey& key : kTerminalKeys) {
        std::visit(
            [&](const auto& value) {
                settings.*value.field = Read(file, QLatin1String(key.name), value.fallback);
            },
            key.value);
    }
    return settings;
}

void WriteTerminalSettings(IniFile& file, const TerminalSettings& settings) {
    for (const TerminalKey& key : kTerminalKeys) {
        std::visit(
            [&](const auto& value) { Write(file, QLatin1String(key.name), settings.*value.field); },
            key.value);
    }
}

QMap<int, QString> ReadPortEntries(const IniFile& file) {
    const QString section = QStringLiteral("PORTS");
    QMap<int, QString> entries;
    for (const QString& key : file.keys(section)) {
        const std::optional<int> number = ExactPortNumber(key);
        const QString path = file.readText(section, key, QString());
        if (number && !path.isEmpty())
            entries.insert(*number, path);
    }
    return entries;
}
