#pragma once

#include <QMainWindow>
#include <QPointer>

// The main window. Only what start-up needs so far: it is created hidden and
// shown once the login form is accepted.
class kuClient : public QMainWindow
{
    Q_OBJECT
public:
    static QPointer<kuClient> createInstance(QWidget* parent = nullptr);
    static QPointer<kuClient> instance();

private:
    explicit kuClient(QWidget* parent);
};
