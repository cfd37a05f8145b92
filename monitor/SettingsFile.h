#pragma once

#include <QMap>
#include <QString>
#include <array>
#include <variant>

#include "IniFile.h"

// The settings file of an executable: its path with the file name's extension replaced by ".INI"
// (".INI" appended when the name has none); dots in folder names are left alone.
QString SettingsFileFor(const QString& executablePath);

// The key ThemeStyle of section APPLICATION; "Windows" when the file or the key is missing.
QString ReadThemeStyle(const QString& settingsFile);

// Section TERMINAL: what the main window keeps between runs.
struct TerminalSettings {
    // The texts the eleven lists of the COM Port Settings group show.
    QString portNo, baudRate, dataWidth, stopBits, parity, priority, delay, nmeaLog, logTime,
        enableDtr, enableRts;
    // The texts of the edit boxes.
    QString searchString, formatIdentifier, ax, b, value, broadcast;
    bool showDateTime = false;
    bool cr = false;
    bool lf = false;
    int settingsWidth = 0;
    // The terminal's font; an empty name stands for the font it was laid out with.
    QString fontName;
    int fontSize = 0;
    int fontColor = 0;  // 0x00BBGGRR
    int fontStyle = 0;  // bold 1, italic 2, underline 4, strike-out 8
    int backColor = 0;

    bool operator==(const TerminalSettings&) const = default;
};

// One key of section TERMINAL: its text, its kind (text, flag or integer: the type of the field
// it holds) and what a missing key reads as.
template <typename Value>
struct TerminalField {
    Value TerminalSettings::*field;
    Value fallback;
};

struct TerminalKey {
    const char* name;  // exactly as the file has always named it, padding included
    std::variant<TerminalField<QString>, TerminalField<bool>, TerminalField<int>> value;
};

// In file order, which is the order of reading and of writing.
extern const std::array<TerminalKey, 26> kTerminalKeys;

// A missing file or key reads as the key's fallback: a first run gets the designed settings.
TerminalSettings ReadTerminalSettings(const IniFile& file);
void WriteTerminalSettings(IniFile& file, const TerminalSettings& settings);

// Explicit port entries of section PORTS: lines "COMn=/path" with n a port number.
QMap<int, QString> ReadPortEntries(const IniFile& file);
