#include "../common/logcapture.h"
#include "dcmessagepack.h"
#include "demorequests.h"
#include "kuconnectionwiring.h"
#include "kudemoserver.h"
#include "kumainconn.h"
#include "kumsgpackcheck.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <memory>
#include <optional>

namespace {

// Nothing polls unless a case asks; every time-out short.
kuConnTimings shortTimings()
{
    kuConnTimings t;
    t.marketPollMs = t.updatesPollMs = t.timePollMs = 3600000;
    t.pollTimeoutMs = 300;
    t.requestTimeoutMs = 600;
    t.dataTimeoutMs = 600;
    t.probeCount = 3;
    return t;
}

} // namespace

// The connection against a server that answers badly, wired to the converter
// as the terminal wires them: it stays alive, bounded and honest about health.
class tst_HostileServer : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<kuDemoServer> m_server;
    std::unique_ptr<dcMessagePack> m_converter;
    std::optional<LogCapture> m_log;

    std::unique_ptr<kuMainConn> connection(const kuConnTimings& timings)
    {
        auto conn = std::make_unique<kuMainConn>(m_server->baseUrl());
        conn->setTimings(timings);
        m_converter = std::make_unique<dcMessagePack>();
        // As the terminal wires them, acknowledgement of decoded updates included.
        wireConnection(conn.get(), m_converter.get());
        return conn;
    }

    std::unique_ptr<kuMainConn> loggedIn(const kuConnTimings& timings)
    {
        auto conn = connection(timings);
        QSignalSpy list(conn.get(), &kuAbstractConn::on_receivedTradeData);
        QSignalSpy time(conn.get(), &kuAbstractConn::on_receivedDateTime);
        conn->authorize(QStringLiteral("DEMO"), QStringLiteral("demo"), QStringLiteral("1.6.3"),
                        QStringLiteral("Linux"));
        [&] {
            QTRY_VERIFY_WITH_TIMEOUT(!conn->sessionId().isEmpty() && list.count() == 1 && time.count() == 1, 10000);
        }();
        // The snapshots that follow a login are answered before a case begins.
        [&] { QVERIFY(m_converter->waitForDone(10000)); }();
        return conn;
    }

