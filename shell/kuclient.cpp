#include "kuclient.h"

#include "kuabstractpluginwidget.h"
#include "kuaccount.h"
#include "kuapplication.h"
#include "kuappsetting.h"
#include "kuconnectionmanager.h"
#include "kuiconmanager.h"
#include "kupaperlist.h"
#include "kupluginloader.h"
#include "kupluginmanager.h"
#include "kuplugintable.h"
#include "kutabwidget.h"
#include "kuworkspace.h"

#include <QAction>
#include <QDebug>
#include <QDialog>
#include <QIcon>
#include <QJsonObject>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QMetaMethod>

namespace {
QPointer<kuClient> g_client;
bool g_clientMade = false;

struct Creators
{
    kuClient::OrderManagerMaker makeOrderManager;
    std::function<void(kuOrderManager*)> resetOrderManager;
    kuClient::PaperListFormMaker makePaperListForm;
    std::function<void(kuPaperListForm*)> refillPaperListForm;
    std::function<int(kuPaperListForm*)> currentPaperID;
};

Creators& creators()
{
    static Creators c;
    return c;
}
} // namespace

kuClient::kuClient(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("kuClient"));
    setWindowTitle(QStringLiteral("Velmoran"));
    // Until saved layouts restore the geometry, open at a usable size.
    resize(1200, 760);
}

// Runs once the window is reachable through instance(): what is built here
// may already read look values.
void kuClient::init()
{
    setWindowIcon(kuIconManager::icon(QStringLiteral("ku_logo_small.png")));

    m_tabWidget = new kuTabWidget(this);
    setCentralWidget(m_tabWidget);
    m_tabWidget->newWorkSpace();

    if (const QPointer<kuConnectionManager> manager = kuConnectionManager::instance()) {
        connect(manager, &kuConnectionManager::on_connStatusChange, m_tabWidget, &kuTabWidget::setStatus);
        connect(manager, &kuConnectionManager::on_syncDateTime, m_tabWidget, &kuTabWidget::setCurrentTime);
    }

    m_pluginsMenu = menuBar()->addMenu(tr("Расширения"));
    m_pluginsMenu->setObjectName(QStringLiteral("mPlugins"));
    QAction* managerAction = m_pluginsMenu->addAction(tr("Управление расширениями"));
    managerAction->setObjectName(QStringLiteral("mPluginManager"));
    connect(managerAction, &QAction::triggered, this, [this] { pluginManager()->exec(); });
    loadPluginActions();

    QMenu* account = menuBar()->addMenu(tr("Счёт"));
    account->setObjectName(QStringLiteral("mAccount"));
    QAction* addOrder = account->addAction(tr("Ввод поручения"));
    addOrder->setObjectName(QStringLiteral("mAddOrder"));
    addOrder->setShortcut(QKeySequence(tr("Ctrl+T")));
    connect(addOrder, &QAction::triggered, this, [this] {
        orderManager();
        if (m_orderManagerDialog)
            m_orderManagerDialog->exec();
    });
}

kuClient::~kuClient()
{
    // The plug-in windows are owned by their shared pointers, not by this window.
    m_pluginWindows.clear();
    // Made without a parent: it goes with the main window.
    delete m_orderManagerDialog.data();
}

void kuClient::setOrderManagerCreator(OrderManagerMaker make, std::function<void(kuOrderManager*)> reset)
{
    creators().makeOrderManager = std::move(make);
    creators().resetOrderManager = std::move(reset);
}

void kuClient::setPaperListFormCreator(PaperListFormMaker make, std::function<void(kuPaperListForm*)> refill,
                                       std::function<int(kuPaperListForm*)> current)
{
    creators().makePaperListForm = std::move(make);
    creators().refillPaperListForm = std::move(refill);
    creators().currentPaperID = std::move(current);
}

kuOrderManager* kuClient::orderManager()
{
    const Creators& c = creators();
    if (!m_orderManagerDialog) {
        m_orderManager = nullptr;
        if (!c.makeOrderManager)
            return nullptr;
        const auto made = c.makeOrderManager();
        m_orderManager = made.first;
        m_orderManagerDialog = made.second;
        if (!m_orderManagerDialog)
            return m_orderManager = nullptr;
    }
    if (c.resetOrderManager)
        c.resetOrderManager(m_orderManager);
    return m_orderManager;
}

kuPaperListForm* kuClient::paperListForm()
{
    const Creators& c = creators();
    if (!m_paperListFormDialog) {
        m_paperListForm = nullptr;
        if (!c.makePaperListForm)
            return nullptr;
        const auto made = c.makePaperListForm(this);
        m_paperListForm = made.first;
        m_paperListFormDialog = made.second;
        if (!m_paperListFormDialog)
            return m_paperListForm = nullptr;
    }
    return m_paperListForm;
}

int kuClient::choosePaper()
{
    kuPaperListForm* form = paperListForm();
    const Creators& c = creators();
    if (!form)
        return 0;
    if (c.refillPaperListForm)
        c.refillPaperListForm(form);
    const QPointer<QDialog> dialog = m_paperListFormDialog;
    if (dialog->exec() != QDialog::Accepted || !dialog)
        return 0;
    return c.currentPaperID ? c.currentPaperID(form) : 0;
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

kuTabWidget* kuClient::tabWidget() const
{
    return m_tabWidget;
}

void kuClient::showInfoMessage(const QString& text, int timeout)
{
    if (text.isEmpty() || !m_tabWidget)
        return;
    if (kuWorkSpace* workspace = m_tabWidget->currentWorkSpace())
        workspace->postMessage(text, kuIconManager::pixmap(QStringLiteral("info.png")), timeout);
}

kuPluginManager* kuClient::pluginManager()
{
    if (!m_pluginManager)
        m_pluginManager = new kuPluginManager(this);
    return m_pluginManager;
}

void kuClient::loadPluginActions()
{
    const QHash<QString, bool> enabled = kuPluginTable().enabledPlugins();
    bool separated = false;
    for (const auto& plugin : loadPlugins<WidgetPluginInterface>(pkWidget)) {
        if (!enabled.value(plugin->guid(), false))
            continue;
        const QSharedPointer<kuAbstractPluginWidget> window =
                plugin->createWindow(kuPaperList::instance().data(), kuAccount::instance().data(),
                                     kuConnectionManager::instance().data(), this);
        if (!window)
            continue;
        m_pluginWindows << window;
        const QJsonObject entries = window->menuEntries();
        for (auto it = entries.constBegin(); it != entries.constEnd(); ++it) {
            const QJsonObject entry = it.value().toObject();
            if (entry.isEmpty())
                continue;
            const QByteArray signature =
                    QMetaObject::normalizedSignature(entry.value(QStringLiteral("callback")).toString().toLatin1());
            const int method = window->metaObject()->indexOfMethod(signature.constData());
            if (method < 0) {
                qWarning() << "Plug-in" << plugin->pluginName() << "has no method" << signature;
                continue;
            }
            if (!separated) {
                m_pluginsMenu->addSeparator();
                separated = true;
            }
            QAction* action = m_pluginsMenu->addAction(QIcon(entry.value(QStringLiteral("icon")).toString()),
                                                       entry.value(QStringLiteral("description")).toString());
            connect(action, QMetaMethod::fromSignal(&QAction::triggered), window.data(),
                    window->metaObject()->method(method));
        }
    }
}
