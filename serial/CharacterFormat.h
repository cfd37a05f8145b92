#pragma once

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <termios.h>

#include <QString>

#include "SerialLayer.h"

// The character format (data bits, parity, stop bits) in a terminal's control flags.

// Whether the terminal open as fd is a pseudo-terminal, whatever path led to it. A pseudo-terminal
// carries bytes, not characters on a wire: it has no character format, and the kernel puts 8 data
// bits without parity in place of whatever is asked.
bool IsPseudoTerminal(int fd);

// The setting a UART cannot hold together with the others, or empty. Its two-stop-bit flag gives
// 1.5 stop bits with 5 data bits, so "1.5" goes only with "5", and "2" never does.
QString UartRefusal(const LineSettings& settings);

// The control flags that carry the format, and in relevant which flags to compare: without parity
// the odd and mark/space flags mean nothing.
tcflag_t CharacterFormatFlags(const LineSettings& settings, tcflag_t& relevant);

// The first setting of the format the control flags do not carry, or empty when they carry all.
QString UnheldSetting(const LineSettings& wanted, tcflag_t flags);

// Data bits, parity and stop bits as the control flags carry them.
void ReadCharacterFormat(tcflag_t flags, LineSettings& settings);
#endif
