#include "dcmessagepack.h"

#include "dcmessagepackrecords.h"

using namespace dcMessagePackImpl;

QJsonObject dcMessagePack::buildQuotes(const msgpack_object& list, int start) const
{
    const Elements values = elementsOf(list);
    if (start < 0 || values.size - start < quoteLayout.width)
        return QJsonObject();
    return record(prepared(quoteLayout), values.ptr + start);
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
    for (int i = 0; i < n; ++i)
        emit on_updateLastPrice(toInt(values.at(1 + i * 2)), toDouble(values.at(2 + i * 2)));
}
