#include "kumainconn.h"

#include "kudecodegate.h"
#include "kumainconnupdater.h"
#include "kumsgpackcheck.h"
#include "kurecordkeys.h"
#include "kureplybody.h"
#include "kurequesttext.h"

#include <QDebug>
#include <QEventLoop>
#include <QJsonValue>
#include <QList>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QPair>
#include <QTextCodec>
#include <QTimer>

using namespace kuRequestText;

namespace {

// "requestTimeoutMs=500,probeCount=3": tests and demos shorten the timings of
// connections that a loaded plug-in makes.
kuConnTimings timingsFromEnvironment()
{
    kuConnTimings timings;
    const QString text = qEnvironmentVariable("VELMORAN_CONN_TIMINGS");
    if (text.isEmpty())
        return timings;
    const QList<QPair<QString, int kuConnTimings::*>> fields{
            {QStringLiteral("marketPollMs"), &kuConnTimings::marketPollMs},
            {QStringLiteral("updatesPollMs"), &kuConnTimings::updatesPollMs},
            {QStringLiteral("timePollMs"), &kuConnTimings::timePollMs},
            {QStringLiteral("pollTimeoutMs"), &kuConnTimings::pollTimeoutMs},
            {QStringLiteral("requestTimeoutMs"), &kuConnTimings::requestTimeoutMs},
            {QStringLiteral("dataTimeoutMs"), &kuConnTimings::dataTimeoutMs},
            {QStringLiteral("maxFailedPolls"), &kuConnTimings::maxFailedPolls},
            {QStringLiteral("probeCount"), &kuConnTimings::probeCount},
            {QStringLiteral("stopWaitMs"), &kuConnTimings::stopWaitMs},
    };
    for (const QString& item : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString key = item.section(QLatin1Char('='), 0, 0).trimmed();
        bool ok = false;
        const int value = item.section(QLatin1Char('='), 1).trimmed().toInt(&ok);
        bool known = false;
        for (const auto& field : fields) {
            if (field.first == key && ok && value > 0) {
                timings.*field.second = value;
                known = true;
            }
        }
        if (!known)
            qWarning() << "Ignored VELMORAN_CONN_TIMINGS item" << item;
    }
    qInfo() << "Connection timings from VELMORAN_CONN_TIMINGS:" << text;
    return timings;
}

kuConnTimings& processTimings()
{
    static kuConnTimings timings = timingsFromEnvironment();
    return timings;
}

// What every order request names: the paper, the hashed account and, for a change, the order.
struct OrderTarget
{
    int paperID = 0;
    QString account;
    qint64 orderID = 0;
};

bool orderTarget(const QJsonObject& o, bool modify, OrderTarget* target)
{
    if (o.isEmpty() || !o.contains(QLatin1String("paperID")) || o.value(QLatin1String("paperID")).toInt() == 0)
        return false;
    const QString partID = o.value(QLatin1String("partID")).toString();
    if (partID.isEmpty())
        return false;
    const qint64 orderID = kuKeys::wholeNumber(o.value(QLatin1String("orderID")));
    if (modify && (!o.contains(QLatin1String("orderID")) || orderID <= 0))
        return false;
    target->paperID = o.value(QLatin1String("paperID")).toInt();
    target->account = accountHash(partID);
    target->orderID = orderID;
    return true;
}

} // namespace

kuMainConn::kuMainConn(const QString& serverUrl, QObject* parent)
    : kuAbstractConn(parent), m_loginCodec(QTextCodec::codecForName("cp1251")), m_serverUrl(serverUrl),
      m_timings(processTimings()), m_tls(kuTlsPolicy::processPolicy()), m_gate(new kuDecodeGate)
{
    m_probePause.setSingleShot(true);
    connect(&m_probePause, &QTimer::timeout, this, &kuMainConn::nextProbe);
}

kuMainConn::~kuMainConn()
{
    cancelProbes();
    stopUpdater();
    QHash<QNetworkReply*, QSharedPointer<QNetworkAccessManager>> pending;
    {
        QMutexLocker lock(&m_inFlightLock);
        pending.swap(m_inFlight);
    }
    // Their handlers point at this object: none may run once it is gone.
    for (auto it = pending.cbegin(); it != pending.cend(); ++it)
        QObject::disconnect(it.value().data(), &QNetworkAccessManager::finished, nullptr, nullptr);
}

