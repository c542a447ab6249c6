#include "kuloginform.h"
#include "ui_kuloginform.h"

#include <QEvent>
#include <QNetworkProxy>
#include <QPushButton>
#include <QShowEvent>
#include <QValidator>

#include "kuabstractdataconverter.h"
#include "kuapplication.h"
#include "kuconnectionmanager.h"
#include "kufunctions.h"
#include "kuversion.h"

namespace {

QPointer<kuLoginForm> g_form;

const QString clientVersion = QStringLiteral(VELMORAN_VERSION);

// What the converter gives a login without a reply or without a session.
constexpr int networkFailure = 7;

// Proxy ports run to 65535, so five digits; an empty field or 0 is no port yet.
class PortValidator : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString& input, int&) const override
    {
        if (input.isEmpty())
            return Intermediate;
        if (input.size() > 5)
            return Invalid;
        for (const QChar c : input)
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return Invalid;
        const int port = input.toInt();
        if (port > 65535)
            return Invalid;
        return port == 0 ? Intermediate : Acceptable;
    }
};

} // namespace

kuLoginForm::kuLoginForm() : ui(std::make_unique<Ui::kuLoginForm>())
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("kuLoginForm"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    // Over the main window too, when a failed re-login brings the form back.
    setWindowModality(Qt::ApplicationModal);
    fillServers();
    loadSettings();
}

kuLoginForm::~kuLoginForm() = default;

QPointer<kuLoginForm> kuLoginForm::create()
{
    g_form = new kuLoginForm;
    return g_form;
}

QPointer<kuLoginForm> kuLoginForm::instance()
{
    return g_form ? g_form : create();
}

void kuLoginForm::fillServers()
{
    editPassword = ui->editPassword;
    editLogin = ui->editLogin;
    editProxyServer = ui->editProxyServer;
    editProxyPort = ui->editProxyPort;
    editProxyUsername = ui->editProxyUsername;
    editProxyPassword = ui->editProxyPassword;
    comboServers = ui->comboServers;
    acceptButton = ui->buttonBox->button(QDialogButtonBox::Ok);
    cancelButton = ui->buttonBox->button(QDialogButtonBox::Cancel);
    acceptButton->setEnabled(false);
    // Return is for logging in: with the fields still empty it does nothing, where the Cancel button,
    // focused or default, would end the program at a reflex keystroke.
    acceptButton->setDefault(true);
    cancelButton->setAutoDefault(false);
    editProxyPort->setValidator(new PortValidator(editProxyPort));

    const QPointer<kuConnectionManager> manager = kuConnectionManager::instance();
    comboServers->addItems(manager->connectorNames());

    connect(editLogin, &QLineEdit::editingFinished, this, &kuLoginForm::moveFocusToPasswordLine);
    connect(editPassword, &QLineEdit::editingFinished, this, &kuLoginForm::moveFocusToAcceptButton);
    connect(comboServers, QOverload<int>::of(&QComboBox::activated), this, &kuLoginForm::selectServer);
    connect(manager, &kuConnectionManager::connectError, this, &kuLoginForm::slot_connError);
    connect(manager, &kuConnectionManager::certificateRefused, this, [this](const QString& host, const QString& reason) {
        certificateRefusal = tr("Сертификат сервера %1 не принят: %2.\n"
                                "Соединение может быть перехвачено, поэтому пароль на сервер не отправлен.")
                                     .arg(host, reason);
    });
    // The user's cancel ends the restoring of a lost connection.
    connect(this, &QDialog::rejected, manager, &kuConnectionManager::endRestoring);
    // After a broken connection is replaced, the form logs in again on the new one.
    manager->setReloginReceiver(this);
    connect(editLogin, &QLineEdit::textChanged, this, [this] { checkToEnableButton(editPassword->text()); });
    connect(cancelButton, &QPushButton::clicked, this, &QWidget::close);
    connect(acceptButton, &QPushButton::clicked, this, &kuLoginForm::onAcceptButtonPressed);
}

void kuLoginForm::loadSettings()
{
    const kuNetworkSettings settings = kuApplication::instance()->networkSettings();
    ui->isEnableProxy->setChecked(settings.proxyEnabled);
    editProxyServer->setText(settings.proxyHost);
    editProxyPort->setText(QString::number(settings.proxyPort));
    editProxyUsername->setText(settings.proxyUser);
    editProxyPassword->setText(settings.proxyPassword);
}

void kuLoginForm::saveSettings()
{
    kuNetworkSettings settings;
    settings.proxyEnabled = ui->isEnableProxy->isChecked();
    settings.proxyHost = editProxyServer->text();
    settings.proxyPort = editProxyPort->text().toUShort(nullptr, 10);
    settings.proxyUser = editProxyUsername->text();
    settings.proxyPassword = editProxyPassword->text();
    kuApplication::instance()->setNetworkSettings(settings);
}

