#pragma once

#include <QString>

#include "SerialLayer.h"

// Line settings in the words a user reads them in.

// "19200 8N1", "9600 7E2", "300 5N1.5": speed, data bits, parity letter, stop bits.
QString LineSettingsText(const LineSettings& settings);

// One setting, as in "the device does not hold 7 data bits": "7 data bits", "even parity",
// "1.5 stop bits", "1 stop bit", "250000 baud".
QString DataBitsText(int dataBits);
QString ParityText(LineSettings::Parity parity);
QString StopBitsText(LineSettings::StopBits stopBits);
QString BaudText(qint32 baudRate);
