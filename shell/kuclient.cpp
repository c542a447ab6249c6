#include "kuclient.h"

#include "dcmessagepack.h"
#include "kuabstractpluginwidget.h"
#include "kuaccount.h"
#include "kuactionsmenubar.h"
#include "kuactionsmodel.h"
#include "kuapplication.h"
#include "kuappsetting.h"
#include "kuclientmakers.h"
#include "kuconnectionmanager.h"
#include "kufunctions.h"
#include "kuiconmanager.h"
#include "kulightboxwidget.h"
#include "kupaperlist.h"
#include "kupluginloader.h"
#include "kupluginmanager.h"
#include "kuplugintable.h"
#include "kutabwidget.h"
#include "kutoolbar.h"
#include "kuversion.h"
#include "kuwindowbase.h"
#include "kuworkspace.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDebug>
#include <QDesktopServices>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QJsonValue>
#include <QKeySequence>
#include <QMenu>
#include <QMessageBox>
#include <QMetaMethod>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QUrl>
#include <QUuid>

#include <cmath>

namespace {
QPointer<kuClient> g_client;
bool g_clientMade = false;

QIcon themedIcon(const QString& name)
{
    return kuIconManager::icon(name);
}

const QString removeWorkspacePath = QStringLiteral("mFile/mRemoveWorkspace");
const QString saveWorkspacePath = QStringLiteral("mFile/mSaveWorkspace");
const QString loadWorkspacePath = QStringLiteral("mFile/mLoadWorkspace");

// Menu entries that open a kind of window: disabled while no maker builds it,
// or, for a window of an instrument, while there is no chooser to pick one.
struct MakerEntry
{
    const char* path;
    WinType winType;
    bool choosesPaper;
};
const MakerEntry makerEntries[] = {
        {"mAdd/mChart", wtChart, true},
        {"mAdd/mOrderBook", wtOrderBook, true},
        {"mAdd/mLastTrades", wtLastTrades, true},
        {"mAdd/mQuotes", wtQuotes, false},
        {"mAccount/mAccountStatus", wtPortfolio, false},
        {"mAccount/mAccountOrders", wtOrders, false},
        {"mAccount/mAccountTrades", wtTrades, false},
};

int roundedHalfUp(double value)
{
    return int(std::floor(value + 0.5));
}
} // namespace

kuClient::kuClient(QWidget* parent) : QMainWindow(parent)
{
    m_lightBox = new kuLightBoxWidget(this, false);
    m_lightBox->hide();
    setObjectName(QStringLiteral("kuClient"));
    connect(this, &kuClient::signalWindowLoaded, this, &kuClient::slot_afterWindowShow);
}

// Runs once the window is reachable through instance(): what is built here
// may already read look values.
void kuClient::init()
{
    setWindowIcon(themedIcon(QStringLiteral("ku_logo_small.png")));
    setupLayout();
    // Open commands need a workspace before (and without) any saved layout.
    tabWidget()->addWorkSpace(new kuWorkSpace(tabWidget()), tr("Рабочий стол"));
    createMenus();
    // Tabs come and go by the tab bar too, not only by the menu.
    connect(tabWidget(), &kuTabWidget::countChanged, this, &kuClient::updateRemoveWorkspaceAction);
    updateRemoveWorkspaceAction();
    setTahomaFontTree(this);
}

void kuClient::setupLayout()
{
    setTitle();
    setCentralWidget(tabWidget());
    setMenuBar(actionsMenuBar());
    addToolBar(Qt::TopToolBarArea, toolBar());
}

