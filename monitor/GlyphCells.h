#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QRawFont>
#include <array>
#include <vector>

// Characters of a monospaced face drawn once, each in a cell as wide as the face's advance and as
// high as a row, in the pane's two colour pairs (plain and selected), and then copied into rows.
// Copying a cell costs a fraction of what drawing an antialiased glyph costs, which is what lets
// the pane redraw whole screens of new lines many times a second. A face whose characters differ
// in width, a slanted one (its glyphs reach into the next cell), or a character the face lacks, is
// not drawn from cells: those rows are laid out as text instead.
class TGlyphCells {
public:
    void setFont(const QFont& font, int rowHeight, int ascent);
    void setColours(const QColor& text, const QColor& base, const QColor& selectedText,
                    const QColor& selectedBase);

    // The cell width, 0 when the face cannot be drawn from cells.
    int width() const { return width_; }
    // Whether the character can be drawn from a cell.
    bool fits(QChar c);
    // Copies the character's cell into the pixels of a row a row high, at x, cut at the row's
    // width.
    void draw(quint32* row, qsizetype stride, int rowWidth, int x, QChar c, bool selected);

private:
    struct Cell {
        bool known = false;
        bool fits = false;
        // Both colour pairs, made when first drawn: width x height pixels each.
        std::array<std::vector<quint32>, 2> pixels;
    };
    Cell& cell(QChar c);
    void render(Cell& cell, QChar c, bool selected);

    QFont font_;
    QRawFont raw_;
    int width_ = 0;
    int height_ = 1;
    int ascent_ = 0;
    std::array<std::array<QColor, 2>, 2> colours_;  // [selected][0 text, 1 background]
    std::array<Cell, 128> ascii_;
    QHash<char16_t, Cell> others_;
};
