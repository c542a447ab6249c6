#pragma once

#include "kuaccountrowsmodel.h"
#include "kutradesitem.h"

// Trades and money operations of the user's accounts: one top row per
// account, its operations beneath. Updates replace known operations in place.
class kuTradesModel : public kuAccountRowsModel<kuTradesItem>
{
    Q_OBJECT
public:
    enum TradeRole
    {
        UpdateRole = kuAccountRowsModel::UpdateRole,
        PaperIDRole = Qt::UserRole + 7,
        ActRole = Qt::UserRole + 8
    };

    explicit kuTradesModel(QObject* parent = nullptr);

    QVariant itemData(int topRow, int childRow, int column, int role) const override;

protected:
    QString topTitle(const QString& account) const override;
    QVariant topSummary(int topRow) const override;
};