kuClient::~kuClient()
{
    // The model's menus have no parent and would go only at the next event
    // loop pass, after the main window: they go with it.
    if (m_menuBar) {
        QList<QPointer<QMenu>> menus;
        kuActionsModel* model = m_menuBar->model();
        QList<QAction*> pending = model->children(nullptr);
        while (!pending.isEmpty()) {
            QAction* action = pending.takeFirst();
            if (action->menu())
                menus << action->menu();
            pending << model->children(action);
        }
        delete m_menuBar.data();
        for (const QPointer<QMenu>& menu : qAsConst(menus))
            delete menu.data();
    }
    // The plug-in windows are owned by their shared pointers, not by this window.
    m_pluginWindows.clear();
    // Made without a parent: they go with the main window.
    delete m_orderManagerDialog.data();
    delete m_paperListFormDialog.data();
    delete m_lightBox.data();
}

QPointer<kuClient> kuClient::createInstance(QWidget* parent)
{
    if (!g_client) {
        g_clientMade = true;
        g_client = new kuClient(parent);
        g_client->init();
    }
    return g_client;
}

QPointer<kuClient> kuClient::instance()
{
    if (!g_client && !g_clientMade)
        return createInstance(nullptr);
    return g_client;
}

kuAppSetting* kuClient::appSetting()
{
    if (!m_appSetting)
        m_appSetting = new kuAppSetting(this);
    return m_appSetting;
}

kuActionsMenuBar* kuClient::actionsMenuBar()
{
    if (!m_menuBar)
        m_menuBar = new kuActionsMenuBar();
    return m_menuBar;
}

kuTabWidget* kuClient::tabWidget()
{
    if (!m_tabWidget)
        m_tabWidget = new kuTabWidget(this);
    return m_tabWidget;
}

kuToolBar* kuClient::toolBar()
{
    if (!m_toolBar)
        m_toolBar = new kuToolBar(this);
    return m_toolBar;
}

kuPluginManager* kuClient::pluginManager()
{
    if (!m_pluginManager)
        m_pluginManager = new kuPluginManager(this);
    return m_pluginManager;
}

kuClient* kuClient::liveInstance()
{
    return g_client;
}

kuClientMakers& clientMakers()
{
    static kuClientMakers makers;
    return makers;
}

// ---- menus ----

