#pragma once

#include "wintype.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QMainWindow>
#include <QMetaObject>
#include <QPointer>
#include <QSharedPointer>

#include <functional>
#include <utility>

class QDialog;
class kuActionsMenuBar;
class kuAppSetting;
class kuLightBoxWidget;
class kuOrderManager;
class kuPaperListForm;
class kuAbstractPluginWidget;
class kuPluginManager;
class kuTabWidget;
class kuToolBar;
class kuWindowBase;
class kuWorkSpace;
class kuWorkspaceSetting;

// The program's one main window: workspace tabs, menus, the window factory
// and the dialogs the trading windows share.
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

    kuActionsMenuBar* actionsMenuBar();
    kuTabWidget* tabWidget();
    kuToolBar* toolBar();

    // The plug-in manager dialog, made on first use.
    kuPluginManager* pluginManager();
    // The program's menu entries, then those of the widget plug-ins.
    void createMenus();
    // Creates the widget plug-ins not disabled in the plug-in table and adds their entries.
    void loadPluginActions();
    // Keys of the widget's menu description are action paths; an entry without a callback is a menu.
    void addPluginActions(kuAbstractPluginWidget* widget);

    // The shared dialogs live in libraries above this one; start-up registers how they are made.
    // A maker returns the dialog as its own type and as a QDialog (the same object).
    using OrderManagerMaker = std::function<std::pair<kuOrderManager*, QDialog*>()>;
    using PaperListFormMaker = std::function<std::pair<kuPaperListForm*, QDialog*>(QWidget* parent)>;
    // reset runs on the order entry dialog at every fetch.
    static void setOrderManagerCreator(OrderManagerMaker make, std::function<void(kuOrderManager*)> reset);
    // refill loads the registry into the chooser; current reads its chosen instrument id (0 when none).
    static void setPaperListFormCreator(PaperListFormMaker make, std::function<void(kuPaperListForm*)> refill,
                                        std::function<int(kuPaperListForm*)> current);

    // The saved settings dialog lives above this library too. append asks for a
    // file and saves the layout to it; loadedPath is the path of the row the user
    // loaded (empty when none). Without it the save and load entries are disabled.
    using WorkspaceSettingMaker = std::function<std::pair<kuWorkspaceSetting*, QDialog*>()>;
    static void setWorkspaceSettingCreator(WorkspaceSettingMaker make, std::function<void(kuWorkspaceSetting*)> append,
                                           std::function<QString(kuWorkspaceSetting*)> loadedPath);

    // The order entry dialog, made on first use without a parent, reset at every call; null until registered.
    kuOrderManager* orderManager();
    // The instrument chooser, made on first use; null until registered.
    kuPaperListForm* paperListForm();
    // The instrument id the user chose; 0 when cancelled.
    int choosePaper();

    // The trading windows live in libraries above this one: start-up registers
    // one maker per kind. A maker builds the window with the given parent and
    // gives it the instrument by the window's own setPaper (0: none). The menu
    // entries of a kind without a maker are disabled. An empty maker removes it.
    using WindowMaker = std::function<kuWindowBase*(QWidget* parent, int paperID)>;
    static void setWindowMaker(WinType winType, WindowMaker make);
    static bool hasWindowMaker(WinType winType);

    // Single windows, made on first use; null without a maker.
    kuWindowBase* quotesWindow();
    kuWindowBase* ordersWindow();
    kuWindowBase* tradesWindow();
    void addQuotesWindow(kuWorkSpace* workSpace, const QJsonObject& windowObject);
    void addOrdersWindow(kuWorkSpace* workSpace, const QJsonObject& windowObject);
    void addTradesWindow(kuWorkSpace* workSpace, const QJsonObject& windowObject);
    // A null name docks under a new unique name.
    void addPortfolioWindow(kuWorkSpace* workSpace, const QString& name, const QJsonObject& windowObject);
    void addChartWindow(kuWorkSpace* workSpace, int paperID, const QString& name, const QJsonObject& windowObject);
    void addOrderBookWindow(kuWorkSpace* workSpace, int paperID, const QString& name, const QJsonObject& windowObject);
    void addLastTradesWindow(kuWorkSpace* workSpace, int paperID, const QString& name, const QJsonObject& windowObject);
    void createChart(int paperID);
    void createOrderBook(int paperID);
    void createLastTrades(int paperID);

    kuWorkSpace* currentWorkSpace();
    kuWorkSpace* workSpace(int index);
    // Makes current the first tab that docks a section named as the window's object name.
    bool activateWindowTab(QWidget* window);
    // Window objects of every tab's visible windows, each with its "tabIndex".
    QJsonArray windowsState();
    // Makes and docks the windows of a saved layout's "settings"; objects that
    // name no tab, no instrument or an unknown kind are skipped.
    void restoreWindows(QJsonArray settings);
    // While a saved layout is being put in place.
    bool isRestoring() const { return m_restoring; }

    // Whether a saved layout has been put in place; until then the close never writes one.
    bool layoutRestored() const { return m_layoutRestored; }
    void setLayoutRestored(bool restored) { m_layoutRestored = restored; }
    // How long the close lets pending replies and requests go through (3000 ms), the log-out included.
    void setCloseWaitMs(int ms) { m_closeWaitMs = ms; }

