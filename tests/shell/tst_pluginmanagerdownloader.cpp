#include "fakesession.h"
#include "kuplugininstaller.h"
#include "kupluginmanagerdownloader.h"
#include "kupluginmanageritem.h"
#include "kutlspolicy.h"
#include "pluginfixture.h"

#include <QFileInfo>
#include <QtTest>

#include <optional>

class tst_PluginManagerDownloader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void downloadsIntoPrivateFolder();
    void failures_data();
    void failures();
    void unsafeStarts_data();
    void unsafeStarts();
    void cancelLeavesNothing();
    void itemStatusFollowsTheDownload();

private:
    QString target() const { return QDir(kuPluginInstaller::downloadFolder()).filePath("ku_offered.so"); }
    void clearDownloads();

    DemoPluginServer m_demo;
};

void tst_PluginManagerDownloader::initTestCase()
{
    QVERIFY(m_demo.start());
}

void tst_PluginManagerDownloader::cleanupTestCase()
{
    m_demo.session.stop();
}

void tst_PluginManagerDownloader::clearDownloads()
{
    QDir(kuPluginInstaller::downloadFolder()).removeRecursively();
}

void tst_PluginManagerDownloader::init()
{
    QVERIFY(freshDatabase());
    QVERIFY(insertPluginRow(m_demo.guid, QStringLiteral("ku_offered"), 0x1));
    clearDownloads();
    m_demo.server()->setReplyStatus(0, "kuGetPluginFile");
    m_demo.server()->setDropConnections(false, "kuGetPluginFile");
    m_demo.server()->setReplyDelay(0, "kuGetPluginFile");
    m_demo.server()->clearRequests();
}

void tst_PluginManagerDownloader::downloadsIntoPrivateFolder()
{
    // A stale file of the same name is replaced.
    const QString folder = kuPluginInstaller::downloadFolder();
    QVERIFY(!folder.isEmpty());
    QFile stale(target());
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.write("old");
    stale.close();
    QVERIFY(QFile::setPermissions(folder, QFileDevice::Permissions(0x7777)));

    kuPluginManagerDownloader downloader;
    QSignalSpy ready(&downloader, &kuPluginManagerDownloader::on_downloadReady);
    QSignalSpy failed(&downloader, &kuPluginManagerDownloader::on_downloadFailed);
    downloader.start(m_demo.guid);
    QVERIFY(downloader.isDownloading());
    QVERIFY(ready.wait(10000));
    QCOMPARE(failed.count(), 0);
    QVERIFY(downloader.isFinished());
    QCOMPARE(downloader.progress(), 100);

    QFile file(target());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), m_demo.content);
    QVERIFY(!QFile::exists(target() + ".part"));
    QCOMPARE(QFileInfo(folder).permissions() & 0x0777, QFileDevice::Permissions(0x0700));
    QCOMPARE(QFileInfo(folder).absolutePath(), QDir(QDir::homePath()).filePath(".config/Velmoran"));
    QVERIFY(m_demo.server()->requests().last().contains("GUID=" + m_demo.guid));
}

void tst_PluginManagerDownloader::failures_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("status 500") << "status";
    QTest::newRow("connection dropped") << "drop";
    QTest::newRow("unknown plug-in, 404") << "unknown";
    QTest::newRow("no session, 403") << "session";
    QTest::newRow("target cannot be replaced") << "target";
    QTest::newRow("body cut off") << "cutoff";
    QTest::newRow("server stops sending") << "hang";
    // The connections' policy: with its loopback exception off the demo server's certificate is refused.
    QTest::newRow("certificate, policy without loopback exception") << "tls";
}

void tst_PluginManagerDownloader::failures()
{
    QFETCH(QString, fault);
    QString guid = m_demo.guid;
    // A connection to the same server without a session.
    std::optional<FakeSession> other;
    if (fault == "status")
        m_demo.server()->setReplyStatus(500, "kuGetPluginFile");
    if (fault == "drop")
        m_demo.server()->setDropConnections(true, "kuGetPluginFile");
    if (fault == "unknown") {
        guid = "ff" + guid.mid(2);
        QVERIFY(insertPluginRow(guid, "ku_offered", 0x1));
    }
    if (fault == "session") {
        other.emplace();
        other->conn()->url = m_demo.server()->baseUrl();
    }
    if (fault == "target")
        QVERIFY(QDir().mkpath(target() + "/inside"));
    if (fault == "cutoff")
        m_demo.server()->setHostile(kuDemoHostile::CutOff, "kuGetPluginFile");
    if (fault == "hang")
        m_demo.server()->setHostile(kuDemoHostile::Hang, "kuGetPluginFile");
    const kuTlsPolicy policy = kuTlsPolicy::processPolicy();
    if (fault == "tls") {
        kuTlsPolicy strict = policy;
        strict.setLoopbackExempt(false);
        kuTlsPolicy::setProcessPolicy(strict);
    }
    const auto restore = qScopeGuard([&] {
        kuTlsPolicy::setProcessPolicy(policy);
        m_demo.server()->setHostile(kuDemoHostile::None, "kuGetPluginFile");
    });

    kuPluginManagerDownloader downloader;
    downloader.setStallTimeout(500);
    QSignalSpy ready(&downloader, &kuPluginManagerDownloader::on_downloadReady);
    QSignalSpy failed(&downloader, &kuPluginManagerDownloader::on_downloadFailed);
    downloader.start(guid);
    QVERIFY(failed.wait(10000));
    other.reset();
    QCOMPARE(ready.count(), 0);
    QVERIFY(!downloader.isDownloading());
    QVERIFY(!downloader.isFinished());
    QVERIFY(!QFile::exists(target() + ".part"));
    QCOMPARE(QFileInfo(target()).isFile(), false);
}

