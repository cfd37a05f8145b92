#include "TerminalView.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "TerminalAccessible.h"
#include "TerminalText.h"

namespace {

// Qt hands fills taller than this to its thread pool and waits for them; for a pane repainted many
// times a second that costs more than the fill.
constexpr int kFillBand = 64;

void FillInBands(QPainter& painter, const QRect& area, const QColor& colour) {
    for (int top = area.top(); top <= area.bottom(); top += kFillBand)
        painter.fillRect(
            QRect(area.left(), top, area.width(), std::min(kFillBand, area.bottom() - top + 1)),
            colour);
}

}  // namespace

TTerminalView::TTerminalView(QWidget* parent)
    : QAbstractScrollArea(parent), ring_(kMaxLines, kMaxBytes) {
    InstallTerminalAccessibility();
    setAccessibleName(QStringLiteral("Terminal"));
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setCursor(Qt::IBeamCursor);
    // Every pixel of the viewport is painted here.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    verticalScrollBar()->setSingleStep(1);
    frameTimer_.setSingleShot(true);
    connect(&frameTimer_, &QTimer::timeout, this, [this] { frame(false); });
    // Whoever takes the scroll bar in hand finds it where the pane is.
    verticalScrollBar()->installEventFilter(this);
    rows_.setFont(font());
    rows_.setColours(palette());
    ring_.append({});
    selection_.clampTo(ring_);
}

void TTerminalView::appendLine(const QString& line) {
    const QByteArray bytes = line.toLocal8Bit();
    ring_.append({bytes});
    scheduleFrame();
}

void TTerminalView::appendLine(QByteArrayView stamp, QByteArrayView line) {
    if (stamp.isEmpty())
        ring_.append({line});
    else
        ring_.append({stamp, " ", line});
    scheduleFrame();
}

void TTerminalView::clear() {
    ring_.clear();
    scheduleFrame();
}

int TTerminalView::lineCount() const {
    return static_cast<int>(ring_.count());
}

void TTerminalView::scheduleFrame() {
    if (frameTimer_.isActive())
        return;
    const qint64 busyPeriod = paintNs_ * kBusyPaintShare / 1000000;
    const int period =
        busy_ ? static_cast<int>(std::clamp<qint64>(busyPeriod, kBusyFrameMinMs, kBusyFrameMaxMs))
              : kFrameMs;
    const qint64 since = sinceFrame_.isValid() ? sinceFrame_.elapsed() : period;
    frameTimer_.start(static_cast<int>(std::max<qint64>(0, period - since)));
}

void TTerminalView::flush() {
    frame(true);
}

void TTerminalView::frame(bool exactBar) {
    frameTimer_.stop();
    sinceFrame_.start();
    selection_.clampTo(ring_);
    const QScrollBar* bar = verticalScrollBar();
    if (!barBehind_)
        following_ = bar->value() >= bar->maximum();
    const qint64 top = following_ ? ring_.endId() : topId_;
    busy_ = following_ && ring_.endId() - endAtFrame_ > fullRows() / 4;
    endAtFrame_ = ring_.endId();
    if (exactBar || sinceBar_.elapsed() >= kBarMs) {
        setBar(top);
    } else {
        topId_ = std::clamp(top, ring_.firstId(), lastTop());
        barBehind_ = true;
    }
    const qint64 shownEnd = std::min(ring_.endId(), topId_ + fullRows() + 1);
    if (topId_ != screenTop_ || shownEnd != screenEnd_)
        showRows(shownEnd);
    TerminalTextChanged(this);
}

void TTerminalView::showRows(qint64 shownEnd) {
    const int rows = fullRows();
    const qint64 moved = topId_ - screenTop_;
    if (!following_ || screenTop_ < 0 || moved < 0 || moved >= rows) {
        viewport()->update();
    } else {
        // Rows that stay on screen only move up: their pixels move, and only rows that show what
        // they did not are painted. A slow stream then costs a row a line, not a screen.
        const int height = rows_.height();
        if (moved > 0)
            viewport()->scroll(0, static_cast<int>(-moved * height));
        const int firstNew = static_cast<int>(std::max<qint64>(0, screenWhole_ - topId_));
        viewport()->update(0, firstNew * height, viewport()->width(),
                           viewport()->height() - firstNew * height);
    }
    screenTop_ = topId_;
    screenEnd_ = shownEnd;
    screenWhole_ = std::min(shownEnd, topId_ + rows);
}

void TTerminalView::repaintAll() {
    screenTop_ = -1;
    viewport()->update();
}

void TTerminalView::catchUpBar() {
    if (barBehind_)
        setBar(topId_);
}

qint64 TTerminalView::lastTop() const {
    return std::max(ring_.firstId(), ring_.endId() - fullRows());
}

int TTerminalView::fullRows() const {
    return std::max(1, viewport()->height() / rows_.height());
}

void TTerminalView::setBar(qint64 top) {
    QScrollBar* bar = verticalScrollBar();
    topId_ = std::clamp(top, ring_.firstId(), lastTop());
    barBase_ = ring_.firstId();
    barBehind_ = false;
    sinceBar_.start();
    settingBar_ = true;
    bar->setPageStep(fullRows());
    bar->setRange(0, static_cast<int>(lastTop() - barBase_));
    bar->setValue(static_cast<int>(topId_ - barBase_));
    settingBar_ = false;
}

