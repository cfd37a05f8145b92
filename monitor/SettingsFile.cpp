#include "SettingsFile.h"

#include <QRegularExpression>
#include <algorithm>

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


const char* const kTerminalSection = "TERMINAL";

const std::array<SettingKey, TerminalKeyCount> kTerminalKeys = {{
    {"Port No        ", SettingKind::Text, ""},
    {"Baud Rate      ", SettingKind::Text, "19200"},
    {"Data Width     ", SettingKind::Text, "8"},
    {"Stop Bits      ", SettingKind::Text, "1"},
    {"Parity         ", SettingKind::Text, "None"},
    {"Priority       ", SettingKind::Text, "Normal"},
    {"Delay          ", SettingKind::Text, "5"},
    {"NMEA LOG       ", SettingKind::Text, "False"},
    {"Log Time       ", SettingKind::Text, "False"},
    {"Enable DTR     ", SettingKind::Text, "True"},
    {"Enable RTS     ", SettingKind::Text, "True"},
    {"eSearcString", SettingKind::Text, "0"},
    {"eFormatIdentifier", SettingKind::Text, "0"},
    {"eAX", SettingKind::Text, "0"},
    {"eB", SettingKind::Text, "0"},
    {"eValue", SettingKind::Text, "0"},
    {"GV_SHOW_DATE_TIME", SettingKind::Flag, "1"},
    {"eBroadcast", SettingKind::Text, "m"},
    {"cbCR", SettingKind::Flag, "0"},
    {"cbLF", SettingKind::Flag, "0"},
    {"pSettingsWidth", SettingKind::Integer, "148"},
    {"FontName", SettingKind::Text, ""},
    {"FontSize", SettingKind::Integer, "10"},
    {"FontColor", SettingKind::Integer, "0"},
    {"FontStyle", SettingKind::Integer, "0"},
    {"BackColor", SettingKind::Integer, "0xFFFFFF"},
}};

namespace {

QVariant ReadSetting(const IniFile& file, const QString& section, const SettingKey& key) {
    const QString name = QString::fromLatin1(key.name);
    const QString fallback = QString::fromLatin1(key.fallback);
    switch (key.kind) {
        case SettingKind::Flag:
            return file.readFlag(section, name, ParseStoredInteger(fallback).value_or(0) != 0);
        case SettingKind::Integer:
            return file.readInteger(section, name, ParseStoredInteger(fallback).value_or(0));
        case SettingKind::Text:
            break;
    }
    return file.readText(section, name, fallback);
}

void WriteSetting(IniFile& file, const QString& section, const SettingKey& key,
                  const QVariant& value) {
    const QString name = QString::fromLatin1(key.name);
    switch (key.kind) {
        case SettingKind::Flag:
            return file.writeFlag(section, name, value.toBool());
        case SettingKind::Integer:
            return file.writeInteger(section, name, value.toInt());
        case SettingKind::Text:
            break;
    }
    file.writeText(section, name, value.toString());
}

}  // namespace

TerminalValues ReadTerminalSection(const IniFile& file) {
    TerminalValues values;
    const QString section = QString::fromLatin1(kTerminalSection);
    for (int i = 0; i < TerminalKeyCount; ++i)
        values[i] = ReadSetting(file, section, kTerminalKeys[i]);
    return values;
}

void WriteTerminalSection(IniFile& file, const TerminalValues& values) {
    const QString section = QString::fromLatin1(kTerminalSection);
    for (int i = 0; i < TerminalKeyCount; ++i)
        WriteSetting(file, section, kTerminalKeys[i], values[i]);
}

QMap<int, QString> ReadPortEntries(const IniFile& file) {
    static const QRegularExpression portKey(QStringLiteral("^COM([0-9]+)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QString section = QStringLiteral("PORTS");
    QMap<int, QString> entries;
    for (const QString& key : file.keys(section)) {
        const QRegularExpressionMatch match = portKey.match(key);
        const QString path = file.readText(section, key, QString());
        if (match.hasMatch() && !path.isEmpty())
            entries.insert(match.captured(1).toInt(), path);
    }
    return entries;
}

namespace {

int PortNumberOf(const QString& name) {
    if (!name.startsWith(QLatin1String("COM")))
        return 0;
    return ParseStoredInteger(name.mid(3)).value_or(0);
}

}  // namespace

QStringList SortedPortNames(QStringList names) {
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return PortNumberOf(a) < PortNumberOf(b);
    });
    return names;
}
