#pragma once

#include "kuchartcore.h"
#include "kuchartobject.h"
#include "kugraphicsscene.h"

#include <QApplication>
#include <QGraphicsRectItem>
#include <QGraphicsSceneMouseEvent>
#include <QKeyEvent>
#include <QStringList>

// Input sent to a chart scene as the view would send it, and an object the mouse places.
namespace chartscene {

inline void mouse(QGraphicsScene* scene, QEvent::Type type, QPointF pos, Qt::MouseButton button = Qt::LeftButton)
{
    QGraphicsSceneMouseEvent event(type);
    event.setScenePos(pos);
    event.setButton(type == QEvent::GraphicsSceneMouseMove ? Qt::NoButton : button);
    event.setButtons(type == QEvent::GraphicsSceneMouseRelease ? Qt::NoButton : button);
    QApplication::sendEvent(scene, &event);
}

inline void press(QGraphicsScene* scene, QPointF pos, Qt::MouseButton button = Qt::LeftButton)
{
    mouse(scene, QEvent::GraphicsSceneMousePress, pos, button);
}

inline void move(QGraphicsScene* scene, QPointF pos)
{
    mouse(scene, QEvent::GraphicsSceneMouseMove, pos);
}

inline void release(QGraphicsScene* scene, QPointF pos, Qt::MouseButton button = Qt::LeftButton)
{
    mouse(scene, QEvent::GraphicsSceneMouseRelease, pos, button);
}

inline void key(QGraphicsScene* scene, int code)
{
    QKeyEvent event(QEvent::KeyPress, code, Qt::NoModifier);
    QApplication::sendEvent(scene, &event);
}

// Notes the mouse events the scene hands it.
class RecordingItem : public QGraphicsRectItem
{
public:
    RecordingItem() : QGraphicsRectItem(0, 0, 1, 1) {}
    QStringList events;

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent* e) override
    {
        events << QStringLiteral("press %1").arg(e->button());
    }
    void mouseMoveEvent(QGraphicsSceneMouseEvent*) override { events << QStringLiteral("move"); }
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* e) override
    {
        events << QStringLiteral("release %1").arg(e->button());
    }
};

// A drawing object being placed: its item takes the forwarded mouse.
class PlacedObject : public kuChartObject
{
public:
    explicit PlacedObject(kuChartCore* core) : kuChartObject(core), item(new RecordingItem)
    {
        setObjectType(otTrendLine);
        core->scene()->addItem(item);
    }
    ~PlacedObject() override { delete item; }
    void repaint() override {}
    QGraphicsItem* graphicsItem() override { return item; }

    RecordingItem* item;
};

} // namespace chartscene
