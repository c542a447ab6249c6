#pragma once

#include <QMainWindow>
#include <QPointer>

class kuTabWidget;

// The main window. So far: created hidden, shown once the login form is
// accepted, with the workspace tabs as its central widget.
class kuClient : public QMainWindow
{
    Q_OBJECT
public:
    static QPointer<kuClient> createInstance(QWidget* parent = nullptr);
    static QPointer<kuClient> instance();

    kuTabWidget* tabWidget() const;

public slots:
    // Shown on the message bar of the current workspace; an empty text is ignored.
    void showInfoMessage(const QString& text, int timeout);

private:
    explicit kuClient(QWidget* parent);

    QPointer<kuTabWidget> m_tabWidget;
};
