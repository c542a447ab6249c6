#include "kuclient.h"

#include "dcmessagepack.h"
#include "kuabstractpluginwidget.h"
#include "kuactionsmenubar.h"
#include "kuactionsmodel.h"
#include "kuapplication.h"
#include "kuappsetting.h"
#include "kuclientmakers.h"
#include "kuconnectionmanager.h"
#include "kufunctions.h"
#include "kuiconmanager.h"
#include "kulightboxwidget.h"
#include "kupaths.h"
#include "kupaperlist.h"
#include "kupluginmanager.h"
#include "kutabwidget.h"
#include "kutoolbar.h"
#include "kuversion.h"
#include "kuworkspace.h"

#include <QAction>
#include <QCoreApplication>
#include <QDebug>
#include <QDesktopServices>
#include <QDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QShowEvent>
#include <QStandardPaths>
#include <QUrl>

#include <cmath>

namespace {
QPointer<kuClient> g_client;
bool g_clientMade = false;

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
    setWindowIcon(kuIconManager::icon(QStringLiteral("ku_logo_small.png")));
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
    connect(manager, &kuConnectionManager::restoringStatus, tabs, &kuTabWidget::setRestoring, Qt::UniqueConnection);
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
    const QString path = kuPaths::userGuideFile();
    const QUrl url = QUrl::fromLocalFile(path);
    // The desktop handler may "open" a missing file without complaint.
    if (!QFileInfo(path).isFile()) {
        qCritical().noquote() << "FILE NOT FOUND: " + url.toString();
        showError(tr("Файл документации не найден: ") + path);
        return;
    }
    // The file is there: what can be missing is a program that shows it.
    const auto cannotOpen = [path, url] {
        qCritical().noquote() << "CANNOT OPEN: " + url.toString();
        showError(tr("Не удалось открыть файл документации: %1\nПроверьте, что в системе есть программа для просмотра PDF.")
                          .arg(path));
    };
    // Qt starts xdg-open detached and takes its start for success; run here, its exit
    // code says whether it found a viewer. It may wait for the viewer to close.
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (xdgOpen.isEmpty()) {
        if (!QDesktopServices::openUrl(url))
            cannotOpen();
        return;
    }
    auto* opener = new QProcess(this);
    opener->setProcessChannelMode(QProcess::ForwardedChannels);
    connect(opener, &QProcess::errorOccurred, this, [opener, cannotOpen](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        cannotOpen();
        opener->deleteLater();
    });
    connect(opener, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this,
            [opener, cannotOpen](int code, QProcess::ExitStatus status) {
                // Killed (the main window closing) is no answer about the viewer.
                if (status == QProcess::NormalExit && code != 0)
                    cannotOpen();
                opener->deleteLater();
            });
    opener->start(xdgOpen, {path});
}
