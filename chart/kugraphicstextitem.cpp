#include "kugraphicstextitem.h"

kuGraphicsTextItem::kuGraphicsTextItem(QGraphicsItem* parent) : QGraphicsTextItem(parent)
{}

void kuGraphicsTextItem::setLineLength(double length)
{
    if (length == m_lineLength)
        return;
    prepareGeometryChange();
    m_lineLength = length;
}
