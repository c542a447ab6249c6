#pragma once

#include "kuaccountrowitem.h"

#include <QDateTime>

// One trade or other money operation of an account.
class kuTradesItem : public kuAccountRowItem
{
    Q_OBJECT
public:
    kuTradesItem(qint64 tradeID, int paperID, const QDateTime& dateTime, int act, qint64 amount, double price,
                 double total, double comiss, double balance, const QString& note);

    QString displayText(int column) const override;
    int alignment(int column) const override;
    QString toolTip(int column) const override;
    QVariant sortValue(int column) const override;
    int itemType() const override;

    // The row's background, the same in every column.
    QColor actColor(int column = 0) const;
    // Whether the column shows and sorts the same for both rows; cheap, no text is made.
    bool sameColumn(const kuTradesItem& other, int column) const;
    // Text of an operation kind; empty outside 1 to 11.
    static QString actText(int act);

    qint64 tradeID() const { return m_tradeID; }
    // The key of the operation's row under its account.
    qint64 rowKey() const { return m_tradeID; }

private:
    qint64 m_tradeID;
    double m_comiss;
    double m_balance;
    QString m_note;
};