void kuClient::createMenus()
{
    kuActionsModel* model = actionsMenuBar()->model();
    auto action = [this, model](const QString& path, const QString& text, const QString& icon, auto slot) {
        QAction* added = model->addAction(path, text, icon.isEmpty() ? QIcon() : themedIcon(icon));
        if (added)
            connect(added, &QAction::triggered, this, slot);
        return added;
    };

    model->addMenu(QStringLiteral("mFile"), tr("Файл"));
    action(QStringLiteral("mFile/mAppendWorkspace"), tr("Добавить рабочую область"), QStringLiteral("add_new_tab.png"),
           &kuClient::slot_addWorkSpace);
    action(removeWorkspacePath, tr("Закрыть рабочую область"), QStringLiteral("delete_tab.png"),
           &kuClient::slot_removeWorkSpace);
    action(QStringLiteral("mFile/mRenameWorkspace"), tr("Переименовать рабочую область"),
           QStringLiteral("edit_tab.png"), &kuClient::slot_renameWorkspace);
    model->addSeparator(QStringLiteral("mFile/mSepWorkspace"));
    action(saveWorkspacePath, tr("Сохранить настройки"), QString(), &kuClient::slot_saveWorkSpace);
    action(loadWorkspacePath, tr("Загрузить настройки"), QString(), &kuClient::slot_loadWorkSpace);
    model->addSeparator(QStringLiteral("mFile/mSepQuit"));
    if (QAction* quit =
                action(QStringLiteral("mFile/aQuit"), tr("Выход"), QStringLiteral("ku_exit.png"), &QWidget::close))
        quit->setShortcut(QKeySequence(tr("Ctrl+Q"), QKeySequence::NativeText));

    model->addMenu(QStringLiteral("mAdd"), tr("Добавить"));
    action(QStringLiteral("mAdd/mChart"), tr("График"), QStringLiteral("chart.png"), &kuClient::slot_createChart);
    action(QStringLiteral("mAdd/mOrderBook"), tr("Биржевые заявки"), QStringLiteral("orderbook.png"),
           &kuClient::slot_createOrderBook);
    action(QStringLiteral("mAdd/mLastTrades"), tr("Все сделки"), QStringLiteral("all.trades.png"),
           &kuClient::slot_createLastTrades);
    action(QStringLiteral("mAdd/mQuotes"), tr("Котировки"), QStringLiteral("chart.png"), &kuClient::slot_createQuotes);

    model->addMenu(QStringLiteral("mAccount"), tr("Счёт"));
    if (QAction* addOrder = model->addAction(QStringLiteral("mAccount/mAddOrder"), tr("Ввод поручения"))) {
        addOrder->setShortcut(QKeySequence(tr("Ctrl+T"), QKeySequence::NativeText));
        connect(addOrder, &QAction::triggered, this, [this] {
            orderManager();
            if (m_orderManagerDialog)
                m_orderManagerDialog->exec();
        });
    }
    action(QStringLiteral("mAccount/mAccountStatus"), tr("Состояние счета"), QString(),
           &kuClient::slot_openWinPositions);
    model->addSeparator(QStringLiteral("mAccount/mSepAddOrder"));
    action(QStringLiteral("mAccount/mAccountOrders"), tr("Поручения"), QString(), &kuClient::slot_openWinOrders);
    action(QStringLiteral("mAccount/mAccountTrades"), tr("Сделки"), QString(), &kuClient::slot_openWinTrades);

    model->addMenu(QStringLiteral("mPlugins"), tr("Расширения"));
    if (QAction* manager = model->addAction(QStringLiteral("mPlugins/mPluginManager"), tr("Управление расширениями")))
        connect(manager, &QAction::triggered, this, [this] { pluginManager()->exec(); });
    model->addSeparator(QStringLiteral("mPlugins/mSepPlugins"));
    loadPluginActions();

    model->addMenu(QStringLiteral("mHelp"), tr("Помощь"));
    if (QAction* guide = action(QStringLiteral("mHelp/mUserGuide"), tr("Руководство пользователя"), QString(),
                                &kuClient::slot_showUserGuide))
        guide->setShortcut(QKeySequence::HelpContents);
    model->addSeparator(QStringLiteral("mHelp/mSepHelp"));
    action(QStringLiteral("mHelp/mAboutQt"), tr("О Qt5"), QString(), &QApplication::aboutQt);

    updateMakerActions();
    updateWorkspaceSettingActions();
}

void kuClient::updateWorkspaceSettingActions()
{
    if (!m_menuBar)
        return;
    // Without the dialog the entries would lead nowhere.
    const bool available = bool(clientMakers().makeWorkspaceSetting);
    for (const QString& path : {saveWorkspacePath, loadWorkspacePath}) {
        if (QAction* action = m_menuBar->model()->action(path))
            action->setEnabled(available);
    }
}

void kuClient::updateMakerActions()
{
    if (!m_menuBar)
        return;
    kuActionsModel* model = m_menuBar->model();
    for (const MakerEntry& entry : makerEntries) {
        if (QAction* action = model->action(QLatin1String(entry.path)))
            action->setEnabled(hasWindowMaker(entry.winType) &&
                               (!entry.choosesPaper || clientMakers().makePaperListForm));
    }
}

void kuClient::updateRemoveWorkspaceAction()
{
    if (!m_menuBar || !m_tabWidget)
        return;
    if (QAction* action = m_menuBar->model()->action(removeWorkspacePath))
        action->setEnabled(m_tabWidget->count() > 1);
}

void kuClient::loadPluginActions()
{
    // Plug-ins the table does not list yet (never seen by the plug-in manager) are enabled.
    const QHash<QString, bool> enabled = kuPluginTable().enabledPlugins();
    for (const auto& plugin : loadPlugins<WidgetPluginInterface>(pkWidget)) {
        const QString guid = plugin->guid();
        if (!enabled.value(guid, true) || m_pluginGuids.contains(guid))
            continue;
        const QSharedPointer<kuAbstractPluginWidget> window =
                plugin->createWindow(kuPaperList::instance().data(), kuAccount::instance().data(),
                                     kuConnectionManager::instance().data(), this);
        if (!window)
            continue;
        m_pluginGuids << guid;
        m_pluginWindows << window;
        addPluginActions(window.data());
    }
}

