#include "kugraphicsscene.h"

kuGraphicsScene::kuGraphicsScene(kuChartCore* core) : QGraphicsScene(nullptr), m_core(core)
{}

void kuGraphicsScene::setActiveObject(kuChartObject* object)
{
    if (!object)
        return;
    m_activeObject = object;
    m_grabbed = true;
}

void kuGraphicsScene::releaseActiveObject(kuChartObject* object)
{
    if (object && object == m_activeObject)
        m_grabbed = false;
}
