#include "ui/Referenceview.h"

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

void TReferenceView::Paint(QPainter& painter, const graph::Plot& plot, int pos) const {
    if (!store_ || store_->count() == 0) return;
    const QColor background = graphpaint::ToQColor(colours_[colours::Background]);
    std::array<QColor, TraceCount> tints;
    for (int trace = 0; trace < TraceCount; ++trace) {
        tints[trace] = Tint(graphpaint::ToQColor(colours_[colours::TraceSlots[trace]]), background);
    }
    const graph::ColumnSpan span = graph::ColumnsOf(0, store_->count() - 1, pos, plot.width);
    for (int column = span.first; column <= span.last; ++column) {
        const int sample = pos + column;
        const int previous = graph::PreviousSample(pos, column);
        for (int trace = 0; trace < TraceCount; ++trace) {
            if (!chartVisible_[trace] || !inFile_[trace]) continue;
            const graph::VLine line =
                graph::TraceColumn(trace, column, store_->value(trace, sample),
                                   store_->value(trace, previous), plot.height);
            painter.fillRect(graphpaint::RectOf(line), tints[trace]);
        }
    }
}
