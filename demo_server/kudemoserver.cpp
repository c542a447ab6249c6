#include "kudemoserver.h"

#include "kudemolistener.h"
#include "kudemopacker.h"
#include "kudemoreplies.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTextCodec>

#include <cmath>

const char* const kuDemoServer::basePath = "/Brenholt/vlmV1.6";

namespace {

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

QByteArray emptyList()
{
    kuDemoPacker p;
    p.array(0);
    return p.hex();
}

QByteArray statusText(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    case 502:
        return "Bad Gateway";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

// Names every script needs besides ID; the order requests are checked per TYPE.
const QMap<QString, QStringList>& scripts()
{
    static const QMap<QString, QStringList> map = {
            {QStringLiteral("kuAuthorized"), {QStringLiteral("PW"), QStringLiteral("VER"), QStringLiteral("OS")}},
            {QStringLiteral("kuGetInitInfo"), {}},
            {QStringLiteral("kuGetCandles"),
             {QStringLiteral("PID"), QStringLiteral("SD"), QStringLiteral("ED"), QStringLiteral("SDD")}},
            {QStringLiteral("kuGetOrderBook"), {QStringLiteral("PID")}},
            {QStringLiteral("kuLastTrades"), {QStringLiteral("PID")}},
            {QStringLiteral("kuGetQuotes"), {QStringLiteral("PID")}},
            {QStringLiteral("kuGetPortfolio"), {}},
            {QStringLiteral("kuGetOrders"), {}},
            {QStringLiteral("kuGetTrades"), {}},
            {QStringLiteral("kuGetReportData"),
             {QStringLiteral("TYPE"), QStringLiteral("SDATE"), QStringLiteral("EDATE"), QStringLiteral("ACC")}},
            {QStringLiteral("kuGetPluginList"), {QStringLiteral("OS"), QStringLiteral("ARCH"), QStringLiteral("V")}},
            {QStringLiteral("kuGetDateTime"), {}},
            {QStringLiteral("kuUnAuthorized"), {}},
            {QStringLiteral("kuUnsubscribe"), {QStringLiteral("WT"), QStringLiteral("PID")}},
            {QStringLiteral("kuLastPrice"), {QStringLiteral("PID")}},
            {QStringLiteral("kuMarketDataUpdate"), {}},
            {QStringLiteral("kuGetUpdates"), {}},
            {QStringLiteral("kuOrderManager"), {QStringLiteral("TYPE")}},
    };
    return map;
}

bool toNumber(const QByteArray& text, double* value)
{
    bool ok = false;
    *value = text.toDouble(&ok);
    return ok && std::isfinite(*value);
}

// A date of a report: seconds since the epoch, "yyyy-MM-dd" or "dd.MM.yyyy".
bool toSeconds(const QByteArray& text, bool endOfDay, qint64* seconds)
{
    bool ok = false;
    *seconds = text.toLongLong(&ok);
    if (ok)
        return true;
    for (const QString& format : {QStringLiteral("yyyy-MM-dd"), QStringLiteral("dd.MM.yyyy")}) {
        const QDate date = QDate::fromString(QString::fromLatin1(text), format);
        if (date.isValid()) {
            const QDateTime start(date, QTime(0, 0), Qt::OffsetFromUTC, kuDemoMarket::mskOffset);
            *seconds = start.toSecsSinceEpoch() + (endOfDay ? 86399 : 0);
            return true;
        }
    }
    return false;
}

} // namespace

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

void kuDemoServer::acceptDescriptor(qintptr descriptor)
{
    auto* socket = new QSslSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    QSslConfiguration config = socket->sslConfiguration();
    config.setLocalCertificate(m_certificate.certificate());
    config.setPrivateKey(m_certificate.key());
    config.setPeerVerifyMode(QSslSocket::VerifyNone);
    socket->setSslConfiguration(config);
    m_buffers.insert(socket, QByteArray());
    connect(socket, &QSslSocket::readyRead, this, [this, socket] { readSocket(socket); });
    connect(socket, &QSslSocket::disconnected, this, [this, socket] {
        m_buffers.remove(socket);
        socket->deleteLater();
    });
    connect(socket, QOverload<const QList<QSslError>&>::of(&QSslSocket::sslErrors), socket,
            [socket] { socket->abort(); });
    socket->startServerEncryption();
}

void kuDemoServer::readSocket(QSslSocket* socket)
{
    if (!m_buffers.contains(socket))
        return;
    QByteArray& buffer = m_buffers[socket];
    buffer += socket->readAll();
    // Requests are small; anything larger than this is not one of ours.
    if (buffer.size() > 64 * 1024 && buffer.indexOf("\r\n\r\n") < 0) {
        reply(socket, 400, QByteArray(), true, 0);
        return;
    }
    for (;;) {
        const int end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QList<QByteArray> lines = buffer.left(end).split('\n');
        int bodyLength = 0;
        bool close = false;
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        const QByteArray version = requestLine.value(2);
        close = version == "HTTP/1.0";
        for (int i = 1; i < lines.size(); ++i) {
            const QByteArray line = lines.at(i).trimmed();
            const int colon = line.indexOf(':');
            if (colon < 0)
                continue;
            const QByteArray name = line.left(colon).trimmed().toLower();
            const QByteArray value = line.mid(colon + 1).trimmed().toLower();
            if (name == "content-length")
                bodyLength = value.toInt();
            else if (name == "connection")
                close = value == "close" ? true : (value == "keep-alive" ? false : close);
        }
        if (bodyLength < 0 || bodyLength > 64 * 1024) {
            reply(socket, 400, QByteArray(), true, 0);
            return;
        }
        if (buffer.size() < end + 4 + bodyLength)
            return;
        buffer.remove(0, end + 4 + bodyLength);

        const QByteArray method = requestLine.value(0);
        const QByteArray target = requestLine.value(1);
        const QString targetText = QString::fromLatin1(target);
        m_requests.append(targetText);
        // A server left running for days keeps only the recent part of its record.
        if (m_requests.size() > requestRecordLimit)
            m_requests.erase(m_requests.begin(), m_requests.begin() + requestRecordLimit / 10);
        emit requestReceived(targetText);

        const int question = target.indexOf('?');
        const QByteArray path = question < 0 ? target : target.left(question);
        const QByteArray prefix = QByteArray(basePath) + '/';
        const QString script = path.startsWith(prefix) ? QString::fromLatin1(path.mid(prefix.size())) : QString();
        if (takeFault(m_dropFaults, script)) {
            if (m_options.logRequests)
                qInfo("%s %s -> dropped", method.constData(), maskedTarget(target).constData());
            m_buffers.remove(socket);
            socket->abort();
            socket->deleteLater();
            return;
        }
        if (requestLine.size() != 3 || target.isEmpty()) {
            reply(socket, 400, QByteArray(), true, 0);
            return;
        }
        const int delay = takeFault(m_delayFaults, script);
        // A failing server does nothing of what it was asked.
        const int failure = takeFault(m_statusFaults, script);
        if (failure) {
            if (m_options.logRequests)
                qInfo("%s %s -> %d (injected)", method.constData(), maskedTarget(target).constData(), failure);
            reply(socket, failure, QByteArray(), close, delay);
            if (close)
                return;
            continue;
        }

        const auto hostile = kuDemoHostile::Mode(takeFault(m_hostileFaults, script));
        QByteArray body;
        int status = 200;
        if (method != "GET") {
            body = kuDemoPacker::errorReply(errNotGet);
        } else {
            Params params;
            // Values stay bytes: the login name arrives percent-encoded in cp1251.
            for (const QByteArray& pair : target.mid(question < 0 ? target.size() : question + 1).split('&')) {
                if (pair.isEmpty())
                    continue;
                const int eq = pair.indexOf('=');
                const QByteArray name = QByteArray::fromPercentEncoding(eq < 0 ? pair : pair.left(eq));
                params.insert(QString::fromLatin1(name),
                              eq < 0 ? QByteArray() : QByteArray::fromPercentEncoding(pair.mid(eq + 1)));
            }
            // A file is not a MessagePack reply: failures are HTTP statuses.
            if (script == QLatin1String("kuGetPluginFile"))
                body = pluginFile(params, &status);
            else
                body = handle(script, params, hostile);
        }
        Shape shape;
        switch (hostile) {
        case kuDemoHostile::Oversized:
            body = kuDemoHostile::oversizedHex(m_oversizedBytes);
            break;
        case kuDemoHostile::Gzip:
            body = kuDemoHostile::gzip(body);
            shape.encoding = "gzip";
            break;
        case kuDemoHostile::GzipBomb:
            body = kuDemoHostile::gzipBomb(m_bombBytes);
            shape.encoding = "gzip";
            break;
        case kuDemoHostile::CutOff:
            shape.sendBytes = body.size() / 2;
            break;
        case kuDemoHostile::Slow:
            shape.spreadMs = m_slowBodyMs;
            break;
        default:
            break;
        }
        if (m_options.logRequests) {
            qInfo("%s %s -> %d, %d bytes%s%s", method.constData(), maskedTarget(target).constData(), status,
                  int(body.size()), hostile ? ", hostile: " : "",
                  hostile ? qPrintable(kuDemoHostile::name(hostile)) : "");
        }
        if (hostile == kuDemoHostile::Hang) {
            ++m_hung;
            continue; // the connection stays open, the answer never comes
        }
        reply(socket, status, body, close || shape.sendBytes >= 0, delay, shape);
        if (close || shape.sendBytes >= 0)
            return;
    }
}

int kuDemoServer::takeFault(QHash<QString, Fault>& faults, const QString& script)
{
    auto it = faults.find(script);
    if (it == faults.end())
        it = faults.find(QString());
    if (it == faults.end())
        return 0;
    const int value = it->value;
    if (it->remaining > 0 && --it->remaining == 0)
        faults.erase(it);
    return value;
}

void kuDemoServer::setFault(QHash<QString, Fault>& faults, int value, const QString& script, int times)
{
    if (value == 0 || times == 0)
        faults.remove(script);
    else
        faults.insert(script, Fault{value, times});
}

void kuDemoServer::reply(QSslSocket* socket, int status, const QByteArray& body, bool close, int delayMs)
{
    reply(socket, status, body, close, delayMs, Shape());
}

void kuDemoServer::reply(QSslSocket* socket, int status, const QByteArray& body, bool close, int delayMs,
                         const Shape& shape)
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + ' ' + statusText(status) + "\r\n";
    head += "Content-Type: text/plain\r\n";
    if (!shape.encoding.isEmpty())
        head += "Content-Encoding: " + shape.encoding + "\r\n";
    head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    head += close ? "Connection: close\r\n\r\n" : "Connection: keep-alive\r\n\r\n";
    const QByteArray sent = shape.sendBytes >= 0 ? body.left(shape.sendBytes) : body;
    QPointer<QSslSocket> guard(socket);
    auto write = [this, guard](const QByteArray& data, bool last, bool close) {
        if (!guard || !m_buffers.contains(guard.data()))
            return;
        guard->write(data);
        if (last && close)
            guard->disconnectFromHost();
    };
    if (shape.spreadMs <= 0) {
        auto send = [write, data = head + sent, close] { write(data, true, close); };
        if (delayMs > 0)
            QTimer::singleShot(delayMs, this, send);
        else
            send();
        return;
    }
    // A slow body: the head at once, then ten pieces, the last one at the end of the spread.
    QTimer::singleShot(qMax(0, delayMs), this, [write, head] { write(head, false, false); });
    const int pieces = 10;
    for (int i = 0; i < pieces; ++i) {
        // Even a body of a few bytes is whole only at the end.
        const int from = int(qint64(sent.size()) * i / pieces);
        const int to = int(qint64(sent.size()) * (i + 1) / pieces);
        const QByteArray piece = sent.mid(from, to - from);
        QTimer::singleShot(qMax(0, delayMs) + shape.spreadMs * (i + 1) / pieces, this,
                           [write, piece, last = i == pieces - 1, close] { write(piece, last, close); });
    }
}

