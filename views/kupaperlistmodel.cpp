#include "kupaperlistmodel.h"

#include "kupaperlistitem.h"

kuPaperListModel::kuPaperListModel(QObject* parent) : kuTableViewModel(parent)
{}

QVariant kuPaperListModel::data(const QModelIndex& index, int role) const
{
    if ((role == PaperIDRole || role == ExchangeIDRole) && index.isValid() && index.row() < m_items.size()) {
        const auto* item = qobject_cast<const kuPaperListItem*>(m_items.at(index.row()).data());
        // A row whose record is gone carries no instrument.
        if (item && item->isAlive())
            return role == PaperIDRole ? item->paperID() : item->exchangeID();
    }
    return kuTableViewModel::data(index, role);
}

void kuPaperListModel::setItems(const QVector<QSharedPointer<kuObjectModelAbstractItem>>& items)
{
    beginResetModel();
    m_items = items;
    endResetModel();
}
