#pragma once

#include <memory>

#include "traces/Colours.h"
#include "traces/Graphgeometry.h"
#include "traces/Tracestore.h"
#include "ui/Graphoverlay.h"

/// A reference run: a saved recording drawn under the live one for comparison, aligned at its
/// first sample to the live recording's first sample. Its traces are drawn the way the chart
/// draws its own, at the chart's zoom, in a tint halfway between their colour and the
/// background, only those visible in the chart and in its file, and only on background pixels
/// of the picture (device pixels on a HiDPI screen), so that the live run stays on top.
class TReferenceView final : public GraphOverlay {
  public:
    TReferenceView(const graph::Visibility& chartVisible, const colours::ColourSet& colours)
        : chartVisible_(chartVisible), colours_(colours) {}

    /// Takes `store` as the reference; `inFile` says which traces its file held.
    void Set(std::unique_ptr<TraceStore> store, const graph::Visibility& inFile);
    void Clear() { store_.reset(); }
    /// The reference's samples, or null without one.
    const TraceStore* store() const { return store_.get(); }

    void Paint(QPainter& painter, const QImage& picture, const ChartMapping& chart) const override;

  private:
    const graph::Visibility& chartVisible_;
    const colours::ColourSet& colours_;
    std::unique_ptr<TraceStore> store_;
    graph::Visibility inFile_{};
};
