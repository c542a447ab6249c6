#include "chartrows.h"
#include "kuaccessdb.h"
#include "kucandlestore.h"
#include "kuchartcandle.h"
#include "kuchartloader.h"
#include "logcapture.h"

#include <QFile>
#include <QJsonDocument>
#include <QtTest>

using namespace chartrows;
using Rows = QVector<kuCandleStore::Candle>;

Q_DECLARE_METATYPE(Rows)

// Grouping of the cached minutes into the chart's time frames, the hint texts
// and the load of the cache.
class tst_ChartSeries : public QObject
{
    Q_OBJECT

private slots:
    void grouping_data()
    {
        QTest::addColumn<Rows>("rows");
        QTest::addColumn<QString>("series");

        QTest::newRow("three minutes, two 5-minute buckets")
                << Rows{minute(0, 10), minute(1, 20), minute(5, 30)}
                << "1[+5:30/32/29/31/1 +1:20/22/19/21/1 +0:10/12/9/11/1] "
                   "5[+5:30/32/29/31/1* +0:10/22/9/21/2] 10[+0:10/32/9/31/3*] 15[+0:10/32/9/31/3*] "
                   "30[+0:10/32/9/31/3*] 60[+0:10/32/9/31/3*]";
        QTest::newRow("a row on the boundary starts the next bucket")
                << Rows{minute(4, 10), minute(5, 20)}
                << "1[+5:20/22/19/21/1 +4:10/12/9/11/1] 5[+5:20/22/19/21/1* +0:10/12/9/11/1] "
                   "10[+0:10/22/9/21/2*] 15[+0:10/22/9/21/2*] 30[+0:10/22/9/21/2*] 60[+0:10/22/9/21/2*]";
        QTest::newRow("minutes without volume open no bucket")
                << Rows{minute(0, 50, 0), minute(1, 60, 0), minute(2, 100, 3)}
                << "1[+2:100/102/99/101/3 +1:60/62/59/61/0 +0:50/52/49/51/0] 5[+0:100/102/99/101/3*] "
                   "10[+0:100/102/99/101/3*] 15[+0:100/102/99/101/3*] 30[+0:100/102/99/101/3*] "
                   "60[+0:100/102/99/101/3*]";
        QTest::newRow("a bucket of zero volumes never shows")
                << Rows{minute(0, 10), minute(5, 20, 0), minute(6, 30, 0), minute(10, 40)}
                << "1[+10:40/42/39/41/1 +6:30/32/29/31/0 +5:20/22/19/21/0 +0:10/12/9/11/1] "
                   "5[+10:40/42/39/41/1* +0:10/12/9/11/1] 10[+10:40/42/39/41/1* +0:10/32/9/31/1] "
                   "15[+0:10/42/9/41/2*] 30[+0:10/42/9/41/2*] 60[+0:10/42/9/41/2*]";
        QTest::newRow("a bucket the newest minute ended is final")
                << Rows{minute(0, 10), minute(1, 11), minute(2, 12), minute(3, 13), minute(4, 14)}
                << "1[+4:14/16/13/15/1 +3:13/15/12/14/1 +2:12/14/11/13/1 +1:11/13/10/12/1 +0:10/12/9/11/1] "
                   "5[+0:10/16/9/15/5] 10[+0:10/16/9/15/5*] 15[+0:10/16/9/15/5*] 30[+0:10/16/9/15/5*] "
                   "60[+0:10/16/9/15/5*]";
        QTest::newRow("only days") << Rows{day(0, 10), day(1, 20)} << "1440[+1440:20/22/19/21/5 +0:10/12/9/11/5]";
        kuCandleStore::Candle inverted = minute(1, 15);
        std::swap(inverted.high, inverted.low);
        kuCandleStore::Candle noPrice = minute(2, 15);
        noPrice.close = 0;
        kuCandleStore::Candle noTime = minute(3, 15);
        noTime.start = 0;
        QTest::newRow("minutes and days; impossible rows dropped")
                << Rows{minute(0, 10), inverted, noPrice, noTime, minute(60, 20), day(-1, 7)}
                << "1[+60:20/22/19/21/1 +0:10/12/9/11/1] 5[+60:20/22/19/21/1* +0:10/12/9/11/1] "
                   "10[+60:20/22/19/21/1* +0:10/12/9/11/1] 15[+60:20/22/19/21/1* +0:10/12/9/11/1] "
                   "30[+60:20/22/19/21/1* +0:10/12/9/11/1] 60[+60:20/22/19/21/1* +0:10/12/9/11/1] "
                   "1440[+-1440:7/9/6/8/5]";
        QTest::newRow("nothing") << Rows{} << "";
    }

    void grouping()
    {
        QFETCH(Rows, rows);
        QFETCH(QString, series);
        LogCapture log;
        const QVector<kuChartSeries> built = kuChartLoader::buildSeries(rows);
        QCOMPARE(text(built), series);
        for (const kuChartSeries& s : built)
            QCOMPARE(s.name, kuChartSeries::nameOf(s.timeFrame));
    }

