#include "IniFile.h"

// Text reaches the file as UTF-8 bytes converted by Qt, so the library needs no converter.
#define SI_NO_CONVERSION
#include <SimpleIni.h>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

SettingsWriteError::SettingsWriteError(const QString& path)
    : std::runtime_error(QStringLiteral("Unable to write to %1")
                             .arg(QDir::toNativeSeparators(path))
                             .toStdString()) {}

namespace {

// Files written by the older Windows builds may be UTF-16 with a byte-order mark.
QByteArray AsUtf8(const QByteArray& content) {
    if (!content.startsWith("\xFF\xFE"))
        return content;
    const auto* units = reinterpret_cast<const char16_t*>(content.constData() + 2);
    return QString::fromUtf16(units, (content.size() - 2) / 2).toUtf8();
}

// A name as the file compares it: the padding of the long-standing keys is not part of it.
std::string Name(const QString& name) {
    return name.trimmed().toStdString();
}

// A line break inside a value would start a new line of the file and could forge keys or
// sections, so it is flattened into a blank.
std::string SingleLine(const QString& value) {
    static const QRegularExpression lineBreaks(QStringLiteral("[\r\n]+"));
    return QString(value).replace(lineBreaks, QStringLiteral(" ")).toStdString();
}

// Blanks at the edges of a value are not part of it in an INI file, so a text that needs them is
// put in double quotes, and so is one with a quote at an edge, or it would lose that quote on read.
// Everything else is written bare, as any INI reader expects.
std::string Quoted(const std::string& value) {
    const auto needsQuotes = [](char c) { return c == ' ' || c == '\t' || c == '"'; };
    if (!value.empty() && (needsQuotes(value.front()) || needsQuotes(value.back())))
        return '"' + value + '"';
    return value;
}

// Windows reads a profile value without one pair of surrounding double quotes, and so does this
// build, so a file means the same on both.
QString Unquoted(const char* value) {
    const std::size_t size = std::strlen(value);
    if (size >= 2 && value[0] == '"' && value[size - 1] == '"')
        return QString::fromUtf8(value + 1, static_cast<qsizetype>(size - 2));
    return QString::fromUtf8(value);
}

// The library keeps a comment only with the entry that follows it, so comment lines after the
// last entry are held apart and written back at the end.
qsizetype TrailingCommentStart(const QByteArray& content) {
    const QList<QByteArray> lines = content.split('\n');
    qsizetype start = content.size();
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        const QByteArray text = line->trimmed();
        if (!text.isEmpty() && !text.startsWith(';') && !text.startsWith('#'))
            break;
        start -= line->size() + 1;
    }
    return std::max<qsizetype>(start, 0);
}

}  // namespace

struct IniFile::Document {
    // A key may repeat; every line of it is kept, and the first one is the key's value.
    CSimpleIniA ini{true, true, false};
    QByteArray trailingComment;
    bool commentOnly = false;  // then the comment stays at the top, above what the program adds
    // An existing file that could not be read is never overwritten: the write would lose it.
    bool unreadable = false;
};

IniFile::IniFile(const QString& path) : path_(path), document_(std::make_unique<Document>()) {
    document_->ini.SetSpaces(false);
    QFile file(path);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        document_->unreadable = true;
        return;
    }
    QByteArray content = AsUtf8(file.readAll());
    const qsizetype trailerStart = TrailingCommentStart(content);
    document_->trailingComment = content.mid(trailerStart).trimmed();
    document_->commentOnly = trailerStart == 0;
    content.truncate(trailerStart);
    document_->ini.LoadData(content.constData(), content.size());
}

IniFile::~IniFile() = default;

QStringList IniFile::keys(const QString& section) const {
    CSimpleIniA::TNamesDepend names;
    document_->ini.GetAllKeys(Name(section).c_str(), names);
    names.sort(CSimpleIniA::Entry::LoadOrder());
    QStringList result;
    for (const auto& name : names)
        result.append(QString::fromUtf8(name.pItem));
    return result;
}

