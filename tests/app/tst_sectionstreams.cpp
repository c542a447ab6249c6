#include "clienttestmain.h"
#include "containerwidget.h"
#include "demorequests.h"
#include "demosession.h"
#include "kuaccessdb.h"
#include "kuapplication.h"
#include "kuchart.h"
#include "kuchartcore.h"
#include "kuclient.h"
#include "kulasttrades.h"
#include "kulasttradesitem.h"
#include "kulasttradesmodel.h"
#include "kuorderbook.h"
#include "kuorderbookmodel.h"
#include "kuquotes.h"
#include "kuquotesitem.h"
#include "kuquotesmodel.h"
#include "kuworkspace.h"
#include "sectionwidget.h"

#include <QPointer>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

#include <functional>

namespace {

// Each row of a list window as one line; a window's rows are compared whole.
QStringList modelRows(const QAbstractItemModel* model)
{
    QStringList rows;
    for (int r = 0; r < model->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < model->columnCount(); ++c)
            cells << model->index(r, c).data().toString();
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

QStringList column(const QAbstractItemModel* model, int col, int role = Qt::DisplayRole)
{
    QStringList values;
    for (int r = 0; r < model->rowCount(); ++r)
        values << model->index(r, col).data(role).toString();
    return values;
}

// The newest candles of the chart's time frame, with the forming one.
QStringList candleRows(kuChart* chart)
{
    QStringList rows;
    const QVector<kuChartCandle>& candles = chart->chartCore()->candles();
    for (int i = 0; i < qMin(5, candles.size()); ++i)
        rows << QStringLiteral("%1|%2|%3").arg(candles.at(i).time).arg(candles.at(i).close).arg(candles.at(i).volume);
    return rows;
}

QStringList candleTimes(kuChart* chart)
{
    QStringList times;
    for (const kuChartCandle& candle : chart->chartCore()->candles())
        times << QString::number(candle.time);
    return times;
}

// How a kind of stream window is opened, shown, and read.
struct Kind
{
    WinType type;
    const char* snapshotSignal;
    // The script of the window's data request.
    QString request;
    // Opens the window as the menus do; returns it.
    std::function<kuWindowBase*(kuClient*, const QList<int>&)> open;
    // Brings a closed section back as the program does.
    std::function<kuWindowBase*(kuClient*, const QList<int>&)> showAgain;
    std::function<bool(kuWindowBase*)> ready;
    std::function<QStringList(kuWindowBase*)> rows;
    // One value per row that no two rows share.
    std::function<QStringList(kuWindowBase*)> keys;
};

kuWindowBase* newestWindow(kuClient* client)
{
    const QList<ads::SectionContent::RefPtr> contents = client->currentWorkSpace()->container()->contents();
    kuWindowBase* newest = nullptr;
    int uid = -1;
    for (const ads::SectionContent::RefPtr& sc : contents) {
        auto* window = qobject_cast<kuWindowBase*>(sc->contentWidget());
        if (window && sc->visibilityState() == ads::SectionContent::Visible && sc->uid() > uid) {
            newest = window;
            uid = sc->uid();
        }
    }
    return newest;
}

// A window per instrument, made by the main window's command for it.
std::function<kuWindowBase*(kuClient*, const QList<int>&)> opensWith(void (kuClient::*create)(int))
{
    return [create](kuClient* client, const QList<int>& papers) {
        (client->*create)(papers.first());
        return newestWindow(client);
    };
}

Kind kindOf(WinType type)
{
    Kind kind{type, nullptr, QString(), nullptr, nullptr, nullptr, nullptr, nullptr};
    auto notBusy = [](kuWindowBase* w) { return !w->isBusy(); };
    switch (type) {
    case wtQuotes:
        kind.snapshotSignal = SIGNAL(on_snapshotQuotes(int, QJsonObject));
        kind.request = QStringLiteral("kuGetQuotes");
        kind.open = [](kuClient* client, const QList<int>& papers) {
            client->slot_createQuotes();
            auto* quotes = qobject_cast<kuQuotes*>(client->quotesWindow());
            for (int paper : papers)
                quotes->subscribe(paper);
            return quotes;
        };
        // The menu entry shows the single window docked before.
        kind.showAgain = [](kuClient* client, const QList<int>&) {
            client->slot_createQuotes();
            return client->quotesWindow();
        };
        kind.ready = [](kuWindowBase*) { return true; };
        kind.rows = [](kuWindowBase* w) { return modelRows(qobject_cast<kuQuotes*>(w)->model()); };
        kind.keys = [](kuWindowBase* w) {
            return column(qobject_cast<kuQuotes*>(w)->model(), kuQuotesItem::colTicker);
        };
        break;
    case wtOrderBook:
        kind.snapshotSignal = SIGNAL(on_snapshotOrderBook(int, QJsonArray));
        kind.request = QStringLiteral("kuGetOrderBook");
        kind.open = opensWith(&kuClient::createOrderBook);
        kind.ready = notBusy;
        kind.rows = [](kuWindowBase* w) { return modelRows(qobject_cast<kuOrderBook*>(w)->model()); };
        kind.keys = [](kuWindowBase* w) {
            return column(qobject_cast<kuOrderBook*>(w)->model(), 3, kuOrderBookModel::PriceRole);
        };
        break;
    case wtLastTrades:
        kind.snapshotSignal = SIGNAL(on_snapshotLastTrades(int, QJsonArray));
        kind.request = QStringLiteral("kuLastTrades");
        kind.open = opensWith(&kuClient::createLastTrades);
        kind.ready = notBusy;
        kind.rows = [](kuWindowBase* w) { return modelRows(qobject_cast<kuLastTrades*>(w)->model()); };
        kind.keys = [](kuWindowBase* w) {
            return column(qobject_cast<kuLastTrades*>(w)->model(), kuLastTradesItem::colDealID);
        };
        break;
    default:
        kind.snapshotSignal = SIGNAL(on_snapshotChart(int, QVariant));
        kind.request = QStringLiteral("kuGetCandles");
        kind.open = opensWith(&kuClient::createChart);
        kind.ready = [](kuWindowBase* w) {
            auto* chart = qobject_cast<kuChart*>(w);
            return !chart->isLoading() && chart->chartCore()->isChartReady();
        };
        kind.rows = [](kuWindowBase* w) { return candleRows(qobject_cast<kuChart*>(w)); };
        kind.keys = [](kuWindowBase* w) { return candleTimes(qobject_cast<kuChart*>(w)); };
        break;
    }
    // A window that goes with its section comes back as a new one from the same menu entry.
    if (!kind.showAgain)
        kind.showAgain = kind.open;
    return kind;
}

// The section that shows the window, with the window's tab made current as a click on it does.
ads::SectionWidget* sectionShowing(QWidget* window)
{
    for (QWidget* w = window; w; w = w->parentWidget()) {
        auto* section = qobject_cast<ads::SectionWidget*>(w);
        if (!section)
            continue;
        const QList<ads::SectionContent::RefPtr> contents = section->contents();
        for (int i = 0; i < contents.size(); ++i) {
            if (contents.at(i)->contentWidget() == window)
                section->setCurrentIndex(i);
        }
        return section;
    }
    return nullptr;
}

} // namespace

// The stream windows in the main window on a demo server: a section the user
// closes gives its streams back, and the window shown again is live.
class tst_SectionStreams : public QObject
{
    Q_OBJECT

