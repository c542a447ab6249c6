#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "cannedconverter.h"
#include "dcmessagepack.h"
#include "kuconnectionmanager.h"
#include "kudemoserver.h"
#include "kupluginloader.h"
#include "recordingconnector.h"

namespace {

kuConnectionManager::Connectors connectors(const QList<int>& priorities, int dataType = 3)
{
    kuConnectionManager::Connectors list;
    for (int p : priorities)
        list << QSharedPointer<ConnectPluginInterface>(new RecordingConnector(QString::number(p), quint8(p), dataType));
    return list;
}

// Stands in for the login form: logs in again when asked.
class Relogin : public QObject
{
    Q_OBJECT
public:
    std::function<void()> action;
    int calls = 0;
public slots:
    void onAcceptButtonPressed()
    {
        ++calls;
        if (action)
            action();
    }
};

const QString noServer =
        QStringLiteral("Не удалось подключиться к выбранному серверу. Пожалуйста, выберите другой сервер...");
const QString noRestore =
        QStringLiteral("Не удалось восстановить соединение с сервером. Пожалуйста, обратитесь в тех. поддержку.");

} // namespace

class tst_ConnectionManager : public QObject
{
    Q_OBJECT

private slots:
    // Higher priority first, compared as unsigned bytes; the first is the default choice.
    void order_data()
    {
        QTest::addColumn<QList<int>>("priorities");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("primary and spare") << QList<int>{5, 10} << QStringList{"10", "5"};
        QTest::newRow("200 before 10") << QList<int>{10, 200, 5} << QStringList{"200", "10", "5"};
    }

    void order()
    {
        QFETCH(QList<int>, priorities);
        QFETCH(QStringList, names);
        kuConnectionManager manager(connectors(priorities));
        QCOMPARE(manager.connectorNames(), names);
        QCOMPARE(manager.connection()->objectName(), names.first());
    }

