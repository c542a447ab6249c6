#include "kuquotesmodel.h"

#include "kupaperlist.h"
#include "kurecordkeys.h"

namespace q = kuKeys::quote;

kuQuotesModel::kuQuotesModel(QObject* parent) : kuTableViewModel(parent)
{}

QSharedPointer<kuQuotesItem> kuQuotesModel::makeItem(const QJsonObject& quote)
{
    if (quote.isEmpty())
        return {};
    const int paperID = quote.value(q::paperID).toInt();
    if (!kuPaperList::instance()->paper(paperID))
        return {};
    auto integer = [&quote](QLatin1String key) { return kuKeys::wholeNumber(quote.value(key)); };
    auto real = [&quote](QLatin1String key) { return quote.value(key).toDouble(); };
    return QSharedPointer<kuQuotesItem>::create(paperID, real(q::buy), integer(q::toBuy), real(q::sell),
                                                integer(q::toSell), integer(q::toBuyTotal), integer(q::toSellTotal),
                                                real(q::open), real(q::min), real(q::max), real(q::last), real(q::avg),
                                                integer(q::volume), real(q::moneyVol), integer(q::paperVol),
                                                real(q::bestBuy), real(q::bestSell), real(q::price));
}

kuQuotesItem* kuQuotesModel::quoteAt(int row) const
{
    if (row < 0 || row >= m_items.size())
        return nullptr;
    return qobject_cast<kuQuotesItem*>(m_items.at(row).data());
}

QSharedPointer<kuQuotesItem> kuQuotesModel::quote(int row) const
{
    if (row < 0 || row >= m_items.size())
        return {};
    return qSharedPointerObjectCast<kuQuotesItem>(m_items.at(row));
}

int kuQuotesModel::findRow(int paperID) const
{
    return m_rows.value(paperID, -1);
}

int kuQuotesModel::appendItem(const QSharedPointer<kuObjectModelAbstractItem>& item)
{
    auto* quote = qobject_cast<kuQuotesItem*>(item.data());
    if (quote && m_rows.contains(quote->paperID()))
        return -1;
    const int row = kuTableViewModel::appendItem(item);
    if (quote)
        m_rows.insert(quote->paperID(), row);
    return row;
}

void kuQuotesModel::appendQuote(const QJsonObject& quote)
{
    if (!quote.contains(q::paperID))
        return;
    if (findRow(quote.value(q::paperID).toInt()) != -1)
        return;
    if (const QSharedPointer<kuQuotesItem> item = makeItem(quote))
        appendItem(item);
}

void kuQuotesModel::updateQuote(const QJsonObject& quote)
{
    if (!quote.contains(q::paperID))
        return;
    const int row = findRow(quote.value(q::paperID).toInt());
    if (row == -1)
        return;
    setData(index(row, 0), quote, QuoteRole);
}

void kuQuotesModel::removeQuote(const QModelIndex& index)
{
    if (!index.isValid() || !index.model())
        return;
    const int paperID = index.data(PaperIDRole).toInt();
    if (paperID == 0)
        return;
    const int row = findRow(paperID);
    if (row == -1)
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_items.remove(row);
    m_rows.remove(paperID);
    for (auto it = m_rows.begin(); it != m_rows.end(); ++it) {
        if (it.value() > row)
            --it.value();
    }
    endRemoveRows();
}

void kuQuotesModel::replaceItem(int row, const QSharedPointer<kuQuotesItem>& item)
{
    const kuQuotesItem* old = quoteAt(row);
    if (!old || !item)
        return;
    item->setPrevLast(old->last());
    item->setPrevBuy(old->buy());
    item->setPrevSell(old->sell());
    m_items[row] = item;
}

QVariant kuQuotesModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    if (role == PriceRole || role == PaperIDRole) {
        const kuQuotesItem* item = quoteAt(index.row());
        if (!item)
            return QVariant();
        return role == PriceRole ? QVariant(item->priceAt(index.column())) : QVariant(item->paperID());
    }
    if (role == Qt::ForegroundRole) {
        // No colour is no value: the view then keeps its palette instead of
        // setting an invalid brush into it for every cell it paints.
        if (const kuQuotesItem* item = quoteAt(index.row())) {
            const QColor colour = item->color(index.column());
            return colour.isValid() ? QVariant(colour) : QVariant();
        }
    }
    return kuTableViewModel::data(index, role);
}

bool kuQuotesModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != QuoteRole)
        return false;
    const QSharedPointer<kuQuotesItem> item = makeItem(value.toJsonObject());
    if (!item)
        return false;
    const int row = findRow(item->paperID());
    if (row == -1)
        return false;
    replaceItem(row, item);
    // The whole row: a sorted proxy re-sorts by whatever column it sorts on.
    emit dataChanged(this->index(row, 0), this->index(row, qMax(columnCount() - 1, 0)));
    return true;
}
