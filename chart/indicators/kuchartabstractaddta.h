#pragma once

#include "kuchartabstractta.h"

#include <QPointF>
#include <QVarLengthArray>
#include <QVector>

class QGraphicsLineItem;
class QGraphicsSimpleTextItem;

// A sub-pane indicator with fixed horizontal level lines, each labelled with
// its value at the price axis. The levels are placed after the pane is laid
// out and hidden while they fall outside it. GUI thread only.
class kuChartAbstractAddTA : public kuChartAbstractTA
{
    Q_OBJECT

public:
    struct Level
    {
        double value = 0;
        QGraphicsSimpleTextItem* label = nullptr; // a child of the line
        QGraphicsLineItem* line = nullptr;
    };

    explicit kuChartAbstractAddTA(kuChartCore* core);
    ~kuChartAbstractAddTA() override;

    void repaint() override;
    void setVisible(bool visible) override;

    // One level per value, labelled with the given number of decimals.
    void addLevels(const double* values, int count, int decimals);
    const QVector<Level>& levels() const { return m_levels; }

private:
    // Where a level's label goes and whether it shows; worked out before the label is
    // touched, so that a redraw that changes nothing moves or hides no label.
    struct LabelPlace
    {
        QPointF pos;
        bool shown = false;
    };

    void attachLevel(const Level& level);
    LabelPlace placeLevel(const Level& level);
    void fitLabels(QVarLengthArray<LabelPlace, 8>& places);

    QVector<Level> m_levels;
};
