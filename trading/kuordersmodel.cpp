#include "kuordersmodel.h"

kuOrdersModel::kuOrdersModel(QObject* parent) : kuAccountRowsModel("kuOrdersModel: no room for", "orders", parent)
{}

QString kuOrdersModel::topTitle(const QString& account) const
{
    return tr("Поручения по счету %1").arg(account);
}

QVariant kuOrdersModel::topSummary(int topRow) const
{
    return tr("Новые: %1 /").arg(countByStatus(topRow, 0)) + QLatin1Char(' ') +
           tr("На исполн.: %1").arg(countByStatus(topRow, 1));
}

void kuOrdersModel::rowAdded(const kuOrdersItem& row)
{
    if (kuOrdersItem::isActive(row.status()))
        emit on_showOrder(row.paperID(), row.orderID(), row.price(), row.amount());
}

void kuOrdersModel::rowReplaced(const kuOrdersItem& old, const kuOrdersItem& now)
{
    // The row's background changes with its status column; the window repaints
    // the whole view after an update.
    if (kuOrdersItem::isActive(now.status())) {
        if (old.status() != now.status() || old.amount() != now.amount() || old.price() != now.price())
            emit on_showOrder(now.paperID(), now.orderID(), now.price(), now.amount());
    } else if (kuOrdersItem::isActive(old.status())) {
        emit on_hideOrder(old.paperID(), old.orderID());
    }
}

QVariant kuOrdersModel::itemData(int topRow, int childRow, int column, int role) const
{
    const kuOrdersItem* row = item(topRow, childRow);
    if (!row)
        return kuTreeViewModel::itemData(topRow, childRow, column, role);
    switch (role) {
    case Qt::BackgroundRole:
        return row->statusColor();
    case OrderIDRole:
        return row->orderID();
    case PaperIDRole:
        return row->paperID();
    case AmountRole:
        return row->amount();
    case ActRole:
        return row->act();
    case StatusRole:
        return row->status();
    case PriceRole:
        return row->price();
    case FcondRole:
        return row->fcond();
    case ScondRole:
        return row->scond();
    case IsMarket1Role:
        return row->isMarket1();
    case IsMarket2Role:
        return row->isMarket2();
    case IfPrice1Role:
        return row->ifPrice1();
    case IfPrice2Role:
        return row->ifPrice2();
    case StopPrice1Role:
        return row->stopPrice1();
    case StopPrice2Role:
        return row->stopPrice2();
    default:
        return kuTreeViewModel::itemData(topRow, childRow, column, role);
    }
}

int kuOrdersModel::countByStatus(int topRow, int status) const
{
    if (topRow < 0 || topRow >= m_children.size())
        return 0;
    int count = 0;
    for (const auto& entry : m_children.at(topRow)) {
        if (auto* row = qobject_cast<const kuOrdersItem*>(entry.data()); row && row->status() == status)
            ++count;
    }
    return count;
}
