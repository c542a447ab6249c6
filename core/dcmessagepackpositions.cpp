#include "dcmessagepack.h"

#include "dcmessagepackrecords.h"

using namespace dcMessagePackImpl;

QJsonObject dcMessagePack::buildPositions(const msgpack_object* begin, const msgpack_object* end) const
{
    const QString positionKey = kuKeys::account::position;
    QJsonObject result;
    for (auto it = begin; it != end; ++it) {
        const QString account = koi8Text(mapValue(*it, kuKeys::account::part_id));
        QJsonArray positions = records(positionLayout, elementsOf(mapValue(*it, kuKeys::account::position)), 0);

        // Money and margin come from the account's last element, positions from all of them.
        QJsonObject accountObject;
        if (result.contains(account)) {
            accountObject = result.value(account).toObject();
            QJsonArray stored = accountObject.value(positionKey).toArray();
            for (const QJsonValue& p : qAsConst(positions))
                stored.append(p);
            positions = stored;
        }
        accountObject.insert(positionKey, positions);
        accountObject.insert(kuKeys::account::money,
                             recordIfComplete(moneyLayout, elementsOf(mapValue(*it, kuKeys::account::money))));
        accountObject.insert(kuKeys::account::margin,
                             recordIfComplete(marginLayout, elementsOf(mapValue(*it, kuKeys::account::margin))));
        result.insert(account, accountObject);
    }
    return result;
}
