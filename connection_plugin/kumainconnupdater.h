#pragma once

#include "kuconntimings.h"
#include "kurepeatedwarnings.h"
#include "kutlspolicy.h"

#include <QAtomicInt>
#include <QMutex>
#include <QSharedPointer>
#include <QThread>

class QNetworkAccessManager;
class QNetworkReply;
class kuAbstractConn;
class kuDecodeGate;

// The polling thread of one connection: market-data and account updates and
// the server time, each on its own timer. It works on its own copy of the URL
// and session, so the connection may change or go while it runs.
class kuMainConnUpdater : public QThread
{
    Q_OBJECT

public:
    kuMainConnUpdater(kuAbstractConn* owner, const QString& serverUrl, const QString& sessionId,
                      const kuConnTimings& timings, const kuTlsPolicy& tls,
                      const QSharedPointer<kuDecodeGate>& gate = QSharedPointer<kuDecodeGate>());
    ~kuMainConnUpdater() override;

    // The owner is going away: nothing is delivered to it from now on. Any thread.
    void detach();
    // Ends the thread; polls in flight are aborted on the way out. Any thread.
    void stop();
    int failureCount() const;
    // At least one poll of this run was healthy.
    bool hadHealthyPoll() const;

protected:
    void run() override;
    void timerEvent(QTimerEvent* event) override;

private:
    enum Kind
    {
        Market = 0,
        Updates = 1
    };
    void poll(Kind kind);
    void pollFinished(Kind kind, QNetworkReply* reply);

    QMutex m_ownerLock;
    kuAbstractConn* m_owner;
    QThread* m_home;
    const QString m_serverUrl;
    const QString m_sessionId;
    const kuConnTimings m_timings;
    const kuTlsPolicy m_tls;
    const QSharedPointer<kuDecodeGate> m_gate;
    kuRepeatedWarnings m_warnings;
    QAtomicInt m_healthy;
    int m_updatesTimer = 0;
    int m_timeTimer = 0;
    int m_marketTimer = 0;
    QAtomicInt m_failures;
    QAtomicInt m_stopping;
    // Polling thread only.
    QNetworkAccessManager* m_manager = nullptr;
    QNetworkReply* m_inFlight[2] = {nullptr, nullptr};
};
