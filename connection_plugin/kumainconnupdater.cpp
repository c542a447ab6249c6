#include "kumainconnupdater.h"

#include "kuabstractconn.h"
#include "kurequesttext.h"

#include <QDebug>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QTimerEvent>

kuMainConnUpdater::kuMainConnUpdater(kuAbstractConn* owner, const QString& serverUrl, const QString& sessionId,
                                     const kuConnTimings& timings, const kuTlsPolicy& tls)
    : m_owner(owner), m_home(QThread::currentThread()), m_serverUrl(serverUrl), m_sessionId(sessionId),
      m_timings(timings), m_tls(tls)
{
    // Timer events then arrive in the polling thread.
    moveToThread(this);
}

kuMainConnUpdater::~kuMainConnUpdater() = default;

void kuMainConnUpdater::detach()
{
    QMutexLocker lock(&m_ownerLock);
    m_owner = nullptr;
}

void kuMainConnUpdater::stop()
{
    m_stopping.storeRelease(1);
    quit();
}

int kuMainConnUpdater::failureCount() const
{
    return m_failures.loadAcquire();
}

void kuMainConnUpdater::run()
{
    {
        // One manager for the thread's life: no new handshake on every poll.
        QNetworkAccessManager manager;
        m_manager = &manager;
        m_failures.storeRelease(0);
        m_updatesTimer = startTimer(m_timings.updatesPollMs, Qt::CoarseTimer);
        m_marketTimer = startTimer(m_timings.marketPollMs, Qt::CoarseTimer);
        m_timeTimer = startTimer(m_timings.timePollMs, Qt::CoarseTimer);
        if (!m_stopping.loadAcquire())
            exec();
        killTimer(m_updatesTimer);
        killTimer(m_marketTimer);
        killTimer(m_timeTimer);
        for (QNetworkReply*& reply : m_inFlight) {
            if (reply) {
                reply->disconnect(this);
                reply->abort();
                reply = nullptr;
            }
        }
        m_manager = nullptr;
    }
    // Back to the creating thread, where it is deleted after finished().
    moveToThread(m_home);
}

void kuMainConnUpdater::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_timeTimer) {
        QMutexLocker lock(&m_ownerLock);
        if (m_owner) {
            kuAbstractConn* owner = m_owner;
            QMetaObject::invokeMethod(
                    owner, [owner] { owner->getDateTime(); }, Qt::QueuedConnection);
        }
        return;
    }
    if (event->timerId() == m_marketTimer)
        poll(Market);
    else if (event->timerId() == m_updatesTimer)
        poll(Updates);
}

void kuMainConnUpdater::poll(Kind kind)
{
    // A slow server must not pile up polls of one kind.
    if (m_inFlight[kind] || m_stopping.loadAcquire() || !m_manager)
        return;
    const QString pattern =
            kind == Market ? QStringLiteral("%1/kuMarketDataUpdate?ID=%2") : QStringLiteral("%1/kuGetUpdates?ID=%2");
    const QUrl url(kuRequestText::fill(pattern, {m_serverUrl, kuRequestText::encoded(m_sessionId)}),
                   QUrl::TolerantMode);
    const QNetworkRequest request = m_tls.request(url);
    QNetworkReply* reply = m_manager->get(request);
    m_tls.watch(reply);
    m_inFlight[kind] = reply;
    QTimer::singleShot(m_timings.pollTimeoutMs, reply, [reply] { reply->abort(); });
    connect(reply, &QNetworkReply::finished, this, [this, kind, reply] { pollFinished(kind, reply); });
}

void kuMainConnUpdater::pollFinished(Kind kind, QNetworkReply* reply)
{
    m_inFlight[kind] = nullptr;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const QByteArray body = status.isValid() && status.toInt() == 200 ? reply->readAll() : QByteArray();
    const QString url = reply->request().url().toString();
    reply->deleteLater();
    if (m_stopping.loadAcquire())
        return;

    if (kuRequestText::isHealthyReply(body)) {
        m_failures.storeRelease(0);
    } else {
        qDebug().noquote() << "Connection error: " + QString::fromLatin1(body.left(64)) + ". URL = " + url;
        if (m_failures.fetchAndAddOrdered(1) + 1 >= m_timings.maxFailedPolls) {
            m_stopping.storeRelease(1);
            quit();
        }
    }
    if (body.isEmpty())
        return;
    // The server's error map goes on too: the converter tells the user what it says.
    QMutexLocker lock(&m_ownerLock);
    if (m_owner)
        QMetaObject::invokeMethod(m_owner, "on_receivedUpdates", Qt::DirectConnection, Q_ARG(QByteArray, body));
}
