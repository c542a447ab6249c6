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
    beginResetModel();
    m_items.clear();
    m_firstRow = 0;
    m_items.reserve(orderBook.size());
    for (const QJsonValue& element : orderBook) {
        const QJsonObject record = element.toObject();
        const qint64 amount = timesLot(wholeNumber(record.value(ob::amount)), lot);
        const int action = record.value(ob::action).toInt();
        const double price = record.value(ob::price).toDouble();
        const double yield = record.value(ob::yeild).toDouble();
        const int side = action == 1 ? kuOrderBookItem::Offer : kuOrderBookItem::Bid;
        m_items.append(QSharedPointer<kuOrderBookItem>::create(amount, price, yield, side, decimals));
    }
    // Descending keys: offers from the highest price, then bids from the highest price.
    std::stable_sort(m_items.begin(), m_items.end(), [](const auto& a, const auto& b) {
        return static_cast<const kuOrderBookItem*>(a.data())->sortKey() >
               static_cast<const kuOrderBookItem*>(b.data())->sortKey();
    });
    updateVisibleRows();
    endResetModel();
}

void kuOrderBookModel::setDepth(int depth)
{
    beginResetModel();
    m_depth = depth;
    updateVisibleRows();
    endResetModel();
}

void kuOrderBookModel::updateVisibleRows()
{
    int bids = 0;
    int offers = 0;
    for (const auto& item : qAsConst(m_items)) {
        if (static_cast<const kuOrderBookItem*>(item.data())->side() == kuOrderBookItem::Offer)
            ++offers;
        else
            ++bids;
    }
    const int depth = std::max(0, m_depth);
    m_firstRow = std::max(0, offers - depth);
    m_visibleRows = std::min(bids, depth) + std::min(offers, depth);
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
