#include "kudemoserver.h"

#include "kudemopacker.h"

#include <QPointer>
#include <QRegularExpression>
#include <QSslConfiguration>
#include <QSslSocket>

namespace {

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

} // namespace

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
