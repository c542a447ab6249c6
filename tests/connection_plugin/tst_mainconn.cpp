#include "dcmessagepack.h"
#include "demorequests.h"
#include "kuconnectionwiring.h"
#include "kudemoserver.h"
#include "kumainconn.h"
#include "logcapture.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>
#include <optional>

namespace {

kuConnTimings quietTimings()
{
    kuConnTimings t;
    t.marketPollMs = t.updatesPollMs = t.timePollMs = 3600000;
    t.pollTimeoutMs = t.requestTimeoutMs = 3000;
    return t;
}

// Market polls only, every 10 ms, so that polls follow one another strictly.
kuConnTimings marketOnlyTimings()
{
    kuConnTimings t = quietTimings();
    t.marketPollMs = 10;
    return t;
}

// Probes that fail at once wait out their slot: keep the slots short.
kuConnTimings probingTimings()
{
    kuConnTimings t = marketOnlyTimings();
    t.requestTimeoutMs = 1000;
    return t;
}

QString koi8Hash(const QString& account)
{
    return QString::fromLatin1(
            QCryptographicHash::hash(QTextCodec::codecForName("KOI8-R")->fromUnicode(account), QCryptographicHash::Sha1)
                    .toHex());
}

const QString account = QStringLiteral("Счёт-1");

} // namespace

class tst_MainConn : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<kuDemoServer> m_server;
    std::unique_ptr<dcMessagePack> m_converter;
    std::unique_ptr<kuMainConn> m_urlConn;
    int m_paper = 0;
    std::optional<LogCapture> m_log;

    bool logged(const QString& part) const { return m_log->contains(part); }

    std::unique_ptr<kuMainConn> loggedIn(const kuConnTimings& timings)
    {
        auto conn = std::make_unique<kuMainConn>(m_server->baseUrl());
        conn->setTimings(timings);
        m_converter = std::make_unique<dcMessagePack>();
        kuMainConn* c = conn.get();
        wireConnection(c, m_converter.get());
        m_server->clearRequests();
        c->authorize(QStringLiteral("DEMO"), QStringLiteral("demo"), QStringLiteral("1.6.3"), QStringLiteral("Linux"));
        // Logged in once the requests that follow the login have arrived.
        [&] {
            QTRY_VERIFY_WITH_TIMEOUT(!c->sessionId().isEmpty() && countOf(m_server->requests(), "kuGetInitInfo") == 1 &&
                                             countOf(m_server->requests(), "kuGetDateTime") == 1,
                                     10000);
        }();
        return conn;
    }