void kuClient::addPluginActions(kuAbstractPluginWidget* widget)
{
    if (!widget)
        return;
    kuActionsModel* model = actionsMenuBar()->model();
    const QJsonObject entries = widget->menuEntries();
    for (auto it = entries.constBegin(); it != entries.constEnd(); ++it) {
        const QJsonObject entry = it.value().toObject();
        if (entry.isEmpty())
            continue;
        const QString callback = entry.value(QStringLiteral("callback")).toString();
        const QString text = entry.value(QStringLiteral("description")).toString();
        const QString iconName = entry.value(QStringLiteral("icon")).toString();
        // A plug-in may name a file of its own resources in place of a theme's.
        const QIcon icon = iconName.isEmpty()                      ? QIcon()
                           : iconName.startsWith(QLatin1Char(':')) ? QIcon(iconName)
                                                                   : themedIcon(iconName);
        if (callback.isEmpty()) {
            if (!model->addMenu(it.key(), text, icon))
                qWarning().noquote() << "Plug-in menu not added:" << it.key();
            continue;
        }
        QAction* action = model->addAction(it.key(), text, icon);
        if (!action) {
            qWarning().noquote() << "Plug-in menu entry not added:" << it.key();
            continue;
        }
        const QByteArray signature = QMetaObject::normalizedSignature(callback.toLatin1().constData());
        const int method = widget->metaObject()->indexOfMethod(signature.constData());
        if (method < 0) {
            qWarning().noquote() << "Plug-in entry" << it.key() << "calls no method:" << signature;
            continue;
        }
        connect(action, QMetaMethod::fromSignal(&QAction::triggered), widget, widget->metaObject()->method(method));
    }
}

// ---- title, showing, hiding ----

void kuClient::setTitle(QString filePath)
{
    QString title = QStringLiteral("Velmoran ") + QStringLiteral(VELMORAN_VERSION);
    if (!filePath.isEmpty())
        title += QStringLiteral(" - ") + filePath;
    setWindowTitle(title);
}

void kuClient::setTitle()
{
    setTitle(QString());
}

void kuClient::hide()
{
    kuTabWidget* tabs = tabWidget();
    for (int i = 0; i < tabs->count(); ++i) {
        if (kuWorkSpace* page = tabs->workSpace(i))
            page->hideWindows();
    }
    QMainWindow::hide();
}

void kuClient::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_shownOnce)
        return;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        const double w = available.width();
        const double h = available.height();
        setGeometry(roundedHalfUp(0.2 * w), roundedHalfUp(0.1 * h), roundedHalfUp(0.6 * w), roundedHalfUp(0.6 * h));
    }
    m_shownOnce = true;
    emit signalWindowLoaded();
}

