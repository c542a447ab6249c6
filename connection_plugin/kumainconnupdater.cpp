#include "kumainconnupdater.h"

#include "kuabstractconn.h"
#include "kudecodegate.h"
#include "kumsgpackcheck.h"
#include "kureplybody.h"
#include "kurequesttext.h"

#include <QDebug>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QTimerEvent>

kuMainConnUpdater::kuMainConnUpdater(kuAbstractConn* owner, const QString& serverUrl, const QString& sessionId,
                                     const kuConnTimings& timings, const kuTlsPolicy& tls,
                                     const QSharedPointer<kuDecodeGate>& gate)
    : m_owner(owner), m_home(QThread::currentThread()), m_serverUrl(serverUrl), m_sessionId(sessionId),
      m_timings(timings), m_tls(tls), m_gate(gate)
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

bool kuMainConnUpdater::hadHealthyPoll() const
{
    return m_healthy.loadAcquire() != 0;
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
    // A slow server must not pile up polls of one kind, nor a fast one replies
    // waiting to be decoded.
    if (m_inFlight[kind] || m_stopping.loadAcquire() || !m_manager)
        return;
    if (m_gate && m_gate->isWaiting(kind))
        return;
    const QString pattern =
            kind == Market ? QStringLiteral("%1/kuMarketDataUpdate?ID=%2") : QStringLiteral("%1/kuGetUpdates?ID=%2");
    const QUrl url(kuRequestText::fill(pattern, {m_serverUrl, kuRequestText::encoded(m_sessionId)}),
                   QUrl::TolerantMode);
    QNetworkRequest request = m_tls.request(url);
    kuReplyBody::prepare(&request);
    QNetworkReply* reply = m_manager->get(request);
    kuReplyBody::attach(reply, kuMsgPackCheck::maxHexBytes);
    m_tls.watch(reply);
    m_inFlight[kind] = reply;
    QTimer::singleShot(m_timings.pollTimeoutMs, reply, [reply] { reply->abort(); });
    connect(reply, &QNetworkReply::finished, this, [this, kind, reply] { pollFinished(kind, reply); });
}

void kuMainConnUpdater::pollFinished(Kind kind, QNetworkReply* reply)
{
    m_inFlight[kind] = nullptr;
    QString failure;
    const QByteArray body = kuReplyBody::take(reply, &failure);
    const QUrl url = reply->request().url();
    reply->deleteLater();
    if (m_stopping.loadAcquire())
        return;

    QString why;
    if (failure.isEmpty() && !kuRequestText::isHealthyReply(body, &why))
        failure = QStringLiteral("unusable reply (%1)").arg(why);
    const QString warningKind = kind == Market ? QStringLiteral("market") : QStringLiteral("updates");
    if (failure.isEmpty()) {
        m_failures.storeRelease(0);
        m_healthy.storeRelease(1);
        if (const qint64 unlogged = m_warnings.settle(warningKind))
            qDebug().noquote() << "Polls work again after" << unlogged
                               << "more failures. URL =" << kuRequestText::forLog(url);
    } else {
        qint64 unlogged = 0;
        if (m_warnings.note(warningKind, &unlogged)) {
            qDebug().noquote() << "Connection error:" << failure << "Body:" << kuRequestText::quoted(body)
                               << "URL =" << kuRequestText::forLog(url) << kuRepeatedWarnings::moreSince(unlogged);
        }
        if (m_failures.fetchAndAddOrdered(1) + 1 >= m_timings.maxFailedPolls) {
            m_stopping.storeRelease(1);
            quit();
        }
    }
    if (body.isEmpty())
        return;
    // The server's error map goes on too: the converter tells the user what it says.
    QMutexLocker lock(&m_ownerLock);
    if (m_owner) {
        if (m_gate)
            m_gate->handedOver(kind);
        QMetaObject::invokeMethod(m_owner, "on_receivedUpdates", Qt::DirectConnection, Q_ARG(QByteArray, body));
    }
}
