#pragma once

#include "kutreeviewmodel.h"

#include <QMetaType>
#include <QPair>
#include <QVector>

// The accounts of the account-state window: one top row per account with its
// margin levels, its positions and its money row beneath. Last prices, an
// account's rows and its margin come in through setData on the top row.
class kuPortfolioModel : public kuTreeViewModel
{
    Q_OBJECT
public:
    struct marginParam
    {
        double initMargin = 0;
        double marginPortfolio = 0;
        double minMargin = 0;
    };

    enum PortfolioRole
    {
        MarginRole = Qt::UserRole + 6,
        PaperIDRole = Qt::UserRole + 7,
        PaperTypeRole = Qt::UserRole + 8,
        AmountRole = Qt::UserRole + 9,
        LastPriceRole = Qt::UserRole + 10,
        // Write-only, on a top row: QPair<int, double> (paper id, price).
        SetLastPriceRole = Qt::UserRole + 11,
        // Write-only, on a top row: the account's new rows.
        SetRowsRole = Qt::UserRole + 12,
        // Write-only, on a top row: the account's marginParam.
        SetMarginRole = Qt::UserRole + 13
    };

    using Rows = QList<QSharedPointer<kuObjectModelAbstractItem>>;
    using LastPrice = QPair<int, double>;

    explicit kuPortfolioModel(QObject* parent = nullptr);

    // Registers the value types setData and role 262 carry; safe to call again.
    static void registerTypes();

    int appendTopItem(const QString& name) override;
    void removeTopRow(int row) override;
    QVariant itemData(int topRow, int childRow, int column, int role) const override;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    bool setLastPrice(int top, const QVariant& value);
    bool setRows(int top, const QVariant& value);
    // Rows of the same kinds and instruments in the same order.
    bool sameRowSet(int top, const Rows& rows) const;
    bool sameCell(int top, int row, const QSharedPointer<kuObjectModelAbstractItem>& other, int column) const;
    bool setMargin(int top, const QVariant& value);
    QString accountTotal(int top) const;
    void rowChanged(const QModelIndex& parent, int row);

    QVector<marginParam> marginParams;
};

Q_DECLARE_METATYPE(kuPortfolioModel::marginParam)
