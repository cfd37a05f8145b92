#include "PortMap.h"

#include <QFileInfo>
#include <QSerialPortInfo>
#include <QSet>
#include <algorithm>

namespace {

bool IsAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// Compares two runs of digits by their value, however long they are.
int CompareNumbers(QStringView a, QStringView b) {
    while (a.size() > 1 && a.front() == u'0')
        a = a.mid(1);
    while (b.size() > 1 && b.front() == u'0')
        b = b.mid(1);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

QStringView DigitRun(const QString& text, qsizetype& position) {
    const qsizetype start = position;
    while (position < text.size() && IsAsciiDigit(text[position]))
        ++position;
    return QStringView(text).mid(start, position - start);
}

// Natural order, the same in every locale: runs of digits compare by value (ttyUSB2 before
// ttyUSB10), everything else character by character.
bool NaturalLess(const QString& a, const QString& b) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsAsciiDigit(a[i]) && IsAsciiDigit(b[j])) {
            const int order = CompareNumbers(DigitRun(a, i), DigitRun(b, j));
            if (order != 0)
                return order < 0;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j];
        ++i;
        ++j;
    }
    return i == a.size() && j < b.size();
}

// Every way the explicit entries name a device: as written and, for links, the device behind them.
QSet<QString> NamedDevices(const QMap<int, QString>& entries) {
    QSet<QString> named;
    for (const QString& path : entries) {
        named.insert(path);
        const QString target = QFileInfo(path).canonicalFilePath();
        if (!target.isEmpty())
            named.insert(target);
    }
    return named;
}

}  // namespace

void PortMap::setExplicitEntries(const QMap<int, QString>& pathByNumber) {
    explicit_ = pathByNumber;
    rebuild();
}

void PortMap::setDetectedDevices(const QStringList& devicePaths) {
    detected_ = devicePaths;
    rebuild();
}

void PortMap::rebuild() {
    map_.clear();
    for (auto it = explicit_.cbegin(); it != explicit_.cend(); ++it) {
        if (it.key() >= kFirstPort && it.key() <= kLastPort && !it.value().isEmpty())
            map_.insert(it.key(), it.value());
    }
    QStringList detected = detected_;
    std::stable_sort(detected.begin(), detected.end(), NaturalLess);
    detected.removeDuplicates();

    const QSet<QString> named = NamedDevices(map_);
    int number = kFirstPort;
    for (const QString& path : detected) {
        if (named.contains(path) || named.contains(QFileInfo(path).canonicalFilePath()))
            continue;
        while (number <= kLastPort && map_.contains(number))
            ++number;
        if (number > kLastPort)
            break;
        map_.insert(number, path);
    }
}

QString PortMap::devicePath(int portNumber) const {
#ifdef Q_OS_WIN
    return QStringLiteral("\\\\.\\COM%1").arg(portNumber);
#else
    return map_.value(portNumber);
#endif
}

QList<PortMap::Entry> PortMap::entries() const {
    QList<Entry> result;
    for (auto it = map_.cbegin(); it != map_.cend(); ++it)
        result.append({QStringLiteral("COM%1").arg(it.key()), it.value()});
    return result;
}

QStringList PortMap::detectSystemDevices() {
    QStringList paths;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        paths.append(info.systemLocation());
    return paths;
}
