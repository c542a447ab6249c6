#include "kuchartgraphicsitem.h"

#include <QGraphicsScene>
#include <QPainter>
#include <QPen>

#include <cmath>

kuChartClipItem::kuChartClipItem(QGraphicsScene* scene, double z)
{
    setPen(Qt::NoPen);
    setFlags(ItemClipsChildrenToShape | ItemHasNoContents);
    setAcceptedMouseButtons(Qt::NoButton);
    setZValue(z);
    if (scene)
        scene->addItem(this);
}

QGraphicsItem* topItemAt(const QGraphicsScene* scene, const QPointF& point)
{
    for (QGraphicsItem* item : scene->items(point, Qt::IntersectsItemShape, Qt::DescendingOrder)) {
        if (item->type() != kuChartClipItem::Type)
            return item;
    }
    return nullptr;
}

namespace {

// Hovered outlines thicken by one pixel and thin again on leave.
template <class Item>
void widenPen(Item* item, double by)
{
    QPen pen = item->pen();
    pen.setWidthF(pen.widthF() + by);
    item->setPen(pen);
}

QPainterPath straightLine(double x0, double y0, double x1, double y1)
{
    QPainterPath path(QPointF(x0, y0));
    path.lineTo(x1, y1);
    return path;
}

} // namespace

void kuChartGraphicsItem::addToScene(QGraphicsScene* scene)
{
    if (m_added)
        return;
    m_scene = scene;
    if (scene)
        scene->addItem(m_item);
    m_added = true;
}

void kuChartGraphicsItem::setOpacity(double opacity)
{
    m_item->setOpacity(opacity);
}

// Candle.

kuChartGraphicsCandleItem::kuChartGraphicsCandleItem(QGraphicsItem* parent) : QGraphicsRectItem(parent)
{
    bindItem(this);
    setAcceptHoverEvents(true);
}

void kuChartGraphicsCandleItem::setShadows(double upper, double lower)
{
    if (upper == m_candle.upperShadow && lower == m_candle.lowerShadow)
        return;
    // The shadows lie inside the bounding rectangle, which grows with them.
    prepareGeometryChange();
    m_candle.upperShadow = upper;
    m_candle.lowerShadow = lower;
}

void kuChartGraphicsCandleItem::setGeometry(double a, double b, double c, double d)
{
    setShadows(1.0, -1.0);
    m_candle.x = a;
    m_candle.y = b;
    m_candle.width = c;
    m_candle.height = d;
    setRect(a, b, c, d);
}

void kuChartGraphicsCandleItem::setCandle(const kuCandleGeometry& candle)
{
    setShadows(candle.upperShadow, candle.lowerShadow);
    m_candle = candle;
    setRect(candle.x, candle.y, candle.width, candle.height);
}

QRectF kuChartGraphicsCandleItem::boundingRect() const
{
    const double margin = pen().widthF() + 2.0;
    return QGraphicsRectItem::boundingRect().adjusted(-margin, -(std::abs(m_candle.upperShadow) + margin), margin,
                                                      std::abs(m_candle.lowerShadow) + margin + 2.0);
}

void kuChartGraphicsCandleItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget)
{
    QGraphicsRectItem::paint(painter, option, widget);
    // A collapsed spare slot shows nothing.
    if (rect().isNull())
        return;
    // The shadows hang from the body's own rectangle, whatever part of the item is exposed.
    const QRect body = QGraphicsRectItem::boundingRect().toRect();
    const int x1 = body.left();
    const int y1 = body.top();
    const int x2 = body.right();
    const int y2 = body.bottom();
    const double cx = std::floor(x1 + (x2 - x1) * 0.5 + 0.5);
    painter->save();
    QPen shadowPen = pen();
    shadowPen.setWidthF(shadowPen.widthF() + 1);
    painter->setPen(shadowPen);
    painter->drawLine(QPointF(cx, y1), QPointF(cx, std::trunc(y1 - m_candle.upperShadow)));
    painter->drawLine(QPointF(cx, y2 + 2), QPointF(cx, std::trunc(y2 + 2 + m_candle.lowerShadow)));
    painter->restore();
}

void kuChartGraphicsCandleItem::hoverEnterEvent(QGraphicsSceneHoverEvent* event)
{
    widenPen(this, 1);
    QGraphicsRectItem::hoverEnterEvent(event);
}

void kuChartGraphicsCandleItem::hoverLeaveEvent(QGraphicsSceneHoverEvent* event)
{
    widenPen(this, -1);
    QGraphicsRectItem::hoverLeaveEvent(event);
}

// Bar.

kuChartGraphicsBarItem::kuChartGraphicsBarItem(QGraphicsItem* parent) : QGraphicsPathItem(parent)
{
    bindItem(this);
    setAcceptHoverEvents(true);
}

void kuChartGraphicsBarItem::setGeometry(double a, double b, double c, double d)
{
    setPath(straightLine(a, b, c, d));
}

void kuChartGraphicsBarItem::setBar(const kuBarGeometry& bar)
{
    QPainterPath path(QPointF(bar.x, bar.y));
    path.lineTo(bar.x, bar.y + bar.height);
    path.moveTo(bar.x - 3, bar.openY);
    path.lineTo(bar.x, bar.openY);
    path.moveTo(bar.x + 3, bar.closeY);
    path.lineTo(bar.x, bar.closeY);
    setPath(path);
}

void kuChartGraphicsBarItem::hoverEnterEvent(QGraphicsSceneHoverEvent* event)
{
    widenPen(this, 1);
    QGraphicsPathItem::hoverEnterEvent(event);
}

void kuChartGraphicsBarItem::hoverLeaveEvent(QGraphicsSceneHoverEvent* event)
{
    widenPen(this, -1);
    QGraphicsPathItem::hoverLeaveEvent(event);
}

// Line.

kuChartGraphicsLineItem::kuChartGraphicsLineItem(QGraphicsItem* parent) : QGraphicsPathItem(parent)
{
    bindItem(this);
}

void kuChartGraphicsLineItem::setGeometry(double a, double b, double c, double d)
{
    setLine(a, b, c, d);
}

void kuChartGraphicsLineItem::setLine(double x0, double y0, double x1, double y1)
{
    const QLineF line(x0, y0, x1, y1);
    if (line == m_line && !path().isEmpty())
        return;
    m_line = line;
    setPath(straightLine(x0, y0, x1, y1));
}

void kuChartGraphicsLineItem::setLine(const QLineF& line)
{
    setLine(line.x1(), line.y1(), line.x2(), line.y2());
}

// Rectangle.

kuChartGraphicsRectItem::kuChartGraphicsRectItem(QGraphicsItem* parent) : QGraphicsRectItem(parent)
{
    bindItem(this);
    setAcceptHoverEvents(true);
}

void kuChartGraphicsRectItem::setGeometry(double a, double b, double c, double d)
{
    setRect(a, b, c, d);
}

void kuChartGraphicsRectItem::hoverEnterEvent(QGraphicsSceneHoverEvent* event)
{
    widenPen(this, 1);
    QGraphicsRectItem::hoverEnterEvent(event);
}

void kuChartGraphicsRectItem::hoverLeaveEvent(QGraphicsSceneHoverEvent* event)
{
    widenPen(this, -1);
    QGraphicsRectItem::hoverLeaveEvent(event);
}

// Ellipse.

kuChartGraphicsEllipseItem::kuChartGraphicsEllipseItem(QGraphicsItem* parent) : QGraphicsEllipseItem(parent)
{
    bindItem(this);
}

void kuChartGraphicsEllipseItem::setGeometry(double a, double b, double c, double d)
{
    setRect(a, b, c, d);
}
