#pragma once

#include "kutableviewmodel.h"

#include <QJsonObject>
#include <QSet>
#include <QVector>

class kuLastTradesItem;

// The tape: trades in the order they were appended, each tinted against the
// one appended before it. A deal already on the tape is not added again, and
// the tape keeps the newest trades up to its row limit.
class kuLastTradesModel : public kuTableViewModel
{
    Q_OBJECT
public:
    // The newest trades the tape keeps; older ones are dropped.
    static constexpr int defaultRowLimit = 5000;

    explicit kuLastTradesModel(QObject* parent = nullptr);

    void appendTrade(const QJsonObject& trade, int decimals, int lot);
    // Trades in ascending deal order, inserted at once; empty objects are skipped.
    void appendTrades(const QVector<QJsonObject>& trades, int decimals, int lot);
    // The same with each record's deal number already read (kuKeys::wholeNumber of its "dealID").
    void appendTrades(const QVector<QJsonObject>& trades, const QVector<qint64>& deals, int decimals, int lot);
    // The row's trade; null for a row out of range.
    const kuLastTradesItem* trade(int row) const;
    void clear();
    int rowLimit() const { return m_rowLimit; }
    // At least 1; a smaller limit takes effect at the next append.
    void setRowLimit(int limit) { m_rowLimit = qMax(1, limit); }

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    void dropOldest(int count);

    // Deal numbers on the tape, so that a snapshot sent again adds nothing.
    QSet<quint64> m_dealIDs;
    int m_rowLimit = defaultRowLimit;
};