void tst_PluginManagerDownloader::unsafeStarts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("url");
    QTest::newRow("path in the name") << "ku_../../x"
                                      << "";
    QTest::newRow("wildcard") << "ku_*"
                              << "";
    QTest::newRow("suffix") << "ku_a.so"
                            << "";
    QTest::newRow("no ku_ prefix") << "offered"
                                   << "";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("plain HTTP") << "ku_offered"
                                << "http://127.0.0.1:1/x";
}

void tst_PluginManagerDownloader::unsafeStarts()
{
    QFETCH(QString, name);
    QFETCH(QString, url);
    kuAccessDB db;
    QVERIFY(db.executeNonQuery("update plugins set plugin_name = ?1;", {name}));

    kuPluginManagerDownloader downloader;
    QSignalSpy failed(&downloader, &kuPluginManagerDownloader::on_downloadFailed);
    if (url.isEmpty())
        downloader.start(m_demo.guid);
    else
        downloader.start(m_demo.guid, QUrl(url));
    QCOMPARE(failed.count(), 1);
    QVERIFY(!downloader.isDownloading());
    QCOMPARE(QDir(kuPluginInstaller::downloadFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList());
    QVERIFY(m_demo.server()->requests().isEmpty());
}

void tst_PluginManagerDownloader::cancelLeavesNothing()
{
    m_demo.server()->setReplyDelay(60000, "kuGetPluginFile");
    kuPluginManagerDownloader downloader;
    QSignalSpy ready(&downloader, &kuPluginManagerDownloader::on_downloadReady);
    QSignalSpy failed(&downloader, &kuPluginManagerDownloader::on_downloadFailed);
    QSignalSpy request(m_demo.server(), &kuDemoServer::requestReceived);
    downloader.start(m_demo.guid);
    QVERIFY(request.wait(10000));
    QVERIFY(QFile::exists(target() + ".part"));
    downloader.cancel();
    QVERIFY(!downloader.isDownloading());
    QCOMPARE(downloader.progress(), 0);
    QVERIFY(!QFile::exists(target() + ".part"));
    QCoreApplication::processEvents();
    QCOMPARE(ready.count() + failed.count(), 0);

    // Progress reported after the stop changes nothing.
    downloader.slot_downloadProgress(50, 100);
    QCOMPARE(downloader.progress(), 0);
}

void tst_PluginManagerDownloader::itemStatusFollowsTheDownload()
{
    kuPluginManagerItem item(QStringLiteral("Offered"), QString(), m_demo.guid, 10602000, 0x1, 10.0, QImage());
    QSignalSpy changed(&item, &kuPluginManagerAbstractItem::needUpdate);
    item.install();
    QVERIFY(item.stateFlags() & prDownloading);
    QTRY_VERIFY_WITH_TIMEOUT(!(item.stateFlags() & prDownloading), 10000);
    QCOMPARE(item.status() & psInstallPending, int(psInstallPending));
    QCOMPARE(item.stateFlags() & (prInstallPending | prFailed), uint(prInstallPending));
    QCOMPARE(item.downloadProgress(), 100);
    QVERIFY(changed.count() >= 2);

    // Cancelling the finished download takes the file and the mark away again.
    item.cancel();
    QCOMPARE(item.status(), 0x1);
    QVERIFY(!QFile::exists(target()));

    m_demo.server()->setReplyStatus(500, "kuGetPluginFile");
    item.install();
    QTRY_VERIFY_WITH_TIMEOUT(item.stateFlags() & prFailed, 10000);
    QCOMPARE(item.status() & psInstallPending, 0);
    QVERIFY(!(item.stateFlags() & prInstallPending));
    item.cancel();
    QVERIFY(!(item.stateFlags() & prFailed));
}

QTEST_MAIN(tst_PluginManagerDownloader)
#include "tst_pluginmanagerdownloader.moc"
