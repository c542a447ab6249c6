#include <QtTest>

#include "kuabstractconn.h"
#include "logcapture.h"

#include <optional>

namespace {

void call(kuAbstractConn& conn, const QString& operation)
{
    const QJsonObject order{{QStringLiteral("order_id"), 1}};
    const QMap<QString, std::function<void()>> calls{
            {"authorize", [&] { conn.authorize("user", "secret", "1.6.3", "os"); }},
            {"getInitInfo", [&] { conn.getInitInfo(); }},
            {"getCandles", [&] { conn.getCandles(7, "a", "b", "c"); }},
            {"getOrderBook", [&] { conn.getOrderBook(7); }},
            {"getLastTrades", [&] { conn.getLastTrades(7); }},
            {"getQuotes", [&] { conn.getQuotes(7); }},
            {"getDateTime", [&] { conn.getDateTime(); }},
            {"getPortfolio", [&] { conn.getPortfolio(); }},
            {"getOrders", [&] { conn.getOrders(); }},
            {"getTrades", [&] { conn.getTrades(); }},
            {"getReportData", [&] { conn.getReportData(1, "a", "b", "acc"); }},
            {"getPluginList", [&] { conn.getPluginList("os", "x86_64"); }},
            {"unsubscribe", [&] { conn.unsubscribe(wtOrderBook, 7); }},
            {"newOrder", [&] { conn.newOrder(order); }},
            {"modifyOrder", [&] { conn.modifyOrder(order); }},
            {"cancelOrder", [&] { conn.cancelOrder(order); }},
            {"newStopOrder", [&] { conn.newStopOrder(order); }},
            {"modifyStopOrder", [&] { conn.modifyStopOrder(order); }},
            {"cancelStopOrder", [&] { conn.cancelStopOrder(order); }},
            {"requestLastPrice", [&] { conn.requestLastPrice(7); }},
    };
    QVERIFY2(calls.contains(operation), qPrintable(operation));
    calls.value(operation)();
}

} // namespace

class tst_AbstractConn : public QObject
{
    Q_OBJECT

    std::optional<LogCapture> m_log;
    QStringList critical() const { return m_log->lines({QtCriticalMsg}); }
    QStringList other() const { return m_log->lines({QtDebugMsg, QtInfoMsg, QtWarningMsg, QtFatalMsg}); }

private slots:
    void init() { m_log.emplace(); }
    void cleanup() { m_log.reset(); }

    // The inert connection logs each request it cannot serve once and reports the link down.
    void inertRequests_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("logged"); // empty: no visible effect at all
        const auto row = [](const char* op, const char* text) {
            QTest::newRow(op) << QString::fromLatin1(op) << QString::fromUtf8(text);
        };
        row("authorize", "Не удалось подключиться к выбранному серверу. Пожалуйста, выберите другой сервер...");
        row("getInitInfo", "Не удалось получить список доступных инструментов");
        row("getCandles", "Не удалось получить свечи по данному инструменту");
        row("getOrderBook", "Не удалось получить очередь заявок по данному инструменту");
        row("getLastTrades", "Не удалось получить очередь сделок по данному инструменту");
        row("getQuotes", "Не удалось получить котировку по данному инструменту");
        row("getDateTime", "Не удалось получить время сервера");
        row("getPortfolio", "Не удалось получить информацию о состоянии счетов");
        row("getOrders", "Не удалось получить информацию о поручениях");
        row("getTrades", "Не удалось получить информацию о сделках");
        for (const char* op : {"getReportData", "getPluginList", "unsubscribe", "newOrder", "modifyOrder",
                               "cancelOrder", "newStopOrder", "modifyStopOrder", "cancelStopOrder", "requestLastPrice"})
            row(op, "");
    }
    void inertRequests()
    {
        QFETCH(QString, operation);
        QFETCH(QString, logged);
        kuAbstractConn conn;
        QSignalSpy status(&conn, &kuAbstractConn::on_connStatusChange);
        call(conn, operation);
        QVERIFY(other().isEmpty());
        if (logged.isEmpty()) {
            QVERIFY(critical().isEmpty());
            QCOMPARE(status.count(), 0);
        } else {
            QCOMPARE(critical(), QStringList{logged});
            QCOMPARE(status.count(), 1);
            QCOMPARE(status.first().first().toBool(), false);
        }
    }

    void inertAnswers()
    {
        kuAbstractConn conn;
        QSignalSpy status(&conn, &kuAbstractConn::on_connStatusChange);
        QCOMPARE(conn.unAuthorize(QStringLiteral("Unknown")), 0);
        QVERIFY(conn.sessionId().isEmpty());
        QVERIFY(conn.serverUrl().isEmpty());
        QVERIFY(status.isEmpty());
        conn.statusAuthorization(QVariantList{1, "x"});
        QCOMPARE(status.count(), 1);
        QCOMPARE(status.first().first().toBool(), false);
        QVERIFY(critical().isEmpty() && other().isEmpty());
    }

    // The signals and the slot are reached by index and by name across the plug-in boundary.
    void metaObjectContract()
    {
        const QMetaObject& mo = kuAbstractConn::staticMetaObject;
        const QStringList expected{
                "on_connStatusChange(bool)",
                "on_brokenConnection()",
                "on_receivedAuthorizedData(QByteArray)",
                "on_receivedMarketData(QByteArray,int,WinType)",
                "on_receivedTradeData(QByteArray,WinType)",
                "on_receivedDateTime(QByteArray)",
                "on_receivedOrderStatus(QByteArray,QJsonObject)",
                "on_receivedUpdates(QByteArray)",
                "on_receivedAdditionalData(QByteArray,WinType,QVariantMap)",
                "statusAuthorization(QVariantList)",
        };
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(QString::fromLatin1(mo.method(mo.methodOffset() + i).methodSignature()), expected.at(i));

        kuAbstractConn conn;
        QSignalSpy updates(&conn, &kuAbstractConn::on_receivedUpdates);
        QVERIFY(QMetaObject::invokeMethod(&conn, "on_receivedUpdates", Q_ARG(QByteArray, "81a0")));
        QCOMPARE(updates.count(), 1);
        QCOMPARE(updates.first().first().toByteArray(), QByteArray("81a0"));
    }
};

QTEST_GUILESS_MAIN(tst_AbstractConn)
#include "tst_abstractconn.moc"
