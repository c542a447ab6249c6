#include "kuquotesmodel.h"

#include "kupaperlist.h"
#include "kurecordkeys.h"

namespace q = kuKeys::quote;

kuQuotesModel::kuQuotesModel(QObject* parent) : kuTableViewModel(parent)
{}

namespace {
// The record's fields the row is built from.
enum Field
{
    fPaperID,
    fBuy,
    fToBuy,
    fSell,
    fToSell,
    fToBuyTotal,
    fToSellTotal,
    fOpen,
    fMin,
    fMax,
    fLast,
    fAvg,
    fVolume,
    fMoneyVol,
    fPaperVol,
    fBestBuy,
    fBestSell,
    fPrice,
    fieldCount
};

struct FieldKey
{
    QLatin1String key;
    Field field;
};

// In the order of the keys: a record keeps its keys sorted, so that a record of all the
// fields meets each one at the next place of this list.
const FieldKey fieldKeys[fieldCount] = {
        {q::avg, fAvg},           {q::bestBuy, fBestBuy},   {q::bestSell, fBestSell},       {q::buy, fBuy},
        {q::last, fLast},         {q::max, fMax},           {q::min, fMin},                 {q::moneyVol, fMoneyVol},
        {q::open, fOpen},         {q::paperID, fPaperID},   {q::paperVol, fPaperVol},       {q::price, fPrice},
        {q::sell, fSell},         {q::toBuy, fToBuy},       {q::toBuyTotal, fToBuyTotal},   {q::toSell, fToSell},
        {q::toSellTotal, fToSellTotal}, {q::volume, fVolume},
};

bool sameKey(const QString& key, QLatin1String other)
{
    if (key.size() != other.size())
        return false;
    const QChar* a = key.constData();
    for (int i = 0; i < other.size(); ++i) {
        if (a[i].unicode() != uchar(other.data()[i]))
            return false;
    }
    return true;
}

// The field of key, -1 for none; next is the place in fieldKeys to try first, moved past a match.
int fieldOf(const QString& key, int& next)
{
    if (next < fieldCount && sameKey(key, fieldKeys[next].key))
        return fieldKeys[next++].field;
    for (int i = 0; i < fieldCount; ++i) {
        if (sameKey(key, fieldKeys[i].key)) {
            next = i + 1;
            return fieldKeys[i].field;
        }
    }
    return -1;
}
} // namespace

QSharedPointer<kuQuotesItem> kuQuotesModel::makeItem(const QJsonObject& quote)
{
    if (quote.isEmpty())
        return {};
    // One pass over the record: a lookup per field searches its keys anew each time,
    // and every poll brings a record per instrument. A missing field reads as null, as
    // a lookup would give it.
    QJsonValue values[fieldCount];
    int next = 0;
    for (auto it = quote.constBegin(), end = quote.constEnd(); it != end; ++it) {
        const int field = fieldOf(it.key(), next);
        if (field >= 0)
            values[field] = it.value();
    }
    const int paperID = values[fPaperID].toInt();
    if (!kuPaperList::instance()->paper(paperID))
        return {};
    auto integer = [&values](Field field) { return kuKeys::wholeNumber(values[field]); };
    auto real = [&values](Field field) { return values[field].toDouble(); };
    return QSharedPointer<kuQuotesItem>::create(paperID, real(fBuy), integer(fToBuy), real(fSell), integer(fToSell),
                                                integer(fToBuyTotal), integer(fToSellTotal), real(fOpen), real(fMin),
                                                real(fMax), real(fLast), real(fAvg), integer(fVolume),
                                                real(fMoneyVol), integer(fPaperVol), real(fBestBuy),
                                                real(fBestSell), real(fPrice));
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
    const auto paperID = quote.constFind(q::paperID);
    if (paperID == quote.constEnd())
        return;
    const int row = findRow(paperID.value().toInt());
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
