#pragma once

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QString>

#include "traces/Graphgeometry.h"

/// Where the chart shows its samples: the plot, the view's position (the sample that starts
/// column 0) and how many samples one column shows. Overlays turn samples into columns, and x
/// back into samples, only through this, which is the mapping the chart itself draws with, so
/// that they land on the chart's columns at every zoom.
struct ChartMapping {
    graph::Plot plot{};
    int pos = 0;
    int factor = 1;

    /// The column showing `sample`; outside 0 .. W - 1 when the sample is out of view.
    int ColumnOf(int sample) const { return graph::ColumnOfSample(sample, pos, factor); }
    bool InView(int column) const { return column >= 0 && column < plot.width; }
    /// The sample a press at x picks, as cursor A does: the first sample of the column under
    /// x, the column limited to the plot.
    int SampleAt(int x) const {
        return graph::FirstSampleOf(pos, graph::ClampColumn(graph::MouseColumn(x), plot.width),
                                    factor);
    }
};

/// Something the chart shows over its picture on screen, not in it: cursor B, the marks of the
/// changes sent, a reference run. The view paints each overlay after copying its picture, so
/// an overlay never disturbs the picture's own cursor or live drawing.
class GraphOverlay {
  public:
    virtual ~GraphOverlay() = default;
    /// Paints onto the view as `chart` maps it, in the view's logical pixels; the painter is
    /// clipped to the region being repainted. `picture` is what lies under it on screen, in
    /// the screen's device pixels (its devicePixelRatio).
    virtual void Paint(QPainter& painter, const QImage& picture,
                       const ChartMapping& chart) const = 0;
    /// The tool tip for the mouse at `point` (logical pixels), empty when the overlay has none
    /// there.
    virtual QString ToolTipAt(QPoint point, const ChartMapping& chart) const {
        (void)point, (void)chart;
        return {};
    }
};
