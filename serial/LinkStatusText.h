#pragma once

#include <QString>

class TPlovikSerialGPS;

// What a status line says about a component's link, in plain words.

// "COM3 · /dev/ttyUSB0 (FT232R USB UART, serial A50285BI)", or "COM5" when it has no device.
QString LinkDeviceText(const TPlovikSerialGPS& link);
// The settings in force while open, "19200 8N1"; empty otherwise.
QString LinkSettingsText(const TPlovikSerialGPS& link);
// "open", "not open: <why and what to do>", "device gone — waiting for it to come back".
QString LinkStateText(const TPlovikSerialGPS& link);
