#include "IniFile.h"

// Text reaches the library as UTF-8 bytes converted by Qt, so it needs no converter.
#define SI_NO_CONVERSION
#include <SimpleIni.h>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <limits>
#include <list>
#include <utility>

SettingsWriteError::SettingsWriteError(const QString& path)
    : std::runtime_error(QStringLiteral("Unable to write to %1")
                             .arg(QDir::toNativeSeparators(path))
                             .toStdString()) {}

namespace {

const QByteArray kUtf16Mark("\xFF\xFE");
const QByteArray kUtf8Mark("\xEF\xBB\xBF");

// One line of the file as it stands: a save writes every line it did not change back byte for byte.
struct Line {
    QByteArray text;       // without its line break
    QByteArray lineBreak;  // "\n", "\r\n" or "\r"; empty on a last line that has none
};
using Lines = std::list<Line>;

// The library ends a line at a line feed, a carriage return or the pair, and so does this file.
Lines LinesOf(const QByteArray& text) {
    static const QByteArray lf("\n"), crLf("\r\n"), cr("\r");
    Lines lines;
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = start;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r')
            ++end;
        Line line{text.mid(start, end - start), {}};
        if (end < text.size()) {
            const bool pair = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
            line.lineBreak = pair ? crLf : text[end] == '\r' ? cr : lf;
            end += line.lineBreak.size();
        }
        lines.push_back(std::move(line));
        start = end;
    }
    return lines;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Without the blanks the library trims from names and values.
QByteArrayView Trimmed(QByteArrayView text) {
    while (!text.isEmpty() && IsBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && IsBlank(text.back()))
        text.chop(1);
    return text;
}

// How the library reads a line: "[name]" opens a section (the rest of the line does not count),
// "name=value" is a key, a first ';' or '#' marks a comment. Anything else, an unclosed section
// line and a line holding a zero byte included, means nothing and is kept as it is.
struct LineMeaning {
    enum Kind { Nothing, Section, Key } kind = Nothing;
    QByteArray name;
};

LineMeaning MeaningOf(QByteArrayView text) {
    if (text.contains('\0'))
        return {};
    const QByteArrayView line = Trimmed(text);
    if (line.isEmpty() || line.front() == ';' || line.front() == '#')
        return {};
    if (line.front() == '[') {
        const qsizetype close = line.indexOf(']');
        if (close < 0)
            return {};
        return {LineMeaning::Section, Trimmed(line.sliced(1, close - 1)).toByteArray()};
    }
    const QByteArrayView key = Trimmed(line.first(std::max<qsizetype>(line.indexOf('='), 0)));
    if (key.isEmpty())
        return {};
    return {LineMeaning::Key, key.toByteArray()};
}

// Names match ignoring the letter case of ASCII letters, as the library compares them.
QByteArray Folded(const QByteArray& section, const QByteArray& key = {}) {
    return section.toLower() + '\n' + key.toLower();
}

// A name as the file compares it: the padding of the long-standing keys is not part of it, and
// the library reads a name up to a zero byte.
QByteArray Name(const QString& name) {
    const QByteArray bytes = name.trimmed().toUtf8();
    const qsizetype zero = bytes.indexOf('\0');
    return zero < 0 ? bytes : bytes.left(zero);
}

// A line break inside a value would start a new line of the file and could forge keys or
// sections, and a zero byte would end the text for the reader, so each run of them becomes a blank.
QByteArray SingleLine(const QString& value) {
    QByteArray line;
    bool inBreak = false;
    for (const char c : value.toUtf8()) {
        const bool isBreak = c == '\r' || c == '\n' || c == '\0';
        if (!isBreak)
            line += c;
        else if (!inBreak)
            line += ' ';
        inBreak = isBreak;
    }
    return line;
}

// Blanks at the edges of a value are not part of it in an INI file, so a text that needs them is
// put in double quotes, and so is one with a quote at an edge, or it would lose that quote on read.
// Everything else is written bare, as any INI reader expects.
QByteArray Quoted(const QByteArray& value) {
    const auto needsQuotes = [](char c) { return IsBlank(c) || c == '"'; };
    if (!value.isEmpty() && (needsQuotes(value.front()) || needsQuotes(value.back())))
        return '"' + value + '"';
    return value;
}

// A byte-order mark inside the file belongs to the name or value it begins.
QString Utf8Text(QByteArrayView text) {
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom |
                                                       QStringConverter::Flag::Stateless);
    return decoder(text);
}

// Windows reads a profile value without one pair of surrounding double quotes, and so does this
// build, so a file means the same on both.
QString Unquoted(QByteArrayView value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        return Utf8Text(value.sliced(1, value.size() - 2));
    return Utf8Text(value);
}