kuConnTimings kuMainConn::defaultTimings()
{
    return processTimings();
}

void kuMainConn::setDefaultTimings(const kuConnTimings& timings)
{
    processTimings() = timings;
}

kuConnTimings kuMainConn::timings() const
{
    return m_timings;
}

void kuMainConn::setTimings(const kuConnTimings& timings)
{
    m_timings = timings;
}

kuTlsPolicy kuMainConn::tlsPolicy() const
{
    return m_tls;
}

void kuMainConn::setTlsPolicy(const kuTlsPolicy& policy)
{
    m_tls = policy;
}

QString kuMainConn::sessionId() const
{
    return m_sessionId;
}

QString kuMainConn::serverUrl() const
{
    return m_serverUrl;
}

void kuMainConn::setUpdatesAcknowledged(bool on)
{
    m_gate->setEnabled(on);
}

int kuMainConn::updatesAwaitingDecoding() const
{
    return m_gate->waitingCount();
}

void kuMainConn::slot_updatesDecoded()
{
    m_gate->decoded();
}

QUrl kuMainConn::requestUrl(const QString& pattern, const QStringList& values) const
{
    QStringList all{m_serverUrl, encoded(m_sessionId)};
    all += values;
    return QUrl(fill(pattern, all), QUrl::TolerantMode);
}

// ---- transport ----

QNetworkReply* kuMainConn::sendRequest(const QUrl& url, ReplyHandler handler, int timeoutMs)
{
    const QSharedPointer<QNetworkAccessManager> manager(new QNetworkAccessManager, &QObject::deleteLater);
    QNetworkRequest request = m_tls.request(url);
    kuReplyBody::prepare(&request);
    connect(
            manager.data(), &QNetworkAccessManager::finished, manager.data(),
            [handler](QNetworkReply* reply) { handler(reply); }, Qt::DirectConnection);
    QNetworkReply* reply = manager->get(request);
    kuReplyBody::attach(reply, kuMsgPackCheck::maxHexBytes);
    m_tls.watch(reply);
    connect(reply, &QNetworkReply::errorOccurred, this, &kuMainConn::slot_requestError);
    // No request waits for ever on a server that never answers.
    QTimer::singleShot(timeoutMs > 0 ? timeoutMs : m_timings.requestTimeoutMs, reply, [reply] { reply->abort(); });
    QMutexLocker lock(&m_inFlightLock);
    m_inFlight.insert(reply, manager);
    return reply;
}

QByteArray kuMainConn::readReply(QNetworkReply* reply)
{
    QSharedPointer<QNetworkAccessManager> manager;
    {
        QMutexLocker lock(&m_inFlightLock);
        manager = m_inFlight.take(reply);
    }
    QString failure;
    const QByteArray body = kuReplyBody::take(reply, &failure);
    const QString kind = reply->request().url().path();
    if (failure.isEmpty()) {
        if (const qint64 unlogged = m_warnings.settle(kind))
            qInfo().noquote() << "Requests" << kind << "work again after" << unlogged << "more failures";
    } else if (qint64 unlogged = 0; m_warnings.note(kind, &unlogged)) {
        qWarning().noquote() << "Request failed:" << failure << "URL =" << kuRequestText::forLog(reply->request().url())
                             << (unlogged ? QStringLiteral("(%1 more failures before)").arg(unlogged) : QString());
    }
    // Not deleted inside its own finished signal.
    reply->deleteLater();
    return body;
}

QByteArray kuMainConn::syncGet(const QUrl& url)
{
    QNetworkAccessManager manager;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QNetworkRequest request = m_tls.request(url);
    kuReplyBody::prepare(&request);
    QNetworkReply* reply = manager.get(request);
    kuReplyBody::attach(reply, kuMsgPackCheck::maxHexBytes);
    m_tls.watch(reply);
    connect(reply, &QNetworkReply::errorOccurred, this, &kuMainConn::slot_requestError);
    connect(&manager, &QNetworkAccessManager::finished, &loop, &QEventLoop::quit);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(m_timings.requestTimeoutMs);
    if (!reply->isFinished())
        loop.exec();
    if (!reply->isFinished()) {
        disconnect(&manager, &QNetworkAccessManager::finished, &loop, &QEventLoop::quit);
        reply->abort();
        return QByteArray(); // the reply goes with the manager
    }
    timer.stop();
    return kuReplyBody::take(reply);
}

