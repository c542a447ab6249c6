#include "kuchartobjecthline.h"

#include "kuchartcore.h"

#include <QGraphicsLineItem>
#include <QGraphicsSimpleTextItem>

#include <cmath>
#include <limits>

kuChartObjectHLineEventFilter::kuChartObjectHLineEventFilter(kuChartObjectHLine* owner, QGraphicsItem* parent,
                                                             double hoverOpacity, double normalOpacity)
    : kuChartObjectEventFilter(owner, parent, hoverOpacity, normalOpacity), m_line(owner)
{}

bool kuChartObjectHLineEventFilter::followPointer(const kuChartAnchorMove& move)
{
    if (!takeAnchor(move))
        return false;
    m_line->repaint();
    m_line->chartCore()->showPriceMarker(qint64(move.at.y()));
    return true;
}

bool kuChartObjectHLineEventFilter::takeAnchor(const kuChartAnchorMove& move)
{
    const kuChartCore* core = m_line->chartCore();
    const double y = move.at.y();
    if (!core || y < core->paneTop() || y > core->paneBottom())
        return false;
    rewind(move);
    if (move.y)
        m_line->setPrice(core->priceAtPointer(qint64(y)));
    return true;
}

QPointF kuChartObjectHLineEventFilter::anchorPoint(const QPointF& press) const
{
    const kuChartCore* core = m_line->chartCore();
    return QPointF(press.x(), core ? core->priceToY(m_line->price()) : press.y());
}

bool kuChartObjectHLineEventFilter::hasAnchor() const
{
    return !std::isnan(m_line->price());
}

kuChartObjectHLine::kuChartObjectHLine(kuChartCore* core, const QJsonObject& json)
    : kuChartLineTool(core, tr("Горизонтальная линия %1")),
      m_eventFilter(new kuChartObjectHLineEventFilter(this, m_lineItem, hoverOpacity, normalOpacity)),
      m_price(std::numeric_limits<double>::quiet_NaN())
{
    setObjectType(otHorizontalLine);
    setPricePane(1);
    setupItems();
    m_eventFilter->begin(json, 0.7);
}

void kuChartObjectHLine::setupItems()
{
    setUpLine(Qt::SizeVerCursor, m_eventFilter);
    if (kuChartCore* core = chartCore())
        m_priceDecimals = core->priceDecimals();
    setUpCaption(Qt::SizeVerCursor, m_eventFilter);
}

void kuChartObjectHLine::repaint()
{
    kuChartCore* core = chartCore();
    if (!core || !isVisible() || isDeleted())
        return;
    QGraphicsSimpleTextItem* c = caption();
    c->setPen(QPen(linePen.color()));
    c->setText(QString::number(m_price, 'f', m_priceDecimals));
    if (objectType() != otHorizontalLine)
        return;
    const double lowest = double(core->bottomTicks()) * core->priceTick();
    const double highest = double(core->topTicks()) * core->priceTick();
    // NaN (not placed yet) fails both tests.
    if (!(lowest < m_price && m_price < highest)) {
        m_lineItem->hide();
        c->hide();
        return;
    }
    m_lineItem->show();
    c->show();
    const double y = core->priceToY(m_price);
    const double w = c->boundingRect().width();
    m_lineItem->setPen(linePen);
    m_lineItem->setLine(double(core->plotLeft()), y, double(core->plotRight()) - w - 10, y);
    c->setPos(double(core->plotRight()) - w, y - 10);
}

kuHeldCursor& kuChartObjectHLine::heldCursor()
{
    return m_eventFilter->cursor();
}

QString kuChartObjectHLine::label()
{
    return m_labelTemplate.arg(QString::number(m_price, 'f', m_priceDecimals));
}

kuChartPropertyInfo kuChartObjectHLine::propertyInfo(const QString& name)
{
    if (std::optional<kuChartPropertyInfo> pen = penPropertyInfo(name, false))
        return *pen;
    if (name == QLatin1String("price"))
        return {tr("Значение"), false, QVariant(QJsonObject())};
    return kuChartObject::propertyInfo(name);
}

void kuChartObjectHLine::setPrice(double price)
{
    if (price != m_price)
        m_price = price;
}

bool kuChartObjectHLine::isPlaced() const
{
    return m_eventFilter->isPlaced();
}
