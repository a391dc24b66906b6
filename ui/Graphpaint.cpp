#include "ui/Graphpaint.h"

#include <array>
#include <cmath>
#include <string>

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QString>

#include "ui/Scanpaint.h"

namespace graphpaint {
namespace {

using colours::ColourSet;

// The window's 8-point font: the label columns' fixed margins are laid out for it.
constexpr int LabelPointSize = 8;
// Room between two time labels, in pixels.
constexpr int LabelGap = 12;
constexpr int MsPerSecond = 1000;

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QRgb Rgb32(colours::ColourValue colour) {
    return ToQColor(colour).rgb();
}

// Draws `text` with its top left corner at (left, top).
void TextAt(QPainter& painter, int left, int top, const QString& text) {
    painter.drawText(QPoint(left, top + painter.fontMetrics().ascent()), text);
}

// Columns a time label needs so that neighbours never touch: the widest label a log of this
// period can carry (its last sample's whole seconds), plus a gap.
int LabelColumns(const QFontMetrics& metrics, int samplePeriodMs) {
    const long long seconds =
        static_cast<long long>(TraceCapacity - 1) * samplePeriodMs / MsPerSecond;
    return metrics.horizontalAdvance(QString::number(seconds)) + LabelGap;
}

void PaintLabels(QPainter& painter, const graph::Plot& plot,
                 const std::vector<graph::TimeMark>& timeMarks) {
    const QFontMetrics metrics = painter.fontMetrics();
    const int top = graph::TimeLabelTop(plot);
    for (const graph::TimeMark& mark : timeMarks) {
        const QString label = ToQString(mark.label);
        TextAt(painter, graph::CentredLeft(mark.labelCentre, metrics.horizontalAdvance(label)), top,
               label);
    }
    TextAt(painter, graph::TimeUnitLeft(plot), top, ToQString(graph::TimeUnit));
    const int halfHeight = metrics.height() / 2;
    for (const graph::ValueMark& mark : graph::ValueGrid(plot)) {
        const QString inner = ToQString(mark.inner);
        const QString outer = ToQString(mark.outer);
        const int labelTop = mark.line.y - halfHeight;
        TextAt(painter, graph::InnerLabelRight - metrics.horizontalAdvance(inner), labelTop, inner);
        TextAt(painter, graph::OuterLabelRight - metrics.horizontalAdvance(outer), labelTop, outer);
    }
    TextAt(painter, graph::CaptionLeft, graph::CaptionTop, ToQString(graph::AxisCaption));
}

}  // namespace

QColor ToQColor(colours::ColourValue colour) {
    const colours::Rgb rgb = colours::ToRgb(colour);
    return QColor(rgb.red, rgb.green, rgb.blue);
}

QRect RectOf(const graph::VLine& line) {
    return TScanPainter::RectOf(line);
}

QSize PhysicalSize(QSize box, qreal ratio) {
    return QSize(static_cast<int>(std::floor(box.width() * ratio + 0.5)),
                 static_cast<int>(std::floor(box.height() * ratio + 0.5)));
}

QImage ChartImage(QSize box, qreal ratio) {
    if (box.isEmpty()) return QImage();
    QImage image(PhysicalSize(box, ratio), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    return image;
}

void PaintFrame(QImage& image, QSize box, int pos, int factor, int samplePeriodMs,
                const ColourSet& colours) {
    const graph::Plot plot = graph::PlotOf(box.width(), box.height());
    TScanPainter(image).Fill(0, 0, box.width(), box.height(), Rgb32(colours[colours::Background]));

    // Text first, through QPainter; lines and labels never share a pixel.
    std::vector<graph::TimeMark> timeMarks;
    {
        QPainter painter(&image);
        painter.setPen(ToQColor(colours[colours::Text]));
        QFont font = painter.font();
        font.setPointSize(LabelPointSize);
        painter.setFont(font);
        const int labelColumns =
            factor > 1 ? LabelColumns(painter.fontMetrics(), samplePeriodMs) : 0;
        timeMarks = graph::TimeGrid(plot, pos, samplePeriodMs, factor, labelColumns);
        PaintLabels(painter, plot, timeMarks);
    }

    TScanPainter lines(image);
    const QRgb axis = Rgb32(colours[colours::Axis]);
    lines.Fill(graph::LeftBorder(plot), axis);
    lines.Fill(graph::RightBorder(plot), axis);
    for (const graph::TimeMark& mark : timeMarks) lines.Fill(mark.line, axis);
    for (const graph::ValueMark& mark : graph::ValueGrid(plot)) lines.Fill(mark.line, axis);
}

QRect PaintColumns(QImage& image, const TraceStore& store, const graph::Plot& plot, int pos,
                   int factor, graph::ColumnSpan span, const graph::Visibility& visible,
                   const ColourSet& colours) {
    if (span.first > span.last) return QRect();
    std::array<QRgb, TraceCount> traceColours;
    for (int trace = 0; trace < TraceCount; ++trace)
        traceColours[trace] = Rgb32(colours[colours::TraceSlots[trace]]);
    TScanPainter scan(image);
    const int lastSample = store.count() - 1;
    int top = graph::BaselineY(plot) + 1;
    int bottom = graph::PlotTop;
    for (int column = span.first; column <= span.last; ++column) {
        const graph::ColumnSamples samples =
            graph::SamplesOfColumn(pos, column, factor, lastSample);
        for (int trace = 0; trace < TraceCount; ++trace) {
            if (!visible[trace]) continue;
            const graph::Extremes e = graph::ColumnExtremes(store.column(trace).data(), samples);
            const graph::VLine line = graph::TraceColumn(trace, column, e.high, e.low, plot.height);
            scan.Fill(line, traceColours[trace]);
            top = std::min(top, line.top);
            bottom = std::max(bottom, line.bottom);
        }
    }
    if (top >= bottom) return QRect();
    return QRect(QPoint(graph::ColumnX(span.first), top),
                 QPoint(graph::ColumnX(span.last), bottom - 1));
}

QRect XorCursor(QImage& image, const graph::Plot& plot, int column, const ColourSet& colours) {
    const graph::VLine line = graph::CursorLine(plot, column);
    const colours::ColourValue pen =
        graph::CursorPen(colours[colours::Background], colours[colours::Cursor]);
    TScanPainter(image).NotXor(line, Rgb32(pen));
    return RectOf(line);
}

}  // namespace graphpaint