void kuMainConn::slot_requestError(QNetworkReply::NetworkError)
{
    // Failures reach the caller as empty bodies on the usual signal.
}

// ---- reply handlers ----

void kuMainConn::slot_authorized(QNetworkReply* reply)
{
    // Told apart from an outage: a refused certificate may be an interception.
    const QString refusal = kuTlsPolicy::refusal(reply);
    const QString host = reply->url().host();
    const QByteArray body = readReply(reply);
    if (!refusal.isEmpty())
        emit on_certificateRefused(host, refusal);
    emit on_receivedAuthorizedData(body);
}

void kuMainConn::slot_snapshotDateTime(QNetworkReply* reply)
{
    emit on_receivedDateTime(readReply(reply));
}

void kuMainConn::slot_orderStatus(QNetworkReply* reply, QJsonObject orderObject)
{
    emit on_receivedOrderStatus(readReply(reply), orderObject);
}

void kuMainConn::slot_tradeDataReceived(QNetworkReply* reply, WinType winType)
{
    const QByteArray body = readReply(reply);
    m_subscriptions.insert(winType, 0);
    emit on_receivedTradeData(body, winType);
}

void kuMainConn::slot_marketDataReceived(QNetworkReply* reply, int paperID, WinType winType)
{
    const QByteArray body = readReply(reply);
    m_subscriptions.insert(winType, paperID);
    emit on_receivedMarketData(body, paperID, winType);
}

void kuMainConn::slot_additionalDataReceived(QNetworkReply* reply, WinType winType, QVariantMap args)
{
    const QByteArray body = readReply(reply);
    m_subscriptions.insert(winType, args.value(QStringLiteral("paperID"), 0).toInt());
    emit on_receivedAdditionalData(body, winType, args);
}

// ---- requests ----

void kuMainConn::authorize(const QString& login, const QString& password, const QString& clientVersion,
                           const QString& osText)
{
    // Built without requestUrl: ID is the login name here, not the session.
    const QUrl url(fill(QStringLiteral("%1/kuAuthorized?ID=%2&PW=%3&VER=%4&OS=%5"),
                        {m_serverUrl, kuRequestText::login(login, m_loginCodec), encoded(password),
                         encoded(clientVersion), encoded(osText)}),
                   QUrl::TolerantMode);
    sendRequest(url, [this](QNetworkReply* reply) { slot_authorized(reply); });
}

int kuMainConn::unAuthorize(const QString&)
{
    cancelProbes();
    // Polled before the logout, so no poll of the ended session follows it.
    stopUpdater();
    syncGet(requestUrl(QStringLiteral("%1/kuUnAuthorized?ID=%2")));
    // The server ends every stream of the session with it: nothing is left to unsubscribe.
    m_subscriptions.clear();
    m_sessionId.clear();
    return 0;
}

void kuMainConn::getInitInfo()
{
    sendRequest(
            requestUrl(QStringLiteral("%1/kuGetInitInfo?ID=%2")),
            [this](QNetworkReply* reply) { slot_tradeDataReceived(reply, wtInitInfo); }, m_timings.dataTimeoutMs);
}

void kuMainConn::getCandles(int paperID, const QString& start, const QString& end, const QString& third)
{
    sendRequest(
            requestUrl(QStringLiteral("%1/kuGetCandles?ID=%2&PID=%3&SD=%4&ED=%5&SDD=%6&TYPE=1"),
                       {QString::number(paperID), encoded(start), encoded(end), encoded(third)}),
            [this, paperID](QNetworkReply* reply) { slot_marketDataReceived(reply, paperID, wtChart); },
            m_timings.dataTimeoutMs);
}

void kuMainConn::getOrderBook(int paperID)
{
    sendRequest(
            requestUrl(QStringLiteral("%1/kuGetOrderBook?ID=%2&PID=%3"), {QString::number(paperID)}),
            [this, paperID](QNetworkReply* reply) { slot_marketDataReceived(reply, paperID, wtOrderBook); },
            m_timings.dataTimeoutMs);
}

void kuMainConn::getLastTrades(int paperID)
{
    sendRequest(
            requestUrl(QStringLiteral("%1/kuLastTrades?ID=%2&PID=%3"), {QString::number(paperID)}),
            [this, paperID](QNetworkReply* reply) { slot_marketDataReceived(reply, paperID, wtLastTrades); },
            m_timings.dataTimeoutMs);
}