bool TTerminalView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == verticalScrollBar() &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::Wheel))
        catchUpBar();
    return QAbstractScrollArea::eventFilter(watched, event);
}

void TTerminalView::wheelEvent(QWheelEvent* event) {
    catchUpBar();
    QAbstractScrollArea::wheelEvent(event);
}

void TTerminalView::scrollContentsBy(int, int) {
    if (settingBar_)
        return;
    topId_ = barBase_ + verticalScrollBar()->value();
    repaintAll();
}

void TTerminalView::scrollToLine(qint64 id) {
    const int rows = fullRows();
    if (id >= topId_ && id < topId_ + rows)
        return;
    setBar(id < topId_ ? id : id - rows + 1);
    repaintAll();
}

void TTerminalView::paintEvent(QPaintEvent* event) {
    QElapsedTimer took;
    took.start();
    QPainter painter(viewport());
    const QRect area = event->rect();
    const QColor base = palette().color(QPalette::Base);
    const int height = rows_.height();
    const int endRow = area.bottom() / height + 1;
    int row = area.top() / height;
    for (; row < endRow && lineOfRow(row) < ring_.endId(); ++row) {
        const qint64 id = lineOfRow(row);
        // A line dropped since the last frame, which moves the rows up.
        if (id < ring_.firstId()) {
            FillInBands(painter, QRect(area.left(), row * height, area.width(), height), base);
            continue;
        }
        const QByteArrayView bytes = ring_.line(id);
        const auto selected = selection_.isEmpty() ? TTerminalRows::Range()
                                                   : selection_.rangeIn(id, ShownLength(ring_, id));
        painter.drawImage(QPoint(0, row * height), rows_.image(id, bytes, selected));
    }
    const int below = row * height;
    FillInBands(painter, QRect(area.left(), below, area.width(), area.bottom() - below + 1), base);
    const TTextPlace caret = selection_.caret;
    if (hasFocus() && selection_.isEmpty() && caret.line >= topId_ && ring_.holds(caret.line) &&
        caret.line < lineOfRow(endRow)) {
        const qreal x = rows_.xOf(caret.line, ring_.line(caret.line), caret.column);
        const int y = static_cast<int>(caret.line - topId_) * height;
        painter.fillRect(QRectF(x, y, 1, height), palette().color(QPalette::Text));
    }
    rows_.keepOnly(topId_, std::min(ring_.endId(), topId_ + fullRows() + 1));
    paintNs_ = took.nsecsElapsed();
}

void TTerminalView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    rows_.setWidth(viewport()->width());
    repaintAll();
    flush();
}

void TTerminalView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        rows_.setFont(font());
        repaintAll();
        flush();
    }
    if (event->type() == QEvent::PaletteChange) {
        rows_.setColours(palette());
        repaintAll();
    }
}

QString TTerminalView::shownLine(qint64 id) const {
    return ring_.holds(id) ? ShownText(ring_.line(id)) : QString();
}

QString TTerminalView::toPlainText() const {
    QString text;
    for (qint64 id = ring_.firstId(); id < ring_.endId(); ++id) {
        if (id != ring_.firstId())
            text += QLatin1Char('\n');
        text += ShownText(ring_.line(id));
    }
    return text;
}

TTextPlace TTerminalView::placeAt(const QPoint& point) {
    if (ring_.count() == 0)
        return {ring_.endId(), 0};
    const int row = std::max(0, point.y()) / rows_.height();
    const qint64 id = std::clamp(lineOfRow(row), ring_.firstId(), ring_.endId() - 1);
    return {id, rows_.columnAt(id, ring_.line(id), point.x())};
}

QRect TTerminalView::placeRect(TTextPlace place) {
    if (!ring_.holds(place.line))
        return {};
    const QByteArrayView bytes = ring_.line(place.line);
    const qreal left = rows_.xOf(place.line, bytes, place.column);
    const qreal right = rows_.xOf(place.line, bytes, place.column + 1);
    const int top = static_cast<int>(place.line - topId_) * rows_.height();
    return QRect(QPoint(qRound(left), top),
                 QPoint(qRound(std::max(left + 1, right)) - 1, top + rows_.height() - 1));
}

void TTerminalView::setSelection(TTextPlace anchor, TTextPlace caret) {
    selection_.anchor = anchor;
    selection_.caret = caret;
    selection_.clampTo(ring_);
    rows_.forgetImages();
    repaintAll();
    TerminalSelectionChanged(this);
}

QString TTerminalView::selectedText() const {
    return selection_.text(ring_);
}

void TTerminalView::selectAll() {
    const TLineRing& lines = ring_;
    setSelection({lines.firstId(), 0},
                 TTerminalSelection::moved({}, TTerminalSelection::Move::End, lines, 0));
}

void TTerminalView::moveCaret(TTextPlace to, bool extend) {
    setSelection(extend ? selection_.anchor : to, to);
    scrollToLine(to.line);
}
