#include "dcmessagepack.h"

#include "dcmessagepackvalues.h"
#include "kuaccessdb.h"
#include "kufunctions.h"
#include "kuplugintable.h"

#include <cmath>

using namespace dcMessagePackImpl;

namespace {

const int pluginBatch = 8;

} // namespace

QStringList dcMessagePack::storePluginList(const QVariantList& list)
{
    QVector<Statement> batch{{kuPluginTable::insertSql(), {}}};
    auto flush = [&] {
        if (batch[0].rows.isEmpty())
            return;
        runTransaction(batch);
        batch[0].rows.clear();
    };

    QStringList stored;
    const int n = list.size() / 7;
    for (int i = 0; i < n; ++i) {
        auto v = [&](int k) -> const QVariant& { return list.at(i * 7 + k); };
        kuPluginTable::Row row;
        row.guid = v(0).toString();
        row.pluginName = v(6).toString();
        // The name becomes a file name later.
        const double price = v(5).toDouble();
        if (!kuPluginTable::isValidPluginName(row.pluginName)) {
            qWarning() << "Plug-in catalogue: invalid plug-in name" << row.pluginName << "of" << row.guid
                       << ", row dropped";
        } else if (!std::isfinite(price)) {
            qWarning() << "Plug-in catalogue: price of" << row.guid << "is not a number, row dropped";
        } else {
            stored << row.guid;
            row.title = koi8Text(v(1));
            row.description = koi8Text(v(2));
            row.icon = v(4).toString();
            row.price = rounded(price, 2);
            row.version = v(3).toUInt();
            batch[0].rows.append(kuPluginTable::insertValues(row));
        }
        if ((i + 1) % pluginBatch == 0)
            flush();
    }
    flush();
    return stored;
}

bool dcMessagePack::runTransaction(const QVector<Statement>& statements)
{
    // Failures are logged by the database access; the next batch still runs.
    kuAccessDB db;
    bool ok = true;
    for (const Statement& statement : statements) {
        if (!statement.rows.isEmpty())
            ok = db.executeBatch(statement.sql, statement.rows) && ok;
    }
    return ok;
}
