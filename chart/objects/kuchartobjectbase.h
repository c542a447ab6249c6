#pragma once

#include "kuchartobject.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QGraphicsItem>
#include <QJsonArray>
#include <QJsonObject>
#include <QPointF>

#include <cmath>
#include <limits>
#include <vector>

class kuChartCore;
class QGraphicsSceneMouseEvent;

// Anchors of drawing objects: a price and the open time of a candle. Candle
// times live at the fixed offset of +03:00; the saved text is that wall time,
// so an anchor finds its candle whatever the machine's time zone.
namespace kuChartAnchor {
// "yyyy-MM-dd HH:mm" at +03:00; empty for an invalid date-time.
QString toText(const QDateTime& dateTime);
// The text read as wall time at +03:00; invalid when it does not match.
QDateTime fromText(const QString& text);
// Scene x of the centre of the visible position i (0 = the newest visible candle).
double slotCentre(const kuChartCore* core, int position);
// Centre of the visible candle that opens at the date-time, or -10.0.
double xForDateTime(const kuChartCore* core, const QDateTime& dateTime);
// The candle's date-time under a scene x, or an invalid one.
QDateTime dateTimeAtX(const kuChartCore* core, double x);
// lo <= v <= hi; false for NaN.
bool inside(double v, double lo, double hi);
// The point lies in the plot of the price pane (edges included).
bool inPlot(const kuChartCore* core, const QPointF& p);
// The point lies over a candle, between the price pane's top and bottom.
bool overData(const kuChartCore* core, const QPointF& p);
} // namespace kuChartAnchor

// An anchor on a candle: a price and the candle's open time, NaN and invalid
// until placed. Saved files hold the date-time as text.
struct kuChartCandleAnchor
{
    double price = std::numeric_limits<double>::quiet_NaN();
    QDateTime dateTime;

    bool isPlaced() const { return dateTime.isValid() && !std::isnan(price); }
    QString dateTimeText() const { return kuChartAnchor::toText(dateTime); }
    void setDateTimeText(const QString& text) { dateTime = kuChartAnchor::fromText(text); }
};

// Base of the drawing objects anchored in time (text, trend line).
class kuChartObjectBase : public kuChartObject
{
    Q_OBJECT

public:
    explicit kuChartObjectBase(kuChartCore* core);

    double xForDateTime(const QDateTime& dateTime) const;
    QDateTime dateTimeAtX(double x) const;
    // Sets the anchor to the candle at x; an x off the candles leaves it as it was.
    bool takeDateTimeAtX(double x, QDateTime& anchor) const;
    static QString dateTimeToText(const QDateTime& dateTime);
    static QDateTime dateTimeFromText(const QString& text);
    // Scene point of an anchor: its candle's centre and its price's y.
    QPointF anchorPoint(const QDateTime& dateTime, double price) const;
    QPointF anchorPoint(const kuChartCandleAnchor& anchor) const { return anchorPoint(anchor.dateTime, anchor.price); }

protected:
    qint8 anchorMarkerSize = 4;
};

// An application override cursor that a drawing object pushed (or took over
// from its dialog): popped exactly once, by whoever ends the placing or drag.
class kuHeldCursor
{
public:
    ~kuHeldCursor() { release(); }
    // Pushes the shape unless a cursor is already held.
    void push(Qt::CursorShape shape);
    // Takes over a cursor someone else pushed.
    void adopt() { m_held = true; }
    void release();
    bool isHeld() const { return m_held; }

private:
    bool m_held = false;
};

// Where the pointer puts an anchor being placed or dragged, and the axes along
// which it moves it: an axis the pointer has not travelled along since the
// press keeps the anchor's value exactly.
struct kuChartAnchorMove
{
    QPointF at;
    bool x = true;
    bool y = true;
};

// A drag of a placed object keeps the offset between the pointer and what it
// drags: the anchor moves by the pointer's travel since the press. A double
// click begins with a click that is such a drag; the double click puts back
// the anchors it found, so that a shaking hand moves nothing either.
class kuChartDrag
{
public:
    void start(kuChartObject* owner, const QPointF& press, const QPointF& anchor);
    void stop() { m_active = false; }
    // A press that starts no drag: a double click after it has nothing to undo.
    void forget();
    bool isActive() const { return m_active; }
    kuChartAnchorMove move(const QPointF& pointer) const;
    // Called on a double click: undoes the drag of its first click.
    void undoClick(kuChartObject* owner);

private:
    bool m_active = false;
    QPointF m_press;
    QPointF m_anchor;
    QJsonArray m_before;
    QElapsedTimer m_started;
};

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
};

// The scene's mouse goes to the object while it is placed or dragged; letting go
// also drops the cursor the object held.
void grabSceneMouse(kuChartObject* owner);
void releaseSceneMouse(kuChartObject* owner, kuHeldCursor& cursor);

// Takes an item of a drawing object out of its scene and deletes it (with its
// children); nothing for null.
void dropSceneItem(QGraphicsItem* item);

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

    kuChartObject* m_owner;
    double m_hoverOpacity;
    double m_normalOpacity;
    bool m_placing = false;
    kuHeldCursor m_cursor;
    kuChartDrag m_drag;
};
