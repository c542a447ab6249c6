#include "clientfixture.h"
#include "containerwidget.h"
#include "kuclient.h"
#include "kuconnectionmanager.h"
#include "kudemoserver.h"
#include "kupaperlist.h"
#include "kupluginloader.h"
#include "kutabwidget.h"
#include "kuworkspace.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// Logs in on the manager's current connection, as the login form does after a hand-over.
class Relogin : public QObject
{
    Q_OBJECT
public slots:
    void onAcceptButtonPressed()
    {
        if (const QPointer<kuAbstractConn> conn = kuConnectionManager::instance()->connection())
            conn->authorize("DEMO", "demo", "1.6.3", "Linux");
    }
};

QStringList requestsOf(kuDemoServer* server, const QString& script)
{
    return server->requests().filter(script);
}

// Short, so that a close that waits once per window shows at once.
constexpr int requestTimeoutMs = 2000;

// The close row of SIGTERM, which asks nothing.
constexpr int terminated = -1;

} // namespace

// The main window's windows on a real connection: their streams across a
// reconnection, a hand-over to the other server and closing.
class tst_ClientSession : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void reconnectionKeepsOneStreamPerWindow();
    void handOverSubscribesEveryOpenWindow();
    void closeOnSilentServer_data();
    void closeOnSilentServer();
    void cleanupTestCase();

private:
    QList<StreamWindow*> openOrderBooks(const QList<int>& papers);

    QTemporaryDir m_dataDir;
    std::unique_ptr<kuDemoServer> m_primary;
    std::unique_ptr<kuDemoServer> m_spare;
    std::unique_ptr<kuConnectionManager> m_manager;
    kuConnectionManager* m_previous = nullptr;
    Relogin m_relogin;
    QPointer<kuClient> m_client;
    QList<int> m_papers;
};

void tst_ClientSession::initTestCase()
{
    kuDemoServer::Options options;
    options.dataDir = m_dataDir.path();
    options.tickMs = 0;
    m_primary = std::make_unique<kuDemoServer>(options);
    m_spare = std::make_unique<kuDemoServer>(options);
    QVERIFY(m_primary->start({0}));
    QVERIFY(m_spare->start({0}));
    qputenv("VELMORAN_MAINLINK_HOST", "127.0.0.1:" + QByteArray::number(m_primary->port()));
    qputenv("VELMORAN_SPARELINK_HOST", "127.0.0.1:" + QByteArray::number(m_spare->port()));
    qputenv("VELMORAN_CONN_TIMINGS", "requestTimeoutMs=" + QByteArray::number(requestTimeoutMs));
    const auto found = loadPlugins<ConnectPluginInterface>(pkConnection, {qEnvironmentVariable("VELMORAN_PLUGIN_DIR")});
    QCOMPARE(found.size(), 2);
    m_manager = std::make_unique<kuConnectionManager>(kuConnectionManager::Connectors(found.cbegin(), found.cend()));
    m_previous = kuConnectionManager::setInstanceForTests(m_manager.get());
    m_manager->setReloginReceiver(&m_relogin);

    bool papers = false;
    const QPointer<kuAbstractDataConverter> converter = m_manager->dataConverter();
    QVERIFY(converter);
    connect(converter, &kuAbstractDataConverter::on_snapshotPapers, this, [&papers] { papers = true; });
    m_relogin.onAcceptButtonPressed();
    QTRY_VERIFY_WITH_TIMEOUT(papers && !m_manager->connection()->sessionId().isEmpty(), 10000);
    disconnect(converter, &kuAbstractDataConverter::on_snapshotPapers, this, nullptr);
    for (const auto& paper : kuPaperList::instance()->papersList())
        m_papers << paper->id();
    QVERIFY(m_papers.size() >= 2);

    registerStreamWindowMakers({wtOrderBook});
    m_client = kuClient::createInstance();
    m_client->setCloseWaitMs(0);
    m_client->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_client));
}

QList<StreamWindow*> tst_ClientSession::openOrderBooks(const QList<int>& papers)
{
    kuWorkSpace* ws = m_client->currentWorkSpace();
    // Each reply records its subscription in the connection: wait for all of them.
    QSignalSpy replies(m_manager->dataConverter().data(), &kuAbstractDataConverter::on_snapshotOrderBook);
    for (int paper : papers)
        m_client->createOrderBook(paper);
    [&] { QTRY_COMPARE_WITH_TIMEOUT(replies.count(), papers.size(), 10000); }();
    QList<StreamWindow*> windows;
    for (const auto& sc : ws->container()->contents()) {
        if (auto* window = qobject_cast<StreamWindow*>(sc->contentWidget()))
            windows << window;
    }
    return windows;
}

// Two order books of one instrument and a restored connection on the same
// session: no request goes out again, and closing both gives the stream back once.
void tst_ClientSession::reconnectionKeepsOneStreamPerWindow()
{
    const int paper = m_papers.first();
    const QList<StreamWindow*> books = openOrderBooks({paper, paper});
    QCOMPARE(books.size(), 2);
    for (StreamWindow* book : books)
        QTRY_VERIFY_WITH_TIMEOUT(!book->isBusy(), 10000);

    emit m_manager->on_connStatusChange(true);
    for (StreamWindow* book : books) {
        QCOMPARE(book->subscribed, 2);
        QCOMPARE(book->heldRequests(), 1);
    }

    m_primary->clearRequests();
    kuWorkSpace* ws = m_client->currentWorkSpace();
    for (const auto& sc : ws->container()->contents())
        ws->container()->hideSectionContent(sc);
    const QStringList unsubscribed = requestsOf(m_primary.get(), "kuUnsubscribe");
    QVERIFY2(unsubscribed.size() == 1, qPrintable(m_primary->requests().join('\n')));
    QVERIFY(unsubscribed.first().contains(QString("PID=%1").arg(paper)));
    QTRY_VERIFY(ws->container()->contents().isEmpty());
}

