#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

#include "wintype.h"

// The connection to one trading server. Requests return at once (unless noted)
// and their replies come back raw through the signals below. The base class is
// the inert fallback used when no plug-in gives a usable connection: every
// request it cannot serve is logged and reported as the connection being down.
class kuAbstractConn : public QObject
{
    Q_OBJECT

public:
    explicit kuAbstractConn(QObject* parent = nullptr);
    ~kuAbstractConn() override;

    // The order of these virtuals is the calling contract with the plug-ins.
    virtual void authorize(const QString& login, const QString& password, const QString& clientVersion,
                           const QString& osText);
    virtual int unAuthorize(const QString& reason); // blocking; always 0
    virtual void getInitInfo();
    virtual void getCandles(int paperID, const QString& start, const QString& end, const QString& third);
    virtual void getOrderBook(int paperID);
    virtual void getLastTrades(int paperID);
    virtual void getQuotes(int paperID);
    virtual void getDateTime();
    virtual void getPortfolio();
    virtual void getOrders();
    virtual void getTrades();
    virtual void getReportData(int reportType, const QString& startDate, const QString& endDate,
                               const QString& account);
    virtual void getPluginList(const QString& osName, const QString& architecture);
    virtual void unsubscribe(WinType winType, int paperID); // blocking
    virtual void newOrder(const QJsonObject& orderObject);
    virtual void modifyOrder(const QJsonObject& orderObject);
    virtual void cancelOrder(const QJsonObject& orderObject);
    virtual void newStopOrder(const QJsonObject& orderObject);
    virtual void modifyStopOrder(const QJsonObject& orderObject);
    virtual void cancelStopOrder(const QJsonObject& orderObject);
    virtual void requestLastPrice(int paperID); // asynchronous; the price comes with the updates
    virtual QString sessionId() const;
    virtual QString serverUrl() const;

signals:
    void on_connStatusChange(bool status);
    void on_brokenConnection();
    void on_receivedAuthorizedData(QByteArray hexData);
    void on_receivedMarketData(QByteArray hexData, int paperID, WinType winType);
    void on_receivedTradeData(QByteArray hexData, WinType winType);
    void on_receivedDateTime(QByteArray hexData);
    void on_receivedOrderStatus(QByteArray hexData, QJsonObject orderObject);
    void on_receivedUpdates(QByteArray hexData);
    void on_receivedAdditionalData(QByteArray hexData, WinType winType, QVariantMap args);

public slots:
    // Called through the converter after a successful login.
    virtual void statusAuthorization(const QVariantList& listResponse);

private:
    void fail(const QString& text);
};
