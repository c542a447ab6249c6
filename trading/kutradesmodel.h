#pragma once

#include "kutreeviewmodel.h"

#include <QHash>
#include <QPair>

class kuTradesItem;

// Trades and money operations of the user's accounts: one top row per
// account, its operations beneath. Updates replace known operations in place.
class kuTradesModel : public kuTreeViewModel
{
    Q_OBJECT
public:
    enum TradeRole
    {
        UpdateRole = Qt::UserRole + 6,
        PaperIDRole = Qt::UserRole + 7,
        ActRole = Qt::UserRole + 8
    };

    explicit kuTradesModel(QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    // Rows of another kind are refused.
    bool appendChild(int topRow, const QSharedPointer<kuObjectModelAbstractItem>& item) override;
    // One insertion for the whole list: a sorted proxy places the rows once.
    void appendChildren(int topRow, const QList<QSharedPointer<kuObjectModelAbstractItem>>& items) override;
    void removeTopRow(int row) override;
    void clear() override;
    QVariant itemData(int topRow, int childRow, int column, int role) const override;

private:
    kuTradesItem* trade(int topRow, int row) const;
    void rebuildTradeRows();
    void signalReplaced(int topRow, int row, const kuTradesItem& old, const kuTradesItem& now);

    // (account row, trade id) -> the operation's row under that account.
    QHash<QPair<int, int>, int> m_tradeRows;
};
