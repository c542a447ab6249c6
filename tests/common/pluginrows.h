#pragma once

// Rows of table "plugins" written and read with plain SQL, beside the code under test.

#include "kuaccessdb.h"
#include "kumigration.h"

#include <QFile>
#include <QString>

inline bool freshDatabase()
{
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(kuAccessDB::databasePath() + QLatin1String(suffix));
    return updateDatabaseSchema();
}

inline bool insertPluginRow(const QString& guid, const QString& name, int status, int version = 10601000)
{
    kuAccessDB db;
    return db.executeNonQuery(
            QStringLiteral("insert into plugins (guid, title, description, version, icon, plugin_name, "
                           "price, status) values (?1, ?1, 'd', ?4, '', ?2, 0, ?3);"),
            {guid, name, status, version});
}

inline int pluginStatus(const QString& guid)
{
    kuAccessDB db;
    const QVariantList rows = db.execute(QStringLiteral("select status from plugins where guid = ?1;"), {guid});
    return rows.isEmpty() ? -1 : rows.first().toInt();
}