void kuClient::slot_afterWindowShow()
{
    disconnect(this, &kuClient::signalWindowLoaded, this, &kuClient::slot_afterWindowShow);
    const QPointer<kuConnectionManager> manager = kuConnectionManager::instance();
    if (!manager)
        return;
    const QPointer<kuAbstractConn> connection = manager->connection();
    const QPointer<kuAbstractDataConverter> converter = manager->dataConverter();
    if (!connection || !converter)
        return;

    connectErrorBinding();
    m_restoreBinding = connect(
            converter, &kuAbstractDataConverter::on_snapshotPapers, converter, [this] { restoreState(QJsonObject()); },
            Qt::DirectConnection);
    // Order confirmations and other notices of the converter: wired here only.
    if (auto* messages = qobject_cast<dcMessagePack*>(converter.data())) {
        connect(messages, &dcMessagePack::on_infoMessage, this, &kuClient::showInfoMessage, Qt::UniqueConnection);
        connect(messages, &dcMessagePack::on_errorMessage, this, &kuClient::showErrorMessage, Qt::UniqueConnection);
    }

    kuTabWidget* tabs = tabWidget();
    connect(manager, &kuConnectionManager::on_syncDateTime, tabs, &kuTabWidget::setCurrentTime, Qt::UniqueConnection);
    connect(manager, &kuConnectionManager::on_connStatusChange, tabs, &kuTabWidget::setStatus, Qt::UniqueConnection);
    connect(manager, &kuConnectionManager::on_connStatusChange, this, &kuClient::slot_connStatusChange,
            Qt::UniqueConnection);
    if (const QPointer<kuApplication> app = kuApplication::instance()) {
        connect(app, &kuApplication::on_saveAppSettings, this, QOverload<QString>::of(&kuClient::setTitle),
                Qt::UniqueConnection);
        connect(app, &kuApplication::on_loadAppSettings, this, QOverload<QString>::of(&kuClient::setTitle),
                Qt::UniqueConnection);
    }
    if (m_lightBox)
        m_lightBox->show();
    // An instrument list that came before the first show would leave the overlay up for good.
    if (!kuPaperList::instance()->papersList().isEmpty())
        restoreState(QJsonObject());
}

void kuClient::slot_showError(WinType winType, QString msg, int paperID)
{
    Q_UNUSED(paperID)
    if (winType != wtInitInfo)
        return;
    showError(msg);
    close();
}

void kuClient::slot_connStatusChange(bool connStatus)
{
    if (!connStatus)
        return;
    kuTabWidget* tabs = tabWidget();
    for (int i = 0; i < tabs->count(); ++i) {
        if (kuWorkSpace* page = tabs->workSpace(i))
            page->subscribeWindows();
    }
}

// ---- workspaces ----

void kuClient::slot_addWorkSpace()
{
    kuTabWidget* tabs = tabWidget();
    tabs->addWorkSpace(new kuWorkSpace(tabs), tr("Рабочий стол №%1").arg(tabs->count() + 1));
    updateRemoveWorkspaceAction();
}

void kuClient::slot_removeWorkSpace()
{
    if (!m_menuBar || !m_menuBar->model()->action(removeWorkspacePath))
        return;
    // The last workspace stays: open commands need one.
    if (tabWidget()->count() > 1)
        tabWidget()->removeWorkSpace(tabWidget()->currentIndex());
    updateRemoveWorkspaceAction();
}

void kuClient::slot_renameWorkspace()
{
    tabWidget()->renameWorkspace(tabWidget()->currentIndex());
}

// ---- messages and help ----

void kuClient::postMessage(const QString& text, const QString& pixmap, int timeout)
{
    if (text.isEmpty())
        return;
    if (kuWorkSpace* workspace = currentWorkSpace())
        workspace->postMessage(text, kuIconManager::pixmap(pixmap), timeout);
}

void kuClient::showInfoMessage(const QString& text, int timeout)
{
    postMessage(text, QStringLiteral("info.png"), timeout);
}

void kuClient::showErrorMessage(const QString& text, int timeout)
{
    postMessage(text, QStringLiteral("error.png"), timeout);
}

void kuClient::slot_showUserGuide()
{
    const QString path = QCoreApplication::applicationDirPath() + QStringLiteral("/doc/") + QStringLiteral("Velmoran") +
                         QStringLiteral(".pdf");
    const QUrl url = QUrl::fromLocalFile(path);
    // The desktop handler may "open" a missing file without complaint.
    if (!QFileInfo(path).isFile()) {
        qCritical().noquote() << "FILE NOT FOUND: " + url.toString();
        showError(tr("Файл документации не найден: ") + path);
        return;
    }
    if (QDesktopServices::openUrl(url))
        return;
    // The file is there: what is missing is a program that shows it.
    qCritical().noquote() << "CANNOT OPEN: " + url.toString();
    showError(tr("Не удалось открыть файл документации: %1\nПроверьте, что в системе есть программа для просмотра PDF.")
                      .arg(path));
}
