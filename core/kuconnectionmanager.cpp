#include "kuconnectionmanager.h"

#include "dcmessagepack.h"
#include "kuconnectionwiring.h"
#include "kupluginloader.h"

#include <QDebug>
#include <QTimer>

namespace {
QPointer<kuConnectionManager> g_manager;
QPointer<kuConnectionManager> g_testManager;
} // namespace

QPointer<kuConnectionManager> kuConnectionManager::createInstance(QObject* parent)
{
    if (!g_manager) {
        const auto found = loadPlugins<ConnectPluginInterface>(pkConnection);
        g_manager = new kuConnectionManager(Connectors(found.cbegin(), found.cend()), parent);
    }
    return g_manager;
}

QPointer<kuConnectionManager> kuConnectionManager::instance()
{
    if (g_testManager)
        return g_testManager;
    if (!g_manager)
        createInstance();
    return g_manager;
}

kuConnectionManager* kuConnectionManager::setInstanceForTests(kuConnectionManager* manager)
{
    kuConnectionManager* previous = g_testManager.data();
    g_testManager = manager;
    return previous;
}

kuConnectionManager::kuConnectionManager(const Connectors& connectors, QObject* parent)
    : kuConnectionManager(connectors, Converters(), parent)
{
    m_converters.insert(3, new dcMessagePack(this));
}

kuConnectionManager::kuConnectionManager(const Connectors& connectors, const Converters& converters, QObject* parent)
    : QObject(parent), m_connectors(connectors), m_converters(converters)
{
    sortByPriority(m_connectors);
    m_reloginTimer.setSingleShot(true);
    connect(&m_reloginTimer, &QTimer::timeout, this, &kuConnectionManager::reloginAgain);
}

kuConnectionManager::~kuConnectionManager()
{
    // The connection is a child; it goes before the plug-ins that made it.
    delete m_connection.data();
}

QPointer<kuAbstractConn> kuConnectionManager::connection()
{
    if (!m_connection)
        m_connection = createConnection();
    return m_connection;
}

QPointer<kuAbstractDataConverter> kuConnectionManager::dataConverter()
{
    return m_converters.value(m_currentDataType);
}

QStringList kuConnectionManager::connectorNames() const
{
    QStringList names;
    for (const auto& connector : m_connectors)
        names << connector->description();
    return names;
}

int kuConnectionManager::currentIndex() const
{
    return m_currentIndex;
}

void kuConnectionManager::changeConnector(int index)
{
    if (index < 0 || index >= m_connectors.size())
        return;
    const bool other = index != m_currentIndex;
    m_currentIndex = index;
    // A connection that never logged in still points at the server the user
    // left; dropping it makes the next login go to the one chosen now.
    if (other && m_connection && m_connection->sessionId().isEmpty()) {
        m_connection->blockSignals(true);
        disconnect(m_connection, nullptr, nullptr, nullptr);
        m_connection->deleteLater();
        m_connection = nullptr;
    }
}

bool kuConnectionManager::blockAllSignals(bool block)
{
    // The main window blocks everything before it logs out: no re-login may follow.
    if (block)
        endRestoring();
    if (m_connection)
        m_connection->blockSignals(block);
    if (const auto converter = dataConverter())
        converter->blockSignals(block);
    return blockSignals(block);
}

void kuConnectionManager::setReloginReceiver(QObject* receiver, const QByteArray& slotName)
{
    m_reloginReceiver = receiver;
    m_reloginSlot = slotName;
}

void kuConnectionManager::setRetryPause(int ms)
{
    m_retryPauseMs = ms;
}

void kuConnectionManager::setReloginTimings(int firstPauseMs, int maxPauseMs, int restoreWindowMs)
{
    m_reloginPauseMs = qMax(1, firstPauseMs);
    m_reloginMaxPauseMs = qMax(m_reloginPauseMs, maxPauseMs);
    m_restoreWindowMs = qMax(0, restoreWindowMs);
}

bool kuConnectionManager::isRestoring() const
{
    return m_restoring;
}

bool kuConnectionManager::isReloginScheduled() const
{
    return m_reloginTimer.isActive();
}

void kuConnectionManager::beginRestoring()
{
    if (m_restoring)
        return;
    m_restoring = true;
    m_reloginRetries = 0;
    m_restoreClock.start();
    emit restoringStatus(true, -1);
}

void kuConnectionManager::endRestoring()
{
    if (!m_restoring)
        return;
    m_restoring = false;
    m_reloginTimer.stop();
    emit restoringStatus(false, -1);
}

