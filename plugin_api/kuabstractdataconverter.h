#pragma once

#include "wintype.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QObject>
#include <QVariant>

// Seam between the raw reply bodies a connection delivers and the windows.
// The order of signals and slots is part of the interface (moc indexes and
// the table of virtual functions follow it).
class kuAbstractDataConverter : public QObject
{
    Q_OBJECT
public:
    // How an order request ended (on_orderOutcome).
    enum OrderOutcome
    {
        ooConfirmed = 0,
        ooRefused = 1,
        ooNoReply = 2
    };

    explicit kuAbstractDataConverter(QObject* parent = nullptr) : QObject(parent) {}
    ~kuAbstractDataConverter() override = default;

signals:
    void on_statusAuthorization(QVariantList listResponse = QVariantList());
    void on_snapshotPapers();
    void on_snapshotChart(int paperID, QVariant data);
    void on_updateChart(int paperID, QVariant data);
    void on_snapshotOrderBook(int paperID, QJsonArray orderBook);
    void on_updateOrderBook(int paperID, QJsonArray orderBook);
    void on_snapshotLastTrades(int paperID, QJsonArray lastTrades);
    void on_updateLastTrades(int paperID, QJsonArray lastTrades);
    void on_snapshotQuotes(int paperID, QJsonObject quotes);
    void on_updateQuotes(int paperID, QJsonObject quotes);
    void on_syncDateTime();
    void on_updateLastPrice(int paperID, double lastPrice);
    void on_snapshotPositions(QJsonObject jsonPositions);
    void on_updatePositions(QJsonObject jsonPositions);
    void on_snapshotOrders(QJsonObject jsonOrders);
    void on_updateOrders(QJsonObject jsonOrders);
    void on_snapshotTrades(QJsonObject jsonTrades);
    void on_updateTrades(QJsonObject jsonTrades);
    void on_receviedError(WinType winType, QString msg, int paperID);
    void on_snapshotAdditionalData(WinType winType, QVariantList dataList, QVariantMap args);
    // The answer to one order request: the object sent (with its "type"), an OrderOutcome and,
    // for a refusal, the server's text.
    void on_orderOutcome(QJsonObject orderObject, int outcome, QString msg);

public slots:
    virtual void slot_authorizedData(QByteArray hexData) {}
    virtual void slot_marketDataReceived(QByteArray hexData, int paperID, WinType winType) {}
    virtual void slot_tradeDataReceived(QByteArray hexData, WinType winType) {}
    virtual void slot_additionalDataReceived(QByteArray hexData, WinType winType, QVariantMap args) {}
    virtual void slot_snapshotDateTime(QByteArray hexData) {}
    virtual void slot_orderStatus(QByteArray hexData, QJsonObject orderObject) {}
    virtual void slot_receivedUpdates(QByteArray hexData) {}
};
