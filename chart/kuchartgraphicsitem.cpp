#include "kuchartgraphicsitem.h"

#include <QGraphicsScene>
#include <QPainter>
#include <QPainterPathStroker>
#include <QPen>

#include <algorithm>
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
    if (m_placed && line == m_line)
        return;
    // The scene takes the item out of its index by the rectangle it had: that is the old
    // segment's until this call.
    prepareGeometryChange();
    m_line = line;
    m_placed = true;
    m_boundsKnown = false;
    update();
}

QPainterPath kuChartGraphicsLineItem::shape() const
{
    if (!m_placed)
        return QPainterPath();
    // The segment stroked with the pen, as a path item's shape is.
    const QPainterPath path = straightLine(m_line.x1(), m_line.y1(), m_line.x2(), m_line.y2());
    const QPen& p = pen();
    if (p == Qt::NoPen)
        return path;
    QPainterPathStroker stroker;
    stroker.setCapStyle(p.capStyle());
    stroker.setWidth(p.widthF() <= 0.0 ? 0.00000001 : p.widthF());
    stroker.setJoinStyle(p.joinStyle());
    stroker.setMiterLimit(p.miterLimit());
    QPainterPath stroke = stroker.createStroke(path);
    stroke.addPath(path);
    return stroke;
}

QRectF kuChartGraphicsLineItem::boundingRect() const
{
    if (!m_placed)
        return QRectF();
    const QPen& p = pen();
    if (m_boundsKnown && p == m_boundsPen)
        return m_bounds;
    m_boundsPen = p;
    m_boundsKnown = true;
    const double width = p.style() == Qt::NoPen ? 0.0 : p.widthF();
    const Qt::PenCapStyle cap = p.capStyle();
    const QRectF ends = QRectF(m_line.p1(), m_line.p2()).normalized();
    if (width <= 0) {
        m_bounds = ends;
    } else if (m_line.p1() == m_line.p2() || cap == Qt::RoundCap) {
        // A collapsed segment and round ends keep the stroke's own answer.
        m_bounds = shape().controlPointRect();
    } else {
        // The stroke is a rectangle half the width either side of the segment, and for square
        // ends as far beyond each end.
        const double half = width / 2;
        const QPointF d = (m_line.p2() - m_line.p1()) / m_line.length() * half;
        const QPointF n(-d.y(), d.x());
        const QPointF along = cap == Qt::SquareCap ? d : QPointF();
        double left = ends.left(), right = ends.right(), top = ends.top(), bottom = ends.bottom();
        for (const QPointF& corner : {m_line.p1() - along + n, m_line.p1() - along - n, m_line.p2() + along + n,
                                      m_line.p2() + along - n}) {
            left = std::min(left, corner.x());
            right = std::max(right, corner.x());
            top = std::min(top, corner.y());
            bottom = std::max(bottom, corner.y());
        }
        m_bounds = QRectF(QPointF(left, top), QPointF(right, bottom));
    }
    return m_bounds;
}

void kuChartGraphicsLineItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (!m_placed)
        return;
    painter->setPen(pen());
    if (m_line.p1() == m_line.p2()) {
        // What a path of two equal points draws.
        painter->setBrush(brush());
        painter->drawPath(straightLine(m_line.x1(), m_line.y1(), m_line.x2(), m_line.y2()));
        return;
    }
    // The same stroke as the two-point path's, without making a path of it.
    painter->drawLine(m_line);
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
