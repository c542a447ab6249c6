#include "../shell/testwindow.h"
#include "chartrows.h"
#include "fakesession.h"
#include "kuaccessdb.h"
#include "kuchart.h"
#include "kuchartcore.h"
#include "kupaperlist.h"
#include "logcapture.h"
#include "serverclock.h"

#include <QFile>
#include <QFutureWatcher>
#include <QGraphicsTextItem>
#include <QGraphicsView>
#include <QSignalSpy>
#include <QThreadPool>
#include <QtTest>

#include <ctime>
#include <memory>

using namespace chartrows;
using Rows = QVector<kuCandleStore::Candle>;

namespace {

// Each test takes an instrument of its own, so that cache rows never carry over.
int newPaper()
{
    static int next = 100;
    const int id = ++next;
    kuPaperList::instance()->addPaper(id, QSharedPointer<kuPaperInfo>::create(
                                                  id, QStringLiteral("T%1").arg(id),
                                                  QStringLiteral("Issuer %1").arg(id), 1, 1, 0.01, 0, 0, 0, true,
                                                  QStringLiteral("T%1").arg(id), QString(), 1, QStringLiteral("MOEX")));
    return id;
}

void fill(int paper, const Rows& rows)
{
    QVERIFY(kuChart::candleStore()->createTables(paper));
    QVERIFY(kuChart::candleStore()->insert(paper, rows));
}

// Three final minutes at +0, +1 and +2: the 5-minute bucket +0 is still forming.
const Rows threeMinutes{minute(0, 10), minute(1, 20), minute(2, 30), day(-1, 5)};

bool loaded(kuChart* chart)
{
    return QTest::qWaitFor([chart] { return !chart->isLoading() && chart->chartCore()->isChartReady(); }, 10000);
}

// A chart of the instrument whose cache holds the rows, loaded as the terminal loads it.
std::unique_ptr<kuChart> loadedChart(FakeSession& session, int paper, const Rows& rows = threeMinutes)
{
    fill(paper, rows);
    auto chart = std::make_unique<kuChart>();
    chart->setPaper(paper);
    session.converter()->snapshotChart(paper);
    if (!loaded(chart.get()))
        return nullptr;
    return chart;
}

bool liveConnected(FakeSession& session, kuChart* chart)
{
    return QObject::disconnect(session.converter(), &kuAbstractDataConverter::on_updateChart, chart,
                               &kuChart::slot_recevieLiveCandle);
}

QString seriesText(kuChart* chart, int timeFrame, int count = 3)
{
    kuChartCore* core = chart->chartCore();
    const int index = core->indexOfTimeFrame(timeFrame);
    return index < 0 ? QStringLiteral("none") : text(core->series(index)->candles, count);
}

} // namespace

