#pragma once

#include "kuaccountrowsmodel.h"
#include "kuordersitem.h"

// Orders of the user's accounts: one top row per account, its orders beneath.
// Updates replace known orders in place and tell the order book which of them
// come onto the market (on_showOrder) or leave it (on_hideOrder).
class kuOrdersModel : public kuAccountRowsModel<kuOrdersItem>
{
    Q_OBJECT
public:
    enum OrderRole
    {
        // setData with a list of new rows for an account row.
        UpdateRole = kuAccountRowsModel::UpdateRole,
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

    QVariant itemData(int topRow, int childRow, int column, int role) const override;

    int countByStatus(int topRow, int status) const;

signals:
    void on_showOrder(int paperID, qint64 orderID, double price, qint64 amount);
    void on_hideOrder(int paperID, qint64 orderID);

protected:
    QString topTitle(const QString& account) const override;
    QVariant topSummary(int topRow) const override;
    void rowAdded(const kuOrdersItem& row) override;
    void rowReplaced(const kuOrdersItem& old, const kuOrdersItem& now) override;
};
