#pragma once

#include <optional>

#include "traces/Colours.h"
#include "ui/Graphoverlay.h"

/// Cursor B: a second cursor on a sample, set by Shift+click. It is drawn dashed in the cursor
/// colour, so that it never reads as cursor A, in the column that shows its sample, and stays
/// on its sample while the view scrolls or zooms.
class TCursorB final : public GraphOverlay {
  public:
    explicit TCursorB(const colours::ColourSet& colours) : colours_(colours) {}

    std::optional<int> sample() const { return sample_; }
    void Set(std::optional<int> sample) { sample_ = sample; }

    void Paint(QPainter& painter, const QImage& picture, const ChartMapping& chart) const override;

  private:
    const colours::ColourSet& colours_;
    std::optional<int> sample_;
};
