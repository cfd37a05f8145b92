#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleInterface>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <functional>
#include <memory>

#include "Fonts.h"
#include "TerminalAccessible.h"
#include "TerminalView.h"
#include "WindowHarness.h"

namespace {

// A fresh pane in the window's face, shown at a size a user might give it.
std::unique_ptr<TTerminalView> ShownView() {
    InstallFontSubstitutes();
    auto view = std::make_unique<TTerminalView>();
    QFont face = PixelFont(QStringLiteral("Terminal"), 19);
    face.setStyleHint(QFont::TypeWriter);
    view->setFont(face);
    view->resize(600, 300);
    view->show();
    QCoreApplication::processEvents();
    return view;
}

QString Clipboard() {
    return QApplication::clipboard()->text();
}

// A point just inside the left edge of a character on screen.
QPoint At(TTerminalView& view, qint64 line, qsizetype column) {
    const QRect character = view.placeRect({line, column});
    return QPoint(character.left() + 1, character.center().y());
}

// How many cells a character stands from the start of its row.
qsizetype CellsFromStart(TTerminalView& view, qint64 line, qsizetype column) {
    const int start = view.placeRect({line, 0}).left();
    const int cell = view.placeRect({line, 1}).left() - start;
    return cell > 0 ? (view.placeRect({line, column}).left() - start) / cell : -1;
}

QString LineOnTop(TTerminalView& view) {
    return view.shownLine(view.topLine());
}

// Scrolls up by some lines, lets many long lines arrive (enough for the oldest to go) and tells
// whether the line on top stayed the same.
QString TopLineWhileTheOldestGo(TTerminalView& view) {
    view.flush();
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum() - 500);
    const QString reading = LineOnTop(view);
    const qint64 firstBefore = view.lines().firstId();
    for (int i = 0; i < 3000; ++i)
        view.appendLine({}, QByteArray(4000, 'n') + QByteArray::number(i));
    view.flush();
    QCoreApplication::processEvents();
    const bool dropped = view.lines().firstId() > firstBefore;
    return QStringLiteral("%1 %2").arg(dropped ? "dropped" : "kept",
                                       LineOnTop(view) == reading ? "same" : LineOnTop(view));
}

QString AccessibleReading(TTerminalView& view) {
    QAccessibleInterface* pane = QAccessible::queryAccessibleInterface(&view);
    if (!pane || !pane->textInterface())
        return QStringLiteral("no text interface");
    QAccessibleTextInterface* text = pane->textInterface();
    int start = 0;
    int end = 0;
    // The text held is "\nfirst\nsecond": offset 3 lies in "first".
    const QString line = text->textAtOffset(3, QAccessible::LineBoundary, &start, &end);
    const QString after = text->textAfterOffset(3, QAccessible::LineBoundary, &start, &end);
    return QStringLiteral("%1|%2|%3|%4|%5|%6")
        .arg(pane->text(QAccessible::Name))
        .arg(pane->state().readOnly ? "read-only" : "editable")
        .arg(text->characterCount())
        .arg(line, after, text->text(1, 6));
}

QString PixelsAfterRecolouring(TTerminalView& view) {
    QPalette colours = view.palette();
    colours.setColor(QPalette::Base, QColor(0x10, 0x20, 0x30));
    colours.setColor(QPalette::Text, QColor(0xF0, 0xE0, 0x00));
    view.setPalette(colours);
    const QImage shown = view.viewport()->grab().toImage();
    int text = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x)
            text += shown.pixelColor(x, y) == QColor(0xF0, 0xE0, 0x00);
    }
    const bool base =
        shown.pixelColor(shown.width() - 2, shown.height() - 2) == QColor(0x10, 0x20, 0x30);
    return QStringLiteral("%1 %2").arg(base ? "base" : "no base", text > 20 ? "text" : "no text");
}

struct ViewCase {
    const char* rule;
    QList<QByteArray> lines;  // appended to the empty line a fresh pane holds
    std::function<QString(TTerminalView&)> observe;
    QString expected;
};

