#pragma once

#include <QAbstractScrollArea>
#include <QByteArrayView>
#include <QElapsedTimer>
#include <QTimer>

#include "LineRing.h"
#include "TerminalRows.h"
#include "TerminalSelection.h"

class QMenu;

// The terminal pane: a read-only text view made for lines that arrive faster than anyone reads.
//
// Lines are kept as the bytes they arrived as, at most kMaxLines of them and kMaxBytes in all,
// dropping the oldest beyond either bound; they become text only when their row is painted, and
// only as far as the pane shows them. Appending costs a copy of the bytes; the pane catches up at
// most once a frame (or at flush()) and repaints only when what it shows has changed. It stays at
// the bottom while the user is there and keeps the user's line in place when they have scrolled
// up, also while the oldest lines go. A fresh view holds one empty line, so the first line appended
// is the second one; after clear() it holds none. Text is selected with the mouse or the keyboard
// and copied with Ctrl+C or the context menu; nothing can be typed into it.
class TTerminalView : public QAbstractScrollArea {
    Q_OBJECT

public:
    static constexpr int kMaxLines = 50000;
    static constexpr qsizetype kMaxBytes = 32 * 1024 * 1024;
    // The pane catches up with new lines at most this often.
    static constexpr int kFrameMs = 16;
    // While lines come faster than anyone reads them (a frame brought more than a quarter of a
    // screen), every frame redraws every row; frames then come only so often that painting takes
    // about this share of the time, and within these bounds.
    static constexpr int kBusyPaintShare = 200;  // one part in this many
    static constexpr int kBusyFrameMinMs = 50;
    static constexpr int kBusyFrameMaxMs = 250;
    // While lines arrive the scroll bar is redrawn at most this often: a bar redrawn every frame
    // would cost more than the rows.
    static constexpr int kBarMs = 250;

    explicit TTerminalView(QWidget* parent = nullptr);

    // Display text, through the locale's 8-bit encoding.
    void appendLine(const QString& line);
    // A received line and its stamp as bytes: "stamp line", or the line alone when the stamp is
    // empty.
    void appendLine(QByteArrayView stamp, QByteArrayView line);
    void clear();
    // Brings scroll bar and rows up to date with the lines appended so far.
    void flush();
    int lineCount() const;

    // The text held, lines joined by "\n", as shown (control pictures included).
    QString toPlainText() const;
    const TLineRing& lines() const { return ring_; }
    QString shownLine(qint64 id) const;

    // Places and rows in viewport coordinates.
    TTextPlace placeAt(const QPoint& point);
    QRect placeRect(TTextPlace place);
    // The id of the line on the top row.
    qint64 topLine() const { return topId_; }
    void scrollToLine(qint64 id);

    const TTerminalSelection& selection() const { return selection_; }
    void setSelection(TTextPlace anchor, TTextPlace caret);
    QString selectedText() const;
    void selectAll();
    void copy();
    // The pane's context menu, owned by the caller.
    QMenu* createContextMenu(QWidget* parent);

signals:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void scheduleFrame();
    // Catches up with the lines appended; exactBar sets the scroll bar too, however recently it
    // was.
    void frame(bool exactBar);
    // Asks for the repaints that bring the screen to the rows from topId_ on.
    void showRows(qint64 shownEnd);
    void repaintAll();
    // Rows that fit the viewport whole; at least one.
    int fullRows() const;
    // The top line that shows the last line on the last whole row.
    qint64 lastTop() const;
    void setBar(qint64 top);
    void catchUpBar();
    void moveCaret(TTextPlace to, bool extend);
    // The id of the line a row shows, for rows counted from the top one.
    qint64 lineOfRow(int row) const { return topId_ + row; }

    TLineRing ring_;
    TTerminalRows rows_;
    TTerminalSelection selection_;
    qint64 topId_ = 0;
    // The ring's first line when the scroll bar was last set: its value counts lines from there.
    qint64 barBase_ = 0;
    bool settingBar_ = false;
    // The bar may lag a little behind the rows; it catches up when touched.
    bool following_ = true;
    bool barBehind_ = false;
    QElapsedTimer sinceBar_;
    // What the screen shows once the repaints asked for are done, to tell whether a frame shows
    // anything new and which rows it only moves: the top line (-1: not known, repaint it all), the
    // end of the lines on screen and of those on whole rows.
    qint64 screenTop_ = -1;
    qint64 screenEnd_ = -1;
    qint64 screenWhole_ = -1;
    QTimer frameTimer_;
    bool busy_ = false;
    // How long the last paint took.
    qint64 paintNs_ = 0;
    qint64 endAtFrame_ = 0;
    QElapsedTimer sinceFrame_;
    bool dragging_ = false;
};
