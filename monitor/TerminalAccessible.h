#pragma once

#include <QAccessibleWidget>
#include <deque>

class TTerminalView;
struct TTextPlace;

// The terminal pane as screen readers and UI automation see it: read-only multi-line text, read
// character, word or line at a time through Qt's text interface. Its text is the lines held,
// joined by "\n", as they are shown.
class TTerminalAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit TTerminalAccessible(TTerminalView* view);

    void* interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text kind) const override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int* startOffset, int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int* startOffset, int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                         int* endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

    // What changed since the last call: characters gone from the start, text added at the end
    // (insertedAt -1 for none). The first call only starts counting.
    struct TextChange {
        int removed = 0;
        int insertedAt = -1;
        QString inserted;
    };
    TextChange takeTextChange();
    // Tells assistive tools what the pane's latest frame changed.
    void reportTextChange();
    void reportSelectionChange();

private:
    TTerminalView* view() const;
    // Brings the offsets up to the lines held; returns the characters that went from the start.
    qint64 sync() const;
    int offsetOf(const TTextPlace& place) const;
    TTextPlace placeOf(int offset) const;
    int lineStart(qint64 id) const;

    // Where each line held starts in an endless run of text (every line followed by its "\n"),
    // for the lines from firstLine_ on; made only while assistive tools ask.
    mutable qint64 firstLine_ = 0;
    mutable std::deque<qint64> starts_;
    mutable qint64 endOffset_ = 0;
    mutable bool synced_ = false;
};

// Lets Qt find the pane's accessible interface; safe to call more than once.
void InstallTerminalAccessibility();
// The pane's calls when a frame has changed its text, and when its caret or selection moved.
void TerminalTextChanged(TTerminalView* view);
void TerminalSelectionChanged(TTerminalView* view);
