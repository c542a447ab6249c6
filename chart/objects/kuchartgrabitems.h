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
} // namespace kuChartGrab

class kuChartGrabLineItem : public QGraphicsLineItem
{
public:
    explicit kuChartGrabLineItem(QGraphicsItem* parent = nullptr) : QGraphicsLineItem(parent) {}

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    bool contains(const QPointF& point) const override;
    bool collidesWithPath(const QPainterPath& path, Qt::ItemSelectionMode mode) const override;
};

// A marker: its square and the margin around it.
class kuChartGrabRectItem : public QGraphicsRectItem
{
public:
    explicit kuChartGrabRectItem(QGraphicsItem* parent = nullptr) : QGraphicsRectItem(parent) {}

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    bool contains(const QPointF& point) const override;
    bool collidesWithPath(const QPainterPath& path, Qt::ItemSelectionMode mode) const override;
};

class kuChartGrabEllipseItem : public QGraphicsEllipseItem
{
public:
    explicit kuChartGrabEllipseItem(QGraphicsItem* parent = nullptr) : QGraphicsEllipseItem(parent) {}

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    bool contains(const QPointF& point) const override;
    bool collidesWithPath(const QPainterPath& path, Qt::ItemSelectionMode mode) const override;
};
