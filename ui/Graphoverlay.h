#pragma once

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QString>

#include "traces/Graphgeometry.h"

/// Something the chart shows over its picture on screen, not in it: cursor B, the marks of the
/// changes sent, a reference run. The view paints each overlay after copying its picture, so
/// an overlay never disturbs the picture's own cursor or live drawing.
class GraphOverlay {
  public:
    virtual ~GraphOverlay() = default;
    /// Paints onto the view with the view at `pos` (the sample in column 0); the painter is
    /// clipped to the region being repainted. `picture` is what lies under it on screen.
    virtual void Paint(QPainter& painter, const QImage& picture, const graph::Plot& plot,
                       int pos) const = 0;
    /// The tool tip for the mouse at `point`, empty when the overlay has none there.
    virtual QString ToolTipAt(QPoint point, const graph::Plot& plot, int pos) const {
        (void)point, (void)plot, (void)pos;
        return {};
    }
};
