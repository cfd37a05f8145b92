#pragma once

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <QDeadlineTimer>

#include "SerialLayer.h"

// Calls on a terminal's descriptor that Qt SerialPort has no way to make.

// Writes straight to the driver so that nothing is left queued in Qt to go out after the deadline.
// Returns the count the driver took, or -1 when it took nothing and refused.
qint64 WriteWithin(int fd, const char* data, qint64 size, const QDeadlineTimer& deadline,
                   SerialFailure& failure);

// Whether the device is gone: a terminal that has hung up (its adapter pulled out, the far end of
// a pseudo-terminal closed) reads as end of file and polls readable for ever.
bool HasHungUp(int fd);

// Whether the driver holds bytes or a hang-up. Polling (not counting) hands the terminal what is
// still on its way in the kernel, so bytes written a moment ago are seen; a failing poll counts as
// news, which the caller's next read reports.
bool HasNews(int fd);
#endif