bool kuConnectionManager::retryRelogin()
{
    if (!m_restoring)
        return false;
    if (m_connectors.isEmpty() || m_restoreClock.elapsed() >= m_restoreWindowMs) {
        qWarning() << "Connection not restored within" << m_restoreWindowMs / 1000 << "s: no more re-logins";
        endRestoring();
        return false;
    }
    qint64 pause = m_reloginPauseMs;
    for (int i = 0; i < m_reloginRetries && pause < m_reloginMaxPauseMs; ++i)
        pause *= 2;
    const int ms = int(qMin<qint64>(pause, m_reloginMaxPauseMs));
    ++m_reloginRetries;
    qInfo() << "Re-login failed for a network reason; the next one in" << ms << "ms";
    m_reloginTimer.start(ms);
    emit restoringStatus(true, ms);
    return true;
}

void kuConnectionManager::reloginAgain()
{
    if (!m_restoring || m_connectors.isEmpty())
        return;
    if (m_connection) {
        m_connection->blockSignals(true);
        disconnect(m_connection, nullptr, nullptr, nullptr);
    }
    emit restoringStatus(true, -1);
    // Alternately on each plug-in: one of the two may be the way that works again.
    replaceConnection((m_currentIndex + 1) % m_connectors.size());
}

QPointer<kuAbstractConn> kuConnectionManager::fallback(const QString& message)
{
    emit connectError(message);
    // A child, so that a replaced fallback does not leak.
    return new kuAbstractConn(this);
}

QPointer<kuAbstractConn> kuConnectionManager::createConnection()
{
    if (m_currentIndex < 0 || m_currentIndex >= m_connectors.size())
        return fallback(tr("Не удалось подключиться к выбранному серверу. Пожалуйста, выберите другой сервер..."));
    const auto connector = m_connectors.at(m_currentIndex);
    m_currentDataType = connector->dataType();
    const QPointer<kuAbstractDataConverter> converter = dataConverter();
    if (!converter)
        return fallback(tr("Не удалось подобрать нужный вариант протокола обработки данных. "
                           "Пожалуйста, выберите другой сервер..."));
    const QPointer<kuAbstractConn> conn = connector->create(this);
    if (!conn)
        return fallback(tr("Не удалось подключиться к выбранному серверу. Пожалуйста, выберите другой сервер..."));

    kuAbstractConn* c = conn.data();
    kuAbstractDataConverter* v = converter.data();
    wireConnection(c, v);
    connect(v, &kuAbstractDataConverter::on_syncDateTime, this, &kuConnectionManager::on_syncDateTime);
    connect(c, &kuAbstractConn::on_connStatusChange, this, &kuConnectionManager::on_connStatusChange);
    // A session again: the connection is restored.
    connect(c, &kuAbstractConn::on_connStatusChange, this, [this](bool up) {
        if (up)
            endRestoring();
    });
    // By name: the signal is the plug-in's own, beyond the connection interface.
    if (c->metaObject()->indexOfSignal("on_certificateRefused(QString,QString)") >= 0)
        connect(c, SIGNAL(on_certificateRefused(QString, QString)), this, SIGNAL(certificateRefused(QString, QString)));
    // Queued: the connection is replaced and deleted here, never inside its own
    // signal. A notice still queued from a connection already replaced is dropped.
    connect(
            c, &kuAbstractConn::on_brokenConnection, this,
            [this, conn] {
                if (conn && conn == m_connection)
                    slot_brokenConnection();
            },
            Qt::QueuedConnection);
    return conn;
}

void kuConnectionManager::slot_brokenConnection()
{
    beginRestoring();
    if (m_connection) {
        m_connection->blockSignals(true);
        disconnect(m_connection, nullptr, nullptr, nullptr);
    }
    const int count = m_connectors.size();
    const int next = m_currentIndex + 1 < count ? m_currentIndex + 1 : 0;
    if (next != m_currentIndex) {
        replaceConnection(next);
        return;
    }
    emit connectError(tr("Не удалось восстановить соединение с сервером. Пожалуйста, обратитесь в тех. поддержку."));
    if (count == 0)
        return;
    // The only server may come back: try it again after a pause.
    const QPointer<kuAbstractConn> broken = m_connection;
    QTimer::singleShot(m_retryPauseMs, this, [this, broken] {
        if (broken == m_connection)
            replaceConnection(m_currentIndex);
    });
}

void kuConnectionManager::replaceConnection(int index)
{
    if (m_connection)
        m_connection->deleteLater();
    m_connection = nullptr;
    m_currentIndex = index;
    m_connection = createConnection();
    if (!m_reloginReceiver)
        return;
    if (!QMetaObject::invokeMethod(m_reloginReceiver, m_reloginSlot.constData(), Qt::AutoConnection))
        qWarning() << "Re-login after a new connection failed: no slot" << m_reloginSlot;
}
