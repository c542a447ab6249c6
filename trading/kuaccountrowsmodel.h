#pragma once

#include "kutreeviewmodel.h"

#include <QByteArray>
#include <QDebug>
#include <QHash>
#include <QPair>

// The rows of an account window keyed by an id per account (Item::rowKey): the
// first row of an id keeps it, and later rows of that id, handed in with
// UpdateRole on the account row, replace it in place. Rows of another kind are refused.
template <typename Item>
class kuAccountRowsModel : public kuTreeViewModel
{
public:
    // setData with a list of new rows for an account row.
    static constexpr int UpdateRole = Qt::UserRole + 6;

    // warnPrefix and rowsName make the warning for rows beyond the encoding.
    kuAccountRowsModel(const char* warnPrefix, const char* rowsName, QObject* parent)
        : kuTreeViewModel(parent), m_warnPrefix(warnPrefix), m_rowsName(rowsName)
    {}

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override
    {
        if (!index.isValid())
            return QVariant();
        const int top = topRowOf(index);
        if (top < 0)
            return QVariant();
        if (!isTopRow(index))
            return itemData(top, index.row(), index.column(), role);
        if (index.column() != 0)
            return QVariant();
        switch (role) {
        case TitleRole:
            return topTitle(m_topNames.at(top));
        case AccountRole:
            return m_topNames.at(top);
        case SummaryRole:
            return topSummary(top);
        default:
            return QVariant();
        }
    }

    bool appendChild(int topRow, const QSharedPointer<kuObjectModelAbstractItem>& item) override
    {
        auto* row = qobject_cast<Item*>(item.data());
        if (!row || !kuTreeViewModel::appendChild(topRow, item))
            return false;
        remember(topRow, row->rowKey(), m_children.at(topRow).size() - 1);
        return true;
    }

    // One insertion for the whole list: a sorted proxy places the rows once.
    void appendChildren(int topRow, const QList<QSharedPointer<kuObjectModelAbstractItem>>& items) override
    {
        if (topRow < 0 || topRow >= m_children.size())
            return;
        QList<QSharedPointer<kuObjectModelAbstractItem>> rows;
        rows.reserve(items.size());
        for (const auto& item : items) {
            if (qobject_cast<Item*>(item.data()))
                rows << item;
        }
        const int first = m_children.at(topRow).size();
        const int count = qMin(rows.size(), roomUnder(topRow));
        if (count < rows.size())
            qWarning() << m_warnPrefix.constData() << rows.size() - count << m_rowsName.constData() << "under top row"
                       << topRow;
        if (count <= 0)
            return;
        beginInsertRows(index(topRow, 0), first, first + count - 1);
        for (int i = 0; i < count; ++i) {
            m_children[topRow].append(rows.at(i));
            remember(topRow, static_cast<Item*>(rows.at(i).data())->rowKey(), first + i);
        }
        endInsertRows();
    }

    void removeTopRow(int row) override
    {
        kuTreeViewModel::removeTopRow(row);
        m_keyRows.clear();
        for (int top = 0; top < m_children.size(); ++top) {
            const auto& rows = m_children.at(top);
            for (int r = 0; r < rows.size(); ++r) {
                if (auto* item = qobject_cast<Item*>(rows.at(r).data()))
                    remember(top, item->rowKey(), r);
            }
        }
    }

    void clear() override
    {
        m_keyRows.clear();
        kuTreeViewModel::clear();
    }

    // The update path: UpdateRole on an account row with a list of rows.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override
    {
        if (role != UpdateRole || !index.isValid() || index.model() != this || !isTopRow(index))
            return false;
        const int top = topRowOf(index);
        if (top < 0)
            return false;
        const auto list = value.value<QList<QSharedPointer<kuObjectModelAbstractItem>>>();
        if (list.isEmpty())
            return false;
        for (const auto& entry : list) {
            auto* row = qobject_cast<Item*>(entry.data());
            if (!row)
                continue;
            const auto known = m_keyRows.constFind(QPair<int, qint64>(top, row->rowKey()));
            if (known == m_keyRows.constEnd()) {
                if (appendChild(top, entry))
                    rowAdded(*row);
                continue;
            }
            const int position = known.value();
            if (!item(top, position))
                continue;
            // Held until the row is signalled: the list may hold the only reference.
            const QSharedPointer<kuObjectModelAbstractItem> held = m_children.at(top).at(position);
            const auto* old = static_cast<const Item*>(held.data());
            m_children[top][position] = entry;
            signalReplaced(top, position, *old, *row);
            rowReplaced(*old, *row);
        }
        emit dataChanged(index, index, {});
        return true;
    }

protected:
    // The account row's title and summary.
    virtual QString topTitle(const QString& account) const = 0;
    virtual QVariant topSummary(int topRow) const = 0;
    // After an update added a row, or replaced old by now (signalled already).
    virtual void rowAdded(const Item&) {}
    virtual void rowReplaced(const Item&, const Item&) {}

    // The row under the top row, or null.
    Item* item(int topRow, int row) const
    {
        if (topRow < 0 || topRow >= m_children.size())
            return nullptr;
        const auto& rows = m_children.at(topRow);
        if (row < 0 || row >= rows.size())
            return nullptr;
        return qobject_cast<Item*>(rows.at(row).data());
    }

private:
    void remember(int topRow, qint64 key, int row)
    {
        const QPair<int, qint64> at(topRow, key);
        if (!m_keyRows.contains(at))
            m_keyRows.insert(at, row);
    }

    void signalReplaced(int topRow, int row, const Item& old, const Item& now)
    {
        // One signal per run of changed columns: a column that did not change keeps
        // the proxy from moving the row for a sort by it, which a large list feels.
        const QModelIndex parent = index(topRow, 0);
        const int columns = columnCount();
        int first = -1;
        for (int column = 1; column <= columns; ++column) {
            const bool changed = column < columns && !old.sameColumn(now, column);
            if (changed && first < 0)
                first = column;
            if (!changed && first >= 0) {
                emit dataChanged(index(row, first, parent), index(row, column - 1, parent));
                first = -1;
            }
        }
    }

    // (account row, key) -> the row under that account. A key is unique per
    // account only: the same key under another account is another row.
    QHash<QPair<int, qint64>, int> m_keyRows;
    QByteArray m_warnPrefix;
    QByteArray m_rowsName;
};
