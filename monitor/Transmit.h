#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

// What the Transmit group sends and what it writes into the terminal. No window involved.

inline constexpr char kNotConnectedLine[] = "Error: Not connected to COM port";
inline constexpr char kSendFailedLine[] = "Error: Send to COM port failed";

// The line ending the two check boxes choose: none, "\r", "\n" or "\r\n" (never "\n\r").
QString LineEnding(bool cr, bool lf);

// The message: the typed text followed by its ending.
QString TransmitMessage(const QString& text, bool cr, bool lf);

// The message as it goes to the port: 8-bit text through the locale's encoding.
QByteArray TransmitBytes(const QString& message);

// Writes bytes to the port; true when every byte went out.
using SendBytes = std::function<bool(const QByteArray& bytes)>;

// One click of "Broadcast": when connected the message is handed to send once. Returns the lines
// to append to the terminal, in order: the not-connected line, or the echo followed by the failure
// line when send did not write everything. The echo is one terminal line, so the ending shows as
// the line break itself and is not drawn.
QStringList Broadcast(bool connected, const QString& text, bool cr, bool lf, const SendBytes& send);
