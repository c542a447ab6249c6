#pragma once

#include "../chartfixture.h"
#include "kuchartobjectbase.h"
#include "kugraphicsscene.h"

#include <QGraphicsSceneHoverEvent>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsSimpleTextItem>
#include <QGuiApplication>

#include <cmath>

// Drawing objects on a chart core of their own, driven by synthetic scene events.
namespace objectfixture {

// Fifty one-minute candles, the newest at chartrows::t0, redrawn on a 400 x 455 view.
inline std::unique_ptr<kuChartCore> chart()
{
    auto core = chartfixture::coreWith(chartfixture::seriesOf(1, 50));
    core->redraw();
    return core;
}

// The event as the scene hands it to the item (scene event filters first).
inline void send(kuChartCore* core, QGraphicsItem* item, QEvent::Type type, QPointF pos = QPointF())
{
    if (type == QEvent::GraphicsSceneHoverEnter || type == QEvent::GraphicsSceneHoverLeave ||
        type == QEvent::GraphicsSceneHoverMove) {
        QGraphicsSceneHoverEvent event(type);
        event.setScenePos(pos);
        core->scene()->sendEvent(item, &event);
        return;
    }
    QGraphicsSceneMouseEvent event(type);
    event.setScenePos(pos);
    event.setButton(Qt::LeftButton);
    event.setButtons(type == QEvent::GraphicsSceneMouseRelease ? Qt::NoButton : Qt::LeftButton);
    core->scene()->sendEvent(item, &event);
}

// A mouse event given to the scene, as the view gives it: the scene decides who gets it.
inline void sendToScene(kuChartCore* core, QEvent::Type type, QPointF pos)
{
    QGraphicsSceneMouseEvent event(type);
    event.setScenePos(pos);
    event.setButton(type == QEvent::GraphicsSceneMouseMove ? Qt::NoButton : Qt::LeftButton);
    const bool down = type == QEvent::GraphicsSceneMousePress || type == QEvent::GraphicsSceneMouseDoubleClick;
    event.setButtons(down ? Qt::LeftButton : Qt::NoButton);
    QCoreApplication::sendEvent(core->scene(), &event);
}

// Centre of the visible candle at position i (0 = the newest visible one).
inline QPointF at(kuChartCore* core, int position, double price)
{
    return QPointF(kuChartAnchor::slotCentre(core, position), core->priceToY(price));
}

inline QDateTime candleTime(kuChartCore* core, int index)
{
    return QDateTime::fromSecsSinceEpoch(qint64(core->candles().at(index).time), Qt::OffsetFromUTC, 10800);
}

// What the scene's Esc does to a grabbed object.
inline void escape(kuChartObject* object)
{
    object->scene()->releaseActiveObject(object);
    object->setVisible(false);
    object->setDeleted(true);
}

// The plot as the Fibonacci tools keep their labels in it.
inline QRectF plotRect(const kuChartCore* core)
{
    return QRectF(double(core->plotLeft()), double(core->paneTop()), double(core->plotRight() + 3 - core->plotLeft()),
                  core->paneHeight());
}

// What is wrong with the ratio labels of placed levels, empty when nothing: the first level's
// label, then the last one's, then the others in order, each shown when it lies in the plot
// clear of those shown before it, and hidden otherwise.
template <class Levels>
QString ratioLabelFault(const kuChartCore* core, const Levels& levels)
{
    QVector<int> order{0};
    if (levels.size() > 1)
        order.append(levels.size() - 1);
    for (int i = 1; i + 1 < levels.size(); ++i)
        order.append(i);
    const QRectF plot = plotRect(core);
    QVector<QRectF> kept;
    for (int i : order) {
        const QGraphicsSimpleTextItem* label = levels.at(i).ratioLabel;
        if (!levels.at(i).item->isVisible()) {
            if (label->isVisible())
                return QStringLiteral("label %1 shown without its level").arg(i);
            continue;
        }
        const QRectF r = label->sceneBoundingRect();
        bool fits = plot.contains(r);
        for (const QRectF& k : kept)
            fits = fits && !k.intersects(r);
        if (label->isVisible() != fits)
            return QStringLiteral("label %1 (%2) %3").arg(i).arg(label->text(), fits ? "hidden" : "shown");
        if (fits)
            kept.append(r);
    }
    return QString();
}

// A cursor of the test's own under the objects' ones: whatever an object
// pushes it must pop, and it must pop nothing else.
class CursorGuard
{
public:
    CursorGuard() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~CursorGuard()
    {
        while (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
    }
    // Only the test's own cursor is left.
    static bool balanced()
    {
        const QCursor* top = QGuiApplication::overrideCursor();
        return top && top->shape() == Qt::WaitCursor;
    }
    static Qt::CursorShape top()
    {
        const QCursor* c = QGuiApplication::overrideCursor();
        return c ? c->shape() : Qt::ArrowCursor;
    }
};

} // namespace objectfixture
