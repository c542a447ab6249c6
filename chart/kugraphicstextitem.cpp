#include "kugraphicstextitem.h"

#include <QPainter>
#include <QPen>
#include <QStyleOptionGraphicsItem>

namespace {
// The background reaches this far right of the text.
constexpr int backgroundRight = 16;
} // namespace

kuGraphicsTextItem::kuGraphicsTextItem(QGraphicsItem* parent) : QGraphicsTextItem(parent)
{
    setZValue(1.0);
}

void kuGraphicsTextItem::setBackgroundColor(const QColor& color)
{
    m_backgroundColor = color;
    update();
}

void kuGraphicsTextItem::setLineLength(int length)
{
    if (length == m_lineLength)
        return;
    prepareGeometryChange();
    m_lineLength = length;
}

QRectF kuGraphicsTextItem::boundingRect() const
{
    const QRectF text = QGraphicsTextItem::boundingRect();
    QRectF all = text.adjusted(0, 0, backgroundRight + 2, 0);
    if (m_lineLength < text.left())
        all.setLeft(m_lineLength - 1);
    else if (m_lineLength > all.right())
        all.setRight(m_lineLength + 1);
    return all;
}

QRectF kuGraphicsTextItem::boxRect() const
{
    const QRect r = QGraphicsTextItem::boundingRect().toRect();
    return QRectF(r.left(), r.top() + 3, (r.right() + backgroundRight) - r.left() + 1, (r.bottom() - 3) - (r.top() + 3) + 1);
}

void kuGraphicsTextItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget)
{
    // Background and line hang from the text's own rectangle, whatever part is exposed.
    const QRect r = QGraphicsTextItem::boundingRect().toRect();
    const int x1 = r.left();
    const int y1 = r.top();
    const int x2 = r.right();
    const int y2 = r.bottom();

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setBrush(QBrush(m_backgroundColor, Qt::SolidPattern));
    painter->drawRoundedRect(QRectF(x1, y1 + 3, (x2 + backgroundRight) - x1 + 1, (y2 - 3) - (y1 + 3) + 1), 20, 15,
                             Qt::RelativeSize);
    painter->restore();

    painter->save();
    painter->setPen(QPen(QBrush(m_backgroundColor), 1.0, Qt::DashLine, Qt::RoundCap, Qt::BevelJoin));
    const int midY = ((y1 + 3) + (y2 - 3)) / 2;
    painter->drawLine(QPointF(m_lineLength, midY), QPointF(x1 - 1, midY));
    painter->restore();

    QStyleOptionGraphicsItem textOption(*option);
    textOption.state &= ~QStyle::State_HasFocus;
    QGraphicsTextItem::paint(painter, &textOption, widget);
}
