#pragma once

#include <QPlainTextEdit>
#include <QStringList>

// The terminal pane: a plain-text view made for fast appends.
//
// Lines appended within one turn of the event loop are inserted together, in order, at the next
// turn (or at flush()); the view holds at most kMaxLines lines, dropping the oldest beyond that.
// Appending keeps the view at the bottom when it was there and leaves it where it is when the user
// has scrolled up to read. A fresh view holds one empty line, so the first line appended is the
// second one; after clear() it holds none.
class TTerminalView : public QPlainTextEdit {
    Q_OBJECT

public:
    static constexpr int kMaxLines = 50000;
    // Lines arriving within this time are inserted and painted together.
    static constexpr int kFlushDelayMs = 25;

    explicit TTerminalView(QWidget* parent = nullptr);

    void appendLine(const QString& line);
    void clear();
    // Inserts the lines waiting for the next turn of the event loop.
    void flush();
    // Lines held, waiting ones included.
    int lineCount() const;

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    // Cleared and not typed into since: holds no line at all, not even an empty one.
    bool isEmptied() const;

    QStringList pending_;
    bool flushQueued_ = false;
    bool emptied_ = false;
};
