#include "ui/Referenceview.h"

#include <QList>
#include <algorithm>
#include <array>

#include "traces/Graphzoom.h"
#include "ui/Graphpaint.h"
#include "ui/Scanpaint.h"

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

void TReferenceView::Paint(QPainter& painter, const QImage& picture,
                           const ChartMapping& chart) const {
    if (!store_ || store_->count() == 0 || picture.isNull()) return;
    const QColor background = graphpaint::ToQColor(colours_[colours::Background]);
    const QRgb backgroundPixel = background.rgb();
    const qreal ratio = picture.devicePixelRatio();
    const auto device = [ratio](int v) { return TScanPainter::PhysicalEdge(v, ratio); };
    // The reference lies under the live run: its pixels go only where the picture shows the
    // background, never over a live trace, the grid or cursor A. The picture is read, and
    // drawn over, in its own device pixels, one at a time.
    std::array<QList<QPoint>, TraceCount> points;
    const int last = store_->count() - 1;
    const graph::ColumnSpan span =
        graph::ColumnsOf(0, last, chart.pos, chart.plot.width, chart.factor);
    for (int column = span.first; column <= span.last; ++column) {
        // The column as the chart draws its own: from the sample before it to the lowest and
        // highest of its samples.
        const graph::ColumnSamples samples =
            graph::SamplesOfColumn(chart.pos, column, chart.factor, last);
        for (int trace = 0; trace < TraceCount; ++trace) {
            if (!chartVisible_[trace] || !inFile_[trace]) continue;
            const graph::Extremes e = graph::ColumnExtremes(store_->column(trace).data(), samples);
            const graph::VLine line =
                graph::TraceColumn(trace, column, e.high, e.low, chart.plot.height);
            const int left = std::max(device(line.x), 0);
            const int right = std::min(device(line.x + 1), picture.width());
            const int bottom = std::min(device(line.bottom), picture.height());
            for (int y = std::max(device(line.top), 0); y < bottom; ++y) {
                for (int x = left; x < right; ++x)
                    if (picture.pixel(x, y) == backgroundPixel) points[trace].append({x, y});
            }
        }
    }
    painter.save();
    // One unit a device pixel: a point of a one-unit pen is then exactly the pixel read.
    painter.scale(1 / ratio, 1 / ratio);
    for (int trace = 0; trace < TraceCount; ++trace) {
        if (points[trace].isEmpty()) continue;
        painter.setPen(
            QPen(Tint(graphpaint::ToQColor(colours_[colours::TraceSlots[trace]]), background), 1));
        painter.drawPoints(points[trace].constData(), static_cast<int>(points[trace].size()));
    }
    painter.restore();
}
