// What the component tells about its link through real pseudo-terminals: why it is not open, in
// words a user can act on, and what is in force when it is.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "HolderProcess.h"
#include "LinkStatusText.h"
#include "PtyLink.h"

namespace {

const QString kBusy = QStringLiteral("not open: Device or resource busy \u2014 held by ");

}  // namespace

TEST(LinkStatus, FailedOpenTellsWhyInPlainWords) {
    PseudoTerminal pty;
    QTemporaryDir folder;
    const QString gone = folder.filePath(QStringLiteral("ttyGone"));
    struct Case {
        const char* what;
        QString device;
        // Prepares the case, puts in keep what must live on to keep it so (another holder), and
        // returns the status it must show.
        std::function<QString(PtyLink&, std::shared_ptr<void>& keep)> arrange;
        SerialFailure::Kind kind;
    };
    const Case cases[] = {
        {"no device mapped", pty.devicePath(),
         [](PtyLink& l, auto&) {
             l.gps.PortNumber = 5;
             return QStringLiteral("not open: no device is mapped to COM5");
         },
         SerialFailure::Kind::NotMapped},
        {"device missing", gone,
         [&](PtyLink&, auto&) { return QStringLiteral("not open: no device at ") + gone; },
         SerialFailure::Kind::Missing},
        {"held by another program", pty.devicePath(),
         [&](PtyLink&, auto& keep) {
             const auto holder = std::make_shared<HolderProcess>(pty.devicePath());
             EXPECT_EQ(holder->firstLine(), "holding");
             keep = holder;
             return kBusy + QStringLiteral("serial_port_holder (%1)").arg(holder->pid());
         },
         SerialFailure::Kind::Busy},
        {"held within this program", pty.devicePath(),
         [&](PtyLink&, auto& keep) {
             const auto first = std::make_shared<PtyLink>(pty.devicePath());
             first->gps.Open();
             EXPECT_TRUE(first->gps.Connected) << qPrintable(first->gps.OpenError);
             keep = first;
             return kBusy + QStringLiteral("another program");
         },
         SerialFailure::Kind::Busy},
        {"setting refused", pty.devicePath(),
         [](PtyLink& l, auto&) {
             l.gps.DataBitsCode = 0;
             return QStringLiteral("not open: the device does not hold 4 data bits");
         },
         SerialFailure::Kind::SettingRefused},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PtyLink link(c.device);
        std::shared_ptr<void> keep;
        const QString status = c.arrange(link, keep);
        link.gps.Open();
        EXPECT_FALSE(link.gps.Connected);
        EXPECT_EQ(link.gps.LinkState, TLinkState::Closed);
        EXPECT_EQ(link.gps.OpenFailure.kind, c.kind);
        EXPECT_EQ(link.gps.OpenError, link.gps.OpenFailure.text);
        EXPECT_EQ(LinkStateText(link.gps), status);
        EXPECT_TRUE(LinkSettingsText(link.gps).isEmpty());
        EXPECT_TRUE(link.events.isEmpty());
    }
}

TEST(LinkStatus, DeviceWithoutAccessTellsHowToGetIt) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root may open any device";
    PseudoTerminal pty;
    ASSERT_EQ(chmod(QFile::encodeName(pty.devicePath()).constData(), 0), 0);
    PtyLink link(pty.devicePath());
    link.gps.Open();
    EXPECT_EQ(link.gps.OpenFailure.kind, SerialFailure::Kind::AccessDenied);
    EXPECT_EQ(LinkStateText(link.gps),
              QStringLiteral("not open: Permission denied \u2014 add your user to the dialout "
                             "group (sudo usermod -aG dialout $USER) and log in again"));
}

// A pseudo-terminal has no character format: asked for 7 data bits, even parity and 2 stop bits it
// opens, carries every byte both ways, and tells the format the kernel keeps in force.
TEST(LinkStatus, PseudoTerminalOpenedAs7E2CarriesData) {
    PseudoTerminal pty;
    PtyLink link(pty.devicePath());
    link.gps.Baud = 19200;
    link.gps.DataBitsCode = 3;
    link.gps.ParityCode = 2;
    link.gps.StopBitsCode = 3;
    link.gps.Open();
    ASSERT_TRUE(link.gps.Connected) << qPrintable(link.gps.OpenError);
    EXPECT_EQ(link.gps.LinkState, TLinkState::Open);
    EXPECT_EQ(link.gps.OpenFailure.kind, SerialFailure::Kind::None);
    EXPECT_EQ(LinkStateText(link.gps), "open");
    EXPECT_EQ(LinkDeviceText(link.gps), QStringLiteral("COM7 \u00b7 ") + pty.devicePath());
    const bool keepsFormat = PseudoTerminal::takesCharacterFormat(CS7, PARENB);
    EXPECT_EQ(LinkSettingsText(link.gps), keepsFormat ? "19200 7E2" : "19200 8N2");

    ASSERT_TRUE(pty.write("$GPGGA,\xe9\x7f,1\r\n"));
    ASSERT_TRUE(link.receiveLine());
    EXPECT_EQ(link.lines, QList<QByteArray>{"$GPGGA,\xe9\x7f,1"});
    EXPECT_TRUE(link.gps.Send("\xff\x80 sent"));
    EXPECT_EQ(pty.read(), "\xff\x80 sent");
}
