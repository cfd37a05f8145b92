// The character format in a terminal's control flags: what a UART can hold, which setting a driver
// left out, and how the settings read.
#include <gtest/gtest.h>

#include "CharacterFormat.h"
#include "LineSettingsText.h"

namespace {

using P = LineSettings::Parity;
using S = LineSettings::StopBits;

LineSettings Format(int dataBits, P parity, S stopBits) {
    LineSettings settings;
    settings.dataBits = dataBits;
    settings.parity = parity;
    settings.stopBits = stopBits;
    return settings;
}

}  // namespace

TEST(CharacterFormat, AUartMakesOneAndAHalfStopBitsOnlyWithFiveDataBits) {
    const struct {
        int dataBits;
        S stopBits;
        const char* refused;
    } cases[] = {
        {5, S::OneAndHalf, ""},
        {5, S::Two, "2 stop bits"},
        {5, S::One, ""},
        {6, S::OneAndHalf, "1.5 stop bits"},
        {8, S::OneAndHalf, "1.5 stop bits"},
        {8, S::Two, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UartRefusal(Format(c.dataBits, P::None, c.stopBits)), c.refused)
            << c.dataBits << " data bits";
    }
}

// A driver that quietly keeps something else must be caught, and the setting named.
TEST(CharacterFormat, TheSettingTheFlagsDoNotCarryIsNamed) {
    const struct {
        LineSettings wanted;
        tcflag_t held;
        const char* unheld;
    } cases[] = {
        {Format(7, P::Even, S::One), CS8, "7 data bits"},
        {Format(8, P::Even, S::One), CS8, "even parity"},
        {Format(8, P::Odd, S::One), CS8 | PARENB, "odd parity"},
        {Format(8, P::Space, S::One), CS8 | PARENB | PARODD | CMSPAR, "space parity"},
        {Format(8, P::None, S::Two), CS8, "2 stop bits"},
        {Format(8, P::None, S::One), CS8 | CSTOPB, "1 stop bit"},
        {Format(8, P::None, S::One), CS8 | PARODD | CMSPAR, ""},  // meaningless without parity
        {Format(5, P::Mark, S::OneAndHalf), CS5 | PARENB | PARODD | CMSPAR | CSTOPB, ""},
        {Format(7, P::Even, S::Two), CS7 | PARENB | CSTOPB | CREAD | CLOCAL, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UnheldSetting(c.wanted, c.held), c.unheld)
            << LineSettingsText(c.wanted).toStdString();
    }
}

// What the flags carry reads back as the settings that made them, and shows as a user writes it.
TEST(CharacterFormat, SettingsReadBackFromTheFlagsTheyMake) {
    const struct {
        LineSettings settings;
        const char* text;
    } cases[] = {
        {Format(8, P::None, S::One), "9600 8N1"},          {Format(7, P::Even, S::Two), "9600 7E2"},
        {Format(5, P::Mark, S::OneAndHalf), "9600 5M1.5"}, {Format(6, P::Odd, S::One), "9600 6O1"},
        {Format(8, P::Space, S::Two), "9600 8S2"},
    };
    for (const auto& c : cases) {
        tcflag_t relevant = 0;
        LineSettings read;
        ReadCharacterFormat(CharacterFormatFlags(c.settings, relevant) | CREAD, read);
        EXPECT_EQ(LineSettingsText(read), c.text);
    }
}