signals:
    void signalWindowLoaded();

public slots:
    QJsonObject saveState();
    void restoreState(QJsonObject appSetting);
    void restoreState();
    void setTitle(QString filePath);
    void setTitle();
    // The docked windows of every workspace, then the main window.
    void hide();
    void slot_showError(WinType winType, QString msg, int paperID);
    void slot_afterWindowShow();
    void slot_connStatusChange(bool connStatus);
    void slot_addWorkSpace();
    void slot_removeWorkSpace();
    void slot_renameWorkspace();
    void slot_saveWorkSpace();
    void slot_loadWorkSpace();
    void slot_createChart();
    void slot_createOrderBook();
    void slot_createLastTrades();
    void slot_createQuotes();
    void slot_openWinPositions();
    void slot_openWinOrders();
    void slot_openWinTrades();
    void slot_showUserGuide();
    // Shown on the message bar of the current workspace; an empty text is ignored.
    void showInfoMessage(const QString& text, int timeout);
    void showErrorMessage(const QString& text, int timeout);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    explicit kuClient(QWidget* parent);
    // The main window while it lives; unlike instance(), never makes one.
    static kuClient* liveInstance();
    void init();
    void setupLayout();
    void updateMakerActions();
    void updateWorkspaceSettingActions();
    // Docks a window just made; one that cannot be docked is given back and deleted.
    bool dockWindow(kuWindowBase* window, kuWorkSpace* workSpace, const QString& name, const QString& title);
    // The workspace docking a section of that name; null when none.
    kuWorkSpace* workSpaceHolding(const QString& name);
    void connectErrorBinding();
    void updateRemoveWorkspaceAction();
    kuWindowBase* singleWindow(WinType winType);
    void addSingleWindow(WinType winType, kuWorkSpace* workSpace, const QJsonObject& windowObject);
    void addPaperWindow(WinType winType, kuWorkSpace* workSpace, int paperID, const QString& name,
                        const QJsonObject& windowObject);
    void openSingleWindow(WinType winType);
    void choosePaperWindow(WinType winType);
    void postMessage(const QString& text, const QString& pixmap, int timeout);
    void endRestoreBinding();

    QPointer<kuActionsMenuBar> m_menuBar;
    QPointer<kuTabWidget> m_tabWidget;
    QPointer<kuToolBar> m_toolBar;
    QPointer<kuLightBoxWidget> m_lightBox;
    QPointer<kuPluginManager> m_pluginManager;
    QPointer<kuAppSetting> m_appSetting;
    QHash<int, QPointer<kuWindowBase>> m_singleWindows;
    QList<QSharedPointer<kuAbstractPluginWidget>> m_pluginWindows;
    QStringList m_pluginGuids;
    // Typed pointers are valid while their guard lives.
    kuOrderManager* m_orderManager = nullptr;
    QPointer<QDialog> m_orderManagerDialog;
    kuPaperListForm* m_paperListForm = nullptr;
    QPointer<QDialog> m_paperListFormDialog;
    QMetaObject::Connection m_restoreBinding;
    QMetaObject::Connection m_errorBinding;
    bool m_shownOnce = false;
    bool m_layoutRestored = false;
    bool m_restoring = false;
    int m_closeWaitMs = 3000;
};
