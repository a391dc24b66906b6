#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>

#include "traces/Colours.h"
#include "traces/Graphgeometry.h"
#include "traces/Tracestore.h"

/// Drawing of the strip chart into its off-screen image; every coordinate comes from graph::.
/// Lines and trace columns are written straight into the image's scan lines (TScanPainter);
/// only text goes through QPainter. Coordinates are logical pixels of the paint box; the image
/// may carry a device pixel ratio.
namespace graphpaint {

/// The Qt colour of a stored colour value.
QColor ToQColor(colours::ColourValue colour);

/// Pixel rectangle covered by a line.
QRect RectOf(const graph::VLine& line);

/// Physical pixels of a paint box of `box` logical pixels at `ratio`.
QSize PhysicalSize(QSize box, qreal ratio);
/// An image for a paint box of `box` logical pixels on a screen of `ratio` device pixels per
/// logical one: Format_RGB32, with that device pixel ratio.
QImage ChartImage(QSize box, qreal ratio);

/// Fills the box with Background and draws borders, grids, labels, unit and caption for a view
/// at `pos` with `factor` samples a column.
void PaintFrame(QImage& image, QSize box, int pos, int factor, int samplePeriodMs,
                const colours::ColourSet& colours);

/// Draws the visible traces in plot columns span.first .. span.last (copy mode) and returns
/// the rectangle touched (empty when the span is). Each column joins the sample before it to
/// the lowest and highest of its own samples, up to the newest stored one.
QRect PaintColumns(QImage& image, const TraceStore& store, const graph::Plot& plot, int pos,
                   int factor, graph::ColumnSpan span, const graph::Visibility& visible,
                   const colours::ColourSet& colours);

/// NOT-XORs the cursor line onto column `column`; a second call restores every pixel.
/// Returns the rectangle touched.
QRect XorCursor(QImage& image, const graph::Plot& plot, int column,
                const colours::ColourSet& colours);

}  // namespace graphpaint
