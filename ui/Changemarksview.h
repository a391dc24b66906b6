#pragma once

#include <QString>

#include "core/Changelog.h"
#include "traces/Colours.h"
#include "ui/Graphoverlay.h"

/// The change marks along the chart's top edge: a small triangle over the column that shows
/// each event's sample, its text in a tool tip. Events on one column (zoomed out, a column
/// shows several samples) share a mark and a tip.
class TChangeMarksView final : public GraphOverlay {
  public:
    TChangeMarksView(const Changelog& log, const colours::ColourSet& colours)
        : log_(log), colours_(colours) {}

    void Paint(QPainter& painter, const QImage& picture, const ChartMapping& chart) const override;
    QString ToolTipAt(QPoint point, const ChartMapping& chart) const override;

    /// Half the width of a mark and its height, in pixels.
    static constexpr int HalfWidth = 4;
    static constexpr int Height = 7;

  private:
    const Changelog& log_;
    const colours::ColourSet& colours_;
};
