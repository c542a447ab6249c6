#include "kugraphicsscene.h"

kuGraphicsScene::kuGraphicsScene(kuChartCore* core) : QGraphicsScene(nullptr), m_core(core)
{}
