#include "containerwidget.h"
#include "fakesession.h"
#include "kuchart.h"
#include "kuclient.h"
#include "kupaperlist.h"
#include "kutabwidget.h"
#include "kuworkspace.h"

#include <QJsonArray>
#include <QtTest>

// The chart window as the main window makes it: its instrument, title and
// stream, and the chart state of a saved layout kept until candles are shown.
class tst_Chart : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void madeByTheMainWindow();
    void savedStateRoundTrips_data();
    void savedStateRoundTrips();
    void cleanupTestCase();

private:
    FakeSession m_session;
    QPointer<kuClient> m_client;
};

void tst_Chart::initTestCase()
{
    kuPaperList::instance()->addPaper(5, QSharedPointer<kuPaperInfo>::create(5, "ABCD", "Issuer", 1, 1, 0.01, 0, 0, 0,
                                                                             true, "ABCD", "", 1, "MOEX"));
    m_client = kuClient::createInstance();
    QVERIFY(!kuClient::hasWindowMaker(wtChart));
    kuChart::registerWithClient();
    QVERIFY(kuClient::hasWindowMaker(wtChart));
}

void tst_Chart::madeByTheMainWindow()
{
    m_session.conn()->take();
    kuWorkSpace* ws = m_client->currentWorkSpace();
    m_client->createChart(5);
    const auto contents = ws->container()->contents();
    QCOMPARE(contents.size(), 1);
    auto* chart = qobject_cast<kuChart*>(contents.first()->contentWidget());
    QVERIFY(chart);
    QCOMPARE(chart->winType(), wtChart);
    QCOMPARE(chart->paperID(), 5);
    QCOMPARE(chart->windowTitle(), QStringLiteral("График Issuer"));
    QVERIFY(chart->isBusy()); // until its candles are loaded
    QCOMPARE(m_session.conn()->count("getCandles"), 1);

    // Closing gives back what it holds.
    ws->container()->hideSectionContent(contents.first());
    QCOMPARE(m_session.conn()->requests.last(), QString("unsubscribe 7 5"));
    m_session.conn()->take();
}

void tst_Chart::savedStateRoundTrips_data()
{
    QTest::addColumn<QJsonArray>("state");
    const QJsonObject indicator{{"name", "SMA"},
                                {"params", QJsonArray{QJsonObject{{"name", "period"}, {"value", 14}}}}};
    QTest::newRow("one group") << QJsonArray{
            QJsonObject{{"name", "chartSetting"}, {"label", ""}, {"params", QJsonArray{}}}};
    QTest::newRow("groups the base would drop")
            << QJsonArray{QJsonObject{{"name", "chartSetting"}, {"indicators", QJsonArray{indicator}}},
                          QJsonObject{{"name", "objects"}, {"lines", QJsonArray{1, 2, 3}}}};
}

// Restored and saved before any candle is shown: the same window object as in the layout.
void tst_Chart::savedStateRoundTrips()
{
    QFETCH(QJsonArray, state);
    const QJsonObject saved{{"winType", 7},
                            {"paperID", 5},
                            {"settings", state},
                            {"objectName", "{b3c1b6a4-0000-4000-8000-000000000007}"}};
    kuWorkSpace* ws = m_client->currentWorkSpace();
    m_client->addChartWindow(ws, 5, saved.value("objectName").toString(), saved);
    const QList<QJsonObject> states = ws->windowStates();
    QCOMPARE(states.size(), 1);
    QCOMPARE(states.first(), saved);

    auto* chart = qobject_cast<kuChart*>(ws->sectionContent(saved.value("objectName").toString())->contentWidget());
    chart->restoreSettings(QJsonObject());
    QCOMPARE(chart->saveSettings().value("settings").toArray(), state);
    ws->container()->hideSectionContent(ws->sectionContent(saved.value("objectName").toString()));
    QTRY_VERIFY(ws->container()->contents().isEmpty());
}

void tst_Chart::cleanupTestCase()
{
    delete m_client.data();
}

QTEST_MAIN(tst_Chart)
#include "tst_chart.moc"