private slots:
    void initTestCase()
    {
        m_log.emplace(std::initializer_list<QtMsgType>{QtCriticalMsg, QtFatalMsg});
        kuDemoServer::Options options;
        options.dataDir = m_dir.path();
        options.startMs = 1796806800000LL;
        options.tickMs = 50;
        m_server = std::make_unique<kuDemoServer>(options);
        QVERIFY2(m_server->start({0}), qPrintable(m_server->errorString()));
    }

    void init()
    {
        m_log->clear();
        m_server->setHostile(kuDemoHostile::None);
        m_server->clearRequests();
    }

    void cleanup()
    {
        m_server->setHostile(kuDemoHostile::None);
        for (const QString& s :
             {QStringLiteral("kuMarketDataUpdate"), QStringLiteral("kuGetUpdates"), QStringLiteral("kuGetDateTime"),
              QStringLiteral("kuGetInitInfo"), QStringLiteral("kuAuthorized"), QStringLiteral("kuOrderManager")})
            m_server->setHostile(kuDemoHostile::None, s);
    }

    void cleanupTestCase() { m_log.reset(); }

    // A body counts only when it came whole, within the reader's limit, in time.
    void bodies_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("delivered");
        QTest::addColumn<QString>("logged");
        QTest::addColumn<int>("timeoutMs"); // long where only the limit may stop the reply
        const QString canceled = QStringLiteral("OperationCanceledError");
        QTest::newRow("gzip") << int(kuDemoHostile::Gzip) << true << QString() << 20000;
        QTest::newRow("gzip bomb") << int(kuDemoHostile::GzipBomb) << false << QStringLiteral("body larger than")
                                   << 20000;
        QTest::newRow("oversized") << int(kuDemoHostile::Oversized) << false << QStringLiteral("larger than") << 20000;
        QTest::newRow("cut off") << int(kuDemoHostile::CutOff) << false << QStringLiteral("network error") << 20000;
        QTest::newRow("slow") << int(kuDemoHostile::Slow) << false << canceled << 1000;
        QTest::newRow("hang") << int(kuDemoHostile::Hang) << false << canceled << 1000;
    }

    void bodies()
    {
        QFETCH(int, mode);
        QFETCH(bool, delivered);
        QFETCH(QString, logged);
        QFETCH(int, timeoutMs);
        kuConnTimings timings = shortTimings();
        timings.dataTimeoutMs = timeoutMs;
        auto conn = loggedIn(timings);
        const qint64 bomb = qint64(64) * 1024 * 1024;
        kuDemoHostile::gzipBomb(bomb); // made once, before the clock runs
        m_server->setOversizedBytes(kuMsgPackCheck::maxHexBytes + 100);
        m_server->setBombBytes(bomb);
        m_server->setSlowBodyMs(4000);
        // Every attempt: the network layer may retry a request whose connection closed.
        m_server->setHostile(kuDemoHostile::Mode(mode), QStringLiteral("kuGetInitInfo"));
        QSignalSpy data(conn.get(), &kuAbstractConn::on_receivedTradeData);
        conn->getInitInfo();
        QVERIFY(data.wait(30000));
        const QByteArray body = data.first().first().toByteArray();
        QCOMPARE(!body.isEmpty(), delivered);
        if (delivered)
            QVERIFY(kuMsgPackCheck::isDataReply(body));
        else
            QVERIFY2(m_log->contains(logged), qPrintable(m_log->lines().join('\n')));
    }

    // Each request that cannot succeed fails on its time-out, reported as the failure of that request.
    void everyRequestTimesOut()
    {
        auto conn = loggedIn(shortTimings());
        m_server->setHostile(kuDemoHostile::Hang);
        QSignalSpy errors(m_converter.get(), &kuAbstractDataConverter::on_receviedError);
        QSignalSpy outcomes(m_converter.get(), &kuAbstractDataConverter::on_orderOutcome);
        QSignalSpy trade(conn.get(), &kuAbstractConn::on_receivedTradeData);
        QSignalSpy market(conn.get(), &kuAbstractConn::on_receivedMarketData);
        QSignalSpy additional(conn.get(), &kuAbstractConn::on_receivedAdditionalData);
        QSignalSpy time(conn.get(), &kuAbstractConn::on_receivedDateTime);
        QSignalSpy orders(conn.get(), &kuAbstractConn::on_receivedOrderStatus);
        QSignalSpy login(conn.get(), &kuAbstractConn::on_receivedAuthorizedData);
        QElapsedTimer clock;
        clock.start();
        conn->getInitInfo();
        conn->getPortfolio();
        conn->getOrders();
        conn->getTrades();
        conn->getCandles(1, QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"));
        conn->getOrderBook(1);
        conn->getLastTrades(1);
        conn->getQuotes(1);
        conn->getReportData(1, QStringLiteral("2026-12-01"), QStringLiteral("2026-12-09"), QStringLiteral("A"));
        conn->getPluginList(QStringLiteral("linux"), QStringLiteral("x86_64"));
        conn->getDateTime();
        conn->newOrder(QJsonObject{{"paperID", 1}, {"partID", "A"}, {"amount", 1}, {"price", 1.0}});
        kuMainConn fresh(m_server->baseUrl());
        fresh.setTimings(shortTimings());
        connect(&fresh, &kuAbstractConn::on_receivedAuthorizedData, m_converter.get(),
                &kuAbstractDataConverter::slot_authorizedData);
        QSignalSpy freshLogin(&fresh, &kuAbstractConn::on_receivedAuthorizedData);
        fresh.authorize(QStringLiteral("DEMO"), QStringLiteral("demo"), QStringLiteral("1.6.3"), QStringLiteral("L"));
        QTRY_VERIFY_WITH_TIMEOUT(trade.count() == 4 && market.count() == 4 && additional.count() == 2 &&
                                         time.count() == 1 && orders.count() == 1 && freshLogin.count() == 1,
                                 5000);
        QVERIFY(clock.elapsed() < 3000);
        for (const QSignalSpy* spy : {&trade, &market, &additional, &time, &orders, &freshLogin}) {
            for (const QList<QVariant>& args : *spy)
                QVERIFY(args.first().toByteArray().isEmpty());
        }
        // The login form and the order window hear of it.
        QVERIFY(m_converter->waitForDone(5000));
        bool loginError = false;
        for (const QList<QVariant>& e : qAsConst(errors)) {
            loginError |= e.at(0).toInt() == 1000 && e.at(2).toInt() == 7 &&
                          e.at(1).toString() == dcMessagePack::serverErrorText(9);
        }
        QVERIFY(loginError);
        QCOMPARE(outcomes.count(), 1);
        QCOMPARE(outcomes.first().at(1).toInt(), int(kuAbstractDataConverter::ooNoReply));
        QVERIFY(fresh.sessionId().isEmpty());

        // The blocking requests return on their time-out too.
        clock.restart();
        conn->requestLastPrice(1);
        conn->unsubscribe(wtQuotes, 77);
        QVERIFY(clock.elapsed() < 2 * shortTimings().requestTimeoutMs + 500);
        QVERIFY(m_server->hungRequests() >= 15);
        QCOMPARE(login.count(), 0);
    }

    // The instrument list times out: the user is told, and the list is asked for again once
    // a poll has an answer; only that one reaches the windows.
    void listAskedAgainAfterTimeOut()
    {
        kuConnTimings timings = shortTimings();
        timings.updatesPollMs = 200;
        auto conn = connection(timings);
        m_server->setHostile(kuDemoHostile::Hang, QStringLiteral("kuGetInitInfo"), 1);
        QSignalSpy messages(m_converter.get(), &dcMessagePack::on_errorMessage);
        QSignalSpy papers(m_converter.get(), &kuAbstractDataConverter::on_snapshotPapers);
        connect(m_converter.get(), &kuAbstractDataConverter::on_snapshotPapers, this,
                [&messages] { QCOMPARE(messages.count(), 1); });
        conn->authorize(QStringLiteral("DEMO"), QStringLiteral("demo"), QStringLiteral("1.6.3"),
                        QStringLiteral("Linux"));
        QTRY_COMPARE_WITH_TIMEOUT(papers.count(), 1, 10000);
        QVERIFY(messages.first().first().toString().startsWith(QStringLiteral("Список инструментов не получен")));
        QCOMPARE(m_server->requests().filter(QStringLiteral("kuGetInitInfo")).size(), 2);
        QVERIFY(m_log->contains(QStringLiteral("Request of stream 1001 failed")));
        QVERIFY(m_log->contains(QStringLiteral("The instrument list is asked for again")));
        disconnect(m_converter.get(), &kuAbstractDataConverter::on_snapshotPapers, this, nullptr);
    }

    // Replies far faster than they can be decoded: no poll of a kind goes out
    // while its last reply waits, so the queue holds one reply at most.
    void decodingQueueStaysBounded()
    {
        kuConnTimings timings = shortTimings();
        timings.marketPollMs = 5;
        timings.pollTimeoutMs = 5000;
        auto conn = loggedIn(timings);
        const int replyBytes = 4 * 1024 * 1024;
        m_server->setOversizedBytes(replyBytes);
        m_server->setHostile(kuDemoHostile::Oversized, QStringLiteral("kuMarketDataUpdate"));
        std::atomic<int> decoded{0};
        connect(
                m_converter.get(), &dcMessagePack::on_updatesDecoded, this, [&] { ++decoded; }, Qt::DirectConnection);
        int polls = 0;
        int early = 0;
        connect(m_server.get(), &kuDemoServer::requestReceived, this, [&](const QString& target) {
            if (script(target) != QLatin1String("kuMarketDataUpdate"))
                return;
            // The previous reply must have been decoded before this poll went out.
            early += decoded.load() < polls ? 1 : 0;
            ++polls;
        });
        QTRY_VERIFY_WITH_TIMEOUT(polls >= 6, 30000);
        m_server->disconnect(this);
        conn->stopUpdater();
        QCOMPARE(early, 0);
        QVERIFY(m_converter->mostQueuedBytes() <= replyBytes + 64);
        QVERIFY(m_converter->mostQueuedBytes() <= dcMessagePack::maxQueuedBytes);
        QVERIFY(m_converter->waitForDone(10000));
        QCOMPARE(m_converter->queuedBytes(), 0);
    }

    // Polls that come back but do not decode are no health: the status goes
    // red; a probe the server can answer restores it once, and a run that again
    // never decodes hands the connection over instead of flapping.
    void undecodablePollsHandOver()
    {
        kuConnTimings timings = shortTimings();
        timings.marketPollMs = 10;
        timings.maxFailedPolls = 3;
        timings.requestTimeoutMs = 200;
        auto conn = loggedIn(timings);
        QSignalSpy statuses(conn.get(), &kuAbstractConn::on_connStatusChange);
        QSignalSpy broken(conn.get(), &kuAbstractConn::on_brokenConnection);
        // Hex digits that never form one value.
        m_server->setBombBytes(1000);
        m_server->setHostile(kuDemoHostile::GzipBomb, QStringLiteral("kuMarketDataUpdate"));
        QVERIFY(broken.wait(10000));
        QCOMPARE(statuses.count(), 3);
        QCOMPARE(statuses.at(0).first().toBool(), false);
        QCOMPARE(statuses.at(1).first().toBool(), true);
        QCOMPARE(statuses.at(2).first().toBool(), false);
        QVERIFY(!conn->isPolling());
        QVERIFY(!conn->isReconnecting());
    }

    // A server slower than a poll may take (but within a request's time) fails
    // the probes alike: red, then the hand-over, never green again.
    void slowServerHandsOver()
    {
        kuConnTimings timings = shortTimings();
        timings.marketPollMs = 10;
        timings.maxFailedPolls = 2;
        timings.pollTimeoutMs = 200;
        timings.requestTimeoutMs = 600;
        auto conn = loggedIn(timings);
        QSignalSpy statuses(conn.get(), &kuAbstractConn::on_connStatusChange);
        QSignalSpy broken(conn.get(), &kuAbstractConn::on_brokenConnection);
        m_server->setSlowBodyMs(400);
        m_server->setHostile(kuDemoHostile::Slow);
        QVERIFY(broken.wait(10000));
        QCOMPARE(statuses.count(), 1);
        QCOMPARE(statuses.first().first().toBool(), false);
    }

    // A login reply with nil for a session is no login.
    void loginWithoutSession()
    {
        auto conn = connection(shortTimings());
        QSignalSpy errors(m_converter.get(), &kuAbstractDataConverter::on_receviedError);
        QSignalSpy statuses(conn.get(), &kuAbstractConn::on_connStatusChange);
        m_server->setHostile(kuDemoHostile::NoSession, QStringLiteral("kuAuthorized"), 1);
        conn->authorize(QStringLiteral("DEMO"), QStringLiteral("demo"), QStringLiteral("1.6.3"), QStringLiteral("L"));
        QTRY_VERIFY_WITH_TIMEOUT(!errors.isEmpty(), 5000);
        QCOMPARE(errors.first().at(0).toInt(), 1000);
        QCOMPARE(errors.first().at(1).toString(), dcMessagePack::serverErrorText(9));
        QCOMPARE(errors.first().at(2).toInt(), 7);
        QVERIFY(conn->sessionId().isEmpty());
        QVERIFY(!conn->isPolling());
        QCOMPARE(statuses.count(), 0);
        // Nor does a session that is a number reach the connection.
        conn->statusAuthorization({QVariant(42)});
        QVERIFY(conn->sessionId().isEmpty());
        QVERIFY(!conn->isPolling());
    }

    // Failed polls and orders are logged without the session, the server's
    // bytes quoted, and the same failure once, then counted.
    void logsMaskSessionsAndRepeats()
    {
        kuConnTimings timings = shortTimings();
        timings.marketPollMs = 10;
        timings.maxFailedPolls = 1000;
        auto conn = loggedIn(timings);
        const QString session = conn->sessionId();
        m_server->setBombBytes(1000);
        m_server->setHostile(kuDemoHostile::GzipBomb, QStringLiteral("kuMarketDataUpdate"));
        QTRY_VERIFY_WITH_TIMEOUT(countOf(m_server->requests(), "kuMarketDataUpdate") >= 20, 10000);
        conn->newOrder(QJsonObject{{"paperID", 1}, {"partID", "A"}, {"amount", 1}, {"price", 1.0}});
        QTRY_VERIFY(m_log->contains(QStringLiteral("kuOrderManager")));
        conn->stopUpdater();
        const QStringList lines = m_log->lines();
        for (const QString& line : lines) {
            QVERIFY2(!line.contains(session), qPrintable(line));
            QVERIFY2(!line.contains(QStringLiteral("PW=demo")), qPrintable(line));
        }
        QVERIFY(m_log->contains(QStringLiteral("ID=***")));
        QVERIFY(m_log->contains(QStringLiteral("Body: \"000000")));
        QCOMPARE(lines.filter(QStringLiteral("Connection error:")).size(), 1);
        QVERIFY(lines.filter(QStringLiteral("Unreadable reply:")).size() <= 1);
    }
};

QTEST_GUILESS_MAIN(tst_HostileServer)
#include "tst_hostileserver.moc"