private slots:
    void initTestCase()
    {
        m_log.emplace(std::initializer_list<QtMsgType>{QtInfoMsg, QtWarningMsg, QtCriticalMsg, QtFatalMsg});
        kuDemoServer::Options options;
        options.dataDir = m_dir.path();
        options.startMs = 1796806800000LL;
        options.tickMs = 50;
        m_server = std::make_unique<kuDemoServer>(options);
        QVERIFY2(m_server->start({0}), qPrintable(m_server->errorString()));
        m_paper = m_server->market().instruments().first().id;
    }

    void init()
    {
        m_log->clear();
        if (!m_server->isListening())
            QVERIFY(m_server->restartListening());
        m_server->disconnect(this);
        m_server->setReplyStatus(0);
        m_server->setReplyDelay(0);
        m_server->setSessionTimeout(30 * 60 * 1000);
        m_server->clearRequests();
    }

    void cleanupTestCase()
    {
        m_urlConn.reset();
        m_log.reset();
    }

    // Every request as the server receives it; an order whose precondition
    // fails sends nothing. {S} stands for the session, {P} for the paper.
    void requestUrls_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QJsonObject>("order");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("code");

        const QString h = koi8Hash(account);
        const QJsonObject order{{"paperID", 5}, {"partID", account}, {"action", 1},  {"amount", 10},
                                {"price", 100}, {"isMarket", 0},     {"ordTime", 2}, {"execFlag", 3}};
        QJsonObject modify = order;
        modify.insert("orderID", 42);
        modify.insert("price", 123.45);
        QJsonObject stop{{"paperID", 5},      {"partID", account},    {"action", -1},   {"amount", 3}, {"fcond", 1},
                         {"ifPrice1", 101.5}, {"stopPrice1", 102.25}, {"isMarket1", 1}, {"scond", 0},  {"execFlag", 0}};
        QJsonObject modifyStop = stop;
        modifyStop.insert("orderID", 43);
        auto without = [](QJsonObject o, const char* key) {
            o.remove(key);
            return o;
        };
        auto with = [](QJsonObject o, const char* key, const QJsonValue& v) {
            o.insert(key, v);
            return o;
        };
        const QString om = "/kuOrderManager?ID={S}&TYPE=";

        QTest::newRow("login")
                << "authorize" << QJsonObject()
                << "/kuAuthorized?ID=%C8%E2%E0%ED&PW=p%26s%23w%2Bd%252&VER=1.6.3&OS=Debian%2012%20%28x86_64%29" << 0;
        QTest::newRow("init info") << "getInitInfo" << QJsonObject() << "/kuGetInitInfo?ID={S}" << 0;
        QTest::newRow("candles") << "getCandles" << QJsonObject()
                                 << "/kuGetCandles?ID={S}&PID={P}&SD=1796700000&ED=1796806800&SDD=1796690000&TYPE=1"
                                 << 0;
        QTest::newRow("order book") << "getOrderBook" << QJsonObject() << "/kuGetOrderBook?ID={S}&PID={P}" << 0;
        QTest::newRow("last trades") << "getLastTrades" << QJsonObject() << "/kuLastTrades?ID={S}&PID={P}" << 0;
        QTest::newRow("quotes") << "getQuotes" << QJsonObject() << "/kuGetQuotes?ID={S}&PID={P}" << 0;
        QTest::newRow("date time") << "getDateTime" << QJsonObject() << "/kuGetDateTime?ID={S}" << 0;
        QTest::newRow("portfolio") << "getPortfolio" << QJsonObject() << "/kuGetPortfolio?ID={S}" << 0;
        QTest::newRow("orders") << "getOrders" << QJsonObject() << "/kuGetOrders?ID={S}" << 0;
        QTest::newRow("trades") << "getTrades" << QJsonObject() << "/kuGetTrades?ID={S}" << 0;
        QTest::newRow("report") << "getReportData" << QJsonObject()
                                << "/kuGetReportData?ID={S}&TYPE=2&SDATE=01.12.2026&EDATE=09.12.2026&ACC=" + h << 0;
        QTest::newRow("plug-in list") << "getPluginList" << QJsonObject()
                                      << "/kuGetPluginList?ID={S}&OS=Debian%2012&ARCH=x86_64&V=10603000" << 0;
        QTest::newRow("unsubscribe, never subscribed")
                << "unsubscribe" << QJsonObject() << "/kuUnsubscribe?ID={S}&WT=1&PID=77" << 0;
        QTest::newRow("last price") << "requestLastPrice" << QJsonObject() << "/kuLastPrice?ID={S}&PID={P}" << 0;
        QTest::newRow("logout") << "unAuthorize" << QJsonObject() << "/kuUnAuthorized?ID={S}" << 0;

        QTest::newRow("new order") << "newOrder" << order
                                   << om + "1001&ACC=" + h + "&PID=5&ACT=1&QUANT=10&IM=0&PRICE=100.000000&TIME=2&EF=3"
                                   << 1001;
        QTest::newRow("modify order") << "modifyOrder" << modify
                                      << om + "1002&ACC=" + h +
                                                 "&PID=5&ACT=1&QUANT=10&IM=0&PRICE=123.450000&TIME=2&EF=3&OID=42"
                                      << 1002;
        QTest::newRow("cancel order") << "cancelOrder" << QJsonObject{{"orderID", 42}} << om + "1003&OID=42" << 1003;
        QTest::newRow("new stop order") << "newStopOrder" << stop
                                        << om + "1010&ACC=" + h +
                                                   "&PID=5&ACT=-1&QUANT=3&FC=1&P1=101.500000&P2=102.250000&M1=1&SC=0&"
                                                   "P3=0.000000&P4=0.000000&M2=0&EF=0"
                                        << 1010;
        QTest::newRow("modify stop order, second condition only")
                << "modifyStopOrder" << with(with(modifyStop, "fcond", 0), "scond", 2)
                << om + "1011&ACC=" + h +
                           "&PID=5&ACT=-1&QUANT=3&FC=0&P1=101.500000&P2=102.250000&M1=1&SC=2&P3=0.000000&P4=0.000000&"
                           "M2=0&EF=0&OID=43"
                << 1011;
        QTest::newRow("cancel stop order")
                << "cancelStopOrder" << QJsonObject{{"orderID", 43}} << om + "1012&OID=43" << 1012;

        QTest::newRow("empty order") << "newOrder" << QJsonObject() << "" << 0;
        QTest::newRow("order without account") << "newOrder" << without(order, "partID") << "" << 0;
        QTest::newRow("order with empty account") << "newOrder" << with(order, "partID", "") << "" << 0;
        QTest::newRow("order without paper") << "newOrder" << without(order, "paperID") << "" << 0;
        QTest::newRow("order for paper 0") << "newOrder" << with(order, "paperID", 0) << "" << 0;
        QTest::newRow("modify with order id 0") << "modifyOrder" << with(modify, "orderID", 0) << "" << 0;
        QTest::newRow("modify without order id") << "modifyOrder" << order << "" << 0;
        QTest::newRow("cancel without order id") << "cancelOrder" << QJsonObject{{"paperID", 5}} << "" << 0;
        QTest::newRow("cancel empty") << "cancelStopOrder" << QJsonObject() << "" << 0;
        QTest::newRow("stop without conditions") << "newStopOrder" << with(stop, "fcond", 0) << "" << 0;
        QTest::newRow("stop without account") << "newStopOrder" << without(stop, "partID") << "" << 0;
        QTest::newRow("modify stop without order id") << "modifyStopOrder" << stop << "" << 0;
    }

    void requestUrls()
    {
        QFETCH(QString, operation);
        QFETCH(QJsonObject, order);
        QFETCH(QString, expected);
        QFETCH(int, code);
        if (!m_urlConn)
            m_urlConn = loggedIn(quietTimings());
        m_server->clearRequests();
        kuMainConn& conn = *m_urlConn;
        const QString session = conn.sessionId();
        const int p = m_paper;
        const QMap<QString, std::function<void()>> calls{
                {"authorize", [&] { conn.authorize("Иван", "p&s#w+d%2", "1.6.3", "Debian 12 (x86_64)"); }},
                {"getInitInfo", [&] { conn.getInitInfo(); }},
                {"getCandles", [&] { conn.getCandles(p, "1796700000", "1796806800", "1796690000"); }},
                {"getOrderBook", [&] { conn.getOrderBook(p); }},
                {"getLastTrades", [&] { conn.getLastTrades(p); }},
                {"getQuotes", [&] { conn.getQuotes(p); }},
                {"getDateTime", [&] { conn.getDateTime(); }},
                {"getPortfolio", [&] { conn.getPortfolio(); }},
                {"getOrders", [&] { conn.getOrders(); }},
                {"getTrades", [&] { conn.getTrades(); }},
                {"getReportData", [&] { conn.getReportData(2, "01.12.2026", "09.12.2026", account); }},
                {"getPluginList", [&] { conn.getPluginList("Debian 12", "x86_64"); }},
                {"unsubscribe", [&] { conn.unsubscribe(wtQuotes, 77); }},
                {"requestLastPrice", [&] { conn.requestLastPrice(p); }},
                {"unAuthorize", [&] { QCOMPARE(conn.unAuthorize("Unknown"), 0); }},
                {"newOrder", [&] { conn.newOrder(order); }},
                {"modifyOrder", [&] { conn.modifyOrder(order); }},
                {"cancelOrder", [&] { conn.cancelOrder(order); }},
                {"newStopOrder", [&] { conn.newStopOrder(order); }},
                {"modifyStopOrder", [&] { conn.modifyStopOrder(order); }},
                {"cancelStopOrder", [&] { conn.cancelStopOrder(order); }},
        };
        QVERIFY(calls.contains(operation));
        QSignalSpy statuses(&conn, &kuAbstractConn::on_receivedOrderStatus);
        calls.value(operation)();

        if (expected.isEmpty()) {
            // The next request is the first the server sees.
            conn.requestLastPrice(p);
            QTRY_COMPARE(m_server->requests().size(), 1);
            QCOMPARE(script(m_server->requests().first()), QStringLiteral("kuLastPrice"));
            QCOMPARE(statuses.count(), 0);
        } else {
            QTRY_COMPARE(m_server->requests().size(), 1);
            QString want = QLatin1String(kuDemoServer::basePath) + expected;
            want.replace("{S}", session).replace("{P}", QString::number(p));
            QCOMPARE(m_server->requests().first(), want);
        }
        if (code != 0) {
            // The request kind travels back with a copy of the caller's order.
            QVERIFY(statuses.count() == 1 || statuses.wait(5000));
            QJsonObject back = statuses.first().at(1).toJsonObject();
            QCOMPARE(back.take("type").toInt(), code);
            QCOMPARE(back, order);
        }
        QVERIFY(!logged("p&s#w") && !logged("p%26s"));
        if (operation == QLatin1String("unAuthorize"))
            m_urlConn.reset();
    }

    // Every reply adds a subscription entry, also a failed one; the server is
    // told only when the last entry of a stream goes.
    void subscriptionCounting_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("winType");
        QTest::newRow("order book") << 0 << int(wtOrderBook);
        QTest::newRow("404 replies") << 404 << int(wtQuotes);
    }

    void subscriptionCounting()
    {
        QFETCH(int, status);
        QFETCH(int, winType);
        auto conn = loggedIn(quietTimings());
        m_server->setReplyStatus(status);
        QSignalSpy replies(conn.get(), &kuAbstractConn::on_receivedMarketData);
        for (int i = 0; i < 2; ++i)
            winType == wtOrderBook ? conn->getOrderBook(m_paper) : conn->getQuotes(m_paper);
        QTRY_COMPARE(replies.count(), 2);
        for (const QList<QVariant>& reply : qAsConst(replies)) {
            QCOMPARE(reply.at(0).toByteArray().isEmpty(), status == 404);
            QCOMPARE(reply.at(1).toInt(), m_paper);
            QCOMPARE(reply.at(2).value<WinType>(), WinType(winType));
        }
        m_server->setReplyStatus(0);
        m_server->clearRequests();

        conn->unsubscribe(WinType(winType), m_paper);
        conn->requestLastPrice(m_paper);
        QTRY_COMPARE(m_server->requests().size(), 1);
        QCOMPARE(script(m_server->requests().first()), QStringLiteral("kuLastPrice"));

        conn->unsubscribe(WinType(winType), m_paper);
        QCOMPARE(m_server->requests().size(), 2);
        QCOMPARE(script(m_server->requests().last()), QStringLiteral("kuUnsubscribe"));
        QVERIFY(m_server->requests().last().contains(QStringLiteral("&WT=%1&PID=%2").arg(winType).arg(m_paper)));
    }

    // Redirects are followed up to three times; a longer chain gives an empty body.
    void redirects_data()
    {
        QTest::addColumn<int>("hops");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("one") << 1 << QByteArray("c0ffee");
        QTest::newRow("three") << 3 << QByteArray("c0ffee");
        QTest::newRow("four") << 4 << QByteArray();
    }

    void redirects()
    {
        QFETCH(int, hops);
        QFETCH(QByteArray, body);
        // Plain HTTP on loopback: "/hop/N/..." redirects to "/hop/N-1/...", "/hop/0/..." answers.
        QTcpServer web;
        QVERIFY(web.listen(QHostAddress::LocalHost));
        connect(&web, &QTcpServer::newConnection, &web, [&web] {
            while (QTcpSocket* socket = web.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                    const QByteArray head = socket->readAll();
                    const QList<QByteArray> path = head.split(' ').value(1).split('/');
                    const int left = path.value(2).toInt();
                    QByteArray answer;
                    if (left > 0) {
                        QList<QByteArray> next = path;
                        next[2] = QByteArray::number(left - 1);
                        answer = "HTTP/1.1 302 Found\r\nLocation: " + next.join('/') + "\r\nContent-Length: 0\r\n\r\n";
                    } else {
                        answer = "HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\nc0ffee";
                    }
                    socket->write(answer);
                });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        kuMainConn conn(QStringLiteral("http://127.0.0.1:%1/hop/%2").arg(web.serverPort()).arg(hops));
        QSignalSpy replies(&conn, &kuAbstractConn::on_receivedDateTime);
        conn.getDateTime();
        QVERIFY(replies.wait(5000));
        QCOMPARE(replies.first().first().toByteArray(), body);
    }

    // After login: the instrument list and the server time are asked for, both
    // polls run and their updates reach the converter.
    void pollingAfterLogin()
    {
        kuConnTimings timings = quietTimings();
        timings.marketPollMs = 20;
        timings.updatesPollMs = 30;
        auto conn = loggedIn(timings);
        QSignalSpy quotes(m_converter.get(), &kuAbstractDataConverter::on_updateQuotes);
        conn->getQuotes(m_paper);
        QTRY_VERIFY_WITH_TIMEOUT(quotes.count() > 0, 10000);
        QCOMPARE(quotes.first().first().toInt(), m_paper);
        const QStringList seen = m_server->requests();
        QCOMPARE(countOf(seen, "kuGetInitInfo"), 1);
        QCOMPARE(countOf(seen, "kuGetDateTime"), 1);
        QVERIFY(countOf(seen, "kuMarketDataUpdate") > 0);
        QTRY_VERIFY(countOf(m_server->requests(), "kuGetUpdates") > 0);
        QVERIFY(conn->isPolling());
    }

    // 8 failed polls and a success keep the thread; the 9th failure in a row
    // ends it. Probes follow; one that succeeds, even the 7th, restores polling.
    void failedPollsAndProbes()
    {
        auto conn = loggedIn(probingTimings());
        QSignalSpy statuses(conn.get(), &kuAbstractConn::on_connStatusChange);
        QSignalSpy broken(conn.get(), &kuAbstractConn::on_brokenConnection);
        enum
        {
            Pattern,
            FailAll,
            Healthy
        } phase = Pattern;
        int polls = 0;
        int probes = 0;
        connect(m_server.get(), &kuDemoServer::requestReceived, this, [&](const QString& target) {
            bool fail = false;
            if (script(target) == QLatin1String("kuMarketDataUpdate")) {
                ++polls;
                fail = phase == Pattern ? polls % 9 != 0 : phase == FailAll;
                if (phase == Pattern && polls == 36)
                    phase = FailAll;
            } else if (script(target) == QLatin1String("kuGetDateTime") && phase == FailAll) {
                fail = ++probes < 7;
                if (!fail)
                    phase = Healthy;
            }
            m_server->setReplyStatus(fail ? 500 : 0);
        });

        QTRY_VERIFY_WITH_TIMEOUT(!statuses.isEmpty(), 20000);
        QCOMPARE(statuses.first().first().toBool(), false);
        QCOMPARE(polls, 45);
        QVERIFY(logged("Соединение с сервером разорвано"));

        QTRY_COMPARE_WITH_TIMEOUT(statuses.count(), 2, 20000);
        QCOMPARE(statuses.last().first().toBool(), true);
        QCOMPARE(probes, 7);
        QVERIFY(logged("Соединение с сервером восстановлено"));
        QTRY_VERIFY(polls > 50);
        QVERIFY(conn->isPolling());
        QCOMPARE(broken.count(), 0);
        QCOMPARE(statuses.count(), 2);
    }

    // A closed session answers with the server's error map: that is no healthy
    // poll, and no successful probe either.
    void closedSessionBreaksTheConnection()
    {
        auto conn = loggedIn(probingTimings());
        QSignalSpy broken(conn.get(), &kuAbstractConn::on_brokenConnection);
        QSignalSpy errors(m_converter.get(), &kuAbstractDataConverter::on_receviedError);
        m_server->clearRequests();
        m_server->setSessionTimeout(-1);
        QVERIFY(broken.wait(20000));
        const QStringList seen = m_server->requests();
        QCOMPARE(countOf(seen, "kuMarketDataUpdate"), 9);
        QCOMPARE(countOf(seen, "kuGetDateTime"), 7);
        QVERIFY(!conn->isPolling());
        QVERIFY(!conn->isReconnecting());
        QTRY_VERIFY(!errors.isEmpty());
        QCOMPARE(errors.first().at(1).toString(), dcMessagePack::serverErrorText(7));
    }

    // A probe answered at once but unusably waits out the rest of its slot
    // before the next one starts; the last failure gives up at once.
    void probeSpacing_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("error status") << QByteArray(
                "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        QTest::newRow("server's error map")
                << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\n80");
    }

    void probeSpacing()
    {
        QFETCH(QByteArray, answer);
        QTcpServer web;
        QVERIFY(web.listen(QHostAddress::LocalHost));
        QElapsedTimer clock;
        clock.start();
        QList<qint64> arrivals;
        connect(&web, &QTcpServer::newConnection, &web, [&] {
            while (QTcpSocket* socket = web.nextPendingConnection()) {
                arrivals << clock.elapsed();
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                connect(socket, &QTcpSocket::readyRead, socket, [socket, answer] {
                    socket->readAll();
                    socket->write(answer);
                    socket->disconnectFromHost();
                });
            }
        });
        kuConnTimings timings = quietTimings();
        timings.requestTimeoutMs = 400;
        timings.probeCount = 3;
        kuMainConn conn(QStringLiteral("http://127.0.0.1:%1/base").arg(web.serverPort()));
        conn.setTimings(timings);
        QSignalSpy statuses(&conn, &kuAbstractConn::on_connStatusChange);
        QSignalSpy broken(&conn, &kuAbstractConn::on_brokenConnection);
        conn.slot_checkConnStatus();
        QCOMPARE(statuses.count(), 1);
        QCOMPARE(statuses.first().first().toBool(), false);
        QVERIFY(conn.isReconnecting());
        QVERIFY(broken.wait(10000));
        const qint64 end = clock.elapsed();
        QCOMPARE(arrivals.size(), 3);
        // Timers may fire a little early; a probe never starts inside the slot before it.
        for (int i = 1; i < arrivals.size(); ++i)
            QVERIFY2(arrivals.at(i) - arrivals.at(i - 1) >= 360,
                     qPrintable(QString::number(arrivals.at(i) - arrivals.at(i - 1))));
        QVERIFY2(end - arrivals.last() < 400, qPrintable(QString::number(end - arrivals.last())));
        QVERIFY(!conn.isReconnecting());
        QCOMPARE(statuses.count(), 1);
    }

    // The server stops listening: polls fail, probes are refused, and when it
    // listens again within the probes' window the connection is found again.
    void serverBackWithinTheProbeWindow()
    {
        kuConnTimings timings = probingTimings();
        timings.updatesPollMs = 30;
        auto conn = loggedIn(timings);
        QSignalSpy statuses(conn.get(), &kuAbstractConn::on_connStatusChange);
        QSignalSpy broken(conn.get(), &kuAbstractConn::on_brokenConnection);
        QTRY_VERIFY(countOf(m_server->requests(), "kuMarketDataUpdate") > 0);

        m_server->stopListening();
        QTRY_VERIFY_WITH_TIMEOUT(!statuses.isEmpty(), 10000);
        QCOMPARE(statuses.first().first().toBool(), false);
        QVERIFY(conn->isReconnecting());
        QVERIFY(!conn->isPolling());
        m_server->clearRequests();
        QVERIFY(m_server->restartListening());

        QTRY_COMPARE_WITH_TIMEOUT(statuses.count(), 2, 10000);
        QCOMPARE(statuses.last().first().toBool(), true);
        QVERIFY(logged("Соединение с сервером восстановлено"));
        QVERIFY(countOf(m_server->requests(), "kuGetDateTime") >= 1);
        QTRY_VERIFY(countOf(m_server->requests(), "kuMarketDataUpdate") > 0);
        QTRY_VERIFY(countOf(m_server->requests(), "kuGetUpdates") > 0);
        QVERIFY(conn->isPolling());
        QVERIFY(!conn->isReconnecting());
        QCOMPARE(broken.count(), 0);

        // Polls already on their way reach the server now, not in the next test.
        conn->stopUpdater();
        conn->syncGet(QUrl(m_server->baseUrl() + QStringLiteral("/kuGetDateTime?ID=")));
    }

    // A login that gave no session starts nothing.
    void emptyLoginResult()
    {
        kuMainConn conn(m_server->baseUrl());
        conn.setTimings(marketOnlyTimings());
        QSignalSpy statuses(&conn, &kuAbstractConn::on_connStatusChange);
        conn.statusAuthorization(QVariantList());
        QVERIFY(!conn.isPolling());
        QVERIFY(conn.sessionId().isEmpty());
        QVERIFY(statuses.isEmpty());
        conn.requestLastPrice(m_paper);
        QTRY_COMPARE(m_server->requests().size(), 1);
    }

    void logoutStopsPolling()
    {
        auto conn = loggedIn(marketOnlyTimings());
        QSignalSpy statuses(conn.get(), &kuAbstractConn::on_connStatusChange);
        QTRY_VERIFY(countOf(m_server->requests(), "kuMarketDataUpdate") > 2);
        QCOMPARE(conn->unAuthorize(QStringLiteral("Unknown")), 0);
        QVERIFY(!conn->isPolling());
        QCOMPARE(countOf(m_server->requests(), "kuUnAuthorized"), 1);
        const int polls = countOf(m_server->requests(), "kuMarketDataUpdate");
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        QVERIFY(!logged("Соединение с сервером разорвано"));
        QVERIFY(statuses.isEmpty());
        QVERIFY(!conn->isReconnecting());
        QVERIFY(countOf(m_server->requests(), "kuMarketDataUpdate") <= polls + 1);
        // The session ended with every stream it had: a window closed afterwards waits for nothing.
        QVERIFY(conn->sessionId().isEmpty());
        conn->unsubscribe(wtQuotes, m_paper);
        conn->requestLastPrice(m_paper);
        QTRY_COMPARE(countOf(m_server->requests(), "kuLastPrice"), 1);
        QCOMPARE(countOf(m_server->requests(), "kuUnsubscribe"), 0);
    }

    // A slow server gets one poll of a kind at a time, and stopping does not
    // wait for the poll in flight.
    void slowServer()
    {
        auto conn = loggedIn(marketOnlyTimings());
        QTRY_VERIFY(countOf(m_server->requests(), "kuMarketDataUpdate") > 0);
        const int delay = 150;
        m_server->setReplyDelay(delay);
        QElapsedTimer clock;
        QList<qint64> arrivals;
        connect(m_server.get(), &kuDemoServer::requestReceived, this, [&](const QString& target) {
            if (script(target) == QLatin1String("kuMarketDataUpdate")) {
                if (arrivals.isEmpty())
                    clock.start();
                arrivals << clock.elapsed();
            }
        });
        QTRY_VERIFY_WITH_TIMEOUT(arrivals.size() >= 4, 10000);
        QVERIFY2(arrivals.at(3) >= 3 * delay - 10, qPrintable(QString::number(arrivals.at(3))));

        m_server->setReplyDelay(60000);
        const int before = arrivals.size();
        QTRY_VERIFY(arrivals.size() > before);
        clock.restart();
        conn->stopUpdater();
        QVERIFY(!conn->isPolling());
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    }

    // A server that does not answer: a last-price request never waits for it,
    // a blocking request gives up after its time-out, and polls that time out
    // count as failures.
    void timeouts()
    {
        kuConnTimings timings = marketOnlyTimings();
        timings.requestTimeoutMs = 200;
        timings.pollTimeoutMs = 100;
        auto conn = loggedIn(timings);
        QSignalSpy statuses(conn.get(), &kuAbstractConn::on_connStatusChange);
        m_server->setReplyDelay(5000);
        QElapsedTimer clock;
        clock.start();
        // A waiting request would run a nested event loop, where the timer fires.
        bool ranMeanwhile = false;
        QTimer::singleShot(0, this, [&ranMeanwhile] { ranMeanwhile = true; });
        conn->requestLastPrice(m_paper);
        QVERIFY(!ranMeanwhile);
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(conn->syncGet(QUrl(m_server->baseUrl() + QStringLiteral("/kuGetDateTime?ID="))).isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(!statuses.isEmpty(), 10000);
        QCOMPARE(statuses.first().first().toBool(), false);
        conn->unAuthorize(QStringLiteral("Unknown"));
        QVERIFY(!conn->isReconnecting());
    }

    // The connection may go while it probes (its window closed, the manager replaced it).
    void deletedWhileProbing()
    {
        auto conn = loggedIn(marketOnlyTimings());
        bool broken = false;
        connect(conn.get(), &kuAbstractConn::on_brokenConnection, this, [&] { broken = true; });
        m_server->clearRequests();
        m_server->setReplyStatus(500);
        connect(m_server.get(), &kuDemoServer::requestReceived, this, [this](const QString& target) {
            if (script(target) == QLatin1String("kuGetDateTime"))
                m_server->setReplyDelay(1000);
        });
        QTRY_VERIFY_WITH_TIMEOUT(conn->isReconnecting() && countOf(m_server->requests(), "kuGetDateTime") > 0, 10000);
        conn.reset();
        const int probes = countOf(m_server->requests(), "kuGetDateTime");
        // Answered after the delayed answer to the abandoned probe has gone out.
        kuMainConn other(m_server->baseUrl());
        other.syncGet(QUrl(m_server->baseUrl() + QStringLiteral("/kuGetDateTime?ID=")));
        QCOMPARE(countOf(m_server->requests(), "kuGetDateTime"), probes + 1);
        QVERIFY(!broken);
    }
};

QTEST_GUILESS_MAIN(tst_MainConn)
#include "tst_mainconn.moc"
