// "Broadcast" as the window runs it, against a real pseudo-terminal: the bytes the device gets and
// the lines the terminal shows.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "PseudoTerminal.h"
#include "Transmit.h"
#include "TransmitCases.h"
#include "WindowHarness.h"

namespace {

class WindowTransmitTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Stamps on and a search string no echo contains: neither may touch what is sent.
        h.mapPorts({{2, device.devicePath()}},
                   "[TERMINAL]\nGV_SHOW_DATE_TIME=1\neSearcString=no such text\n");
        w = h.window();
        w->FormShow();
        ASSERT_TRUE(w->zSerial->Connected) << w->zSerial->OpenError.toStdString();
    }
    void broadcast(const QString& text, bool cr = false, bool lf = false) {
        w->eBroadcast->setText(text);
        w->cbCR->setChecked(cr);
        w->cbLF->setChecked(lf);
        w->Button1->click();
    }
    QStringList lastLines(int count) {
        const QStringList lines = TerminalLines(*w);
        return lines.mid(lines.size() - count);
    }
    QString lastLine() { return TerminalLines(*w).last(); }

    PseudoTerminal device;
    WindowHarness h;
    std::unique_ptr<TfZIVizovor> w;
};

TEST_F(WindowTransmitTest, EachEndingReachesTheDeviceExactlyAndIsEchoedWhilePaused) {
    w->bPause->click();
    for (const TransmitCase& c : kTransmitCases) {
        SCOPED_TRACE(c.bytes.toPercentEncoding().constData());
        broadcast(c.text, c.cr, c.lf);
        EXPECT_EQ(device.drain(), c.bytes);
        EXPECT_EQ(lastLine(), c.text);
    }
    EXPECT_EQ(TerminalLines(*w).size(), qsizetype(1 + kTransmitCases.size()));
    // No key in the box sends.
    QTest::keyClick(w->eBroadcast, Qt::Key_Return);
    EXPECT_EQ(device.drain(), QByteArray());
}

TEST_F(WindowTransmitTest, NotConnectedSendsNothingAndSaysSoOnEveryClick) {
    w->zSerial->Close();
    broadcast(QStringLiteral("ping"), true, true);
    broadcast(QStringLiteral("ping"), true, true);
    EXPECT_EQ(lastLines(3), (QStringList{"", kNotConnectedLine, kNotConnectedLine}));
    EXPECT_EQ(device.drain(), QByteArray());
    EXPECT_EQ(w->eBroadcast->text(), QStringLiteral("ping"));
}

// The device side is never read, so the pseudo-terminal fills up and a write stalls until the
// send gives up.
TEST_F(WindowTransmitTest, ASendToAPeerThatStopsReadingFailsAfterASecondAndTheWindowGoesOn) {
    const QString block(w->eBroadcast->maxLength(), QLatin1Char('x'));
    qint64 failedAfterMs = -1;
    for (int click = 0; click < 64 && failedAfterMs < 0; ++click) {
        QElapsedTimer clock;
        clock.start();
        broadcast(block);
        if (lastLine() == QLatin1String(kSendFailedLine))
            failedAfterMs = clock.elapsed();
    }
    ASSERT_GE(failedAfterMs, 0) << "the pseudo-terminal never filled up";
    EXPECT_GE(failedAfterMs, 950);
    EXPECT_LT(failedAfterMs, 10000);
    EXPECT_EQ(lastLines(2), (QStringList{block, kSendFailedLine}));

    EXPECT_FALSE(device.drain().isEmpty());
    broadcast(QStringLiteral("again"), false, true);
    EXPECT_EQ(device.drain(), QByteArray("again\n"));
    EXPECT_EQ(lastLine(), QStringLiteral("again"));
    ASSERT_TRUE(device.write("no such text\r\n"));
    EXPECT_TRUE(h.stepUntil([&] { return lastLine().endsWith(QLatin1String(" no such text")); }));
}

}  // namespace
