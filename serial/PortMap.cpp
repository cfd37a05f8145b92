#include "PortMap.h"

#include <QFileInfo>
#include <QSerialPortInfo>
#include <QSet>
#include <algorithm>

#include "PortName.h"

namespace {

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
        if (it.key() >= kFirstPortNumber && it.key() <= kLastPortNumber && !it.value().isEmpty())
            map_.insert(it.key(), it.value());
    }
    QStringList detected = detected_;
    std::stable_sort(detected.begin(), detected.end(), NaturalLess);
    detected.removeDuplicates();

    const QSet<QString> named = NamedDevices(map_);
    int number = kFirstPortNumber;
    for (const QString& path : detected) {
        if (named.contains(path) || named.contains(QFileInfo(path).canonicalFilePath()))
            continue;
        while (number <= kLastPortNumber && map_.contains(number))
            ++number;
        if (number > kLastPortNumber)
            break;
        map_.insert(number, path);
    }
}

QString PortMap::devicePath(int portNumber) const {
#ifdef Q_OS_WIN
    return QStringLiteral("\\\\.\\") + PortName(portNumber);
#else
    return map_.value(portNumber);
#endif
}

QList<PortMap::Entry> PortMap::entries() const {
    QList<Entry> result;
    for (auto it = map_.cbegin(); it != map_.cend(); ++it)
        result.append({PortName(it.key()), it.value()});
    return result;
}

QStringList PortMap::detectSystemDevices() {
    QStringList paths;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        paths.append(info.systemLocation());
    return paths;
}