void tst_ClientSession::handOverSubscribesEveryOpenWindow()
{
    const QList<StreamWindow*> books = openOrderBooks(m_papers.mid(0, 2));
    QCOMPARE(books.size(), 2);
    for (StreamWindow* book : books)
        QTRY_VERIFY_WITH_TIMEOUT(!book->isBusy(), 10000);
    const QString firstSession = m_manager->connection()->sessionId();

    m_primary->stopListening();
    m_manager->slot_brokenConnection();
    QTRY_VERIFY_WITH_TIMEOUT(requestsOf(m_spare.get(), "kuGetOrderBook").size() == 2, 10000);
    QVERIFY(m_manager->connection()->sessionId() != firstSession);
    const QString requests = requestsOf(m_spare.get(), "kuGetOrderBook").join(' ');
    for (int paper : m_papers.mid(0, 2))
        QVERIFY(requests.contains(QString("PID=%1").arg(paper)));
    for (StreamWindow* book : books)
        QTRY_VERIFY_WITH_TIMEOUT(!book->isBusy(), 10000);
}

void tst_ClientSession::closeOnSilentServer_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("no") << int(QMessageBox::No);
    QTest::newRow("yes") << int(QMessageBox::Yes);
    // Last: the main window goes.
    QTest::newRow("SIGTERM") << terminated;
}

// Closing on a server that stopped answering takes one request time-out, the
// log-out's, whatever the number of windows: the log-out ended their streams.
// SIGTERM ends the event loop with no box and no log-out, so the session is still
// set while the windows go with the main window: none of them may wait on the server.
void tst_ClientSession::closeOnSilentServer()
{
    QFETCH(int, answer);
    if (!m_primary->isListening())
        QVERIFY(m_primary->restartListening());
    if (m_manager->connection()->sessionId().isEmpty()) {
        // A connection logged out is not used again: the next one logs in, as after a hand-over.
        m_manager->slot_brokenConnection();
        QTRY_VERIFY_WITH_TIMEOUT(!m_manager->connection()->sessionId().isEmpty(), 10000);
    }
    // The earlier hand-over may have left the session on the spare server.
    kuDemoServer* server = m_manager->connection()->serverUrl() == m_spare->baseUrl() ? m_spare.get() : m_primary.get();
    m_client->show();
    m_client->setLayoutRestored(true);
    const int docked = m_client->currentWorkSpace()->container()->contents().size();
    for (int paper : m_papers.mid(0, 2) + m_papers.mid(0, 2))
        m_client->createOrderBook(paper);
    QList<QPointer<StreamWindow>> books;
    for (const auto& sc : m_client->currentWorkSpace()->container()->contents())
        books << qobject_cast<StreamWindow*>(sc->contentWidget());
    QCOMPARE(books.size(), docked + 4);
    for (const QPointer<StreamWindow>& book : books)
        QTRY_VERIFY_WITH_TIMEOUT(!book->isBusy(), 10000);

    server->clearRequests();
    server->setHostile(kuDemoHostile::Hang);
    QElapsedTimer clock;
    if (answer == terminated) {
        clock.start();
        // What the program does once SIGTERM has ended its event loop.
        delete m_client.data();
    } else {
        BoxAnswers answers("Сохранить рабочее пространство?", QMessageBox::StandardButton(answer));
        clock.start();
        m_client->close();
        QVERIFY(answers.asked);
        QVERIFY2(answers.others.isEmpty(), qPrintable(answers.others.join('\n')));
    }
    const qint64 took = clock.elapsed();
    server->setHostile(kuDemoHostile::None);
    m_manager->blockAllSignals(false);

    if (answer == terminated) {
        QVERIFY(!m_manager->connection()->sessionId().isEmpty());
        QVERIFY2(took < requestTimeoutMs, qPrintable(QString::number(took)));
        const QStringList requests = server->requests();
        QVERIFY2(requestsOf(server, "kuUnsubscribe").isEmpty() && requestsOf(server, "kuUnAuthorized").isEmpty(),
                 qPrintable(requests.join('\n')));
        for (const QPointer<StreamWindow>& book : books)
            QVERIFY(!book);
        return;
    }

    QVERIFY(!m_client->isVisible());
    QVERIFY2(took < 2 * requestTimeoutMs, qPrintable(QString::number(took)));
    // The log-out is the last request: no poll, no unsubscribe after it.
    const QStringList requests = server->requests();
    QVERIFY2(!requests.isEmpty() && requests.last().contains("/kuUnAuthorized?"), qPrintable(requests.join('\n')));
    QCOMPARE(requestsOf(server, "kuUnAuthorized").size(), 1);
    QTRY_VERIFY(m_client->currentWorkSpace()->container()->contents().isEmpty());
    for (const QPointer<StreamWindow>& book : books)
        QVERIFY(!book);
}

void tst_ClientSession::cleanupTestCase()
{
    if (m_manager) {
        if (const QPointer<kuAbstractConn> conn = m_manager->connection(); conn && !conn->sessionId().isEmpty())
            conn->unAuthorize("Unknown");
    }
    delete m_client.data();
    kuConnectionManager::setInstanceForTests(m_previous);
    m_manager.reset();
    m_primary.reset();
    m_spare.reset();
}

int main(int argc, char** argv)
{
    return runClientTest<tst_ClientSession>(argc, argv);
}
#include "tst_clientsession.moc"
