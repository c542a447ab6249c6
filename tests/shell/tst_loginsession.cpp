#include <QtTest>

#include <QComboBox>
#include <QTemporaryDir>

#include <optional>

#include "kuconnectionmanager.h"
#include "kudemoserver.h"
#include "kutlspolicy.h"
#include "kuloginform.h"
#include "logcapture.h"
#include "loginformfixture.h"

namespace {

const QString wrongPassword = QStringLiteral("wrong-Pa55");

} // namespace

// The login form against two local demo servers, one behind each connection
// plug-in, as the program uses it: one form, one connection manager, the cases
// in order.
class tst_LoginSession : public QObject
{
    Q_OBJECT

    QTemporaryDir dataDir;
    std::unique_ptr<kuDemoServer> primary;
    std::unique_ptr<kuDemoServer> spare;
    QPointer<kuLoginForm> form;
    QWidget mainWindow;
    BoxCatcher catcher;
    std::optional<LogCapture> log;

    std::unique_ptr<kuDemoServer> startServer()
    {
        kuDemoServer::Options options;
        options.dataDir = dataDir.path();
        options.tickMs = 0;
        auto server = std::make_unique<kuDemoServer>(options);
        if (!server->start({0}))
            qWarning() << server->errorString();
        return server;
    }

    QLineEdit* edit(const char* name) const { return formEdit(form, name); }
    QPushButton* acceptButton() const { return formAcceptButton(form); }

    void login(const QString& user, const QString& password)
    {
        edit("editLogin")->clear();
        type(edit("editLogin"), user);
        edit("editPassword")->clear();
        type(edit("editPassword"), password);
        QVERIFY(acceptButton()->isEnabled());
        QTest::mouseClick(acceptButton(), Qt::LeftButton);
        QVERIFY(!acceptButton()->isEnabled());
    }

    static int logins(const kuDemoServer& server, const QString& user)
    {
        const QString prefix =
                QLatin1String(kuDemoServer::basePath) + QStringLiteral("/kuAuthorized?ID=") + user + QLatin1Char('&');
        int n = 0;
        for (const QString& target : server.requests())
            n += target.startsWith(prefix) ? 1 : 0;
        return n;
    }

    void expectRefusal(int boxes, const QString& text)
    {
        QTRY_COMPARE_WITH_TIMEOUT(catcher.boxes.size(), boxes, 10000);
        QCOMPARE(catcher.boxes.last().icon, QMessageBox::Critical);
        QCOMPARE(catcher.boxes.last().text, text);
        QVERIFY(form->isVisible());
        QVERIFY(edit("editPassword")->text().isEmpty());
        // Return must not send the empty password.
        QVERIFY(!acceptButton()->isEnabled());
        QVERIFY(!mainWindow.isVisible());
    }

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();
    void emptyReplyShowsNetworkError();
    void eachRefusalShowsOneBox();
    void otherServerTakesTheNextLogin();
    void hiddenReloginAfterTheServerDrops();
    void refusedHiddenReloginShowsTheForm();
    void unreachableHiddenReloginKeepsTrying();
    void reloginOutlastsBadAnswers_data();
    void reloginOutlastsBadAnswers();
    void refusedCertificateIsNoOutage();
};

void tst_LoginSession::initTestCase()
{
    QVERIFY(dataDir.isValid());
    QVERIFY(installConnectionPlugins());
    log.emplace(std::initializer_list<QtMsgType>{QtDebugMsg, QtInfoMsg, QtWarningMsg, QtCriticalMsg, QtFatalMsg});
    primary = startServer();
    spare = startServer();
    QVERIFY(primary->isListening() && spare->isListening());
    // Refused probes wait out their slots: short slots and few probes keep the hand-overs quick.
    qputenv("VELMORAN_CONN_TIMINGS", "requestTimeoutMs=1000,probeCount=3");
    qputenv("VELMORAN_MAINLINK_HOST", QByteArray("127.0.0.1:") + QByteArray::number(primary->port()));
    qputenv("VELMORAN_SPARELINK_HOST", QByteArray("127.0.0.1:") + QByteArray::number(spare->port()));

    QVERIFY(kuConnectionManager::instance());
    kuConnectionManager::instance()->setReloginTimings(100, 400, 120000);
    form = kuLoginForm::instance();
    connect(form, &QDialog::accepted, &mainWindow, &QWidget::show);
    form->show();
}

void tst_LoginSession::cleanupTestCase()
{
    const QStringList logLines = log->lines();
    log.reset();
    // Passwords travel to the server only, never into the log.
    for (const QString& line : logLines) {
        QVERIFY2(!line.contains(QStringLiteral("PW=")) && !line.contains(wrongPassword), qPrintable(line));
    }
}