    void names_data()
    {
        QTest::addColumn<int>("timeFrame");
        QTest::addColumn<QString>("name");
        QTest::newRow("1") << 1 << QStringLiteral("1 минута");
        QTest::newRow("60") << 60 << "час";
        QTest::newRow("90") << 90 << "месяц";
        QTest::newRow("1440") << 1440 << "день";
        QTest::newRow("10080") << 10080 << "неделя";
        QTest::newRow("other") << 7 << "";
    }

    void names()
    {
        QFETCH(int, timeFrame);
        QFETCH(QString, name);
        QCOMPARE(kuChartSeries::nameOf(timeFrame), name);
    }

    void hints_data()
    {
        QTest::addColumn<int>("timeFrame");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("hint");
        // Times at the exchange's UTC+3, whatever the machine's zone.
        QTest::newRow("minute") << 1 << 2
                                << "D: 2024-03-01 13:00:00  O: 12 345.50  C: 12 346.50  H: 12 347.50  L: 12 344.50";
        QTest::newRow("day") << 1440 << 0 << "D: 2024-03-01  O: 12 346  C: 12 347  H: 12 348  L: 12 345";
    }

    void hints()
    {
        QFETCH(int, timeFrame);
        QFETCH(int, decimals);
        QFETCH(QString, hint);
        kuChartCandle c;
        c.time = t0;
        c.open = 12345.5;
        c.close = 12346.5;
        c.high = 12347.5;
        c.low = 12344.5;
        QCOMPARE(candleHint(c, timeFrame, decimals), hint);
    }

    void liveCandleValues_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("valid");
        QTest::newRow("complete") << live(0, 10) << true;
        QTest::newRow("no close") << QByteArray(R"({"Open":1,"High":2,"Low":1,"Volume":1,"unixTime":1709287200})")
                                  << false;
        QTest::newRow("close as text")
                << QByteArray(R"({"Open":1,"High":2,"Low":1,"Close":"1","Volume":1,"unixTime":1709287200})") << false;
        QTest::newRow("high below low")
                << QByteArray(R"({"Open":1,"High":1,"Low":2,"Close":1,"Volume":1,"unixTime":1709287200})") << false;
        QTest::newRow("price 0") << QByteArray(
                                            R"({"Open":0,"High":2,"Low":1,"Close":1,"Volume":1,"unixTime":1709287200})")
                                 << false;
        QTest::newRow("time 0") << QByteArray(R"({"Open":1,"High":2,"Low":1,"Close":1,"Volume":1,"unixTime":0})")
                                << false;
        QTest::newRow("time before the epoch")
                << QByteArray(R"({"Open":1,"High":2,"Low":1,"Close":1,"Volume":1,"unixTime":-60})") << false;
        QTest::newRow("volume 0")
                << QByteArray(R"({"Open":1,"High":2,"Low":1,"Close":1,"Volume":0,"unixTime":1709287200.9})") << true;
    }

    void liveCandleValues()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, valid);
        bool ok = !valid;
        const kuChartCandle c = kuChartCandle::fromJson(QJsonDocument::fromJson(json).object(), &ok);
        QCOMPARE(ok, valid);
        if (valid)
            QCOMPARE(c.time, t0); // truncated toward zero
    }

    // The newest 18,000 minutes and every day; the oldest grouped bucket may be partial.
    void loadKeepsTheNewestMinutes()
    {
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(kuAccessDB::databasePath() + QLatin1String(suffix));
        kuCandleStore store;
        QVERIFY(store.createTables(5));
        Rows rows;
        for (int i = 0; i < kuCandleStore::loadedMinutes + 3; ++i)
            rows << minute(i, 100);
        rows << day(-2, 50) << day(-1, 60);
        QVERIFY(store.insert(5, rows));

        const kuChartLoad load = kuChartLoader::load(store, 5, 7);
        QCOMPARE(load.paperId, 5);
        QCOMPARE(load.generation, 7);
        QVERIFY(!load.failed);
        QCOMPARE(load.series.size(), 7);
        const kuChartSeries& minutes = load.series.first();
        QCOMPARE(minutes.candles.size(), kuCandleStore::loadedMinutes);
        QCOMPARE(minutes.candles.first().time, t0 + quint64(kuCandleStore::loadedMinutes + 2) * 60);
        QCOMPARE(minutes.candles.last().time, t0 + 3 * 60);
        // 60-minute buckets: the oldest holds minutes 3..59 only.
        const kuChartSeries& hours = load.series.at(5);
        QCOMPARE(hours.timeFrame, 60);
        QCOMPARE(hours.candles.last().time, t0);
        QCOMPARE(hours.candles.last().volume, 57.0);
        QCOMPARE(load.series.last().timeFrame, 1440);
        QCOMPARE(load.series.last().candles.size(), 2);

        LogCapture log;
        const kuChartLoad missing = kuChartLoader::load(store, 6, 1);
        QVERIFY(missing.failed);
        QVERIFY(missing.series.isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_ChartSeries)
#include "tst_chartseries.moc"