TEST(TerminalView, BehavesAsATextPane) {
    const QString cr = QStringLiteral("\u240D");
    const ViewCase cases[] = {
        {"an inner carriage return is one row, shown as its picture",
         {"one\rtwo"},
         [](TTerminalView& v) { return QString::number(v.lineCount()) + ' ' + v.shownLine(1); },
         "2 one" + cr + "two"},
        {"other control bytes are pictures too; a tab stays a tab",
         {"a\tb\x1b\x7f\x01"},
         [](TTerminalView& v) { return v.shownLine(1); },
         QStringLiteral("a\tb\u241B\u2421\u2401")},
        {"a tab advances to the next stop of eight columns",
         {"ab\tc", "abcdefgh\ti"},
         [](TTerminalView& v) {
             return QStringLiteral("%1 %2")
                 .arg(CellsFromStart(v, 1, 3))
                 .arg(CellsFromStart(v, 2, 9));
         },
         "8 16"},
        {"bytes that are no text in the locale are shown, one mark each",
         {"\xff\xfe ok \xc2\xb0"},
         [](TTerminalView& v) { return v.shownLine(1); },
         QStringLiteral("\uFFFD\uFFFD ok \u00B0")},
        {"the pane keeps at most its bytes, dropping the oldest lines",
         {},
         [](TTerminalView& v) {
             for (int i = 0; i < 10000; ++i)
                 v.appendLine({}, QByteArray(4090, 'x') + QByteArray::number(i));
             const bool bounded = v.lineCount() * 4090 <= TTerminalView::kMaxBytes &&
                                  v.lineCount() * 4096 * 2 > TTerminalView::kMaxBytes;
             return QStringLiteral("%1 %2").arg(bounded ? "bounded" : "unbounded",
                                                v.shownLine(v.lines().endId() - 1).right(4));
         },
         "bounded 9999"},
        {"the user's line stays on top while the oldest lines go",
         {},
         [](TTerminalView& v) {
             for (int i = 0; i < 8000; ++i)
                 v.appendLine({}, QByteArray(4000, 'o') + QByteArray::number(i));
             return TopLineWhileTheOldestGo(v);
         },
         "dropped same"},
        {"a selection copies the text as shown, lines joined",
         {"alpha\rbeta", "gamma"},
         [](TTerminalView& v) {
             v.setSelection({1, 2}, {2, 3});
             v.copy();
             return Clipboard();
         },
         "pha" + cr + "beta\ngam"},
        {"dragging the mouse selects",
         {"first line", "second line"},
         [](TTerminalView& v) {
             QTest::mousePress(v.viewport(), Qt::LeftButton, {}, At(v, 1, 6));
             QTest::mouseMove(v.viewport(), At(v, 2, 6));
             QTest::mouseRelease(v.viewport(), Qt::LeftButton, {}, At(v, 2, 6));
             return v.selectedText();
         },
         "line\nsecond"},
        {"dragging past the pane's edge selects the rest of a long row",
         {QByteArray(3000, 'w') + "END"},
         [](TTerminalView& v) {
             QTest::mousePress(v.viewport(), Qt::LeftButton, {}, At(v, 1, 0));
             const QPoint edge(v.viewport()->width() - 1, At(v, 1, 0).y());
             QTest::mouseMove(v.viewport(), edge);
             QTest::mouseRelease(v.viewport(), Qt::LeftButton, {}, edge);
             return QString::number(v.selectedText().size()) + ' ' + v.selectedText().right(3);
         },
         "3003 END"},
        {"Shift+End selects to the end of the line, Ctrl+C copies",
         {"keyboard line", "next"},
         [](TTerminalView& v) {
             QTest::mouseClick(v.viewport(), Qt::LeftButton, {}, At(v, 1, 9));
             QTest::keyClick(&v, Qt::Key_End, Qt::ShiftModifier);
             QTest::keyClick(&v, Qt::Key_C, Qt::ControlModifier);
             return Clipboard();
         },
         "line"},
        {"Ctrl+A selects everything held",
         {"a", "b"},
         [](TTerminalView& v) {
             QTest::keyClick(&v, Qt::Key_A, Qt::ControlModifier);
             QTest::keyClick(&v, Qt::Key_C, Qt::ControlModifier);
             return Clipboard();
         },
         "\na\nb"},
        {"the context menu offers Copy, once there is a selection",
         {"menu line"},
         [](TTerminalView& v) {
             QString seen;
             for (const bool selected : {false, true}) {
                 if (selected)
                     v.setSelection({1, 0}, {1, 4});
                 std::unique_ptr<QMenu> menu(v.createContextMenu(nullptr));
                 for (QAction* action : menu->actions())
                     seen += action->text() + (action->isEnabled() ? "+ " : "- ");
                 if (selected)
                     menu->actions().first()->trigger();
             }
             return seen + Clipboard();
         },
         "&Copy- Select All+ &Copy+ Select All+ menu"},
        {"screen readers read the text line by line",
         {"first", "second"},
         AccessibleReading,
         "Terminal|read-only|13|first\n|second|first"},
        {"text and background take the pane's colours",
         {"coloured text"},
         PixelsAfterRecolouring,
         "base text"},
    };
    for (const ViewCase& c : cases) {
        SCOPED_TRACE(c.rule);
        QApplication::clipboard()->clear();
        auto view = ShownView();
        for (const QByteArray& line : c.lines)
            view->appendLine({}, line);
        view->flush();
        QCoreApplication::processEvents();
        EXPECT_EQ(c.observe(*view).toStdString(), c.expected.toStdString());
    }
}

