#include "kuchartobjectfilters.h"

#include "kuchartcore.h"
#include "kuchartobject.h"

#include <QGraphicsSceneMouseEvent>

#include <algorithm>

kuChartObjectEventFilter::kuChartObjectEventFilter(kuChartObject* owner, QGraphicsItem* parent, double hoverOpacity,
                                                   double normalOpacity)
    : QGraphicsItem(parent), m_owner(owner), m_hoverOpacity(hoverOpacity), m_normalOpacity(normalOpacity)
{}

void kuChartObjectEventFilter::begin(const QJsonObject& json, double newOpacity)
{
    if (json.isEmpty()) {
        mainItem()->setOpacity(newOpacity);
        m_placing = true;
    } else {
        mainItem()->setOpacity(m_normalOpacity);
        m_placing = false;
        m_placed = true;
        m_owner->fromJson(json);
    }
}

QGraphicsItem* kuChartObjectEventFilter::mainItem() const
{
    return parentItem();
}

kuChartToolEventFilter::kuChartToolEventFilter(kuChartObject* tool, QGraphicsItem* parent, double hoverOpacity,
                                               double normalOpacity, quint8 awaitingState, quint8 idleState)
    : QGraphicsItem(parent), m_hoverOpacity(hoverOpacity), m_normalOpacity(normalOpacity), m_dragState(awaitingState),
      m_tool(tool), m_awaitingState(awaitingState), m_idleState(idleState)
{}

void kuChartToolEventFilter::begin(const QJsonObject& json)
{
    m_tool->fromJson(json);
    if (!json.isEmpty()) {
        m_dragState = m_idleState;
        m_placed = true;
    }
}

void kuChartToolEventFilter::addGrip(QGraphicsItem* marker, quint8 dragState)
{
    m_grips.push_back({marker, dragState});
}

void kuChartToolEventFilter::grab(bool pushCursor)
{
    grabSceneMouse(m_tool);
    if (pushCursor)
        m_cursor.push(Qt::DragMoveCursor);
}

kuChartAnchorMove kuChartToolEventFilter::moveFor(const QPointF& pointer) const
{
    return m_drag.isActive() ? m_drag.move(pointer) : kuChartAnchorMove{pointer};
}

void kuChartToolEventFilter::finishPlacing()
{
    m_drag.stop();
    releaseSceneMouse(m_tool, m_cursor);
}

void kuChartToolEventFilter::settle()
{
    m_dragState = m_idleState;
    m_placed = true;
    m_tool->repaint();
    finishPlacing();
}

void kuChartToolEventFilter::pressed(QGraphicsItem* watched, const QPointF& press)
{
    const bool hovered = m_tool->graphicsItem()->opacity() < m_normalOpacity;
    for (const Grip& grip : m_grips) {
        if (hovered && watched == grip.marker) {
            m_dragState = grip.dragState;
            m_drag.start(m_tool, press, gripPoint(grip.dragState));
            grab(true);
            return;
        }
    }
    const bool dragging = std::any_of(m_grips.begin(), m_grips.end(),
                                      [this](const Grip& grip) { return grip.dragState == m_dragState; });
    // A new tool is grabbed already, without a cursor of its own.
    if (m_dragState == m_awaitingState || dragging)
        grab(false);
}

bool kuChartToolEventFilter::sceneEventFilter(QGraphicsItem* watched, QEvent* event)
{
    kuChartCore* core = m_tool->chartCore();
    auto pointer = [event] { return static_cast<QGraphicsSceneMouseEvent*>(event)->scenePos(); };
    switch (event->type()) {
    case QEvent::GraphicsSceneMousePress:
        m_drag.forget();
        pressed(watched, pointer());
        break;
    case QEvent::GraphicsSceneMouseMove: {
        const kuChartAnchorMove m = moveFor(pointer());
        if (!core || !kuChartAnchor::inPlot(core, m.at))
            return false;
        core->showPriceMarker(qint64(m.at.y()));
        rewind(m);
        moved(m);
        break;
    }
    case QEvent::GraphicsSceneMouseRelease:
        if (core)
            released(moveFor(pointer()));
        break;
    case QEvent::GraphicsSceneMouseDoubleClick:
        m_drag.undoClick(m_tool);
        if (core)
            core->editObject(m_tool);
        break;
    case QEvent::GraphicsSceneHoverEnter:
        m_tool->setOpacity(m_hoverOpacity);
        break;
    case QEvent::GraphicsSceneHoverLeave:
        m_tool->setOpacity(m_normalOpacity);
        break;
    default:
        break;
    }
    return true;
}

void kuChartObjectEventFilter::grab()
{
    grabSceneMouse(m_owner);
}

void kuChartObjectEventFilter::ungrab()
{
    releaseSceneMouse(m_owner, m_cursor);
}

kuChartAnchorMove kuChartObjectEventFilter::moveFor(const QPointF& pointer) const
{
    return m_drag.isActive() ? m_drag.move(pointer) : kuChartAnchorMove{placingPoint(pointer)};
}

void kuChartObjectEventFilter::finishPlacing(const QPointF& scenePos)
{
    if (!takeAnchor(moveFor(scenePos)) && !hasAnchor())
        return;
    m_placing = false;
    m_placed = true;
    m_drag.stop();
    ungrab();
}

void kuChartObjectEventFilter::doubleClicked()
{
    if (kuChartCore* core = m_owner->chartCore())
        core->editObject(m_owner);
}

bool kuChartObjectEventFilter::sceneEventFilter(QGraphicsItem*, QEvent* event)
{
    switch (event->type()) {
    case QEvent::GraphicsSceneMouseMove: {
        if (!m_placing)
            return true;
        return followPointer(moveFor(static_cast<QGraphicsSceneMouseEvent*>(event)->scenePos()));
    }
    case QEvent::GraphicsSceneMousePress: {
        const QPointF p = static_cast<QGraphicsSceneMouseEvent*>(event)->scenePos();
        m_drag.forget();
        const QGraphicsItem* item = mainItem();
        if (item && item->opacity() < m_normalOpacity) {
            if (!m_placing) {
                m_placing = true;
                m_drag.start(m_owner, p, anchorPoint(p));
                grab();
                m_cursor.push(Qt::DragMoveCursor);
            } else {
                finishPlacing(p);
            }
        }
        return true;
    }
    case QEvent::GraphicsSceneMouseRelease:
        // Only the end of a placing or a drag: a stray release (the second of
        // a double click, after its dialog) moves nothing.
        if (m_placing)
            finishPlacing(static_cast<QGraphicsSceneMouseEvent*>(event)->scenePos());
        return true;
    case QEvent::GraphicsSceneMouseDoubleClick:
        m_drag.undoClick(m_owner);
        doubleClicked();
        return true;
    case QEvent::GraphicsSceneHoverEnter:
        m_owner->setOpacity(m_hoverOpacity);
        return true;
    case QEvent::GraphicsSceneHoverLeave:
        m_owner->setOpacity(m_normalOpacity);
        return true;
    default:
        return true;
    }
}
