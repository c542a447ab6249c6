#include "kuwindowbase.h"

#include "kuabstractdataconverter.h"
#include "kuconnectionmanager.h"
#include "kufunctions.h"
#include "kulightboxwidget.h"

#include <QJsonArray>
#include <QSet>

namespace {
// The converter reports errors without an instrument under this id.
constexpr int anyPaper = -100;

QJsonArray firstGroupParams(const QJsonObject& windowObject)
{
    const QJsonArray groups = windowObject.value(QStringLiteral("settings")).toArray();
    if (groups.isEmpty())
        return {};
    return groups.first().toObject().value(QStringLiteral("params")).toArray();
}
} // namespace

kuWindowBase::kuWindowBase(QWidget* parent) : QMainWindow(parent)
{
    registerWinType();
    m_lightBox = new kuLightBoxWidget(this, false);
    m_lightBox->show();
}

kuWindowBase::~kuWindowBase() = default;

QJsonObject kuWindowBase::saveSettings()
{
    QJsonObject settings;
    settings.insert(QStringLiteral("winType"), static_cast<int>(winType()));
    settings.insert(QStringLiteral("paperID"), m_paperID);
    return settings;
}

void kuWindowBase::restoreSettings(QJsonObject settings)
{
    const QJsonArray params = firstGroupParams(settings);
    if (params.isEmpty())
        return;
    // A saved file is outside data: it may name any property ("objectName",
    // "enabled"...). Only the window's own parameters are applied.
    QSet<QString> own;
    for (const QJsonValue& param : firstGroupParams(saveSettings()))
        own.insert(param.toObject().value(QStringLiteral("name")).toString());
    for (const QJsonValue& value : params) {
        const QJsonObject param = value.toObject();
        const QString name = param.value(QStringLiteral("name")).toString();
        if (name.isEmpty() || !own.contains(name))
            continue;
        setProperty(name.toLocal8Bit().constData(), param.value(QStringLiteral("value")).toVariant());
    }
}

QPointer<kuAbstractDataConverter> kuWindowBase::converter()
{
    const QPointer<kuConnectionManager> manager = kuConnectionManager::instance();
    return manager ? manager->dataConverter() : nullptr;
}

QPointer<kuAbstractConn> kuWindowBase::streamConnection()
{
    const QPointer<kuConnectionManager> manager = kuConnectionManager::instance();
    if (!manager)
        return nullptr;
    const QPointer<kuAbstractConn> connection = manager->connection();
    if (!connection)
        return nullptr;
    const QString session = connection->sessionId();
    if (m_stream.connection != connection || m_stream.paperID != m_paperID) {
        // A replaced connection forgot the old stream; another instrument is a new stream.
        if (m_stream.connection == connection && m_stream.requests > 0)
            releaseStream();
        m_stream = Stream{connection, session, m_paperID, 0};
    } else if (m_stream.requests > 0 && m_stream.session == session && !m_busy) {
        return nullptr; // live: the data flows already
    }
    // Records of an earlier session stay counted in the connection: keep counting them.
    m_stream.session = session;
    ++m_stream.requests;
    return connection;
}

void kuWindowBase::connectErrors(bool on)
{
    const QPointer<kuAbstractDataConverter> source = converter();
    if (!source)
        return;
    if (on)
        connect(source, &kuAbstractDataConverter::on_receviedError, this, &kuWindowBase::slot_showError,
                Qt::UniqueConnection);
    else
        disconnect(source, &kuAbstractDataConverter::on_receviedError, this, &kuWindowBase::slot_showError);
}

void kuWindowBase::unsubscribe()
{
    releaseStream();
}

void kuWindowBase::releaseStream()
{
    const Stream held = m_stream;
    m_stream = Stream{};
    if (!held.connection || held.requests <= 0)
        return;
    const QPointer<kuConnectionManager> manager = kuConnectionManager::instance();
    if (!manager || manager->connection() != held.connection)
        return;
    // Blocking requests: the connection may go while one runs.
    for (int i = 0; i < held.requests && held.connection; ++i)
        held.connection->unsubscribe(winType(), held.paperID);
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

void kuWindowBase::slot_showError(WinType winType, QString msg, int paperID)
{
    if (winType != this->winType())
        return;
    // Until its first snapshot a window takes an error of its stream without
    // an instrument as its own: that reply was the answer to its request.
    const bool own = paperID == m_paperID || (paperID == anyPaper && m_busy);
    if (!own)
        return;
    // Hidden windows stay alive: no more data, and the stream goes back now.
    if (const QPointer<kuAbstractDataConverter> source = converter())
        QObject::disconnect(source, nullptr, this, nullptr);
    const QPointer<kuWindowBase> self(this);
    unsubscribe();
    if (!self)
        return;
    hideLightBox();
    showError(msg);
    if (self)
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

void kuWindowBase::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
}
