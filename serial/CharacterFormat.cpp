#include "CharacterFormat.h"

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#ifdef Q_OS_LINUX
#include <sys/sysmacros.h>
#endif

#include "LineSettingsText.h"

namespace {

constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
constexpr tcflag_t kParityFlags = PARENB | PARODD | CMSPAR;

tcflag_t ParityFlags(LineSettings::Parity parity) {
    switch (parity) {
        case LineSettings::Parity::Odd:
            return PARENB | PARODD;
        case LineSettings::Parity::Even:
            return PARENB;
        case LineSettings::Parity::Mark:
            return PARENB | PARODD | CMSPAR;
        case LineSettings::Parity::Space:
            return PARENB | CMSPAR;
        case LineSettings::Parity::None:
            break;
    }
    return 0;
}

LineSettings::Parity ParityOf(tcflag_t flags) {
    using P = LineSettings::Parity;
    for (const P parity : {P::Odd, P::Even, P::Mark, P::Space}) {
        if ((flags & kParityFlags) == ParityFlags(parity))
            return parity;
    }
    return P::None;
}

}  // namespace

bool IsPseudoTerminal(int fd) {
#ifdef Q_OS_LINUX
    // The device numbers are fixed by the kernel: 136 to 143 for pseudo-terminal devices, 3 for
    // the old BSD-style ones.
    struct stat node {};
    if (fstat(fd, &node) != 0 || !S_ISCHR(node.st_mode))
        return false;
    const unsigned int kind = major(node.st_rdev);
    return (kind >= 136 && kind <= 143) || kind == 3;
#else
    Q_UNUSED(fd);
    return false;
#endif
}

QString UartRefusal(const LineSettings& settings) {
    const bool fiveBits = settings.dataBits == 5;
    if (settings.stopBits == LineSettings::StopBits::OneAndHalf && !fiveBits)
        return StopBitsText(settings.stopBits);
    if (settings.stopBits == LineSettings::StopBits::Two && fiveBits)
        return StopBitsText(settings.stopBits);
    return {};
}

tcflag_t CharacterFormatFlags(const LineSettings& settings, tcflag_t& relevant) {
    tcflag_t flags = kSizes[settings.dataBits - 5] | ParityFlags(settings.parity);
    relevant =
        CSIZE | CSTOPB | (settings.parity == LineSettings::Parity::None ? PARENB : kParityFlags);
    if (settings.stopBits != LineSettings::StopBits::One)
        flags |= CSTOPB;
    return flags;
}

QString UnheldSetting(const LineSettings& wanted, tcflag_t flags) {
    tcflag_t relevant = 0;
    const tcflag_t want = CharacterFormatFlags(wanted, relevant);
    const tcflag_t differ = (flags ^ want) & relevant;
    if (differ & CSIZE)
        return DataBitsText(wanted.dataBits);
    if (differ & kParityFlags)
        return ParityText(wanted.parity);
    if (differ & CSTOPB)
        return StopBitsText(wanted.stopBits);
    return {};
}

void ReadCharacterFormat(tcflag_t flags, LineSettings& settings) {
    for (int i = 0; i < 4; ++i) {
        if ((flags & CSIZE) == kSizes[i])
            settings.dataBits = 5 + i;
    }
    settings.parity = ParityOf(flags);
    settings.parityChecking = settings.parity != LineSettings::Parity::None;
    if (!(flags & CSTOPB))
        settings.stopBits = LineSettings::StopBits::One;
    else if (settings.dataBits == 5)
        settings.stopBits = LineSettings::StopBits::OneAndHalf;
    else
        settings.stopBits = LineSettings::StopBits::Two;
}
#endif
