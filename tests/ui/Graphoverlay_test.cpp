// The overlays over the chart (cursor B, the change marks, a reference run) land where the
// chart shows their samples, at 1:1, zoomed out and over the whole log.
#include <gtest/gtest.h>

#include "Overlayscene.h"

namespace {

TEST(ChartOverlays, cursorBStandsOnTheColumnThatShowsItsSampleAtEveryZoom) {
    OverlayScene scene;
    overlaychecks::CursorBLandsOnTheColumnOfItsSample(scene);
}

TEST(ChartOverlays, changeMarksHangOverTheColumnsOfTheirSamplesAndTipThereAtEveryZoom) {
    OverlayScene scene;
    overlaychecks::ChangeMarksLandOnTheColumnsOfTheirSamples(scene);
}

TEST(ChartOverlays, aReferenceRunIsTheChartsOwnPictureOfItTintedAtEveryZoom) {
    OverlayScene scene;
    overlaychecks::AReferenceRunIsDrawnAsTheChartDrawsIt(scene);
}

}  // namespace
