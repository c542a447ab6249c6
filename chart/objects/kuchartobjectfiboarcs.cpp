#include "kuchartobjectfiboarcs.h"

#include "kuchartcore.h"
#include "kuchartgrabitems.h"
#include "kugraphicsscene.h"

#include <QGraphicsEllipseItem>
#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>

#include <cmath>

using kuChartAnchor::inPlot;
using kuChartAnchor::inside;

kuChartObjectFiboArcsEventFilter::kuChartObjectFiboArcsEventFilter(kuChartObjectFiboArcs* owner, QGraphicsItem* parent,
                                                                   double hoverOpacity, double normalOpacity)
    : kuChartAnchorPairEventFilter(owner, parent, hoverOpacity, normalOpacity,
                                   {AwaitingFirst, PlacingRight, DraggingLeft, DraggingRight, Idle}, owner->lineItem(),
                                   owner->leftMarker(), owner->rightMarker()),
      m_owner(owner)
{}

QPointF kuChartObjectFiboArcsEventFilter::gripPoint(quint8 dragState) const
{
    return dragState == DraggingLeft ? m_owner->leftPoint() : m_owner->rightPoint();
}

void kuChartObjectFiboArcsEventFilter::moved(const kuChartAnchorMove& m)
{
    // An anchor moves only onto a candle: price and date-time go together.
    const double price = m_owner->chartCore()->priceAtPointer(qint64(m.at.y()));
    QGraphicsLineItem* line = m_owner->lineItem();
    if (m_dragState == DraggingLeft) {
        if (!m.x || m_owner->setLeftDateTimeFromX(m.at.x())) {
            line->setLine(QLineF(m.at, line->line().p2()));
            if (m.y)
                m_owner->setPriceLeft(price);
            m_owner->repaint();
        }
    } else if (m_dragState == PlacingRight || m_dragState == DraggingRight) {
        if (!m.x || m_owner->setRightDateTimeFromX(m.at.x())) {
            line->setLine(QLineF(line->line().p1(), m.at));
            if (m.y)
                m_owner->setPriceRight(price);
            m_owner->repaint();
        }
    }
}

void kuChartObjectFiboArcsEventFilter::takeAnchor(bool left, const kuChartAnchorMove& m)
{
    const double price = m_owner->chartCore()->priceAtPointer(qint64(m.at.y()));
    if (left) {
        if (m.x)
            m_owner->setLeftDateTimeFromX(m.at.x());
        if (m.y)
            m_owner->setPriceLeft(price);
    } else {
        if (m.x)
            m_owner->setRightDateTimeFromX(m.at.x());
        if (m.y)
            m_owner->setPriceRight(price);
    }
}

bool kuChartObjectFiboArcsEventFilter::takesAnchorAt(const QPointF& point) const
{
    return inPlot(m_owner->chartCore(), point) && m_owner->dateTimeAtX(point.x()).isValid();
}

bool kuChartObjectFiboArcsEventFilter::hasSecondAnchor() const
{
    return m_owner->hasRightAnchor();
}

kuChartObjectFiboArcs::kuChartObjectFiboArcs(kuChartCore* core, const QJsonObject& json)
    : kuChartObjectFiboBase(core, CircleLevels), m_lineItem(new kuChartGrabLineItem),
      m_rightMarker(new kuChartGrabRectItem(m_lineItem)), m_leftMarker(new kuChartGrabRectItem(m_lineItem)),
      m_eventFilter(new kuChartObjectFiboArcsEventFilter(this, m_lineItem, hoverOpacity, normalOpacity))
{
    labelText = tr("Окружности по Фибоначчи");
    setObjectType(otFiboArcs);
    setupItems();
    m_eventFilter->begin(json);
}

