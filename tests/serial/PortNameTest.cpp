// The order of the port list.
#include <gtest/gtest.h>

#include "PortName.h"

TEST(PortOrder, SortsByNumberWithOtherNamesFirstAndStable) {
    const struct {
        QStringList given;
        QStringList expected;
    } cases[] = {
        {{"COM10", "COM3", "COM1"}, {"COM1", "COM3", "COM10"}},
        {{"COM3", "COM1", "COM10"}, {"COM1", "COM3", "COM10"}},
        {{"COM1", "COM10", "COM3"}, {"COM1", "COM3", "COM10"}},
        {{"COM2", "ttyUSB0", "COM1"}, {"ttyUSB0", "COM1", "COM2"}},
        {{"COM2", "b", "a", "COM1"}, {"b", "a", "COM1", "COM2"}},
        {{"COMx", "com4", "COM0", "COM2"}, {"COMx", "com4", "COM0", "COM2"}},
        {{}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SortedPortNames(c.given), c.expected) << c.given.join(' ').toStdString();
}
