#pragma once

#include <QImage>
#include <QPoint>
#include <QScrollBar>
#include <QString>
#include <memory>

#include "core/Changelog.h"
#include "traces/Tracestore.h"
#include "ui/Graphview.h"

class TReferenceView;

/// A chart view with the overlays the window gives it (a reference run, the change marks,
/// cursor B) over a recording of 3000 samples, and what should lie where on its screen. What
/// is expected comes from the chart's own painting and geometry, never from an overlay's code,
/// and is worked out in the screen's device pixels, so the same checks hold on a HiDPI screen.
class OverlayScene {
  public:
    static constexpr int BoxWidth = 866;
    static constexpr int BoxHeight = 418;
    static constexpr int Samples = 3000;

    OverlayScene();
    ~OverlayScene();

    TGraphView& view() { return view_; }
    Changelog& log() { return log_; }
    /// Takes `reference` as the reference run, every trace of it in its file.
    void SetReference(std::unique_ptr<TraceStore> reference);

    /// A left press at x, with Shift held (cursor B) or not (cursor A).
    void Press(int x, bool shift);
    /// The view as it is on screen, in device pixels.
    QImage Shown();
    /// The tool tip the view shows for the mouse at `at`, empty for none.
    QString ToolTipAt(QPoint at);

    /// Device pixel columns of the screen that logical column x covers.
    static std::pair<int, int> DeviceColumns(int x, qreal ratio);
    /// Device pixel columns in which `shown` differs from the picture under the overlays,
    /// counting the logical rows top <= y < bottom.
    std::vector<int> DifferingColumns(const QImage& shown, int top, int bottom) const;
    /// The screen a reference run should give: the chart's own columns of `reference` at the
    /// view's position and zoom, each trace in the tint halfway to the background, wherever
    /// the picture shows background.
    QImage ReferenceUnder(const TraceStore& reference) const;

  private:
    std::unique_ptr<TraceStore> store_ = std::make_unique<TraceStore>();
    QScrollBar bar_;
    TGraphView view_{*store_, bar_};
    Changelog log_;
    TReferenceView* reference_ = nullptr;
};

/// The checks, shared by the tests at one device pixel per logical pixel and on a HiDPI screen.
namespace overlaychecks {

/// Cursor B stands on the sample cursor A would pick at the same x, and is drawn on the
/// column that shows its sample, at 1:1, zoomed out and over the whole log.
void CursorBLandsOnTheColumnOfItsSample(OverlayScene& scene);
/// The marks hang over the columns of their samples and give their texts there.
void ChangeMarksLandOnTheColumnsOfTheirSamples(OverlayScene& scene);
/// The reference is the chart's own picture of it, tinted, under the live run.
void AReferenceRunIsDrawnAsTheChartDrawsIt(OverlayScene& scene);

}  // namespace overlaychecks
