#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <QVariant>

// One row of a list window: answers, column by column, what the cell shows,
// how it is aligned and coloured and by which raw value it sorts. Items are
// held by shared pointers only and never get a QObject parent.
class kuObjectModelAbstractItem : public QObject
{
    Q_OBJECT
public:
    // Row kinds of itemType().
    enum ItemType
    {
        itPortfolioPosition = 1,
        itPortfolioMoney = 10,
        itOrders = 20,
        itTrades = 30,
        itQuotes = 100,
        itOrderBook = 110,
        itPaperList = 120,
        itLastTrades = 130,
        itWorkspaceSetting = 210
    };

    kuObjectModelAbstractItem();
    ~kuObjectModelAbstractItem() override;

    virtual QString displayText(int column) const = 0;
    virtual QVariant decoration(int column) const = 0;
    virtual int alignment(int column) const = 0;
    virtual QColor color(int column) const = 0;
    virtual QString toolTip(int column) const = 0;
    // The raw value (number, date-time or text) the column sorts by.
    virtual QVariant sortValue(int column) const = 0;
    virtual int itemType() const = 0;
    // Up colour above 0, down colour below 0, no colour for 0; read afresh at every call.
    virtual QColor signColor(double value) const;

    // The models' role table; sortRole and typeRole differ between the table and the tree family.
    QVariant roleData(int column, int role, int sortRole, int typeRole) const;
};
