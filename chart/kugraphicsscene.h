#pragma once

#include <QGraphicsScene>

class kuChartCore;
class kuChartObject;

// The chart's scene; it belongs to its chart core.
class kuGraphicsScene : public QGraphicsScene
{
    Q_OBJECT

public:
    explicit kuGraphicsScene(kuChartCore* core);

    kuChartCore* chartCore() const { return m_core; }

    // The object the mouse places or drags; null leaves the grab as it is.
    void setActiveObject(kuChartObject* object);
    // Ends the grab when the object is the grabbed one.
    void releaseActiveObject(kuChartObject* object);
    kuChartObject* activeObject() const { return m_activeObject; }
    bool isGrabbed() const { return m_grabbed; }

private:
    kuChartCore* m_core;
    kuChartObject* m_activeObject = nullptr;
    bool m_grabbed = false;
};
