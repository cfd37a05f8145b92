#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>

#include "PseudoTerminal.h"
#include "WindowHarness.h"

namespace {

class ReceivedLineViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.time.setNow(QDateTime(QDate(2024, 3, 1), QTime(9, 5, 7, 42)));
        w = h.window();
        w->ShowDateTime = false;
    }
    void receive(const QByteArray& line) { w->zSerialNewCommand(w->zSerial, line); }
    QStringList lines() { return TerminalLines(*w); }

    WindowHarness h;
    std::unique_ptr<TfZIVizovor> w;
};

TEST_F(ReceivedLineViewTest, FirstLineFollowsTheEmptyLineTheViewStartsWith) {
    receive("alpha");
    receive("beta");
    EXPECT_EQ(lines(), (QStringList{"", "alpha", "beta"}));
}

TEST_F(ReceivedLineViewTest, ClearEmptiesTheViewSoTheNextLineIsTheFirst) {
    receive("alpha");
    w->Clear1->trigger();
    EXPECT_EQ(w->mTerminal->lineCount(), 0);
    receive("beta");
    EXPECT_EQ(lines(), QStringList{"beta"});
}

TEST_F(ReceivedLineViewTest, ClearDropsLinesNotYetInserted) {
    receive("alpha");
    w->Clear1Click();
    QCoreApplication::processEvents();
    EXPECT_EQ(w->mTerminal->toPlainText(), QString());
}

TEST_F(ReceivedLineViewTest, LinesAppearInOrderWithoutAnyoneFlushingThem) {
    for (int i = 0; i < 500; ++i)
        receive(QByteArray::number(i));
    // Painted together a moment later, by the event loop alone.
    EXPECT_TRUE(QTest::qWaitFor([&] { return w->mTerminal->lineCount() == 501; }));
    const QStringList shown = w->mTerminal->toPlainText().split('\n');
    ASSERT_EQ(shown.size(), 501);
    for (int i = 0; i < 500; ++i)
        EXPECT_EQ(shown[i + 1], QString::number(i));
}

struct FilterCase {
    const char* search;
    const char* line;
    bool shown;
};

TEST_F(ReceivedLineViewTest, SearchStringFiltersOnTheRawLineWithCase) {
    const FilterCase cases[] = {
        {"", "anything", true},        {"TEMP", "TEMP=21.5", true},
        {"TEMP", "temp=21.5", false},  {"=2", "TEMP=21.5", true},
        {"21.5 ", "TEMP=21.5", false}, {"2024", "no year", false},
        {"$GP", "$GPGGA,1", true},     {"x", "", false},
    };
    w->ShowDateTime = true;  // the stamp contains "2024" but is not searched
    for (const FilterCase& c : cases) {
        w->Clear1Click();
        w->eSearcString->setText(QLatin1String(c.search));
        receive(c.line);
        EXPECT_EQ(w->mTerminal->lineCount(), c.shown ? 1 : 0) << c.search << " in " << c.line;
    }
}

TEST_F(ReceivedLineViewTest, EmptyLineIsNeverShown) {
    receive(QByteArray());
    EXPECT_EQ(w->mTerminal->lineCount(), 1);
}

TEST_F(ReceivedLineViewTest, StampIsTheClockWhenTheLineIsHandled) {
    w->ShowDateTime = true;
    receive("one");
    h.time.advance(3605001);  // an hour, five seconds and one millisecond later
    receive("two");
    EXPECT_EQ(lines(),
              (QStringList{"", "2024-03-01 09:05:07.042 one", "2024-03-01 10:05:12.043 two"}));
}

TEST_F(ReceivedLineViewTest, TogglingTheStampLeavesShownLinesAlone) {
    receive("plain");
    w->DateTime1->trigger();
    EXPECT_TRUE(w->ShowDateTime);
    receive("stamped");
    w->DateTime1->trigger();
    receive("plain again");
    EXPECT_EQ(lines(),
              (QStringList{"", "plain", "2024-03-01 09:05:07.042 stamped", "plain again"}));
}

TEST_F(ReceivedLineViewTest, PausedLinesAreDroppedNotQueued) {
    receive("before");
    w->bPause->click();
    receive("while paused");
    w->bPause->click();
    receive("still paused");
    w->mTerminalDblClick();
    receive("after");
    EXPECT_EQ(lines(), (QStringList{"", "before", "after"}));
}

