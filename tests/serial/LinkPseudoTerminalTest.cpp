// The component on the production serial layer, with a real pseudo-terminal as its device and
// stepped time driving its timers.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "PtyLink.h"

// The codes as the window sets them, and what the terminal must hold afterwards. A kernel whose
// pseudo-terminals keep 8 data bits without parity puts that in place of the format asked for, and
// the port opens all the same, telling the format in force.
TEST(LinkPseudoTerminal, OpenAppliesTheLineSettingsToTheDevice) {
    const struct {
        qint32 baud, dataBitsCode, parityCode, stopBitsCode;
        speed_t speed;
        tcflag_t size, parityFlags;
        bool twoStopBits;
    } cases[] = {
        {9600, 4, 0, 1, B9600, CS8, 0, false},
        {115200, 4, 0, 3, B115200, CS8, 0, true},
        {57600, 4, 0, 0, B57600, CS8, 0, false},
        {19200, 3, 2, 3, B19200, CS7, PARENB, true},
        {4800, 4, 1, 1, B4800, CS8, PARENB | PARODD, false},
        {2400, 1, 4, 1, B2400, CS5, PARENB | CMSPAR, false},
    };
    PseudoTerminal pty;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.baud);
        PtyLink link(pty.devicePath());
        link.gps.Baud = c.baud;
        link.gps.DataBitsCode = c.dataBitsCode;
        link.gps.ParityCode = c.parityCode;
        link.gps.StopBitsCode = c.stopBitsCode;
        link.gps.DtrEnabled = true;  // a pseudo-terminal cannot, and that alone is no failure
        link.gps.Open();
        ASSERT_TRUE(link.gps.Connected) << qPrintable(link.gps.OpenError);
        EXPECT_EQ(link.events, QStringList{"open 7"});
        const termios seen = pty.deviceAttributes();
        EXPECT_EQ(cfgetospeed(&seen), c.speed);
        EXPECT_EQ((seen.c_cflag & CSTOPB) != 0, c.twoStopBits);
        EXPECT_EQ(seen.c_iflag & (IXON | IXOFF), 0u);
        EXPECT_EQ(seen.c_cflag & CRTSCTS, 0u);
        const LineSettings& inForce = link.gps.SettingsInForce;
        EXPECT_EQ(inForce.baudRate, c.baud);
        if (!PseudoTerminal::takesCharacterFormat(c.size, c.parityFlags)) {
            EXPECT_EQ(inForce.dataBits, 8);
            EXPECT_EQ(inForce.parity, LineSettings::Parity::None);
            continue;
        }
        EXPECT_EQ(seen.c_cflag & CSIZE, c.size);
        const tcflag_t parityMask = c.parityFlags ? PARENB | PARODD | CMSPAR : PARENB;
        EXPECT_EQ(seen.c_cflag & parityMask, c.parityFlags);
        EXPECT_EQ(inForce.dataBits, c.dataBitsCode + 4);
    }
}

TEST(LinkPseudoTerminal, RefusedSettingFailsOpenAndReleasesTheDevice) {
    PseudoTerminal pty;
    PtyLink link(pty.devicePath());
    link.gps.DataBitsCode = 0;  // 4 data bits: no terminal has them
    link.gps.Open();
    EXPECT_FALSE(link.gps.Connected);
    EXPECT_EQ(link.gps.OpenFailure.kind, SerialFailure::Kind::SettingRefused);
    EXPECT_EQ(link.gps.OpenFailure.setting, "4 data bits");
    EXPECT_EQ(link.gps.OpenError, "Invalid argument");
    EXPECT_TRUE(link.events.isEmpty());
    PtyLink other(pty.devicePath());
    other.gps.Open();
    EXPECT_TRUE(other.gps.Connected) << qPrintable(other.gps.OpenError);
}

TEST(LinkPseudoTerminal, SendDeliversExactlyTheBytes) {
    PseudoTerminal pty;
    PtyLink link(pty.devicePath());
    link.gps.Open();
    ASSERT_TRUE(link.gps.Connected) << qPrintable(link.gps.OpenError);
    EXPECT_TRUE(link.gps.Send("AT"));
    EXPECT_EQ(pty.read(), "AT");
    EXPECT_EQ(pty.read(200), "");
    // 17 and 19 are XON and XOFF to a terminal with software flow control.
    EXPECT_TRUE(link.gps.Send("\x11\x13"));
    EXPECT_EQ(pty.read(), "\x11\x13");
}

TEST(LinkPseudoTerminal, ReceivedLineKeepsFlowControlBytes) {
    PseudoTerminal pty;
    PtyLink link(pty.devicePath());
    link.gps.Open();
    ASSERT_TRUE(link.gps.Connected) << qPrintable(link.gps.OpenError);
    ASSERT_TRUE(
        pty.write("a\x13"
                  "b\x11"
                  "c\r\n"));
    ASSERT_TRUE(link.receiveLine());
    EXPECT_EQ(link.lines, QList<QByteArray>{"a\x13"
                                            "b\x11"
                                            "c"});
    EXPECT_TRUE(link.gps.Send("after XOFF"));
    EXPECT_EQ(pty.read(), "after XOFF");
}

TEST(LinkPseudoTerminal, SecondComponentCannotOpenTheSameDeviceUntilTheFirstCloses) {
    PseudoTerminal pty;
    PtyLink first(pty.devicePath());
    PtyLink second(pty.devicePath());
    first.gps.Open();
    ASSERT_TRUE(first.gps.Connected) << qPrintable(first.gps.OpenError);
    second.gps.Open();
    EXPECT_FALSE(second.gps.Connected);
    EXPECT_EQ(second.gps.OpenError, "Device or resource busy");
    EXPECT_TRUE(second.events.isEmpty());
    EXPECT_TRUE(first.gps.Send("still mine"));
    EXPECT_EQ(pty.read(), "still mine");

    first.gps.Close();
    second.gps.Open();
    EXPECT_TRUE(second.gps.Connected) << qPrintable(second.gps.OpenError);
    EXPECT_TRUE(second.gps.OpenError.isEmpty());
    second.gps.Close();
    first.gps.Open();
    EXPECT_TRUE(first.gps.Connected) << qPrintable(first.gps.OpenError);
}

TEST(LinkPseudoTerminal, MissingDeviceFailsWithoutAnEvent) {
    QTemporaryDir folder;
    PtyLink link(folder.filePath("ttyGone"));
    link.gps.Open();
    EXPECT_FALSE(link.gps.Connected);
    EXPECT_EQ(link.gps.PortHandle, nullptr);
    EXPECT_EQ(link.gps.OpenError, "No such file or directory");
    EXPECT_FALSE(link.gps.PollTimer->isEnabled() || link.gps.WatchdogTimer->isEnabled());
    EXPECT_TRUE(link.events.isEmpty());
}
