#include "kuchartobjectfibo.h"

#include "kuchartcore.h"
#include "kuchartgrabitems.h"
#include "kugraphicsscene.h"

#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>

#include <cmath>
#include <limits>

using kuChartAnchor::inPlot;
using kuChartAnchor::inside;

kuChartObjectFiboEventFilter::kuChartObjectFiboEventFilter(kuChartObjectFibo* owner, QGraphicsItem* parent,
                                                           double hoverOpacity, double normalOpacity)
    : kuChartAnchorPairEventFilter(owner, parent, hoverOpacity, normalOpacity,
                                   {AwaitingFirst, PlacingSecond, DraggingTop, DraggingBottom, Idle}, owner->lineItem(),
                                   owner->topMarker(), owner->bottomMarker()),
      m_owner(owner)
{}

QPointF kuChartObjectFiboEventFilter::gripPoint(quint8 dragState) const
{
    return dragState == DraggingTop ? m_owner->topPoint() : m_owner->bottomPoint();
}

void kuChartObjectFiboEventFilter::moved(const kuChartAnchorMove& m)
{
    const double price = m_owner->chartCore()->priceAtPointer(qint64(m.at.y()));
    // Both anchors share the segment's x: it follows the pointer.
    if (m_dragState == DraggingTop) {
        if (m.x)
            m_owner->setX1(m.at.x());
        if (m.y)
            m_owner->setPriceTop(price);
        m_owner->repaint();
    } else if (m_dragState == PlacingSecond || m_dragState == DraggingBottom) {
        if (m.x)
            m_owner->setX1(m.at.x());
        if (m.y)
            m_owner->setPriceBottom(price);
        m_owner->repaint();
    }
}

bool kuChartObjectFiboEventFilter::takesAnchorAt(const QPointF& point) const
{
    return inPlot(m_owner->chartCore(), point);
}

void kuChartObjectFiboEventFilter::placeFirst(const kuChartAnchorMove& m)
{
    m_owner->setX1(m.at.x());
    m_owner->setPriceTop(m_owner->chartCore()->priceAtPointer(qint64(m.at.y())));
}

void kuChartObjectFiboEventFilter::takeAnchor(bool top, const kuChartAnchorMove& m)
{
    // The segment's x stays where the moves showed it.
    if (m.x)
        m_owner->setX1(m.at.x());
    if (!m.y)
        return;
    const double price = m_owner->chartCore()->priceAtPointer(qint64(m.at.y()));
    if (top)
        m_owner->setPriceTop(price);
    else
        m_owner->setPriceBottom(price);
}

bool kuChartObjectFiboEventFilter::hasSecondAnchor() const
{
    return !std::isnan(m_owner->priceBottom());
}

kuChartObjectFibo::kuChartObjectFibo(kuChartCore* core, const QJsonObject& json)
    : kuChartObjectFiboBase(core, LineLevels), m_lineItem(new kuChartGrabLineItem),
      m_topMarker(new kuChartGrabRectItem(m_lineItem)), m_bottomMarker(new kuChartGrabRectItem(m_lineItem)),
      m_eventFilter(new kuChartObjectFiboEventFilter(this, m_lineItem, hoverOpacity, normalOpacity)),
      m_priceTop(std::numeric_limits<double>::quiet_NaN()), m_priceBottom(std::numeric_limits<double>::quiet_NaN())
{
    labelText = tr("Коррекция по Фибоначчи");
    setObjectType(otFibo);
    setupItems();
    m_eventFilter->begin(json);
}

void kuChartObjectFibo::setupItems()
{
    setUpToolItems(m_lineItem, {m_topMarker, m_bottomMarker}, m_eventFilter);
}

void kuChartObjectFibo::repaint()
{
    if (!beginRepaint(otFibo))
        return;
    kuChartCore* core = chartCore();
    const double top = double(core->paneTop());
    const double bottom = double(core->paneBottom());
    const double right = double(core->plotRight());
    const double yTop = core->priceToY(m_priceTop);
    const double yBottom = core->priceToY(m_priceBottom);
    // Never clipped: an anchor out of the pane hides it all, and so does a
    // saved x that a smaller window leaves outside the plot.
    if (!inside(yTop, top, bottom) || !inside(yBottom, top, bottom) || !inside(m_x1, double(core->plotLeft()), right))
        return;
    m_lineItem->setLine(m_x1, yTop, m_x1, yBottom);
    m_lineItem->setPen(linePen);
    m_lineItem->show();
    const int m = anchorMarkerSize;
    const int h = m / 2;
    m_topMarker->setRect(m_x1 - h, yTop - m, m, m);
    m_bottomMarker->setRect(m_x1 - h, yBottom, m, m);
    m_topMarker->show();
    m_bottomMarker->show();
    const QPen plain(linePen.color());
    const int decimals = core->priceDecimals();
    for (int i = 0; i < fiboLevels.size(); ++i) {
        const kuFiboLevel& level = fiboLevels.at(i);
        const double price = levelPrice(fiboRatios.at(i));
        level.priceLabel->setText(QString::number(price, 'f', decimals));
        const double xEnd = right - (level.priceLabel->boundingRect().width() + 2);
        const double y = core->priceToY(price);
        auto* line = static_cast<QGraphicsLineItem*>(level.item);
        line->setPen(linePen);
        line->setLine(m_x1, y, xEnd - 8, y);
        line->show();
        level.priceLabel->setPen(plain);
        level.priceLabel->setPos(xEnd + 1, y - 12);
        level.priceLabel->show();
        level.ratioLabel->setPen(plain);
        level.ratioLabel->setPos(m_x1 - (level.ratioLabel->boundingRect().width() + 2) - 3, y - 12);
        level.ratioLabel->show();
    }
}

kuChartPropertyInfo kuChartObjectFibo::propertyInfo(const QString& name)
{
    return anchorPropertyInfo(name, {"priceTop", "priceBottom", "x1"});
}

void kuChartObjectFibo::setPriceTop(double price)
{
    m_priceTop = price;
    layLine(m_x1);
}

void kuChartObjectFibo::setPriceBottom(double price)
{
    m_priceBottom = price;
    layLine(m_x1);
}

void kuChartObjectFibo::setX1(double x)
{
    m_x1 = x;
    layLine(x);
}

QPointF kuChartObjectFibo::topPoint() const
{
    return QPointF(m_x1, chartCore() ? chartCore()->priceToY(m_priceTop) : 0.0);
}

QPointF kuChartObjectFibo::bottomPoint() const
{
    return QPointF(m_x1, chartCore() ? chartCore()->priceToY(m_priceBottom) : 0.0);
}

double kuChartObjectFibo::levelPrice(double ratio) const
{
    return std::min(m_priceTop, m_priceBottom) + std::abs(m_priceTop - m_priceBottom) * ratio;
}

void kuChartObjectFibo::layLine(double x)
{
    kuChartCore* core = chartCore();
    if (!core)
        return;
    auto yOf = [core](double price) {
        const double y = core->priceToY(price);
        return std::isfinite(y) ? y : 0.0;
    };
    m_lineItem->setLine(std::isfinite(x) ? x : 0.0, yOf(m_priceTop), std::isfinite(x) ? x : 0.0, yOf(m_priceBottom));
}

bool kuChartObjectFibo::isPlaced() const
{
    return m_eventFilter->isPlaced() && std::isfinite(m_x1) && std::isfinite(m_priceTop) &&
           std::isfinite(m_priceBottom);
}
