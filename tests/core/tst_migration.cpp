#include <QtTest>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "kuaccessdb.h"
#include "kuapplication.h"
#include "kumigration.h"
#include "kusettingshash.h"

class tst_Migration : public QObject
{
    Q_OBJECT
private:
    static QVariantList query(const QString& sql)
    {
        kuAccessDB db;
        return db.execute(sql);
    }

    // Each case gets a home of its own, so the database starts empty.
    QTemporaryDir home;
    QByteArray savedHome;

private slots:
    void initTestCase() { savedHome = qgetenv("HOME"); }
    void cleanupTestCase() { qputenv("HOME", savedHome); }
    void init()
    {
        QVERIFY(home.isValid());
        QVERIFY(QDir(home.path()).removeRecursively());
        QVERIFY(QDir().mkpath(home.path()));
        qputenv("HOME", QFile::encodeName(home.path()));
    }

    void fromEmptyAndRerun()
    {
        QCOMPARE(databaseVersion(), 0);
        QVERIFY(updateDatabaseSchema());
        QCOMPARE(query(QStringLiteral("select version from version;")), QVariantList{"3"});
        QCOMPARE(query(QStringLiteral("select group_concat(name) from (select name from sqlite_master "
                                      "where name not like 'sqlite%' order by name);")),
                 QVariantList{"active_flag_update,hash_idx,plugins,settings,version"});

        const QString path = kuApplication::defaultSettingsFile();
        const QVariantList row = query(QStringLiteral("select path, description, hash, active_flag from settings;"));
        QCOMPARE(row, (QVariantList{path, QStringLiteral("Настройки по умолчанию"), settingsHash(path), "1"}));
        QVERIFY(QRegularExpression(QStringLiteral("^[0-9a-f]{40}$")).match(row.at(2).toString()).hasMatch());

        // Every step may run again: no second version row, no second default row, no error.
        for (int step = 1; step <= 3; ++step)
            QCOMPARE(migrateDatabase(step), 0);
        QVERIFY(updateDatabaseSchema());
        QCOMPARE(query(QStringLiteral("select group_concat(version) from version;")), QVariantList{"3"});
        QCOMPARE(query(QStringLiteral("select count(*) from settings;")), QVariantList{"1"});

        const QVariantList before = query(QStringLiteral("select * from version, settings;"));
        QCOMPARE(migrateDatabase(0), 6);
        QCOMPARE(migrateDatabase(4), 6);
        QCOMPARE(query(QStringLiteral("select * from version, settings;")), before);
    }

    // A re-run of step 2 after the user picked another file keeps that choice.
    void rerunKeepsActiveChoice()
    {
        QVERIFY(updateDatabaseSchema());
        kuAccessDB db;
        QVERIFY(db.executeNonQuery(QStringLiteral("insert into settings(path, hash) values('b', 'hb');"
                                                  "update settings set active_flag=1 where hash='hb';"
                                                  "delete from settings where hash<>'hb';")));
        QCOMPARE(migrateDatabase(2), 0);
        QCOMPARE(query(QStringLiteral("select path, active_flag from settings order by id;")),
                 (QVariantList{"b", "1", kuApplication::defaultSettingsFile(), "0"}));
    }

    void schemaRules()
    {
        QVERIFY(updateDatabaseSchema());
        kuAccessDB db;
        QVERIFY(db.executeNonQuery(QStringLiteral("insert into settings(path, hash) values('a', 'ha'), ('b', 'hb');"
                                                  "update settings set active_flag=1 where hash='hb';")));
        QCOMPARE(query(QStringLiteral("select hash from settings where active_flag=1;")), QVariantList{"hb"});
        QVERIFY(db.executeNonQuery(QStringLiteral("update settings set active_flag=1 where hash='ha';")));
        QCOMPARE(query(QStringLiteral("select hash from settings where active_flag=1;")), QVariantList{"ha"});

        // The unique index rejects a plain insert of a known hash; writers replace explicitly.
        QVERIFY(!db.executeNonQuery(QStringLiteral("insert into settings(path, hash) values('a2', 'ha');")));
        QVERIFY(db.executeNonQuery(QStringLiteral("insert or replace into settings(path, hash) values('a2', 'ha');")));
        QCOMPARE(query(QStringLiteral("select count(*), group_concat(path) from settings where hash='ha';")),
                 (QVariantList{"1", "a2"}));
        // Same guid: the catalogue row is replaced.
        QVERIFY(db.executeNonQuery(QStringLiteral("insert into plugins(guid, title, status) values('g', 'one', 1);"
                                                  "insert into plugins(guid, title, status) values('g', 'two', 1);")));
        QCOMPARE(query(QStringLiteral("select count(*), group_concat(title) from plugins;")),
                 (QVariantList{"1", "two"}));
    }

    // The default path goes in as data: a quote in the home folder breaks nothing.
    void quoteInPath()
    {
        const QString quoted = home.path() + QStringLiteral("/it's '); drop table version; --");
        QVERIFY(QDir().mkpath(quoted));
        qputenv("HOME", QFile::encodeName(quoted));
        QVERIFY(updateDatabaseSchema());
        const QString path = kuApplication::defaultSettingsFile();
        QCOMPARE(query(QStringLiteral("select path, hash from settings where active_flag=1;")),
                 (QVariantList{path, settingsHash(path)}));
    }

    // The steps that run follow the stored version; a newer build's database (4) is used as it is.
    void storedVersion_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("ready");
        QTest::addColumn<int>("after");
        QTest::addColumn<QString>("tables");
        const QString all = QStringLiteral("plugins,settings,version");
        QTest::newRow("0") << 0 << true << 3 << all;
        QTest::newRow("1") << 1 << true << 3 << all;
        QTest::newRow("2") << 2 << true << 3 << QStringLiteral("plugins,version");
        QTest::newRow("3") << 3 << true << 3 << QStringLiteral("version");
        QTest::newRow("4") << 4 << true << 4 << QStringLiteral("version");
        QTest::newRow("below 0") << -1 << false << -1 << QStringLiteral("version");
    }
    void storedVersion()
    {
        QFETCH(int, stored);
        QFETCH(int, after);
        kuAccessDB db;
        QVERIFY(db.executeNonQuery(QStringLiteral("create table version (version integer not null);"
                                                  "insert into version (version) values (?1);"),
                                   {stored}));
        QTEST(updateDatabaseSchema(), "ready");
        QCOMPARE(query(QStringLiteral("select group_concat(version) from version;")),
                 QVariantList{QString::number(after)});
        QTEST(query(QStringLiteral("select group_concat(name) from (select name from sqlite_master "
                                   "where type='table' and name not like 'sqlite%' order by name);"))
                      .value(0)
                      .toString(),
              "tables");
    }

    // A database that cannot be opened does not pass as a new one.
    void unreachableDatabase()
    {
        QVERIFY(QDir().mkpath(QDir(kuAccessDB::databasePath()).path()));
        QVERIFY(QDir().mkpath(kuAccessDB::databasePath() + QStringLiteral("/x")));
        QVERIFY(!updateDatabaseSchema());
    }
};

QTEST_GUILESS_MAIN(tst_Migration)
#include "tst_migration.moc"
