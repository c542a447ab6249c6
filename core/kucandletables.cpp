#include "kucandletables.h"

#include "kuaccessdb.h"

QString candleTableName(int paperId)
{
    return QStringLiteral("tablechart_for_%1").arg(paperId);
}

QString candleHistTableName(int paperId)
{
    return candleTableName(paperId) + QStringLiteral("_hist");
}

bool createCandleTables(int paperId)
{
    // Table names cannot be bound; the id is an integer, so the text stays safe.
    static const QString columns = QStringLiteral(
            "(open real not null default 0, high real not null default 0, low real not null default 0, "
            "close real not null default 0, volume real not null default 0, min integer not null primary key)");
    const QString sql = QStringLiteral("begin immediate transaction;") +
                        QStringLiteral("create table if not exists \"%1\" ").arg(candleTableName(paperId)) + columns +
                        QLatin1Char(';') +
                        QStringLiteral("create table if not exists \"%1\" ").arg(candleHistTableName(paperId)) +
                        columns + QStringLiteral(";commit;");
    kuAccessDB db;
    return db.executeNonQuery(sql);
}
