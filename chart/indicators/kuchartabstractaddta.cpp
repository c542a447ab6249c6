#include "kuchartabstractaddta.h"

#include "kuchartcore.h"
#include "kufunctions.h"
#include "kugraphicsscene.h"

#include <QGraphicsLineItem>
#include <QGraphicsSimpleTextItem>
#include <QPen>
#include <QVarLengthArray>

kuChartAbstractAddTA::kuChartAbstractAddTA(kuChartCore* core) : kuChartAbstractTA(core)
{}

kuChartAbstractAddTA::~kuChartAbstractAddTA()
{
    for (const Level& level : qAsConst(m_levels)) {
        // The label is the line's child: out of the scene and gone before its parent.
        if (level.label) {
            if (level.label->scene())
                level.label->scene()->removeItem(level.label);
            delete level.label;
        }
        if (level.line) {
            if (level.line->scene())
                level.line->scene()->removeItem(level.line);
            delete level.line;
        }
    }
    m_levels.clear();
}

void kuChartAbstractAddTA::addLevels(const double* values, int count, int decimals)
{
    if (!values)
        return;
    for (int i = 0; i < count; ++i) {
        Level level;
        level.value = values[i];
        level.line = new QGraphicsLineItem();
        level.label = new QGraphicsSimpleTextItem(level.line);
        level.label->setText(fixedNumber(values[i], decimals));
        attachLevel(level);
        m_levels.append(level);
    }
}

void kuChartAbstractAddTA::attachLevel(const Level& level)
{
    QGraphicsScene* s = scene();
    if (level.line) {
        level.line->setVisible(true);
        level.line->setLine(0, 0, 0, 0);
        if (QGraphicsItem* clip = paneClip())
            level.line->setParentItem(clip);
        else if (s && level.line->scene() != s)
            s->addItem(level.line);
    }
    if (level.label) {
        level.label->setVisible(true);
        if (caption())
            level.label->setFont(caption()->font());
        if (s && level.label->scene() != s)
            s->addItem(level.label);
    }
}

void kuChartAbstractAddTA::repaint()
{
    // The levels need the pane that the base lays out.
    kuChartAbstractTA::repaint();
    for (const Level& level : qAsConst(m_levels))
        placeLevel(level);
    if (isVisible() && !isDeleted())
        fitLabels();
}

void kuChartAbstractAddTA::fitLabels()
{
    // A label at the pane's edge moves inside it; a pane too low to hold its labels
    // apart shows none of them rather than printing one over another.
    const double top = paneTop();
    const double bottom = paneTop() + paneHeight();
    QVarLengthArray<QGraphicsSimpleTextItem*, 8> shown;
    bool crowded = false;
    for (const Level& level : qAsConst(m_levels)) {
        if (!level.label || !level.label->isVisible())
            continue;
        const QRectF r = level.label->sceneBoundingRect();
        crowded = crowded || r.height() > bottom - top;
        if (r.top() < top)
            level.label->moveBy(0, top - r.top());
        else if (r.bottom() > bottom)
            level.label->moveBy(0, bottom - r.bottom());
        shown.append(level.label);
    }
    for (int i = 0; i < shown.size() && !crowded; ++i) {
        for (int j = i + 1; j < shown.size() && !crowded; ++j)
            crowded = shown[i]->sceneBoundingRect().intersects(shown[j]->sceneBoundingRect());
    }
    if (crowded) {
        for (QGraphicsSimpleTextItem* label : shown)
            label->setVisible(false);
    }
}

void kuChartAbstractAddTA::placeLevel(const Level& level)
{
    kuChartCore* core = chartCore();
    if (!core)
        return;
    const QPen pen(QBrush(core->gridColor()), 1, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
    if (!isVisible() || isDeleted())
        return;
    const double y = valueToY(level.value);
    const bool inside = isValueInPane(level.value);
    if (level.line) {
        level.line->setVisible(inside);
        level.line->setPen(pen);
        level.line->setLine(double(core->plotLeft()), y, double(core->plotRight()), y);
    }
    if (level.label) {
        level.label->setVisible(inside);
        level.label->setPen(pen);
        level.label->setBrush(pen.brush());
        level.label->setPos(core->axisLabelX() + 2, y - 10);
    }
}

void kuChartAbstractAddTA::setVisible(bool visible)
{
    for (const Level& level : qAsConst(m_levels)) {
        if (level.label)
            level.label->setVisible(visible);
        if (level.line)
            level.line->setVisible(visible);
    }
    kuChartAbstractTA::setVisible(visible);
}
