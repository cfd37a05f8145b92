#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <stdexcept>

// Raised when the settings file cannot be written; the message names the file.
class SettingsWriteError : public std::runtime_error {
public:
    explicit SettingsWriteError(const QString& path);
};

// A settings file held in memory: sections and keys match ignoring letter case, blanks around keys
// do not count. A save changes only the first line of each key given a new value, adds new keys
// after the last line of their section and new sections at the end; every other line, whatever it
// holds, is written back byte for byte where it stood, in the file's own encoding. A key that
// repeats keeps all its lines and reads as its first one. A value loses one pair of surrounding
// double quotes on read, and a text is written in them when its edges hold blanks or quotes. A
// missing file reads as empty; save() creates it. A file that is not text (a zero byte, UTF-16 that
// does not convert back) is first copied to the same name with ".bak" added, unless that exists.
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
    std::optional<int> storedInteger(const QString& section, const QString& key) const;

    QString path_;
    std::unique_ptr<Document> document_;
};

// A stored integer: signed 32-bit decimal, or up to eight hexadecimal digits after "0x" taken as
// the bits of a 32-bit number. Empty when the text is neither.
std::optional<int> ParseStoredInteger(const QString& text);