// The window's handler puts a received line with an inner carriage return on one row, so it also
// counts once in the minute size check.
TEST(TerminalView, ReceivedLineWithAnInnerCarriageReturnIsOneRow) {
    WindowHarness h;
    auto w = h.window();
    w->ShowDateTime = false;
    for (int i = 0; i < 999; ++i)
        w->zSerialNewCommand(w->zSerial, "left\rright");
    EXPECT_EQ(TerminalLines(*w).value(1), QStringLiteral("left\u240Dright"));
    h.time.advance(60000);
    EXPECT_EQ(w->mTerminal->lineCount(), 1000);
}

// What assistive tools are told after each frame: lines added at the end, and how much went from
// the start.
TEST(TerminalView, TellsAssistiveToolsOfNewAndDroppedLines) {
    auto view = ShownView();
    auto* pane =
        dynamic_cast<TTerminalAccessible*>(QAccessible::queryAccessibleInterface(view.get()));
    ASSERT_NE(pane, nullptr);
    const auto told = [&] {
        const TTerminalAccessible::TextChange change = pane->takeTextChange();
        return QStringLiteral("-%1 +%2 %3")
            .arg(change.removed)
            .arg(change.insertedAt)
            .arg(change.inserted)
            .toStdString();
    };
    EXPECT_EQ(told(), "-0 +-1 ");
    view->appendLine({}, "one");
    view->appendLine({}, "two");
    EXPECT_EQ(told(), "-0 +0 \none\ntwo");
    EXPECT_EQ(told(), "-0 +-1 ");
    view->clear();
    view->appendLine({}, "three");
    EXPECT_EQ(told(), "-8 +0 three");
    for (int i = 0; i < TTerminalView::kMaxLines; ++i)
        view->appendLine({}, "x");
    EXPECT_EQ(pane->characterCount(), 2 * TTerminalView::kMaxLines - 1);
    view->appendLine({}, "last");
    EXPECT_EQ(told(), "-2 +99997 \nlast");
}

// Rows that only move up are moved as pixels, not painted again. After each batch of lines (a
// count, or 0 for Clear) the screen must look exactly as the pane painted afresh.
TEST(TerminalView, ScreenMatchesAFreshPaintingWhileLinesArrive) {
    const struct {
        const char* pattern;
        QList<int> batches;
    } cases[] = {
        {"one line a frame, past a screenful", QList<int>(30, 1)},
        {"a few lines a frame", {2, 3, 5, 1, 4, 6, 2}},
        {"a screenful and more at once", {9, 40, 1, 25}},
        {"cleared while following", {5, 20, 0, 1, 2, 0, 30}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        auto view = ShownView();
        const QRect viewport = view->viewport()->geometry();
        int sent = 0;
        int differing = 0;
        for (const int batch : c.batches) {
            if (batch == 0)
                view->clear();
            for (int i = 0; i < batch; ++i, ++sent)
                view->appendLine("12:00:00.000", "line " + QByteArray::number(sent) + "\tend");
            view->flush();
            QCoreApplication::processEvents();
            const QImage screen = QGuiApplication::primaryScreen()
                                      ->grabWindow(view->winId())
                                      .toImage()
                                      .copy(viewport)
                                      .convertToFormat(QImage::Format_RGB32);
            const QImage fresh =
                view->grab(viewport).toImage().convertToFormat(QImage::Format_RGB32);
            differing += screen != fresh;
        }
        EXPECT_EQ(differing, 0);
    }
}

}  // namespace
