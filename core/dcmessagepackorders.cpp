#include "dcmessagepack.h"

#include "dcmessagepackrecords.h"

using namespace dcMessagePackImpl;

namespace {

// Appends the array's items after what the object holds under key.
void appendUnder(QJsonObject& result, const QString& key, const QJsonArray& items)
{
    if (!result.contains(key)) {
        result.insert(key, items);
        return;
    }
    QJsonArray stored = result.value(key).toArray();
    for (const QJsonValue& item : items)
        stored.append(item);
    result.insert(key, stored);
}

// Each element is one account's map: its text under "part_id" and its records, flat, under listKey.
QJsonObject accountRecords(const msgpack_object* begin, const msgpack_object* end, QLatin1String listKey,
                           const Layout& layout)
{
    QJsonObject result;
    for (auto it = begin; it != end; ++it) {
        const QString account = koi8Text(mapValue(*it, kuKeys::account::part_id));
        appendUnder(result, account, records(layout, elementsOf(mapValue(*it, listKey)), 0));
    }
    return result;
}

} // namespace

QJsonObject dcMessagePack::buildOrders(const msgpack_object* begin, const msgpack_object* end) const
{
    return accountRecords(begin, end, kuKeys::account::orders, orderLayout);
}

QJsonObject dcMessagePack::buildTrades(const msgpack_object* begin, const msgpack_object* end) const
{
    return accountRecords(begin, end, kuKeys::account::trades, tradeLayout);
}
