#include "ui/Graphpaint.h"

#include <algorithm>
#include <array>

#include <QFont>
#include <QFontMetrics>
#include <QString>

namespace graphpaint {
namespace {

using colours::ColourSet;

// The window's 8-point font: the label columns' fixed margins are laid out for it.
constexpr int LabelPointSize = 8;
constexpr int XorPieceRows = 64;

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QRect RowRect(const graph::HLine& line) {
    return QRect(line.left, line.y, line.right - line.left, 1);
}

// Draws `text` with its top left corner at (left, top).
void TextAt(QPainter& painter, int left, int top, const QString& text) {
    painter.drawText(QPoint(left, top + painter.fontMetrics().ascent()), text);
}

void PaintTimeGrid(QPainter& painter, const graph::Plot& plot, int pos, int samplePeriodMs,
                   const QColor& axis) {
    const QFontMetrics metrics = painter.fontMetrics();
    const int top = graph::TimeLabelTop(plot);
    for (const graph::TimeMark& mark : graph::TimeGrid(plot, pos, samplePeriodMs)) {
        painter.fillRect(RectOf(mark.line), axis);
        const QString label = ToQString(mark.label);
        TextAt(painter, graph::CentredLeft(mark.labelCentre, metrics.horizontalAdvance(label)), top,
               label);
    }
    TextAt(painter, graph::TimeUnitLeft(plot), top, ToQString(graph::TimeUnit));
}

void PaintValueGrid(QPainter& painter, const graph::Plot& plot, const QColor& axis) {
    const QFontMetrics metrics = painter.fontMetrics();
    const int halfHeight = metrics.height() / 2;
    for (const graph::ValueMark& mark : graph::ValueGrid(plot)) {
        painter.fillRect(RowRect(mark.line), axis);
        const QString inner = ToQString(mark.inner);
        const QString outer = ToQString(mark.outer);
        const int top = mark.line.y - halfHeight;
        TextAt(painter, graph::InnerLabelRight - metrics.horizontalAdvance(inner), top, inner);
        TextAt(painter, graph::OuterLabelRight - metrics.horizontalAdvance(outer), top, outer);
    }
}

}  // namespace

QColor ToQColor(colours::ColourValue colour) {
    const colours::Rgb rgb = colours::ToRgb(colour);
    return QColor(rgb.red, rgb.green, rgb.blue);
}

QRect RectOf(const graph::VLine& line) {
    return QRect(line.x, line.top, 1, line.bottom - line.top);
}

void PaintFrame(QPainter& painter, QSize box, int pos, int samplePeriodMs,
                const ColourSet& colours) {
    const graph::Plot plot = graph::PlotOf(box.width(), box.height());
    const QColor axis = ToQColor(colours[colours::Axis]);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.fillRect(QRect(QPoint(0, 0), box), ToQColor(colours[colours::Background]));
    painter.setPen(ToQColor(colours[colours::Text]));
    QFont font = painter.font();
    font.setPointSize(LabelPointSize);
    painter.setFont(font);
    painter.fillRect(RectOf(graph::LeftBorder(plot)), axis);
    painter.fillRect(RectOf(graph::RightBorder(plot)), axis);
    PaintTimeGrid(painter, plot, pos, samplePeriodMs, axis);
    PaintValueGrid(painter, plot, axis);
    TextAt(painter, graph::CaptionLeft, graph::CaptionTop, ToQString(graph::AxisCaption));
}

QRect PaintColumns(QPainter& painter, const TraceStore& store, const graph::Plot& plot, int pos,
                   graph::ColumnSpan span, const graph::Visibility& visible,
                   const ColourSet& colours) {
    QRect touched;
    std::array<QColor, TraceCount> traceColours;
    for (int trace = 0; trace < TraceCount; ++trace)
        traceColours[trace] = ToQColor(colours[colours::TraceSlots[trace]]);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (int column = span.first; column <= span.last; ++column) {
        const int sample = pos + column;
        const int previous = graph::PreviousSample(pos, column);
        for (int trace = 0; trace < TraceCount; ++trace) {
            if (!visible[trace]) continue;
            const graph::VLine line = graph::TraceColumn(trace, column, store.value(trace, sample),
                                                         store.value(trace, previous), plot.height);
            const QRect rect = RectOf(line);
            painter.fillRect(rect, traceColours[trace]);
            touched |= rect;
        }
    }
    return touched;
}

QRect XorCursor(QPainter& painter, const graph::Plot& plot, int column, const ColourSet& colours) {
    const QRect rect = RectOf(graph::CursorLine(plot, column));
    const colours::ColourValue pen =
        graph::CursorPen(colours[colours::Background], colours[colours::Cursor]);
    const QColor colour = ToQColor(pen);
    painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    // Qt hands a fill of more than about 96 rows to its GUI thread pool; for a line one pixel
    // wide that hand-off costs several times the pixels, so the cursor goes in short pieces.
    for (int top = rect.top(); top <= rect.bottom(); top += XorPieceRows) {
        painter.fillRect(
            QRect(rect.left(), top, 1, std::min(XorPieceRows, rect.bottom() + 1 - top)), colour);
    }
    return rect;
}

}  // namespace graphpaint
