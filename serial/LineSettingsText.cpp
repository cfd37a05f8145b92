#include "LineSettingsText.h"

namespace {

QString StopBitsNumber(LineSettings::StopBits stopBits) {
    switch (stopBits) {
        case LineSettings::StopBits::OneAndHalf:
            return QStringLiteral("1.5");
        case LineSettings::StopBits::Two:
            return QStringLiteral("2");
        case LineSettings::StopBits::One:
            break;
    }
    return QStringLiteral("1");
}

QString ParityWord(LineSettings::Parity parity) {
    switch (parity) {
        case LineSettings::Parity::Odd:
            return QStringLiteral("odd");
        case LineSettings::Parity::Even:
            return QStringLiteral("even");
        case LineSettings::Parity::Mark:
            return QStringLiteral("mark");
        case LineSettings::Parity::Space:
            return QStringLiteral("space");
        case LineSettings::Parity::None:
            break;
    }
    return QStringLiteral("no");
}

}  // namespace

QString LineSettingsText(const LineSettings& settings) {
    // The parity letter is the first letter of its word: N, O, E, M, S.
    const QChar parity = ParityWord(settings.parity).front().toUpper();
    return QStringLiteral("%1 %2%3%4")
        .arg(settings.baudRate)
        .arg(settings.dataBits)
        .arg(parity)
        .arg(StopBitsNumber(settings.stopBits));
}

QString DataBitsText(int dataBits) {
    return QStringLiteral("%1 data bits").arg(dataBits);
}

QString ParityText(LineSettings::Parity parity) {
    return ParityWord(parity) + QStringLiteral(" parity");
}

QString StopBitsText(LineSettings::StopBits stopBits) {
    const QString number = StopBitsNumber(stopBits);
    return number + (stopBits == LineSettings::StopBits::One ? QStringLiteral(" stop bit")
                                                             : QStringLiteral(" stop bits"));
}

QString BaudText(qint32 baudRate) {
    return QStringLiteral("%1 baud").arg(baudRate);
}
