#pragma once

#include <QImage>
#include <QSize>

#include "traces/Colours.h"
#include "traces/Graphgeometry.h"
#include "traces/Tracestore.h"

/// The one-sample-a-column chart drawn the plain QPainter way, one fillRect per line, per
/// column and trace, the cursor by raster operation: the picture the scan-line painter must
/// reproduce pixel for pixel at 1:1.
struct ReferenceScene {
    QSize box;
    int pos = 0;
    int samplePeriodMs = 100;
    graph::Visibility visible = graph::DefaultVisibility;
    colours::ColourSet colours = colours::Defaults;
    bool cursorOn = false;
    int cursorColumn = 0;
};

QImage ReferenceChart(const TraceStore& store, const ReferenceScene& scene);
