#include "ui/Graphview.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>

#include "ui/Cursorb.h"
#include "ui/Graphpaint.h"

namespace {

// The paint box's size in the main window at its minimum size.
constexpr QSize LayoutSize(866, 418);

}  // namespace

TGraphView::TGraphView(const TraceStore& store, QScrollBar& scrollBar, QWidget* parent)
    : QWidget(parent), store_(store), scrollBar_(scrollBar) {
    setObjectName(QStringLiteral("LogPaintBox"));
    // paintEvent covers every pixel from the image.
    setAttribute(Qt::WA_OpaquePaintEvent);
    scrollBar_.setObjectName(QStringLiteral("LogScrollBar"));
    scrollBar_.setOrientation(Qt::Horizontal);
    scrollBar_.setRange(0, graph::ScrollMaximum(plot().width));
    scrollBar_.setSingleStep(graph::ScrollSmallStep);
    scrollBar_.setPageStep(graph::ScrollLargeStep);
    connect(&scrollBar_, &QScrollBar::valueChanged, this, [this] { ScrollBarMoved(); });
    auto cursorB = std::make_unique<TCursorB>(colours_);
    cursorB_ = cursorB.get();
    AddOverlay(std::move(cursorB));
}

TGraphView::~TGraphView() = default;

void TGraphView::SetCursorB(std::optional<int> sample) {
    if (sample) *sample = std::clamp(*sample, 0, TraceCapacity - 1);
    if (sample == cursorB_->sample()) return;
    cursorB_->Set(sample);
    update();
    emit cursorsMoved();
}

std::optional<int> TGraphView::cursorBSample() const {
    return cursorB_->sample();
}

void TGraphView::AddOverlay(std::unique_ptr<GraphOverlay> overlay) {
    overlays_.push_back(std::move(overlay));
    update();
}

void TGraphView::MoveCursorB(int x) {
    const int column = graph::ClampColumn(graph::MouseColumn(x), plot().width);
    SetCursorB(pos() + column);
}

void TGraphView::RepaintAll() {
    RebuildImage();
    update();
}

void TGraphView::RebuildImage() {
    const QSize box = size();
    if (image_.size() != box) image_ = box.isEmpty() ? QImage() : QImage(box, QImage::Format_RGB32);
    const graph::Plot plot = this->plot();
    // A smaller maximum may pull the position back; this repaint already uses the new one.
    rebuilding_ = true;
    scrollBar_.setMaximum(graph::ScrollMaximum(plot.width));
    rebuilding_ = false;
    const int pos = this->pos();
    cursorColumn_ = graph::ClampColumn(cursorColumn_, plot.width);
    cursorDrawn_ = false;
    if (!image_.isNull()) {
        QPainter painter(&image_);
        graphpaint::PaintFrame(painter, box, pos, samplePeriodMs_, colours_);
        if (store_.count() > 0) {
            graphpaint::PaintColumns(painter, store_, plot, pos,
                                     graph::ColumnsOf(0, store_.count() - 1, pos, plot.width),
                                     visible_, colours_);
        }
        if (cursorOn_) {
            graphpaint::XorCursor(painter, plot, cursorColumn_, colours_);
            cursorDrawn_ = true;
        }
    }
    RefreshReadout();
}

void TGraphView::DrawSamples(int a, int b) {
    if (!ImageCurrent()) {
        RepaintAll();
        return;
    }
    const graph::Plot plot = this->plot();
    const int pos = this->pos();
    const graph::ColumnSpan span = graph::ColumnsOf(a, b, pos, plot.width);
    if (span.first <= span.last) {
        QPainter painter(&image_);
        QRect dirty;
        // The cursor comes off first so that the XOR lands on the finished column again.
        if (cursorDrawn_) dirty |= graphpaint::XorCursor(painter, plot, cursorColumn_, colours_);
        dirty |= graphpaint::PaintColumns(painter, store_, plot, pos, span, visible_, colours_);
        if (cursorOn_) dirty |= graphpaint::XorCursor(painter, plot, cursorColumn_, colours_);
        cursorDrawn_ = cursorOn_;
        update(dirty);
    }
    RefreshReadout();
}

void TGraphView::AutoScrollAfterAppend(int count) {
    const int pos = this->pos();
    const int next = graph::ScrollAfterAppend(count, pos, plot().width, autoScroll_);
    if (next != pos) SetPos(next);
}

void TGraphView::SetCursor(bool on) {
    cursorOn_ = on;
    DrawCursor(on, cursorColumn_);
    emit cursorsMoved();
}

