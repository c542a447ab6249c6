#include "demosession.h"
#include "kuaccessdb.h"
#include "kucandlestore.h"
#include "kuchart.h"
#include "kuchartcore.h"
#include "kupaperlist.h"

#include <QGraphicsTextItem>
#include <QRegularExpression>
#include <QtTest>

namespace {

// A whole minute: 12:00 at the exchange.
const qint64 startMs = 1796806800000LL;
const quint64 startSeconds = quint64(startMs / 1000);

bool loaded(kuChart* chart)
{
    return QTest::qWaitFor([chart] { return !chart->isLoading() && chart->chartCore()->isChartReady(); }, 30000);
}

const kuChartCandle* head(kuChartCore* core, int timeFrame, int index = 0)
{
    const int i = core->indexOfTimeFrame(timeFrame);
    if (i < 0 || core->series(i)->candles.size() <= index)
        return nullptr;
    return &core->series(i)->candles.at(index);
}

QStringList candleRequests(kuDemoServer* server)
{
    return server->requests().filter(QStringLiteral("/kuGetCandles?"));
}

QString argument(const QString& request, const QString& name)
{
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("[?&]%1=([^&]*)").arg(name)).match(request);
    return m.captured(1);
}

} // namespace

// The chart as the terminal wires it: demo server, connection, converter and cache.
class tst_ChartDemo : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(kuAccessDB::databasePath() + QLatin1String(suffix));
    }

    void loadLiveAndResubscribe()
    {
        DemoSession demo;
        demo.options.startMs = startMs;
        demo.options.seed = 5;
        demo.options.sessionTimeoutMs = 7LL * 86400 * 1000; // the market steps over a day
        QVERIFY(demo.start());
        const int paper = demo.server()->market().instruments().first().id;
        const QString ticker = kuPaperList::instance()->ticker(paper);
        QVERIFY(!ticker.isEmpty());

        kuChart chart;
        chart.setPaper(paper);
        QVERIFY(loaded(&chart));
        kuChartCore* core = chart.chartCore();
        QCOMPARE(core->titleItem()->toPlainText(), ticker + QStringLiteral(" - 1 минута"));
        QCOMPARE(core->subtitleItem()->toPlainText(), kuPaperList::instance()->issuer(paper));
        QStringList frames;
        for (int i = 0; i < core->seriesCount(); ++i)
            frames << QString::number(core->series(i)->timeFrame);
        QCOMPARE(frames, QStringList({"1", "5", "10", "15", "30", "60", "1440"}));
        // Asked up to the server's clock, read at the exchange's UTC+3.
        QCOMPARE(candleRequests(demo.server()).size(), 1);
        QCOMPARE(argument(candleRequests(demo.server()).first(), "ED"), QString::number(startSeconds));
        // The history ends with the last closed minute; the forming one may follow at once.
        const int closed = head(core, 1)->provisional ? 1 : 0;
        QCOMPARE(head(core, 1, closed)->time, startSeconds - 60);
        QVERIFY(!head(core, 1, closed)->provisional);

        // A minute passes: the closed one and the forming one.
        demo.server()->step(60000);
        QTRY_VERIFY_WITH_TIMEOUT(head(core, 1)->time == startSeconds + 60 && head(core, 1)->provisional, 5000);
        QCOMPARE(head(core, 1, 1)->time, startSeconds);
        QVERIFY(!head(core, 1, 1)->provisional);
        QCOMPARE(core->closeSeries()->size(), core->candles().size());

        // The day ends at midnight of the exchange: its closed day candle.
        const quint64 dayStart = (startSeconds + 10800) / 86400 * 86400 - 10800;
        QVERIFY(head(core, 1440)->time < dayStart);
        demo.server()->step(qint64(dayStart + 86400 - startSeconds - 60) * 1000);
        QTRY_COMPARE_WITH_TIMEOUT(head(core, 1440)->time, dayStart, 5000);

        // A second chart asks from the newest stored minute.
        const quint64 newestStored = kuChart::candleStore()->newestTimes(paper).minute;
        QVERIFY(newestStored >= startSeconds - 60);
        kuChart second;
        second.setPaper(paper);
        QVERIFY(loaded(&second));
        QCOMPARE(candleRequests(demo.server()).size(), 2);
        QCOMPARE(argument(candleRequests(demo.server()).last(), "SD"), QString::number(newestStored));

        // Subscribed anew (the stream given back first, as a hand-over does): the chart asks
        // again and shows the newest candles of its time frame.
        core->setTimeFrame(5);
        chart.unsubscribe();
        chart.subscribe();
        QTRY_COMPARE_WITH_TIMEOUT(candleRequests(demo.server()).size(), 3, 5000);
        QVERIFY(QTest::qWaitFor([&] { return chart.isLoading(); }, 10000));
        QVERIFY(loaded(&chart));
        QCOMPARE(core->timeFrame(), 5);
        QCOMPARE(core->currentSeries()->firstVisible, 0);
        QVERIFY(head(core, 1)->time >= newestStored);

        // Closing both charts gives the stream back.
        chart.unsubscribe();
        second.unsubscribe();
        const QString unsubscribe = QStringLiteral("/kuUnsubscribe?");
        QTRY_VERIFY_WITH_TIMEOUT(!demo.server()->requests().filter(unsubscribe).isEmpty(), 5000);
        QVERIFY(demo.server()
                        ->requests()
                        .filter(unsubscribe)
                        .last()
                        .contains(QStringLiteral("WT=7&PID=%1").arg(paper)));
    }
};

QTEST_MAIN(tst_ChartDemo)
#include "tst_chartdemo.moc"