std::optional<QString> IniFile::storedValue(const QString& section, const QString& key) const {
    CSimpleIniA::TNamesDepend values;
    if (!document_->ini.GetAllValues(Name(section).c_str(), Name(key).c_str(), values))
        return std::nullopt;
    values.sort(CSimpleIniA::Entry::LoadOrder());
    return Unquoted(values.front().pItem);
}

QString IniFile::readText(const QString& section, const QString& key,
                          const QString& fallback) const {
    return storedValue(section, key).value_or(fallback);
}

bool IniFile::readFlag(const QString& section, const QString& key, bool fallback) const {
    const std::optional<QString> value = storedValue(section, key);
    if (!value)
        return fallback;
    const std::optional<int> number = ParseStoredInteger(*value);
    return number ? *number != 0 : fallback;
}

int IniFile::readInteger(const QString& section, const QString& key, int fallback) const {
    const std::optional<QString> value = storedValue(section, key);
    if (!value)
        return fallback;
    return ParseStoredInteger(*value).value_or(fallback);
}

void IniFile::writeText(const QString& section, const QString& key, const QString& value) {
    CSimpleIniA& ini = document_->ini;
    const std::string sectionName = Name(section);
    const std::string text = Quoted(SingleLine(value));
    CSimpleIniA::TNamesDepend values;
    if (!ini.GetAllValues(sectionName.c_str(), Name(key).c_str(), values)) {
        ini.SetValue(sectionName.c_str(), Name(key).c_str(), text.c_str());
        return;
    }
    // Only the first line of a repeated key is the program's; the user's later lines stay as they
    // are. Replacing drops them all, so they are added back after it with their comments, under the
    // name as the file spells it.
    values.sort(CSimpleIniA::Entry::LoadOrder());
    const std::string spelling =
        ini.GetSection(sectionName.c_str())->find(Name(key).c_str())->first.pItem;
    std::vector<std::pair<std::string, std::optional<std::string>>> later;
    for (auto entry = std::next(values.cbegin()); entry != values.cend(); ++entry)
        later.emplace_back(entry->pItem, entry->pComment
                                             ? std::optional<std::string>(entry->pComment)
                                             : std::nullopt);
    ini.SetValue(sectionName.c_str(), spelling.c_str(), text.c_str(), nullptr, true);
    for (const auto& [laterValue, comment] : later)
        ini.SetValue(sectionName.c_str(), spelling.c_str(), laterValue.c_str(),
                     comment ? comment->c_str() : nullptr, false);
}

void IniFile::writeFlag(const QString& section, const QString& key, bool value) {
    writeText(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::writeInteger(const QString& section, const QString& key, int value) {
    writeText(section, key, QString::number(value));
}

void IniFile::save() const {
    std::string content;
    if (document_->unreadable || document_->ini.Save(content, false) < 0)
        throw SettingsWriteError(path_);
    const std::string comment = document_->trailingComment.toStdString();
    if (!comment.empty())
        content =
            document_->commentOnly ? comment + "\n\n" + content : content + "\n" + comment + "\n";
    QSaveFile file(path_);
    // A folder that forbids new files may still hold a writable settings file.
    file.setDirectWriteFallback(true);
    const auto size = static_cast<qint64>(content.size());
    if (!file.open(QIODevice::WriteOnly) || file.write(content.data(), size) != size ||
        !file.commit())
        throw SettingsWriteError(path_);
}

std::optional<int> ParseStoredInteger(const QString& text) {
    bool ok = false;
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        const QString digits = text.mid(2);
        const bool plainHex = !digits.isEmpty() && digits.size() <= 8 &&
                              std::all_of(digits.cbegin(), digits.cend(), [](QChar c) {
                                  return c.isDigit() || QStringLiteral("abcdefABCDEF").contains(c);
                              });
        const uint bits = digits.toUInt(&ok, 16);
        if (!plainHex || !ok)
            return std::nullopt;
        return static_cast<int>(bits);
    }
    const qlonglong number = text.toLongLong(&ok, 10);
    if (!ok || number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(number);
}
