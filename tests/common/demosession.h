#pragma once

#include "kuconnectionmanager.h"
#include "kudemoserver.h"
#include "kupluginloader.h"

#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// A demo server on a free loopback port and a user logged in to it through the
// connection plug-ins the build makes, wired as the terminal wires them. While
// it lives, kuConnectionManager::instance() is its manager. The test links
// velmoran_core and velmoran_demo_server and depends on ku_mainlink1 and
// ku_sparelink1:
//   DemoSession demo;
//   QVERIFY(demo.start());
//   demo.connection()->getQuotes(id); // replies come through demo.converter()
class DemoSession
{
public:
    // Adjust before start(): a fixed seed, the market steps only on server()->step().
    kuDemoServer::Options options;
    QString user = QStringLiteral("DEMO");
    QString password = QStringLiteral("demo");
    // Put into VELMORAN_CONN_TIMINGS when not empty, e.g. "marketPollMs=3600000". A plug-in
    // reads it once, at its first connection in the process.
    QByteArray connTimings;

    DemoSession()
    {
        options.dataDir = m_dataDir.path();
        options.tickMs = 0;
    }
    ~DemoSession() { stop(); }
    DemoSession(const DemoSession&) = delete;
    DemoSession& operator=(const DemoSession&) = delete;

    // Server, manager and login; true once the session, the instrument list and
    // the server time have arrived.
    bool start(int timeoutMs = 10000)
    {
        m_server = std::make_unique<kuDemoServer>(options);
        if (!m_server->start({0})) {
            qWarning().noquote() << "Demo server:" << m_server->errorString();
            return false;
        }
        const QByteArray host = QByteArrayLiteral("127.0.0.1:") + QByteArray::number(m_server->port());
        qputenv("VELMORAN_MAINLINK_HOST", host);
        qputenv("VELMORAN_SPARELINK_HOST", host);
        if (!connTimings.isEmpty())
            qputenv("VELMORAN_CONN_TIMINGS", connTimings);
        const auto found =
                loadPlugins<ConnectPluginInterface>(pkConnection, {qEnvironmentVariable("VELMORAN_PLUGIN_DIR")});
        if (found.isEmpty()) {
            qWarning() << "No connection plug-in in" << qEnvironmentVariable("VELMORAN_PLUGIN_DIR");
            return false;
        }
        m_manager =
                std::make_unique<kuConnectionManager>(kuConnectionManager::Connectors(found.cbegin(), found.cend()));
        m_previous = kuConnectionManager::setInstanceForTests(m_manager.get());
        m_installed = true;

        const QPointer<kuAbstractConn> conn = m_manager->connection();
        const QPointer<kuAbstractDataConverter> converter = m_manager->dataConverter();
        if (!conn || !converter)
            return false;
        bool papers = false;
        bool clock = false;
        QMetaObject::Connection gotPapers =
                QObject::connect(converter, &kuAbstractDataConverter::on_snapshotPapers, [&papers] { papers = true; });
        QMetaObject::Connection gotClock =
                QObject::connect(converter, &kuAbstractDataConverter::on_syncDateTime, [&clock] { clock = true; });
        conn->authorize(user, password, QStringLiteral("1.6.3"), QStringLiteral("Linux"));
        const bool done =
                QTest::qWaitFor([&] { return conn && !conn->sessionId().isEmpty() && papers && clock; }, timeoutMs);
        QObject::disconnect(gotPapers);
        QObject::disconnect(gotClock);
        if (!done)
            qWarning().noquote() << "No session of" << user << "on" << m_server->baseUrl();
        return done;
    }

    // Logs out, then the manager and the server go; the instance set before comes back.
    void stop()
    {
        if (m_manager) {
            if (const QPointer<kuAbstractConn> conn = m_manager->connection(); conn && !conn->sessionId().isEmpty())
                conn->unAuthorize(QStringLiteral("Unknown"));
        }
        if (m_installed)
            kuConnectionManager::setInstanceForTests(m_previous);
        m_installed = false;
        m_manager.reset();
        m_server.reset();
    }

    kuDemoServer* server() const { return m_server.get(); }
    kuConnectionManager* manager() const { return m_manager.get(); }
    QPointer<kuAbstractConn> connection() const { return m_manager ? m_manager->connection() : nullptr; }
    QPointer<kuAbstractDataConverter> converter() const { return m_manager ? m_manager->dataConverter() : nullptr; }

private:
    QTemporaryDir m_dataDir;
    std::unique_ptr<kuDemoServer> m_server;
    std::unique_ptr<kuConnectionManager> m_manager;
    QPointer<kuConnectionManager> m_previous;
    bool m_installed = false;
};
