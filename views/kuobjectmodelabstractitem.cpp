#include "kuobjectmodelabstractitem.h"

#include "kulook.h"

kuObjectModelAbstractItem::kuObjectModelAbstractItem() = default;

kuObjectModelAbstractItem::~kuObjectModelAbstractItem() = default;

QColor kuObjectModelAbstractItem::signColor(double value) const
{
    return kuLook::signColor(value);
}

QVariant kuObjectModelAbstractItem::roleData(int column, int role, int sortRole, int typeRole) const
{
    switch (role) {
    case Qt::DisplayRole:
        return displayText(column);
    case Qt::DecorationRole:
        return decoration(column);
    case Qt::ToolTipRole:
        return toolTip(column);
    case Qt::FontRole:
        return kuLook::masterFont();
    case Qt::TextAlignmentRole:
        return alignment(column);
    case Qt::ForegroundRole:
        return color(column);
    default:
        break;
    }
    if (role == sortRole)
        return sortValue(column);
    if (role == typeRole)
        return itemType();
    return QVariant();
}
