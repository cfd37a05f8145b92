#pragma once

#include <QByteArrayView>
#include <QFont>
#include <QImage>
#include <QPalette>
#include <QTextLayout>
#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "GlyphCells.h"

// The terminal's rows as pictures: each line on screen is drawn once into an image a row high and
// as wide as the pane, from the start of the line that can be seen, and kept while the line stays
// on screen, so painting a frame is copying images. Rows of a monospaced face are put together
// from glyph cells; others are laid out as text. Both give the same places to the characters:
// the face is hinted fully, so every advance is a whole pixel. Rows share one height and one
// baseline whatever fallback faces their characters need.
class TTerminalRows {
public:
    // Columns between two tab stops.
    static constexpr int kTabColumns = 8;
    // Room between the row's left edge and its text.
    static constexpr int kLeftMargin = 4;
    // The characters of a line that are selected, as [first, last); last may lie past the end.
    using Range = std::optional<std::pair<qsizetype, qsizetype>>;

    TTerminalRows();

    // Each forgets every row made so far.
    void setFont(const QFont& font);
    void setWidth(int pixels);
    void setColours(const QPalette& palette);
    void forgetAll();
    // Keeps the text of the rows, redraws them (the selection has changed).
    void forgetImages();
    // Keeps the rows of lines first to end (not included) only.
    void keepOnly(qint64 first, qint64 end);

    int height() const { return height_; }
    // The picture of a line's row; bytes are the line's as held.
    const QImage& image(qint64 id, QByteArrayView bytes, const Range& selected);

    // The character offset nearest to x on a row; past the end of a cut row this is the end of
    // the whole line.
    qsizetype columnAt(qint64 id, QByteArrayView bytes, qreal x);
    // Left edge of a character offset on a row; far right for an offset past what the row shows.
    qreal xOf(qint64 id, QByteArrayView bytes, qsizetype column);

private:
    struct Row {
        bool made = false;
        QString text;
        bool cut = false;
        std::unique_ptr<QTextLayout> layout;  // null: drawn from glyph cells
        QImage image;
    };
    Row& row(qint64 id, QByteArrayView bytes);
    bool fitsCells(const QString& text);
    void drawCells(const Row& row, QImage& image, const Range& selected);
    void drawLayout(const Row& row, QImage& image, const Range& selected) const;
    // Left edges of the characters of a cell row and of its end.
    qreal cellX(const QString& text, qsizetype column) const;

    QFont font_;
    TGlyphCells cells_;
    QPalette palette_;
    int width_ = 1;
    int height_ = 1;
    int ascent_ = 0;
    qreal tabStop_ = 8;
    qsizetype maxChars_ = 1;
    std::unordered_map<qint64, Row> rows_;
    // Row images of the pane's size no longer shown, for new rows to draw into.
    static constexpr std::size_t kSpareImages = 256;
    std::vector<QImage> spareImages_;
};
