#pragma once

#include <QCursor>
#include <QGraphicsEllipseItem>
#include <QGraphicsLineItem>
#include <QGraphicsRectItem>

// Items of drawing objects that the mouse finds within a few pixels of their
// stroke: a one-pixel line is no target for a hand. The zone counts for hover,
// press and double click alike, and only there (a circle's inside is no zone).
namespace kuChartGrab {
// Pixels around a stroke that still take the mouse.
constexpr double margin = 4.0;
// Hover cursors: a press there drags an anchor; a part that only dims on
// hover and opens its settings on a double click.
constexpr Qt::CursorShape dragCursor = Qt::SizeAllCursor;
constexpr Qt::CursorShape clickCursor = Qt::PointingHandCursor;
// Stacking of the tools' items: above the candles (0.1) and the indicators'
// items (0.9), which take hover events too, so that a tool takes the mouse
// where it crosses them; below the chart's own labels (1.0).
constexpr double z = 0.95;

// Hit tests against the zone (the item's shape), cut by a clipping parent.
bool zoneContains(const QGraphicsItem* item, const QPointF& point);
bool zoneCollides(const QGraphicsItem* item, const QPainterPath& path, Qt::ItemSelectionMode mode);
} // namespace kuChartGrab

// The zone's hit tests over one of Qt's shape items; the item gives the zone's shape.
template <typename Item>
class kuChartGrabItem : public Item
{
public:
    using Item::Item;

    bool contains(const QPointF& point) const override { return kuChartGrab::zoneContains(this, point); }
    bool collidesWithPath(const QPainterPath& path, Qt::ItemSelectionMode mode) const override
    {
        return kuChartGrab::zoneCollides(this, path, mode);
    }
};

class kuChartGrabLineItem : public kuChartGrabItem<QGraphicsLineItem>
{
public:
    explicit kuChartGrabLineItem(QGraphicsItem* parent = nullptr) : kuChartGrabItem(parent) {}

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
};

// A marker: its square and the margin around it.
class kuChartGrabRectItem : public kuChartGrabItem<QGraphicsRectItem>
{
public:
    explicit kuChartGrabRectItem(QGraphicsItem* parent = nullptr) : kuChartGrabItem(parent) {}

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
};

class kuChartGrabEllipseItem : public kuChartGrabItem<QGraphicsEllipseItem>
{
public:
    explicit kuChartGrabEllipseItem(QGraphicsItem* parent = nullptr) : kuChartGrabItem(parent) {}

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
};