TEST_F(ReceivedLineViewTest, DoubleClickOnTheTerminalFlipsThePause) {
    QTest::mouseDClick(w->mTerminal->viewport(), Qt::LeftButton);
    EXPECT_TRUE(w->Paused);
    QTest::mouseDClick(w->mTerminal->viewport(), Qt::LeftButton);
    EXPECT_FALSE(w->Paused);
}

TEST_F(ReceivedLineViewTest, EightBitLinesAreShownThroughTheLocaleEncoding) {
    const QByteArray line = QStringLiteral("T=21\u00B0C").toLocal8Bit();
    receive(line);
    EXPECT_EQ(lines().last(), QString::fromLocal8Bit(line));
}

struct SizeCase {
    int lines;  // the view's lines at the tick, the starting empty one included
    int after;
};

TEST_F(ReceivedLineViewTest, SizeCheckClearsOnlyBeyondAThousandLines) {
    const SizeCase cases[] = {{1000, 1000}, {1001, 0}, {1, 1}, {5000, 0}};
    for (const SizeCase& c : cases) {
        auto window = h.window();
        window->ShowDateTime = false;
        for (int i = 1; i < c.lines; ++i)
            window->zSerialNewCommand(nullptr, "x");
        h.time.advance(59999);
        EXPECT_EQ(window->mTerminal->lineCount(), c.lines) << c.lines;
        h.time.advance(1);
        EXPECT_EQ(window->mTerminal->lineCount(), c.after) << c.lines;
    }
}

TEST_F(ReceivedLineViewTest, ViewKeepsOnlyTheNewestLines) {
    const int total = TTerminalView::kMaxLines + 1234;
    for (int i = 0; i < total; ++i)
        receive(QByteArray::number(i));
    const QStringList shown = lines();
    ASSERT_EQ(shown.size(), TTerminalView::kMaxLines);
    EXPECT_EQ(shown.first(), QString::number(total - TTerminalView::kMaxLines));
    EXPECT_EQ(shown.last(), QString::number(total - 1));
    // Lines inserted in separate turns are bounded the same way.
    for (int i = 0; i < 10; ++i) {
        receive("late");
        w->mTerminal->flush();
    }
    EXPECT_EQ(w->mTerminal->lineCount(), TTerminalView::kMaxLines);
}

TEST_F(ReceivedLineViewTest, ViewFollowsNewLinesOnlyWhenAtTheBottom) {
    w->resize(800, 400);
    w->show();
    // Showing restores the first-run search string "0", which would hide these lines.
    w->eSearcString->clear();
    for (int i = 0; i < 200; ++i)
        receive("line");
    w->mTerminal->flush();
    QScrollBar* bar = w->mTerminal->verticalScrollBar();
    EXPECT_EQ(bar->value(), bar->maximum());
    receive("more");
    w->mTerminal->flush();
    EXPECT_EQ(bar->value(), bar->maximum());

    bar->setValue(10);
    for (int i = 0; i < 50; ++i)
        receive("unread");
    w->mTerminal->flush();
    EXPECT_EQ(bar->value(), 10);
    EXPECT_GT(bar->maximum(), 10);

    // A full view drops its oldest lines; the line the reader is on stays where it is.
    for (int i = 0; i < TTerminalView::kMaxLines; ++i)
        receive(QByteArray::number(i));
    w->mTerminal->flush();
    bar->setValue(20000);
    const auto topLine = [&] {
        return w->mTerminal->shownLine(w->mTerminal->placeAt(QPoint(1, 1)).line);
    };
    const QString reading = topLine();
    for (int i = 0; i < 500; ++i)
        receive("newer");
    w->mTerminal->flush();
    EXPECT_EQ(topLine(), reading);
}

TEST_F(ReceivedLineViewTest, LinesFromARealPortReachTheView) {
    PseudoTerminal device;
    h.mapPorts({{2, device.devicePath()}}, "[TERMINAL]\neSearcString=\nGV_SHOW_DATE_TIME=0\n");
    w->FormShow();
    ASSERT_TRUE(w->zSerial->Connected) << w->zSerial->OpenError.toStdString();
    ASSERT_TRUE(device.write("$GPGGA,1\r\nhello\r\n\r\nworld"));
    EXPECT_TRUE(h.stepUntil([&] { return w->mTerminal->lineCount() == 3; }));
    EXPECT_EQ(lines(), (QStringList{"", "$GPGGA,1", "hello"}));
}

}  // namespace