    void changeConnector_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("chosen");
        QTest::newRow("valid") << 1 << 1;
        QTest::newRow("negative") << -1 << 0;
        QTest::newRow("one past the end") << 2 << 0;
    }

    void changeConnector()
    {
        QFETCH(int, index);
        QFETCH(int, chosen);
        kuConnectionManager manager(connectors({10, 5}));
        manager.changeConnector(index);
        QCOMPARE(manager.currentIndex(), chosen);
        QCOMPARE(manager.connection()->objectName(), manager.connectorNames().at(chosen));
    }

    // Another server chosen before a login succeeded gets the next login; a
    // connection with a session stays until it breaks.
    void changeConnectorAfterAConnectionExists_data()
    {
        QTest::addColumn<QString>("session");
        QTest::addColumn<QString>("next");
        QTest::newRow("no session") << QString() << "5";
        QTest::newRow("logged in") << "f00d"
                                   << "10";
    }

    void changeConnectorAfterAConnectionExists()
    {
        QFETCH(QString, session);
        QFETCH(QString, next);
        kuConnectionManager manager(connectors({10, 5}));
        const QPointer<kuAbstractConn> first = manager.connection();
        dynamic_cast<RecordingConn*>(first.data())->session = session;
        manager.changeConnector(1);
        QCOMPARE(manager.currentIndex(), 1);
        QCOMPARE(manager.connection()->objectName(), next);
        if (session.isEmpty()) {
            // A late login reply of the dropped connection reaches nobody.
            QVERIFY(first->signalsBlocked());
            QTRY_VERIFY(!first);
        }
        manager.changeConnector(1);
        QCOMPARE(manager.connection()->objectName(), next);
    }

    // Without a usable plug-in the connection is the inert fallback, and the login form is told why.
    void fallback_data()
    {
        QTest::addColumn<QList<int>>("priorities");
        QTest::addColumn<int>("dataType");
        QTest::addColumn<QString>("error");
        QTest::newRow("no plug-in") << QList<int>{} << 3 << noServer;
        QTest::newRow("unknown data type") << QList<int>{10} << 9
                                           << QStringLiteral("Не удалось подобрать нужный вариант протокола обработки "
                                                             "данных. Пожалуйста, выберите другой сервер...");
    }

    void fallback()
    {
        QFETCH(QList<int>, priorities);
        QFETCH(int, dataType);
        QFETCH(QString, error);
        kuConnectionManager manager(connectors(priorities, dataType));
        QSignalSpy errors(&manager, &kuConnectionManager::connectError);
        const QPointer<kuAbstractConn> conn = manager.connection();
        QVERIFY(conn);
        QCOMPARE(conn->metaObject(), &kuAbstractConn::staticMetaObject);
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.first().first().toString(), error);
        QCOMPARE(manager.connection(), conn);
        QSignalSpy status(conn.data(), &kuAbstractConn::on_connStatusChange);
        QTest::ignoreMessage(QtCriticalMsg, "Не удалось получить котировку по данному инструменту");
        conn->getQuotes(5);
        QCOMPARE(status.count(), 1);
    }

    // The connection's replies reach the converter and come back to the connection.
    void wiring()
    {
        kuConnectionManager manager(connectors({10}));
        auto* conn = dynamic_cast<RecordingConn*>(manager.connection().data());
        QVERIFY(conn);
        QVERIFY(qobject_cast<dcMessagePack*>(manager.dataConverter().data()));
        QSignalSpy status(&manager, &kuConnectionManager::on_connStatusChange);
        emit conn->on_connStatusChange(true);
        QCOMPARE(status.count(), 1);
        // An empty login reply: the converter reports the failure to the connection.
        emit conn->on_receivedAuthorizedData(QByteArray());
        QCOMPARE(conn->statuses.size(), 1);
        QVERIFY(conn->statuses.first().isEmpty());
    }

    // Converters given to the manager serve the connections of their data type, wired the same way.
    void givenConverters()
    {
        CannedConverter converter;
        kuConnectionManager manager(connectors({10}), {{3, &converter}});
        QCOMPARE(manager.dataConverter().data(), &converter);
        auto* conn = dynamic_cast<RecordingConn*>(manager.connection().data());
        QVERIFY(conn);
        converter.statusAuthorization({"f00d"});
        QCOMPARE(conn->statuses, (QList<QVariantList>{{"f00d"}}));
    }

    // The instance set for tests is what instance() hands out; setting another returns it.
    void instanceForTests()
    {
        kuConnectionManager outer(connectors({10}));
        kuConnectionManager inner(connectors({5}));
        QVERIFY(!kuConnectionManager::setInstanceForTests(&outer));
        QCOMPARE(kuConnectionManager::instance().data(), &outer);
        kuConnectionManager* previous = kuConnectionManager::setInstanceForTests(&inner);
        QCOMPARE(previous, &outer);
        QCOMPARE(kuConnectionManager::instance().data(), &inner);
        QCOMPARE(kuConnectionManager::setInstanceForTests(previous), &inner);
        QCOMPARE(kuConnectionManager::instance().data(), &outer);
        QCOMPARE(kuConnectionManager::setInstanceForTests(nullptr), &outer);
        QVERIFY(kuConnectionManager::instance() != &outer);
    }

    // A broken connection is replaced after its signal has returned, by the
    // next plug-in's (round the list), and the login form logs in again.
    void handOver()
    {
        kuConnectionManager manager(connectors({10, 5}));
        Relogin relogin;
        manager.setReloginReceiver(&relogin);
        const QPointer<kuAbstractConn> first = manager.connection();
        emit first->on_brokenConnection();
        emit first->on_brokenConnection(); // a late second notice changes nothing
        QVERIFY(first);
        QCOMPARE(relogin.calls, 0);
        QTRY_COMPARE(relogin.calls, 1);
        QCoreApplication::processEvents();
        QCOMPARE(relogin.calls, 1);
        QCOMPARE(manager.currentIndex(), 1);
        const QPointer<kuAbstractConn> second = manager.connection();
        QCOMPARE(second->objectName(), QStringLiteral("5"));
        QTRY_VERIFY(!first);

        emit second->on_brokenConnection();
        QTRY_COMPARE(relogin.calls, 2);
        QCOMPARE(manager.currentIndex(), 0);
        QCOMPARE(manager.connection()->objectName(), QStringLiteral("10"));
    }

    // With one plug-in the same one is tried again after a pause.
    void singleConnectorRetries()
    {
        kuConnectionManager manager(connectors({10}));
        manager.setRetryPause(20);
        Relogin relogin;
        manager.setReloginReceiver(&relogin);
        QSignalSpy errors(&manager, &kuConnectionManager::connectError);
        const QPointer<kuAbstractConn> first = manager.connection();
        emit first->on_brokenConnection();
        QVERIFY(errors.wait());
        QCOMPARE(errors.first().first().toString(), noRestore);
        QCOMPARE(manager.connection(), first);
        QVERIFY(first->signalsBlocked());
        QTRY_COMPARE(relogin.calls, 1);
        QVERIFY(manager.connection() != first);
        QCOMPARE(manager.currentIndex(), 0);
    }

    // A re-login that fails for a network reason is tried again on the other
    // plug-in each time, after a pause that doubles up to the longest one,
    // until the restore window has passed; then restoring ends.
    void reloginRetriesAlternately()
    {
        kuConnectionManager manager(connectors({10, 5}));
        manager.setReloginTimings(10, 40, 400);
        QSignalSpy status(&manager, &kuConnectionManager::restoringStatus);
        Relogin relogin;
        QList<QString> tried;
        QList<bool> scheduled;
        relogin.action = [&] {
            tried << manager.connection()->objectName();
            scheduled << manager.retryRelogin();
        };
        manager.setReloginReceiver(&relogin);
        emit manager.connection()->on_brokenConnection();
        QTRY_VERIFY(manager.isRestoring());
        QTRY_VERIFY_WITH_TIMEOUT(!manager.isRestoring(), 5000);
        QVERIFY(tried.size() >= 5);
        for (int i = 0; i < tried.size(); ++i)
            QCOMPARE(tried.at(i), i % 2 ? QStringLiteral("10") : QStringLiteral("5"));
        QCOMPARE(scheduled.last(), false);
        QCOMPARE(scheduled.count(false), 1);

        QList<int> pauses;
        int ends = 0;
        for (const auto& args : qAsConst(status)) {
            ends += args.at(0).toBool() ? 0 : 1;
            if (args.at(0).toBool() && args.at(1).toInt() >= 0)
                pauses << args.at(1).toInt();
        }
        QCOMPARE(ends, 1);
        QCOMPARE(pauses.mid(0, 4), (QList<int>{10, 20, 40, 40}));
        QCOMPARE(status.last().at(0).toBool(), false);
        QVERIFY(!manager.isReloginScheduled());
    }

    // A session again, a refusal or the user's cancel, or the log-out on close
    // end restoring at once: the re-login already scheduled never comes.
    void reloginRetriesEnd_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("session again") << "session";
        QTest::newRow("refused or cancelled") << "end";
        QTest::newRow("logged out on close") << "logout";
    }

    void reloginRetriesEnd()
    {
        QFETCH(QString, how);
        kuConnectionManager manager(connectors({10, 5}));
        manager.setReloginTimings(30, 30, 60000);
        QSignalSpy status(&manager, &kuConnectionManager::restoringStatus);
        Relogin relogin;
        manager.setReloginReceiver(&relogin);
        emit manager.connection()->on_brokenConnection();
        QTRY_COMPARE(relogin.calls, 1);
        QVERIFY(manager.isRestoring());
        QVERIFY(manager.retryRelogin());
        QVERIFY(manager.isReloginScheduled());
        QCOMPARE(status.last(), (QVariantList{true, 30}));
        if (how == "session")
            emit manager.connection()->on_connStatusChange(true);
        else if (how == "end")
            manager.endRestoring();
        else
            manager.blockAllSignals(true);
        QVERIFY(!manager.isRestoring());
        if (how != "logout")
            QCOMPARE(status.last(), (QVariantList{false, -1}));
        QVERIFY(!manager.isReloginScheduled());
        QVERIFY(!manager.retryRelogin());
        QCOMPARE(relogin.calls, 1);
    }

    void blockAllSignals()
    {
        kuConnectionManager manager(connectors({10}));
        const auto conn = manager.connection();
        QCOMPARE(manager.blockAllSignals(true), false);
        QVERIFY(conn->signalsBlocked() && manager.dataConverter()->signalsBlocked() && manager.signalsBlocked());
        QCOMPARE(manager.blockAllSignals(false), true);
        QVERIFY(!conn->signalsBlocked() && !manager.dataConverter()->signalsBlocked());
    }

    // The two plug-in builds against two demo servers: the primary dies, the
    // spare takes over and the user is logged in there.
    void deadPrimaryHandsOverToSpare()
    {
        QTemporaryDir dir;
        kuDemoServer::Options options;
        options.dataDir = dir.path();
        kuDemoServer primary(options);
        kuDemoServer spare(options);
        QVERIFY2(primary.start({0}), qPrintable(primary.errorString()));
        QVERIFY2(spare.start({0}), qPrintable(spare.errorString()));
        // Refused probes wait out their slots: short slots keep the hand-over quick.
        qputenv("VELMORAN_CONN_TIMINGS", "requestTimeoutMs=1000");
        qputenv("VELMORAN_MAINLINK_HOST", QByteArray("127.0.0.1:") + QByteArray::number(primary.port()));
        qputenv("VELMORAN_SPARELINK_HOST", QByteArray("127.0.0.1:") + QByteArray::number(spare.port()));
        const auto found =
                loadPlugins<ConnectPluginInterface>(pkConnection, {qEnvironmentVariable("VELMORAN_PLUGIN_DIR")});
        QCOMPARE(found.size(), 2);

        kuConnectionManager manager(kuConnectionManager::Connectors(found.cbegin(), found.cend()));
        QSignalSpy status(&manager, &kuConnectionManager::on_connStatusChange);
        Relogin relogin;
        relogin.action = [&manager] { manager.connection()->authorize("DEMO", "demo", "1.6.3", "Linux"); };
        manager.setReloginReceiver(&relogin);
        relogin.action();
        QTRY_VERIFY_WITH_TIMEOUT(primary.requests().join(' ').contains("kuMarketDataUpdate"), 10000);
        QCOMPARE(status.count(), 1);
        QCOMPARE(status.first().first().toBool(), true);

        primary.stopListening();
        QTRY_VERIFY_WITH_TIMEOUT(spare.requests().join(' ').contains("kuMarketDataUpdate"), 30000);
        QCOMPARE(relogin.calls, 1);
        QCOMPARE(manager.currentIndex(), 1);
        QVERIFY(spare.requests().join(' ').contains("kuAuthorized"));
        QCOMPARE(status.at(1).first().toBool(), false);
        QTRY_COMPARE(status.last().first().toBool(), true);

        // Logging out on close stops polling without a reconnection.
        QCOMPARE(manager.connection()->unAuthorize("Unknown"), 0);
        QVERIFY(spare.requests().join(' ').contains("kuUnAuthorized"));
    }
};

QTEST_GUILESS_MAIN(tst_ConnectionManager)
#include "tst_connectionmanager.moc"
