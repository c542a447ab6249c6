// Orders, trades, positions and order book windows whose snapshot did not come: they say so in
// place of their rows, ask again once the server answers, and show the rows that then come.
#include "dcmessagepack.h"
#include "demorequests.h"
#include "demosession.h"
#include "fakesession.h"
#include "kucheckcombobox.h"
#include "kuorderbook.h"
#include "kuorderbookmodel.h"
#include "kuorders.h"
#include "kuordersmodel.h"
#include "kuportfolio.h"
#include "kuportfoliomodel.h"
#include "kutrades.h"
#include "kutradesmodel.h"
#include "orderbookfixture.h"

#include <QtTest>

#include <algorithm>
#include <functional>
#include <memory>

namespace {

using Session = BasicFakeSession<dcMessagePack>;

// One kind of window under test and how its stream looks.
struct Kind
{
    WinType winType;
    QString script;  // the demo server's request
    QString request; // as the recording connection notes it
    QString text;    // said in place of the rows
    std::function<kuWindowBase*()> make;
    std::function<int(kuWindowBase*)> rows;
    std::function<void(dcMessagePack*)> snapshot;
};

// The rows under the account rows of an account window's tree.
int accountRows(const QAbstractItemModel* model)
{
    int n = 0;
    for (int top = 0; top < model->rowCount(); ++top)
        n += model->rowCount(model->index(top, 0));
    return n;
}

Kind kind(const QString& name, int bookPaper = paper::share)
{
    const QString again = QStringLiteral("\nЗапрос повторится, когда сервер снова ответит.");
    if (name == "orders")
        return {wtOrders,
                "kuGetOrders",
                "getOrders",
                "Не удалось загрузить поручения." + again,
                [] { return new kuOrders; },
                [](kuWindowBase* w) { return accountRows(static_cast<kuOrders*>(w)->model()); },
                [](dcMessagePack* c) {
                    emit c->on_snapshotOrders(QJsonObject{
                            {"ACC1", QJsonArray{QJsonObject{{"order_id", 1}, {"paper_id", 301}, {"status", 1}}}}});
                }};
    if (name == "trades")
        return {wtTrades,
                "kuGetTrades",
                "getTrades",
                "Не удалось загрузить сделки." + again,
                [] { return new kuTrades; },
                [](kuWindowBase* w) { return accountRows(static_cast<kuTrades*>(w)->model()); },
                [](dcMessagePack* c) {
                    emit c->on_snapshotTrades(QJsonObject{
                            {"ACC1", QJsonArray{QJsonObject{{"trade_id", 1}, {"paper_id", 301}, {"amount", 10}}}}});
                }};
    if (name == "positions")
        return {wtPortfolio,
                "kuGetPortfolio",
                "getPortfolio",
                "Не удалось загрузить состояние счета." + again,
                [] { return new kuPortfolio; },
                [](kuWindowBase* w) { return accountRows(static_cast<kuPortfolio*>(w)->model()); },
                [](dcMessagePack* c) {
                    emit c->on_snapshotPositions(QJsonObject{
                            {"ACC1",
                             QJsonObject{{"position", QJsonArray{QJsonObject{{"paper_id", 301}, {"amount", 10}}}}}}});
                }};
    return {wtOrderBook,
            "kuGetOrderBook",
            QStringLiteral("getOrderBook %1").arg(bookPaper),
            "Не удалось загрузить стакан." + again,
            [bookPaper] {
                auto* book = new kuOrderBook;
                book->setPaper(bookPaper);
                return book;
            },
            [](kuWindowBase* w) { return static_cast<kuOrderBook*>(w)->model()->rowCount(); },
            [bookPaper](dcMessagePack* c) {
                emit c->on_snapshotOrderBook(bookPaper,
                                             QJsonArray{QJsonObject{{"action", 1}, {"amount", 10}, {"price", 100.5}},
                                                        QJsonObject{{"action", 2}, {"amount", 5}, {"price", 101.0}}});
            }};
}

void kinds()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("orders") << "orders";
    QTest::newRow("trades") << "trades";
    QTest::newRow("positions") << "positions";
    QTest::newRow("order book") << "order book";
}

// What the window shows right after the converter told it of a failure.
struct Seen
{
    bool busy = true;
    QString text;
    int rows = -1;
};