QByteArray kuDemoServer::maskedTarget(const QByteArray& target)
{
    static const QRegularExpression password(QStringLiteral("([?&]PW=)[^&]*"));
    // A live session id opens the session as the password does: enough of it to tell sessions apart.
    static const QRegularExpression session(QStringLiteral("([?&]ID=[^&]{4})[^&]+"));
    QString text = QString::fromLatin1(target).replace(password, QStringLiteral("\\1***"));
    // At login the ID is the user's name, no secret.
    const int question = text.indexOf(QLatin1Char('?'));
    if (!text.leftRef(question).endsWith(QLatin1String("/kuAuthorized")))
        text.replace(session, QStringLiteral("\\1***"));
    return text.toLatin1();
}

QByteArray kuDemoServer::handle(const QString& script, const Params& params, kuDemoHostile::Mode hostile)
{
    const auto known = scripts().constFind(script);
    if (known == scripts().constEnd())
        return kuDemoPacker::errorReply(errBadNames);
    if (params.isEmpty())
        return kuDemoPacker::errorReply(errNoParams);
    QStringList needed = *known;
    needed.prepend(QStringLiteral("ID"));
    for (const QString& name : qAsConst(needed)) {
        if (!params.contains(name))
            return kuDemoPacker::errorReply(errBadNames);
    }
    if (script == QLatin1String("kuAuthorized"))
        return login(params, hostile != kuDemoHostile::NoSession);

    const QString id = QString::fromLatin1(params.value(QStringLiteral("ID")));
    auto found = m_sessions.find(id);
    if (found == m_sessions.end() || m_market->now() - found->lastSeen > m_options.sessionTimeoutMs) {
        if (found != m_sessions.end())
            m_sessions.erase(found);
        return kuDemoPacker::errorReply(errSession);
    }
    Session& session = *found;
    session.lastSeen = m_market->now();

    for (const QString& name : qAsConst(needed)) {
        if (params.value(name).isEmpty())
            return kuDemoPacker::errorReply(errNoValue);
    }
    int paperId = 0;
    if (params.contains(QStringLiteral("PID"))) {
        bool ok = false;
        paperId = params.value(QStringLiteral("PID")).toInt(&ok);
        const bool anyPaper = script == QLatin1String("kuUnsubscribe");
        if (!ok || (!anyPaper && !m_market->instrument(paperId)))
            return kuDemoPacker::errorReply(errNoValue);
    }

    kuDemoPacker p;
    const kuDemoMarket& market = *m_market;
    if (script == QLatin1String("kuGetInitInfo")) {
        kuDemoReplies(market).packInstruments(p);
    } else if (script == QLatin1String("kuGetCandles")) {
        qint64 from = 0, to = 0, dayFrom = 0;
        bool ok1 = false, ok2 = false, ok3 = false;
        from = params.value(QStringLiteral("SD")).toLongLong(&ok1);
        to = params.value(QStringLiteral("ED")).toLongLong(&ok2);
        dayFrom = params.value(QStringLiteral("SDD")).toLongLong(&ok3);
        if (!ok1 || !ok2 || !ok3)
            return kuDemoPacker::errorReply(errNoValue);
        session.streams.insert({7, paperId});
        kuDemoReplies(market).packCandles(p, paperId, from, to, dayFrom);
    } else if (script == QLatin1String("kuGetOrderBook")) {
        session.streams.insert({10, paperId});
        kuDemoReplies(market).packOrderBook(p, paperId, false);
    } else if (script == QLatin1String("kuLastTrades")) {
        session.streams.insert({13, paperId});
        kuDemoReplies(market).packTape(p, paperId, 0, false);
    } else if (script == QLatin1String("kuGetQuotes")) {
        session.streams.insert({1, paperId});
        kuDemoReplies(market).packQuote(p, paperId, false);
    } else if (script == QLatin1String("kuGetPortfolio")) {
        session.streams.insert({80, 0});
        kuDemoReplies(market).packPortfolio(p, session.login, 0, false);
    } else if (script == QLatin1String("kuGetOrders")) {
        session.streams.insert({82, 0});
        kuDemoReplies(market).packOrders(p, session.login, 0, false);
    } else if (script == QLatin1String("kuGetTrades")) {
        session.streams.insert({83, 0});
        kuDemoReplies(market).packTrades(p, session.login, 0, false);
    } else if (script == QLatin1String("kuGetReportData")) {
        qint64 from = 0, to = 0;
        if (!toSeconds(params.value(QStringLiteral("SDATE")), false, &from) ||
            !toSeconds(params.value(QStringLiteral("EDATE")), true, &to))
            return kuDemoPacker::errorReply(errNoValue);
        const QString account =
                market.accountByHash(session.login, QString::fromLatin1(params.value(QStringLiteral("ACC"))));
        if (account.isEmpty())
            return kuDemoPacker::errorReply(errAccount);
        kuDemoReplies(market).packReport(p, account, session.login, from, to);
    } else if (script == QLatin1String("kuGetPluginList")) {
        return pluginList(hostile == kuDemoHostile::HugeIcon);
    } else if (script == QLatin1String("kuGetDateTime")) {
        kuDemoReplies(market).packTime(p);
    } else if (script == QLatin1String("kuUnAuthorized")) {
        m_sessions.erase(found);
        return emptyList();
    } else if (script == QLatin1String("kuUnsubscribe")) {
        bool ok = false;
        const int winType = params.value(QStringLiteral("WT")).toInt(&ok);
        if (!ok)
            return kuDemoPacker::errorReply(errNoValue);
        session.streams.remove({winType, paperId});
        return emptyList();
    } else if (script == QLatin1String("kuLastPrice")) {
        session.streams.insert({14, paperId});
        p.array(2).integer(paperId).real(market.lastPrice(paperId));
    } else if (script == QLatin1String("kuMarketDataUpdate")) {
        kuDemoReplies(market).packMarketUpdates(p, session.streams, session.marketSince);
        session.marketSince = market.stamp();
    } else if (script == QLatin1String("kuGetUpdates")) {
        kuDemoReplies(market).packAccountUpdates(p, session.login, session.streams, session.updatesSince);
        session.updatesSince = market.stamp();
    } else if (script == QLatin1String("kuOrderManager")) {
        return orderRequest(session, params);
    }
    return p.hex();
}

