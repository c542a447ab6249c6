#include <QtTest>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QNetworkProxy>
#include <QTabWidget>
#include <QTcpServer>

#include "kuabstractdataconverter.h"
#include "kuapplication.h"
#include "kuconnectionmanager.h"
#include "kuloginform.h"
#include "logcapture.h"
#include "loginformfixture.h"

class tst_LoginForm : public QObject
{
    Q_OBJECT

    QPointer<kuLoginForm> form;
    std::unique_ptr<BoxCatcher> catcher;
    // Takes the plug-ins' requests and never answers, so no outcome comes in
    // behind the cases' backs and no server on the usual ports gets a login.
    QTcpServer silentServer;

    template <typename T>
    T* child(const char* name) const
    {
        return formChild<T>(form, name);
    }
    QLineEdit* edit(const char* name) const { return formEdit(form, name); }
    QPushButton* acceptButton() const { return formAcceptButton(form); }

    void newForm()
    {
        delete form.data();
        form = kuLoginForm::instance();
        QVERIFY(form);
    }

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void freshForm();
    void userNameIsUpperCaseAndShort_data();
    void userNameIsUpperCaseAndShort();
    void acceptButtonRules();
    void finishedFieldsMoveTheFocus();
    void returnOnTheUntouchedForm_data();
    void returnOnTheUntouchedForm();
    void proxyPortTakesFiveDigits_data();
    void proxyPortTakesFiveDigits();
    void proxyRecordSavedAndApplied_data();
    void proxyRecordSavedAndApplied();
    void loginOutcome_data();
    void loginOutcome();
    void connectionErrorReEnablesTheButton_data();
    void connectionErrorReEnablesTheButton();
    void languageChangeKeepsTheFields();
    void shownAgainOverTheMainWindow();
};

void tst_LoginForm::initTestCase()
{
    QVERIFY(installConnectionPlugins());
    QVERIFY(silentServer.listen(QHostAddress::LocalHost));
    const QByteArray host = QByteArray("127.0.0.1:") + QByteArray::number(silentServer.serverPort());
    qputenv("VELMORAN_MAINLINK_HOST", host);
    qputenv("VELMORAN_SPARELINK_HOST", host);
    QVERIFY(kuConnectionManager::instance());
}

void tst_LoginForm::init()
{
    catcher = std::make_unique<BoxCatcher>();
    newForm();
}

void tst_LoginForm::cleanup()
{
    QNetworkProxy::setApplicationProxy(QNetworkProxy());
    delete form.data();
    catcher.reset();
}

void tst_LoginForm::freshForm()
{
    QCOMPARE(form->objectName(), QStringLiteral("kuLoginForm"));
    QCOMPARE(form->windowTitle(), QStringLiteral("Авторизация"));
    QCOMPARE(form->windowModality(), Qt::ApplicationModal);
    QVERIFY(!(form->windowFlags() & Qt::WindowContextHelpButtonHint));
    auto* tabs = child<QTabWidget>("tabWidgetLogin");
    QCOMPARE(tabs->currentWidget()->objectName(), QStringLiteral("tabConnect"));
    QCOMPARE(tabs->tabText(0), QStringLiteral("Подключение"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("Прокси-сервер"));
    QVERIFY(!child<QCheckBox>("isEnableProxy")->isChecked());
    auto* servers = child<QComboBox>("comboServers");
    QCOMPARE(servers->count(), 2);
    QCOMPARE(servers->itemText(0), QStringLiteral("Основной сервер"));
    QCOMPARE(servers->itemText(1), QStringLiteral("Резервный сервер"));
    QVERIFY(!acceptButton()->isEnabled());
    QCOMPARE(kuLoginForm::instance(), form);
}

void tst_LoginForm::userNameIsUpperCaseAndShort_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("latin") << "demo"
                           << "DEMO";
    QTest::newRow("mixed") << "dEmo_1"
                           << "DEMO_1";
    QTest::newRow("cyrillic") << "иванов"
                              << "ИВАНОВ";
    QTest::newRow("longer than 24") << "abcdefghijklmnopqrstuvwxyz"
                                    << "ABCDEFGHIJKLMNOPQRSTUVWX";
}

