#pragma once

#include <QString>

#include "SerialLayer.h"

// The system's words for an error number: "Permission denied", "Device or resource busy".
QString SystemErrorText(int code);

// A failure of a system call on a device, told apart by its error number.
SerialFailure SystemFailure(int code);

// A line setting the device does not hold; the reason is the system's words for the code.
SerialFailure RefusedSetting(const QString& setting, int code);
