#include "TerminalAccessible.h"

#include <QTextBoundaryFinder>
#include <algorithm>

#include "TerminalText.h"
#include "TerminalView.h"

namespace {

QAccessibleInterface* TerminalFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("TTerminalView") && object && object->isWidgetType())
        return new TTerminalAccessible(static_cast<TTerminalView*>(object));
    return nullptr;
}

TTerminalAccessible* AccessibleOf(TTerminalView* view) {
    if (!QAccessible::isActive())
        return nullptr;
    return dynamic_cast<TTerminalAccessible*>(QAccessible::queryAccessibleInterface(view));
}

}  // namespace

void InstallTerminalAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(TerminalFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

void TerminalTextChanged(TTerminalView* view) {
    if (TTerminalAccessible* accessible = AccessibleOf(view))
        accessible->reportTextChange();
}

void TerminalSelectionChanged(TTerminalView* view) {
    if (TTerminalAccessible* accessible = AccessibleOf(view))
        accessible->reportSelectionChange();
}

TTerminalAccessible::TTerminalAccessible(TTerminalView* view)
    : QAccessibleWidget(view, QAccessible::EditableText) {}

TTerminalView* TTerminalAccessible::view() const {
    return static_cast<TTerminalView*>(widget());
}

void* TTerminalAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State TTerminalAccessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    state.multiLine = true;
    state.selectableText = true;
    state.focusable = true;
    return state;
}

QString TTerminalAccessible::text(QAccessible::Text kind) const {
    if (kind == QAccessible::Value)
        return view()->toPlainText();
    return QAccessibleWidget::text(kind);
}

qint64 TTerminalAccessible::sync() const {
    const TLineRing& lines = view()->lines();
    const qint64 cachedEnd = firstLine_ + static_cast<qint64>(starts_.size());
    qint64 removed = 0;
    if (firstLine_ < lines.firstId() && !starts_.empty()) {
        const qint64 base = starts_.front();
        if (cachedEnd <= lines.firstId()) {
            removed = endOffset_ - base - 1;
            starts_.clear();
        } else {
            const auto gone = static_cast<std::size_t>(lines.firstId() - firstLine_);
            removed = starts_[gone] - base;
            starts_.erase(starts_.begin(), starts_.begin() + gone);
        }
    }
    if (starts_.empty())
        firstLine_ = lines.firstId();
    else
        firstLine_ = std::max(firstLine_, lines.firstId());
    for (qint64 id = firstLine_ + static_cast<qint64>(starts_.size()); id < lines.endId(); ++id) {
        starts_.push_back(endOffset_);
        endOffset_ += ShownLength(lines, id) + 1;
    }
    synced_ = true;
    return removed;
}

TTerminalAccessible::TextChange TTerminalAccessible::takeTextChange() {
    const bool known = synced_;
    const qint64 cachedEnd = firstLine_ + static_cast<qint64>(starts_.size());
    TextChange change;
    change.removed = static_cast<int>(sync());
    const TLineRing& lines = view()->lines();
    const qint64 firstNew = std::max(cachedEnd, lines.firstId());
    if (!known || firstNew >= lines.endId())
        return change;
    // Behind lines that stay, the new ones begin with the "\n" that ends the last of those.
    const int at = lineStart(firstNew);
    change.insertedAt = firstNew > lines.firstId() ? at - 1 : at;
    change.inserted = text(change.insertedAt, characterCount());
    return change;
}

void TTerminalAccessible::reportTextChange() {
    const TextChange change = takeTextChange();
    if (change.removed > 0) {
        // The lines are gone; as editors do, the count is told right and the text as blanks.
        QAccessibleTextRemoveEvent event(view(), 0, QString(change.removed, QLatin1Char(' ')));
        QAccessible::updateAccessibility(&event);
    }
    if (change.insertedAt >= 0) {
        QAccessibleTextInsertEvent event(view(), change.insertedAt, change.inserted);
        QAccessible::updateAccessibility(&event);
    }
}

void TTerminalAccessible::reportSelectionChange() {
    sync();
    const TTerminalSelection& selection = view()->selection();
    QAccessibleTextCursorEvent caret(view(), offsetOf(selection.caret));
    QAccessible::updateAccessibility(&caret);
    QAccessibleTextSelectionEvent selected(view(), offsetOf(selection.from()),
                                           offsetOf(selection.to()));
    QAccessible::updateAccessibility(&selected);
}

int TTerminalAccessible::characterCount() const {
    sync();
    return starts_.empty() ? 0 : static_cast<int>(endOffset_ - starts_.front() - 1);
}

int TTerminalAccessible::lineStart(qint64 id) const {
    if (starts_.empty())
        return 0;
    if (id >= firstLine_ + static_cast<qint64>(starts_.size()))
        return static_cast<int>(endOffset_ - starts_.front());
    return static_cast<int>(starts_[static_cast<std::size_t>(id - firstLine_)] - starts_.front());
}

int TTerminalAccessible::offsetOf(const TTextPlace& place) const {
    if (starts_.empty())
        return 0;
    const qint64 line =
        std::clamp(place.line, firstLine_, firstLine_ + static_cast<qint64>(starts_.size()) - 1);
    const int next = lineStart(line + 1) - 1;
    return std::min(lineStart(line) + static_cast<int>(place.column), next);
}