void tst_LoginSession::cleanup()
{
    catcher.boxes.clear();
    primary->clearRequests();
    spare->clearRequests();
}

void tst_LoginSession::emptyReplyShowsNetworkError()
{
    primary->setReplyStatus(500);
    login(QStringLiteral("demo"), QStringLiteral("demo"));
    expectRefusal(1, QStringLiteral("Ошибка сетевого доступа."));
    primary->setReplyStatus(0);
}

void tst_LoginSession::eachRefusalShowsOneBox()
{
    const QString refused = QStringLiteral("Неверное имя пользователя или пароль.");
    login(QStringLiteral("demo"), wrongPassword);
    expectRefusal(1, refused);
    login(QStringLiteral("demo"), wrongPassword);
    expectRefusal(2, refused);
    // The user name goes out in upper case, as the field shows it.
    QCOMPARE(logins(*primary, QStringLiteral("DEMO")), 2);
}

void tst_LoginSession::otherServerTakesTheNextLogin()
{
    // The failed logins above built a connection to the primary server; choosing
    // the spare one, even while a login waits there, moves the next login to it.
    auto* servers = formChild<QComboBox>(form, "comboServers");
    QCOMPARE(servers->currentIndex(), 0);
    primary->setReplyDelay(60000);
    login(QStringLiteral("demo"), QStringLiteral("demo"));
    QTRY_COMPARE(logins(*primary, QStringLiteral("DEMO")), 1);
    QTest::keyClick(servers, Qt::Key_Down);
    primary->setReplyDelay(0);
    QCOMPARE(servers->currentText(), QStringLiteral("Резервный сервер"));
    QVERIFY(acceptButton()->isEnabled());

    QSignalSpy accepted(form.data(), &QDialog::accepted);
    login(QStringLiteral("demo"), QStringLiteral("demo"));
    QTRY_VERIFY_WITH_TIMEOUT(mainWindow.isVisible(), 10000);
    QCOMPARE(accepted.count(), 1);
    QVERIFY(!form->isVisible());
    QCOMPARE(logins(*spare, QStringLiteral("DEMO")), 1);
    QCOMPARE(logins(*primary, QStringLiteral("DEMO")), 1);
    QCOMPARE(spare->sessionCount(), 1);
    // Of the refusals before, no late box follows.
    QVERIFY(catcher.boxes.isEmpty());
}

void tst_LoginSession::hiddenReloginAfterTheServerDrops()
{
    // The connection gives the spare server up and the manager moves to the
    // primary one, where the hidden form logs in again with what it holds.
    spare->stopListening();
    const int sessions = primary->sessionCount();
    QTRY_COMPARE_WITH_TIMEOUT(logins(*primary, QStringLiteral("DEMO")), 1, 30000);
    QTRY_COMPARE_WITH_TIMEOUT(primary->sessionCount(), sessions + 1, 10000);
    QTRY_VERIFY(acceptButton()->isEnabled());
    QVERIFY(!form->isVisible());
    QVERIFY(mainWindow.isVisible());
    QVERIFY(catcher.boxes.isEmpty());
    QVERIFY(spare->restartListening());
}

void tst_LoginSession::refusedHiddenReloginShowsTheForm()
{
    // Back on the spare server the password is no longer taken: the user gets
    // the form to correct it, not only a box.
    spare->setRefuseLogins(5);
    primary->stopListening();
    QTRY_VERIFY_WITH_TIMEOUT(form->isVisible(), 30000);
    QTRY_COMPARE_WITH_TIMEOUT(catcher.boxes.size(), 1, 10000);
    QCOMPARE(catcher.boxes.first().text, QStringLiteral("Неверное имя пользователя или пароль."));
    QVERIFY(edit("editPassword")->text().isEmpty());
    QCOMPARE(edit("editLogin")->text(), QStringLiteral("DEMO"));
    QVERIFY(!acceptButton()->isEnabled());
    type(edit("editPassword"), QStringLiteral("demo"));
    QVERIFY(acceptButton()->isEnabled());
    // A refusal ends the restoring at once: nothing more goes out.
    QCOMPARE(logins(*spare, QStringLiteral("DEMO")), 1);
    QVERIFY(!kuConnectionManager::instance()->isRestoring());
    QVERIFY(!kuConnectionManager::instance()->isReloginScheduled());
}

