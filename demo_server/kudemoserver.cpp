#include "kudemoserver.h"

#include "kudemolistener.h"

#include <QDateTime>
#include <QHostAddress>
#include <QSslSocket>

const char* const kuDemoServer::basePath = "/Brenholt/vlmV1.6";

kuDemoServer::kuDemoServer(const Options& options, QObject* parent) : QObject(parent), m_options(options), m_timer(this)
{
    const qint64 start = options.startMs > 0 ? options.startMs : QDateTime::currentMSecsSinceEpoch();
    m_market = std::make_unique<kuDemoMarket>(options.seed, start);
    addUser(QStringLiteral("DEMO"), QStringLiteral("demo"));
    connect(&m_timer, &QTimer::timeout, this, &kuDemoServer::tick);
}

kuDemoServer::~kuDemoServer()
{
    stopListening();
}

bool kuDemoServer::start(const QList<quint16>& ports)
{
    if (!m_certificate.load(m_options.dataDir)) {
        m_error = m_certificate.errorString();
        return false;
    }
    m_ports = ports;
    if (!restartListening())
        return false;
    if (m_options.tickMs > 0) {
        m_clock.start();
        m_clockSeen = 0;
        m_timer.start(m_options.tickMs);
    }
    return true;
}

bool kuDemoServer::restartListening()
{
    stopListening();
    QList<quint16> bound;
    for (quint16 port : qAsConst(m_ports)) {
        auto* listener = new kuDemoListener(this);
        if (!listener->listen(QHostAddress::LocalHost, port)) {
            m_error = QStringLiteral("port %1: %2").arg(port).arg(listener->errorString());
            delete listener;
            stopListening();
            return false;
        }
        connect(listener, &kuDemoListener::descriptorReady, this, &kuDemoServer::acceptDescriptor);
        m_listeners.append(listener);
        bound.append(listener->serverPort());
    }
    // Port 0 becomes the port actually given, so that a restart keeps it.
    m_ports = bound;
    return true;
}

void kuDemoServer::stopListening()
{
    qDeleteAll(m_listeners);
    m_listeners.clear();
    const QList<QSslSocket*> sockets = m_buffers.keys();
    m_buffers.clear();
    for (QSslSocket* socket : sockets) {
        socket->abort();
        socket->deleteLater();
    }
}

bool kuDemoServer::isListening() const
{
    return !m_listeners.isEmpty();
}

QList<quint16> kuDemoServer::ports() const
{
    return m_ports;
}

quint16 kuDemoServer::port() const
{
    return m_ports.value(0);
}

QString kuDemoServer::baseUrl(int portIndex) const
{
    return QStringLiteral("https://127.0.0.1:%1%2").arg(m_ports.value(portIndex)).arg(QLatin1String(basePath));
}

void kuDemoServer::addUser(const QString& login, const QString& password)
{
    m_users.insert(login, password);
    m_market->addUser(login);
}

void kuDemoServer::step(qint64 ms)
{
    m_market->step(ms);
    expireSessions();
}

void kuDemoServer::tick()
{
    // Follows the real clock, however late the timer fires.
    const qint64 elapsed = m_clock.elapsed();
    step(elapsed - m_clockSeen);
    m_clockSeen = elapsed;
}

void kuDemoServer::expireSessions()
{
    const qint64 now = m_market->now();
    for (auto it = m_sessions.begin(); it != m_sessions.end();) {
        if (now - it->lastSeen > m_options.sessionTimeoutMs)
            it = m_sessions.erase(it);
        else
            ++it;
    }
}
