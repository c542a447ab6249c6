#include "kuaccessdb.h"
#include "kucandlestore.h"

#include "../common/walfixture.h"

#include <QFile>
#include <QThread>
#include <QtTest>

namespace {

using Candle = kuCandleStore::Candle;
using Table = kuCandleStore::Table;

Candle candle(double open, quint64 start, int timeFrame = 1, double volume = 10.0)
{
    Candle c;
    c.open = open;
    c.close = open + 1;
    c.high = open + 2;
    c.low = open - 1;
    c.volume = volume;
    c.start = start;
    c.timeFrame = timeFrame;
    return c;
}

// Counts the candles of every batch written.
class CountingStore : public kuCandleStore
{
public:
    QList<int> batches;

protected:
    bool writeBatch(int paperId, const QVector<Candle>& minutes, const QVector<Candle>& days) override
    {
        batches.append(minutes.size() + days.size());
        return kuCandleStore::writeBatch(paperId, minutes, days);
    }
};

QStringList rows(const QString& table)
{
    kuAccessDB db;
    const QVariantList values =
            db.execute(QStringLiteral("select min, open, volume from \"%1\" order by min;").arg(table));
    QStringList out;
    for (int i = 0; i + 3 <= values.size(); i += 3)
        out << QStringLiteral("%1|%2|%3")
                        .arg(values.at(i).toString(), values.at(i + 1).toString(), values.at(i + 2).toString());
    return out;
}

QStringList text(const QVector<Candle>& candles)
{
    QStringList out;
    for (const Candle& c : candles)
        out << QStringLiteral("%1:%2 %3 %4 %5 %6 %7")
                        .arg(c.timeFrame)
                        .arg(c.start)
                        .arg(c.open)
                        .arg(c.high)
                        .arg(c.low)
                        .arg(c.close)
                        .arg(c.volume);
    return out;
}

} // namespace

Q_DECLARE_METATYPE(kuCandleStore::Table)

