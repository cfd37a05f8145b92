#include "SystemFailure.h"

#include <cerrno>
#include <system_error>

QString SystemErrorText(int code) {
    return QString::fromStdString(std::generic_category().message(code));
}

SerialFailure SystemFailure(int code) {
    using Kind = SerialFailure::Kind;
    switch (code) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return {Kind::Missing, SystemErrorText(code)};
        case EACCES:
        case EPERM:
            return {Kind::AccessDenied, SystemErrorText(code)};
        case EBUSY:
            return {Kind::Busy, SystemErrorText(code)};
        default:
            return {Kind::Other, SystemErrorText(code)};
    }
}

SerialFailure RefusedSetting(const QString& setting, int code) {
    return {SerialFailure::Kind::SettingRefused, SystemErrorText(code), {}, setting};
}
