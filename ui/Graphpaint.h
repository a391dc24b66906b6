#pragma once

#include <QColor>
#include <QPainter>
#include <QRect>

#include "traces/Colours.h"
#include "traces/Graphgeometry.h"
#include "traces/Tracestore.h"

/// Drawing of the strip chart onto a QPainter; every coordinate comes from graph::.
namespace graphpaint {

/// The Qt colour of a stored colour value.
QColor ToQColor(colours::ColourValue colour);

/// Pixel rectangle covered by a line.
QRect RectOf(const graph::VLine& line);

/// Fills the box with Background and draws borders, grids, labels, unit and caption.
void PaintFrame(QPainter& painter, QSize box, int pos, int samplePeriodMs,
                const colours::ColourSet& colours);

/// Draws the visible traces in plot columns span.first .. span.last (copy mode) and returns
/// the rectangle touched (empty when the span is).
QRect PaintColumns(QPainter& painter, const TraceStore& store, const graph::Plot& plot, int pos,
                   graph::ColumnSpan span, const graph::Visibility& visible,
                   const colours::ColourSet& colours);

/// NOT-XORs the cursor line onto column `column`; a second call restores every pixel.
/// Returns the rectangle touched.
QRect XorCursor(QPainter& painter, const graph::Plot& plot, int column,
                const colours::ColourSet& colours);

}  // namespace graphpaint
