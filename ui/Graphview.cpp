#include "ui/Graphview.h"

#include <algorithm>

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
    scrollBar_.setRange(0, graph::ScrollMaximum(plot().width, factor_));
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
    SetCursorB(mapping().SampleAt(x));
}

void TGraphView::RepaintAll() {
    RebuildImage();
    update();
}

void TGraphView::RebuildImage() {
    const QSize box = size();
    if (!ImageCurrent()) image_ = graphpaint::ChartImage(box, devicePixelRatioF());
    const graph::Plot plot = this->plot();
    factor_ = graph::ZoomFactor(zoom_, store_.count(), plot.width);
    // A smaller maximum may pull the position back; this repaint already uses the new one.
    ApplyScrollRange(plot, this->pos());
    const int pos = this->pos();
    cursorColumn_ = graph::ClampColumn(cursorColumn_, plot.width);
    cursorDrawn_ = false;
    if (!image_.isNull()) {
        graphpaint::PaintFrame(image_, box, pos, factor_, samplePeriodMs_, colours_);
        if (store_.count() > 0) {
            graphpaint::PaintColumns(
                image_, store_, plot, pos, factor_,
                graph::ColumnsOf(0, store_.count() - 1, pos, plot.width, factor_), visible_,
                colours_);
        }
        if (cursorOn_) {
            graphpaint::XorCursor(image_, plot, cursorColumn_, colours_);
            cursorDrawn_ = true;
        }
    }
    RefreshReadout();
}

void TGraphView::ApplyScrollRange(const graph::Plot& plot, int pos) {
    // The whole log is in view from sample 0: nothing to scroll to.
    const int maximum = zoom_ == graph::WholeLog ? 0 : graph::ScrollMaximum(plot.width, factor_);
    rebuilding_ = true;
    scrollBar_.setMaximum(maximum);
    scrollBar_.setSingleStep(graph::ScrollSmallStep * factor_);
    scrollBar_.setPageStep(graph::ScrollLargeStep * factor_);
    scrollBar_.setValue(std::min(maximum, graph::ClampPos(pos, plot.width, factor_)));
    rebuilding_ = false;
}

void TGraphView::DrawSamples(int a, int b) {
    const graph::Plot plot = this->plot();
    // A whole log that no longer fits takes the next factor: a new picture.
    if (!ImageCurrent() || graph::ZoomFactor(zoom_, store_.count(), plot.width) != factor_) {
        RepaintAll();
        return;
    }
    const int pos = this->pos();
    const graph::ColumnSpan span = graph::ColumnsOf(a, b, pos, plot.width, factor_);
    if (span.first <= span.last) {
        QRect dirty;
        // The cursor comes off first so that the XOR lands on the finished column again.
        if (cursorDrawn_) dirty |= graphpaint::XorCursor(image_, plot, cursorColumn_, colours_);
        dirty |=
            graphpaint::PaintColumns(image_, store_, plot, pos, factor_, span, visible_, colours_);
        if (cursorOn_) dirty |= graphpaint::XorCursor(image_, plot, cursorColumn_, colours_);
        cursorDrawn_ = cursorOn_;
        update(dirty);
    }
    RefreshReadout();
}

void TGraphView::AutoScrollAfterAppend(int count) {
    if (zoom_ == graph::WholeLog) return;  // it grows its factor instead (DrawSamples)
    const int pos = this->pos();
    const int next = graph::ScrollAfterAppend(count, pos, plot().width, autoScroll_, factor_);
    if (next != pos) SetPos(next);
}

void TGraphView::SetZoom(int setting) {
    if (!graph::ValidZoom(setting)) setting = 1;
    if (setting == zoom_) return;
    const graph::Plot plot = this->plot();
    const int anchorColumn = cursorOn_ ? cursorColumn_ : 0;
    const int anchorSample = graph::FirstSampleOf(pos(), anchorColumn, factor_);
    zoom_ = setting;
    factor_ = graph::ZoomFactor(zoom_, store_.count(), plot.width);
    const int pos = graph::PosAfterZoom(anchorSample, anchorColumn, factor_, plot.width);
    ApplyScrollRange(plot, pos);
    if (cursorOn_) {
        cursorColumn_ = graph::ClampColumn(
            graph::ColumnOfSample(anchorSample, this->pos(), factor_), plot.width);
    }
    RepaintAll();
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
    QRect dirty;
    if (cursorDrawn_) dirty |= graphpaint::XorCursor(image_, plot, cursorColumn_, colours_);
    if (on) dirty |= graphpaint::XorCursor(image_, plot, column, colours_);
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
                                               graph::RecordedSampleAt(store_, sample));
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
    // A dragged slider may stop inside a column; the view starts at a column boundary.
    const int value = scrollBar_.value();
    const int snapped = graph::ClampPos(value, plot().width, factor_);
    if (snapped != value && zoom_ != graph::WholeLog) {
        scrollBar_.setValue(snapped);  // moves again, and that repaints
        return;
    }
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
    const qreal ratio = devicePixelRatioF();
    return !image_.isNull() && image_.devicePixelRatio() == ratio &&
           image_.size() == graphpaint::PhysicalSize(size(), ratio);
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
    // The source is in the image's own pixels, the target in logical ones.
    const qreal ratio = image_.devicePixelRatio();
    for (const QRect& rect : event->region()) {
        const QRectF target(rect);
        painter.drawImage(target, image_, QRectF(target.topLeft() * ratio, target.size() * ratio));
    }
    const ChartMapping chart = mapping();
    for (const auto& overlay : overlays_) overlay->Paint(painter, image_, chart);
}

bool TGraphView::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QWidget::event(event);
    const QPoint at = static_cast<QHelpEvent*>(event)->pos();
    const ChartMapping chart = mapping();
    for (const auto& overlay : overlays_) {
        const QString tip = overlay->ToolTipAt(at, chart);
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
    const int next = graph::DragPos(x, width(), pos, plot().width, autoScroll_, factor_);
    if (next != pos) SetPos(next);
    DrawCursor(cursorOn_, graph::MouseColumn(x));
}
