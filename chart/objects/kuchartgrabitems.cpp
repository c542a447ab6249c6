#include "kuchartgrabitems.h"

#include <QPainterPathStroker>
#include <QPen>

#include <algorithm>

namespace {

// Half the pen's width (a cosmetic pen draws one pixel) plus the margin.
double reach(const QPen& pen)
{
    return std::max(pen.widthF(), 1.0) / 2 + kuChartGrab::margin;
}

QRectF grown(const QRectF& r, double by)
{
    return r.adjusted(-by, -by, by, by);
}

QPainterPath strokeZone(const QPainterPath& path, const QPen& pen)
{
    // A line drawn without a pen shows nothing and takes nothing.
    if (pen.style() == Qt::NoPen)
        return QPainterPath();
    QPainterPathStroker stroker;
    stroker.setWidth(2 * reach(pen));
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(path);
}

} // namespace

// Qt tests an item under a clipping parent against its bounding rectangle cut by
// the clip, not against its shape: the zone would grow to the whole rectangle.
bool kuChartGrab::zoneContains(const QGraphicsItem* item, const QPointF& point)
{
    return item->shape().contains(point) && (!item->isClipped() || item->clipPath().contains(point));
}

bool kuChartGrab::zoneCollides(const QGraphicsItem* item, const QPainterPath& path, Qt::ItemSelectionMode mode)
{
    if (mode != Qt::ContainsItemShape && mode != Qt::IntersectsItemShape)
        return item->QGraphicsItem::collidesWithPath(path, mode);
    QPainterPath zone = item->shape();
    if (item->isClipped())
        zone = zone.intersected(item->clipPath());
    return mode == Qt::IntersectsItemShape ? path.intersects(zone) : path.contains(zone);
}

QRectF kuChartGrabLineItem::boundingRect() const
{
    return grown(QGraphicsLineItem::boundingRect(), kuChartGrab::margin);
}

QPainterPath kuChartGrabLineItem::shape() const
{
    QPainterPath path;
    if (line().p1() == line().p2()) {
        // A segment of no length (both ends on one point) is a dot with the margin around it.
        if (pen().style() != Qt::NoPen)
            path.addEllipse(line().p1(), reach(pen()), reach(pen()));
        return path;
    }
    path.moveTo(line().p1());
    path.lineTo(line().p2());
    return strokeZone(path, pen());
}

QRectF kuChartGrabRectItem::boundingRect() const
{
    return grown(QGraphicsRectItem::boundingRect(), kuChartGrab::margin);
}

QPainterPath kuChartGrabRectItem::shape() const
{
    QPainterPath path;
    path.addRect(grown(rect().normalized(), reach(pen())));
    return path;
}

QRectF kuChartGrabEllipseItem::boundingRect() const
{
    return grown(QGraphicsEllipseItem::boundingRect(), kuChartGrab::margin);
}

QPainterPath kuChartGrabEllipseItem::shape() const
{
    QPainterPath path;
    path.addEllipse(rect());
    return strokeZone(path, pen());
}