    DemoSession m_demo;
    QPointer<kuClient> m_client;
    QList<int> m_papers;

private slots:
    void initTestCase()
    {
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(kuAccessDB::databasePath() + QLatin1String(suffix));
        m_demo.options.seed = 3;
        m_demo.options.startMs = 1796806800000LL;
        QVERIFY(m_demo.start());
        for (const kuDemoInstrument& instrument : m_demo.server()->market().instruments()) {
            if (instrument.type == 1 && m_papers.size() < 2)
                m_papers << instrument.id;
        }
        QCOMPARE(m_papers.size(), 2);
        kuQuotes::registerWithClient();
        kuOrderBook::registerWithClient();
        kuLastTrades::registerWithClient();
        kuChart::registerWithClient();
        m_client = kuClient::createInstance();
        m_client->setCloseWaitMs(0);
        m_client->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_client));
        QTRY_VERIFY(m_client->currentWorkSpace());
    }

    void closeAndShowAgain_data()
    {
        QTest::addColumn<int>("type");
        QTest::newRow("quotes") << int(wtQuotes);
        QTest::newRow("order book") << int(wtOrderBook);
        QTest::newRow("last trades") << int(wtLastTrades);
        QTest::newRow("chart") << int(wtChart);
    }

    void closeAndShowAgain()
    {
        QFETCH(int, type);
        const Kind kind = kindOf(WinType(type));
        kuDemoServer* server = m_demo.server();
        const QList<int> papers = type == wtQuotes ? m_papers : m_papers.mid(0, 1);

        std::unique_ptr<QSignalSpy> snapshots =
                std::make_unique<QSignalSpy>(m_demo.converter().data(), kind.snapshotSignal);
        QPointer<kuWindowBase> window = kind.open(m_client, papers);
        QVERIFY(window);
        QTRY_VERIFY_WITH_TIMEOUT(snapshots->count() >= papers.size() && kind.ready(window), 15000);
        const int rowsBefore = kind.rows(window).size();
        QVERIFY(rowsBefore > 0);

        // The user closes the section: one unsubscribe per stream.
        server->clearRequests();
        ads::SectionWidget* section = sectionShowing(window);
        QVERIFY(section);
        auto* close = section->findChild<QToolButton*>(QStringLiteral("closeButton"));
        QVERIFY(close);
        close->click();
        const QStringList unsubscribed = server->requests().filter(QStringLiteral("/kuUnsubscribe?"));
        QCOMPARE(unsubscribed.size(), papers.size());
        for (int paper : papers)
            QCOMPARE(unsubscribed.filter(QRegularExpression(QStringLiteral("&WT=%1&PID=%2$").arg(type).arg(paper)))
                             .size(),
                     1);

        // Shown again: asked for anew and live, with the rows it had.
        server->clearRequests();
        snapshots = std::make_unique<QSignalSpy>(m_demo.converter().data(), kind.snapshotSignal);
        window = kind.showAgain(m_client, papers);
        QVERIFY(window);
        QTRY_VERIFY_WITH_TIMEOUT(snapshots->count() >= papers.size() && kind.ready(window), 15000);
        QCoreApplication::processEvents();
        const QStringList asked = server->requests().filter(QStringLiteral("/%1?").arg(kind.request));
        QCOMPARE(asked.size(), papers.size());
        for (int paper : papers)
            QCOMPARE(asked.filter(QRegularExpression(QStringLiteral("[?&]PID=%1(&|$)").arg(paper))).size(), 1);
        const QStringList shown = kind.rows(window);
        auto moved = [&] {
            server->step(1000);
            return kind.rows(window) != shown;
        };
        QTRY_VERIFY_WITH_TIMEOUT(moved(), 15000);
        const QStringList keys = kind.keys(window);
        QCOMPARE(QSet<QString>(keys.cbegin(), keys.cend()).size(), keys.size());
        if (type == wtQuotes)
            QCOMPARE(keys.size(), rowsBefore);
    }

    void cleanupTestCase()
    {
        delete m_client.data();
        m_demo.stop();
    }
};

int main(int argc, char** argv)
{
    return runClientTest<tst_SectionStreams>(argc, argv);
}

#include "tst_sectionstreams.moc"
