#pragma once

#include <QImage>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "traces/Colours.h"
#include "traces/Graphgeometry.h"
#include "traces/Tracestore.h"
#include "ui/Graphoverlay.h"

class QScrollBar;
class TCursorB;

/// The strip chart's paint box (LogPaintBox): one pixel column per sample at 1:1, or a run of
/// samples per column when zoomed out, the NOT-XOR cursor and its readout. It drives the scroll
/// bar LogScrollBar, whose position is `pos`, the first sample shown in column 0; the bar works
/// in samples and steps by whole columns.
///
/// Every picture lives in an off-screen image the size of the widget, in the screen's device
/// pixels (sharp labels on a HiDPI screen); paintEvent only copies it.
/// A full repaint rebuilds the image. Live drawing (a new sample, a cursor move) changes the
/// image in place and schedules just the touched rectangles, so the screen always shows exactly
/// the image and the cursor's XOR state describes both.
class TGraphView : public QWidget {
    Q_OBJECT

  public:
    /// `store` and `scrollBar` must outlive the view; the scroll bar is set up here (horizontal,
    /// steps 1 and 10, range 0 .. 18001 - W).
    TGraphView(const TraceStore& store, QScrollBar& scrollBar, QWidget* parent = nullptr);
    ~TGraphView() override;

    /// Rebuilds the whole picture from the store: frame, grids, all samples in view, cursor.
    void RepaintAll();
    /// Draws the columns of samples a..b that lie in view, straight onto the picture.
    void DrawSamples(int a, int b);
    /// After an append that left `count` samples: jumps 100 samples on when the newest one fell
    /// right of the view and AutoScroll is on (the jump repaints).
    void AutoScrollAfterAppend(int count);

    /// Shows or hides the cursor at its column and refreshes the readout (action Cursor).
    void SetCursor(bool on);
    /// Moves the cursor to plot column `column` (clamped), keeping its on/off state.
    void SetCursorColumn(int column);
    bool cursorOn() const { return cursorOn_; }
    int cursorColumn() const { return cursorColumn_; }
    /// The sample under the cursor: the first of its column, pos + cursorColumn x factor.
    int cursorSample() const { return graph::FirstSampleOf(pos(), cursorColumn_, factor_); }

    /// Zoom setting: 1, 2, 4, 8 or 16 samples a column, or graph::WholeLog, which fits every
    /// stored sample into the plot and keeps doing so while samples arrive; anything else
    /// counts as 1. The cursor's sample (the first sample in view while the cursor is off)
    /// keeps its column where the scroll range allows. Repaints on change.
    void SetZoom(int setting);
    int zoom() const { return zoom_; }
    /// Samples per column of the picture shown.
    int factor() const { return factor_; }

    /// Cursor B on a sample (Shift+click or Shift+drag), or none; drawn over the picture.
    void SetCursorB(std::optional<int> sample);
    std::optional<int> cursorBSample() const;

    /// Where the picture shows each sample now: the overlays are drawn and hit-tested with it.
    ChartMapping mapping() const { return {plot(), pos(), factor_}; }
    /// Paints `overlay` over the picture from now on, after the ones added before, and keeps
    /// it. RefreshOverlays repaints after an overlay changed.
    void AddOverlay(std::unique_ptr<GraphOverlay> overlay);
    void RefreshOverlays() { update(); }

    /// Scroll position; setting it clamps to the scroll bar's range and repaints on change.
    int pos() const;
    void SetPos(int pos);

    /// While frozen, station samples are stored but not drawn; thawing repaints everything.
    void SetFreeze(bool frozen);
    bool frozen() const { return frozen_; }
    void SetAutoScroll(bool on) { autoScroll_ = on; }
    bool autoScroll() const { return autoScroll_; }
    /// Milliseconds per sample, for the time labels and the time readout; repaints on change.
    void SetSamplePeriod(int ms);
    int samplePeriodMs() const { return samplePeriodMs_; }
    /// Which of the nine traces are drawn and read out; repaints on change.
    void SetVisibility(const graph::Visibility& visible);
    const graph::Visibility& visibility() const { return visible_; }
    /// The eight graph colours in slot order; repaints on change.
    void SetColours(const colours::ColourSet& colours);
    const colours::ColourSet& colours() const { return colours_; }

    /// Texts of status bar panels 1..10 as last refreshed.
    const graph::Readout& readout() const { return readout_; }
    graph::Plot plot() const;
    /// The picture as it is on screen.
    const QImage& image() const { return image_; }

    QSize sizeHint() const override;

  signals:
    /// The texts of status bar panels 1..10 changed (always ten entries).
    void readoutChanged(const QStringList& texts);
    /// A left press switched the cursor on; the window checks acCursor.
    void cursorSwitchedOn();
    /// Cursor A or cursor B moved, or A was switched on or off.
    void cursorsMoved();

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    void MoveCursorB(int x);
    void RebuildImage();
    void DrawCursor(bool on, int column);
    void RefreshReadout();
    void ScrollBarMoved();
    void ApplyScrollRange(const graph::Plot& plot, int pos);
    bool ImageCurrent() const;

    const TraceStore& store_;
    QScrollBar& scrollBar_;
    QImage image_;
    colours::ColourSet colours_ = colours::Defaults;
    graph::Visibility visible_ = graph::DefaultVisibility;
    graph::Readout readout_;
    int samplePeriodMs_ = 100;
    bool autoScroll_ = true;
    bool frozen_ = false;
    bool cursorOn_ = false;
    bool cursorDrawn_ = false;
    int cursorColumn_ = 0;
    int zoom_ = 1;
    int factor_ = 1;
    bool rebuilding_ = false;
    bool draggingB_ = false;
    TCursorB* cursorB_ = nullptr;  // one of the overlays
    std::vector<std::unique_ptr<GraphOverlay>> overlays_;
};