void kuLoginForm::applyProxySettings()
{
    if (ui->isEnableProxy->checkState() != Qt::Checked) {
        QNetworkProxy::setApplicationProxy(QNetworkProxy());
        return;
    }
    QNetworkProxy proxy(QNetworkProxy::HttpProxy, editProxyServer->text(), editProxyPort->text().toUShort(nullptr, 10),
                        editProxyUsername->text(), editProxyPassword->text());
    // The proxy password stays out of the log.
    qDebug().noquote()
            << tr("Настройки прокси-сервера: %1:%2@%3").arg(proxy.hostName()).arg(proxy.port()).arg(proxy.user());
    QNetworkProxy::setApplicationProxy(proxy);
}

void kuLoginForm::onAcceptButtonPressed()
{
    const QString login = editLogin->text();
    const QString password = editPassword->text();
    saveSettings();
    applyProxySettings();
    acceptButton->setEnabled(false);
    certificateRefusal.clear();

    const QPointer<kuConnectionManager> manager = kuConnectionManager::instance();
    const QPointer<kuAbstractConn> connection = manager->connection();
    const QPointer<kuAbstractDataConverter> current = manager->dataConverter();
    if (current && current != converter)
        disconnectConverter();
    converter = current;
    // Listening before the request, and once: a second press must not double every reply.
    if (converter)
        connect(converter, &kuAbstractDataConverter::on_receviedError, this, &kuLoginForm::slot_onAuthorized,
                Qt::UniqueConnection);
    if (connection)
        connection->authorize(login, password, clientVersion, osDescription());
}

void kuLoginForm::selectServer(int index)
{
    kuConnectionManager::instance()->changeConnector(index);
    // A login still waiting on the server left behind gets no answer any more.
    checkToEnableButton(editPassword->text());
}

void kuLoginForm::moveFocusToPasswordLine()
{
    editPassword->setFocus(Qt::OtherFocusReason);
}

void kuLoginForm::moveFocusToAcceptButton()
{
    acceptButton->setFocus();
    acceptButton->setDefault(true);
}

void kuLoginForm::checkToEnableButton(QString pass)
{
    // An empty field would reach the server as a technical error, not as a refusal.
    acceptButton->setEnabled(comboServers->count() > 0 && !pass.isEmpty() && !editLogin->text().isEmpty());
}

void kuLoginForm::editToUpperCase(QString str)
{
    const int cursor = editLogin->cursorPosition();
    editLogin->setText(str.toUpper());
    editLogin->setCursorPosition(cursor);
}

void kuLoginForm::slot_onAuthorized(WinType winType, QString msg, int priority)
{
    if (winType != wtAuthorization)
        return;
    const bool notice = priority >= 1 && priority <= 4;
    if (!msg.isEmpty() && !notice) {
        const QPointer<kuConnectionManager> manager = kuConnectionManager::instance();
        if (priority == networkFailure && !certificateRefusal.isEmpty()) {
            // Not an outage, and not tried again: the same certificate would be refused.
            msg = certificateRefusal;
        } else if (priority == networkFailure && !isVisible() && manager && manager->retryRelogin()) {
            // The hidden re-login after a lost connection keeps trying while the server is away.
            qWarning().noquote() << msg << "The re-login is tried again.";
            return;
        }
        if (manager)
            manager->endRestoring();
        qCritical().noquote() << msg;
        // A refused re-login after a broken connection runs hidden; the user needs the form back,
        // showing the server that re-login went to, which the next login uses too.
        if (!isVisible()) {
            comboServers->setCurrentIndex(kuConnectionManager::instance()->currentIndex());
            show();
        }
        showError(msg);
        editPassword->clear();
        checkToEnableButton(editPassword->text());
        return;
    }
    if (!msg.isEmpty())
        showMessage(msg);
    acceptButton->setEnabled(true);
    emit accepted();
    disconnectConverter();
    hide();
}

void kuLoginForm::slot_connError(QString msg)
{
    if (!msg.isEmpty()) {
        qCritical().noquote() << msg;
        showError(msg);
    }
    checkToEnableButton(editPassword->text());
    disconnectConverter();
}

void kuLoginForm::disconnectConverter()
{
    if (converter)
        disconnect(converter, &kuAbstractDataConverter::on_receviedError, this, &kuLoginForm::slot_onAuthorized);
}

void kuLoginForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Without a window manager a modal form shown again can stay below the main
    // window, which then looks frozen.
    raise();
    activateWindow();
}

void kuLoginForm::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
}
