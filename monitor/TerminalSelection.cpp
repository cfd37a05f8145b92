#include "TerminalSelection.h"

#include <QTextBoundaryFinder>
#include <algorithm>

#include "TerminalText.h"

namespace {

TTextPlace Clamped(TTextPlace place, const TLineRing& lines) {
    if (lines.count() == 0)
        return {lines.endId(), 0};
    if (place.line < lines.firstId())
        return {lines.firstId(), 0};
    if (place.line >= lines.endId())
        return {lines.endId() - 1, ShownLength(lines, lines.endId() - 1)};
    return {place.line, std::clamp<qsizetype>(place.column, 0, ShownLength(lines, place.line))};
}

// The next word boundary after (forward) or before a column; the line's ends count as boundaries.
qsizetype WordBoundary(const QString& text, qsizetype column, bool forward) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Word, text);
    finder.setPosition(column);
    const qsizetype found = forward ? finder.toNextBoundary() : finder.toPreviousBoundary();
    return found < 0 ? (forward ? text.size() : 0) : found;
}

}  // namespace

qsizetype ShownLength(const TLineRing& lines, qint64 id) {
    return ShownText(lines.line(id)).size();
}

void TTerminalSelection::clampTo(const TLineRing& lines) {
    if (lines.count() > 0 && anchor.line >= lines.firstId() && caret.line >= lines.firstId())
        return;
    anchor = Clamped(anchor, lines);
    caret = Clamped(caret, lines);
}

std::optional<std::pair<qsizetype, qsizetype>> TTerminalSelection::rangeIn(
    qint64 line, qsizetype lineLength) const {
    const TTextPlace first = from();
    const TTextPlace last = to();
    if (isEmpty() || line < first.line || line > last.line)
        return std::nullopt;
    const qsizetype start = line == first.line ? first.column : 0;
    const qsizetype end = line == last.line ? last.column : lineLength + 1;
    return std::make_pair(start, end);
}

QString TTerminalSelection::text(const TLineRing& lines) const {
    const TTextPlace first = Clamped(from(), lines);
    const TTextPlace last = Clamped(to(), lines);
    QString text;
    for (qint64 id = first.line; id <= last.line && lines.holds(id); ++id) {
        const QString shown = ShownText(lines.line(id));
        const qsizetype start = id == first.line ? first.column : 0;
        const qsizetype end = id == last.line ? last.column : shown.size();
        if (id != first.line)
            text += QLatin1Char('\n');
        text += QStringView(shown).mid(start, end - start);
    }
    return text;
}

TTextPlace TTerminalSelection::moved(TTextPlace from, Move move, const TLineRing& lines,
                                     int pageRows) {
    if (lines.count() == 0)
        return {lines.endId(), 0};
    const TTextPlace at = Clamped(from, lines);
    const qsizetype length = ShownLength(lines, at.line);
    const bool first = at.line == lines.firstId();
    const bool last = at.line == lines.endId() - 1;
    switch (move) {
        case Move::Left:
            if (at.column > 0)
                return {at.line, at.column - 1};
            return first ? at : TTextPlace{at.line - 1, ShownLength(lines, at.line - 1)};
        case Move::Right:
            if (at.column < length)
                return {at.line, at.column + 1};
            return last ? at : TTextPlace{at.line + 1, 0};
        case Move::WordLeft:
            if (at.column == 0)
                return moved(at, Move::Left, lines, pageRows);
            return {at.line, WordBoundary(ShownText(lines.line(at.line)), at.column, false)};
        case Move::WordRight:
            if (at.column == length)
                return moved(at, Move::Right, lines, pageRows);
            return {at.line, WordBoundary(ShownText(lines.line(at.line)), at.column, true)};
        case Move::Up:
            return Clamped({std::max(lines.firstId(), at.line - 1), at.column}, lines);
        case Move::Down:
            return Clamped({std::min(lines.endId() - 1, at.line + 1), at.column}, lines);
        case Move::PageUp:
            return Clamped({std::max(lines.firstId(), at.line - pageRows), at.column}, lines);
        case Move::PageDown:
            return Clamped({std::min(lines.endId() - 1, at.line + pageRows), at.column}, lines);
        case Move::LineStart:
            return {at.line, 0};
        case Move::LineEnd:
            return {at.line, length};
        case Move::Start:
            return {lines.firstId(), 0};
        case Move::End:
            return {lines.endId() - 1, ShownLength(lines, lines.endId() - 1)};
    }
    return at;
}

std::pair<TTextPlace, TTextPlace> TTerminalSelection::wordAt(TTextPlace at,
                                                             const TLineRing& lines) {
    const TTextPlace place = Clamped(at, lines);
    if (!lines.holds(place.line))
        return {place, place};
    const QString shown = ShownText(lines.line(place.line));
    if (shown.isEmpty())
        return {place, place};
    // A place at the very end touches the last character.
    const qsizetype inside = std::min(place.column, shown.size() - 1);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Word, shown);
    finder.setPosition(inside);
    const qsizetype start = finder.isAtBoundary() ? inside : WordBoundary(shown, inside, false);
    const qsizetype end = WordBoundary(shown, inside, true);
    return {{place.line, start}, {place.line, end}};
}
