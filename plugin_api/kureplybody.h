#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QNetworkReply;
class QNetworkRequest;

// Collects a reply's body while it arrives. A gzip body is inflated here, not
// by Qt (which inflates it whole before anyone can count), so the bytes are
// counted after inflation and the reply is aborted as soon as they pass the
// limit. A body counts only when the reply completed: status 200, no error,
// every announced byte there.
class kuReplyBody : public QObject
{
    Q_OBJECT

public:
    // Announces that gzip bodies are understood; Qt then leaves them to us.
    static void prepare(QNetworkRequest* request);
    // Starts collecting; the collector is a child of the reply and goes with it.
    static kuReplyBody* attach(QNetworkReply* reply, qint64 limit);
    static kuReplyBody* of(QNetworkReply* reply);
    ~kuReplyBody() override;

    // Bytes go to the sink instead of being kept; false from it fails the reply.
    void setSink(std::function<bool(const char* data, qint64 size)> sink);

    // Once the reply has finished: the whole body, or empty with failure() set.
    QByteArray take();
    QString failure() const { return m_failure; }
    bool exceededLimit() const { return m_exceeded; }
    qint64 bytes() const { return m_bytes; }

    // The reply's body as take() gives it, or empty when it has no collector.
    static QByteArray take(QNetworkReply* reply, QString* failure = nullptr);

private:
    kuReplyBody(QNetworkReply* reply, qint64 limit);
    void read();
    bool deliver(const char* data, qint64 size);
    void fail(const QString& text);

    struct Inflater;
    QNetworkReply* m_reply;
    qint64 m_limit;
    qint64 m_bytes = 0; // after inflation
    QByteArray m_body;
    QString m_failure;
    std::function<bool(const char*, qint64)> m_sink;
    std::unique_ptr<Inflater> m_inflater;
    bool m_started = false;
    bool m_streamEnded = false;
    bool m_exceeded = false;
};
