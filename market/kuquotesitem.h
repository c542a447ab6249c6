#pragma once

#include "kuobjectmodelabstractitem.h"

#include <QString>

// One row of the quotes table: the quote of one instrument, built whole from
// one record and never changed afterwards but for the previous bid, offer and
// last price, which colour the cells by the direction of their last move.
class kuQuotesItem : public kuObjectModelAbstractItem
{
    Q_OBJECT
public:
    kuQuotesItem(int paperID, double buy, qint64 toBuy, double sell, qint64 toSell, qint64 toBuyTotal,
                 qint64 toSellTotal, double open, double min, double max, double last, double avg, qint64 volume,
                 double moneyVol, qint64 paperVol, double bestBuy, double bestSell, double price);

    // The table's columns after the hidden placeholder 0.
    enum Column
    {
        colTicker = 1,
        colShortName,
        colChange,
        colBuy,
        colToBuy,
        colSell,
        colToSell,
        colToBuyTotal,
        colToSellTotal,
        colOpen,
        colMax,
        colMin,
        colLast,
        colAvg,
        colVolume,
        colPaperVol,
        colMoneyVol,
        colBestBuy,
        colBestSell,
        colPrice,
        colAccruedCoupon,
        colNominal,
        columnCount = colNominal
    };

    int paperID() const { return m_paperID; }
    double last() const { return m_last; }
    double buy() const { return m_buy; }
    double sell() const { return m_sell; }
    qint64 toBuy() const { return m_toBuy; }
    qint64 toSell() const { return m_toSell; }
    double changePercent() const { return m_changePercent; }
    // A value of 0 or less keeps the item's own value: an empty old row gives no colour.
    void setPrevLast(double value);
    void setPrevBuy(double value);
    void setPrevSell(double value);
    // The price the column shows; the last price for a column that shows none.
    double priceAt(int column) const;
    // Columns that show a price, in the instrument's decimals.
    static bool isPriceColumn(int column);

    QString displayText(int column) const override;
    QVariant decoration(int column) const override;
    int alignment(int column) const override;
    QColor color(int column) const override;
    QString toolTip(int column) const override;
    QVariant sortValue(int column) const override;
    int itemType() const override { return itQuotes; }

    // sortValue() of both items compared as the list's sort compares them, without
    // building values: a sort compares each row many times.
    static int compareSortValues(const kuQuotesItem& a, const kuQuotesItem& b, int column);

    // Whether the column's cell of both items shows the same text, colour and arrow (both null counts too).
    static bool sameCell(const kuQuotesItem* a, const kuQuotesItem* b, int column);

    // The text of column 3: two decimals, "0.00" below 0.009 either way, then " %".
    static QString changeText(double changePercent);

private:
    // What sortValue() gives: a number of either kind, a text or nothing.
    struct SortKey
    {
        enum Type
        {
            None,
            Real,
            Whole,
            Text
        };
        Type type = None;
        double real = 0;
        qint64 whole = 0;
        const QString* text = nullptr;
    };
    SortKey sortKey(int column) const;

    void fillFromPaper();
    void calculate();
    // Up or down by the first comparison of the column's chain that differs.
    int direction(int column) const;

    int m_paperID = 0;
    int m_decimals = 2;
    double m_buy = 0;
    double m_sell = 0;
    // Pieces: lots times the lot size, beyond an int for large lots.
    qint64 m_toBuy = 0;
    qint64 m_toSell = 0;
    qint64 m_toBuyTotal = 0;
    qint64 m_toSellTotal = 0;
    qint64 m_volume = 0;
    qint64 m_paperVol = 0;
    double m_open = 0;
    double m_min = 0;
    double m_max = 0;
    double m_last = 0;
    double m_avg = 0;
    double m_prevBuy = 0;
    double m_prevSell = 0;
    double m_prevLast = 0;
    double m_moneyVol = 0;
    double m_bestBuy = 0;
    double m_bestSell = 0;
    double m_changePercent = 0;
    double m_price = 0;
    double m_accruedCoupon = 0;
    double m_nominal = 0;
    int m_lot = 1;
    QString m_ticker;
    QString m_issuer;
    QString m_shortName;
};
