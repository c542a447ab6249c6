#include "kureplybody.h"

#include <QMetaEnum>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <zlib.h>

#include <cstring>

struct kuReplyBody::Inflater
{
    z_stream stream;
    Inflater()
    {
        std::memset(&stream, 0, sizeof stream);
        // 15 + 32: a gzip or a zlib wrapper, told by its header.
        inflateInit2(&stream, 15 + 32);
    }
    ~Inflater() { inflateEnd(&stream); }
};

void kuReplyBody::prepare(QNetworkRequest* request)
{
    request->setRawHeader("Accept-Encoding", "gzip, deflate");
}

kuReplyBody* kuReplyBody::attach(QNetworkReply* reply, qint64 limit)
{
    return new kuReplyBody(reply, limit);
}

kuReplyBody* kuReplyBody::of(QNetworkReply* reply)
{
    return reply ? reply->findChild<kuReplyBody*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

QByteArray kuReplyBody::take(QNetworkReply* reply, QString* failure)
{
    kuReplyBody* body = of(reply);
    if (!body) {
        if (failure)
            *failure = QStringLiteral("no body collector");
        return QByteArray();
    }
    const QByteArray bytes = body->take();
    if (failure)
        *failure = body->failure();
    return bytes;
}

kuReplyBody::kuReplyBody(QNetworkReply* reply, qint64 limit) : QObject(reply), m_reply(reply), m_limit(limit)
{
    // Qt stops reading the socket while this much waits unread.
    reply->setReadBufferSize(256 * 1024);
    connect(reply, &QNetworkReply::metaDataChanged, this, [this] {
        bool known = false;
        const qint64 announced = m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
        const bool plain = m_reply->rawHeader("Content-Encoding").trimmed().isEmpty();
        if (known && plain && announced > m_limit)
            fail(QStringLiteral("body of %1 bytes announced, larger than %2 bytes").arg(announced).arg(m_limit));
    });
    connect(reply, &QIODevice::readyRead, this, &kuReplyBody::read);
}

kuReplyBody::~kuReplyBody() = default;

void kuReplyBody::setSink(std::function<bool(const char*, qint64)> sink)
{
    m_sink = std::move(sink);
}

void kuReplyBody::fail(const QString& text)
{
    if (!m_failure.isEmpty())
        return;
    m_failure = text;
    m_body.clear();
    m_body.squeeze();
    if (m_reply->isRunning())
        m_reply->abort();
}

bool kuReplyBody::deliver(const char* data, qint64 size)
{
    if (size <= 0)
        return true;
    if (m_bytes + size > m_limit) {
        m_exceeded = true;
        fail(QStringLiteral("body larger than %1 bytes").arg(m_limit));
        return false;
    }
    m_bytes += size;
    if (m_sink) {
        if (!m_sink(data, size)) {
            fail(QStringLiteral("the body could not be stored"));
            return false;
        }
        return true;
    }
    m_body.append(data, int(size));
    return true;
}

void kuReplyBody::read()
{
    if (!m_failure.isEmpty()) {
        // Whatever still comes is dropped, not buffered.
        if (m_reply->isOpen())
            m_reply->readAll();
        return;
    }
    if (!m_started) {
        m_started = true;
        const QByteArray encoding = m_reply->rawHeader("Content-Encoding").trimmed().toLower();
        if (encoding == "gzip" || encoding == "x-gzip" || encoding == "deflate")
            m_inflater = std::make_unique<Inflater>();
        else if (!encoding.isEmpty() && encoding != "identity")
            return fail(QStringLiteral("unknown content encoding \"%1\"").arg(QString::fromLatin1(encoding)));
    }
    const QByteArray chunk = m_reply->readAll();
    if (!m_inflater) {
        deliver(chunk.constData(), chunk.size());
        return;
    }
    if (m_streamEnded) {
        if (!chunk.isEmpty())
            fail(QStringLiteral("bytes after the end of the compressed body"));
        return;
    }
    z_stream& z = m_inflater->stream;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(chunk.constData()));
    z.avail_in = uInt(chunk.size());
    char out[64 * 1024];
    while (z.avail_in > 0 || z.avail_out == 0) {
        z.next_out = reinterpret_cast<Bytef*>(out);
        z.avail_out = sizeof out;
        const int result = inflate(&z, Z_NO_FLUSH);
        if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR)
            return fail(QStringLiteral("damaged compressed body"));
        if (!deliver(out, qint64(sizeof out - z.avail_out)))
            return;
        if (result == Z_STREAM_END) {
            m_streamEnded = true;
            if (z.avail_in > 0)
                fail(QStringLiteral("bytes after the end of the compressed body"));
            return;
        }
        if (result == Z_BUF_ERROR)
            return; // needs more input
    }
}

QByteArray kuReplyBody::take()
{
    if (m_failure.isEmpty() && m_reply->isOpen() && m_reply->bytesAvailable() > 0)
        read();
    if (m_failure.isEmpty()) {
        const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        // Not errorString(): it holds the whole URL, session and password included.
        if (m_reply->error() != QNetworkReply::NoError)
            m_failure = QStringLiteral("network error %1 (%2)")
                                .arg(int(m_reply->error()))
                                .arg(QString::fromLatin1(QMetaEnum::fromType<QNetworkReply::NetworkError>().valueToKey(
                                        m_reply->error())));
        else if (!status.isValid() || status.toInt() != 200)
            m_failure = QStringLiteral("HTTP status %1").arg(status.toInt());
        else if (m_inflater && !m_streamEnded)
            m_failure = QStringLiteral("compressed body cut off");
        // A plain body cut short is Qt's own error (RemoteHostClosedError).
    }
    if (!m_failure.isEmpty())
        return QByteArray();
    QByteArray body;
    body.swap(m_body);
    return body;
}