void kuMainConn::getQuotes(int paperID)
{
    sendRequest(
            requestUrl(QStringLiteral("%1/kuGetQuotes?ID=%2&PID=%3"), {QString::number(paperID)}),
            [this, paperID](QNetworkReply* reply) { slot_marketDataReceived(reply, paperID, wtQuotes); },
            m_timings.dataTimeoutMs);
}

void kuMainConn::getDateTime()
{
    sendRequest(requestUrl(QStringLiteral("%1/kuGetDateTime?ID=%2")),
                [this](QNetworkReply* reply) { slot_snapshotDateTime(reply); });
}

void kuMainConn::getPortfolio()
{
    sendRequest(
            requestUrl(QStringLiteral("%1/kuGetPortfolio?ID=%2")),
            [this](QNetworkReply* reply) { slot_tradeDataReceived(reply, wtPortfolio); }, m_timings.dataTimeoutMs);
}

void kuMainConn::getOrders()
{
    sendRequest(
            requestUrl(QStringLiteral("%1/kuGetOrders?ID=%2")),
            [this](QNetworkReply* reply) { slot_tradeDataReceived(reply, wtOrders); }, m_timings.dataTimeoutMs);
}

void kuMainConn::getTrades()
{
    sendRequest(
            requestUrl(QStringLiteral("%1/kuGetTrades?ID=%2")),
            [this](QNetworkReply* reply) { slot_tradeDataReceived(reply, wtTrades); }, m_timings.dataTimeoutMs);
}

void kuMainConn::getReportData(int reportType, const QString& startDate, const QString& endDate, const QString& account)
{
    const QVariantMap args{{QStringLiteral("reportType"), reportType}};
    sendRequest(
            requestUrl(QStringLiteral("%1/kuGetReportData?ID=%2&TYPE=%3&SDATE=%4&EDATE=%5&ACC=%6"),
                       {QString::number(reportType), encoded(startDate), encoded(endDate), accountHash(account)}),
            [this, args](QNetworkReply* reply) { slot_additionalDataReceived(reply, wtReportData, args); },
            m_timings.dataTimeoutMs);
}

void kuMainConn::getPluginList(const QString& osName, const QString& architecture)
{
    // The catalogue is asked for the client's version, not the plug-in's.
    sendRequest(
            requestUrl(QStringLiteral("%1/kuGetPluginList?ID=%2&OS=%3&ARCH=%4&V=%5"),
                       {encoded(osName), encoded(architecture), wholeNumber(10603000)}),
            [this](QNetworkReply* reply) { slot_additionalDataReceived(reply, wtPluginList, QVariantMap()); },
            m_timings.dataTimeoutMs);
}

void kuMainConn::unsubscribe(WinType winType, int paperID)
{
    // Without a session (logged out) the server holds no stream: a request would only wait for an error.
    if (m_sessionId.isEmpty())
        return;
    const auto it = m_subscriptions.find(winType, paperID);
    if (it != m_subscriptions.end())
        m_subscriptions.erase(it);
    if (m_subscriptions.contains(winType, paperID))
        return; // other windows still use the stream
    syncGet(requestUrl(QStringLiteral("%1/kuUnsubscribe?ID=%2&WT=%3&PID=%4"),
                       {QString::number(int(winType)), QString::number(paperID)}));
}

void kuMainConn::requestLastPrice(int paperID)
{
    // Nothing is read from the reply: the price comes with the updates. So the caller never waits.
    sendRequest(requestUrl(QStringLiteral("%1/kuLastPrice?ID=%2&PID=%3"), {QString::number(paperID)}),
                [this](QNetworkReply* reply) { readReply(reply); });
}

void kuMainConn::sendOrder(const QString& pattern, const QStringList& values, const QJsonObject& orderObject, int code,
                           bool logUrl)
{
    const QUrl url = requestUrl(pattern, values);
    if (logUrl)
        qDebug().noquote() << kuRequestText::forLog(url);
    QJsonObject typed = orderObject;
    typed.insert(QStringLiteral("type"), code);
    sendRequest(url, [this, typed](QNetworkReply* reply) { slot_orderStatus(reply, typed); });
}

