#include "kuchartobjectbase.h"

#include "kuchartcore.h"
#include "kugraphicsscene.h"

#include <QCursor>
#include <QGraphicsSceneMouseEvent>
#include <QGuiApplication>
#include <QJsonObject>
#include <QStyleHints>

#include <algorithm>
#include <cmath>

namespace {
const char* const textFormat = "yyyy-MM-dd HH:mm";
// Candle times are kept at this offset from UTC.
const int candleOffset = 10800;
} // namespace

namespace kuChartAnchor {

QString toText(const QDateTime& dateTime)
{
    if (!dateTime.isValid())
        return QString();
    return dateTime.toOffsetFromUtc(candleOffset).toString(QLatin1String(textFormat));
}

QDateTime fromText(const QString& text)
{
    const QDateTime local = QDateTime::fromString(text, QLatin1String(textFormat));
    if (!local.isValid())
        return QDateTime();
    return QDateTime(local.date(), local.time(), Qt::OffsetFromUTC, candleOffset);
}

double slotCentre(const kuChartCore* core, int position)
{
    const double slot = core->candleSpacing() * core->candleWidth();
    return double(core->plotLeft() + 2) + core->plotWidth() - slot * (position + 1) + 1 +
           0.8 * core->candleWidth() * 0.5;
}

double xForDateTime(const kuChartCore* core, const QDateTime& dateTime)
{
    if (!core || !dateTime.isValid())
        return -10.0;
    // Seconds against seconds: no date-time is built per candle.
    const qint64 seconds = dateTime.toSecsSinceEpoch();
    const QVector<kuChartCandle>& candles = core->candles();
    const int first = core->firstVisible();
    const int count = core->visibleCount();
    for (int i = 0; i < count; ++i) {
        const int k = first + i;
        if (k < 0 || k >= candles.size())
            break;
        if (qint64(candles.at(k).time) == seconds)
            return slotCentre(core, i);
    }
    return -10.0;
}

QDateTime dateTimeAtX(const kuChartCore* core, double x)
{
    if (!core || !std::isfinite(x))
        return QDateTime();
    const int k = core->xToCandleIndex(int(x));
    if (k < 0 || k >= core->candles().size())
        return QDateTime();
    return QDateTime::fromSecsSinceEpoch(qint64(core->candles().at(k).time), Qt::OffsetFromUTC, candleOffset);
}

bool inside(double v, double lo, double hi)
{
    return v >= lo && v <= hi;
}

bool inPlot(const kuChartCore* core, const QPointF& p)
{
    return inside(p.x(), double(core->plotLeft()), double(core->plotRight())) &&
           inside(p.y(), double(core->paneTop()), double(core->paneBottom()));
}

bool overData(const kuChartCore* core, const QPointF& p)
{
    return inside(p.y(), double(core->paneTop()), double(core->paneBottom())) && dateTimeAtX(core, p.x()).isValid();
}

} // namespace kuChartAnchor

kuChartObjectBase::kuChartObjectBase(kuChartCore* core) : kuChartObject(core)
{}

double kuChartObjectBase::xForDateTime(const QDateTime& dateTime) const
{
    return kuChartAnchor::xForDateTime(chartCore(), dateTime);
}

QDateTime kuChartObjectBase::dateTimeAtX(double x) const
{
    return kuChartAnchor::dateTimeAtX(chartCore(), x);
}

bool kuChartObjectBase::takeDateTimeAtX(double x, QDateTime& anchor) const
{
    const QDateTime at = dateTimeAtX(x);
    if (at.isValid())
        anchor = at;
    return at.isValid();
}

QPointF kuChartObjectBase::anchorPoint(const QDateTime& dateTime, double price) const
{
    const kuChartCore* core = chartCore();
    return QPointF(xForDateTime(dateTime), core ? core->priceToY(price) : 0.0);
}

QString kuChartObjectBase::dateTimeToText(const QDateTime& dateTime)
{
    return kuChartAnchor::toText(dateTime);
}

QDateTime kuChartObjectBase::dateTimeFromText(const QString& text)
{
    return kuChartAnchor::fromText(text);
}

void kuChartDrag::start(kuChartObject* owner, const QPointF& press, const QPointF& anchor)
{
    m_active = true;
    m_press = press;
    m_anchor = anchor;
    m_before = owner->params();
    m_started.start();
}

void kuChartDrag::forget()
{
    m_before = QJsonArray();
}

kuChartAnchorMove kuChartDrag::move(const QPointF& pointer) const
{
    kuChartAnchorMove move;
    move.at = m_anchor + (pointer - m_press);
    move.x = pointer.x() != m_press.x();
    move.y = pointer.y() != m_press.y();
    return move;
}

void kuChartDrag::undoClick(kuChartObject* owner)
{
    m_active = false;
    // Only the drag of this double click's first click: one begun a
    // double-click interval ago or less.
    if (m_before.isEmpty() || !m_started.isValid() ||
        m_started.elapsed() > QGuiApplication::styleHints()->mouseDoubleClickInterval())
        return;
    owner->fromJson(QJsonObject{{QStringLiteral("params"), m_before}});
    m_before = QJsonArray();
    owner->repaint();
}

void kuHeldCursor::push(Qt::CursorShape shape)
{
    if (m_held)
        return;
    QGuiApplication::setOverrideCursor(QCursor(shape));
    m_held = true;
}

void kuHeldCursor::release()
{
    if (!m_held)
        return;
    m_held = false;
    QGuiApplication::restoreOverrideCursor();
}

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
    if (!json.isEmpty())
        m_dragState = m_idleState;
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

void grabSceneMouse(kuChartObject* owner)
{
    if (kuGraphicsScene* s = owner->scene())
        s->setActiveObject(owner);
}

void releaseSceneMouse(kuChartObject* owner, kuHeldCursor& cursor)
{
    if (kuGraphicsScene* s = owner->scene())
        s->releaseActiveObject(owner);
    cursor.release();
}

void dropSceneItem(QGraphicsItem* item)
{
    if (!item)
        return;
    if (item->scene())
        item->scene()->removeItem(item);
    delete item;
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
