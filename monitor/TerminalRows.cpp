#include "TerminalRows.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextOption>
#include <algorithm>
#include <cmath>

#include "TerminalText.h"

namespace {

// Wide enough for any row: rows never wrap, the pane cuts them.
constexpr qreal kUnbounded = 1e6;

// The cell columns a tab at a column advances to.
qsizetype NextTabStop(qsizetype column) {
    return (column / TTerminalRows::kTabColumns + 1) * TTerminalRows::kTabColumns;
}

}  // namespace

TTerminalRows::TTerminalRows() {
    setFont(QFont());
}

void TTerminalRows::setFont(const QFont& font) {
    font_ = font;
    // Whole-pixel advances: glyph cells and laid-out rows put characters in the same places.
    font_.setHintingPreference(QFont::PreferFullHinting);
    const QFontMetricsF metrics(font_);
    height_ = std::max(1, static_cast<int>(std::ceil(metrics.lineSpacing())));
    ascent_ = static_cast<int>(std::ceil(metrics.ascent()));
    tabStop_ = kTabColumns * metrics.horizontalAdvance(QLatin1Char(' '));
    cells_.setFont(font_, height_, ascent_);
    setWidth(width_);
}

void TTerminalRows::setWidth(int pixels) {
    width_ = std::max(1, pixels);
    // As many characters as the narrowest ones fill the width with, and a few more.
    const QFontMetricsF metrics(font_);
    qreal narrowest = metrics.horizontalAdvance(QLatin1Char(' '));
    for (const QChar c : QStringLiteral(".,:;'|!il"))
        narrowest = std::min(narrowest, metrics.horizontalAdvance(c));
    maxChars_ = static_cast<qsizetype>(width_ / std::max<qreal>(narrowest, 1)) + 4;
    forgetAll();
}

void TTerminalRows::setColours(const QPalette& palette) {
    palette_ = palette;
    cells_.setColours(palette.color(QPalette::Text), palette.color(QPalette::Base),
                      palette.color(QPalette::HighlightedText), palette.color(QPalette::Highlight));
    forgetAll();
}

void TTerminalRows::forgetAll() {
    rows_.clear();
    spareImages_.clear();
}

void TTerminalRows::forgetImages() {
    for (auto& [id, row] : rows_) {
        if (!row.image.isNull() && spareImages_.size() < kSpareImages)
            spareImages_.push_back(std::move(row.image));
        row.image = QImage();
    }
}

void TTerminalRows::keepOnly(qint64 first, qint64 end) {
    for (auto at = rows_.begin(); at != rows_.end();) {
        if (at->first >= first && at->first < end) {
            ++at;
            continue;
        }
        // The pixels of a row that goes serve the next new one: a flood of lines allocates none.
        if (!at->second.image.isNull() && spareImages_.size() < kSpareImages)
            spareImages_.push_back(std::move(at->second.image));
        at = rows_.erase(at);
    }
}

TTerminalRows::Row& TTerminalRows::row(qint64 id, QByteArrayView bytes) {
    Row& row = rows_[id];
    if (row.made)
        return row;
    row.made = true;
    row.text = ShownTextStart(bytes, maxChars_);
    row.cut = row.text.size() < bytes.size() && row.text.size() < ShownText(bytes).size();
    if (fitsCells(row.text))
        return row;
    row.layout = std::make_unique<QTextLayout>(row.text, font_);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    // A row reads from the left whatever script it holds: the stamp stays first.
    option.setTextDirection(Qt::LeftToRight);
    option.setTabStopDistance(tabStop_);
    row.layout->setTextOption(option);
    row.layout->beginLayout();
    QTextLine line = row.layout->createLine();
    line.setLineWidth(kUnbounded);
    // Fallback faces have ascents of their own; the baseline stays where the pane's face has it.
    line.setPosition(QPointF(kLeftMargin, ascent_ - line.ascent()));
    row.layout->endLayout();
    return row;
}

bool TTerminalRows::fitsCells(const QString& text) {
    if (cells_.width() == 0)
        return false;
    return std::all_of(text.begin(), text.end(),
                       [this](QChar c) { return c == u'\t' || cells_.fits(c); });
}

const QImage& TTerminalRows::image(qint64 id, QByteArrayView bytes, const Range& selected) {
    Row& found = row(id, bytes);
    if (found.image.isNull()) {
        if (spareImages_.empty()) {
            found.image = QImage(width_, height_, QImage::Format_RGB32);
        } else {
            found.image = std::move(spareImages_.back());
            spareImages_.pop_back();
        }
        if (found.layout)
            drawLayout(found, found.image, selected);
        else
            drawCells(found, found.image, selected);
    }
    return found.image;
}

