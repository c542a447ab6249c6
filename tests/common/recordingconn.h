#pragma once

#include "kuabstractconn.h"

#include <QJsonDocument>
#include <QStringList>
#include <functional>

// A connection that sends nothing: each request it is asked for is kept as one
// line, "name arg arg ...", e.g. "getQuotes 5" or "unsubscribe 1 5" (the window
// type as its number, orders as compact JSON). Faked replies are its signals,
// emitted by the test: emit conn.on_receivedMarketData(hex, 5, wtQuotes).
class RecordingConn : public kuAbstractConn
{
public:
    using kuAbstractConn::kuAbstractConn;

    QStringList requests;
    // What the converter handed back after each login.
    QList<QVariantList> statuses;
    QString session;
    QString url;
    // Runs after each request is kept, inside the call (as a blocking request's nested loop would).
    std::function<void(const QString& request)> onRequest;

    // How many requests of that name were asked for.
    int count(const QString& name) const
    {
        int n = 0;
        for (const QString& request : requests)
            n += request.section(QLatin1Char(' '), 0, 0) == name ? 1 : 0;
        return n;
    }
    // The requests so far, which are forgotten.
    QStringList take()
    {
        QStringList taken;
        taken.swap(requests);
        return taken;
    }

    void authorize(const QString& login, const QString& password, const QString& clientVersion,
                   const QString& osText) override
    {
        record("authorize", {login, password, clientVersion, osText});
    }
    int unAuthorize(const QString& reason) override
    {
        record("unAuthorize", {reason});
        return 0;
    }
    void getInitInfo() override { record("getInitInfo"); }
    void getCandles(int paperID, const QString& start, const QString& end, const QString& third) override
    {
        record("getCandles", {QString::number(paperID), start, end, third});
    }
    void getOrderBook(int paperID) override { record("getOrderBook", {QString::number(paperID)}); }
    void getLastTrades(int paperID) override { record("getLastTrades", {QString::number(paperID)}); }
    void getQuotes(int paperID) override { record("getQuotes", {QString::number(paperID)}); }
    void getDateTime() override { record("getDateTime"); }
    void getPortfolio() override { record("getPortfolio"); }
    void getOrders() override { record("getOrders"); }
    void getTrades() override { record("getTrades"); }
    void getReportData(int reportType, const QString& startDate, const QString& endDate,
                       const QString& account) override
    {
        record("getReportData", {QString::number(reportType), startDate, endDate, account});
    }
    void getPluginList(const QString& osName, const QString& architecture) override
    {
        record("getPluginList", {osName, architecture});
    }
    void unsubscribe(WinType winType, int paperID) override
    {
        record("unsubscribe", {QString::number(int(winType)), QString::number(paperID)});
    }
    void newOrder(const QJsonObject& order) override { record("newOrder", {json(order)}); }
    void modifyOrder(const QJsonObject& order) override { record("modifyOrder", {json(order)}); }
    void cancelOrder(const QJsonObject& order) override { record("cancelOrder", {json(order)}); }
    void newStopOrder(const QJsonObject& order) override { record("newStopOrder", {json(order)}); }
    void modifyStopOrder(const QJsonObject& order) override { record("modifyStopOrder", {json(order)}); }
    void cancelStopOrder(const QJsonObject& order) override { record("cancelStopOrder", {json(order)}); }
    void requestLastPrice(int paperID) override { record("requestLastPrice", {QString::number(paperID)}); }
    QString sessionId() const override { return session; }
    QString serverUrl() const override { return url; }

    void statusAuthorization(const QVariantList& listResponse) override { statuses << listResponse; }

private:
    static QString json(const QJsonObject& object)
    {
        return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
    }
    void record(const char* name, const QStringList& args = {})
    {
        requests << (QStringList{QLatin1String(name)} + args).join(QLatin1Char(' '));
        if (onRequest)
            onRequest(requests.last());
    }
};
