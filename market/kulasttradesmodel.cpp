#include "kulasttradesmodel.h"

#include "kulasttradesitem.h"
#include "kurecordkeys.h"

kuLastTradesModel::kuLastTradesModel(QObject* parent) : kuTableViewModel(parent)
{}

void kuLastTradesModel::appendTrade(const QJsonObject& trade, int decimals, int lot)
{
    appendTrades(QVector<QJsonObject>{trade}, decimals, lot);
}

const kuLastTradesItem* kuLastTradesModel::trade(int row) const
{
    if (row < 0 || row >= m_items.size())
        return nullptr;
    return qobject_cast<const kuLastTradesItem*>(m_items.at(row).data());
}

void kuLastTradesModel::appendTrades(const QVector<QJsonObject>& trades, int decimals, int lot)
{
    QVector<qint64> deals;
    deals.reserve(trades.size());
    for (const QJsonObject& trade : trades)
        deals.append(kuKeys::wholeNumber(trade.value(kuKeys::lastTrade::dealID)));
    appendTrades(trades, deals, decimals, lot);
}

void kuLastTradesModel::appendTrades(const QVector<QJsonObject>& trades, const QVector<qint64>& deals, int decimals,
                                     int lot)
{
    // Which trades go on the tape follows from their deal numbers alone: rows are made
    // only for those kept, none for the older part of a batch larger than the tape.
    QVector<int> accepted;
    accepted.reserve(trades.size());
    QSet<quint64> batchIDs;
    for (int i = 0; i < trades.size() && i < deals.size(); ++i) {
        if (trades.at(i).isEmpty())
            continue;
        const quint64 deal = deals.at(i) > 0 ? quint64(deals.at(i)) : 0;
        // A trade without a number cannot be matched; numbered ones come once.
        if (deal != 0) {
            if (m_dealIDs.contains(deal) || batchIDs.contains(deal))
                continue;
            batchIDs.insert(deal);
        }
        accepted.append(i);
    }
    if (accepted.isEmpty())
        return;
    // A batch larger than the tape keeps its newest part.
    const int keptFrom = qMax(0, accepted.size() - m_rowLimit);
    // Each trade is tinted against the one appended just before it, kept or not.
    bool first = m_items.isEmpty() && keptFrom == 0;
    bool hasPrevious = false;
    double previousPrice = 0;
    if (keptFrom > 0) {
        previousPrice = trades.at(accepted.at(keptFrom - 1)).value(kuKeys::lastTrade::price).toDouble();
        hasPrevious = true;
    } else if (const kuLastTradesItem* last = trade(m_items.size() - 1)) {
        previousPrice = last->price();
        hasPrevious = true;
    }
    QVector<QSharedPointer<kuObjectModelAbstractItem>> added;
    added.reserve(accepted.size() - keptFrom);
    for (int k = keptFrom; k < accepted.size(); ++k) {
        const int i = accepted.at(k);
        const QSharedPointer<kuLastTradesItem> item = kuLastTradesItem::create(trades.at(i), deals.at(i), decimals, lot);
        if (!item)
            continue;
        const double p = item->price();
        const double q = hasPrevious ? previousPrice : p;
        item->setDirection(first || q == p ? kuLastTradesItem::unchanged
                                           : (q < p ? kuLastTradesItem::up : kuLastTradesItem::down));
        first = false;
        hasPrevious = true;
        previousPrice = p;
        added.append(item);
    }
    if (added.isEmpty())
        return;
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
