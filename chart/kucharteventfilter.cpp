#include "kucharteventfilter.h"

#include "kuchart.h"
#include "kuchartcore.h"
#include "kugraphicsscene.h"

#include <QGraphicsView>
#include <QResizeEvent>

kuChartEventFilter::kuChartEventFilter(QObject* parent) : QObject(parent)
{}

bool kuChartEventFilter::eventFilter(QObject* watched, QEvent* event)
{
    auto* view = qobject_cast<QGraphicsView*>(watched);
    if (!view)
        return QObject::eventFilter(watched, event);
    QWidget* central = view->parentWidget();
    kuChartCore* core = kuChart::chartCore(qobject_cast<kuChart*>(central ? central->parentWidget() : nullptr));
    if (!core)
        return false;

    if (event->type() == QEvent::Resize) {
        auto* resize = static_cast<QResizeEvent*>(event);
        if (resize->size() == resize->oldSize())
            return true;
        const int w = view->frameGeometry().width() - 5;
        const int h = view->frameGeometry().height() - 5;
        view->setSceneRect(0, 0, w, h);
        core->setViewSize(w, h);
        core->placeCaption();
        if (core->isChartReady())
            core->redraw();
    } else if (event->type() == QEvent::Show) {
        core->scene()->setFocus(Qt::OtherFocusReason);
    } else if (event->type() == QEvent::Leave) {
        // The pointer has left the chart: no price stays behind at the axis, no candle in the hint.
        core->pointerLeft();
    }
    return QObject::eventFilter(watched, event);
}
