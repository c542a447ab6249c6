#include "kuwindowbase.h"

#include "kuconnectionmanager.h"
#include "kufunctions.h"
#include "kulightboxwidget.h"

namespace {
// The converter reports errors without an instrument under this id.
constexpr int anyPaper = -100;
} // namespace

kuWindowBase::kuWindowBase(QWidget* parent) : QMainWindow(parent)
{
    registerWinType();
    m_lightBox = new kuLightBoxWidget(this, false);
    m_lightBox->show();
}

kuWindowBase::~kuWindowBase() = default;

void kuWindowBase::unsubscribe()
{
    const QPointer<kuConnectionManager> manager = kuConnectionManager::instance();
    if (!manager)
        return;
    if (const QPointer<kuAbstractConn> connection = manager->connection())
        connection->unsubscribe(winType(), m_paperID);
}

bool kuWindowBase::disconnectAll()
{
    blockSignals(true);
    bool cut = QObject::disconnect(this, nullptr, nullptr, nullptr);
    // Qt cannot list a receiver's senders; windows take their data from the
    // converter and the connection manager, so those are cut by name.
    if (const QPointer<kuConnectionManager> manager = kuConnectionManager::instance()) {
        cut = QObject::disconnect(manager, nullptr, this, nullptr) || cut;
        if (const QPointer<kuAbstractDataConverter> converter = manager->dataConverter())
            cut = QObject::disconnect(converter, nullptr, this, nullptr) || cut;
    }
    return cut;
}

QJsonObject kuWindowBase::saveSettings()
{
    QJsonObject settings;
    settings.insert(QStringLiteral("winType"), static_cast<int>(winType()));
    settings.insert(QStringLiteral("paperID"), m_paperID);
    return settings;
}

void kuWindowBase::slot_showError(WinType winType, QString msg, int paperID)
{
    if (winType != this->winType())
        return;
    // Until its first snapshot a window takes an error of its stream without
    // an instrument as its own: that reply was the answer to its request.
    const bool own = paperID == m_paperID || (paperID == anyPaper && m_busy);
    if (!own)
        return;
    showError(msg);
    hideLightBox();
    emit on_closeWindow();
}

void kuWindowBase::showLightBox()
{
    m_busy = true;
    if (m_lightBox)
        m_lightBox->show();
}

void kuWindowBase::hideLightBox()
{
    m_busy = false;
    if (m_lightBox)
        m_lightBox->hide();
}
