#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

// Port names "COMn" with n in 1..20, and the orders the program lists ports and devices in.

inline constexpr int kFirstPortNumber = 1;
inline constexpr int kLastPortNumber = 20;

// "COMn".
QString PortName(int number);

// The port a name stands for: n of "COMn" or of a bare "n", letter case ignored, kept to 1..20;
// 1 when no number follows.
int PortNumberFromName(QStringView name);

// n of a name that is exactly "COMn" (letter case ignored, n in decimal digits); empty otherwise.
std::optional<int> ExactPortNumber(QStringView name);

// The order of the port list: by n of names that begin with "COM" in capitals, any other name
// counting 0, as does a "COM" followed by no number; names of equal numbers keep their order.
QStringList SortedPortNames(QStringList names);

// Natural order of device paths, the same in every locale: runs of digits compare by their value
// (ttyUSB2 before ttyUSB10), everything else character by character.
bool NaturalLess(const QString& a, const QString& b);
