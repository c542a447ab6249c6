#include "kuclient.h"
#include "kuconnectionmanager.h"
#include "kuqueuedmessagetoolbar.h"
#include "kuqueuedmessagewidget.h"
#include "kutabwidget.h"
#include "kuworkspace.h"
#include "serverclock.h"

#include <QLabel>
#include <QtTest>

// The main window's workspace tabs and what drives them.
class tst_Client : public QObject
{
    Q_OBJECT

private slots:
    void startsWithOneWorkspace();
    void followsTheConnectionManager();
    void infoMessagesGoToTheCurrentWorkspace();
    void cleanupTestCase();
};

void tst_Client::startsWithOneWorkspace()
{
    QPointer<kuClient> client = kuClient::createInstance();
    kuTabWidget* tabs = client->tabWidget();
    QVERIFY(tabs);
    QCOMPARE(client->centralWidget(), tabs);
    QCOMPARE(tabs->count(), 1);
    QCOMPARE(tabs->tabName(0), QStringLiteral("Рабочий стол №1"));
    QVERIFY(tabs->currentWorkSpace());
    QVERIFY(tabs->status());
}

void tst_Client::followsTheConnectionManager()
{
    kuTabWidget* tabs = kuClient::instance()->tabWidget();
    const QPointer<kuConnectionManager> manager = kuConnectionManager::instance();
    emit manager->on_connStatusChange(false);
    QVERIFY(!tabs->status());
    emit manager->on_connStatusChange(true);
    QVERIFY(tabs->status());

    QVERIFY(setServerDateTime(QDate(2026, 12, 10), QTime(18, 45, 0)));
    emit manager->on_syncDateTime();
    QCOMPARE(tabs->findChild<QLabel*>("clockLabel")->text(), QStringLiteral("18:45:00"));
}

void tst_Client::infoMessagesGoToTheCurrentWorkspace()
{
    QPointer<kuClient> client = kuClient::instance();
    kuQueuedMessageWidget* messages = client->tabWidget()->currentWorkSpace()->messageBar()->messageWidget();
    client->showInfoMessage(QString(), 5000);
    QCOMPARE(messages->count(), 0);
    client->showInfoMessage("Поручение отправлено", 5000);
    QCOMPARE(messages->count(), 1);
    QCOMPARE(messages->currentMessage().timeout, 5000);
    QVERIFY(!messages->currentMessage().pixmap.isNull());
}

void tst_Client::cleanupTestCase()
{
    delete kuClient::instance().data();
}

QTEST_MAIN(tst_Client)
#include "tst_client.moc"
