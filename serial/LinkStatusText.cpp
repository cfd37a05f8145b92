#include "LinkStatusText.h"

#include <QStringList>

#include "LineSettingsText.h"
#include "Plovikserialgps.h"

namespace {

const QString kDash = QStringLiteral(" \u2014 ");

QString PortName(const TPlovikSerialGPS& link) {
    return QStringLiteral("COM%1").arg(link.PortNumber);
}

QString FailureText(const TPlovikSerialGPS& link) {
    const SerialFailure& failure = link.OpenFailure;
    switch (failure.kind) {
        case SerialFailure::Kind::NotMapped:
            return QStringLiteral("no device is mapped to ") + PortName(link);
        case SerialFailure::Kind::Missing:
            return QStringLiteral("no device at ") + link.Device.path;
        case SerialFailure::Kind::AccessDenied:
#ifdef Q_OS_LINUX
            return failure.text + kDash +
                   QStringLiteral(
                       "add your user to the dialout group (sudo usermod -aG dialout "
                       "$USER) and log in again");
#else
            return failure.text;
#endif
        case SerialFailure::Kind::Busy:
            return failure.text + kDash + QStringLiteral("held by ") +
                   (failure.holder.isEmpty() ? QStringLiteral("another program") : failure.holder);
        case SerialFailure::Kind::SettingRefused:
            return QStringLiteral("the device does not hold ") + failure.setting;
        case SerialFailure::Kind::HungUp:
            return QStringLiteral("device gone");
        case SerialFailure::Kind::None:
        case SerialFailure::Kind::Other:
            break;
    }
    return failure.text;
}

}  // namespace

QString LinkDeviceText(const TPlovikSerialGPS& link) {
    if (link.Device.path.isEmpty())
        return PortName(link);
    QStringList about;
    if (!link.Device.description.isEmpty())
        about << link.Device.description;
    if (!link.Device.serialNumber.isEmpty())
        about << QStringLiteral("serial ") + link.Device.serialNumber;
    QString text = PortName(link) + QStringLiteral(" \u00b7 ") + link.Device.path;
    if (!about.isEmpty())
        text += QStringLiteral(" (") + about.join(QStringLiteral(", ")) + u')';
    return text;
}

QString LinkSettingsText(const TPlovikSerialGPS& link) {
    return link.Connected ? LineSettingsText(link.SettingsInForce) : QString();
}

QString LinkStateText(const TPlovikSerialGPS& link) {
    using Kind = SerialFailure::Kind;
    const Kind kind = link.OpenFailure.kind;
    switch (link.LinkState) {
        case TLinkState::Open:
            return QStringLiteral("open");
        case TLinkState::WaitingForDevice: {
            QString text = QStringLiteral("device gone") + kDash +
                           QStringLiteral("waiting for it to come back");
            // It is there again, but the last try to open it failed for a reason of its own.
            if (kind != Kind::HungUp && kind != Kind::Missing)
                text += QStringLiteral(" (") + FailureText(link) + u')';
            return text;
        }
        case TLinkState::Closed:
            break;
    }
    if (kind == Kind::None || kind == Kind::HungUp)
        return QStringLiteral("not open");
    return QStringLiteral("not open: ") + FailureText(link);
}