class tst_CandleStore : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(kuAccessDB::databasePath() + QLatin1String(suffix));
    }

    void tables_data()
    {
        QTest::addColumn<int>("paper");
        QTest::addColumn<QString>("minutes");
        QTest::addColumn<QString>("days");
        QTest::newRow("42") << 42 << "tablechart_for_42"
                            << "tablechart_for_42_hist";
        QTest::newRow("negative") << -7 << "tablechart_for_-7"
                                  << "tablechart_for_-7_hist";
    }

    // Both tables, created twice without harm, with the columns the chart reads.
    void tables()
    {
        QFETCH(int, paper);
        QFETCH(QString, minutes);
        QFETCH(QString, days);
        QCOMPARE(kuCandleStore::tableName(paper), minutes);
        QCOMPARE(kuCandleStore::tableName(paper, Table::Day), days);
        kuCandleStore store;
        QVERIFY(store.createTables(paper));
        QVERIFY(store.createTables(paper));
        for (const QString& table : {minutes, days}) {
            kuAccessDB db;
            const QVariantList info = db.execute(
                    QStringLiteral("select name, lower(type), \"notnull\", pk from pragma_table_info(?1);"), {table});
            QCOMPARE(info,
                     (QVariantList{"open",  "real", "1", "0", "high",   "real", "1", "0", "low", "real",    "1", "0",
                                   "close", "real", "1", "0", "volume", "real", "1", "0", "min", "integer", "1", "1"}));
        }
    }

    // The name of a negative id needs quoting: every statement quotes it.
    void negativePaperIsWrittenAndRead()
    {
        const int paper = -7;
        kuCandleStore store;
        QVERIFY(store.createTables(paper));
        QVERIFY(store.insert(paper, {candle(100, 1000), candle(200, 86400, 1440), candle(101, 1060)}));
        QCOMPARE(rows(kuCandleStore::tableName(paper)), (QStringList{"1000|100.0|10.0", "1060|101.0|10.0"}));
        QCOMPARE(rows(kuCandleStore::tableName(paper, Table::Day)), QStringList{"86400|200.0|10.0"});
        const kuCandleStore::Newest newest = store.newestTimes(paper);
        QCOMPARE(newest.minute, quint64(1060));
        QCOMPARE(newest.day, quint64(86400));
        QCOMPARE(store.load(paper).size(), 3);
    }

    // 1,500 candles: three transactions of 500 on the one connection of this thread.
    void oneConnectionPerThread()
    {
        const int paper = 42;
        const int before = kuCandleStore::connectionsOpened();
        CountingStore store;
        QVERIFY(store.createTables(paper));
        QVector<Candle> candles;
        for (int i = 0; i < 1500; ++i)
            candles << candle(100 + i, 1765270800 + 60 * quint64(i), i % 100 == 0 ? 1440 : 1);
        QVERIFY(store.insert(paper, candles));
        QCOMPARE(store.batches, (QList<int>{500, 500, 500}));
        QCOMPARE(store.load(paper).size(), 1500);
        QCOMPARE(store.newestTimes(paper).minute, quint64(1765270800 + 60 * 1499));
        QCOMPARE(kuCandleStore::connectionsOpened() - before, 1);

        // Another thread gets a connection of its own, kept for its later calls.
        QThread worker;
        int loaded = -1;
        QObject::connect(&worker, &QThread::started, [&] {
            loaded = store.load(paper).size() + store.load(paper).size();
            worker.quit();
        });
        worker.start();
        QVERIFY(worker.wait(10000));
        QCOMPARE(loaded, 3000);
        QCOMPARE(kuCandleStore::connectionsOpened() - before, 2);
        QVERIFY(store.insert(paper, {candle(1, 60)}));
        QCOMPARE(kuCandleStore::connectionsOpened() - before, 2);
    }

    // Each batch of 500 is one transaction holding its minute and day rows: a batch
    // that fails stores neither, and only its own rows are missing afterwards.
    void batchesAreTransactions_data()
    {
        QTest::addColumn<Table>("refusedIn");
        QTest::addColumn<int>("refusedCandle");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<int>("days");
        QTest::addColumn<int>("committed");
        QTest::newRow("all stored") << Table::Minute << -1 << 1485 << 15 << 3;
        // The second batch holds 495 minute and 5 day candles.
        QTest::newRow("minute row refused") << Table::Minute << 750 << 990 << 10 << 2;
        QTest::newRow("day row refused") << Table::Day << 700 << 990 << 10 << 2;
    }

    void batchesAreTransactions()
    {
        QFETCH(Table, refusedIn);
        QFETCH(int, refusedCandle);
        const int paper = 42;
        const quint64 first = 1765270800;
        auto startOf = [&](int i) { return first + 60 * quint64(i); };

        const int opened = kuCandleStore::connectionsOpened();
        const int committed = kuCandleStore::transactionsCommitted();
        CountingStore store;
        QVERIFY(store.createTables(paper));
        if (refusedCandle >= 0) {
            kuAccessDB db;
            QVERIFY(db.executeNonQuery(QStringLiteral("create trigger refuse before insert on \"%1\" when new.min = %2 "
                                                      "begin select raise(abort, 'refused'); end;")
                                               .arg(kuCandleStore::tableName(paper, refusedIn))
                                               .arg(startOf(refusedCandle))));
            QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("refused"));
        }
        QVector<Candle> candles;
        for (int i = 0; i < 1500; ++i)
            candles << candle(100 + i, startOf(i), i % 100 == 0 ? 1440 : 1);
        QCOMPARE(store.insert(paper, candles), refusedCandle < 0);

        QCOMPARE(store.batches, (QList<int>{500, 500, 500}));
        QTEST(kuCandleStore::transactionsCommitted() - committed, "committed");
        QCOMPARE(kuCandleStore::connectionsOpened() - opened, 1);
        QTEST(rows(kuCandleStore::tableName(paper)).size(), "minutes");
        QTEST(rows(kuCandleStore::tableName(paper, Table::Day)).size(), "days");
        // The batch after a failed one is stored.
        QVERIFY(rows(kuCandleStore::tableName(paper)).contains(QStringLiteral("%1|1599.0|10.0").arg(startOf(1499))));
    }

    // The chart's reads: the newest start per table and the newest minutes, then every day, oldest first.
    void newestAndLoad()
    {
        const int paper = 5;
        kuCandleStore store;
        QVERIFY(store.createTables(paper));
        QCOMPARE(store.newestTimes(paper).minute, quint64(0));
        QCOMPARE(store.newestTimes(paper).day, quint64(0));
        QVERIFY(store.load(paper).isEmpty());

        QVERIFY(store.insert(paper, {candle(3, 180), candle(1, 60), candle(9, 172800, 1440), candle(2, 120),
                                     candle(8, 86400, 1440)}));
        QCOMPARE(store.newestTimes(paper).minute, quint64(180));
        QCOMPARE(store.newestTimes(paper).day, quint64(172800));
        QCOMPARE(text(store.load(paper, 2)), (QStringList{"1:120 2 4 1 3 10", "1:180 3 5 2 4 10",
                                                          "1440:86400 8 10 7 9 10", "1440:172800 9 11 8 10 10"}));
        QCOMPARE(store.load(paper).size(), 5);
    }

    // An instrument whose tables were never made reads as empty.
    void missingTables()
    {
        kuCandleStore store;
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("no such table"));
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("tablechart_for_99"));
        const kuCandleStore::Newest newest = store.newestTimes(99);
        QCOMPARE(newest.minute, quint64(0));
        QCOMPARE(newest.day, quint64(0));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("no such table"));
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("tablechart_for_99"));
        QVERIFY(store.load(99).isEmpty());
    }

    // SQLite finds the minute table of an instrument corrupt, on whichever call meets it
    // first: its cache is dropped for empty tables that take the server's candles again,
    // and the other instruments keep theirs.
    void damagedTableIsDropped_data()
    {
        QTest::addColumn<QString>("call");
        QTest::newRow("load") << "load";
        QTest::newRow("insert") << "insert";
        QTest::newRow("newest times") << "newest";
    }
    void damagedTableIsDropped()
    {
        QFETCH(QString, call);
        QVector<Candle> many;
        for (int i = 1; i <= 3000; ++i)
            many.append(candle(i, quint64(i) * 60));
        many.append(candle(7, 86400, 1440));
        {
            kuCandleStore store;
            for (int paper : {9, 10}) {
                QVERIFY(store.createTables(paper));
                QVERIFY(store.insert(paper, many));
            }
        }
        // Every connection is closed: the journal is in the file, and the table's root page goes bad.
        QVERIFY(!QFile::exists(kuAccessDB::databasePath() + "-wal"));
        kuAccessDB db;
        const int root =
                db.execute("select rootpage from sqlite_master where name='tablechart_for_9';").value(0).toInt();
        QVERIFY(root > 1);
        {
            QFile file(kuAccessDB::databasePath());
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.seek(qint64(root - 1) * 4096));
            QVERIFY(file.write(QByteArray(4096, '\x5a')) == 4096);
        }

        kuCandleStore store;
        if (call == "load") {
            bool dropped = false;
            QVERIFY(store.load(9, kuCandleStore::loadedMinutes, &dropped).isEmpty());
            QVERIFY(dropped);
            QVERIFY(store.insert(9, {candle(1, 60)}));
        } else if (call == "insert") {
            QVERIFY(store.insert(9, {candle(1, 60)}));
        } else {
            const kuCandleStore::Newest newest = store.newestTimes(9);
            QCOMPARE(newest.minute, quint64(0));
            QCOMPARE(newest.day, quint64(0));
            QVERIFY(store.insert(9, {candle(1, 60)}));
        }
        bool dropped = false;
        QCOMPARE(text(store.load(9, kuCandleStore::loadedMinutes, &dropped)), QStringList{"1:60 1 3 0 2 10"});
        QVERIFY(!dropped);
        QCOMPARE(store.load(10).size(), many.size());
        // The damaged pages are gone with the table, not kept under another name.
        QCOMPARE(integrityCheck(kuAccessDB::databasePath()), QStringLiteral("ok"));
        QCOMPARE(db.execute("select name from sqlite_master where type='table' order by name;"),
                 (QVariantList{"tablechart_for_10", "tablechart_for_10_hist", "tablechart_for_9",
                               "tablechart_for_9_hist"}));
    }
};

QTEST_GUILESS_MAIN(tst_CandleStore)
#include "tst_candlestore.moc"
