#include "converterrecorder.h"
#include "dcmessagepack.h"
#include "kuaccessdb.h"
#include "kucandlestore.h"
#include "kumigration.h"
#include "msgpackfixture.h"

#include <QFile>
#include <QtTest>

namespace {

const int paper = 42;

// Counts the candles of every batch the store writes.
class CountingStore : public kuCandleStore
{
public:
    explicit CountingStore(QList<int>* batches) : batches(batches) {}

protected:
    bool writeBatch(int paperId, const QVector<Candle>& minutes, const QVector<Candle>& days) override
    {
        batches->append(minutes.size() + days.size());
        return kuCandleStore::writeBatch(paperId, minutes, days);
    }

private:
    QList<int>* batches;
};

// Counts the rows of every transaction the converter runs.
class CountingConverter : public dcMessagePack
{
public:
    QList<int> batches;

    CountingConverter() { setCandleStore(std::make_unique<CountingStore>(&batches)); }

protected:
    bool runTransaction(const QVector<Statement>& statements) override
    {
        int rows = 0;
        for (const Statement& s : statements)
            rows += s.rows.size();
        batches.append(rows);
        return dcMessagePack::runTransaction(statements);
    }
};

QVariantList candle(double open, qlonglong start, int timeFrame = 1, double volume = 10.0)
{
    return {open, open + 1, open + 2, open - 1, volume, start, timeFrame};
}

QStringList rows(const QString& sql, int columns)
{
    kuAccessDB db;
    const QVariantList values = db.execute(sql);
    QStringList out;
    for (int i = 0; i + columns <= values.size(); i += columns) {
        QStringList row;
        for (int c = 0; c < columns; ++c)
            row << values.at(i + c).toString();
        out << row.join('|');
    }
    return out;
}

int count(const QString& table)
{
    return rows(QStringLiteral("select count(*) from %1;").arg(table), 1).value(0).toInt();
}

QVariantList plugin(const QVariant& guid, const QVariant& title, const QVariant& name, double price = 1.5)
{
    return {guid, title, koi8(QStringLiteral("Описание")), 3u, QByteArray("89504e47"), price, name};
}

} // namespace

class tst_ConverterStore : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void candleBatches_data();
    void candleBatches();
    void candleRows();
    void resentCandleReplacesStoredRow();
    void pluginCatalogue();

private:
    QStringList snapshot(CountingConverter& converter, const QVariantList& values, WinType winType)
    {
        ConverterRecorder recorder(&converter);
        if (winType == wtChart)
            converter.slot_marketDataReceived(packHex(values), paper, wtChart);
        else
            converter.slot_additionalDataReceived(packHex(values), winType, QVariantMap());
        return recorder.take();
    }
};

void tst_ConverterStore::init()
{
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(kuAccessDB::databasePath() + QLatin1String(suffix));
    QVERIFY(updateDatabaseSchema());
    QVERIFY(kuCandleStore().createTables(paper));
}

void tst_ConverterStore::candleBatches_data()
{
    QTest::addColumn<int>("candles");
    QTest::addColumn<QList<int>>("batches");
    QTest::newRow("1000") << 1000 << QList<int>{500, 500};
    QTest::newRow("1001") << 1001 << QList<int>{500, 500, 1};
    QTest::newRow("none") << 0 << QList<int>{};
}

void tst_ConverterStore::candleBatches()
{
    QFETCH(int, candles);
    QFETCH(QList<int>, batches);
    QVariantList values;
    for (int i = 0; i < candles; ++i)
        values += candle(100 + i, 1765270800 + 60 * i);
    CountingConverter converter;
    QCOMPARE(snapshot(converter, values, wtChart), QStringList{"snapshotChart 42 null"});
    QCOMPARE(converter.batches, batches);
    QCOMPARE(count(kuCandleStore::tableName(paper)), candles);
}

