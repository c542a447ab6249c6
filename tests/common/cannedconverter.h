#pragma once

#include "kuabstractdataconverter.h"

#include <QJsonDocument>
#include <QJsonParseError>
#include <QtTest>

// A converter that decodes nothing: the test hands it the JSON a window would
// get and it emits the signal at once, on the calling thread, e.g.
//   converter.snapshotQuotes(5, R"({"bid": 101.5, "ask": 102})");
// JSON that does not parse fails the running test and sends an empty value.
class CannedConverter : public kuAbstractDataConverter
{
public:
    using kuAbstractDataConverter::kuAbstractDataConverter;

    static QJsonObject object(const QByteArray& json) { return parse(json).object(); }
    static QJsonArray array(const QByteArray& json) { return parse(json).array(); }

    void snapshotQuotes(int paperID, const QByteArray& json) { emit on_snapshotQuotes(paperID, object(json)); }
    void updateQuotes(int paperID, const QByteArray& json) { emit on_updateQuotes(paperID, object(json)); }
    void snapshotOrderBook(int paperID, const QByteArray& json) { emit on_snapshotOrderBook(paperID, array(json)); }
    void updateOrderBook(int paperID, const QByteArray& json) { emit on_updateOrderBook(paperID, array(json)); }
    void snapshotLastTrades(int paperID, const QByteArray& json) { emit on_snapshotLastTrades(paperID, array(json)); }
    void updateLastTrades(int paperID, const QByteArray& json) { emit on_updateLastTrades(paperID, array(json)); }
    // The candles are in the cache tables; the converter sends no data with it.
    void snapshotChart(int paperID) { emit on_snapshotChart(paperID, QVariant()); }
    // {"updateType": N, "candles": [...]}
    void updateChart(int paperID, const QByteArray& json) { emit on_updateChart(paperID, QVariant(object(json))); }
    void updateLastPrice(int paperID, double price) { emit on_updateLastPrice(paperID, price); }
    // Keyed by account name, as the converter sends them.
    void snapshotPositions(const QByteArray& json) { emit on_snapshotPositions(object(json)); }
    void updatePositions(const QByteArray& json) { emit on_updatePositions(object(json)); }
    void snapshotOrders(const QByteArray& json) { emit on_snapshotOrders(object(json)); }
    void updateOrders(const QByteArray& json) { emit on_updateOrders(object(json)); }
    void snapshotTrades(const QByteArray& json) { emit on_snapshotTrades(object(json)); }
    void updateTrades(const QByteArray& json) { emit on_updateTrades(object(json)); }
    void snapshotPapers() { emit on_snapshotPapers(); }
    void syncDateTime() { emit on_syncDateTime(); }
    void statusAuthorization(const QVariantList& response) { emit on_statusAuthorization(response); }
    // An empty text after a login is its success; any other text is shown by the window of that type.
    void error(WinType winType, const QString& text, int paperID = -100)
    {
        emit on_receviedError(winType, text, paperID);
    }
    void snapshotAdditionalData(WinType winType, const QVariantList& data, const QVariantMap& args = {})
    {
        emit on_snapshotAdditionalData(winType, data, args);
    }

private:
    static QJsonDocument parse(const QByteArray& json)
    {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(json, &error);
        if (error.error != QJsonParseError::NoError)
            QTest::qFail(qPrintable(QStringLiteral("canned JSON: %1 at %2").arg(error.errorString()).arg(error.offset)),
                         __FILE__, __LINE__);
        return document;
    }
};
