#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>

// Turns a port number n (the port "COMn", n in 1..20) into the path of a device.
//
// Explicit entries given by the owner come first (any path, a pseudo-terminal or a link to one
// included). Every detected serial device that no explicit entry names, directly or through a link,
// then takes the lowest free number, in natural order of its path (ttyACM0, ttyACM1, ttyS0,
// ttyUSB2, ttyUSB10); devices beyond the twentieth are left out.
class PortMap {
public:
    struct Entry {
        QString name;        // "COMn"
        QString devicePath;  // what Open opens
    };

    PortMap() = default;

    void setExplicitEntries(const QMap<int, QString>& pathByNumber);
    void setDetectedDevices(const QStringList& devicePaths);

    // The device of port n; empty when nothing is mapped to it.
    QString devicePath(int portNumber) const;
    // Every mapped port, ordered by number.
    QList<Entry> entries() const;

    // Device paths of the serial devices this machine reports.
    static QStringList detectSystemDevices();

private:
    void rebuild();

    QMap<int, QString> explicit_;
    QStringList detected_;
    QMap<int, QString> map_;
};