void tst_LoginForm::userNameIsUpperCaseAndShort()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QLineEdit* login = edit("editLogin");
    type(login, typed);
    QCOMPARE(login->text(), shown);
    if (shown.size() == login->maxLength())
        return;
    // A letter typed in the middle lands there, not at the end.
    login->setCursorPosition(1);
    type(login, QStringLiteral("x"));
    QCOMPARE(login->text().left(2), shown.left(1) + QLatin1Char('X'));
}

void tst_LoginForm::acceptButtonRules()
{
    // Both fields hold text, or the server answers with a technical error.
    QLineEdit* password = edit("editPassword");
    QLineEdit* login = edit("editLogin");
    type(password, QStringLiteral("s"));
    QVERIFY(!acceptButton()->isEnabled());
    type(login, QStringLiteral("demo"));
    QVERIFY(acceptButton()->isEnabled());
    password->clear();
    QVERIFY(!acceptButton()->isEnabled());
    type(password, QStringLiteral("s"));
    login->clear();
    QVERIFY(!acceptButton()->isEnabled());
    type(login, QStringLiteral("demo"));
    password->clear();

    // Without a server to choose, no password enables it.
    child<QComboBox>("comboServers")->clear();
    type(password, QStringLiteral("secret"));
    QVERIFY(!acceptButton()->isEnabled());
}

void tst_LoginForm::finishedFieldsMoveTheFocus()
{
    form->show();
    QVERIFY(QTest::qWaitForWindowActive(form));
    QLineEdit* login = edit("editLogin");
    login->setFocus(Qt::MouseFocusReason);
    type(login, QStringLiteral("demo"));
    QTest::keyClick(login, Qt::Key_Return);
    QTRY_COMPARE(QApplication::focusWidget(), edit("editPassword"));
    QVERIFY(!acceptButton()->isEnabled());

    // A finished password hands over to the accept button, so Return then logs in.
    type(edit("editPassword"), QStringLiteral("secret"));
    emit edit("editPassword")->editingFinished();
    QTRY_COMPARE(QApplication::focusWidget(), acceptButton());
    QVERIFY(acceptButton()->isDefault());
}

void tst_LoginForm::returnOnTheUntouchedForm_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::newRow("as opened, Return") << "" << int(Qt::Key_Return);
    QTest::newRow("as opened, Enter") << "" << int(Qt::Key_Enter);
    QTest::newRow("on Cancel, Return") << "cancel" << int(Qt::Key_Return);
    QTest::newRow("on the user name, Return") << "login" << int(Qt::Key_Return);
}

// Return at start is a reflex: with nothing typed it must not close the form, which ends the program.
void tst_LoginForm::returnOnTheUntouchedForm()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QPushButton* cancel = formChild<QDialogButtonBox>(form, "buttonBox")->button(QDialogButtonBox::Cancel);
    form->show();
    QVERIFY(QTest::qWaitForWindowActive(form));
    if (focus == "cancel")
        cancel->setFocus(Qt::TabFocusReason);
    else if (focus == "login")
        edit("editLogin")->setFocus(Qt::MouseFocusReason);
    if (!focus.isEmpty())
        QTRY_VERIFY(QApplication::focusWidget() == cancel || QApplication::focusWidget() == edit("editLogin"));
    QSignalSpy finished(form.data(), &QDialog::finished);
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : form.data();
    QTest::keyClick(target, Qt::Key(key));
    QCoreApplication::processEvents();
    QVERIFY(form->isVisible());
    QCOMPARE(finished.count(), 0);
    QVERIFY(catcher->boxes.isEmpty());
    // It stays with OK, which logs in once both fields are filled.
    QVERIFY(acceptButton()->isDefault());
    QVERIFY(!cancel->isDefault());
}

void tst_LoginForm::proxyPortTakesFiveDigits_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("acceptable");
    QTest::newRow("four digits") << "3128"
                                 << "3128" << true;
    QTest::newRow("five digits") << "10000"
                                 << "10000" << true;
    QTest::newRow("highest") << "65535"
                             << "65535" << true;
    QTest::newRow("above the range") << "65536"
                                     << "6553" << true;
    QTest::newRow("five nines") << "99999"
                                << "9999" << true;
    QTest::newRow("six digits") << "123456"
                                << "12345" << true;
    QTest::newRow("letters") << "8a0b8"
                             << "808" << true;
    QTest::newRow("zero") << "0"
                          << "0" << false;
    QTest::newRow("sign") << "-1"
                          << "1" << true;
}

