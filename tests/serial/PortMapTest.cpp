// The numbering rule of the port map: explicit entries first, then detected devices in natural
// order of their paths on the lowest free numbers up to 20.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "PortMap.h"

namespace {

// The map as "COMn=path" texts, ordered by number.
QStringList Listing(const PortMap& map) {
    QStringList listing;
    for (const PortMap::Entry& entry : map.entries())
        listing << entry.name + "=" + entry.devicePath;
    return listing;
}

QStringList Devices(const QString& prefix, int count) {
    QStringList devices;
    for (int i = 0; i < count; ++i)
        devices << prefix + QString::number(i);
    return devices;
}

}  // namespace

TEST(PortMap, NumbersDetectedDevicesInNaturalOrder) {
    const struct {
        const char* what;
        QMap<int, QString> explicitEntries;
        QStringList detected;
        QStringList expected;
    } cases[] = {
        {"nothing", {}, {}, {}},
        {"natural order",
         {},
         {"/dev/ttyUSB10", "/dev/ttyS0", "/dev/ttyUSB2", "/dev/ttyACM1", "/dev/ttyACM0"},
         {"COM1=/dev/ttyACM0", "COM2=/dev/ttyACM1", "COM3=/dev/ttyS0", "COM4=/dev/ttyUSB2",
          "COM5=/dev/ttyUSB10"}},
        {"numbers beyond any integer",
         {},
         {"/dev/ttyX100000000000000000001", "/dev/ttyX99999999999999999999", "/dev/ttyX007"},
         {"COM1=/dev/ttyX007", "COM2=/dev/ttyX99999999999999999999",
          "COM3=/dev/ttyX100000000000000000001"}},
        {"explicit entries first, detected on the free numbers",
         {{2, "/dev/ttyUSB0"}, {4, "/tmp/ttyV0"}},
         {"/dev/ttyS1", "/dev/ttyUSB0", "/dev/ttyS0", "/dev/ttyACM0"},
         {"COM1=/dev/ttyACM0", "COM2=/dev/ttyUSB0", "COM3=/dev/ttyS0", "COM4=/tmp/ttyV0",
          "COM5=/dev/ttyS1"}},
        {"explicit entries outside 1..20 or empty are ignored",
         {{0, "/dev/ttyA"}, {21, "/dev/ttyB"}, {3, ""}, {20, "/dev/ttyC"}},
         {"/dev/ttyS0"},
         {"COM1=/dev/ttyS0", "COM20=/dev/ttyC"}},
        {"a device reported twice is listed once",
         {},
         {"/dev/ttyS0", "/dev/ttyS0", "/dev/ttyS1"},
         {"COM1=/dev/ttyS0", "COM2=/dev/ttyS1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PortMap map;
        map.setExplicitEntries(c.explicitEntries);
        map.setDetectedDevices(c.detected);
        EXPECT_EQ(Listing(map), c.expected);
    }
}

TEST(PortMap, DevicesBeyondTheTwentiethAreLeftOut) {
    PortMap map;
    map.setDetectedDevices(Devices("/dev/ttyUSB", 25));
    const QList<PortMap::Entry> entries = map.entries();
    ASSERT_EQ(entries.size(), 20);
    EXPECT_EQ(entries.first().name, "COM1");
    EXPECT_EQ(entries.last().name, "COM20");
    EXPECT_EQ(map.devicePath(20), "/dev/ttyUSB19");
    EXPECT_EQ(map.devicePath(21), "");

    map.setExplicitEntries({{1, "/dev/ttyACM0"}, {20, "/dev/ttyACM1"}});
    EXPECT_EQ(map.devicePath(2), "/dev/ttyUSB0");
    EXPECT_EQ(map.devicePath(19), "/dev/ttyUSB17");
    EXPECT_EQ(map.devicePath(20), "/dev/ttyACM1");
    EXPECT_EQ(map.entries().size(), 20);
}

TEST(PortMap, UnmappedNumberHasNoDevice) {
    PortMap map;
    map.setExplicitEntries({{5, "/dev/ttyS4"}});
    EXPECT_EQ(map.devicePath(5), "/dev/ttyS4");
    for (const int number : {0, 1, 4, 6, 20, 21, -1})
        EXPECT_EQ(map.devicePath(number), "") << number;
}

// An explicit entry that is a link names the device behind it, which then gets no second number.
TEST(PortMap, DeviceNamedThroughALinkIsNotNumberedAgain) {
    QTemporaryDir folder;
    const QString device = folder.filePath("ttyReal0");
    const QString other = folder.filePath("ttyReal1");
    const QString link = folder.filePath("byId");
    for (const QString& path : {device, other}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QFile::link(device, link));

    PortMap map;
    map.setExplicitEntries({{5, link}});
    map.setDetectedDevices({other, device});
    EXPECT_EQ(Listing(map), (QStringList{"COM1=" + other, "COM5=" + link}));
}