void TGraphView::SetCursorColumn(int column) {
    DrawCursor(cursorOn_, column);
}

void TGraphView::DrawCursor(bool on, int column) {
    const graph::Plot plot = this->plot();
    column = graph::ClampColumn(column, plot.width);
    if (!ImageCurrent()) {
        cursorColumn_ = column;
        RepaintAll();
        return;
    }
    QPainter painter(&image_);
    QRect dirty;
    if (cursorDrawn_) dirty |= graphpaint::XorCursor(painter, plot, cursorColumn_, colours_);
    if (on) dirty |= graphpaint::XorCursor(painter, plot, column, colours_);
    painter.end();
    cursorDrawn_ = on;
    const bool moved = column != cursorColumn_;
    cursorColumn_ = column;
    update(dirty);
    RefreshReadout();
    if (moved) emit cursorsMoved();
}

void TGraphView::RefreshReadout() {
    const int sample = cursorSample();
    graph::Readout texts = graph::ReadoutTexts(cursorOn_, sample, samplePeriodMs_, visible_,
                                               graph::SampleAt(store_, sample));
    if (texts == readout_) return;
    readout_ = std::move(texts);
    QStringList list;
    for (const std::string& text : readout_) list.append(QString::fromStdString(text));
    emit readoutChanged(list);
}

int TGraphView::pos() const {
    return scrollBar_.value();
}

void TGraphView::SetPos(int pos) {
    scrollBar_.setValue(pos);
}

void TGraphView::ScrollBarMoved() {
    if (rebuilding_) return;
    RepaintAll();
    // Cursor A keeps its column, so it now stands on another sample.
    if (cursorOn_) emit cursorsMoved();
}

void TGraphView::SetFreeze(bool frozen) {
    if (frozen == frozen_) return;
    frozen_ = frozen;
    if (!frozen_) RepaintAll();
}

void TGraphView::SetSamplePeriod(int ms) {
    if (ms == samplePeriodMs_) return;
    samplePeriodMs_ = ms;
    RepaintAll();
}

void TGraphView::SetVisibility(const graph::Visibility& visible) {
    if (visible == visible_) return;
    visible_ = visible;
    RepaintAll();
}

void TGraphView::SetColours(const colours::ColourSet& colours) {
    if (colours == colours_) return;
    colours_ = colours;
    RepaintAll();
}

graph::Plot TGraphView::plot() const {
    return graph::PlotOf(width(), height());
}

bool TGraphView::ImageCurrent() const {
    return !image_.isNull() && image_.size() == size();
}

QSize TGraphView::sizeHint() const {
    return LayoutSize;
}

void TGraphView::paintEvent(QPaintEvent* event) {
    if (!ImageCurrent()) {
        // A size change not yet seen by resizeEvent; update() is no use from inside a paint.
        RebuildImage();
    }
    if (image_.isNull()) return;
    QPainter painter(this);
    for (const QRect& rect : event->region()) painter.drawImage(rect, image_, rect);
    const graph::Plot plot = this->plot();
    const int pos = this->pos();
    for (const auto& overlay : overlays_) overlay->Paint(painter, image_, plot, pos);
}

bool TGraphView::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QWidget::event(event);
    const QPoint at = static_cast<QHelpEvent*>(event)->pos();
    for (const auto& overlay : overlays_) {
        const QString tip = overlay->ToolTipAt(at, plot(), pos());
        if (tip.isEmpty()) continue;
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), tip, this);
        return true;
    }
    QToolTip::hideText();
    event->ignore();
    return true;
}

void TGraphView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    RepaintAll();
}

void TGraphView::mousePressEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) return;
    draggingB_ = event->modifiers().testFlag(Qt::ShiftModifier);
    if (draggingB_) {
        MoveCursorB(event->position().toPoint().x());
        return;
    }
    const bool wasOn = cursorOn_;
    cursorOn_ = true;
    DrawCursor(true, graph::MouseColumn(event->position().toPoint().x()));
    if (!wasOn) emit cursorSwitchedOn();
}

void TGraphView::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) return;
    const int x = event->position().toPoint().x();
    if (draggingB_) {
        // B stays where it is dragged to; the view does not follow it.
        MoveCursorB(x);
        return;
    }
    const int pos = this->pos();
    const int next = graph::DragPos(x, width(), pos, plot().width, autoScroll_);
    if (next != pos) SetPos(next);
    DrawCursor(cursorOn_, graph::MouseColumn(x));
}
