#include "kuchartabstractaddta.h"

#include "kuchartcore.h"
#include "kuchartlabels.h"
#include "kufunctions.h"
#include "kugraphicsscene.h"

#include <QGraphicsLineItem>
#include <QGraphicsSimpleTextItem>
#include <QPen>
#include <QVarLengthArray>

#include <algorithm>

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
    if (!chartCore() || !isVisible() || isDeleted())
        return;
    QVarLengthArray<LabelPlace, 8> places;
    for (const Level& level : qAsConst(m_levels))
        places.append(placeLevel(level));
    fitLabels(places);
    for (int i = 0; i < m_levels.size(); ++i) {
        if (QGraphicsSimpleTextItem* label = m_levels.at(i).label) {
            label->setPos(places.at(i).pos);
            label->setVisible(places.at(i).shown);
        }
    }
}

void kuChartAbstractAddTA::fitLabels(QVarLengthArray<LabelPlace, 8>& places)
{
    // A label at the pane's edge moves inside it. Then, the outermost first (they give the
    // scale's reach), a label is drawn only where it is wholly in the pane and clear of those
    // kept: a low pane shows the labels that fit rather than none or one over another.
    const double top = paneTop();
    const double bottom = paneTop() + paneHeight();
    // Each shown label with the y of its level, which stays where the label had to move.
    QVarLengthArray<QPair<double, int>, 8> shown;
    QVarLengthArray<QRectF, 8> rects(m_levels.size());
    for (int i = 0; i < m_levels.size(); ++i) {
        const Level& level = m_levels.at(i);
        LabelPlace& place = places[i];
        if (!level.label || !place.shown)
            continue;
        // The label's scene rectangle at its new place: it only ever moves, never turns.
        QRectF r = level.label->sceneBoundingRect().translated(place.pos - level.label->pos());
        shown.append({level.line ? level.line->line().y1() : r.top(), i});
        if (r.height() <= bottom - top) {
            double dy = 0;
            if (r.top() < top)
                dy = top - r.top();
            else if (r.bottom() > bottom)
                dy = bottom - r.bottom();
            place.pos.ry() += dy;
            r.translate(0, dy);
        }
        rects[i] = r;
    }
    std::sort(shown.begin(), shown.end(),
              [](const QPair<double, int>& a, const QPair<double, int>& b) { return a.first < b.first; });
    QVarLengthArray<int, 8> outermostFirst;
    for (int low = 0, high = shown.size() - 1; low <= high; ++low, --high) {
        outermostFirst.append(shown[low].second);
        if (high != low)
            outermostFirst.append(shown[high].second);
    }
    const QRectF pane(-1e9, top, 2e9, bottom - top);
    QVector<QRectF> kept;
    for (const int i : outermostFirst)
        places[i].shown = kuChartLabels::keepOne(rects.at(i), pane, kept);
}

kuChartAbstractAddTA::LabelPlace kuChartAbstractAddTA::placeLevel(const Level& level)
{
    kuChartCore* core = chartCore();
    const QPen pen(QBrush(core->gridColor()), 1, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
    const double y = valueToY(level.value);
    const bool inside = isValueInPane(level.value);
    if (level.line) {
        level.line->setVisible(inside);
        level.line->setPen(pen);
        level.line->setLine(double(core->plotLeft()), y, double(core->plotRight()), y);
    }
    if (level.label) {
        level.label->setPen(pen);
        level.label->setBrush(pen.brush());
    }
    return {QPointF(core->axisLabelX() + 2, y - 10), inside};
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