TTextPlace TTerminalAccessible::placeOf(int offset) const {
    sync();
    if (starts_.empty())
        return {firstLine_, 0};
    const qint64 wanted = starts_.front() + std::max(offset, 0);
    const auto after = std::upper_bound(starts_.begin(), starts_.end(), wanted);
    const qint64 line = firstLine_ + (after - starts_.begin()) - 1;
    const int column = offset - lineStart(line);
    return {line, std::min(column, lineStart(line + 1) - 1 - lineStart(line))};
}

QString TTerminalAccessible::text(int startOffset, int endOffset) const {
    const int count = characterCount();
    const int start = std::clamp(startOffset, 0, count);
    const int end = std::clamp(endOffset < 0 ? count : endOffset, start, count);
    QString text;
    for (qint64 id = placeOf(start).line; id < firstLine_ + qint64(starts_.size()); ++id) {
        const int from = lineStart(id);
        if (from >= end)
            break;
        const QString line = view()->shownLine(id) + QLatin1Char('\n');
        text += QStringView(line).mid(std::max(0, start - from), end - std::max(start, from));
    }
    return text;
}

QString TTerminalAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                          int* startOffset, int* endOffset) const {
    const int count = characterCount();
    *startOffset = *endOffset = -1;
    if (offset < 0 || offset >= count)
        return QString();
    if (boundaryType == QAccessible::NoBoundary) {
        *startOffset = 0;
        *endOffset = count;
        return text(0, count);
    }
    const TTextPlace place = placeOf(std::min(offset, count - 1));
    const int from = lineStart(place.line);
    const int lineEnd = std::min(lineStart(place.line + 1), count);
    int start = from;
    int end = lineEnd;
    if (boundaryType == QAccessible::CharBoundary) {
        start = from + static_cast<int>(place.column);
        end = start + 1;
    } else if (boundaryType == QAccessible::WordBoundary) {
        const QString line = view()->shownLine(place.line);
        QTextBoundaryFinder finder(QTextBoundaryFinder::Word, line);
        finder.setPosition(place.column);
        const qsizetype before = finder.isAtBoundary() ? place.column : finder.toPreviousBoundary();
        finder.setPosition(place.column);
        const qsizetype after = finder.toNextBoundary();
        start = from + static_cast<int>(std::max<qsizetype>(before, 0));
        end = after < 0 ? lineEnd : from + static_cast<int>(after);
    }
    *startOffset = start;
    *endOffset = end;
    return text(start, end);
}

QString TTerminalAccessible::textBeforeOffset(int offset,
                                              QAccessible::TextBoundaryType boundaryType,
                                              int* startOffset, int* endOffset) const {
    int start = 0;
    int end = 0;
    textAtOffset(offset, boundaryType, &start, &end);
    if (start <= 0) {
        *startOffset = *endOffset = -1;
        return QString();
    }
    return textAtOffset(start - 1, boundaryType, startOffset, endOffset);
}

QString TTerminalAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                             int* startOffset, int* endOffset) const {
    int start = 0;
    int end = 0;
    textAtOffset(offset, boundaryType, &start, &end);
    if (end < 0 || end >= characterCount()) {
        *startOffset = *endOffset = -1;
        return QString();
    }
    return textAtOffset(end, boundaryType, startOffset, endOffset);
}

void TTerminalAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = 0;
    const TTerminalSelection& selection = view()->selection();
    if (selectionIndex != 0 || selection.isEmpty())
        return;
    sync();
    *startOffset = offsetOf(selection.from());
    *endOffset = offsetOf(selection.to());
}

int TTerminalAccessible::selectionCount() const {
    return view()->selection().isEmpty() ? 0 : 1;
}

void TTerminalAccessible::addSelection(int startOffset, int endOffset) {
    setSelection(0, startOffset, endOffset);
}

void TTerminalAccessible::removeSelection(int selectionIndex) {
    if (selectionIndex == 0)
        view()->setSelection(view()->selection().caret, view()->selection().caret);
}

void TTerminalAccessible::setSelection(int selectionIndex, int startOffset, int endOffset) {
    if (selectionIndex == 0)
        view()->setSelection(placeOf(startOffset), placeOf(endOffset));
}

int TTerminalAccessible::cursorPosition() const {
    sync();
    return offsetOf(view()->selection().caret);
}

void TTerminalAccessible::setCursorPosition(int position) {
    const TTextPlace place = placeOf(position);
    view()->setSelection(place, place);
}

QRect TTerminalAccessible::characterRect(int offset) const {
    const QRect rect = view()->placeRect(placeOf(offset));
    if (rect.isNull())
        return rect;
    return QRect(view()->viewport()->mapToGlobal(rect.topLeft()), rect.size());
}

int TTerminalAccessible::offsetAtPoint(const QPoint& point) const {
    const TTextPlace place = view()->placeAt(view()->viewport()->mapFromGlobal(point));
    sync();
    return offsetOf(place);
}

void TTerminalAccessible::scrollToSubstring(int startIndex, int) {
    view()->scrollToLine(placeOf(startIndex).line);
}

QString TTerminalAccessible::attributes(int, int* startOffset, int* endOffset) const {
    // One face and one colour for all of the text.
    *startOffset = 0;
    *endOffset = characterCount();
    return QString();
}
