#include "kuexchangelistmodel.h"

#include <iterator>

kuExchangeListModel::kuExchangeListModel(QObject* parent) : QAbstractListModel(parent)
{
    qRegisterMetaType<QSet<int>>("QSet<int>");
}

void kuExchangeListModel::setExchanges(const QMap<int, QString>& exchanges)
{
    beginResetModel();
    m_rows.clear();
    QSet<int> all;
    for (auto it = exchanges.constBegin(); it != exchanges.constEnd(); ++it) {
        m_rows.insert(it.key(), qMakePair(it.value(), QSet<int>{it.key()}));
        all.insert(it.key());
    }
    m_rows.insert(0, qMakePair(tr("Все"), all));
    endResetModel();
}

int kuExchangeListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows.size();
}

QVariant kuExchangeListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= m_rows.size())
        return QVariant();
    const auto& row = *std::next(m_rows.constBegin(), index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
    case Qt::ToolTipRole:
        return row.first;
    case ExchangesRole:
        return QVariant::fromValue(row.second);
    default:
        return QVariant();
    }
}
