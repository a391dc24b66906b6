#include "Referencechart.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QString>

#include "ui/Graphpaint.h"

namespace {

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void TextAt(QPainter& painter, int left, int top, const QString& text) {
    painter.drawText(QPoint(left, top + painter.fontMetrics().ascent()), text);
}

QRect RowRect(const graph::HLine& line) {
    return QRect(line.left, line.y, line.right - line.left, 1);
}

}  // namespace

QImage ReferenceChart(const TraceStore& store, const ReferenceScene& scene) {
    using graphpaint::RectOf;
    using graphpaint::ToQColor;
    QImage image(scene.box, QImage::Format_RGB32);
    const graph::Plot plot = graph::PlotOf(scene.box.width(), scene.box.height());
    const QColor axis = ToQColor(scene.colours[colours::Axis]);
    QPainter painter(&image);
    painter.fillRect(image.rect(), ToQColor(scene.colours[colours::Background]));
    painter.setPen(ToQColor(scene.colours[colours::Text]));
    QFont font = painter.font();
    font.setPointSize(8);
    painter.setFont(font);
    const QFontMetrics metrics = painter.fontMetrics();
    painter.fillRect(RectOf(graph::LeftBorder(plot)), axis);
    painter.fillRect(RectOf(graph::RightBorder(plot)), axis);
    const int timeTop = graph::TimeLabelTop(plot);
    for (const graph::TimeMark& mark : graph::TimeGrid(plot, scene.pos, scene.samplePeriodMs)) {
        painter.fillRect(RectOf(mark.line), axis);
        const QString label = ToQString(mark.label);
        TextAt(painter, graph::CentredLeft(mark.labelCentre, metrics.horizontalAdvance(label)),
               timeTop, label);
    }
    TextAt(painter, graph::TimeUnitLeft(plot), timeTop, ToQString(graph::TimeUnit));
    const int halfHeight = metrics.height() / 2;
    for (const graph::ValueMark& mark : graph::ValueGrid(plot)) {
        painter.fillRect(RowRect(mark.line), axis);
        const QString inner = ToQString(mark.inner);
        const QString outer = ToQString(mark.outer);
        const int top = mark.line.y - halfHeight;
        TextAt(painter, graph::InnerLabelRight - metrics.horizontalAdvance(inner), top, inner);
        TextAt(painter, graph::OuterLabelRight - metrics.horizontalAdvance(outer), top, outer);
    }
    TextAt(painter, graph::CaptionLeft, graph::CaptionTop, ToQString(graph::AxisCaption));

    painter.setCompositionMode(QPainter::CompositionMode_Source);
    if (store.count() > 0) {
        const graph::ColumnSpan span =
            graph::ColumnsOf(0, store.count() - 1, scene.pos, plot.width);
        for (int column = span.first; column <= span.last; ++column) {
            const int sample = scene.pos + column;
            const int previous = graph::PreviousSample(scene.pos, column);
            for (int trace = 0; trace < TraceCount; ++trace) {
                if (!scene.visible[trace]) continue;
                const graph::VLine line =
                    graph::TraceColumn(trace, column, store.value(trace, sample),
                                       store.value(trace, previous), plot.height);
                painter.fillRect(RectOf(line), ToQColor(scene.colours[colours::TraceSlots[trace]]));
            }
        }
    }
    if (scene.cursorOn) {
        painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
        const colours::ColourValue pen =
            graph::CursorPen(scene.colours[colours::Background], scene.colours[colours::Cursor]);
        painter.fillRect(
            RectOf(graph::CursorLine(plot, graph::ClampColumn(scene.cursorColumn, plot.width))),
            ToQColor(pen));
    }
    return image;
}
