#include "kutreeviewdelegate.h"

#include "kutreeviewmodel.h"

#include <QPainter>

kuTreeViewDelegate::kuTreeViewDelegate(QObject* parent) : kuItemDelegate(parent)
{}

QColor kuTreeViewDelegate::gridColor() const
{
    return m_gridColor;
}

void kuTreeViewDelegate::setGridColor(const QColor& color)
{
    m_gridColor = color;
}

void kuTreeViewDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyledItemDelegate::paint(painter, option, index);
    const QRect rect = option.rect;
    painter->save();
    painter->setClipRect(rect);
    if (index.parent().isValid()) {
        painter->setPen(m_gridColor);
        painter->drawLine(rect.topLeft(), rect.bottomLeft());
        painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    } else {
        painter->setPen(QColor(QStringLiteral("#4d4d4d")));
        QFont titleFont = option.font;
        titleFont.setPointSize(10);
        titleFont.setWeight(75);
        painter->setFont(titleFont);
        painter->drawText(rect, Qt::AlignLeft | Qt::AlignVCenter, index.data(kuTreeViewModel::TitleRole).toString());
        QFont summaryFont = option.font;
        summaryFont.setWeight(63);
        painter->setFont(summaryFont);
        painter->drawText(rect, Qt::AlignRight | Qt::AlignVCenter, index.data(kuTreeViewModel::SummaryRole).toString());
        painter->setPen(m_gridColor);
        painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    }
    painter->restore();
}

QSize kuTreeViewDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (!index.model() || !index.parent().isValid())
        return QSize(-1, 24);
    return kuItemDelegate::sizeHint(option, index);
}
