#include "ui/Cursorb.h"

#include <QPen>

#include "ui/Graphpaint.h"

namespace {

constexpr int DashLength = 4;
constexpr int GapLength = 3;
constexpr int LabelGap = 2;  // between the top of the line and its "B"

}  // namespace

void TCursorB::Paint(QPainter& painter, const QImage& picture, const graph::Plot& plot,
                     int pos) const {
    (void)picture;  // B is drawn over whatever lies there
    if (!sample_) return;
    const int column = *sample_ - pos;
    if (column < 0 || column >= plot.width) return;
    const graph::VLine line = graph::CursorLine(plot, column);
    QPen pen(graphpaint::ToQColor(colours_[colours::Cursor]));
    pen.setDashPattern({DashLength, GapLength});
    painter.save();
    painter.setPen(pen);
    painter.drawLine(line.x, line.top, line.x, line.bottom - 1);
    painter.setPen(graphpaint::ToQColor(colours_[colours::Text]));
    painter.drawText(line.x + LabelGap, line.top + painter.fontMetrics().ascent(),
                     QStringLiteral("B"));
    painter.restore();
}
