#include "ui/Referenceview.h"

#include <QList>
#include <algorithm>
#include <array>

#include "ui/Graphpaint.h"

namespace {

/// Halfway between `colour` and `background`.
QColor Tint(const QColor& colour, const QColor& background) {
    return QColor((colour.red() + background.red()) / 2, (colour.green() + background.green()) / 2,
                  (colour.blue() + background.blue()) / 2);
}

}  // namespace

void TReferenceView::Set(std::unique_ptr<TraceStore> store, const graph::Visibility& inFile) {
    store_ = std::move(store);
    inFile_ = inFile;
}

void TReferenceView::Paint(QPainter& painter, const QImage& picture, const graph::Plot& plot,
                           int pos) const {
    if (!store_ || store_->count() == 0 || picture.isNull()) return;
    const QColor background = graphpaint::ToQColor(colours_[colours::Background]);
    const QRgb backgroundPixel = background.rgb();
    // The reference lies under the live run: its pixels go only where the picture shows the
    // background, never over a live trace, the grid or cursor A.
    std::array<QList<QPoint>, TraceCount> points;
    const graph::ColumnSpan span = graph::ColumnsOf(0, store_->count() - 1, pos, plot.width);
    for (int column = span.first; column <= span.last; ++column) {
        const int sample = pos + column;
        const int previous = graph::PreviousSample(pos, column);
        for (int trace = 0; trace < TraceCount; ++trace) {
            if (!chartVisible_[trace] || !inFile_[trace]) continue;
            const graph::VLine line =
                graph::TraceColumn(trace, column, store_->value(trace, sample),
                                   store_->value(trace, previous), plot.height);
            if (line.x < 0 || line.x >= picture.width()) continue;
            for (int y = std::max(line.top, 0); y < std::min(line.bottom, picture.height()); ++y) {
                if (picture.pixel(line.x, y) == backgroundPixel) points[trace].append({line.x, y});
            }
        }
    }
    painter.save();
    for (int trace = 0; trace < TraceCount; ++trace) {
        if (points[trace].isEmpty()) continue;
        painter.setPen(
            Tint(graphpaint::ToQColor(colours_[colours::TraceSlots[trace]]), background));
        painter.drawPoints(points[trace].constData(), static_cast<int>(points[trace].size()));
    }
    painter.restore();
}
