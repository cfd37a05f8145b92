#include "Transmit.h"

QString LineEnding(bool cr, bool lf) {
    QString ending;
    if (cr)
        ending += QLatin1Char('\r');
    if (lf)
        ending += QLatin1Char('\n');
    return ending;
}

QString TransmitMessage(const QString& text, bool cr, bool lf) {
    return text + LineEnding(cr, lf);
}

QByteArray TransmitBytes(const QString& message) {
    return message.toLocal8Bit();
}

QStringList Broadcast(bool connected, const QString& text, bool cr, bool lf,
                      const SendBytes& send) {
    if (!connected)
        return {QLatin1String(kNotConnectedLine)};
    const bool sent = send(TransmitBytes(TransmitMessage(text, cr, lf)));
    QStringList lines = {text};
    if (!sent)
        lines.append(QLatin1String(kSendFailedLine));
    return lines;
}
