#pragma once

#include "kuabstractconn.h"
#include "kuconntimings.h"
#include "kurepeatedwarnings.h"
#include "kutlspolicy.h"

#include <QElapsedTimer>
#include <QHash>
#include <QMultiMap>
#include <QMutex>
#include <QNetworkReply>
#include <QPointer>
#include <QSharedPointer>
#include <QTimer>
#include <QUrl>

#include <functional>

class QNetworkAccessManager;
class QTextCodec;
class kuDecodeGate;
class kuMainConnUpdater;

// The connection to the broker's server at one base URL; both plug-in builds
// share it and differ only in the URL they give it.
class kuMainConn : public kuAbstractConn
{
    Q_OBJECT

public:
    using ReplyHandler = std::function<void(QNetworkReply*)>;

    kuMainConn(const QString& serverUrl, QObject* parent = nullptr);
    ~kuMainConn() override;

    void authorize(const QString& login, const QString& password, const QString& clientVersion,
                   const QString& osText) override;
    int unAuthorize(const QString& reason) override;
    void getInitInfo() override;
    void getCandles(int paperID, const QString& start, const QString& end, const QString& third) override;
    void getOrderBook(int paperID) override;
    void getLastTrades(int paperID) override;
    void getQuotes(int paperID) override;
    void getDateTime() override;
    void getPortfolio() override;
    void getOrders() override;
    void getTrades() override;
    void getReportData(int reportType, const QString& startDate, const QString& endDate,
                       const QString& account) override;
    void getPluginList(const QString& osName, const QString& architecture) override;
    void unsubscribe(WinType winType, int paperID) override;
    void newOrder(const QJsonObject& orderObject) override;
    void modifyOrder(const QJsonObject& orderObject) override;
    void cancelOrder(const QJsonObject& orderObject) override;
    void newStopOrder(const QJsonObject& orderObject) override;
    void modifyStopOrder(const QJsonObject& orderObject) override;
    void cancelStopOrder(const QJsonObject& orderObject) override;
    void requestLastPrice(int paperID) override;
    QString sessionId() const override;
    QString serverUrl() const override;

    // Asynchronous GET; handler runs in the calling thread with the reply. The
    // reply is aborted after timeoutMs (the request time-out when not positive),
    // which gives an empty body; so is a body larger than the reader takes.
    QNetworkReply* sendRequest(const QUrl& url, ReplyHandler handler, int timeoutMs = 0);
    // Body of a finished reply: its bytes when it completed with status 200,
    // else empty (a failure, a cut-off or oversized body). Releases the reply.
    QByteArray readReply(QNetworkReply* reply);
    // Blocking GET (nested event loop) with the request time-out; empty on failure.
    QByteArray syncGet(const QUrl& url);

    void startUpdater();
    // Returns within the stop wait: quits the polling thread, which aborts its
    // polls in flight and deletes itself once it has ended.
    void stopUpdater();
    bool isPolling() const;
    bool isReconnecting() const;

    // The receiver of on_receivedUpdates acknowledges each body once decoded
    // (slot_updatesDecoded); a poll of a kind then waits for its last reply.
    Q_INVOKABLE void setUpdatesAcknowledged(bool on);
    int updatesAwaitingDecoding() const;

    // Timings for connections made from now on (the plug-in makes its own).
    static kuConnTimings defaultTimings();
    static void setDefaultTimings(const kuConnTimings& timings);
    kuConnTimings timings() const;
    void setTimings(const kuConnTimings& timings);
    kuTlsPolicy tlsPolicy() const;
    void setTlsPolicy(const kuTlsPolicy& policy);

signals:
    // The login went unsent: the server's certificate failed verification
    // (reason: why, for the user). Comes before the login's empty reply.
    void on_certificateRefused(QString host, QString reason);

public slots:
    void statusAuthorization(const QVariantList& listResponse) override;
    void slot_requestError(QNetworkReply::NetworkError code);
    // The polling thread ended by itself: probe the server, then resume or give up.
    void slot_checkConnStatus();
    void slot_marketDataReceived(QNetworkReply* reply, int paperID, WinType winType);
    void slot_tradeDataReceived(QNetworkReply* reply, WinType winType);
    void slot_additionalDataReceived(QNetworkReply* reply, WinType winType, QVariantMap args);
    void slot_authorized(QNetworkReply* reply);
    void slot_snapshotDateTime(QNetworkReply* reply);
    void slot_orderStatus(QNetworkReply* reply, QJsonObject orderObject);
    // The oldest update body handed on has been decoded.
    void slot_updatesDecoded();

private:
    QUrl requestUrl(const QString& pattern, const QStringList& values = QStringList()) const;
    void sendOrder(const QString& pattern, const QStringList& values, const QJsonObject& orderObject, int code,
                   bool logUrl);
    void sendOrderRequest(const QJsonObject& orderObject, bool modify);
    void sendStopOrderRequest(const QJsonObject& orderObject, bool modify);
    void nextProbe();
    void probeAnswered(QNetworkReply* reply);
    void cancelProbes();

    // Shared with the threads that send requests; guarded by m_inFlightLock.
    QHash<QNetworkReply*, QSharedPointer<QNetworkAccessManager>> m_inFlight;
    mutable QMutex m_inFlightLock;
    QPointer<kuMainConnUpdater> m_updater;
    quint64 m_updaterRun = 0;
    QTextCodec* m_loginCodec;
    QString m_serverUrl;
    QString m_sessionId;
    QMultiMap<int, int> m_subscriptions;
    kuConnTimings m_timings;
    kuTlsPolicy m_tls;
    QSharedPointer<kuDecodeGate> m_gate;
    kuRepeatedWarnings m_warnings;
    QPointer<QNetworkReply> m_probeReply;
    // A probe refused at once waits out its slot, so the probes span the
    // time the server is given to come back.
    QTimer m_probePause;
    QElapsedTimer m_probeClock;
    int m_probesLeft = 0;
    bool m_probing = false;
    // A run started by a successful probe that never had a healthy poll: the
    // server answers probes but not polls, and probing again would only flap.
    bool m_runAfterProbe = false;
    bool m_lastRunHealthy = false;
};