// Files of the older Windows builds may be UTF-16 with a byte-order mark; their ASCII characters
// hold zero bytes. Eight-bit text has none, so behind the same two bytes (an earlier build could
// leave them at the start of a first key) it is taken as the eight-bit text it is. A save adds no
// zero byte to eight-bit text, so a file is read the same way after it.
std::optional<QString> Utf16Text(const QByteArray& content) {
    if (!content.startsWith(kUtf16Mark) ||
        (content.size() > kUtf16Mark.size() && !content.contains('\0')))
        return std::nullopt;
    QStringDecoder decoder(QStringConverter::Utf16LE, QStringConverter::Flag::Stateless);
    return decoder(QByteArrayView(content).sliced(kUtf16Mark.size()));
}

QByteArray Utf16Bytes(const QString& text) {
    QStringEncoder encoder(QStringConverter::Utf16LE);
    return kUtf16Mark + QByteArray(encoder(text));
}

void WriteFile(const QString& path, const QByteArray& content) {
    QSaveFile file(path);
    // A folder that forbids new files may still hold a writable settings file.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit())
        throw SettingsWriteError(path);
}

}  // namespace

struct IniFile::Document {
    void load(const QByteArray& content);
    void index(Lines::iterator line, LineMeaning meaning, QByteArray& section);
    Lines::iterator insertAfter(Lines::iterator at, Line line);
    Lines::iterator appendSection(const QByteArray& section);
    QByteArray content() const;

    // A key may repeat; every line of it is kept, and the first one is the key's value.
    CSimpleIniA ini{true, true, false};
    Lines lines;
    QByteArray signature;  // a UTF-8 byte-order mark the file begins with
    QByteArray lineBreak = "\n";
    bool utf16 = false;  // then written back as UTF-16 with its byte-order mark
    // The file as read when it is not text (a zero byte, UTF-16 that does not convert back): it is
    // copied aside before the first save, since that save cannot give back what it could not read.
    QByteArray notText;
    // An existing file that could not be read is never overwritten: the write would lose it.
    bool unreadable = false;

    // By folded section and key name: the key's first line. By folded section: its last line.
    QHash<QByteArray, Lines::iterator> firstKeyLine;
    QHash<QByteArray, Lines::iterator> lastSectionLine;
    // What this file has been given since it was read: values as a read gives them, new keys.
    QHash<QByteArray, QString> written;
    QHash<QByteArray, QStringList> addedKeys;
};

void IniFile::Document::load(const QByteArray& content) {
    QByteArray text = content;
    if (const std::optional<QString> decoded = Utf16Text(content)) {
        utf16 = true;
        text = decoded->toUtf8();
        if (Utf16Bytes(Utf8Text(text)) != content)
            notText = content;
    }
    if (text.contains('\0'))
        notText = content;
    if (text.startsWith(kUtf8Mark)) {
        signature = kUtf8Mark;
        text.remove(0, kUtf8Mark.size());
    }
    lines = LinesOf(text);
    if (!lines.empty() && !lines.front().lineBreak.isEmpty())
        lineBreak = lines.front().lineBreak;

    // The library is shown only the lines that mean something here, each on a line of its own, so
    // it cannot read a line otherwise than this file does; the other lines reach it blank. The
    // first line is blank too, or a byte-order mark left at the start would be taken away.
    QByteArray shown = "\n";
    QByteArray section;
    for (auto line = lines.begin(); line != lines.end(); ++line) {
        LineMeaning meaning = MeaningOf(line->text);
        if (meaning.kind != LineMeaning::Nothing) {
            shown += line->text;
            index(line, std::move(meaning), section);
        }
        shown += '\n';
    }
    ini.LoadData(shown.constData(), shown.size());
}

void IniFile::Document::index(Lines::iterator line, LineMeaning meaning, QByteArray& section) {
    if (meaning.kind == LineMeaning::Section)
        section = meaning.name;
    else if (const QByteArray id = Folded(section, meaning.name); !firstKeyLine.contains(id))
        firstKeyLine.insert(id, line);
    lastSectionLine.insert(Folded(section), line);
}

Lines::iterator IniFile::Document::insertAfter(Lines::iterator at, Line line) {
    if (at->lineBreak.isEmpty())
        at->lineBreak = lineBreak;
    line.lineBreak = lineBreak;
    return lines.insert(std::next(at), std::move(line));
}

