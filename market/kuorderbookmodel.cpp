#include "kuorderbookmodel.h"

#include "kufunctions.h"
#include "kulook.h"
#include "kuorderbookitem.h"
#include "kurecordkeys.h"

#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
namespace ob = kuKeys::orderBook;

constexpr int bidColumn = 2;
constexpr int offerColumn = 4;

// A record's whole count, clamped rather than overflowing.
qint64 wholeNumber(const QJsonValue& value)
{
    if (value.isString())
        return kuKeys::wholeNumber(value);
    const double number = value.toDouble();
    if (std::isnan(number))
        return 0;
    constexpr double limit = 9.0e18;
    return qint64(std::trunc(qBound(-limit, number, limit)));
}

qint64 timesLot(qint64 amount, int lot)
{
    qint64 product = 0;
    if (__builtin_mul_overflow(amount, qint64(lot), &product))
        return amount < 0 ? std::numeric_limits<qint64>::min() : std::numeric_limits<qint64>::max();
    return product;
}
} // namespace

kuOrderBookModel::kuOrderBookModel(QObject* parent) : kuTableViewModel(parent)
{}

kuOrderBookModel::~kuOrderBookModel() = default;

void kuOrderBookModel::setOrderBook(const QJsonArray& orderBook, int lot, int decimals)
{
    QVector<QSharedPointer<kuObjectModelAbstractItem>> items;
    items.reserve(orderBook.size());
    for (const QJsonValue& element : orderBook) {
        const QJsonObject record = element.toObject();
        const qint64 amount = timesLot(wholeNumber(record.value(ob::amount)), lot);
        const int action = record.value(ob::action).toInt();
        const double price = record.value(ob::price).toDouble();
        const double yield = record.value(ob::yeild).toDouble();
        const int side = action == 1 ? kuOrderBookItem::Offer : kuOrderBookItem::Bid;
        items.append(QSharedPointer<kuOrderBookItem>::create(amount, price, yield, side, decimals));
    }
    // Descending keys: offers from the highest price, then bids from the highest price.
    std::stable_sort(items.begin(), items.end(), [](const auto& a, const auto& b) {
        return static_cast<const kuOrderBookItem*>(a.data())->sortKey() >
               static_cast<const kuOrderBookItem*>(b.data())->sortKey();
    });
    const Window shown = visibleWindow(items);
    if (!sameRowsShown(items, shown)) {
        beginResetModel();
        m_items.swap(items);
        m_firstRow = shown.firstRow;
        m_visibleRows = shown.rows;
        endResetModel();
        return;
    }
    // As many rows in the same key order: the rows stay, the changed ones repaint.
    QVector<bool> changed(shown.rows, false);
    for (int row = 0; row < shown.rows; ++row) {
        const auto* was = level(row);
        const auto* now = static_cast<const kuOrderBookItem*>(items.at(shown.firstRow + row).data());
        changed[row] = !was->looksLike(*now);
    }
    m_items.swap(items);
    m_firstRow = shown.firstRow;
    const int lastColumn = std::max(0, columnCount() - 1);
    for (int row = 0; row < shown.rows;) {
        if (!changed.at(row)) {
            ++row;
            continue;
        }
        int last = row;
        while (last + 1 < shown.rows && changed.at(last + 1))
            ++last;
        emit dataChanged(index(row, 0), index(last, lastColumn));
        row = last + 1;
    }
}

bool kuOrderBookModel::sameRowsShown(const QVector<QSharedPointer<kuObjectModelAbstractItem>>& items,
                                     const Window& shown) const
{
    if (shown.rows != m_visibleRows || shown.rows == 0)
        return false;
    // The table sorts the rows on their keys; equal keys would leave their order to that
    // sort, which only a reset asks for again.
    quint64 previous = 0;
    for (int row = 0; row < shown.rows; ++row) {
        const quint64 key = static_cast<const kuOrderBookItem*>(items.at(shown.firstRow + row).data())->sortKey();
        if (row > 0 && key == previous)
            return false;
        previous = key;
    }
    return true;
}

void kuOrderBookModel::setDepth(int depth)
{
    beginResetModel();
    m_depth = depth;
    updateVisibleRows();
    endResetModel();
}

kuOrderBookModel::Window
kuOrderBookModel::visibleWindow(const QVector<QSharedPointer<kuObjectModelAbstractItem>>& items) const
{
    int bids = 0;
    int offers = 0;
    for (const auto& item : items) {
        if (static_cast<const kuOrderBookItem*>(item.data())->side() == kuOrderBookItem::Offer)
            ++offers;
        else
            ++bids;
    }
    const int depth = std::max(0, m_depth);
    return Window{std::max(0, offers - depth), std::min(bids, depth) + std::min(offers, depth)};
}

void kuOrderBookModel::updateVisibleRows()
{
    const Window shown = visibleWindow(m_items);
    m_firstRow = shown.firstRow;
    m_visibleRows = shown.rows;
}

void kuOrderBookModel::showOrder(qint64 orderID, double price, qint64 amount)
{
    m_ownOrders.insert(orderID, OwnOrder{amount, price});
}

void kuOrderBookModel::hideOrder(qint64 orderID)
{
    m_ownOrders.remove(orderID);
}

void kuOrderBookModel::clearOrders()
{
    m_ownOrders.clear();
}

int kuOrderBookModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_visibleRows;
}

const kuOrderBookItem* kuOrderBookModel::level(int row) const
{
    if (row < 0 || row >= m_visibleRows)
        return nullptr;
    const int at = m_firstRow + row;
    if (at >= m_items.size())
        return nullptr;
    return static_cast<const kuOrderBookItem*>(m_items.at(at).data());
}

qint64 kuOrderBookModel::ownAmountAt(double price) const
{
    qint64 sum = 0;
    for (const OwnOrder& order : m_ownOrders) {
        if (qFuzzyCompare(order.price, price))
            sum += order.amount;
    }
    return sum;
}

QVariant kuOrderBookModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.column() < 0 || index.model() != this)
        return QVariant();
    const kuOrderBookItem* item = level(index.row());
    if (!item)
        return QVariant();
    const bool bid = item->side() != kuOrderBookItem::Offer;
    switch (role) {
    case Qt::DisplayRole: {
        const QString text = item->displayText(index.column());
        const bool amountCell = bid ? index.column() == bidColumn : index.column() == offerColumn;
        if (!amountCell)
            return text;
        const qint64 own = ownAmountAt(item->price());
        if (own == 0)
            return text;
        return text + QStringLiteral(" (") + formatNumber(double(own), 0, QLatin1Char(' ')) + QLatin1Char(')');
    }
    case Qt::BackgroundRole: {
        const QColor color = bid ? m_bidColor : m_offerColor;
        if (!color.isValid())
            return QVariant(); // no colour set: the view's own background
        return ownAmountAt(item->price()) != 0 ? color.lighter(130) : color;
    }
    case PriceRole:
        return item->price();
    case AmountRole:
        return item->amount();
    default:
        return item->roleData(index.column(), role, SortRole, ItemTypeRole);
    }
}
