#pragma once

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <QString>

#include "SerialLayer.h"

// Holds a device node exclusively for as long as it lives. The terminal's exclusive mode, which Qt
// sets, does not stop root, and Qt's lock file is named after the path, so a link to the same
// device would slip past it. An advisory lock on the node binds every process, every open within
// this one and every path that leads to the node; the system drops it when a holder dies.
class ExclusiveHold {
public:
    ExclusiveHold() = default;
    ExclusiveHold(const ExclusiveHold&) = delete;
    ExclusiveHold& operator=(const ExclusiveHold&) = delete;
    ~ExclusiveHold() { release(); }

    // On failure says why; when another holder has the device, also who it is where the system
    // tells.
    bool acquire(const QString& location, SerialFailure& failure);
    void release();
    int fd() const { return fd_; }

private:
    int fd_ = -1;
};
#endif
