#pragma once

#include "kudemocertificate.h"
#include "kudemohostile.h"
#include "kudemomarket.h"

#include <QElapsedTimer>
#include <QHash>
#include <QJsonObject>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QTimer>

#include <memory>

class QSslSocket;
class kuDemoListener;

// Local stand-in for the broker's trading server: HTTPS GET on loopback,
// hex MessagePack replies, a simulated market behind them. Single-threaded; it may be
// moved to a thread of its own before start() is invoked there (blocking clients in-process).
class kuDemoServer : public QObject
{
    Q_OBJECT
public:
    static constexpr quint16 primaryPort = 47443;
    static constexpr quint16 sparePort = 4744;
    static const char* const basePath; // "/Brenholt/vlmV1.6"
    static constexpr int requestRecordLimit = 100000;

    struct Options
    {
        quint64 seed = 1;
        QString dataDir;    // holds server.crt and server.key
        qint64 startMs = 0; // market clock at start; 0 takes the real time
        int tickMs = 250;   // market steps on a timer; 0 leaves stepping to step()
        qint64 sessionTimeoutMs = 30 * 60 * 1000;
        bool logRequests = false; // one line per request through qInfo
        QString pluginDir;        // plug-ins offered for download: <name>.json beside each library
    };

    explicit kuDemoServer(const Options& options, QObject* parent = nullptr);
    ~kuDemoServer() override;

    // Listens on 127.0.0.1 on every port given (0 picks a free one). False with errorString() on failure.
    Q_INVOKABLE bool start(const QList<quint16>& ports);
    // Stops listening and drops every open connection; sessions and the market stay.
    Q_INVOKABLE void stopListening();
    // Listens again on the ports it had.
    Q_INVOKABLE bool restartListening();
    bool isListening() const;
    QList<quint16> ports() const;
    quint16 port() const; // the first one
    QString errorString() const { return m_error; }
    QString baseUrl(int portIndex = 0) const;
    QSslCertificate certificate() const { return m_certificate.certificate(); }

    // Users; DEMO with password demo exists from the start.
    void addUser(const QString& login, const QString& password);

    // The simulated market; step() also expires idle sessions.
    kuDemoMarket& market() { return *m_market; }
    Q_INVOKABLE void step(qint64 ms);
    void setSessionTimeout(qint64 ms) { m_options.sessionTimeoutMs = ms; }
    int sessionCount() const { return m_sessions.size(); }

    // Fault injection. `script` names one request ("kuMarketDataUpdate"); empty means every
    // request without a fault of its own. `times` > 0 ends the fault after that many requests.
    void setReplyDelay(int ms, const QString& script = QString(), int times = -1)
    {
        setFault(m_delayFaults, ms, script, times);
    }
    // Answers the status with an empty body and does not carry the request out; 0 or 200 ends it.
    void setReplyStatus(int httpStatus, const QString& script = QString(), int times = -1)
    {
        setFault(m_statusFaults, httpStatus == 200 ? 0 : httpStatus, script, times);
    }
    // Closes the connection on the request, unanswered.
    void setDropConnections(bool drop, const QString& script = QString(), int times = -1)
    {
        setFault(m_dropFaults, drop ? 1 : 0, script, times);
    }
    void setRefuseLogins(int errorCode) { m_refuseCode = errorCode; } // server error code, 0: accept
    // Answers badly (kuDemoHostile::Mode) to one request or to every one; None ends it. Only
    // requests that the server carries out are answered badly: dropped or failed ones come first.
    void setHostile(kuDemoHostile::Mode mode, const QString& script = QString(), int times = -1)
    {
        setFault(m_hostileFaults, int(mode), script, times);
    }
    // Hex bytes of an oversized reply (default 8 MiB) and inflated bytes of a gzip bomb (default 256 MiB).
    void setOversizedBytes(int bytes) { m_oversizedBytes = bytes; }
    void setBombBytes(qint64 bytes) { m_bombBytes = bytes; }
    // How long a slow body takes to arrive (default 7 s: slower than a poll may take, faster than a request).
    void setSlowBodyMs(int ms) { m_slowBodyMs = ms; }
    // Requests left unanswered by the hang mode.
    int hungRequests() const { return m_hung; }

    // A request target as the server logs it: the password masked, a session id cut to its first four characters.
    static QByteArray maskedTarget(const QByteArray& target);

    // Every request target (path and query as received), oldest first, the last requestRecordLimit at most.
    QStringList requests() const { return m_requests; }
    void clearRequests() { m_requests.clear(); }

signals:
    void requestReceived(const QString& target);

private:
    struct Session
    {
        QString id;
        QString login;
        qint64 lastSeen = 0;
        QSet<kuDemoStream> streams;
        quint64 marketSince = 0;
        quint64 updatesSince = 0;
    };
    using Params = QMap<QString, QByteArray>;
    struct Fault
    {
        int value = 0;
        int remaining = -1;
    };
    // Server error codes of the wire format.
    enum
    {
        errNotGet = 1,
        errNoParams = 2,
        errNoValue = 3,
        errBadNames = 4,
        errLogin = 5,
        errSession = 7,
        errAccount = 12,
    };

    // The clock and the sessions it ends.
    void expireSessions();
    void tick();

    // HTTP over TLS: requests in, injected faults, replies out.
    void acceptDescriptor(qintptr descriptor);
    void readSocket(QSslSocket* socket);
    struct Shape
    {
        QByteArray encoding; // Content-Encoding, when set
        int sendBytes = -1;  // fewer than announced: the rest never comes, the connection closes
        int spreadMs = 0;    // the body goes out in pieces over this time
    };
    void reply(QSslSocket* socket, int status, const QByteArray& body, bool close, int delayMs);
    void reply(QSslSocket* socket, int status, const QByteArray& body, bool close, int delayMs, const Shape& shape);
    static int takeFault(QHash<QString, Fault>& faults, const QString& script);
    static void setFault(QHash<QString, Fault>& faults, int value, const QString& script, int times);

    // The scripts: a request's names and session checked, then carried out.
    QByteArray handle(const QString& script, const Params& params, kuDemoHostile::Mode hostile);
    QByteArray login(const Params& params, bool withSession);
    QByteArray orderRequest(const Session& session, const Params& params);

    // Plug-ins offered for download.
    QByteArray pluginList(bool hugeIcons) const;
    QList<QJsonObject> offeredPlugins() const;
    // A plug-in library by GUID for a session, with the HTTP status to answer.
    QByteArray pluginFile(const Params& params, int* status);

    Options m_options;
    kuDemoCertificate m_certificate;
    std::unique_ptr<kuDemoMarket> m_market;
    QList<kuDemoListener*> m_listeners;
    QList<quint16> m_ports;
    QHash<QSslSocket*, QByteArray> m_buffers;
    QMap<QString, QString> m_users; // login -> password
    QHash<QString, Session> m_sessions;
    QStringList m_requests;
    QString m_error;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_clockSeen = 0;
    QHash<QString, Fault> m_delayFaults;
    QHash<QString, Fault> m_statusFaults;
    QHash<QString, Fault> m_dropFaults;
    QHash<QString, Fault> m_hostileFaults;
    int m_refuseCode = 0;
    int m_oversizedBytes = 8 * 1024 * 1024;
    qint64 m_bombBytes = 256 * 1024 * 1024;
    int m_slowBodyMs = 7000;
    int m_hung = 0;
};
