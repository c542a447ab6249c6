#pragma once

#include <QMetaType>

// Kind of a chart object; stored as "type" in saved objects. Sized as int, so
// that any stored number is a value of it, known or not.
enum kuChartObjectType : int
{
    otNone = 0,
    otText = 1,
    otVerticalLine = 2,
    otHorizontalLine = 3,
    otTrendLine = 4,
    otFibo = 5,
    otFiboArcs = 6,
    otFiboChannel = 7,
    otIndicatorPane = 8, // an indicator with a pane of its own, and the volume object
    otHistogram = 9,
    otVolumeBars = 10,
    otLineSeries = 11, // also the overlays on the price pane; the base's default
    otDots = 12
};

Q_DECLARE_METATYPE(kuChartObjectType)
