#pragma once

#include "kutableviewmodel.h"

#include <QColor>
#include <QHash>
#include <QJsonArray>

class kuOrderBookItem;

// All levels of one instrument's current book, offers first, highest price
// first; the rows shown are the `depth` levels of each side nearest the
// spread. Every book replaces all levels; when it shows as many rows, in the
// same key order, only the rows that look different are reported changed,
// otherwise the model is reset.
class kuOrderBookModel : public kuTableViewModel
{
    Q_OBJECT
public:
    enum Role
    {
        PriceRole = Qt::UserRole + 3,
        AmountRole = Qt::UserRole + 4
    };

    explicit kuOrderBookModel(QObject* parent = nullptr);
    ~kuOrderBookModel() override;

    void setOrderBook(const QJsonArray& orderBook, int lot, int decimals);

    int depth() const { return m_depth; }
    void setDepth(int depth);
    QColor bidColor() const { return m_bidColor; }
    void setBidColor(const QColor& color) { m_bidColor = color; }
    QColor offerColor() const { return m_offerColor; }
    void setOfferColor(const QColor& color) { m_offerColor = color; }

    // The user's active orders on the instrument; they change the look at the next repaint.
    void showOrder(qint64 orderID, double price, qint64 amount);
    void hideOrder(qint64 orderID);
    void clearOrders();
    int ownOrderCount() const { return m_ownOrders.size(); }

    int firstRow() const { return m_firstRow; }
    int visibleRows() const { return m_visibleRows; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    struct OwnOrder
    {
        qint64 amount;
        double price;
    };

    struct Window
    {
        int firstRow;
        int rows;
    };

    Window visibleWindow(const QVector<QSharedPointer<kuObjectModelAbstractItem>>& items) const;
    void updateVisibleRows();
    // True when the new levels keep the rows shown: as many, with distinct keys.
    bool sameRowsShown(const QVector<QSharedPointer<kuObjectModelAbstractItem>>& items, const Window& shown) const;
    const kuOrderBookItem* level(int row) const;
    qint64 ownAmountAt(double price) const;

    int m_depth = 20;
    int m_visibleRows = 0;
    int m_firstRow = 0;
    QColor m_bidColor;
    QColor m_offerColor;
    QHash<qint64, OwnOrder> m_ownOrders;
};
