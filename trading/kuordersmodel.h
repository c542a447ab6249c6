#pragma once

#include "kutreeviewmodel.h"

#include <QHash>
#include <QPair>

class kuOrdersItem;

// Orders of the user's accounts: one top row per account, its orders beneath.
// Updates replace known orders in place and tell the order book which of them
// come onto the market (on_showOrder) or leave it (on_hideOrder).
class kuOrdersModel : public kuTreeViewModel
{
    Q_OBJECT
public:
    enum OrderRole
    {
        // setData with a list of new rows for an account row.
        UpdateRole = Qt::UserRole + 6,
        OrderIDRole = Qt::UserRole + 7,
        PaperIDRole = Qt::UserRole + 8,
        AmountRole = Qt::UserRole + 9,
        ActRole = Qt::UserRole + 10,
        StatusRole = Qt::UserRole + 11,
        PriceRole = Qt::UserRole + 12,
        FcondRole = Qt::UserRole + 13,
        ScondRole = Qt::UserRole + 14,
        IsMarket1Role = Qt::UserRole + 15,
        IsMarket2Role = Qt::UserRole + 16,
        IfPrice1Role = Qt::UserRole + 17,
        IfPrice2Role = Qt::UserRole + 18,
        StopPrice1Role = Qt::UserRole + 19,
        StopPrice2Role = Qt::UserRole + 20
    };

    explicit kuOrdersModel(QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // Rows of another kind are refused.
    bool appendChild(int topRow, const QSharedPointer<kuObjectModelAbstractItem>& item) override;
    // One insertion for the whole list: a sorted proxy places the rows once.
    void appendChildren(int topRow, const QList<QSharedPointer<kuObjectModelAbstractItem>>& items) override;
    void removeTopRow(int row) override;
    // The update path: role UpdateRole on an account row with a list of order rows.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant itemData(int topRow, int childRow, int column, int role) const override;
    void clear() override;

    int countByStatus(int topRow, int status) const;

signals:
    void on_showOrder(int paperID, int orderID, double price, int amount);
    void on_hideOrder(int paperID, int orderID);

private:
    kuOrdersItem* order(int topRow, int row) const;
    void rebuildOrderRows();
    void signalReplaced(int topRow, int row, const kuOrdersItem& old, const kuOrdersItem& now);

    // (account row, order id) -> the order's row under that account. An id is
    // unique per account only: the same id under another account is another order.
    QHash<QPair<int, int>, int> m_orderRows;
};
