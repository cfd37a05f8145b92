// The main window's Transmit group: one click sends the typed text and echoes it.
#include <QCheckBox>
#include <QLineEdit>

#include "Transmit.h"
#include "Uzivizovor.h"

void TfZIVizovor::Button1Click() {
    const QStringList lines =
        Broadcast(zSerial->Connected, eBroadcast->text(), cbCR->isChecked(), cbLF->isChecked(),
                  [this](const QByteArray& bytes) { return zSerial->Send(bytes); });
    // The way received lines take, so they keep their order with them; but neither the pause, the
    // search string nor the time stamp apply.
    for (const QString& line : lines)
        mTerminal->appendLine(line);
}
