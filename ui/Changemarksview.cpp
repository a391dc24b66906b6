#include "ui/Changemarksview.h"

#include <QPolygon>
#include <cstdlib>

#include "ui/Graphpaint.h"

namespace {

// The marks hang from the top border, inside the plot.
int MarkTop() {
    return graph::PlotTop;
}

}  // namespace

void TChangeMarksView::Paint(QPainter& painter, const QImage& picture,
                             const ChartMapping& chart) const {
    (void)picture;  // the marks sit over the top border
    painter.save();
    painter.setPen(graphpaint::ToQColor(colours_[colours::Text]));
    painter.setBrush(graphpaint::ToQColor(colours_[colours::Cursor]));
    for (const ChangeEvent& e : log_.events()) {
        const int column = chart.ColumnOf(e.sample);
        if (!chart.InView(column)) continue;
        const int x = graph::ColumnX(column);
        const QPolygon mark({QPoint(x - HalfWidth, MarkTop()), QPoint(x + HalfWidth, MarkTop()),
                             QPoint(x, MarkTop() + Height)});
        painter.drawPolygon(mark);
    }
    painter.restore();
}

QString TChangeMarksView::ToolTipAt(QPoint point, const ChartMapping& chart) const {
    if (point.y() < MarkTop() - 1 || point.y() > MarkTop() + Height + 1) return {};
    QString tip;
    for (const ChangeEvent& e : log_.events()) {
        const int column = chart.ColumnOf(e.sample);
        if (!chart.InView(column)) continue;
        if (std::abs(graph::ColumnX(column) - point.x()) > HalfWidth) continue;
        if (!tip.isEmpty()) tip += QLatin1Char('\n');
        tip += QString::fromStdString(e.text);
    }
    return tip;
}
