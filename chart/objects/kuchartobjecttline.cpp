#include "kuchartobjecttline.h"

#include "kuchartcore.h"
#include "kuchartgrabitems.h"
#include "kugraphicsscene.h"

#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>

using kuChartAnchor::inside;

kuChartObjectTLineEventFilter::kuChartObjectTLineEventFilter(kuChartObjectTLine* owner, QGraphicsItem* parent,
                                                             double hoverOpacity, double normalOpacity)
    : kuChartAnchorPairEventFilter(owner, parent, hoverOpacity, normalOpacity,
                                   {AwaitingFirst, PlacingRight, DraggingLeft, DraggingRight, Idle}, owner->lineItem(),
                                   owner->leftMarker(), owner->rightMarker()),
      m_owner(owner)
{}

QPointF kuChartObjectTLineEventFilter::gripPoint(quint8 dragState) const
{
    return dragState == DraggingLeft ? m_owner->leftPoint() : m_owner->rightPoint();
}

void kuChartObjectTLineEventFilter::takeAnchor(bool left, const kuChartAnchorMove& m)
{
    const double price = m_owner->chartCore()->priceAtPointer(qint64(m.at.y()));
    if (left) {
        if (m.y)
            m_owner->setPriceLeft(price);
        if (m.x)
            m_owner->setCandleDateTimeLeftAtX(m.at.x());
    } else {
        if (m.y)
            m_owner->setPriceRight(price);
        if (m.x)
            m_owner->setCandleDateTimeRightAtX(m.at.x());
    }
}

void kuChartObjectTLineEventFilter::moved(const kuChartAnchorMove& m)
{
    if (m_dragState == DraggingLeft)
        takeAnchor(true, m);
    else if (m_dragState == PlacingRight || m_dragState == DraggingRight)
        takeAnchor(false, m);
    else
        return;
    m_owner->repaint();
}

bool kuChartObjectTLineEventFilter::takesAnchorAt(const QPointF& point) const
{
    return kuChartAnchor::overData(m_owner->chartCore(), point);
}

bool kuChartObjectTLineEventFilter::hasSecondAnchor() const
{
    return m_owner->hasRightAnchor();
}

kuChartObjectTLine::kuChartObjectTLine(kuChartCore* core, const QJsonObject& json)
    : kuChartLineTool(core, tr("Линия тренда %1 - %2")), m_rightMarker(new kuChartGrabRectItem(m_lineItem)),
      m_leftMarker(new kuChartGrabRectItem(m_lineItem)), m_rightPriceText(new QGraphicsSimpleTextItem),
      m_eventFilter(new kuChartObjectTLineEventFilter(this, m_lineItem, hoverOpacity, normalOpacity))
{
    setObjectType(otTrendLine);
    setPricePane(1);
    setupItems();
    m_eventFilter->begin(json);
}

kuChartObjectTLine::~kuChartObjectTLine()
{
    dropSceneItem(m_rightMarker);
    dropSceneItem(m_leftMarker);
    dropSceneItem(m_rightPriceText);
}

void kuChartObjectTLine::setupItems()
{
    setUpLine(kuChartGrab::clickCursor, m_eventFilter);
    if (kuChartCore* core = chartCore())
        m_priceDecimals = core->priceDecimals();
    for (QGraphicsRectItem* marker : {m_rightMarker, m_leftMarker}) {
        marker->show();
        marker->setAcceptHoverEvents(true);
        marker->setCursor(kuChartGrab::dragCursor);
        marker->setPen(QPen(linePen.color()));
        marker->installSceneEventFilter(m_eventFilter);
    }
    if (kuGraphicsScene* s = scene(); s && m_rightPriceText->scene() != s)
        s->addItem(m_rightPriceText);
    if (QGraphicsSimpleTextItem* c = caption()) {
        m_rightPriceText->setFont(c->font());
        c->setPen(QPen(linePen.color()));
        c->setZValue(kuChartGrab::z);
        c->setPos(0, 0);
        c->show();
    }
    m_rightPriceText->setPen(QPen(linePen.color()));
    m_rightPriceText->setZValue(kuChartGrab::z);
    m_rightPriceText->setPos(0, 0);
    m_rightPriceText->show();
}