void kuMainConn::sendOrderRequest(const QJsonObject& o, bool modify)
{
    OrderTarget target;
    if (!orderTarget(o, modify, &target))
        return;
    const int code = modify ? 1002 : 1001;
    QStringList values{QString::number(code),
                       target.account,
                       wholeNumber(target.paperID),
                       wholeNumber(o.value(QLatin1String("action")).toInt()),
                       wholeNumber(o.value(QLatin1String("amount")).toInt()),
                       wholeNumber(o.value(QLatin1String("isMarket")).toInt()),
                       price(o.value(QLatin1String("price")).toDouble()),
                       wholeNumber(o.value(QLatin1String("ordTime")).toInt()),
                       wholeNumber(o.value(QLatin1String("execFlag")).toInt())};
    QString pattern = QStringLiteral(
            "%1/kuOrderManager?ID=%2&TYPE=%3&ACC=%4&PID=%5&ACT=%6&QUANT=%7&IM=%8&PRICE=%9&TIME=%10&EF=%11");
    if (modify) {
        pattern += QStringLiteral("&OID=%12");
        values << wholeNumber(target.orderID);
    }
    sendOrder(pattern, values, o, code, true);
}

void kuMainConn::sendStopOrderRequest(const QJsonObject& o, bool modify)
{
    OrderTarget target;
    if (!orderTarget(o, modify, &target))
        return;
    const int fcond = o.value(QLatin1String("fcond")).toInt();
    const int scond = o.value(QLatin1String("scond")).toInt();
    if (fcond == 0 && scond == 0)
        return;
    QStringList values{target.account,
                       wholeNumber(target.paperID),
                       wholeNumber(o.value(QLatin1String("action")).toInt()),
                       wholeNumber(o.value(QLatin1String("amount")).toInt()),
                       wholeNumber(fcond),
                       price(o.value(QLatin1String("ifPrice1")).toDouble()),
                       price(o.value(QLatin1String("stopPrice1")).toDouble()),
                       wholeNumber(o.value(QLatin1String("isMarket1")).toInt()),
                       wholeNumber(scond),
                       price(o.value(QLatin1String("ifPrice2")).toDouble()),
                       price(o.value(QLatin1String("stopPrice2")).toDouble()),
                       wholeNumber(o.value(QLatin1String("isMarket2")).toInt()),
                       wholeNumber(o.value(QLatin1String("execFlag")).toInt())};
    QString pattern = modify ? QStringLiteral("%1/kuOrderManager?ID=%2&TYPE=1011")
                             : QStringLiteral("%1/kuOrderManager?ID=%2&TYPE=1010");
    pattern += QStringLiteral(
            "&ACC=%3&PID=%4&ACT=%5&QUANT=%6&FC=%7&P1=%8&P2=%9&M1=%10&SC=%11&P3=%12&P4=%13&M2=%14&EF=%15");
    if (modify) {
        pattern += QStringLiteral("&OID=%16");
        values << wholeNumber(target.orderID);
    }
    sendOrder(pattern, values, o, modify ? 1011 : 1010, true);
}

void kuMainConn::newOrder(const QJsonObject& orderObject)
{
    sendOrderRequest(orderObject, false);
}

void kuMainConn::modifyOrder(const QJsonObject& orderObject)
{
    sendOrderRequest(orderObject, true);
}

void kuMainConn::newStopOrder(const QJsonObject& orderObject)
{
    sendStopOrderRequest(orderObject, false);
}

void kuMainConn::modifyStopOrder(const QJsonObject& orderObject)
{
    sendStopOrderRequest(orderObject, true);
}

void kuMainConn::cancelOrder(const QJsonObject& o)
{
    const qint64 orderID = kuKeys::wholeNumber(o.value(QLatin1String("orderID")));
    if (o.isEmpty() || !o.contains(QLatin1String("orderID")) || orderID <= 0)
        return;
    sendOrder(QStringLiteral("%1/kuOrderManager?ID=%2&TYPE=%3&OID=%4"), {QStringLiteral("1003"), wholeNumber(orderID)},
              o, 1003, false);
}

void kuMainConn::cancelStopOrder(const QJsonObject& o)
{
    const qint64 orderID = kuKeys::wholeNumber(o.value(QLatin1String("orderID")));
    if (o.isEmpty() || !o.contains(QLatin1String("orderID")) || orderID <= 0)
        return;
    sendOrder(QStringLiteral("%1/kuOrderManager?ID=%2&TYPE=1012&OID=%3"), {wholeNumber(orderID)}, o, 1012, false);
}

