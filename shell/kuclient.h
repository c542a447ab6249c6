#pragma once

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QSharedPointer>

class QMenu;
class kuAbstractPluginWidget;
class kuPluginManager;
class kuTabWidget;

// The main window. So far: created hidden, shown once the login form is
// accepted, with the workspace tabs as its central widget; its menu
// "Расширения" opens the plug-in manager and holds the widget plug-ins' entries.
class kuClient : public QMainWindow
{
    Q_OBJECT
public:
    static QPointer<kuClient> createInstance(QWidget* parent = nullptr);
    static QPointer<kuClient> instance();
    ~kuClient() override;

    // The plug-in manager dialog, made on first use.
    kuPluginManager* pluginManager();
    // Windows and menu entries of the enabled widget plug-ins.
    void loadPluginActions();

    kuTabWidget* tabWidget() const;

public slots:
    // Shown on the message bar of the current workspace; an empty text is ignored.
    void showInfoMessage(const QString& text, int timeout);

private:
    explicit kuClient(QWidget* parent);

    QPointer<kuTabWidget> m_tabWidget;
    QMenu* m_pluginsMenu = nullptr;
    QPointer<kuPluginManager> m_pluginManager;
    QList<QSharedPointer<kuAbstractPluginWidget>> m_pluginWindows;
};
