#include "kuclient.h"
#include "kuconnectionmanager.h"
#include "kuqueuedmessagetoolbar.h"
#include "kuqueuedmessagewidget.h"
#include "kutabwidget.h"
#include "kuworkspace.h"
#include "serverclock.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QTimer>
#include <QtTest>

// The shell knows the chooser only by name; here it is a dialog that is closed or accepted.
class kuPaperListForm : public QDialog
{
public:
    using QDialog::QDialog;
    int refills = 0;
    int current = 42;
};

// The main window's workspace tabs and what drives them.
class tst_Client : public QObject
{
    Q_OBJECT

private slots:
    void startsWithOneWorkspace();
    void followsTheConnectionManager();
    void infoMessagesGoToTheCurrentWorkspace();
    void choosePaper_data();
    void choosePaper();
    void sharedDialogsUnregistered();
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

void tst_Client::choosePaper_data()
{
    QTest::addColumn<bool>("accept");
    QTest::addColumn<int>("chosen");
    QTest::newRow("closed") << false << 0;
    QTest::newRow("accepted") << true << 42;
}

void tst_Client::choosePaper()
{
    QFETCH(bool, accept);
    QFETCH(int, chosen);
    kuClient::setPaperListFormCreator(
            [](QWidget* parent) {
                auto* form = new kuPaperListForm(parent);
                return std::make_pair(form, static_cast<QDialog*>(form));
            },
            [](kuPaperListForm* form) { ++form->refills; }, [](kuPaperListForm* form) { return form->current; });
    QPointer<kuClient> client = kuClient::instance();
    kuPaperListForm* form = client->paperListForm();
    QVERIFY(form);
    QCOMPARE(client->paperListForm(), form);
    QCOMPARE(form->parentWidget(), client.data());
    const int refills = form->refills;
    QTimer::singleShot(0, form, [form, accept] { accept ? form->accept() : form->reject(); });
    QCOMPARE(client->choosePaper(), chosen);
    QCOMPARE(form->refills, refills + 1);
}

// Before start-up registers them there are none, and Ctrl+T does nothing.
void tst_Client::sharedDialogsUnregistered()
{
    QPointer<kuClient> client = kuClient::instance();
    QVERIFY(!client->orderManager());
    auto* addOrder = client->findChild<QAction*>("mAddOrder");
    QVERIFY(addOrder);
    QCOMPARE(addOrder->text(), QStringLiteral("Ввод поручения"));
    QCOMPARE(addOrder->shortcut(), QKeySequence("Ctrl+T"));
    addOrder->trigger();
}

void tst_Client::cleanupTestCase()
{
    delete kuClient::instance().data();
}

QTEST_MAIN(tst_Client)
#include "tst_client.moc"
