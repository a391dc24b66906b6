#include "ui/Cursorb.h"

#include <algorithm>

#include "ui/Graphpaint.h"

namespace {

constexpr int DashLength = 4;
constexpr int GapLength = 3;
constexpr int LabelGap = 2;  // between the top of the line and its "B"

}  // namespace

void TCursorB::Paint(QPainter& painter, const QImage& picture, const ChartMapping& chart) const {
    (void)picture;  // B is drawn over whatever lies there
    if (!sample_) return;
    const int column = chart.ColumnOf(*sample_);
    if (!chart.InView(column)) return;
    const graph::VLine line = graph::CursorLine(chart.plot, column);
    const QColor colour = graphpaint::ToQColor(colours_[colours::Cursor]);
    // Dashes as whole-pixel rectangles: on a HiDPI screen a rectangle one logical pixel wide
    // covers exactly the device pixels of its column, where a pen's line would straddle two.
    for (int y = line.top; y < line.bottom; y += DashLength + GapLength)
        painter.fillRect(line.x, y, 1, std::min(DashLength, line.bottom - y), colour);
    painter.save();
    painter.setPen(graphpaint::ToQColor(colours_[colours::Text]));
    painter.drawText(line.x + LabelGap, line.top + painter.fontMetrics().ascent(),
                     QStringLiteral("B"));
    painter.restore();
}
