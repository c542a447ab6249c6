#include "kuchartobjectbase.h"

#include "kuchartcore.h"
#include "kugraphicsscene.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGraphicsSceneMouseEvent>
#include <QGuiApplication>
#include <QJsonObject>

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

QJsonObject penStyleChoices()
{
    auto tr = [](const char* text) { return QCoreApplication::translate("kuChartObject", text); };
    return QJsonObject{{tr("Сплошная линия"), int(Qt::SolidLine)},
                       {tr("Пунктирная линия"), int(Qt::DashLine)},
                       {tr("Пунктирная линия(вар. 2)"), int(Qt::DotLine)},
                       {tr("Пунктирная линия(вар. 3)"), int(Qt::DashDotLine)},
                       {tr("Пунктирная линия(вар. 4)"), int(Qt::DashDotDotLine)}};
}

int lineWidthFor(int width)
{
    return unsigned(width) < 6u ? width : 1;
}

bool isPenStyle(int style)
{
    return unsigned(style) < 6u;
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

QString kuChartObjectBase::dateTimeToText(const QDateTime& dateTime)
{
    return kuChartAnchor::toText(dateTime);
}

QDateTime kuChartObjectBase::dateTimeFromText(const QString& text)
{
    return kuChartAnchor::fromText(text);
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

QGraphicsItem* kuChartObjectEventFilter::mainItem() const
{
    return parentItem();
}

kuChartToolEventFilter::kuChartToolEventFilter(kuChartObject* tool, QGraphicsItem* parent, double hoverOpacity,
                                               double normalOpacity, quint8 dragState)
    : QGraphicsItem(parent), m_hoverOpacity(hoverOpacity), m_normalOpacity(normalOpacity), m_dragState(dragState),
      m_tool(tool)
{}

void kuChartToolEventFilter::grab(bool pushCursor)
{
    grabSceneMouse(m_tool);
    if (pushCursor)
        m_cursor.push(Qt::DragMoveCursor);
}

void kuChartToolEventFilter::finishPlacing()
{
    releaseSceneMouse(m_tool, m_cursor);
}

bool answerToolEvent(kuChartObject* owner, QEvent* event, double hoverOpacity, double normalOpacity)
{
    switch (event->type()) {
    case QEvent::GraphicsSceneMouseDoubleClick:
        if (kuChartCore* core = owner->chartCore())
            core->editObject(owner);
        break;
    case QEvent::GraphicsSceneHoverEnter:
        owner->setOpacity(hoverOpacity);
        break;
    case QEvent::GraphicsSceneHoverLeave:
        owner->setOpacity(normalOpacity);
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

void kuChartObjectEventFilter::grab()
{
    grabSceneMouse(m_owner);
}

void kuChartObjectEventFilter::ungrab()
{
    releaseSceneMouse(m_owner, m_cursor);
}

void kuChartObjectEventFilter::finishPlacing(const QPointF& scenePos)
{
    if (!takeAnchor(scenePos) && !hasAnchor())
        return;
    m_placing = false;
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
        return followPointer(static_cast<QGraphicsSceneMouseEvent*>(event)->scenePos());
    }
    case QEvent::GraphicsSceneMousePress: {
        const QGraphicsItem* item = mainItem();
        if (item && item->opacity() < m_normalOpacity) {
            if (!m_placing) {
                m_placing = true;
                grab();
                m_cursor.push(Qt::DragMoveCursor);
            } else {
                finishPlacing(static_cast<QGraphicsSceneMouseEvent*>(event)->scenePos());
            }
        }
        return true;
    }
    case QEvent::GraphicsSceneMouseRelease:
        finishPlacing(static_cast<QGraphicsSceneMouseEvent*>(event)->scenePos());
        return true;
    case QEvent::GraphicsSceneMouseDoubleClick:
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
