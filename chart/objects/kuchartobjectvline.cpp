#include "kuchartobjectvline.h"

#include "kuchartcore.h"

#include <QGraphicsLineItem>
#include <QGraphicsSimpleTextItem>

kuChartObjectVLineEventFilter::kuChartObjectVLineEventFilter(kuChartObjectVLine* owner, QGraphicsItem* parent,
                                                             double hoverOpacity, double normalOpacity)
    : kuChartObjectEventFilter(owner, parent, hoverOpacity, normalOpacity), m_line(owner)
{}

bool kuChartObjectVLineEventFilter::followPointer(const kuChartAnchorMove& move)
{
    const kuChartCore* core = m_line->chartCore();
    if (!core || move.at.x() < core->plotLeft() || move.at.x() > core->plotRight())
        return false;
    rewind(move);
    if (move.x)
        m_line->setDateTimeFromX(move.at.x());
    m_line->repaint();
    m_line->chartCore()->showPriceMarker(qint64(move.at.y()));
    return true;
}

bool kuChartObjectVLineEventFilter::takeAnchor(const kuChartAnchorMove& move)
{
    if (!move.x) {
        rewind(move);
        return hasAnchor();
    }
    return m_line->setDateTimeFromX(move.at.x());
}

QPointF kuChartObjectVLineEventFilter::anchorPoint(const QPointF& press) const
{
    return QPointF(m_line->xForDateTime(m_line->lineDateTime()), press.y());
}

bool kuChartObjectVLineEventFilter::hasAnchor() const
{
    return m_line->lineDateTime().isValid();
}

kuChartObjectVLine::kuChartObjectVLine(kuChartCore* core, const QJsonObject& json)
    : kuChartLineTool(core, tr("Вертикальная линия %1")),
      m_eventFilter(new kuChartObjectVLineEventFilter(this, m_lineItem, hoverOpacity, normalOpacity))
{
    setObjectType(otVerticalLine);
    setPricePane(1);
    setupItems();
    m_eventFilter->begin(json, hoverOpacity);
}

void kuChartObjectVLine::setupItems()
{
    setUpLine(Qt::SizeHorCursor, m_eventFilter);
    setUpCaption(Qt::SizeHorCursor, m_eventFilter);
}

bool kuChartObjectVLine::setDateTimeFromX(double x)
{
    return takeDateTimeAtX(x, m_lineDateTime);
}

void kuChartObjectVLine::repaint()
{
    kuChartCore* core = chartCore();
    if (!core || !isVisible() || isDeleted())
        return;
    QGraphicsSimpleTextItem* c = caption();
    c->setPen(QPen(linePen.color()));
    c->setText(trailerCandleText());
    if (objectType() != otVerticalLine)
        return;
    m_lineItem->hide();
    c->hide();
    const double x = xForDateTime(m_lineDateTime);
    if (x == -10.0)
        return;
    const QRectF r = c->boundingRect();
    const double w = r.width();
    if (x + w / 2 > double(core->plotRight()) || x - w / 2 < double(core->plotLeft()))
        return;
    m_lineItem->setPen(linePen);
    m_lineItem->setLine(x, double(core->paneTop()), x, double(core->paneBottom()) - r.height() - 12);
    c->setPos(x - w / 2, double(core->paneBottom()) - 22);
    m_lineItem->show();
    c->show();
}

kuHeldCursor& kuChartObjectVLine::heldCursor()
{
    return m_eventFilter->cursor();
}

QString kuChartObjectVLine::label()
{
    return m_labelTemplate.arg(trailerCandleText());
}

kuChartPropertyInfo kuChartObjectVLine::propertyInfo(const QString& name)
{
    if (std::optional<kuChartPropertyInfo> pen = penPropertyInfo(name, false))
        return *pen;
    if (name == QLatin1String("trailerCandleText"))
        return {tr("Значение"), true, QVariant(QJsonObject())};
    return kuChartObject::propertyInfo(name);
}

QString kuChartObjectVLine::trailerCandleText() const
{
    return kuChartAnchor::toText(m_lineDateTime);
}

void kuChartObjectVLine::setTrailerCandleText(const QString& text)
{
    m_lineDateTime = kuChartAnchor::fromText(text);
}

bool kuChartObjectVLine::isPlaced() const
{
    return m_eventFilter->isPlaced();
}