void tst_LoginSession::unreachableHiddenReloginKeepsTrying()
{
    // Logged in on the spare server again; it drops too while the primary one
    // is still down: the hidden form tries both in turn, each time told when
    // the next try is, and once the primary one is back the session is too.
    spare->setRefuseLogins(0);
    auto* servers = formChild<QComboBox>(form, "comboServers");
    login(QStringLiteral("demo"), QStringLiteral("demo"));
    QTRY_VERIFY_WITH_TIMEOUT(!form->isVisible(), 10000);
    QCOMPARE(servers->currentIndex(), 1);
    const QPointer<kuConnectionManager> manager = kuConnectionManager::instance();
    QSignalSpy status(manager.data(), &kuConnectionManager::restoringStatus);
    auto scheduled = [&status] {
        int n = 0;
        for (const auto& args : qAsConst(status))
            n += args.at(0).toBool() && args.at(1).toInt() >= 0 ? 1 : 0;
        return n;
    };
    spare->stopListening();
    QTRY_VERIFY_WITH_TIMEOUT(scheduled() >= 4, 30000);
    QVERIFY(manager->isRestoring());
    QVERIFY(!form->isVisible());
    QVERIFY(catcher.boxes.isEmpty());

    QVERIFY(primary->restartListening());
    QTRY_VERIFY_WITH_TIMEOUT(!manager->isRestoring(), 10000);
    QCOMPARE(status.last(), (QVariantList{false, -1}));
    QVERIFY(!manager->connection()->sessionId().isEmpty());
    QCOMPARE(manager->currentIndex(), 0);
    QCOMPARE(logins(*primary, QStringLiteral("DEMO")), 1);
    QVERIFY(!form->isVisible());
    QVERIFY(mainWindow.isVisible());
    QVERIFY(catcher.boxes.isEmpty());
    QVERIFY(spare->restartListening());
}

void tst_LoginSession::reloginOutlastsBadAnswers_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("hanging") << int(kuDemoHostile::Hang);
    QTest::newRow("no session") << int(kuDemoHostile::NoSession);
    QTest::newRow("cut off") << int(kuDemoHostile::CutOff);
}

void tst_LoginSession::reloginOutlastsBadAnswers()
{
    // The server in use drops; the other one answers its next two logins
    // badly. The re-login goes on, on both in turn, until the other one answers.
    QFETCH(int, mode);
    const QPointer<kuConnectionManager> manager = kuConnectionManager::instance();
    const int from = manager->currentIndex();
    kuDemoServer* lost = from == 0 ? primary.get() : spare.get();
    kuDemoServer* other = from == 0 ? spare.get() : primary.get();
    other->setHostile(kuDemoHostile::Mode(mode), QStringLiteral("kuAuthorized"), 2);
    lost->stopListening();
    QTRY_VERIFY_WITH_TIMEOUT(manager->isRestoring(), 30000);
    QTRY_VERIFY_WITH_TIMEOUT(!manager->isRestoring(), 30000);
    QVERIFY(!manager->connection()->sessionId().isEmpty());
    QCOMPARE(manager->currentIndex(), 1 - from);
    QCOMPARE(logins(*other, QStringLiteral("DEMO")), 3);
    QVERIFY(!form->isVisible());
    QVERIFY(mainWindow.isVisible());
    QVERIFY(catcher.boxes.isEmpty());
    QVERIFY(lost->restartListening());
}

void tst_LoginSession::refusedCertificateIsNoOutage()
{
    // The server in use drops and the other one's certificate is not accepted
    // (verified as a remote server's is): the form comes back saying so, not
    // as an outage, and nothing is tried again.
    const QPointer<kuConnectionManager> manager = kuConnectionManager::instance();
    const int from = manager->currentIndex();
    kuDemoServer* lost = from == 0 ? primary.get() : spare.get();
    kuDemoServer* other = from == 0 ? spare.get() : primary.get();
    kuTlsPolicy strict;
    strict.setLoopbackExempt(false);
    kuTlsPolicy::setProcessPolicy(strict);
    lost->stopListening();
    QTRY_VERIFY_WITH_TIMEOUT(form->isVisible(), 30000);
    QTRY_COMPARE_WITH_TIMEOUT(catcher.boxes.size(), 1, 10000);
    QCOMPARE(catcher.boxes.first().text,
             QStringLiteral("Сертификат сервера 127.0.0.1 не принят: сертификат выдан неизвестным центром "
                            "сертификации.\nСоединение может быть перехвачено, поэтому пароль на сервер не отправлен."));
    QVERIFY(!manager->isRestoring());
    QVERIFY(!manager->isReloginScheduled());
    QCOMPARE(manager->currentIndex(), 1 - from);
    // The login never reached the server.
    QVERIFY(other->requests().isEmpty());
    kuTlsPolicy::setProcessPolicy(kuTlsPolicy());
    QVERIFY(lost->restartListening());
}

LOGINFORM_TEST_MAIN(tst_LoginSession)

#include "tst_loginsession.moc"
