// The settings reader and writer on any file. The program's kinds of write (a padded text key, a
// text, a flag, an integer, with values taken from the input) go into TERMINAL. Rules: the values
// read back as written; every other key of every section the file names reads as before; every
// line but those of the written keys is still in the file, in order; a second save gives the same
// bytes; a file with a zero byte is first copied aside unchanged.
#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <cstdint>

#include "FileBytes.h"
#include "FuzzSupport.h"
#include "IniFile.h"

namespace {

const QString kTerminal = QStringLiteral("TERMINAL");

QString Utf8(QByteArrayView bytes) {
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom |
                                                       QStringConverter::Flag::Stateless);
    return decoder(bytes);
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(bytes) == bytes.size());
}

struct Settings {
    QString port, search;
    bool flag;
    int integer;
};

// Values from the input's own bytes, so they are as odd as the file.
Settings SettingsFrom(const QByteArray& input) {
    const qsizetype half = input.size() / 2;
    quint32 bits = 0;
    for (const char byte : input.right(4))
        bits = bits << 8 | uchar(byte);
    return {Utf8(input.left(std::min<qsizetype>(half, 24))), Utf8(input.mid(half).left(24)),
            (bits & 1) != 0, int(bits)};
}

void Write(IniFile& ini, const Settings& s) {
    ini.writeText(kTerminal, QStringLiteral("Port No        "), s.port);
    ini.writeText(kTerminal, QStringLiteral("eSearcString"), s.search);
    ini.writeFlag(kTerminal, QStringLiteral("cbCR"), s.flag);
    ini.writeInteger(kTerminal, QStringLiteral("FontSize"), s.integer);
}

const QStringList kWrittenKeys = {"Port No", "eSearcString", "cbCR", "FontSize"};

// What a text reads as once written: a line break or zero byte cannot stay in a line.
QString AsStored(QString text) {
    static const QRegularExpression breaks(QStringLiteral("[\\r\\n\\x{0}]+"));
    return text.replace(breaks, QStringLiteral(" "));
}

void CheckWritten(const IniFile& ini, const Settings& s) {
    FUZZ_CHECK(ini.readText(kTerminal, QStringLiteral("Port No"), {}) == AsStored(s.port));
    FUZZ_CHECK(ini.readText(kTerminal, QStringLiteral("eSearcString"), {}) == AsStored(s.search));
    FUZZ_CHECK(ini.readFlag(kTerminal, QStringLiteral("cbCR"), !s.flag) == s.flag);
    FUZZ_CHECK(ini.readInteger(kTerminal, QStringLiteral("FontSize"), ~s.integer) == s.integer);
}

// Every section the file names, as a reader sees its keys and values.
using Snapshot = QList<QPair<QString, QStringList>>;

Snapshot SnapshotOf(const IniFile& ini, const QByteArray& content) {
    static const QRegularExpression header(
        QStringLiteral("^[ \\t]*\\[[ \\t]*([^\\]\\r\\n]*?)[ \\t]*\\]"),
        QRegularExpression::MultilineOption);
    QStringList sections = {QString(), QStringLiteral("PORTS")};
    const QString text = QString::fromLatin1(content);
    for (auto match = header.globalMatch(text); match.hasNext() && sections.size() < 16;) {
        // A header holding a zero byte opens no section.
        const QByteArray name = match.next().captured(1).toLatin1();
        if (!name.contains('\0'))
            sections.append(Utf8(name));
    }
    Snapshot snapshot;
    for (const QString& section : sections) {
        QStringList entries;
        for (const QString& key : ini.keys(section)) {
            // Names are trimmed when looked up, so "\f TERMINAL" is TERMINAL too.
            if (section.trimmed().compare(kTerminal, Qt::CaseInsensitive) != 0 ||
                !kWrittenKeys.contains(key.trimmed(), Qt::CaseInsensitive))
                entries << key << ini.readText(section, key, QStringLiteral("\x01missing"));
        }
        snapshot.append({section, entries});
    }
    return snapshot;
}

bool IsWrittenKeyLine(const QByteArray& line) {
    const qsizetype equals = line.indexOf('=');
    return equals > 0 &&
           kWrittenKeys.contains(Utf8(line.left(equals)).trimmed(), Qt::CaseInsensitive);
}

void CheckLinesKept(const QByteArray& original, const QByteArray& saved) {
    qsizetype from = 0;
    for (const QByteArray& line : QByteArray(original).replace('\r', '\n').split('\n')) {
        if (IsWrittenKeyLine(line))
            continue;
        const qsizetype at = saved.indexOf(line, from);
        FUZZ_CHECK(at >= from);
        from = at + line.size();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = ScratchFile(QStringLiteral("monitor.INI"));
    const QString backup = path + QStringLiteral(".bak");
    QFile::remove(backup);
    const QByteArray original(reinterpret_cast<const char*>(data), qsizetype(size));
    WriteBytes(path, original);
    const Settings settings = SettingsFrom(original);

    Snapshot before;
    {
        IniFile ini(path);
        before = SnapshotOf(ini, original);
        Write(ini, settings);
        CheckWritten(ini, settings);
        ini.save();
    }
    const QByteArray first = FileBytes(path);
    const IniFile reread(path);
    CheckWritten(reread, settings);
    FUZZ_CHECK(SnapshotOf(reread, original) == before);
    if (QFile::exists(backup))
        FUZZ_CHECK(FileBytes(backup) == original);
    // Files behind the UTF-16 mark are kept as UTF-16 text, not byte for byte.
    if (!original.startsWith("\xFF\xFE")) {
        CheckLinesKept(original, first);
        FUZZ_CHECK(QFile::exists(backup) == original.contains('\0'));
    }

    {
        IniFile again(path);
        Write(again, settings);
        again.save();
    }
    FUZZ_CHECK(FileBytes(path) == first);
    return 0;
}
