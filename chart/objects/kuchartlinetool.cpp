#include "kuchartlinetool.h"

#include "kuchartgrabitems.h"
#include "kugraphicsscene.h"

#include <QGraphicsSimpleTextItem>

kuChartLineTool::kuChartLineTool(kuChartCore* core, const QString& labelTemplate)
    : kuChartObjectBase(core), m_lineItem(new kuChartGrabLineItem), m_labelTemplate(labelTemplate)
{}

kuChartLineTool::~kuChartLineTool()
{
    // The caption may carry the filter too.
    if (QGraphicsSimpleTextItem* c = caption())
        c->removeSceneEventFilter(m_filter);
    delete m_filter;
    dropSceneItem(m_lineItem);
}

void kuChartLineTool::setUpLine(Qt::CursorShape cursor, QGraphicsItem* filter)
{
    m_filter = filter;
    resetPen(chartCore());
    if (kuGraphicsScene* s = scene(); s && m_lineItem->scene() != s)
        s->addItem(m_lineItem);
    m_lineItem->show();
    m_lineItem->setLine(0, 0, 0, 0);
    m_lineItem->setAcceptHoverEvents(true);
    m_lineItem->setCursor(cursor);
    m_lineItem->setZValue(kuChartGrab::z);
    m_lineItem->setPen(linePen);
    m_lineItem->installSceneEventFilter(filter);
}

void kuChartLineTool::setUpCaption(Qt::CursorShape cursor, QGraphicsItem* filter)
{
    QGraphicsSimpleTextItem* c = caption();
    if (!c || !c->scene())
        return;
    c->setAcceptHoverEvents(true);
    c->setCursor(cursor);
    c->setZValue(kuChartGrab::z);
    c->installSceneEventFilter(filter);
}

QGraphicsItem* kuChartLineTool::graphicsItem()
{
    return m_lineItem;
}

void kuChartLineTool::setOpacity(double opacity)
{
    m_lineItem->setOpacity(opacity);
    kuChartObject::setOpacity(opacity);
}

void kuChartLineTool::setVisible(bool visible)
{
    kuChartObject::setVisible(visible);
    m_lineItem->setVisible(visible);
    if (!visible)
        heldCursor().release();
}
