#pragma once

#include "kuchartobjectdrag.h"

#include <QGraphicsItem>
#include <QJsonObject>

#include <vector>

class kuChartObject;

// The mouse filter of a tool anchored by clicks: it keeps the tool's drag state
// (numbered by each tool), takes the scene's mouse while the tool is placed or
// dragged and gives it back with the cursor it pushed. A press on a marker of
// the hovered tool drags that marker's anchor; the tool says what a move and a
// release do in each state.
class kuChartToolEventFilter : public QGraphicsItem
{
public:
    // A new tool starts awaiting its first click; a placed one rests idle.
    kuChartToolEventFilter(kuChartObject* tool, QGraphicsItem* parent, double hoverOpacity, double normalOpacity,
                           quint8 awaitingState, quint8 idleState);

    QRectF boundingRect() const override { return QRectF(0, 0, 0, 0); }
    void paint(QPainter*, const QStyleOptionGraphicsItem*, QWidget*) override {}

    // The tool takes the saved JSON; a saved tool is placed, so that a click
    // on it does not re-anchor it, and a new one (empty JSON) awaits its first click.
    void begin(const QJsonObject& json);
    quint8 dragState() const { return m_dragState; }
    // The tool was restored, or its placing has ended; its anchors are the tool's to check.
    bool isPlaced() const { return m_placed; }
    void setDragState(quint8 state) { m_dragState = state; }
    void finishPlacing();
    kuHeldCursor& cursor() { return m_cursor; }

protected:
    // Presses, moves and releases follow the tool's protocol; a double click
    // edits the tool, hovering dims it; every other event is taken.
    bool sceneEventFilter(QGraphicsItem* watched, QEvent* event) final;
    // A move whose point lies in the plot, the price marker already at its y.
    virtual void moved(const kuChartAnchorMove& move) = 0;
    // A release on a chart.
    virtual void released(const kuChartAnchorMove& move) = 0;
    // Scene point of the anchor that the drag state moves.
    virtual QPointF gripPoint(quint8 dragState) const = 0;
    // A press on the marker of the hovered tool puts the filter in the drag state.
    void addGrip(QGraphicsItem* marker, quint8 dragState);
    // Called before a drag's move is applied (kuChartDrag::rewind).
    void rewind(const kuChartAnchorMove& move) const { m_drag.rewind(m_tool, move); }
    // The last anchor is placed or the drag is over: idle, repainted, the mouse given back.
    void settle();

    double m_hoverOpacity;
    double m_normalOpacity;
    quint8 m_dragState;
    kuHeldCursor m_cursor;

private:
    struct Grip
    {
        QGraphicsItem* marker;
        quint8 dragState;
    };

    void pressed(QGraphicsItem* watched, const QPointF& press);
    void grab(bool pushCursor);
    // A new tool's anchors take the pointer itself; a dragged one keeps its offset.
    kuChartAnchorMove moveFor(const QPointF& pointer) const;

    kuChartObject* m_tool;
    kuChartDrag m_drag;
    quint8 m_awaitingState;
    quint8 m_idleState;
    std::vector<Grip> m_grips;
    bool m_placed = false;
};

// Scene event filter of a drawing object: an item without extent or paint,
// child of the object's main item. The one-anchor protocol lives here: a new
// object follows the pointer until a press fixes it; a hovered one is dragged,
// keeping its offset to the pointer, until the release.
class kuChartObjectEventFilter : public QGraphicsItem
{
public:
    // The opacities are the owner's hover and normal ones.
    kuChartObjectEventFilter(kuChartObject* owner, QGraphicsItem* parent, double hoverOpacity, double normalOpacity);

    QRectF boundingRect() const override { return QRectF(0, 0, 0, 0); }
    void paint(QPainter*, const QStyleOptionGraphicsItem*, QWidget*) override {}

    // A new object (empty JSON) follows the pointer at the opacity given; a
    // saved one takes the JSON and rests placed at the normal opacity.
    void begin(const QJsonObject& json, double newOpacity);
    void setPlacing(bool placing) { m_placing = placing; }
    bool isPlacing() const { return m_placing; }
    // Restored, or its placing has ended, and its anchor is a valid one.
    bool isPlaced() const { return m_placed && hasAnchor(); }
    // Fixes the anchor where the pointer at the position puts it when that is
    // a valid one, else keeps the last valid anchor; an object with no anchor
    // at all stays in placing.
    void finishPlacing(const QPointF& scenePos);
    kuHeldCursor& cursor() { return m_cursor; }

protected:
    bool sceneEventFilter(QGraphicsItem* watched, QEvent* event) override;
    // Moves the anchor as the pointer says, repaints and shows the price
    // marker; false when the position check fails.
    virtual bool followPointer(const kuChartAnchorMove& move) = 0;
    // Takes the anchor from a press or release; false when it has none there.
    virtual bool takeAnchor(const kuChartAnchorMove& move) = 0;
    virtual bool hasAnchor() const = 0;
    // The anchor's scene point, on the axes it has; the press gives the others.
    virtual QPointF anchorPoint(const QPointF& press) const = 0;
    // Where a new object's anchor goes for the pointer.
    virtual QPointF placingPoint(const QPointF& pointer) const { return pointer; }
    virtual void doubleClicked();
    // The main item, whose opacity tells a hovered or new object.
    virtual QGraphicsItem* mainItem() const;
    void grab();
    void ungrab();
    kuChartAnchorMove moveFor(const QPointF& pointer) const;
    // Called once a drag's move is found valid, before it is applied (kuChartDrag::rewind).
    void rewind(const kuChartAnchorMove& move) const { m_drag.rewind(m_owner, move); }

    kuChartObject* m_owner;
    double m_hoverOpacity;
    double m_normalOpacity;
    bool m_placing = false;
    bool m_placed = false;
    kuHeldCursor m_cursor;
    kuChartDrag m_drag;
};
