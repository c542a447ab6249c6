#include "kuchartobjectfibochanel.h"

#include "kuchartcore.h"
#include "kuchartgrabitems.h"
#include "kugraphicsscene.h"

#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>

#include <cmath>

using kuChartAnchor::inside;

namespace {

bool finite(const QPointF& p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

// Where the infinite lines through a-b and c-d meet; false when they are
// (nearly) parallel or one of them is no line.
bool meet(const QPointF& a, const QPointF& b, const QPointF& c, const QPointF& d, QPointF* at)
{
    const double a1 = a.y() - b.y();
    const double b1 = b.x() - a.x();
    const double c1 = a1 * a.x() + b1 * a.y();
    const double a2 = c.y() - d.y();
    const double b2 = d.x() - c.x();
    const double c2 = a2 * c.x() + b2 * c.y();
    const double det = a1 * b2 - b1 * a2;
    if (!(std::abs(det) >= 1e-9))
        return false;
    *at = QPointF((c1 * b2 - b1 * c2) / det, (a1 * c2 - c1 * a2) / det);
    return true;
}

} // namespace

kuChartObjectFiboChanelEventFilter::kuChartObjectFiboChanelEventFilter(kuChartObjectFiboChanel* owner,
                                                                       QGraphicsItem* parent, double hoverOpacity,
                                                                       double normalOpacity)
    : kuChartToolEventFilter(owner, parent, hoverOpacity, normalOpacity, AwaitingBottomLeft, Idle), m_owner(owner)
{
    // The channel makes its markers before its filter.
    addGrip(owner->bottomLeftMarker(), DraggingBottomLeft);
    addGrip(owner->bottomRightMarker(), DraggingBottomRight);
    addGrip(owner->topLeftMarker(), DraggingTopLeft);
}

QPointF kuChartObjectFiboChanelEventFilter::gripPoint(quint8 dragState) const
{
    switch (dragState) {
    case DraggingBottomLeft:
        return m_owner->bottomLeftPoint();
    case DraggingBottomRight:
        return m_owner->bottomRightPoint();
    default:
        return m_owner->topLeftPoint();
    }
}

void kuChartObjectFiboChanelEventFilter::moved(const kuChartAnchorMove& m)
{
    kuChartCore* core = m_owner->chartCore();
    const QPointF p = m.at;
    const double price = core->priceAtPointer(qint64(p.y()));
    switch (m_dragState) {
    case PlacingBottomRight: {
        // Only the base follows; the rest is drawn once bottom-right is fixed.
        QGraphicsLineItem* guide = m_owner->guideLine(kuChartObjectFiboChanel::BaseGuide);
        guide->setLine(QLineF(guide->line().p1(), p));
        m_owner->setPriceBottomRight(price);
        m_owner->setBottomRightDateTimeFromX(p.x());
        break;
    }
    case PlacingTopLeft:
    case DraggingTopLeft: {
        QGraphicsLineItem* guide = m_owner->guideLine(kuChartObjectFiboChanel::DiagonalGuide);
        guide->setLine(QLineF(guide->line().p1(), p));
        if (m.y)
            m_owner->setPriceTopLeft(price);
        if (m.x)
            m_owner->setTopLeftDateTimeFromX(p.x());
        m_owner->repaint();
        break;
    }
    case DraggingBottomLeft: {
        QGraphicsLineItem* guide = m_owner->guideLine(kuChartObjectFiboChanel::BaseGuide);
        guide->setLine(QLineF(p, guide->line().p2()));
        if (m.y)
            m_owner->setPriceBottomLeft(price);
        if (m.x)
            m_owner->setBottomLeftDateTimeFromX(p.x());
        m_owner->repaint();
        break;
    }
    case DraggingBottomRight: {
        QGraphicsLineItem* guide = m_owner->guideLine(kuChartObjectFiboChanel::BaseGuide);
        guide->setLine(QLineF(guide->line().p1(), p));
        if (m.y)
            m_owner->setPriceBottomRight(price);
        if (m.x)
            m_owner->setBottomRightDateTimeFromX(p.x());
        m_owner->repaint();
        break;
    }
    default:
        break;
    }
}

void kuChartObjectFiboChanelEventFilter::released(const kuChartAnchorMove& m)
{
    kuChartCore* core = m_owner->chartCore();
    const QPointF p = m.at;
    // An anchor comes only from a point over the data inside the price pane;
    // elsewhere it keeps what the moves gave it.
    const bool overData = kuChartAnchor::overData(core, p);
    const double price = core->priceAtPointer(qint64(p.y()));
    // A dragged anchor takes the axes the pointer travelled along.
    auto take = [&](void (kuChartObjectFiboChanel::*setPrice)(double),
                    bool (kuChartObjectFiboChanel::*setDateTime)(double)) {
        if (!overData)
            return;
        rewind(m);
        if (m.y)
            (m_owner->*setPrice)(price);
        if (m.x)
            (m_owner->*setDateTime)(p.x());
    };
    switch (m_dragState) {
    case AwaitingBottomLeft: {
        if (!overData)
            break;
        m_owner->setPriceBottomLeft(price);
        m_owner->setBottomLeftDateTimeFromX(p.x());
        // Collapsed on the pointer; the next move shows it.
        m_owner->levelLine(0)->setLine(QLineF(p, p));
        m_dragState = PlacingBottomRight;
        break;
    }
    case PlacingBottomRight: {
        if (overData) {
            m_owner->setPriceBottomRight(price);
            m_owner->setBottomRightDateTimeFromX(p.x());
        }
        if (!m_owner->hasBottomRight())
            break;
        QGraphicsLineItem* guide = m_owner->guideLine(kuChartObjectFiboChanel::BaseGuide);
        const QPointF end = overData ? p : guide->line().p2();
        guide->setLine(QLineF(guide->line().p1(), end));
        m_owner->lineItem()->setLine(QLineF(end, end));
        m_dragState = PlacingTopLeft;
        break;
    }
    case PlacingTopLeft:
    case DraggingTopLeft:
        take(&kuChartObjectFiboChanel::setPriceTopLeft, &kuChartObjectFiboChanel::setTopLeftDateTimeFromX);
        if (m_owner->hasTopLeft())
            settle();
        break;
    case DraggingBottomLeft:
        take(&kuChartObjectFiboChanel::setPriceBottomLeft, &kuChartObjectFiboChanel::setBottomLeftDateTimeFromX);
        settle();
        break;
    case DraggingBottomRight:
        take(&kuChartObjectFiboChanel::setPriceBottomRight, &kuChartObjectFiboChanel::setBottomRightDateTimeFromX);
        settle();
        break;
    default:
        break;
    }
}

kuChartObjectFiboChanel::kuChartObjectFiboChanel(kuChartCore* core, const QJsonObject& json)
    : kuChartObjectFiboBase(core, LineLevels), m_lineItem(new kuChartGrabLineItem),
      m_bottomRightMarker(new kuChartGrabRectItem(m_lineItem)), m_bottomLeftMarker(new kuChartGrabRectItem(m_lineItem)),
      m_topLeftMarker(new kuChartGrabRectItem(m_lineItem)),
      m_eventFilter(new kuChartObjectFiboChanelEventFilter(this, m_lineItem, hoverOpacity, normalOpacity))
{
    labelText = tr("Каналы по Фибоначчи");
    setObjectType(otFiboChannel);
    setupItems();
    m_eventFilter->begin(json);
}

void kuChartObjectFiboChanel::setupItems()
{
    setUpToolItems(m_lineItem, {m_bottomRightMarker, m_bottomLeftMarker, m_topLeftMarker}, m_eventFilter);
}

void kuChartObjectFiboChanel::repaint()
{
    const QPen guidePen(QBrush(linePen.color()), 1, Qt::DashLine, Qt::RoundCap, Qt::BevelJoin);
    if (!beginRepaint(otFiboChannel))
        return;
    kuChartCore* core = chartCore();

    const double xBL = xForDateTime(m_bottomLeft.dateTime);
    const double yBL = core->priceToY(m_bottomLeft.price);
    const double xBR = xForDateTime(m_bottomRight.dateTime);
    const double yBR = core->priceToY(m_bottomRight.price);
    const double xTL = xForDateTime(m_topLeft.dateTime);
    const double yTL = core->priceToY(m_topLeft.price);
    const double left = double(core->plotLeft());
    const double right = double(core->plotRight());
    const double top = double(core->paneTop());
    const double bottom = double(core->paneBottom());
    // Never clipped: one anchor out of the plot (or not yet set) hides it all.
    for (const QPointF& anchor : {QPointF(xBL, yBL), QPointF(xBR, yBR), QPointF(xTL, yTL)}) {
        if (!inside(anchor.x(), left, right) || !inside(anchor.y(), top, bottom))
            return;
    }
    const double xTR = xTL + xBR - xBL;
    const double yTR = yTL + yBR - yBL;
    const QPen plain(linePen.color());
    const int last = fiboLevels.size() - 1;

    const kuFiboLevel& base = fiboLevels.at(0);
    levelLine(0)->setPen(linePen);
    levelLine(0)->setLine(xBL, yBL, xBR, yBR);
    base.item->show();
    base.ratioLabel->setText(levelText(m_bottomLeft.price, fiboRatios.at(0)));
    base.ratioLabel->setPen(plain);
    base.ratioLabel->setPos(xBL - 20, yBL - 18);
    base.ratioLabel->show();

    m_lineItem->setPen(guidePen);
    m_lineItem->setLine(xBR, yBR, xTL, yTL);
    m_lineItem->show();

    const kuFiboLevel& topLevel = fiboLevels.at(last);
    levelLine(last)->setPen(linePen);
    levelLine(last)->setLine(QLineF(QPointF(xTL, yTL), extendToAxis(QPointF(xTL, yTL), QPointF(xTR, yTR))));
    topLevel.item->show();
    topLevel.ratioLabel->setText(levelText(m_topLeft.price, fiboRatios.at(last)));
    topLevel.ratioLabel->setPen(plain);
    topLevel.ratioLabel->setPos(xTL - 20, yTL - 18);
    topLevel.ratioLabel->show();

    const int s = anchorMarkerSize;
    const int h = s / 2;
    m_bottomLeftMarker->setRect(xBL - h, yBL - s, s, s);
    m_bottomRightMarker->setRect(xBR - h, yBR, s, s);
    m_topLeftMarker->setRect(xTL - h, yTL - s, s, s);
    m_bottomLeftMarker->show();
    m_bottomRightMarker->show();
    m_topLeftMarker->show();

    // Coinciding left anchors leave no side to put the other levels on.
    if (xBL == xTL && yBL == yTL) {
        for (int i = 1; i < last; ++i) {
            fiboLevels.at(i).item->hide();
            fiboLevels.at(i).ratioLabel->hide();
        }
        keepRatioLabelsApart();
        return;
    }
    // The left side as y = m x + c; on one candle it leans to 1.1 times xTL.
    const double xSide = xBL == xTL ? 1.1 * xTL : xTL;
    const double m = (yBL - yTL) / (xBL - xSide);
    const double c = (yTL * xBL - yBL * xSide) / (xBL - xSide);
    for (int i = 1; i < last; ++i) {
        const kuFiboLevel& level = fiboLevels.at(i);
        const double t = fiboRatios.at(i) / fiboRatios.at(last);
        const double price = m_bottomLeft.price + t * (m_topLeft.price - m_bottomLeft.price);
        const double y = core->priceToY(price);
        double x = (y - c) / m;
        // A flat side (left anchors at one height) has no x for a y: the
        // level starts at its share of the way from bottom-left to top-left.
        if (!std::isfinite(x))
            x = xBL + t * (xSide - xBL);
        const QPointF start(x, y);
        const QPointF end = extendToAxis(start, QPointF(x + xBR - xBL, y + yBR - yBL));
        if (!finite(start) || !finite(end)) {
            level.item->hide();
            level.ratioLabel->hide();
            continue;
        }
        levelLine(i)->setPen(linePen);
        levelLine(i)->setLine(QLineF(start, end));
        level.item->show();
        level.ratioLabel->setText(levelText(price, fiboRatios.at(i)));
        level.ratioLabel->setPen(plain);
        level.ratioLabel->setPos(x - 20, y - 18);
        level.ratioLabel->show();
    }
    keepRatioLabelsApart();
}

QPointF kuChartObjectFiboChanel::extendToAxis(const QPointF& p1, const QPointF& p2) const
{
    kuChartCore* core = chartCore();
    if (!core || !core->priceAxisLine() || !core->separatorLine())
        return p2;
    const QLineF priceAxis = core->priceAxisLine()->line();
    const QLineF timeAxis = core->separatorLine()->line();
    QPointF at;
    if (meet(p1, p2, priceAxis.p1(), priceAxis.p2(), &at) && at.y() < timeAxis.y2())
        return at;
    if (meet(p1, p2, timeAxis.p1(), timeAxis.p2(), &at))
        return at;
    if (meet(p1, p2, QPointF(0, 0), QPointF(0, core->viewHeight()), &at))
        return at;
    return p2;
}

QString kuChartObjectFiboChanel::levelText(double price, double ratio) const
{
    const int decimals = chartCore() ? chartCore()->priceDecimals() : 2;
    return QStringLiteral("%1 (%2)").arg(QString::number(price, 'f', decimals), QString::number(ratio, 'f', 2));
}

QGraphicsLineItem* kuChartObjectFiboChanel::guideLine(int code)
{
    if (code == BaseGuide) {
        levelLine(0)->show();
        return levelLine(0);
    }
    if (code == DiagonalGuide)
        m_lineItem->show();
    return m_lineItem;
}

QGraphicsLineItem* kuChartObjectFiboChanel::levelLine(int level) const
{
    return static_cast<QGraphicsLineItem*>(fiboLevels.at(level).item);
}

kuChartPropertyInfo kuChartObjectFiboChanel::propertyInfo(const QString& name)
{
    return anchorPropertyInfo(name, {"priceBottomRight", "priceBottomLeft", "priceTopLeft", "candleDateTimeBottomRight",
                                     "candleDateTimeBottomLeft", "candleDateTimeTopLeft"});
}

void kuChartObjectFiboChanel::setPriceBottomRight(double price)
{
    m_bottomRight.price = price;
    if (kuChartCore* core = chartCore())
        setLineEndY(levelLine(0), false, core->priceToY(price));
}

void kuChartObjectFiboChanel::setPriceBottomLeft(double price)
{
    m_bottomLeft.price = price;
    if (kuChartCore* core = chartCore())
        setLineEndY(levelLine(0), true, core->priceToY(price));
}

void kuChartObjectFiboChanel::setPriceTopLeft(double price)
{
    m_topLeft.price = price;
    if (kuChartCore* core = chartCore())
        setLineEndY(m_lineItem, false, core->priceToY(price));
}

bool kuChartObjectFiboChanel::setBottomRightDateTimeFromX(double x)
{
    return takeDateTimeAtX(x, m_bottomRight.dateTime);
}

bool kuChartObjectFiboChanel::setBottomLeftDateTimeFromX(double x)
{
    return takeDateTimeAtX(x, m_bottomLeft.dateTime);
}

bool kuChartObjectFiboChanel::setTopLeftDateTimeFromX(double x)
{
    return takeDateTimeAtX(x, m_topLeft.dateTime);
}

bool kuChartObjectFiboChanel::isPlaced() const
{
    return m_eventFilter->isPlaced() && hasBottomLeft() && hasBottomRight() && hasTopLeft();
}
