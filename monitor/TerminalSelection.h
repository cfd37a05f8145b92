#pragma once

#include <QString>
#include <compare>
#include <optional>
#include <utility>

#include "LineRing.h"

// A place in the terminal's text: a line by its id and a character offset in its shown text.
struct TTextPlace {
    qint64 line = 0;
    qsizetype column = 0;
    auto operator<=>(const TTextPlace&) const = default;
};

// The caret and the selected text between it and the anchor. Lines are named by id, so both stay
// on their characters while new lines arrive and old ones go.
class TTerminalSelection {
public:
    enum class Move {
        Left,
        Right,
        WordLeft,
        WordRight,
        Up,
        Down,
        PageUp,
        PageDown,
        LineStart,
        LineEnd,
        Start,
        End
    };

    TTextPlace anchor;
    TTextPlace caret;

    bool isEmpty() const { return anchor == caret; }
    TTextPlace from() const { return std::min(anchor, caret); }
    TTextPlace to() const { return std::max(anchor, caret); }
    // Moves both ends onto lines still held; the ring's end when it holds none.
    void clampTo(const TLineRing& lines);
    // Selected characters of a line as [first, last); last is one past the line's text when the
    // selection goes on into the next line.
    std::optional<std::pair<qsizetype, qsizetype>> rangeIn(qint64 line, qsizetype lineLength) const;
    // The selected text, lines joined by "\n".
    QString text(const TLineRing& lines) const;

    // Where a move takes a place; pageRows is how many rows a page moves.
    static TTextPlace moved(TTextPlace from, Move move, const TLineRing& lines, int pageRows);
    // The word (or the run of blanks or the single mark) a place touches.
    static std::pair<TTextPlace, TTextPlace> wordAt(TTextPlace at, const TLineRing& lines);
};

// Characters of a held line's shown text.
qsizetype ShownLength(const TLineRing& lines, qint64 id);