void tst_LoginForm::proxyPortTakesFiveDigits()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(bool, acceptable);
    QLineEdit* port = edit("editProxyPort");
    port->clear();
    type(port, typed);
    QCOMPARE(port->text(), shown);
    QCOMPARE(port->hasAcceptableInput(), acceptable);
}

void tst_LoginForm::proxyRecordSavedAndApplied_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::newRow("enabled") << true;
    QTest::newRow("disabled") << false;
}

void tst_LoginForm::proxyRecordSavedAndApplied()
{
    QFETCH(bool, enabled);
    kuNetworkSettings stored;
    stored.proxyHost = QStringLiteral("127.0.0.1");
    stored.proxyPort = 3128;
    stored.proxyUser = QStringLiteral("squid");
    stored.proxyPassword = QStringLiteral("proxy-secret");
    stored.proxyEnabled = enabled;
    kuApplication::instance()->setNetworkSettings(stored);
    newForm();
    QCOMPARE(edit("editProxyServer")->text(), stored.proxyHost);
    QCOMPARE(edit("editProxyPort")->text(), QStringLiteral("3128"));
    QCOMPARE(edit("editProxyUsername")->text(), stored.proxyUser);
    QCOMPARE(edit("editProxyPassword")->text(), stored.proxyPassword);
    QCOMPARE(child<QCheckBox>("isEnableProxy")->isChecked(), enabled);

    edit("editProxyPort")->setText(QStringLiteral("60000"));
    type(edit("editLogin"), QStringLiteral("demo"));
    type(edit("editPassword"), QStringLiteral("login-secret"));
    // A proxy left from an earlier login must go when the box is cleared.
    QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), 9));
    QStringList logLines;
    {
        LogCapture log;
        QTest::mouseClick(acceptButton(), Qt::LeftButton);
        logLines = log.lines();
    }

    const kuNetworkSettings saved = kuApplication::instance()->networkSettings();
    QCOMPARE(saved.proxyEnabled, enabled);
    QCOMPARE(saved.proxyHost, stored.proxyHost);
    QCOMPARE(saved.proxyPort, quint16(60000));
    QCOMPARE(saved.proxyUser, stored.proxyUser);
    QCOMPARE(saved.proxyPassword, stored.proxyPassword);
    QVERIFY(!acceptButton()->isEnabled());

    const QNetworkProxy proxy = QNetworkProxy::applicationProxy();
    if (enabled) {
        QCOMPARE(proxy.type(), QNetworkProxy::HttpProxy);
        QCOMPARE(proxy.hostName(), stored.proxyHost);
        QCOMPARE(proxy.port(), quint16(60000));
        QCOMPARE(proxy.user(), stored.proxyUser);
        QCOMPARE(proxy.password(), stored.proxyPassword);
        QVERIFY(logLines.join('\n').contains(QStringLiteral("127.0.0.1:60000@squid")));
    } else {
        // Qt keeps a reset application proxy as "no proxy".
        QCOMPARE(proxy.type(), QNetworkProxy::NoProxy);
    }
    for (const QString& line : qAsConst(logLines)) {
        QVERIFY2(!line.contains(QStringLiteral("secret")), qPrintable(line));
    }
}

void tst_LoginForm::loginOutcome_data()
{
    QTest::addColumn<bool>("shown");
    QTest::addColumn<int>("winType");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("priority");
    QTest::addColumn<int>("box"); // -1: none
    QTest::addColumn<bool>("accepted");

    const QString refused = QStringLiteral("Неверное имя пользователя или пароль.");
    const QString network = QStringLiteral("Ошибка сетевого доступа.");
    const int none = -1;
    QTest::newRow("accepted") << true << 1000 << "" << 0 << none << true;
    for (int level = 1; level <= 4; ++level)
        QTest::addRow("notice %d", level)
                << true << 1000 << "Торги начнутся в 10:00" << level << int(QMessageBox::Information) << true;
    QTest::newRow("refused") << true << 1000 << refused << 5 << int(QMessageBox::Critical) << false;
    QTest::newRow("no usable reply") << true << 1000 << network << 7 << int(QMessageBox::Critical) << false;
    QTest::newRow("other level") << true << 1000 << network << 0 << int(QMessageBox::Critical) << false;
    QTest::newRow("order book error") << true << 10 << refused << 5 << none << false;
    QTest::newRow("empty instrument list error") << true << 1001 << "" << 0 << none << false;
    // A re-login after a broken connection runs with the form hidden.
    QTest::newRow("hidden, accepted") << false << 1000 << "" << 0 << none << true;
    QTest::newRow("hidden, refused") << false << 1000 << refused << 5 << int(QMessageBox::Critical) << false;
}

