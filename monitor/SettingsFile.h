#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <memory>
#include <optional>
#include <stdexcept>

// The settings file of an executable: its path with the file name's extension replaced by ".INI"
// (".INI" appended when the name has none); dots in folder names are left alone.
QString SettingsFileFor(const QString& executablePath);

// The key ThemeStyle of section APPLICATION; "Windows" when the file or the key is missing.
QString ReadThemeStyle(const QString& settingsFile);

// Raised when the settings file cannot be written; the message names the file.
class SettingsWriteError : public std::runtime_error {
public:
    explicit SettingsWriteError(const QString& path);
};

// A settings file held in memory: sections and keys match ignoring letter case, blanks around keys
// do not count, and everything the program does not know about (sections, keys, comments) is
// written back in its place. A key that repeats keeps all its lines and reads as its first one. A
// value loses one pair of surrounding double quotes on read, and a text is written in them when its
// edges hold blanks or quotes. A missing file reads as empty; save() creates it.
class IniFile {
public:
    explicit IniFile(const QString& path);
    ~IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    QString path() const { return path_; }
    // The keys of a section in file order, as the file spells them.
    QStringList keys(const QString& section) const;

    QString readText(const QString& section, const QString& key, const QString& fallback) const;
    // Any non-zero integer is true; a value that is not an integer gives the fallback.
    bool readFlag(const QString& section, const QString& key, bool fallback) const;
    // Signed 32-bit decimal, or hexadecimal after "0x"; anything else gives the fallback.
    int readInteger(const QString& section, const QString& key, int fallback) const;

    void writeText(const QString& section, const QString& key, const QString& value);
    void writeFlag(const QString& section, const QString& key, bool value);
    void writeInteger(const QString& section, const QString& key, int value);

    // Throws SettingsWriteError when the file cannot be written.
    void save() const;

private:
    struct Document;

    // The first line of the key, without one pair of surrounding double quotes; empty when missing.
    std::optional<QString> storedValue(const QString& section, const QString& key) const;

    QString path_;
    std::unique_ptr<Document> document_;
};

// A stored integer: signed 32-bit decimal, or up to eight hexadecimal digits after "0x" taken as
// the bits of a 32-bit number. Empty when the text is neither.
std::optional<int> ParseStoredInteger(const QString& text);

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
