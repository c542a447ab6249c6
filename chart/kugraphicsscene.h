#pragma once

#include <QGraphicsScene>

class kuChartCore;

// The chart's scene; it belongs to its chart core.
class kuGraphicsScene : public QGraphicsScene
{
    Q_OBJECT

public:
    explicit kuGraphicsScene(kuChartCore* core);

    kuChartCore* chartCore() const { return m_core; }

private:
    kuChartCore* m_core;
};
