#include "ui/Tracelegend.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>

#include "ui/Graphpaint.h"

namespace {

struct LegendEntry {
    const char* boxName;
    const char* labelName;
    const char* caption;
};

// Storage order; the captions start with an em dash.
constexpr std::array<LegendEntry, TraceCount> Entries = {{
    {"cbTset", "lbTset", "\u2014 Tset"},
    {"cbTget", "lbTget", "\u2014 Tget"},
    {"cbTcj", "lbTcj", "\u2014 Tcj"},
    {"cbPower", "lbPower", "\u2014 Power"},
    {"cbVset", "lbVset", "\u2014 Vset"},
    {"cbVget", "lbVget", "\u2014 Vget"},
    {"cbPwm", "lbPwm", "\u2014 PWM"},
    {"cbPlle", "lbPlle", "\u2014 PLL Error"},
    {"cbPllp", "lbPllp", "\u2014 PLL Period"},
}};

constexpr int EntrySpacing = 12;  // between one trace's label and the next box

void SetTextColour(QWidget& widget, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, colour);
    widget.setPalette(palette);
}

}  // namespace

TTraceLegend::TTraceLegend(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TrsPanel"));
    setAutoFillBackground(true);
    auto* layout = new QHBoxLayout(this);
    caption_ = new QLabel(QStringLiteral("Traces:"), this);
    caption_->setObjectName(QStringLiteral("lbTraces"));
    layout->addWidget(caption_);
    layout->addSpacing(EntrySpacing);
    for (int trace = 0; trace < TraceCount; ++trace) {
        const LegendEntry& entry = Entries[trace];
        boxes_[trace] = new QCheckBox(this);
        boxes_[trace]->setObjectName(QString::fromLatin1(entry.boxName));
        labels_[trace] = new QLabel(QString::fromUtf8(entry.caption), this);
        labels_[trace]->setObjectName(QString::fromLatin1(entry.labelName));
        layout->addWidget(boxes_[trace]);
        layout->addWidget(labels_[trace]);
        layout->addSpacing(EntrySpacing);
        connect(boxes_[trace], &QCheckBox::clicked, this,
                [this, trace](bool checked) { emit traceClicked(trace, checked); });
    }
    layout->addStretch();
    SetVisibility(graph::DefaultVisibility);
    SetColours(colours::Defaults);
}

graph::Visibility TTraceLegend::visibility() const {
    graph::Visibility visible{};
    for (int trace = 0; trace < TraceCount; ++trace) visible[trace] = boxes_[trace]->isChecked();
    return visible;
}

void TTraceLegend::SetVisibility(const graph::Visibility& visible) {
    for (int trace = 0; trace < TraceCount; ++trace) boxes_[trace]->setChecked(visible[trace]);
}

void TTraceLegend::SetColours(const colours::ColourSet& colours) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, graphpaint::ToQColor(colours[colours::Background]));
    setPalette(palette);
    SetTextColour(*caption_, graphpaint::ToQColor(colours[colours::Text]));
    for (int trace = 0; trace < TraceCount; ++trace) {
        SetTextColour(*labels_[trace], graphpaint::ToQColor(colours[colours::TraceSlots[trace]]));
    }
}