// A new section goes at the end of the file, after a blank line.
Lines::iterator IniFile::Document::appendSection(const QByteArray& section) {
    Line header{'[' + section + ']', lineBreak};
    if (lines.empty())
        return lines.insert(lines.end(), std::move(header));
    if (!Trimmed(lines.back().text).isEmpty())
        insertAfter(std::prev(lines.end()), Line{});
    return insertAfter(std::prev(lines.end()), std::move(header));
}

QByteArray IniFile::Document::content() const {
    QByteArray text = signature;
    for (const Line& line : lines)
        text += line.text + line.lineBreak;
    return utf16 ? Utf16Bytes(Utf8Text(text)) : text;
}

IniFile::IniFile(const QString& path) : path_(path), document_(std::make_unique<Document>()) {
    QFile file(path);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        document_->unreadable = true;
        return;
    }
    document_->load(file.readAll());
}

IniFile::~IniFile() = default;

QStringList IniFile::keys(const QString& section) const {
    CSimpleIniA::TNamesDepend names;
    document_->ini.GetAllKeys(Name(section).constData(), names);
    names.sort(CSimpleIniA::Entry::LoadOrder());
    QStringList result;
    for (const auto& name : names)
        result.append(Utf8Text(name.pItem));
    return result + document_->addedKeys.value(Folded(Name(section)));
}

std::optional<QString> IniFile::storedValue(const QString& section, const QString& key) const {
    const auto written = document_->written.constFind(Folded(Name(section), Name(key)));
    if (written != document_->written.cend())
        return *written;
    CSimpleIniA::TNamesDepend values;
    if (!document_->ini.GetAllValues(Name(section).constData(), Name(key).constData(), values))
        return std::nullopt;
    values.sort(CSimpleIniA::Entry::LoadOrder());
    return Unquoted(values.front().pItem);
}

QString IniFile::readText(const QString& section, const QString& key,
                          const QString& fallback) const {
    return storedValue(section, key).value_or(fallback);
}

bool IniFile::readFlag(const QString& section, const QString& key, bool fallback) const {
    const std::optional<int> number = storedInteger(section, key);
    return number ? *number != 0 : fallback;
}

int IniFile::readInteger(const QString& section, const QString& key, int fallback) const {
    return storedInteger(section, key).value_or(fallback);
}

std::optional<int> IniFile::storedInteger(const QString& section, const QString& key) const {
    const std::optional<QString> value = storedValue(section, key);
    return value ? ParseStoredInteger(*value) : std::nullopt;
}

// Only the first line of a key is the program's: a later line of a repeated key stays as it is,
// and so does the first one when it already reads as the value.
void IniFile::writeText(const QString& section, const QString& key, const QString& value) {
    const QByteArray text = Quoted(SingleLine(value));
    const QString asRead = Unquoted(text);
    if (storedValue(section, key) == asRead)
        return;
    Document& document = *document_;
    const QByteArray sectionName = Name(section);
    const QByteArray keyName = Name(key);
    const QByteArray id = Folded(sectionName, keyName);
    document.written.insert(id, asRead);
    if (const auto first = document.firstKeyLine.constFind(id);
        first != document.firstKeyLine.cend()) {
        Line& line = **first;
        line.text = MeaningOf(line.text).name + '=' + text;
        return;
    }
    // A new key follows the last line of its section, under the name as the program spells it.
    const QByteArray folded = Folded(sectionName);
    const auto last = document.lastSectionLine.constFind(folded);
    Line keyLine{keyName + '=' + text, document.lineBreak};
    Lines::iterator line;
    if (last != document.lastSectionLine.cend())
        line = document.insertAfter(*last, std::move(keyLine));
    else if (sectionName.isEmpty())
        line = document.lines.insert(document.lines.begin(), std::move(keyLine));
    else
        line = document.insertAfter(document.appendSection(sectionName), std::move(keyLine));
    document.firstKeyLine.insert(id, line);
    document.lastSectionLine.insert(folded, line);
    document.addedKeys[folded].append(Utf8Text(keyName));
}

void IniFile::writeFlag(const QString& section, const QString& key, bool value) {
    const std::optional<int> stored = storedInteger(section, key);
    if (!stored || (*stored != 0) != value)
        writeText(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::writeInteger(const QString& section, const QString& key, int value) {
    if (storedInteger(section, key) != value)
        writeText(section, key, QString::number(value));
}

void IniFile::save() const {
    if (document_->unreadable)
        throw SettingsWriteError(path_);
    const QString backup = path_ + QStringLiteral(".bak");
    // An earlier copy is the file as it was before this program first rewrote it.
    if (!document_->notText.isEmpty() && !QFile::exists(backup))
        WriteFile(backup, document_->notText);
    WriteFile(path_, document_->content());
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
