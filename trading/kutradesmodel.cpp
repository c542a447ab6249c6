#include "kutradesmodel.h"

kuTradesModel::kuTradesModel(QObject* parent) : kuAccountRowsModel("kuTradesModel: no room for", "operations", parent)
{}

QString kuTradesModel::topTitle(const QString& account) const
{
    return tr("Сделки по счету %1").arg(account);
}

QVariant kuTradesModel::topSummary(int) const
{
    return QString();
}

QVariant kuTradesModel::itemData(int topRow, int childRow, int column, int role) const
{
    const kuTradesItem* row = item(topRow, childRow);
    if (!row)
        return kuTreeViewModel::itemData(topRow, childRow, column, role);
    switch (role) {
    case Qt::BackgroundRole:
        return row->actColor(column);
    case PaperIDRole:
        return row->paperID();
    case ActRole:
        return row->act();
    default:
        return kuTreeViewModel::itemData(topRow, childRow, column, role);
    }
}
