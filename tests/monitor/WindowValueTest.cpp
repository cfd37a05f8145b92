// The value half of a received line as the window runs it: eValue, the Average window, the pause,
// and what a failing value step does to the display.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <stdexcept>

#include "PseudoTerminal.h"
#include "Uaverage.h"
#include "WindowHarness.h"

namespace {

class WindowValueTest : public ::testing::Test {
protected:
    void SetUp() override {
        w = h.window();
        w->fAverage = &fAverage;
        w->ShowDateTime = false;
    }
    void receive(const QByteArray& line) { w->zSerialNewCommand(w->zSerial, line); }

    WindowHarness h;
    TfAverage fAverage;
    std::unique_ptr<TfZIVizovor> w;
};

TEST_F(WindowValueTest, LinesFromARealPortShowTheirValueAndAverageWhileTheViewIsPaused) {
    PseudoTerminal device;
    h.mapPorts({{2, device.devicePath()}},
               "[TERMINAL]\neSearcString=TEMP=\neFormatIdentifier=TEMP=%lf\neAX=2\neB=1\n");
    w->FormShow();
    ASSERT_TRUE(w->zSerial->Connected) << w->zSerial->OpenError.toStdString();
    fAverage.ShowInFront();
    w->bPause->click();
    ASSERT_TRUE(device.write("TEMP=23.45 C\r\nHUM=40 %\r\nTEMP=24.45 C\r\n"));
    EXPECT_TRUE(h.stepUntil([&] { return fAverage.eSample->text() == QLatin1String("2"); }));
    EXPECT_EQ(w->eValue->text(), QStringLiteral("49.9"));
    EXPECT_EQ(fAverage.eAvrage->text(), QStringLiteral("48.9"));
    EXPECT_EQ(TerminalLines(*w), QStringList{""});
}

TEST_F(WindowValueTest, ALineWhoseValueStepFailsIsNotShownAndTheNextLineIs) {
    w->eSearcString->setText(QStringLiteral("T="));
    w->eFormatIdentifier->setText(QStringLiteral("T=%lf"));
    fAverage.ShowInFront();
    // An error raised while the value is written, here by a handler watching the value box.
    QObject::connect(w->eValue, &QLineEdit::textChanged, [](const QString& text) {
        if (text == QLatin1String("13"))
            throw std::runtime_error("the value box refused 13");
    });
    receive("T=13");
    receive("T=14");
    EXPECT_EQ(TerminalLines(*w), (QStringList{"", "T=14"}));
    EXPECT_EQ(w->eValue->text(), QStringLiteral("14"));
    // The failed line's later steps, the average among them, were skipped.
    EXPECT_EQ(fAverage.eSample->text(), QStringLiteral("1"));
    EXPECT_EQ(fAverage.eAvrage->text(), QStringLiteral("14"));
}

// Shift+F10 opens the value box's menu, and its one item the Average window, without the mouse.
TEST_F(WindowValueTest, TheAverageWindowIsReachedFromTheValueBoxByKeyboard) {
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    w->eValue->setFocus();
    QTest::keyClick(w->eValue, Qt::Key_F10, Qt::ShiftModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->PopupMenu1->isVisible(); }));
    QTest::keyClick(w->PopupMenu1, Qt::Key_A);
    EXPECT_TRUE(QTest::qWaitFor([&] { return fAverage.isVisible(); }));
    EXPECT_FALSE(w->PopupMenu1->isVisible());
}

}  // namespace