void tst_LoginForm::loginOutcome()
{
    QFETCH(bool, shown);
    QFETCH(int, winType);
    QFETCH(QString, message);
    QFETCH(int, priority);
    QFETCH(int, box);
    QFETCH(bool, accepted);

    form->setVisible(shown);
    type(edit("editLogin"), QStringLiteral("demo"));
    type(edit("editPassword"), QStringLiteral("secret"));
    acceptButton()->setEnabled(false); // as while the request runs
    QSignalSpy acceptance(form.data(), &QDialog::accepted);

    form->slot_onAuthorized(WinType(winType), message, priority);

    QCOMPARE(catcher->boxes.size(), box == -1 ? 0 : 1);
    if (box != -1) {
        QCOMPARE(int(catcher->boxes.first().icon), box);
        QCOMPARE(catcher->boxes.first().text, message);
    }
    QCOMPARE(acceptance.count(), accepted ? 1 : 0);
    QCOMPARE(form->result(), 0); // the signal only: no event loop is left
    const bool refusal = box == QMessageBox::Critical;
    const bool untouched = !accepted && !refusal;
    QCOMPARE(form->isVisible(), refusal || (untouched && shown));
    QCOMPARE(edit("editPassword")->text(), refusal ? QString() : QStringLiteral("secret"));
    // A refusal cleared the password: Return must not send an empty one.
    QCOMPARE(acceptButton()->isEnabled(), accepted);
    QCOMPARE(edit("editLogin")->text(), QStringLiteral("DEMO"));
}

void tst_LoginForm::connectionErrorReEnablesTheButton_data()
{
    QTest::addColumn<QString>("message");
    QTest::newRow("with text") << "Не удалось подключиться к выбранному серверу. Пожалуйста, выберите другой сервер...";
    QTest::newRow("empty") << "";
}

void tst_LoginForm::connectionErrorReEnablesTheButton()
{
    QFETCH(QString, message);
    form->show();
    type(edit("editLogin"), QStringLiteral("demo"));
    type(edit("editPassword"), QStringLiteral("secret"));
    acceptButton()->setEnabled(false);
    emit kuConnectionManager::instance()->connectError(message);
    QCOMPARE(catcher->boxes.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty()) {
        QCOMPARE(catcher->boxes.first().icon, QMessageBox::Critical);
        QCOMPARE(catcher->boxes.first().text, message);
    }
    QVERIFY(acceptButton()->isEnabled());
    QVERIFY(form->isVisible());
}

// Shown again over a main window that is already up, it comes to the front.
void tst_LoginForm::shownAgainOverTheMainWindow()
{
    QMainWindow main;
    main.show();
    main.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &main);
    form->show();
    QTRY_COMPARE(QApplication::activeWindow(), form.data());
    form->hide();
    main.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &main);
    form->show();
    QTRY_COMPARE(QApplication::activeWindow(), form.data());
}

void tst_LoginForm::languageChangeKeepsTheFields()
{
    QLineEdit* port = edit("editProxyPort");
    port->setText(QStringLiteral("3128"));
    type(edit("editLogin"), QStringLiteral("demo"));
    child<QLabel>("labelUsername")->setText(QString());
    form->setWindowTitle(QString());

    QEvent change(QEvent::LanguageChange);
    QCoreApplication::sendEvent(form, &change);

    QCOMPARE(child<QLabel>("labelUsername")->text(), QStringLiteral("Пользователь:"));
    QCOMPARE(form->windowTitle(), QStringLiteral("Авторизация"));
    QCOMPARE(port->text(), QStringLiteral("3128"));
    QCOMPARE(edit("editLogin")->text(), QStringLiteral("DEMO"));
}

LOGINFORM_TEST_MAIN(tst_LoginForm)

#include "tst_loginform.moc"
