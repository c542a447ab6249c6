#include "kumigration.h"

#include <QVariantList>

#include "kuaccessdb.h"
#include "kupaths.h"
#include "kusettingshash.h"

namespace {

const char* const kStep1 = "begin immediate transaction;"
                           "create table if not exists version (version integer not null);"
                           "insert into version (version) select 1 where not exists (select 1 from version);"
                           "update version set version=1 where version=0;"
                           "commit;";

// The default row is active only when no other row is: a re-run keeps the user's choice.
const char* const kStep2 =
        "begin immediate transaction;"
        "create table if not exists settings( id integer primary key autoincrement not null, path text not null, "
        "description blob not null default '', hash text unique on conflict replace not null, "
        "content blob not null default '', active_flag integer not null default 0);"
        "create unique index if not exists hash_idx on settings(hash);"
        "create trigger if not exists active_flag_update before update of active_flag on settings "
        "for each row when new.active_flag=1   begin update settings set active_flag=0; end;"
        "insert or ignore into settings( path, description, hash, active_flag) "
        "select ?1, 'Настройки по умолчанию', ?2, not exists (select 1 from settings where active_flag=1);"
        "update version set version=2 where version=1;"
        "commit;";

const char* const kStep3 =
        "begin immediate transaction;"
        "create table if not exists plugins(guid char(64) primary key asc on conflict replace not null default(''), "
        "title varchar(256) not null default(''), description text not null default(''), "
        "version integer not null default(1), icon blob not null default(''), "
        "plugin_name varchar(64) not null default(''), price real not null default 0, status integer not null);"
        "update version set version=3 where version=2;"
        "commit;";

} // namespace

int migrateDatabase(int step)
{
    kuAccessDB db;
    bool ok = false;
    switch (step) {
    case 1:
        ok = db.executeNonQuery(QString::fromUtf8(kStep1));
        break;
    case 2: {
        const QString path = kuPaths::defaultSettingsFile();
        ok = db.executeNonQuery(QString::fromUtf8(kStep2), {path, settingsHash(path)});
        break;
    }
    case 3:
        ok = db.executeNonQuery(QString::fromUtf8(kStep3));
        break;
    default:
        return 6;
    }
    return ok ? 0 : 13;
}

int databaseVersion()
{
    kuAccessDB db;
    // A new database has no table yet; that is not an error worth logging.
    const QVariantList exists =
            db.execute(QStringLiteral("select count(*) from sqlite_master where type='table' and name='version';"));
    if (exists.value(0).toInt() == 0)
        return 0;
    const QVariantList result = db.execute(QStringLiteral("select version from version;"));
    return result.isEmpty() ? 0 : result.first().toInt();
}

bool updateDatabaseSchema()
{
    for (int step = databaseVersion() + 1; step <= kuSchemaVersion; ++step) {
        if (migrateDatabase(step) != 0)
            return false;
    }
    // A newer build's database (a higher version) is read as it is: its steps are not ours to undo.
    return databaseVersion() >= kuSchemaVersion;
}
