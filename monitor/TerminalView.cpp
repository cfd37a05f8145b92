#include "TerminalView.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <algorithm>

TTerminalView::TTerminalView(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setMaximumBlockCount(kMaxLines);
    // Undo history would keep a copy of every line ever received.
    setUndoRedoEnabled(false);
}

void TTerminalView::appendLine(const QString& line) {
    pending_.append(line);
    if (flushQueued_)
        return;
    flushQueued_ = true;
    QTimer::singleShot(kFlushDelayMs, this, [this] { flush(); });
}

void TTerminalView::flush() {
    flushQueued_ = false;
    if (pending_.isEmpty())
        return;
    // Lines that would be dropped at once are not inserted at all.
    if (pending_.size() > kMaxLines)
        pending_.remove(0, pending_.size() - kMaxLines);

    QScrollBar* bar = verticalScrollBar();
    const bool atBottom = bar->value() == bar->maximum();
    const int readingAt = bar->value();
    const bool wasEmptied = isEmptied();
    const int linesBefore = wasEmptied ? 0 : document()->blockCount();
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    QString text = pending_.join(QLatin1Char('\n'));
    if (!wasEmptied)
        text.prepend(QLatin1Char('\n'));
    cursor.insertText(text);
    const int dropped = linesBefore + static_cast<int>(pending_.size()) - document()->blockCount();
    emptied_ = false;
    pending_.clear();
    // The scroll bar counts lines: lines dropped from the top would slide the text a reader is on.
    bar->setValue(atBottom ? bar->maximum() : std::max(0, readingAt - dropped));
}

void TTerminalView::clear() {
    pending_.clear();
    QPlainTextEdit::clear();
    emptied_ = true;
}

int TTerminalView::lineCount() const {
    const int held = isEmptied() ? 0 : document()->blockCount();
    return std::min(held + static_cast<int>(pending_.size()), kMaxLines);
}

bool TTerminalView::isEmptied() const {
    return emptied_ && document()->isEmpty();
}

void TTerminalView::mouseDoubleClickEvent(QMouseEvent* event) {
    QPlainTextEdit::mouseDoubleClickEvent(event);
    emit doubleClicked();
}