void kuChartObjectFiboArcs::setupItems()
{
    setUpToolItems(m_lineItem, {m_rightMarker, m_leftMarker}, m_eventFilter);
    // A ratio label stands off its ring: the pointer over it is not over the arcs.
    for (const kuFiboLevel& level : qAsConst(fiboLevels)) {
        level.ratioLabel->removeSceneEventFilter(m_eventFilter);
        level.ratioLabel->setAcceptHoverEvents(false);
        level.ratioLabel->setAcceptedMouseButtons(Qt::NoButton);
        level.ratioLabel->unsetCursor();
    }
}

void kuChartObjectFiboArcs::repaint()
{
    if (!beginRepaint(otFiboArcs))
        return;
    kuChartCore* core = chartCore();
    const double xL = xForDateTime(m_left.dateTime);
    const double xR = xForDateTime(m_right.dateTime);
    const double yL = core->priceToY(m_left.price);
    const double yR = core->priceToY(m_right.price);
    const double top = double(core->paneTop());
    const double bottom = double(core->paneBottom());
    const double left = double(core->plotLeft());
    const double right = double(core->plotRight()) - rightClearance;
    // Never clipped: an anchor off its candle or out of the pane hides it all.
    if (!inside(yL, top, bottom) || !inside(yR, top, bottom) || !inside(xL, left, right) || !inside(xR, left, right))
        return;
    m_lineItem->setLine(xL, yL, xR, yR);
    m_lineItem->setPen(linePen);
    m_lineItem->show();
    const int m = anchorMarkerSize;
    const int h = m / 2;
    m_leftMarker->setRect(xL - h, yL - m, m, m);
    m_rightMarker->setRect(xR - h, yR, m, m);
    m_leftMarker->show();
    m_rightMarker->show();
    const QPen plain(linePen.color());
    for (int i = 0; i < fiboLevels.size(); ++i) {
        const kuFiboLevel& level = fiboLevels.at(i);
        const double r = fiboRatios.at(i);
        const double xi = xL + r * (xR - xL);
        const double yi = core->priceToY(levelPrice(r));
        const double radius = std::hypot(xL - xi, yL - yi);
        auto* circle = static_cast<QGraphicsEllipseItem*>(level.item);
        circle->setPen(linePen);
        circle->setRect(xL - radius, yL - radius, 2 * radius, 2 * radius);
        circle->show();
        level.ratioLabel->setPen(plain);
        level.ratioLabel->setPos(xi + 12, yL + r * (yR - yL));
        level.ratioLabel->show();
    }
    keepRatioLabelsApart();
}

kuChartPropertyInfo kuChartObjectFiboArcs::propertyInfo(const QString& name)
{
    return anchorPropertyInfo(name, {"priceRight", "priceLeft", "candleDateTimeRight", "candleDateTimeLeft"});
}

void kuChartObjectFiboArcs::setPriceRight(double price)
{
    m_right.price = price;
    if (kuChartCore* core = chartCore())
        setLineEndY(m_lineItem, false, core->priceToY(price));
}

void kuChartObjectFiboArcs::setPriceLeft(double price)
{
    m_left.price = price;
    if (kuChartCore* core = chartCore())
        setLineEndY(m_lineItem, true, core->priceToY(price));
}

bool kuChartObjectFiboArcs::setRightDateTimeFromX(double x)
{
    return takeDateTimeAtX(x, m_right.dateTime);
}

bool kuChartObjectFiboArcs::setLeftDateTimeFromX(double x)
{
    return takeDateTimeAtX(x, m_left.dateTime);
}

bool kuChartObjectFiboArcs::hasRightAnchor() const
{
    return m_right.dateTime.isValid() && std::isfinite(m_right.price);
}

double kuChartObjectFiboArcs::levelPrice(double ratio) const
{
    return m_left.price + std::abs(m_left.price - m_right.price) * ratio;
}

bool kuChartObjectFiboArcs::isPlaced() const
{
    return m_eventFilter->isPlaced() && m_left.isPlaced() && hasRightAnchor();
}
