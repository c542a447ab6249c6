#include "dcmessagepack.h"

#include "dcmessagepackrecords.h"

#include <cmath>

using namespace dcMessagePackImpl;

QJsonObject dcMessagePack::buildQuotes(const msgpack_object& list, int start) const
{
    const Elements values = elementsOf(list);
    QJsonObject quote;
    if (start < 0 || values.size - start < quoteLayout.width ||
        !record(prepared(quoteLayout), values.ptr + start, quote))
        return QJsonObject();
    return quote;
}

QJsonArray dcMessagePack::buildOrderBook(const msgpack_object& list, int start) const
{
    return records(orderBookLayout, elementsOf(list), start);
}

QJsonArray dcMessagePack::buildLastTrades(const msgpack_object& list, int start) const
{
    return records(lastTradeLayout, elementsOf(list), start);
}

void dcMessagePack::emitLastPrices(const msgpack_object& entry)
{
    const Elements values = elementsOf(entry);
    const int n = groupCount(values, 1, 2);
    for (int i = 0; i < n; ++i) {
        const double price = toDouble(values.at(2 + i * 2));
        if (std::isfinite(price))
            emit on_updateLastPrice(toInt(values.at(1 + i * 2)), price);
    }
}