QByteArray kuDemoServer::login(const Params& params, bool withSession)
{
    const QByteArray loginBytes = params.value(QStringLiteral("ID"));
    if (loginBytes.isEmpty() || params.value(QStringLiteral("PW")).isEmpty())
        return kuDemoPacker::errorReply(errNoValue);
    static QTextCodec* cp1251 = QTextCodec::codecForName("cp1251");
    const QString login = cp1251->toUnicode(loginBytes);
    const QString password = QString::fromUtf8(params.value(QStringLiteral("PW")));
    if (m_refuseCode != 0)
        return kuDemoPacker::errorReply(m_refuseCode);
    if (!m_users.contains(login) || m_users.value(login) != password)
        return kuDemoPacker::errorReply(errLogin);

    Session session;
    session.login = login;
    session.lastSeen = m_market->now();
    session.marketSince = session.updatesSince = m_market->stamp();
    // Unguessable even with a known seed: a session is all a request needs to trade.
    QByteArray token(20, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(token.data()), token.size() / 4);
    session.id = QString::fromLatin1(token.toHex());
    m_sessions.insert(session.id, session);

    kuDemoPacker p;
    kuDemoReplies(*m_market).packLogin(p, login, withSession ? session.id : QString());
    return p.hex();
}

QByteArray kuDemoServer::orderRequest(const Session& session, const Params& params)
{
    bool ok = false;
    kuDemoOrderRequest r;
    r.code = params.value(QStringLiteral("TYPE")).toInt(&ok);
    QStringList names;
    switch (r.code) {
    case 1001:
    case 1002:
        names = QStringList{QStringLiteral("ACC"),   QStringLiteral("PID"), QStringLiteral("ACT"),
                            QStringLiteral("QUANT"), QStringLiteral("IM"),  QStringLiteral("PRICE"),
                            QStringLiteral("TIME"),  QStringLiteral("EF")};
        break;
    case 1010:
    case 1011:
        names = QStringList{QStringLiteral("ACC"),   QStringLiteral("PID"), QStringLiteral("ACT"),
                            QStringLiteral("QUANT"), QStringLiteral("FC"),  QStringLiteral("P1"),
                            QStringLiteral("P2"),    QStringLiteral("M1"),  QStringLiteral("SC"),
                            QStringLiteral("P3"),    QStringLiteral("P4"),  QStringLiteral("M2"),
                            QStringLiteral("EF")};
        break;
    case 1003:
    case 1012:
        break;
    default:
        return kuDemoPacker::errorReply(errNoValue);
    }
    if (r.code == 1002 || r.code == 1003 || r.code == 1011 || r.code == 1012)
        names << QStringLiteral("OID");
    QHash<QString, double> values;
    for (const QString& name : qAsConst(names)) {
        if (!params.contains(name))
            return kuDemoPacker::errorReply(errBadNames);
        double value = 0;
        if (name != QLatin1String("ACC") && !toNumber(params.value(name), &value))
            return kuDemoPacker::errorReply(errNoValue);
        values.insert(name, value);
    }
    auto whole = [&](const char* name) { return int(std::llround(values.value(QLatin1String(name)))); };
    if (names.contains(QStringLiteral("ACC"))) {
        r.account = m_market->accountByHash(session.login, QString::fromLatin1(params.value(QStringLiteral("ACC"))));
        if (r.account.isEmpty())
            return kuDemoPacker::errorReply(errAccount);
    }
    r.orderId = whole("OID");
    r.paperId = whole("PID");
    r.action = whole("ACT");
    r.amount = whole("QUANT");
    r.price = values.value(QStringLiteral("PRICE"));
    r.isMarket = whole("IM");
    r.ordTime = whole("TIME");
    r.execFlag = whole("EF");
    r.fcond = whole("FC");
    r.ifPrice1 = values.value(QStringLiteral("P1"));
    r.stopPrice1 = values.value(QStringLiteral("P2"));
    r.isMarket1 = whole("M1");
    r.scond = whole("SC");
    r.ifPrice2 = values.value(QStringLiteral("P3"));
    r.stopPrice2 = values.value(QStringLiteral("P4"));
    r.isMarket2 = whole("M2");

    const int result = m_market->orderRequest(session.login, r);
    if (result < 0)
        return kuDemoPacker::errorReply(-result);
    kuDemoPacker p;
    p.array(1).integer(result);
    return p.hex();
}

