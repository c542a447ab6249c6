#pragma once

#include <QDialog>
#include <QPointer>

// The login form. Only what start-up needs so far: accepting it shows the main window.
class kuLoginForm : public QDialog
{
    Q_OBJECT
public:
    static QPointer<kuLoginForm> instance();

private:
    kuLoginForm();
};