// ---- session, polling and reconnection ----

void kuMainConn::statusAuthorization(const QVariantList& listResponse)
{
    if (listResponse.isEmpty())
        return;
    // Only a text names a session; anything else is no login.
    const QVariant session = listResponse.first();
    const bool isText = session.userType() == QMetaType::QString || session.userType() == QMetaType::QByteArray;
    if (!isText || session.toString().isEmpty()) {
        qWarning() << "Login reply without a session: refused";
        return;
    }
    m_sessionId = session.toString();
    m_runAfterProbe = false;
    getInitInfo();
    getDateTime();
    startUpdater();
    emit on_connStatusChange(true);
}

void kuMainConn::startUpdater()
{
    cancelProbes();
    if (m_updater && m_updater->isRunning())
        return;
    auto* updater = new kuMainConnUpdater(this, m_serverUrl, m_sessionId, m_timings, m_tls, m_gate);
    const quint64 run = ++m_updaterRun;
    // Only the end of the current run starts a reconnection; a stopped one never does.
    connect(updater, &QThread::finished, this, [this, run, guard = QPointer<kuMainConnUpdater>(updater)] {
        if (run != m_updaterRun)
            return;
        m_lastRunHealthy = guard && guard->hadHealthyPoll();
        slot_checkConnStatus();
    });
    connect(updater, &QThread::finished, updater, &QObject::deleteLater);
    m_updater = updater;
    updater->start(QThread::NormalPriority);
}

void kuMainConn::stopUpdater()
{
    ++m_updaterRun;
    kuMainConnUpdater* updater = m_updater.data();
    m_updater = nullptr;
    if (!updater)
        return;
    updater->detach();
    updater->stop();
    if (updater->wait(m_timings.stopWaitMs))
        delete updater;
    else
        qWarning() << "The polling thread has not ended yet; it goes when it does.";
}

bool kuMainConn::isPolling() const
{
    return m_updater && m_updater->isRunning();
}

bool kuMainConn::isReconnecting() const
{
    return m_probing;
}

void kuMainConn::slot_checkConnStatus()
{
    ++m_updaterRun;
    m_updater = nullptr; // the ended thread deletes itself
    qWarning().noquote() << tr("Соединение с сервером разорвано. Идет восстановление соединения с сервером...");
    emit on_connStatusChange(false);
    cancelProbes();
    if (m_runAfterProbe && !m_lastRunHealthy) {
        // The last probe got an answer, the polls never did: hand over now.
        qWarning() << "The server answers probes but no poll since the last reconnection: giving the connection up";
        m_runAfterProbe = false;
        emit on_brokenConnection();
        return;
    }
    m_probing = true;
    m_probesLeft = m_timings.probeCount;
    nextProbe();
}

void kuMainConn::nextProbe()
{
    if (m_probesLeft <= 0) {
        m_probing = false;
        emit on_brokenConnection();
        return;
    }
    --m_probesLeft;
    m_probeClock.start();
    m_probeReply = sendRequest(
            requestUrl(QStringLiteral("%1/kuGetDateTime?ID=%2")),
            [this](QNetworkReply* reply) { probeAnswered(reply); }, m_timings.pollTimeoutMs);
}

void kuMainConn::probeAnswered(QNetworkReply* reply)
{
    const QByteArray body = readReply(reply);
    if (!m_probing || reply != m_probeReply)
        return; // cancelled
    m_probeReply = nullptr;
    // An error map (a closed session) is no working connection either.
    if (!kuRequestText::isHealthyReply(body)) {
        const qint64 rest = m_timings.requestTimeoutMs - m_probeClock.elapsed();
        if (m_probesLeft > 0 && rest > 0)
            m_probePause.start(int(rest));
        else
            nextProbe();
        return;
    }
    m_probing = false;
    qWarning().noquote() << tr("Соединение с сервером восстановлено. Успешных торгов!");
    emit on_connStatusChange(true);
    startUpdater();
    m_runAfterProbe = true;
}

void kuMainConn::cancelProbes()
{
    m_probing = false;
    m_probesLeft = 0;
    m_probePause.stop();
    if (QNetworkReply* reply = m_probeReply.data()) {
        m_probeReply = nullptr;
        reply->abort();
    }
}
