// The terminal pane's answers to the mouse and the keyboard: selecting, copying, the context menu
// and the double-click the window listens for.
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <array>

#include "TerminalView.h"

namespace {

using Move = TTerminalSelection::Move;

struct KeyMove {
    QKeySequence::StandardKey key;
    Move move;
    bool extend;
};

constexpr std::array<KeyMove, 24> kKeyMoves = {{
    {QKeySequence::MoveToNextChar, Move::Right, false},
    {QKeySequence::SelectNextChar, Move::Right, true},
    {QKeySequence::MoveToPreviousChar, Move::Left, false},
    {QKeySequence::SelectPreviousChar, Move::Left, true},
    {QKeySequence::MoveToNextWord, Move::WordRight, false},
    {QKeySequence::SelectNextWord, Move::WordRight, true},
    {QKeySequence::MoveToPreviousWord, Move::WordLeft, false},
    {QKeySequence::SelectPreviousWord, Move::WordLeft, true},
    {QKeySequence::MoveToNextLine, Move::Down, false},
    {QKeySequence::SelectNextLine, Move::Down, true},
    {QKeySequence::MoveToPreviousLine, Move::Up, false},
    {QKeySequence::SelectPreviousLine, Move::Up, true},
    {QKeySequence::MoveToNextPage, Move::PageDown, false},
    {QKeySequence::SelectNextPage, Move::PageDown, true},
    {QKeySequence::MoveToPreviousPage, Move::PageUp, false},
    {QKeySequence::SelectPreviousPage, Move::PageUp, true},
    {QKeySequence::MoveToStartOfLine, Move::LineStart, false},
    {QKeySequence::SelectStartOfLine, Move::LineStart, true},
    {QKeySequence::MoveToEndOfLine, Move::LineEnd, false},
    {QKeySequence::SelectEndOfLine, Move::LineEnd, true},
    {QKeySequence::MoveToStartOfDocument, Move::Start, false},
    {QKeySequence::SelectStartOfDocument, Move::Start, true},
    {QKeySequence::MoveToEndOfDocument, Move::End, false},
    {QKeySequence::SelectEndOfDocument, Move::End, true},
}};

}  // namespace

void TTerminalView::copy() {
    if (!selection_.isEmpty())
        QApplication::clipboard()->setText(selectedText());
}

QMenu* TTerminalView::createContextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    QAction* copyAction = menu->addAction(tr("&Copy"), this, &TTerminalView::copy);
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setEnabled(!selection_.isEmpty());
    QAction* selectAllAction = menu->addAction(tr("Select All"), this, &TTerminalView::selectAll);
    selectAllAction->setShortcut(QKeySequence::SelectAll);
    return menu;
}

void TTerminalView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void TTerminalView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        copy();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        return;
    }
    for (const KeyMove& k : kKeyMoves) {
        if (event->matches(k.key)) {
            moveCaret(TTerminalSelection::moved(selection_.caret, k.move, ring_, fullRows()),
                      k.extend);
            return;
        }
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void TTerminalView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    dragging_ = true;
    moveCaret(placeAt(event->position().toPoint()), event->modifiers() & Qt::ShiftModifier);
}

void TTerminalView::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_ || !(event->buttons() & Qt::LeftButton))
        return QAbstractScrollArea::mouseMoveEvent(event);
    const QPoint at = event->position().toPoint();
    // Dragging past the top or the bottom edge scrolls on.
    if (at.y() < 0)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (at.y() >= viewport()->height())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    setSelection(selection_.anchor, placeAt(at));
}

void TTerminalView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mouseReleaseEvent(event);
    dragging_ = false;
    // Where the system has a selection clipboard, selecting puts the text there, as editors do.
    QClipboard* clipboard = QApplication::clipboard();
    if (!selection_.isEmpty() && clipboard->supportsSelection())
        clipboard->setText(selectedText(), QClipboard::Selection);
}

void TTerminalView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const auto [start, end] =
            TTerminalSelection::wordAt(placeAt(event->position().toPoint()), ring_);
        setSelection(start, end);
    }
    emit doubleClicked();
}

void TTerminalView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    repaintAll();
}

void TTerminalView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    repaintAll();
}
