#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

#include <memory>

#include "wintype.h"

class QComboBox;
class QEvent;
class QLineEdit;
class QPushButton;
class QShowEvent;
class kuAbstractDataConverter;

namespace Ui {
class kuLoginForm;
}

// The login dialog: server choice, user name, password and the HTTP proxy.
// One instance per process; after a broken connection the connection manager
// invokes onAcceptButtonPressed on it by name to log in again while it is hidden.
class kuLoginForm : public QDialog
{
    Q_OBJECT
public:
    static QPointer<kuLoginForm> instance();
    ~kuLoginForm() override;

public slots:
    void onAcceptButtonPressed();
    void moveFocusToPasswordLine();
    void moveFocusToAcceptButton();
    void checkToEnableButton(QString pass);
    void editToUpperCase(QString str);
    void slot_onAuthorized(WinType winType, QString msg, int priority);
    void slot_connError(QString msg);

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    kuLoginForm();
    static QPointer<kuLoginForm> create();

    void fillServers();
    void loadSettings();
    void saveSettings();
    void applyProxySettings();
    void disconnectConverter();
    void selectServer(int index);

    std::unique_ptr<Ui::kuLoginForm> ui;
    QLineEdit* editPassword = nullptr;
    QLineEdit* editLogin = nullptr;
    QLineEdit* editProxyServer = nullptr;
    QLineEdit* editProxyPort = nullptr;
    QLineEdit* editProxyUsername = nullptr;
    QLineEdit* editProxyPassword = nullptr;
    QComboBox* comboServers = nullptr;
    QPushButton* acceptButton = nullptr;
    QPushButton* cancelButton = nullptr;
    // The converter slot_onAuthorized listens to, so the same one is disconnected.
    QPointer<kuAbstractDataConverter> converter;
    // Said in place of the network error when the login's certificate was refused.
    QString certificateRefusal;
};