void tst_ConverterStore::candleRows()
{
    CountingConverter converter;
    const QVariantList values = candle(101.123456789, 1000, 1, 1234.6) + candle(200, 0) // no start time
                                + candle(300, 2000, 1440)                               // day candle
                                + candle(qQNaN(), 3000)                                 // not a number: this row only
                                + candle(400, 4000, 1, qInf()) + candle(500, 5000) +
                                QVariantList{1.0, 2.0, 3.0}; // partial group
    QCOMPARE(snapshot(converter, values, wtChart), QStringList{"snapshotChart 42 null"});
    QCOMPARE(converter.batches, QList<int>{3});
    QCOMPARE(rows(QStringLiteral("select min, open, high, low, close, volume from %1 order by min;")
                          .arg(kuCandleStore::tableName(paper)),
                  6),
             (QStringList{"1000|101.12345679|103.12345679|100.12345679|102.12345679|1235.0",
                          "5000|500.0|502.0|499.0|501.0|10.0"}));
    QCOMPARE(rows(QStringLiteral("select min, open from %1;")
                          .arg(kuCandleStore::tableName(paper, kuCandleStore::Table::Day)),
                  2),
             QStringList{"2000|300.0"});
}

void tst_ConverterStore::resentCandleReplacesStoredRow()
{
    CountingConverter converter;
    snapshot(converter, candle(100, 1000) + candle(100, 1060), wtChart);
    snapshot(converter, candle(100, 1060, 1, 99.0), wtChart);
    QCOMPARE(rows(QStringLiteral("select min, volume from %1 order by min;").arg(kuCandleStore::tableName(paper)), 2),
             (QStringList{"1000|10.0", "1060|99.0"}));
}

void tst_ConverterStore::pluginCatalogue()
{
    kuAccessDB db;
    QVERIFY(db.executeNonQuery(
            QStringLiteral("insert into plugins (guid, title, description, icon, plugin_name, price, version, status) "
                           "values ('g0', 'old', '', '', 'ku_old', 0, 1, 9);")));

    QVariantList values;
    values += plugin(QByteArray("g0"), koi8(QStringLiteral("Стакан")), QByteArray("ku_glass"));
    for (int i = 1; i < 8; ++i)
        values += plugin(QByteArray("g") + QByteArray::number(i), bin(koi8(QStringLiteral("Плагин"))),
                         QByteArray("ku_p") + QByteArray::number(i));
    values += plugin(QByteArray("g8'); drop table plugins; --"), QByteArray("it's"), QByteArray("ku_Q_8"), 2.345);
    values += plugin(QByteArray("bad1"), QByteArray("x"), QByteArray("../evil"));
    values += plugin(QByteArray("bad2"), QByteArray("x"), QByteArray("ku_"));
    values += plugin(QByteArray("bad3"), QByteArray("x"), QByteArray("ku_a.so"));
    values += plugin(QByteArray("bad4"), QByteArray("x"), QByteArray("ku_nan"), qQNaN());
    values += QVariantList{QByteArray("partial")};

    CountingConverter converter;
    // The reader learns which rows the catalogue holds; dropped rows are not among them.
    QCOMPARE(snapshot(converter, values, wtPluginList),
             QStringList{"additional 3000 [] {\"guids\":[\"g0\",\"g1\",\"g2\",\"g3\",\"g4\",\"g5\",\"g6\",\"g7\","
                         "\"g8'); drop table plugins; --\"]}"});
    QCOMPARE(converter.batches, (QList<int>{8, 1}));
    QCOMPARE(count("plugins"), 9);
    QCOMPARE(rows(QStringLiteral("select title, description, version, icon, plugin_name, price, status from plugins "
                                 "where guid = 'g0';"),
                  7),
             QStringList{"Стакан|Описание|3|89504e47|ku_glass|1.5|9"});
    QCOMPARE(rows(QStringLiteral("select title, status from plugins where guid = 'g1';"), 2), QStringList{"Плагин|1"});
    QCOMPARE(rows(QStringLiteral("select title, price, plugin_name from plugins where guid like 'g8%';"), 3),
             QStringList{"it's|2.35|ku_Q_8"});
}

QTEST_GUILESS_MAIN(tst_ConverterStore)
#include "tst_converterstore.moc"
