#pragma once

#include "kuabstractdataconverter.h"
#include "kupaperinfo.h"

#include <QSharedPointer>
#include <QThreadPool>
#include <QVector>

#include <atomic>
#include <memory>

class kuCandleStore;
class kuMsgPackReader;
struct msgpack_object;

// Converter for replies that are hex text of one MessagePack value.
// Market, trade, additional and update replies are decoded on one dedicated
// thread, in arrival order; login, server time and order replies in the caller's.
class dcMessagePack : public kuAbstractDataConverter
{
    Q_OBJECT
public:
    // Instrument id passed with every error the converter reports.
    static constexpr int noPaper = -100;

    explicit dcMessagePack(QObject* parent = nullptr);
    ~dcMessagePack() override;

    // Hex body to the list it carries, read by reader (and valid until its next
    // read); a server error, a malformed body or a value that is not a list
    // emits on_receviedError and gives an empty list. An empty body (the request
    // failed) gives an empty list and is reported by reportFailedRequest.
    const msgpack_object& decodeList(kuMsgPackReader& reader, WinType winType, const QByteArray& hexData, int paperID);
    // The same as Qt values.
    QVariantList decode(WinType winType, const QByteArray& hexData, int paperID);
    static QString serverErrorText(int code);

    // Records are built from the elements of a list read by a kuMsgPackReader.
    QJsonObject buildQuotes(const msgpack_object& list, int start) const;
    QJsonArray buildOrderBook(const msgpack_object& list, int start) const;
    QJsonArray buildLastTrades(const msgpack_object& list, int start) const;
    void buildCandles(const msgpack_object& entry);
    void emitLastPrices(const msgpack_object& entry);
    QJsonObject buildOrders(const msgpack_object* begin, const msgpack_object* end) const;
    QJsonObject buildTrades(const msgpack_object* begin, const msgpack_object* end) const;
    QJsonObject buildPositions(const msgpack_object* begin, const msgpack_object* end) const;
    QVector<QSharedPointer<kuPaperInfo>> buildPapers(const msgpack_object& list) const;

    // Candle snapshots go to this store; tests put one of their own in before any reply.
    void setCandleStore(std::unique_ptr<kuCandleStore> store);
    void storeCandles(int paperID, const msgpack_object& list);
    // The guids of the rows stored.
    QStringList storePluginList(const QVariantList& list);

    // Blocks until every queued reply has been decoded (shutdown, tests).
    bool waitForDone(int msecs = -1);

    // Hex bytes of the replies waiting to be decoded at most; a reply that would
    // go beyond is dropped in its place in the queue, as if it had come empty.
    static constexpr qint64 maxQueuedBytes = 80 * 1024 * 1024;
    qint64 queuedBytes() const { return m_queuedBytes.load(); }
    qint64 mostQueuedBytes() const { return m_mostQueuedBytes.load(); }

    // How long a failed request stays on the message bar.
    static constexpr int failedRequestMs = 10000;

signals:
    // A text for the main window's message bar (order confirmations).
    void on_infoMessage(QString text, int timeoutMs);
    // An error for the message bar: a request that failed or timed out (it came back empty).
    void on_errorMessage(QString text, int timeoutMs);
    // The instrument list did not come; emitted after the next healthy update poll, so
    // that the connection asks for it again once the server answers.
    void on_papersWanted();
    // The orders, positions or order book snapshot did not come (its request failed or
    // timed out): no empty snapshot stands in for it. paperID is the instrument asked
    // for, 0 for the account streams.
    void on_snapshotFailed(WinType winType, int paperID);
    // After a failed snapshot, the next healthy update poll: the windows that wait ask again.
    void on_snapshotsWanted();
    // An update reply was a server error or unreadable; errorCode is the
    // server's "error_code", 0 when there was none.
    void on_updatesFailed(int errorCode, QString msg);
    // One update body given to slot_receivedUpdates has been dealt with, in the
    // order they came (the connection holds back its next poll until then).
    void on_updatesDecoded();

public slots:
    void slot_authorizedData(QByteArray hexData) override;
    void slot_marketDataReceived(QByteArray hexData, int paperID, WinType winType) override;
    void slot_tradeDataReceived(QByteArray hexData, WinType winType) override;
    void slot_additionalDataReceived(QByteArray hexData, WinType winType, QVariantMap args) override;
    void slot_snapshotDateTime(QByteArray hexData) override;
    void slot_orderStatus(QByteArray hexData, QJsonObject orderObject) override;
    void slot_receivedUpdates(QByteArray hexData) override;

protected:
    struct Statement
    {
        QString sql;
        QVector<QVariantList> rows;
    };
    // Runs each statement once per row of bound values, one transaction per
    // statement (the plug-in catalogue; candles go through kuCandleStore).
    virtual bool runTransaction(const QVector<Statement>& statements);

private:
    struct Reply
    {
        QVariant value;
        bool readable = false;
        bool isError = false;
        int errorCode = 0;
    };
    Reply unpackReply(const QByteArray& hexData) const;

    void processMarketData(const QByteArray& hexData, int paperID, WinType winType);
    void processTradeData(const QByteArray& hexData, WinType winType);
    void processAdditionalData(const QByteArray& hexData, WinType winType, const QVariantMap& args);
    void processUpdates(const QByteArray& hexData);
    // A snapshot whose request came back with no body.
    void snapshotFailed(WinType winType, int paperID);
    // A request that came back with no body: logged and shown on the message bar.
    void reportFailedRequest(WinType winType);

    // Runs job on the decoding thread with hexData, or with nothing when the
    // queue is full; the bytes count as queued until the job has run.
    template <typename Job>
    void enqueue(const QByteArray& hexData, const char* kind, Job job);

    std::unique_ptr<kuCandleStore> candleStore;
    QThreadPool pool;
    std::atomic<qint64> m_queuedBytes{0};
    std::atomic<qint64> m_mostQueuedBytes{0};
    std::atomic<bool> m_papersWanted{false};
    std::atomic<bool> m_snapshotsWanted{false};
};
