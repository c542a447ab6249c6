#include "kuchartobjectvline.h"

#include "kuchartcore.h"
#include "kuchartgrabitems.h"
#include "kugraphicsscene.h"

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
    if (move.x)
        m_line->setDateTimeFromX(move.at.x());
    m_line->repaint();
    m_line->chartCore()->showPriceMarker(qint64(move.at.y()));
    return true;
}

bool kuChartObjectVLineEventFilter::takeAnchor(const kuChartAnchorMove& move)
{
    return move.x ? m_line->setDateTimeFromX(move.at.x()) : hasAnchor();
}

QPointF kuChartObjectVLineEventFilter::anchorPoint(const QPointF& press) const
{
    return QPointF(kuChartAnchor::xForDateTime(m_line->chartCore(), m_line->lineDateTime()), press.y());
}

bool kuChartObjectVLineEventFilter::hasAnchor() const
{
    return m_line->lineDateTime().isValid();
}

kuChartObjectVLine::kuChartObjectVLine(kuChartCore* core, const QJsonObject& json)
    : kuChartObject(core), m_lineItem(new kuChartGrabLineItem),
      m_eventFilter(new kuChartObjectVLineEventFilter(this, m_lineItem, hoverOpacity, normalOpacity)),
      m_labelTemplate(tr("Вертикальная линия %1"))
{
    setObjectType(otVerticalLine);
    setPricePane(1);
    setupItems();
    if (json.isEmpty()) {
        m_lineItem->setOpacity(hoverOpacity);
        m_eventFilter->setPlacing(true);
    } else {
        m_lineItem->setOpacity(normalOpacity);
        m_eventFilter->setPlacing(false);
        fromJson(json);
    }
}

kuChartObjectVLine::~kuChartObjectVLine()
{
    if (caption())
        caption()->removeSceneEventFilter(m_eventFilter);
    delete m_eventFilter;
    if (m_lineItem->scene())
        m_lineItem->scene()->removeItem(m_lineItem);
    delete m_lineItem;
}

void kuChartObjectVLine::setupItems()
{
    kuChartCore* core = chartCore();
    resetPen(core);
    if (kuGraphicsScene* s = scene(); s && m_lineItem->scene() != s)
        s->addItem(m_lineItem);
    m_lineItem->setVisible(true);
    m_lineItem->setLine(0, 0, 0, 0);
    m_lineItem->setAcceptHoverEvents(true);
    m_lineItem->setCursor(Qt::SizeHorCursor);
    m_lineItem->setZValue(kuChartGrab::z);
    m_lineItem->setPen(linePen);
    m_lineItem->installSceneEventFilter(m_eventFilter);
    if (QGraphicsSimpleTextItem* c = caption(); c && c->scene()) {
        c->setAcceptHoverEvents(true);
        c->setCursor(Qt::SizeHorCursor);
        c->setZValue(kuChartGrab::z);
        c->installSceneEventFilter(m_eventFilter);
    }
}

bool kuChartObjectVLine::setDateTimeFromX(double x)
{
    const QDateTime at = kuChartAnchor::dateTimeAtX(chartCore(), x);
    if (!at.isValid())
        return false;
    m_lineDateTime = at;
    return true;
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
    const double x = kuChartAnchor::xForDateTime(core, m_lineDateTime);
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

QGraphicsItem* kuChartObjectVLine::graphicsItem()
{
    return m_lineItem;
}

void kuChartObjectVLine::setOpacity(double opacity)
{
    m_lineItem->setOpacity(opacity);
    kuChartObject::setOpacity(opacity);
}

void kuChartObjectVLine::setVisible(bool visible)
{
    kuChartObject::setVisible(visible);
    m_lineItem->setVisible(visible);
    if (!visible)
        m_eventFilter->cursor().release();
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