QByteArray kuDemoServer::pluginList(bool hugeIcons) const
{
    static QTextCodec* koi8 = QTextCodec::codecForName("KOI8-R");
    struct Entry
    {
        const char *id, *title, *description;
        quint32 version;
        double price;
        const char* name;
    };
    const Entry entries[] = {
            {"ku_newsfeed_win_x86_mingw", "Лента новостей", "Новости эмитентов и биржи в отдельном окне", 10601000, 0.0,
             "ku_newsfeed"},
            {"ku_bondcalc_win_x86_mingw", "Калькулятор облигаций", "Доходность и дюрация облигаций по текущим ценам",
             10500000, 1500.0, "ku_bondcalc"},
    };
    const QList<QJsonObject> offered = offeredPlugins();
    kuDemoPacker p;
    p.array(quint32((2 + offered.size()) * 7));
    for (const Entry& e : entries) {
        p.str(QCryptographicHash::hash(e.id, QCryptographicHash::Keccak_256).toHex());
        p.str(koi8->fromUnicode(QString::fromUtf8(e.title))).str(koi8->fromUnicode(QString::fromUtf8(e.description)));
        p.integer(e.version).str(hugeIcons ? kuDemoHostile::hugePng().toHex() : QByteArray());
        p.real(e.price).str(e.name);
    }
    for (const QJsonObject& o : offered) {
        QFile icon(QDir(m_options.pluginDir).filePath(o.value(QStringLiteral("icon")).toString()));
        const QByteArray iconHex =
                hugeIcons ? kuDemoHostile::hugePng().toHex()
                : !o.value(QStringLiteral("icon")).toString().isEmpty() && icon.open(QIODevice::ReadOnly)
                        ? icon.readAll().toHex()
                        : QByteArray();
        p.str(o.value(QStringLiteral("guid")).toString().toLatin1());
        p.str(koi8->fromUnicode(o.value(QStringLiteral("title")).toString()));
        p.str(koi8->fromUnicode(o.value(QStringLiteral("description")).toString()));
        p.integer(quint32(o.value(QStringLiteral("version")).toDouble())).str(iconHex);
        p.real(o.value(QStringLiteral("price")).toDouble()).str(o.value(QStringLiteral("name")).toString().toLatin1());
    }
    return p.hex();
}

