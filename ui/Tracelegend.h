#pragma once

#include <array>

#include <QWidget>

#include "traces/Colours.h"
#include "traces/Graphgeometry.h"
#include "traces/Tracestore.h"

class QCheckBox;
class QLabel;

/// The legend strip under the graph (TrsPanel): "Traces:" and, per trace, a check box that
/// shows or hides it followed by a label in the trace's colour, the dash acting as colour key.
class TTraceLegend : public QWidget {
    Q_OBJECT

  public:
    explicit TTraceLegend(QWidget* parent = nullptr);

    /// Checked state of the nine boxes, in storage order.
    graph::Visibility visibility() const;
    /// Sets the boxes without reporting a click.
    void SetVisibility(const graph::Visibility& visible);
    /// Panel background, "Traces:" and each trace label take their colours from `colours`.
    void SetColours(const colours::ColourSet& colours);

    QCheckBox* checkBox(int trace) const { return boxes_[trace]; }
    QLabel* label(int trace) const { return labels_[trace]; }

  signals:
    /// The user clicked the box of `trace`; `checked` is its new state.
    void traceClicked(int trace, bool checked);

  private:
    QLabel* caption_;
    std::array<QCheckBox*, TraceCount> boxes_{};
    std::array<QLabel*, TraceCount> labels_{};
};
