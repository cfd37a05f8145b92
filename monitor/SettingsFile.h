#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "IniFile.h"
#include <array>
#include <memory>
#include <optional>
#include <stdexcept>

// The settings file of an executable: its path with the file name's extension replaced by ".INI"
// (".INI" appended when the name has none); dots in folder names are left alone.
QString SettingsFileFor(const QString& executablePath);

// The key ThemeStyle of section APPLICATION; "Windows" when the file or the key is missing.
QString ReadThemeStyle(const QString& settingsFile);

enum class SettingKind { Text, Flag, Integer };

struct SettingKey {
    const char* name;  // exactly as the file has always named it, padding included
    SettingKind kind;
    const char* fallback;  // in the file's own notation
};

// Section TERMINAL, in file order: the order of reading and of writing.
enum TerminalKey {
    PortNoKey,
    BaudRateKey,
    DataWidthKey,
    StopBitsKey,
    ParityKey,
    PriorityKey,
    DelayKey,
    NmeaLogKey,
    LogTimeKey,
    EnableDtrKey,
    EnableRtsKey,
    SearchStringKey,
    FormatIdentifierKey,
    AxKey,
    BKey,
    ValueKey,
    ShowDateTimeKey,
    BroadcastKey,
    CrKey,
    LfKey,
    SettingsWidthKey,
    FontNameKey,
    FontSizeKey,
    FontColorKey,
    FontStyleKey,
    BackColorKey,
    TerminalKeyCount
};

extern const char* const kTerminalSection;
extern const std::array<SettingKey, TerminalKeyCount> kTerminalKeys;

// One value per key of section TERMINAL: a QString for text, a bool for a flag, an int for an
// integer.
using TerminalValues = std::array<QVariant, TerminalKeyCount>;

TerminalValues ReadTerminalSection(const IniFile& file);
void WriteTerminalSection(IniFile& file, const TerminalValues& values);

// Explicit port entries of section PORTS: lines "COMn=/path" with n a port number.
QMap<int, QString> ReadPortEntries(const IniFile& file);

// Port names ordered by number, where "COMn" counts n and any other name 0; names with equal
// numbers keep their order.
QStringList SortedPortNames(QStringList names);