// The snapshot requests asked for since the last call (the positions' last prices left out).
QStringList asked(RecordingConn* conn)
{
    QStringList requests = conn->take();
    requests.erase(std::remove_if(requests.begin(), requests.end(),
                                  [](const QString& r) { return r.startsWith(QLatin1String("requestLastPrice")); }),
                   requests.end());
    return requests;
}

} // namespace

class tst_FailedSnapshots : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        addTestPapers();
        addTestAccounts();
        kuAccount::instance()->addAccount("ACC2", false, 2, {1});
    }

    void cleanup() { kuWindowBase::setRetryPauses(2000, 60000); }

    void askedAgain_data() { kinds(); }

    // The failure stands in place of the rows until a poll shows the server answering;
    // then the window asks once and shows what comes. Stale rows never pass for current.
    void askedAgain()
    {
        QFETCH(QString, name);
        const Kind k = kind(name);
        Session session;
        session.conn()->session = "S1";
        dcMessagePack* converter = session.converter();
        std::unique_ptr<kuWindowBase> window(k.make());
        QCOMPARE(asked(session.conn()), QStringList{k.request});
        auto* accounts = window->findChild<kuCheckComboBox*>("comboBoxAccount");
        if (accounts)
            accounts->setCheckedItems({"ACC2"});

        // Another stream's or another instrument's failure is not this window's.
        emit converter->on_snapshotFailed(k.winType == wtTrades ? wtOrders : wtTrades, 0);
        emit converter->on_snapshotFailed(k.winType, k.winType == wtOrderBook ? paper::bond : 7);
        QVERIFY(window->isBusy());
        QCOMPARE(window->failedText(), QString());

        emit converter->on_snapshotFailed(k.winType, k.winType == wtOrderBook ? int(paper::share) : 0);
        QVERIFY(!window->isBusy());
        QVERIFY(window->snapshotFailed());
        QCOMPARE(window->failedText(), k.text);
        QCOMPARE(k.rows(window.get()), 0);
        QCOMPARE(asked(session.conn()), QStringList());

        emit converter->on_snapshotsWanted();
        QCOMPARE(asked(session.conn()), QStringList{k.request});
        QVERIFY(window->isBusy());
        QCOMPARE(window->failedText(), QString());
        // Asked again, the account box keeps the user's checks.
        if (accounts)
            QCOMPARE(accounts->checkedItems(), QStringList{"ACC2"});
        // Only a failure is asked again.
        emit converter->on_snapshotsWanted();
        QCOMPARE(asked(session.conn()), QStringList());

        k.snapshot(converter);
        QVERIFY(!window->isBusy());
        QVERIFY(!window->snapshotFailed());
        QCOMPARE(window->failedText(), QString());
        QVERIFY(k.rows(window.get()) > 0);

        // After a reconnection the new snapshot fails: the rows of the old session go.
        session.conn()->session = "S2";
        window->subscribe();
        QCOMPARE(asked(session.conn()), QStringList{k.request});
        emit converter->on_snapshotFailed(k.winType, k.winType == wtOrderBook ? int(paper::share) : 0);
        QCOMPARE(window->failedText(), k.text);
        QCOMPARE(k.rows(window.get()), 0);
        emit converter->on_snapshotsWanted();
        QCOMPARE(asked(session.conn()), QStringList{k.request});
        k.snapshot(converter);
        QVERIFY(k.rows(window.get()) > 0);
    }

    void retryPauses_data()
    {
        QTest::addColumn<int>("failures");
        QTest::addColumn<int>("pause");
        QTest::newRow("first") << 1 << 0;
        QTest::newRow("second") << 2 << 100;
        QTest::newRow("third") << 3 << 200;
        QTest::newRow("fifth") << 5 << 800;
        QTest::newRow("capped") << 6 << 1000;
        QTest::newRow("many") << 100000 << 1000;
    }

    void retryPauses()
    {
        QFETCH(int, failures);
        QFETCH(int, pause);
        kuWindowBase::setRetryPauses(100, 1000);
        QCOMPARE(kuWindowBase::retryPause(failures), pause);
    }

    void slowerAfterFailuresInRow_data() { kinds(); }

    // A server that keeps failing one request is asked less and less often, and a window
    // closed in the meantime asks nothing more.
    void slowerAfterFailuresInRow()
    {
        QFETCH(QString, name);
        const Kind k = kind(name);
        kuWindowBase::setRetryPauses(50, 50);
        Session session;
        session.conn()->session = "S1";
        dcMessagePack* converter = session.converter();
        std::unique_ptr<kuWindowBase> window(k.make());
        asked(session.conn());
        const int paperID = k.winType == wtOrderBook ? int(paper::share) : 0;
        emit converter->on_snapshotFailed(k.winType, paperID);
        emit converter->on_snapshotsWanted();
        QCOMPARE(asked(session.conn()), QStringList{k.request});
        emit converter->on_snapshotFailed(k.winType, paperID);
        emit converter->on_snapshotsWanted();
        QCOMPARE(asked(session.conn()), QStringList());
        QVERIFY(window->retryPending());
        QCOMPARE(window->failedText(), k.text);
        QTRY_COMPARE(session.conn()->count(k.request.section(' ', 0, 0)), 1);
        QCOMPARE(asked(session.conn()), QStringList{k.request});

        emit converter->on_snapshotFailed(k.winType, paperID);
        emit converter->on_snapshotsWanted();
        QVERIFY(window->retryPending());
        // Closed: nothing more is asked.
        window->disconnectAll();
        window->unsubscribe();
        QVERIFY(!window->retryPending());
        emit converter->on_snapshotsWanted();
        QVERIFY(!window->retryPending());
        QCOMPARE(asked(session.conn()).filter("get"), QStringList());
    }

    // A book dropped on while it says its snapshot failed asks for the new instrument at once.
    void droppedInstrumentAsksAtOnce()
    {
        Session session;
        session.conn()->session = "S1";
        kuOrderBook book;
        book.setPaper(paper::share);
        emit session.converter()->on_snapshotFailed(wtOrderBook, paper::share);
        QVERIFY(!book.failedText().isEmpty());
        asked(session.conn());
        book.slot_reloadOrderBook(paper::bond);
        QCOMPARE(asked(session.conn()), (QStringList{"unsubscribe 10 301", "getOrderBook 302"}));
        QVERIFY(book.isBusy());
        QCOMPARE(book.failedText(), QString());
        emit session.converter()->on_snapshotsWanted();
        QCOMPARE(asked(session.conn()), QStringList());
    }

    void serverFailures_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("hang");
        for (const char* name : {"orders", "trades", "positions", "order book"}) {
            QTest::newRow(qPrintable(QStringLiteral("%1, failed").arg(name))) << name << false;
            QTest::newRow(qPrintable(QStringLiteral("%1, timed out").arg(name))) << name << true;
        }
    }

    // As the terminal wires it: the server fails one request (an error status, or no answer
    // until the request times out), the window says so, and the rows come once it answers.
    void serverFailures()
    {
        QFETCH(QString, name);
        QFETCH(bool, hang);
        DemoSession demo;
        demo.options.seed = 5;
        demo.connTimings = "dataTimeoutMs=1500";
        QVERIFY(demo.start());
        int share = 0;
        for (const kuDemoInstrument& instrument : demo.server()->market().instruments()) {
            if (instrument.type == 1 && !share)
                share = instrument.id;
        }
        const Kind k = kind(name, share);
        if (hang)
            demo.server()->setHostile(kuDemoHostile::Hang, k.script, 1);
        else
            demo.server()->setReplyStatus(500, k.script, 1);

        auto* converter = qobject_cast<dcMessagePack*>(demo.converter().data());
        QVERIFY(converter);
        std::unique_ptr<kuWindowBase> window(k.make());
        Seen seen;
        connect(converter, &dcMessagePack::on_snapshotFailed, window.get(), [&] {
            seen = Seen{window->isBusy(), window->failedText(), k.rows(window.get())};
        });
        QTRY_VERIFY_WITH_TIMEOUT(seen.rows >= 0, 10000);
        QVERIFY(!seen.busy);
        QCOMPARE(seen.text, k.text);
        QCOMPARE(seen.rows, 0);

        QTRY_VERIFY_WITH_TIMEOUT(k.rows(window.get()) > 0, 10000);
        QVERIFY(!window->isBusy());
        QCOMPARE(window->failedText(), QString());
        QCOMPARE(countOf(demo.server()->requests(), k.script), 2);
        window->disconnectAll();
        window->unsubscribe();
    }
};

QTEST_MAIN(tst_FailedSnapshots)
#include "tst_failedsnapshots.moc"
