#include "kuchartobjectfibobase.h"

#include "kuchartcore.h"
#include "kuchartgrabitems.h"
#include "kuchartlabels.h"
#include "kugraphicsscene.h"

#include <QGraphicsEllipseItem>
#include <QGraphicsLineItem>
#include <QGraphicsSimpleTextItem>
#include <QVarLengthArray>

#include <cmath>

kuChartObjectFiboBase::kuChartObjectFiboBase(kuChartCore* core, int levelItemKind)
    : kuChartObjectBase(core), levelItemKind(levelItemKind)
{
    setPricePane(1);
    createLevels();
}

kuChartObjectFiboBase::~kuChartObjectFiboBase()
{
    // The markers and the filter are the line's children: they go first.
    for (QGraphicsRectItem* marker : qAsConst(m_toolMarkers))
        dropSceneItem(marker);
    delete m_toolFilter;
    dropSceneItem(m_toolLine);
    for (const kuFiboLevel& level : qAsConst(fiboLevels)) {
        dropSceneItem(level.item);
        dropSceneItem(level.ratioLabel);
        dropSceneItem(level.priceLabel);
    }
}

void kuChartObjectFiboBase::createLevels()
{
    const QFont font = caption() ? caption()->font() : QFont();
    fiboRatios = {0, 0.236, 0.382, 0.5, 0.618, 0.764, 1};
    kuChartCore* core = chartCore();
    for (double ratio : qAsConst(fiboRatios)) {
        kuFiboLevel level;
        level.item = createLevelItem();
        level.ratioLabel = new QGraphicsSimpleTextItem(QString::number(ratio * 100, 'f', 2));
        level.priceLabel = new QGraphicsSimpleTextItem(QStringLiteral("0.0"));
        for (QGraphicsSimpleTextItem* text : {level.ratioLabel, level.priceLabel}) {
            if (core)
                core->clipToPlot(text);
            text->setFont(font);
            text->setPen(linePen);
            text->hide();
            text->setAcceptHoverEvents(true);
            text->setCursor(kuChartGrab::clickCursor);
            text->setZValue(kuChartGrab::z);
        }
        fiboLevels.append(level);
    }
    resetPen(core);
}

QGraphicsItem* kuChartObjectFiboBase::createLevelItem()
{
    QGraphicsItem* item;
    if (levelItemKind == CircleLevels) {
        auto* ellipse = new kuChartGrabEllipseItem;
        ellipse->setBrush(Qt::NoBrush);
        ellipse->setPen(linePen);
        item = ellipse;
    } else {
        auto* line = new kuChartGrabLineItem;
        line->setPen(linePen);
        item = line;
    }
    // Circles and channel levels run on past the pane: its price scale clips them.
    if (kuChartCore* core = chartCore())
        core->clipToPlot(item);
    item->hide();
    item->setAcceptHoverEvents(true);
    item->setCursor(kuChartGrab::clickCursor);
    item->setZValue(kuChartGrab::z);
    return item;
}

QGraphicsItem* kuChartObjectFiboBase::graphicsItem()
{
    return m_toolLine;
}

void kuChartObjectFiboBase::setOpacity(double opacity)
{
    m_toolLine->setOpacity(opacity);
    for (QGraphicsRectItem* marker : qAsConst(m_toolMarkers))
        marker->setOpacity(opacity);
    for (const kuFiboLevel& level : qAsConst(fiboLevels)) {
        level.item->setOpacity(opacity);
        level.ratioLabel->setOpacity(opacity);
        level.priceLabel->setOpacity(opacity);
    }
    kuChartObject::setOpacity(opacity);
}

void kuChartObjectFiboBase::setVisible(bool visible)
{
    m_toolLine->setVisible(visible);
    for (QGraphicsRectItem* marker : qAsConst(m_toolMarkers))
        marker->setVisible(visible);
    for (const kuFiboLevel& level : qAsConst(fiboLevels)) {
        level.item->setVisible(visible);
        level.ratioLabel->setVisible(visible);
        level.priceLabel->setVisible(visible);
    }
    kuChartObject::setVisible(visible);
    if (!visible)
        m_toolFilter->cursor().release();
}