class tst_ChartWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Cache rows of an earlier run would change the ranges asked for.
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(kuAccessDB::databasePath() + QLatin1String(suffix));
    }

    void requestRange_data()
    {
        QTest::addColumn<QByteArray>("tz");
        QTest::addColumn<quint64>("newestMinute");
        QTest::addColumn<quint64>("newestDay");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("minuteStart");
        QTest::addColumn<QString>("dailyStart");
        // Server clock 2024-03-31 12:00:00 at UTC+3 is 09:00 UTC, in every zone of the machine.
        QTest::newRow("empty tables, UTC")
                << QByteArray("UTC0") << quint64(0) << quint64(0) << QDate(2024, 3, 31) << "1709175600"
                << "1262304000";
        QTest::newRow("empty tables, UTC+10")
                << QByteArray("UTC-10") << quint64(0) << quint64(0) << QDate(2024, 3, 31) << "1709139600"
                << "1262304000";
        QTest::newRow("newest rows asked again")
                << QByteArray("UTC-10") << quint64(t0) << quint64(t0 - 86400 * 3) << QDate(2024, 3, 31) << "1709287200"
                << "1709028000";
    }

    // The minute start a month back at 03:00 of the machine's zone (the day clamped to
    // February's end); the end the server's wall clock at UTC+3.
    void requestRange()
    {
        QFETCH(QByteArray, tz);
        QFETCH(quint64, newestMinute);
        QFETCH(quint64, newestDay);
        QFETCH(QDate, date);
        QFETCH(QString, minuteStart);
        QFETCH(QString, dailyStart);
        const QByteArray before = qgetenv("TZ");
        qputenv("TZ", tz);
        tzset();
        const kuChart::CandleRange range = kuChart::candleRange(newestMinute, newestDay, date, QTime(12, 0, 0, 500));
        qputenv("TZ", before);
        tzset();
        QCOMPARE(range.minuteStart, minuteStart);
        QCOMPARE(range.dailyStart, dailyStart);
        QCOMPARE(range.end, QString("1711875600"));
    }

    // The window asks for what its cache lacks; a second chart asks from the newest stored rows.
    void request()
    {
        FakeSession session;
        session.conn()->session = "S1";
        QVERIFY(setServerDateTime(QDate(2024, 3, 31), QTime(12, 0)));
        const int paper = newPaper();
        kuChart first;
        first.setPaper(paper);
        QCOMPARE(first.windowTitle(), QStringLiteral("График Issuer %1").arg(paper));
        QCOMPARE(first.chartCore()->titleItem()->toPlainText(), QStringLiteral("T%1").arg(paper));
        const kuChart::CandleRange empty = kuChart::candleRange(0, 0, QDate(2024, 3, 31), QTime(12, 0));
        QCOMPARE(session.conn()->take(),
                 QStringList{
                         QStringLiteral("getCandles %1 %2 1711875600 1262304000").arg(paper).arg(empty.minuteStart)});
        QCOMPARE(kuChart::candleStore()->newestTimes(paper).minute, quint64(0)); // the tables exist

        fill(paper, threeMinutes);
        kuChart second;
        second.setPaper(paper);
        QCOMPARE(
                session.conn()->take(),
                QStringList{QStringLiteral("getCandles %1 %2 1711875600 %3").arg(paper).arg(t0 + 120).arg(t0 - 86400)});

        // An instrument the registry does not know is still asked for, without a title.
        LogCapture log;
        kuChart unknown;
        unknown.setPaper(999999);
        QCOMPARE(session.conn()->count("getCandles"), 1);
        QCOMPARE(unknown.windowTitle(), QString("kuChart"));
    }

    void loadShowsTheNewestCandles()
    {
        FakeSession session;
        const int paper = newPaper();
        fill(paper, threeMinutes);
        kuChart chart;
        QCOMPARE(chart.objectName(), QString("kuChart"));
        chart.resize(500, 300);
        chart.setPaper(paper);
        QVERIFY(chart.isBusy());
        QVERIFY(!chart.graphicsView()->isEnabled());
        session.converter()->snapshotChart(paper + 1); // another instrument's
        QVERIFY(!chart.isLoading());
        session.converter()->snapshotChart(paper);
        QVERIFY(chart.isLoading());
        QVERIFY(loaded(&chart));

        kuChartCore* core = chart.chartCore();
        QCOMPARE(core->timeFrame(), 1);
        QCOMPARE(core->seriesCount(), 7);
        QCOMPARE(text(core->candles()), QString("+2:30/32/29/31/1 +1:20/22/19/21/1 +0:10/12/9/11/1"));
        QCOMPARE(core->titleItem()->toPlainText(), QStringLiteral("T%1 - 1 минута").arg(paper));
        QCOMPARE(core->subtitleItem()->toPlainText(), QStringLiteral("Issuer %1").arg(paper));
        QCOMPARE(core->priceDecimals(), 2);
        QCOMPARE(core->closeSeries()->size(), 3);
        QVERIFY(!chart.isBusy());
        QVERIFY(chart.graphicsView()->isEnabled());
        QCOMPARE(chart.height(), 301);
        QVERIFY(liveConnected(session, &chart));
        // The snapshot is taken once: a later one starts no load.
        session.converter()->snapshotChart(paper);
        QVERIFY(!chart.isLoading());
    }

    // No rows: the error goes to the workspace, which closes the window; nothing live is connected.
    void failedLoad()
    {
        FakeSession session;
        const int paper = newPaper();
        kuChart chart;
        chart.setPaper(paper);
        QSignalSpy closing(&chart, &kuWindowBase::on_closeWindow);
        BoxAnswer answer(QMessageBox::Close);
        LogCapture log;
        session.converter()->snapshotChart(paper);
        QTRY_COMPARE(closing.count(), 1);
        QVERIFY(answer.asked);
        QVERIFY(!chart.graphicsView()->isEnabled());
        QVERIFY(!chart.chartCore()->isChartReady());
        QVERIFY(!liveConnected(session, &chart));
    }

    // A cache that SQLite finds corrupt as it is loaded is dropped and asked for again in
    // full; the chart then shows the server's candles, with no error.
    void damagedCacheIsRefilled()
    {
        FakeSession session;
        const int paper = newPaper();
        Rows older;
        for (int i = 0; i < 3000; ++i)
            older.append(minute(i - 3000, 10));
        {
            // A connection of its own, gone before the file is damaged.
            kuCandleStore store;
            QVERIFY(store.createTables(paper));
            QVERIFY(store.insert(paper, older));
        }
        kuAccessDB db;
        QCOMPARE(db.execute("pragma wal_checkpoint(truncate);").value(0), QVariant("0"));
        const int root =
                db.execute("select rootpage from sqlite_master where name=?1;", {kuCandleStore::tableName(paper)})
                        .value(0)
                        .toInt();
        {
            // An old page: the newest time still reads, the load does not.
            QFile file(kuAccessDB::databasePath());
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.seek(qint64(root + 1) * 4096));
            QVERIFY(file.write(QByteArray(4096, '\x5a')) == 4096);
        }

        kuChart chart;
        chart.setPaper(paper);
        QVERIFY(session.conn()->take().value(0).contains(QString::number(t0 - 60)));
        BoxAnswer answer(QMessageBox::Close);
        LogCapture log;
        session.converter()->snapshotChart(paper);
        QTRY_COMPARE(session.conn()->count("getCandles"), 1);
        QVERIFY(session.conn()->take().first().endsWith(QStringLiteral(" 1262304000")));
        QVERIFY(chart.isBusy());
        QVERIFY(log.contains("was damaged"));

        fill(paper, threeMinutes);
        session.converter()->snapshotChart(paper);
        QVERIFY(loaded(&chart));
        QCOMPARE(text(chart.chartCore()->candles()), QString("+2:30/32/29/31/1 +1:20/22/19/21/1 +0:10/12/9/11/1"));
        QVERIFY(!answer.asked);
        QVERIFY(liveConnected(session, &chart));
    }

    void liveCandles_data()
    {
        QTest::addColumn<QList<QByteArray>>("updates");
        QTest::addColumn<int>("timeFrame");
        QTest::addColumn<QString>("newest");
        QTest::addColumn<bool>("changed");
        using L = QList<QByteArray>;
        const QString start = "+2:30/32/29/31/1 +1:20/22/19/21/1 +0:10/12/9/11/1";
        QTest::newRow("closed, later than a final head")
                << L{update(1, {live(3, 40)})} << 1 << "+3:40/42/39/41/1 +2:30/32/29/31/1 +1:20/22/19/21/1" << true;
        QTest::newRow("closed, the time of a final head") << L{update(1, {live(2, 99)})} << 1 << start << true;
        QTest::newRow("closed, older") << L{update(1, {live(1, 99)})} << 1 << start << true;
        QTest::newRow("forming, later than a final head")
                << L{update(2, {live(3, 40)})} << 1 << "+3:40/42/39/41/1* +2:30/32/29/31/1 +1:20/22/19/21/1" << true;
        QTest::newRow("forming, the time of the head")
                << L{update(2, {live(2, 40)})} << 1 << "+2:40/42/39/41/1* +1:20/22/19/21/1 +0:10/12/9/11/1" << false;
        QTest::newRow("forming, older than the head") << L{update(2, {live(1, 40)})} << 1 << start << false;
        QTest::newRow("forming, then the next period, then its close")
                << L{update(2, {live(3, 40)}), update(2, {live(4, 50)}), update(1, {live(3, 45)})} << 1
                << "+4:50/52/49/51/1* +3:45/47/44/46/1 +2:30/32/29/31/1" << true;
        QTest::newRow("a forming head followed, then closed")
                << L{update(2, {live(3, 40)}), update(2, {live(3, 41)}), update(1, {live(3, 42), live(4, 50)})} << 1
                << "+4:50/52/49/51/1 +3:42/44/41/43/1 +2:30/32/29/31/1" << true;
        QTest::newRow("closed candle of a provisional grouped head")
                << L{update(1, {live(0, 60, 5, 3)})} << 5 << "+0:60/62/59/61/3" << false;
        QTest::newRow("closed candle after a provisional grouped head")
                << L{update(1, {live(5, 60, 5, 3)})} << 5 << "+5:60/62/59/61/3 +0:10/32/9/31/3*" << false;
        QTest::newRow("forming candle of a time frame not shown")
                << L{update(2, {live(5, 60, 5, 3)})} << 5 << "+0:10/32/9/31/3*" << false;
        QTest::newRow("closed day") << L{update(1, {live(0, 60, 1440, 3)})} << 1440
                                    << "+0:60/62/59/61/3 +-1440:5/7/4/6/5" << false;
        QTest::newRow("impossible candles")
                << L{update(1,
                            {R"({"Open":1,"High":0.5,"Low":1,"Close":1,"Volume":1,"unixTime":1709287400,"timeFrame":1})",
                             R"({"Open":1,"High":2,"Low":1,"Volume":1,"unixTime":1709287400,"timeFrame":1})",
                             R"({"Open":0,"High":2,"Low":1,"Close":1,"Volume":1,"unixTime":1709287400,"timeFrame":1})"}),
                     update(2, {R"({"Open":1,"High":2,"Low":1,"Close":1,"Volume":1,"unixTime":0,"timeFrame":1})"})}
                << 1 << start << true;
        QTest::newRow("another update type") << L{update(3, {live(3, 40)})} << 1 << start << false;
    }

    void liveCandles()
    {
        QFETCH(QList<QByteArray>, updates);
        QFETCH(int, timeFrame);
        QFETCH(QString, newest);
        QFETCH(bool, changed);
        FakeSession session;
        const int paper = newPaper();
        auto chart = loadedChart(session, paper);
        QVERIFY(chart);
        LogCapture log;
        bool anyChange = false;
        for (const QByteArray& json : updates)
            anyChange = chart->applyLiveCandles(CannedConverter::object(json)) || anyChange;
        QCOMPARE(seriesText(chart.get(), timeFrame), newest);
        QCOMPARE(anyChange, changed);
    }

    // Through the converter: another instrument's update and an empty one change nothing;
    // a refresh kept while redraws are suspended is not wiped by an update that changes nothing.
    void liveSignal()
    {
        FakeSession session;
        const int paper = newPaper();
        auto chart = loadedChart(session, paper);
        QVERIFY(chart);
        kuChartCore* core = chart->chartCore();
        session.converter()->updateChart(paper + 1, update(1, {live(3, 40)}));
        session.converter()->updateChart(paper, "{}");
        QCOMPARE(core->candles().size(), 3);
        session.converter()->updateChart(paper, update(1, {live(3, 40)}));
        QCOMPARE(core->candles().size(), 4);
        QCOMPARE(core->closeSeries()->size(), 4);

        core->setRedrawSuspended(true);
        core->setTimeFrame(5);
        QVERIFY(core->isSeriesChanged());
        session.converter()->updateChart(paper, update(2, {live(0, 11, 5, 3)}));
        QVERIFY(core->isSeriesChanged());
        core->setRedrawSuspended(false);
        core->redraw();
        QVERIFY(!core->isSeriesChanged());
        QCOMPARE(core->closeSeries()->size(), 1);
    }

    // However often it subscribes: one handler per signal, one load per snapshot.
    void uniqueConnections()
    {
        FakeSession session;
        session.conn()->session = "S1";
        const int paper = newPaper();
        fill(paper, threeMinutes);
        kuChart chart;
        chart.setPaper(paper);
        chart.subscribe();
        chart.subscribe();
        QCOMPARE(session.conn()->count("getCandles"), 3); // still waiting: asked again
        session.converter()->snapshotChart(paper);
        QCOMPARE(chart.findChildren<QFutureWatcherBase*>().size(), 1);
        QVERIFY(loaded(&chart));
        chart.subscribe(); // live on this session: nothing more
        QCOMPARE(session.conn()->count("getCandles"), 3);
        QVERIFY(liveConnected(session, &chart));
        QVERIFY(!liveConnected(session, &chart));
        QVERIFY(!QObject::disconnect(session.converter(), &kuAbstractDataConverter::on_snapshotChart, &chart,
                                     &kuChart::slot_snapshotChartData));
    }

    // A new session asks from the newest stored minute; its load replaces the series,
    // keeps the time frame and shows its newest candles; live candles of the load's time stay.
    void resubscription()
    {
        FakeSession session;
        session.conn()->session = "S1";
        const int paper = newPaper();
        auto chart = loadedChart(session, paper);
        QVERIFY(chart);
        kuChartCore* core = chart->chartCore();
        core->setTimeFrame(5);
        core->currentSeries()->firstVisible = 1;
        session.conn()->take();

        session.conn()->session = "S2";
        chart->subscribe();
        QCOMPARE(session.conn()->requests.size(), 1);
        QVERIFY(session.conn()->requests.first().startsWith(
                QStringLiteral("getCandles %1 %2 ").arg(paper).arg(t0 + 120)));
        fill(paper, {minute(2, 30), minute(3, 31), minute(4, 32), minute(5, 33), minute(6, 34)});
        session.converter()->snapshotChart(paper);
        QVERIFY(chart->isLoading());
        session.converter()->updateChart(paper, update(1, {live(7, 35)}));
        QVERIFY(loaded(chart.get()));
        QTRY_VERIFY(!chart->isLoading());
        QCOMPARE(core->timeFrame(), 5);
        QCOMPARE(core->currentSeries()->firstVisible, 0);
        QCOMPARE(core->seriesCount(), 7);
        QCOMPARE(seriesText(chart.get(), 1, 2), QString("+7:35/37/34/36/1 +6:34/36/33/35/1"));
        QCOMPARE(text(core->candles()), QString("+5:33/36/32/35/2* +0:10/34/9/33/5"));
        QVERIFY(liveConnected(session, chart.get()));
    }

    // Loads for another instrument, or older than the newest started, are dropped.
    void staleLoads()
    {
        FakeSession session;
        const int paper = newPaper();
        auto chart = loadedChart(session, paper);
        QVERIFY(chart);
        kuChartCore* core = chart->chartCore();
        kuChartLoad other;
        other.series = {kuChartSeries{0.0, {}, QStringLiteral("x"), 0, 1}};
        other.paperId = paper + 1;
        other.generation = 1;
        chart->slot_afterLoadDataFromDB(other);
        other.paperId = paper;
        other.generation = 0;
        chart->slot_afterLoadDataFromDB(other);
        QCOMPARE(core->seriesCount(), 7);
        QCOMPARE(core->candles().size(), 3);
        other.generation = 1;
        chart->slot_afterLoadDataFromDB(other);
        QCOMPARE(core->seriesCount(), 1);
    }

    // The load's job holds nothing of the window: closing it mid-load leaves the job to end alone.
    void closedMidLoad()
    {
        FakeSession session;
        const int paper = newPaper();
        Rows rows;
        for (int i = 0; i < 5000; ++i)
            rows << minute(i, 100 + i % 7);
        fill(paper, rows);
        for (int i = 0; i < 5; ++i) {
            auto* chart = new kuChart;
            chart->setPaper(paper);
            session.converter()->snapshotChart(paper);
            QVERIFY(chart->isLoading());
            delete chart;
        }
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }

    // The state saved with the layout: both descriptors and the objects; a kept state not
    // applied yet (no candles so far) is saved as it came.
    void savedState()
    {
        FakeSession session;
        const int paper = newPaper();
        const QJsonObject chartSetting{
                {"name", "chartSetting"},
                {"params", QJsonArray{QJsonObject{{"name", "chartStyle"}, {"value", 201}},
                                      QJsonObject{{"name", "timeFrame"}, {"value", 5}},
                                      QJsonObject{{"name", "backColor"}, {"value", "#000000"}}}}};
        const QJsonObject saved{{"winType", 7}, {"paperID", paper}, {"settings", QJsonArray{chartSetting}}};
        fill(paper, threeMinutes);
        kuChart chart;
        chart.setPaper(paper);
        chart.restoreSettings(QJsonObject());
        chart.restoreSettings(saved);
        QCOMPARE(chart.saveSettings(), saved);

        session.converter()->snapshotChart(paper);
        QVERIFY(loaded(&chart));
        kuChartCore* core = chart.chartCore();
        QCOMPARE(core->chartStyle(), 201);
        QCOMPARE(core->timeFrame(), 5);
        QCOMPARE(core->backColor(), QColor(Qt::black));
        const QJsonObject state = chart.saveSettings();
        QCOMPARE(state.value("winType"), QJsonValue(7));
        QCOMPARE(state.value("paperID"), QJsonValue(paper));
        const QJsonArray settings = state.value("settings").toArray();
        QCOMPARE(settings.size(), 2);
        QCOMPARE(settings.at(0).toObject(), core->settingsDescriptor());
        QCOMPARE(settings.at(1).toObject().value("name").toString(), QString("volumeSetting"));
        QCOMPARE(state.value("object"), QJsonValue(QJsonArray()));
    }

    void chartCoreOfNoWindow() { QVERIFY(!kuChart::chartCore(nullptr)); }
};

QTEST_MAIN(tst_ChartWindow)
#include "tst_chartwindow.moc"
