#include "GlyphCells.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Cells are stored and copied in blocks of this many pixels.
constexpr int kBlock = 4;

int PaddedWidth(int width) {
    return (width + kBlock - 1) / kBlock * kBlock;
}

// Copies a cell of a fixed number of blocks, unrolled: what runs past the cell's width is covered
// by the next cell, or lies in the row's unused right end.
template <int Blocks>
void CopyCell(const quint32* from, quint32* to, qsizetype stride, int height) {
    for (int y = 0; y < height; ++y, from += Blocks * kBlock, to += stride) {
        for (int b = 0; b < Blocks; ++b)
            std::memcpy(to + b * kBlock, from + b * kBlock, kBlock * sizeof(quint32));
    }
}

using CellCopy = void (*)(const quint32*, quint32*, qsizetype, int);
// Cells up to 32 pixels wide, which covers faces up to about 55 pixels high.
constexpr std::array<CellCopy, 9> kCopies = {nullptr,     CopyCell<1>, CopyCell<2>,
                                             CopyCell<3>, CopyCell<4>, CopyCell<5>,
                                             CopyCell<6>, CopyCell<7>, CopyCell<8>};

// The names Unicode's control pictures (U+2400 to U+2421) show. Few monospaced faces carry the
// pictures, so for a face without them they are drawn here, as the pictures look: the name's
// letters in small type, stepping down across the cell.
constexpr std::array<const char*, 34> kControlNames = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",  "VT",
    "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB",
    "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US",  "SP",  "DEL"};
constexpr char16_t kFirstControlPicture = 0x2400;

const char* ControlName(QChar c) {
    const char16_t u = c.unicode();
    if (u < kFirstControlPicture || u >= kFirstControlPicture + kControlNames.size())
        return nullptr;
    return kControlNames[u - kFirstControlPicture];
}

void DrawControlName(QPainter& painter, QLatin1String name, int width, int height) {
    QFont small = painter.font();
    small.setPixelSize(std::max(5, height * 2 / 5));
    small.setUnderline(false);
    small.setStrikeOut(false);
    painter.setFont(small);
    const QFontMetricsF metrics(small);
    const qsizetype letters = name.size();
    const qreal step = letters > 1 ? (height - metrics.height()) / (letters - 1) : 0;
    for (qsizetype i = 0; i < letters; ++i) {
        const QPointF at(static_cast<qreal>(i) * width / letters, metrics.ascent() + i * step);
        painter.drawText(at, QString(name[i]));
    }
}

bool IsWhole(qreal value) {
    return std::abs(value - std::round(value)) < 1e-3;
}

}  // namespace

void TGlyphCells::setFont(const QFont& font, int rowHeight, int ascent) {
    font_ = font;
    height_ = rowHeight;
    ascent_ = ascent;
    raw_ = QRawFont::fromFont(font_);
    ascii_ = {};
    others_.clear();
    width_ = 0;
    const QFontMetricsF metrics(font_);
    const qreal advance = metrics.horizontalAdvance(QLatin1Char('0'));
    if (font_.italic() || !raw_.isValid() || !IsWhole(advance) || advance < 1)
        return;
    for (char16_t c = 32; c < 127; ++c) {
        if (metrics.horizontalAdvance(QChar(c)) != advance)
            return;
    }
    width_ = static_cast<int>(std::round(advance));
}

void TGlyphCells::setColours(const QColor& text, const QColor& base, const QColor& selectedText,
                             const QColor& selectedBase) {
    const std::array<std::array<QColor, 2>, 2> colours = {
        {{text, base}, {selectedText, selectedBase}}};
    if (colours == colours_)
        return;
    colours_ = colours;
    ascii_ = {};
    others_.clear();
}

TGlyphCells::Cell& TGlyphCells::cell(QChar c) {
    Cell& found = c.unicode() < ascii_.size() ? ascii_[c.unicode()] : others_[c.unicode()];
    if (!found.known) {
        found.known = true;
        // A character of its own width, drawn by this face itself (not by a fallback), or a
        // control picture, which is drawn here if the face lacks it.
        const bool drawnHere = ControlName(c) && !raw_.supportsCharacter(c);
        found.fits =
            width_ > 0 &&
            (drawnHere || (!c.isSurrogate() && !c.isMark() && c.category() != QChar::Other_Format &&
                           raw_.supportsCharacter(c) &&
                           IsWhole(QFontMetricsF(font_).horizontalAdvance(c) - width_)));
    }
    return found;
}

bool TGlyphCells::fits(QChar c) {
    return cell(c).fits;
}

void TGlyphCells::render(Cell& cell, QChar c, bool selected) {
    QImage image(width_, height_, QImage::Format_RGB32);
    image.fill(colours_[selected][1]);
    QPainter painter(&image);
    painter.setFont(font_);
    painter.setPen(colours_[selected][0]);
    if (const char* name = ControlName(c); name && !raw_.supportsCharacter(c))
        DrawControlName(painter, QLatin1String(name), width_, height_);
    else
        painter.drawText(QPointF(0, ascent_), QString(c));
    painter.end();
    const int padded = PaddedWidth(width_);
    std::vector<quint32>& pixels = cell.pixels[selected];
    pixels.assign(static_cast<std::size_t>(padded) * height_, colours_[selected][1].rgb());
    for (int y = 0; y < height_; ++y) {
        const auto* line = reinterpret_cast<const quint32*>(image.constScanLine(y));
        std::copy_n(line, width_, pixels.begin() + static_cast<std::ptrdiff_t>(y) * padded);
    }
}

void TGlyphCells::draw(quint32* row, qsizetype stride, int rowWidth, int x, QChar c,
                       bool selected) {
    Cell& found = cell(c);
    if (found.pixels[selected].empty())
        render(found, c, selected);
    const quint32* from = found.pixels[selected].data();
    const int padded = PaddedWidth(width_);
    if (x + padded <= rowWidth && padded / kBlock < int(kCopies.size())) {
        kCopies[padded / kBlock](from, row + x, stride, height_);
        return;
    }
    const int w = std::min(width_, rowWidth - x);
    for (int y = 0; y < height_ && w > 0; ++y, from += padded)
        std::copy_n(from, w, row + x + y * stride);
}
