#include <QtTest>

#include <QDir>
#include <QFile>

#include "kuaccessdb.h"
#include "queryworker.h"

class tst_AccessDB : public QObject
{
    Q_OBJECT
private:
    static QVariantList column(const QString& sql)
    {
        kuAccessDB db;
        return db.execute(sql);
    }

private slots:
    void init()
    {
        kuAccessDB::setBusyPolicy(5000, 3);
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(kuAccessDB::databasePath() + QLatin1String(suffix));
        kuAccessDB db;
        QVERIFY(db.executeNonQuery(QStringLiteral(
                "create table t(a integer, b text);"
                "insert into t values(1, 'one');insert into t values(2, null);insert into t values(3, 'three');")));
    }

    void rowsInOrder()
    {
        kuAccessDB db;
        const QVariantList rows = db.execute(QStringLiteral("select a, b from t order by a;"));
        QCOMPARE(rows, (QVariantList{"1", "one", "2", QString(), "3", "three"}));
        QVERIFY(rows.at(3).toString().isNull());
        QCOMPARE(rows.at(0).userType(), int(QMetaType::QString));
    }

    // A failing query gives nothing, even when an earlier statement already gave rows.
    void failedQueryGivesEmptyList_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::newRow("missing table") << "select * from missing;";
        QTest::newRow("fails after rows") << "select a from t; select * from missing;";
        QTest::newRow("syntax") << "selec a from t;";
    }
    void failedQueryGivesEmptyList()
    {
        QFETCH(QString, sql);
        QueryWorker worker(sql);
        QSignalSpy failed(&worker, &QueryWorker::executeFailed);
        QVERIFY(worker.execute().isEmpty());
        QCOMPARE(failed.count(), 1);
        QVERIFY(!failed.first().first().toString().isEmpty());
    }

    void failedStatementIsRolledBack()
    {
        kuAccessDB db;
        QVERIFY(!db.executeNonQuery(QStringLiteral(
                "begin immediate transaction;insert into t values(9, 'nine');insert into missing values(1);commit;")));
        QCOMPARE(column(QStringLiteral("select count(*) from t where a=9;")), QVariantList{"0"});
        QVERIFY(db.executeNonQuery(
                QStringLiteral("begin immediate transaction;insert into t values(9, 'nine');commit;")));
        QVERIFY(!db.executeNonQuery(QString()));
        QVERIFY(db.execute(QStringLiteral("   ")).isEmpty());
    }

    // Data is bound, never pasted: quotes, zero bytes and SQL text arrive unchanged.
    void boundValues()
    {
        const QString text = QStringLiteral("it's «ОК»'); drop table t; --");
        const QByteArray blob("\x00\x01'\xff", 4);
        kuAccessDB db;
        QVERIFY(db.executeNonQuery(QStringLiteral("create table v(s text, b blob, i integer, d real, n text);"
                                                  "insert into v values(?1, ?2, ?3, ?4, ?5);"),
                                   {text, blob, qint64(1) << 40, 2.5, QVariant()}));
        const QVariantList row = db.execute(QStringLiteral("select s, b, i, d, n from v where s = ?1;"), {text});
        QCOMPARE(row.size(), 5);
        QCOMPARE(row.at(0).toString(), text);
        QCOMPARE(row.at(1).toByteArray(), blob);
        QCOMPARE(row.at(2).toLongLong(), qint64(1) << 40);
        QCOMPARE(row.at(3).toDouble(), 2.5);
        QVERIFY(row.at(4).toString().isNull());
        QCOMPARE(column(QStringLiteral("select count(*) from t;")), QVariantList{"3"});

        QVERIFY(!db.executeNonQuery(QStringLiteral("insert into v values(?1, ?2, ?3, ?4, ?5);"), {text}));
    }

    // A batch is all or nothing.
    void batch()
    {
        kuAccessDB db;
        QVERIFY(db.executeNonQuery(
                QStringLiteral("create table c(min integer not null primary key, close real not null);")));
        QVector<QVariantList> rows;
        for (int i = 0; i < 500; ++i)
            rows.append({i * 60, 100.0 + i});
        QVERIFY(db.executeBatch(QStringLiteral("insert or replace into c(min, close) values(?1, ?2);"), rows));
        QCOMPARE(column(QStringLiteral("select count(*), sum(close) from c;")),
                 (QVariantList{"500", QString::number(500 * 100.0 + 499 * 500 / 2.0, 'f', 1)}));

        QVector<QVariantList> bad{{100000, 1.0}, {100060, QVariant()}};
        QVERIFY(!db.executeBatch(QStringLiteral("insert into c(min, close) values(?1, ?2);"), bad));
        QCOMPARE(column(QStringLiteral("select count(*) from c;")), QVariantList{"500"});
    }

    void asyncSignalOrder_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("query");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QVariantList>("rows");
        QTest::newRow("query") << "select a from t order by a;" << true
                               << QStringList{"executed", "results", "finished"} << QVariantList{"1", "2", "3"};
        QTest::newRow("failing query") << "select * from missing;" << true
                                       << QStringList{"executed", "executeFailed", "results", "finished"}
                                       << QVariantList();
        QTest::newRow("statement") << "insert into t values(4, 'four');" << false << QStringList{"executed", "finished"}
                                   << QVariantList();
        QTest::newRow("failing statement") << "insert into missing values(4);" << false
                                           << QStringList{"executed", "executeFailed", "finished"} << QVariantList();
    }
    // The same order whether the worker's slot runs on this thread or on a thread of its own.
    void asyncSignalOrder()
    {
        QFETCH(QString, sql);
        QFETCH(bool, query);
        QFETCH(QStringList, expected);
        QFETCH(QVariantList, rows);

        QStringList order;
        QVariantList got;
        auto record = [&](auto* source) {
            using Source = std::remove_pointer_t<decltype(source)>;
            connect(source, &Source::executed, this, [&] { order << "executed"; });
            connect(source, &Source::executeFailed, this, [&] { order << "executeFailed"; });
            connect(source, &Source::results, this, [&](const QVariantList& r) {
                order << "results";
                got = r;
            });
            connect(source, &Source::finished, this, [&] { order << "finished"; });
        };

        QueryWorker worker(sql);
        record(&worker);
        if (query)
            worker.executeAsync();
        else
            worker.executeNonQueryAsync();
        QCOMPARE(order, expected);
        QCOMPARE(got, rows);

        order.clear();
        got.clear();
        kuAccessDB db;
        record(&db);
        if (query)
            db.executeAsync(sql);
        else
            db.executeNonQueryAsync(sql);
        QTRY_COMPARE(order, expected);
        QCOMPARE(got, rows);
    }

    // Synchronous calls report through their result only.
    void synchronousCallsEmitNothing()
    {
        kuAccessDB db;
        QSignalSpy failed(&db, &kuAccessDB::executeFailed);
        QSignalSpy done(&db, &kuAccessDB::finished);
        QVERIFY(db.execute(QStringLiteral("select * from missing;")).isEmpty());
        QVERIFY(!db.executeNonQuery(QStringLiteral("insert into missing values(1);")));
        QCOMPARE(failed.count() + done.count(), 0);
    }

    void unreachableDatabaseIsReported()
    {
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(kuAccessDB::databasePath() + QLatin1String(suffix));
        QVERIFY(QDir().mkpath(kuAccessDB::databasePath()));
        QueryWorker worker(QStringLiteral("select 1;"));
        QSignalSpy failed(&worker, &QueryWorker::executeFailed);
        QVERIFY(worker.execute().isEmpty());
        QCOMPARE(failed.count(), 1);
        QVERIFY(QDir(kuAccessDB::databasePath()).removeRecursively());
    }

    // Another connection holds the write lock: the statement gives up after the set
    // number of attempts, reports it, and works once the lock is gone.
    void busyRetryIsBounded()
    {
        kuAccessDB::setBusyPolicy(0, 2);
        auto holder = std::make_unique<QueryWorker>(
                QStringLiteral("begin immediate transaction;insert into t values(7, 'held');"));
        QVERIFY(holder->executeNonQuery());

        QueryWorker writer(QStringLiteral("begin immediate transaction;insert into t values(8, 'eight');commit;"));
        QSignalSpy failed(&writer, &QueryWorker::executeFailed);
        QTest::ignoreMessage(QtDebugMsg, "SQLITE_BUSY: sleeping fow a while...");
        QTest::ignoreMessage(QtDebugMsg, "SQLITE_BUSY: sleeping fow a while...");
        QVERIFY(!writer.executeNonQuery());
        QCOMPARE(failed.count(), 1);

        // Readers are not blocked under WAL and do not see the open transaction.
        QCOMPARE(column(QStringLiteral("select count(*) from t;")), QVariantList{"3"});

        holder.reset();
        QVERIFY(writer.executeNonQuery());
        QCOMPARE(column(QStringLiteral("select group_concat(a) from t;")), QVariantList{"1,2,3,8"});
    }
};

QTEST_GUILESS_MAIN(tst_AccessDB)
#include "tst_accessdb.moc"
