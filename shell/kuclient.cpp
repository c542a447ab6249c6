#include "kuclient.h"

#include "kuapplication.h"
#include "kuconnectionmanager.h"
#include "kuiconmanager.h"
#include "kutabwidget.h"
#include "kuworkspace.h"

namespace {
QPointer<kuClient> g_client;

QString currentTheme()
{
    const QPointer<kuApplication> app = kuApplication::instance();
    return app ? app->themePath() : QString();
}
} // namespace

kuClient::kuClient(QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("kuClient"));
    setWindowTitle(QStringLiteral("Velmoran"));
    setWindowIcon(kuIconManager::icon(QStringLiteral("ku_logo_small.png"), currentTheme()));

    m_tabWidget = new kuTabWidget(this);
    setCentralWidget(m_tabWidget);
    m_tabWidget->newWorkSpace();

    if (const QPointer<kuConnectionManager> manager = kuConnectionManager::instance()) {
        connect(manager, &kuConnectionManager::on_connStatusChange, m_tabWidget, &kuTabWidget::setStatus);
        connect(manager, &kuConnectionManager::on_syncDateTime, m_tabWidget, &kuTabWidget::setCurrentTime);
    }
}

QPointer<kuClient> kuClient::createInstance(QWidget* parent)
{
    if (!g_client)
        g_client = new kuClient(parent);
    return g_client;
}

QPointer<kuClient> kuClient::instance()
{
    return createInstance(nullptr);
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
        workspace->postMessage(text, kuIconManager::pixmap(QStringLiteral("info.png"), currentTheme()), timeout);
}
