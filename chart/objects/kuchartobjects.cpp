#include "kuchartobjects.h"

#include "kuchartmakers.h"
#include "kuchartobjectfibo.h"
#include "kuchartobjectfiboarcs.h"
#include "kuchartobjectfibochanel.h"
#include "kuchartobjecthline.h"
#include "kuchartobjecttext.h"
#include "kuchartobjecttline.h"
#include "kuchartobjectvline.h"
#include "kutextobjectdialog.h"

#include <QGuiApplication>
#include <QLabel>

namespace kuChartObjects {

kuChartObject* makeText(kuChartCore* core, const QJsonObject& json)
{
    auto* text = new kuChartObjectText(core, json);
    if (!json.isEmpty())
        return text;
    kuTextObjectDialog dialog;
    dialog.execNew();
    if (dialog.previewLabel()->text().isEmpty()) {
        // Nothing to place: an empty label could never be reached again.
        if (dialog.cursorPushed())
            QGuiApplication::restoreOverrideCursor();
        delete text;
        return nullptr;
    }
    text->applyLabel(dialog.previewLabel());
    // The pointing hand stays until the label is dropped.
    if (dialog.cursorPushed())
        text->eventFilter()->cursor().adopt();
    return text;
}

void registerMakers()
{
    kuChartMakers::setObjectMaker(otText, &makeText);
    kuChartMakers::setObjectMaker(otVerticalLine, [](kuChartCore* core, const QJsonObject& json) -> kuChartObject* {
        return new kuChartObjectVLine(core, json);
    });
    kuChartMakers::setObjectMaker(otHorizontalLine, [](kuChartCore* core, const QJsonObject& json) -> kuChartObject* {
        return new kuChartObjectHLine(core, json);
    });
    kuChartMakers::setObjectMaker(otTrendLine, [](kuChartCore* core, const QJsonObject& json) -> kuChartObject* {
        return new kuChartObjectTLine(core, json);
    });
    kuChartMakers::setObjectMaker(otFibo, [](kuChartCore* core, const QJsonObject& json) -> kuChartObject* {
        return new kuChartObjectFibo(core, json);
    });
    kuChartMakers::setObjectMaker(otFiboArcs, [](kuChartCore* core, const QJsonObject& json) -> kuChartObject* {
        return new kuChartObjectFiboArcs(core, json);
    });
    kuChartMakers::setObjectMaker(otFiboChannel, [](kuChartCore* core, const QJsonObject& json) -> kuChartObject* {
        return new kuChartObjectFiboChanel(core, json);
    });
}

} // namespace kuChartObjects
