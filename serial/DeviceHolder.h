#pragma once

#include <QString>

// Who holds a serial device, as "<program> (<pid>)", or empty when the system does not tell: the
// lock files that serial programs leave in the lock folder name a process, and the process table
// shows every process of this user (all of them to root) that has the device open.
QString DeviceHolder(const QString& location);