QString kuChartObjectFiboBase::label()
{
    return labelText;
}

kuChartPropertyInfo kuChartObjectFiboBase::propertyInfo(const QString& name)
{
    if (std::optional<kuChartPropertyInfo> pen = penPropertyInfo(name, true))
        return *pen;
    return kuChartObject::propertyInfo(name);
}

void kuChartObjectFiboBase::setUpToolItems(QGraphicsLineItem* line, std::initializer_list<QGraphicsRectItem*> markers,
                                           kuChartToolEventFilter* filter)
{
    m_toolLine = line;
    m_toolMarkers = markers;
    m_toolFilter = filter;
    kuGraphicsScene* s = scene();
    if (kuChartCore* core = chartCore())
        core->clipToPlot(line);
    line->setLine(0, 0, 0, 0);
    for (QGraphicsRectItem* marker : markers) {
        marker->show();
        marker->setAcceptHoverEvents(true);
        marker->setCursor(kuChartGrab::dragCursor);
        marker->setPen(linePen);
    }
    line->hide();
    line->setAcceptHoverEvents(true);
    line->setCursor(kuChartGrab::clickCursor);
    line->setZValue(kuChartGrab::z);
    line->setPen(linePen);
    if (s) {
        line->installSceneEventFilter(filter);
        for (QGraphicsRectItem* marker : markers)
            marker->installSceneEventFilter(filter);
        for (const kuFiboLevel& level : qAsConst(fiboLevels)) {
            level.item->installSceneEventFilter(filter);
            level.ratioLabel->installSceneEventFilter(filter);
            level.priceLabel->installSceneEventFilter(filter);
        }
    }
    if (QGraphicsSimpleTextItem* c = caption()) {
        c->setPos(0, 0);
        c->hide();
    }
}

void kuChartObjectFiboBase::hideToolItems()
{
    m_toolLine->hide();
    for (QGraphicsRectItem* marker : qAsConst(m_toolMarkers))
        marker->hide();
    for (const kuFiboLevel& level : qAsConst(fiboLevels)) {
        level.item->hide();
        level.ratioLabel->hide();
        level.priceLabel->hide();
    }
}

void kuChartObjectFiboBase::keepRatioLabelsApart()
{
    kuChartCore* core = chartCore();
    if (!core || fiboLevels.isEmpty())
        return;
    QVarLengthArray<QGraphicsItem*, 8> order;
    order.append(fiboLevels.first().ratioLabel);
    if (fiboLevels.size() > 1)
        order.append(fiboLevels.last().ratioLabel);
    for (int i = 1; i + 1 < fiboLevels.size(); ++i)
        order.append(fiboLevels.at(i).ratioLabel);
    const QRectF plot(double(core->plotLeft()), double(core->paneTop()),
                      double(core->plotRight() + 3 - core->plotLeft()), core->paneHeight());
    QVector<QRectF> kept;
    kuChartLabels::keepApart(order.data(), order.size(), plot, kept);
}

bool kuChartObjectFiboBase::beginRepaint(int type)
{
    if (!chartCore() || !isVisible())
        return false;
    if (m_toolLine->isVisible())
        hideToolItems();
    return !isDeleted() && objectType() == type && isPricePane() == 1;
}

kuChartPropertyInfo kuChartObjectFiboBase::anchorPropertyInfo(const QString& name,
                                                              std::initializer_list<const char*> anchors)
{
    for (const char* anchor : anchors) {
        if (name == QLatin1String(anchor))
            return {name, true, QVariant(QJsonObject())};
    }
    return kuChartObjectFiboBase::propertyInfo(name);
}

void kuChartObjectFiboBase::setLineEndY(QGraphicsLineItem* item, bool first, double y)
{
    if (!std::isfinite(y))
        return;
    QLineF line = item->line();
    if (first)
        line.setP1(QPointF(line.x1(), y));
    else
        line.setP2(QPointF(line.x2(), y));
    item->setLine(line);
}
