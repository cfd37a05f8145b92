#pragma once

#include <QByteArray>
#include <QString>
#include <array>

// The text and check boxes of one click of "Broadcast", and exactly the bytes the device gets.
struct TransmitCase {
    QString text;
    bool cr, lf;
    QByteArray bytes;
};

// The four endings, and the empty text with both boxes checked.
inline const std::array<TransmitCase, 5> kTransmitCases = {{
    {"ping", false, false, "ping"},
    {"ping", true, false, "ping\r"},
    {"ping", false, true, "ping\n"},
    {"ping", true, true, "ping\r\n"},
    {"", true, true, "\x0D\x0A"},
}};
