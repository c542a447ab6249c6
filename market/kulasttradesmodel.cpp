#include "kulasttradesmodel.h"

#include "kulasttradesitem.h"

kuLastTradesModel::kuLastTradesModel(QObject* parent) : kuTableViewModel(parent)
{}

void kuLastTradesModel::appendTrade(const QJsonObject& trade, int decimals, int lot)
{
    appendTrades(QVector<QJsonObject>{trade}, decimals, lot);
}

void kuLastTradesModel::appendTrades(const QVector<QJsonObject>& trades, int decimals, int lot)
{
    QVector<QSharedPointer<kuObjectModelAbstractItem>> added;
    added.reserve(trades.size());
    QSet<quint64> batchIDs;
    const kuLastTradesItem* previous =
            m_items.isEmpty() ? nullptr : qobject_cast<const kuLastTradesItem*>(m_items.constLast().data());
    bool first = m_items.isEmpty();
    for (const QJsonObject& trade : trades) {
        const QSharedPointer<kuLastTradesItem> item = kuLastTradesItem::create(trade, decimals, lot);
        if (!item)
            continue;
        const quint64 deal = item->dealID();
        // A trade without a number cannot be matched; numbered ones come once.
        if (deal != 0 && (m_dealIDs.contains(deal) || batchIDs.contains(deal)))
            continue;
        const double p = item->price();
        const double q = previous ? previous->price() : p;
        item->setDirection(first || q == p ? kuLastTradesItem::unchanged
                                           : (q < p ? kuLastTradesItem::up : kuLastTradesItem::down));
        first = false;
        previous = item.data();
        if (deal != 0)
            batchIDs.insert(deal);
        added.append(item);
    }
    if (added.isEmpty())
        return;
    // A batch larger than the tape keeps its newest part.
    if (added.size() > m_rowLimit)
        added.remove(0, added.size() - m_rowLimit);
    const int overflow = m_items.size() + added.size() - m_rowLimit;
    if (overflow > 0)
        dropOldest(overflow);
    const int row = m_items.size();
    beginInsertRows(QModelIndex(), row, row + added.size() - 1);
    for (const QSharedPointer<kuObjectModelAbstractItem>& item : qAsConst(added)) {
        if (const quint64 deal = static_cast<const kuLastTradesItem*>(item.data())->dealID())
            m_dealIDs.insert(deal);
        m_items.append(item);
    }
    endInsertRows();
}

void kuLastTradesModel::dropOldest(int count)
{
    count = qMin(count, m_items.size());
    if (count <= 0)
        return;
    beginRemoveRows(QModelIndex(), 0, count - 1);
    for (int i = 0; i < count; ++i) {
        if (const auto* item = qobject_cast<const kuLastTradesItem*>(m_items.at(i).data()))
            m_dealIDs.remove(item->dealID());
    }
    m_items.remove(0, count);
    endRemoveRows();
}

void kuLastTradesModel::clear()
{
    beginResetModel();
    m_items.clear();
    m_dealIDs.clear();
    endResetModel();
}

QVariant kuLastTradesModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.column() < 0 || !index.model())
        return QVariant();
    if (role == Qt::BackgroundRole && index.row() < m_items.size()) {
        if (const auto* item = qobject_cast<const kuLastTradesItem*>(m_items.at(index.row()).data()))
            return item->backgroundColor();
    }
    return kuTableViewModel::data(index, role);
}
