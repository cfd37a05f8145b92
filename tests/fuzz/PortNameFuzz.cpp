// Port names and the natural order of device paths. The input is a port name and up to three
// device paths, one a line. Rules: any name gives a port number in 1..20, and "COMn" gives n back;
// the natural order is a strict weak ordering, and the port map lists detected devices in it.
#include <cstdint>

#include "FuzzSupport.h"
#include "Plovikserialgps.h"
#include "PortMap.h"
#include "PortName.h"

namespace {

QStringList MappedDevices(const QStringList& detected) {
    PortMap map;
    map.setDetectedDevices(detected);
    QStringList devices;
    for (const PortMap::Entry& entry : map.entries())
        devices.append(entry.devicePath);
    return devices;
}

bool Before(const QString& a, const QString& b) {
    return NaturalLess(a, b);
}

bool Equivalent(const QString& a, const QString& b) {
    return !Before(a, b) && !Before(b, a);
}

void CheckPortNumber(const QByteArray& name) {
    const qint32 number = TPlovikSerialGPS::PortNumberFromName(name);
    FUZZ_CHECK(number >= kFirstPortNumber && number <= kLastPortNumber);
    FUZZ_CHECK(TPlovikSerialGPS::PortNumberFromName(PortName(number).toLatin1()) == number);
    FUZZ_CHECK(TPlovikSerialGPS::PortNumberFromName(name.toLower()) == number);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<QByteArray> parts = input.split('\n');
    CheckPortNumber(parts.first());

    QStringList paths;
    for (qsizetype i = 1; i < parts.size() && paths.size() < 3; ++i)
        paths.append(QString::fromUtf8(parts[i]));
    for (const QString& a : paths) {
        for (const QString& b : paths) {
            FUZZ_CHECK(!(Before(a, b) && Before(b, a)));
            for (const QString& c : paths) {
                if (Before(a, b) && Before(b, c))
                    FUZZ_CHECK(Before(a, c));
                if (Equivalent(a, b) && Equivalent(b, c))
                    FUZZ_CHECK(Equivalent(a, c));
            }
        }
    }
    const QStringList mapped = MappedDevices(paths);
    for (qsizetype i = 0; i < mapped.size(); ++i) {
        for (qsizetype j = i + 1; j < mapped.size(); ++j)
            FUZZ_CHECK(!Before(mapped[j], mapped[i]));
    }
    return 0;
}
