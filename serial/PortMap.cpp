#include "PortMap.h"

#include <QCollator>
#include <QSerialPortInfo>
#include <algorithm>

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
    QCollator natural;
    natural.setNumericMode(true);
    std::sort(detected.begin(), detected.end(), natural);
    detected.removeDuplicates();

    const QList<QString> taken = map_.values();
    int number = kFirstPort;
    for (const QString& path : detected) {
        if (taken.contains(path)) continue;
        while (number <= kLastPort && map_.contains(number)) ++number;
        if (number > kLastPort) break;
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
