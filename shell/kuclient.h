#pragma once

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QSharedPointer>

#include <functional>
#include <utility>

class QDialog;
class QMenu;
class kuOrderManager;
class kuPaperListForm;
class kuAbstractPluginWidget;
class kuAppSetting;
class kuPluginManager;
class kuTabWidget;

// The main window. So far: created hidden, shown once the login form is
// accepted, with the workspace tabs as its central widget; its menu
// "Расширения" opens the plug-in manager and holds the widget plug-ins' entries.
class kuClient : public QMainWindow
{
    Q_OBJECT
public:
    // Makes the main window when none is alive, then runs its init().
    static QPointer<kuClient> createInstance(QWidget* parent = nullptr);
    // The main window; made on first use while none has existed yet. Once the
    // main window is destroyed it stays null: a late paint or queued slot at
    // shutdown must not build a second main window.
    static QPointer<kuClient> instance();
    ~kuClient() override;

    // The look settings dialog, made on first use (never shown by that).
    kuAppSetting* appSetting();

    // The plug-in manager dialog, made on first use.
    kuPluginManager* pluginManager();
    // Windows and menu entries of the enabled widget plug-ins.
    void loadPluginActions();

    kuTabWidget* tabWidget() const;

    // The shared dialogs live in libraries above this one; start-up registers how they are made.
    // A maker returns the dialog as its own type and as a QDialog (the same object).
    using OrderManagerMaker = std::function<std::pair<kuOrderManager*, QDialog*>()>;
    using PaperListFormMaker = std::function<std::pair<kuPaperListForm*, QDialog*>(QWidget* parent)>;
    // reset runs on the order entry dialog at every fetch.
    static void setOrderManagerCreator(OrderManagerMaker make, std::function<void(kuOrderManager*)> reset);
    // refill loads the registry into the chooser; current reads its chosen instrument id (0 when none).
    static void setPaperListFormCreator(PaperListFormMaker make, std::function<void(kuPaperListForm*)> refill,
                                        std::function<int(kuPaperListForm*)> current);

    // The order entry dialog, made on first use without a parent, reset at every call; null until registered.
    kuOrderManager* orderManager();
    // The instrument chooser, made on first use; null until registered.
    kuPaperListForm* paperListForm();
    // The instrument id the user chose; 0 when cancelled.
    int choosePaper();

public slots:
    // Shown on the message bar of the current workspace; an empty text is ignored.
    void showInfoMessage(const QString& text, int timeout);

private:
    explicit kuClient(QWidget* parent);
    void init();

    QPointer<kuTabWidget> m_tabWidget;
    QMenu* m_pluginsMenu = nullptr;
    QPointer<kuPluginManager> m_pluginManager;
    QPointer<kuAppSetting> m_appSetting;
    QList<QSharedPointer<kuAbstractPluginWidget>> m_pluginWindows;
    // Typed pointers are valid while their guard lives.
    kuOrderManager* m_orderManager = nullptr;
    QPointer<QDialog> m_orderManagerDialog;
    kuPaperListForm* m_paperListForm = nullptr;
    QPointer<QDialog> m_paperListFormDialog;
};