QList<QJsonObject> kuDemoServer::offeredPlugins() const
{
    static const QRegularExpression validName(QStringLiteral("^ku_[A-Za-z0-9_]+$"));
    QList<QJsonObject> result;
    if (m_options.pluginDir.isEmpty())
        return result;
    const QDir dir(m_options.pluginDir);
    for (const QString& name : dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QJsonObject o = QJsonDocument::fromJson(file.readAll()).object();
        if (validName.match(o.value(QStringLiteral("name")).toString()).hasMatch() &&
            !o.value(QStringLiteral("guid")).toString().isEmpty())
            result << o;
    }
    return result;
}

QByteArray kuDemoServer::pluginFile(const Params& params, int* status)
{
    const auto found = m_sessions.find(QString::fromLatin1(params.value(QStringLiteral("ID"))));
    if (found == m_sessions.end() || m_market->now() - found->lastSeen > m_options.sessionTimeoutMs) {
        *status = 403;
        return QByteArray();
    }
    found->lastSeen = m_market->now();
    const QString guid = QString::fromLatin1(params.value(QStringLiteral("GUID")));
    for (const QJsonObject& o : offeredPlugins()) {
        if (o.value(QStringLiteral("guid")).toString() != guid)
            continue;
        QFile file(
                QDir(m_options.pluginDir).filePath(o.value(QStringLiteral("name")).toString() + QStringLiteral(".so")));
        if (file.open(QIODevice::ReadOnly)) {
            *status = 200;
            return file.readAll();
        }
        break;
    }
    *status = 404;
    return QByteArray();
}