void TTerminalRows::drawCells(const Row& row, QImage& image, const Range& selected) {
    const int cell = cells_.width();
    const auto isSelected = [&](qsizetype at) {
        return selected && at >= selected->first && at < selected->second;
    };
    auto* pixels = reinterpret_cast<quint32*>(image.bits());
    const qsizetype stride = image.bytesPerLine() / 4;
    qsizetype column = 0;
    for (qsizetype i = 0; i < row.text.size(); ++i) {
        const qsizetype next = row.text[i] == u'\t' ? NextTabStop(column) : column + 1;
        const QChar shown = row.text[i] == u'\t' ? QChar(u' ') : row.text[i];
        for (; column < next && kLeftMargin + column * cell < width_; ++column)
            cells_.draw(pixels, stride, width_, static_cast<int>(kLeftMargin + column * cell),
                        shown, isSelected(i));
    }
    // The cells cover the text; the margin and what lies beyond the text are filled, the latter
    // selected when the selection goes on into the next line.
    const int end = static_cast<int>(std::min<qsizetype>(width_, kLeftMargin + column * cell));
    const auto fill = [&](int from, int to, QPalette::ColorRole role) {
        const quint32 colour = palette_.color(role).rgb();
        for (int y = 0; y < height_ && from < to; ++y)
            std::fill(pixels + y * stride + from, pixels + y * stride + to, colour);
    };
    fill(0, kLeftMargin, QPalette::Base);
    fill(end, width_, isSelected(row.text.size()) ? QPalette::Highlight : QPalette::Base);
}

void TTerminalRows::drawLayout(const Row& row, QImage& image, const Range& selected) const {
    image.fill(palette_.color(QPalette::Base));
    QPainter painter(&image);
    painter.setPen(palette_.color(QPalette::Text));
    QList<QTextLayout::FormatRange> formats;
    if (selected) {
        const qsizetype length = row.text.size();
        QTextLayout::FormatRange format;
        format.start = static_cast<int>(selected->first);
        format.length = static_cast<int>(std::min(selected->second, length + 1) - selected->first);
        format.format.setBackground(palette_.brush(QPalette::Highlight));
        format.format.setForeground(palette_.brush(QPalette::HighlightedText));
        // A selection that goes on into the next line runs to the pane's right edge.
        format.format.setProperty(QTextFormat::FullWidthSelection, selected->second > length);
        formats.append(format);
    }
    row.layout->draw(&painter, QPointF(0, 0), formats);
}

qreal TTerminalRows::cellX(const QString& text, qsizetype column) const {
    qsizetype cells = 0;
    for (qsizetype i = 0; i < std::min(column, text.size()); ++i)
        cells = text[i] == u'\t' ? NextTabStop(cells) : cells + 1;
    return kLeftMargin + static_cast<qreal>(cells * cells_.width());
}

qsizetype TTerminalRows::columnAt(qint64 id, QByteArrayView bytes, qreal x) {
    const Row& found = row(id, bytes);
    const qreal end = found.layout ? kLeftMargin + found.layout->lineAt(0).naturalTextWidth()
                                   : cellX(found.text, found.text.size());
    // Past the end of what the row shows, or at the pane's right edge, is the end of the line: a
    // row cut off by the edge is selected to its end by dragging there.
    if (x >= width_ - 1 || (found.cut && x >= end))
        return ShownText(bytes).size();
    if (found.layout)
        return found.layout->lineAt(0).xToCursor(x);
    // The nearest gap between two characters.
    qsizetype cells = 0;
    for (qsizetype column = 0; column < found.text.size(); ++column) {
        const qsizetype next = found.text[column] == u'\t' ? NextTabStop(cells) : cells + 1;
        if (x < kLeftMargin + (cells + next) * cells_.width() / 2.0)
            return column;
        cells = next;
    }
    return found.text.size();
}

qreal TTerminalRows::xOf(qint64 id, QByteArrayView bytes, qsizetype column) {
    const Row& found = row(id, bytes);
    if (column > found.text.size())
        return kUnbounded;
    if (found.layout)
        return found.layout->lineAt(0).cursorToX(static_cast<int>(column));
    return cellX(found.text, column);
}
