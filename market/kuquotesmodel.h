#pragma once

#include "kuquotesitem.h"
#include "kutableviewmodel.h"

#include <QHash>
#include <QJsonObject>
#include <QSharedPointer>

// The quotes table: one row per instrument, replaced whole by every record.
class kuQuotesModel : public kuTableViewModel
{
    Q_OBJECT
public:
    enum Role
    {
        // setData: a quote record that replaces its instrument's row.
        QuoteRole = Qt::UserRole + 3,
        // data: the price the cell's column shows (the last price for the others).
        PriceRole = Qt::UserRole + 4,
        // data: the row's instrument id.
        PaperIDRole = Qt::UserRole + 5
    };

    explicit kuQuotesModel(QObject* parent = nullptr);

    // Null for an empty record or an instrument the registry does not know.
    static QSharedPointer<kuQuotesItem> makeItem(const QJsonObject& quote);
    // The row of the instrument, -1 when none.
    int findRow(int paperID) const;
    // A row of zeros for a known instrument not shown yet.
    void appendQuote(const QJsonObject& quote);
    // Replaces the row of the record's "paperID".
    void updateQuote(const QJsonObject& quote);
    // The row of the index's instrument; an index of a proxy serves too.
    void removeQuote(const QModelIndex& index);
    void replaceItem(int row, const QSharedPointer<kuQuotesItem>& item);
    // The row's item; null for a row out of range.
    QSharedPointer<kuQuotesItem> quote(int row) const;
    kuQuotesItem* quoteAt(int row) const;

    int appendItem(const QSharedPointer<kuObjectModelAbstractItem>& item) override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    // Instrument id -> row, kept with the rows: an update must not scan the table.
    QHash<int, int> m_rows;
};