void kuChartObjectTLine::repaint()
{
    kuChartCore* core = chartCore();
    if (!core || !isVisible())
        return;
    QGraphicsSimpleTextItem* c = caption();
    if (m_lineItem->isVisible()) {
        m_lineItem->hide();
        m_rightMarker->hide();
        m_leftMarker->hide();
        c->hide();
        m_rightPriceText->hide();
    }
    if (isDeleted())
        return;
    c->setText(QString::number(m_left.price, 'f', m_priceDecimals));
    m_rightPriceText->setText(QString::number(m_right.price, 'f', m_priceDecimals));
    const double xL = xForDateTime(m_left.dateTime);
    const double xR = xForDateTime(m_right.dateTime);
    const double yL = core->priceToY(m_left.price);
    const double yR = core->priceToY(m_right.price);
    const double top = double(core->paneTop());
    const double bottom = double(core->paneBottom());
    const double left = double(core->plotLeft());
    const double right = double(core->plotRight());
    if (!inside(yL, top, bottom) || !inside(yR, top, bottom) || !inside(xL, left, right) || !inside(xR, left, right))
        return;
    m_lineItem->setLine(xL, yL, xR, yR);
    m_lineItem->setPen(linePen);
    m_lineItem->show();
    const int s = anchorMarkerSize;
    const int h = s / 2;
    m_rightMarker->setRect(xR - h, yR - s, s, s);
    m_leftMarker->setRect(xL - h, yL - s, s, s);
    m_rightMarker->show();
    m_leftMarker->show();
    c->setPos(xL - (2 + c->boundingRect().width()), yL - 12);
    m_rightPriceText->setPos(xR - (2 + m_rightPriceText->boundingRect().width()), yR - 12);
    c->show();
    m_rightPriceText->show();
}

void kuChartObjectTLine::setOpacity(double opacity)
{
    kuChartLineTool::setOpacity(opacity);
    m_rightPriceText->setOpacity(opacity);
}

void kuChartObjectTLine::setVisible(bool visible)
{
    kuChartLineTool::setVisible(visible);
    m_rightMarker->setVisible(visible);
    m_leftMarker->setVisible(visible);
    m_rightPriceText->setVisible(visible);
}

kuHeldCursor& kuChartObjectTLine::heldCursor()
{
    return m_eventFilter->cursor();
}

QString kuChartObjectTLine::label()
{
    return m_labelTemplate.arg(QString::number(m_left.price, 'f', m_priceDecimals),
                               QString::number(m_right.price, 'f', m_priceDecimals));
}

kuChartPropertyInfo kuChartObjectTLine::propertyInfo(const QString& name)
{
    if (std::optional<kuChartPropertyInfo> pen = penPropertyInfo(name, false))
        return *pen;
    for (const char* hidden : {"priceRight", "priceLeft", "candleDateTimeRight", "candleDateTimeLeft"}) {
        if (name == QLatin1String(hidden))
            return {name, true, QVariant(QJsonObject())};
    }
    return kuChartObject::propertyInfo(name);
}

void kuChartObjectTLine::setLineColor(const QColor& color)
{
    if (color == linePen.color())
        return;
    kuChartLinePen::setLineColor(color);
    m_lineItem->setPen(linePen);
}

void kuChartObjectTLine::setPriceRight(double price)
{
    m_right.price = price;
    if (kuChartCore* core = chartCore()) {
        QLineF line = m_lineItem->line();
        line.setP2(QPointF(line.x2(), core->priceToY(price)));
        m_lineItem->setLine(line);
    }
}

void kuChartObjectTLine::setPriceLeft(double price)
{
    m_left.price = price;
    if (kuChartCore* core = chartCore()) {
        QLineF line = m_lineItem->line();
        line.setP1(QPointF(line.x1(), core->priceToY(price)));
        m_lineItem->setLine(line);
    }
}

bool kuChartObjectTLine::setCandleDateTimeRightAtX(double x)
{
    return takeDateTimeAtX(x, m_right.dateTime);
}

bool kuChartObjectTLine::setCandleDateTimeLeftAtX(double x)
{
    return takeDateTimeAtX(x, m_left.dateTime);
}

bool kuChartObjectTLine::isPlaced() const
{
    return m_eventFilter->isPlaced() && hasLeftAnchor() && hasRightAnchor();
}
