#pragma once

#include "kuchartobjecttype.h"

#include <QJsonObject>

#include <functional>

class QWidget;
class kuChartCore;
class kuChartObject;

// What the chart library cannot name itself: the indicators and drawing
// objects live in libraries above it, so start-up registers how they are made.
// GUI thread only.
class kuChartMakers
{
public:
    // Makes a chart object for the core from its saved JSON (empty: a new object the user places).
    using ObjectMaker = std::function<kuChartObject*(kuChartCore* core, const QJsonObject& json)>;
    // Runs the indicator chooser; the object chosen, or null.
    using IndicatorChooser = std::function<kuChartObject*(kuChartCore* core, QWidget* parent)>;

    // An empty maker removes the type's one.
    static void setObjectMaker(kuChartObjectType type, ObjectMaker make);
    static ObjectMaker objectMaker(int type);
    // The volume object every chart core makes for itself.
    static void setVolumeMaker(ObjectMaker make);
    static ObjectMaker volumeMaker();
    static void setIndicatorChooser(IndicatorChooser choose);
    static IndicatorChooser indicatorChooser();
};
