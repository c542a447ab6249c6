#include "dcmessagepack.h"

#include "dcmessagepackvalues.h"
#include "dcmessagepackwarnings.h"
#include "kupaperlist.h"
#include "kurepeatedwarnings.h"

#include <QtConcurrent/QtConcurrentRun>

using namespace dcMessagePackImpl;

// Replies that are decoded on the decoding thread, in arrival order, and what each stream emits.

template <typename Job>
void dcMessagePack::enqueue(const QByteArray& hexData, const char* kind, Job job)
{
    QByteArray body = hexData;
    const qint64 size = body.size();
    qint64 queued = m_queuedBytes.load();
    bool admitted = false;
    while (queued + size <= maxQueuedBytes && !admitted)
        admitted = m_queuedBytes.compare_exchange_weak(queued, queued + size);
    qint64 held = size;
    if (!admitted) {
        held = 0;
        body.clear();
        qint64 unlogged = 0;
        if (repeatedWarnings().note(QStringLiteral("queue full"), &unlogged))
            qWarning().noquote() << "Decoding queue full:" << kind << "reply of" << size << "bytes dropped"
                                 << kuRepeatedWarnings::moreSince(unlogged);
    } else {
        qint64 most = m_mostQueuedBytes.load();
        while (queued + size > most && !m_mostQueuedBytes.compare_exchange_weak(most, queued + size)) {}
    }
    QtConcurrent::run(&pool, [this, body, held, job] {
        job(body);
        m_queuedBytes -= held;
    });
}

void dcMessagePack::slot_marketDataReceived(QByteArray hexData, int paperID, WinType winType)
{
    switch (winType) {
    case wtQuotes:
    case wtChart:
    case wtOrderBook:
    case wtLastTrades:
        enqueue(hexData, "market data",
                [this, paperID, winType](const QByteArray& body) { processMarketData(body, paperID, winType); });
        break;
    default:
        break;
    }
}

void dcMessagePack::slot_tradeDataReceived(QByteArray hexData, WinType winType)
{
    switch (winType) {
    case wtPortfolio:
    case wtOrders:
    case wtTrades:
    case wtInitInfo:
        enqueue(hexData, "trade data", [this, winType](const QByteArray& body) { processTradeData(body, winType); });
        break;
    default:
        break;
    }
}

void dcMessagePack::slot_additionalDataReceived(QByteArray hexData, WinType winType, QVariantMap args)
{
    if (winType != wtReportData && winType != wtPluginList)
        return;
    enqueue(hexData, "additional data",
            [this, winType, args](const QByteArray& body) { processAdditionalData(body, winType, args); });
}

void dcMessagePack::slot_receivedUpdates(QByteArray hexData)
{
    if (hexData.isEmpty())
        return;
    enqueue(hexData, "update", [this](const QByteArray& body) {
        if (!body.isEmpty())
            processUpdates(body);
        emit on_updatesDecoded();
    });
}

void dcMessagePack::processMarketData(const QByteArray& hexData, int paperID, WinType winType)
{
    const msgpack_object& list = decodeList(threadReader(), winType, hexData, noPaper);
    switch (winType) {
    case wtChart:
        storeCandles(paperID, list);
        emit on_snapshotChart(paperID, QVariant());
        break;
    case wtOrderBook:
        if (hexData.isEmpty())
            snapshotFailed(winType, paperID);
        else
            emit on_snapshotOrderBook(paperID, buildOrderBook(list, 0));
        break;
    case wtLastTrades:
        emit on_snapshotLastTrades(paperID, buildLastTrades(list, 0));
        break;
    case wtQuotes:
        emit on_snapshotQuotes(paperID, buildQuotes(list, 0));
        break;
    default:
        break;
    }
}

void dcMessagePack::processTradeData(const QByteArray& hexData, WinType winType)
{
    const msgpack_object& list = decodeList(threadReader(), winType, hexData, noPaper);
    const Elements elements = elementsOf(list);
    const msgpack_object* const begin = elements.ptr;
    const msgpack_object* const end = elements.ptr + elements.size;
    switch (winType) {
    case wtPortfolio:
        if (hexData.isEmpty())
            snapshotFailed(winType, 0);
        else
            emit on_snapshotPositions(buildPositions(begin, end));
        break;
    case wtOrders:
        if (hexData.isEmpty())
            snapshotFailed(winType, 0);
        else
            emit on_snapshotOrders(buildOrders(begin, end));
        break;
    case wtTrades:
        if (hexData.isEmpty())
            snapshotFailed(winType, 0);
        else
            emit on_snapshotTrades(buildTrades(begin, end));
        break;
    case wtInitInfo: {
        // A list that failed, or holds no instrument, restores no layout: the windows wait
        // for the one asked for again after the next healthy poll. The failure was reported
        // by the decoding; an empty list is reported here.
        const auto papers = buildPapers(list);
        if (papers.isEmpty()) {
            // The list itself came, as it is: no failure was reported for it.
            if (!hexData.isEmpty() && &list == &threadReader().root()) {
                qWarning() << "Instrument list holds no instrument:" << elementsOf(list).size << "values";
                emit on_errorMessage(tr("Список инструментов не получен: сервер прислал пустой список. Он будет "
                                        "запрошен снова."),
                                     failedRequestMs);
            }
            m_papersWanted = true;
            break;
        }
        for (const auto& paper : papers)
            paper->moveToThread(thread());
        // The registry is read on the GUI thread: fill it there, in one step,
        // and only then tell the windows.
        QMetaObject::invokeMethod(
                this,
                [this, papers] {
                    const auto registry = kuPaperList::instance();
                    for (const auto& paper : papers)
                        registry->addPaper(paper->id(), paper);
                    emit on_snapshotPapers();
                },
                Qt::QueuedConnection);
        break;
    }
    default:
        break;
    }
}

void dcMessagePack::snapshotFailed(WinType winType, int paperID)
{
    // An empty list would read as "nothing open": the window says it has nothing and asks again.
    m_snapshotsWanted = true;
    emit on_snapshotFailed(winType, paperID);
}

void dcMessagePack::processAdditionalData(const QByteArray& hexData, WinType winType, const QVariantMap& args)
{
    const QVariantList list = decode(winType, hexData, noPaper);
    if (winType == wtPluginList) {
        const QStringList guids = storePluginList(list);
        // The reader drops rows that vanished from the catalogue, only after a catalogue came.
        QVariantMap withGuids = args;
        if (!list.isEmpty())
            withGuids.insert(QStringLiteral("guids"), guids);
        emit on_snapshotAdditionalData(winType, QVariantList(), withGuids);
    } else {
        emit on_snapshotAdditionalData(winType, list, args);
    }
}

void dcMessagePack::processUpdates(const QByteArray& hexData)
{
    kuMsgPackReader& reader = threadReader();
    const bool readable = readReply(reader, hexData);
    const msgpack_object& root = reader.root();
    if (!readable || root.type != MSGPACK_OBJECT_ARRAY) {
        // Reported, so that a closed session is not taken for a quiet poll.
        const int errorCode = root.type == MSGPACK_OBJECT_MAP ? toInt(mapValue(root, errorCodeField)) : 0;
        const QString msg = serverErrorText(errorCode);
        emit on_receviedError(static_cast<WinType>(0), msg, noPaper);
        emit on_updatesFailed(errorCode, msg);
        return;
    }
    if (m_papersWanted.exchange(false))
        emit on_papersWanted();
    if (m_snapshotsWanted.exchange(false))
        emit on_snapshotsWanted();
    const Elements entries = elementsOf(root);
    for (int i = 0; i < entries.size; ++i) {
        const msgpack_object& item = entries.at(i);
        const Elements entry = elementsOf(item);
        if (entry.size == 0)
            continue;
        const int kind = toInt(entry.at(0));
        const msgpack_object* const rest = entry.ptr + 1;
        const msgpack_object* const end = entry.ptr + entry.size;
        switch (kind) {
        case wtQuotes:
            if (entry.size >= 2)
                emit on_updateQuotes(toInt(entry.at(1)), buildQuotes(item, 2));
            break;
        case wtOrderBook:
            if (entry.size >= 2)
                emit on_updateOrderBook(toInt(entry.at(1)), buildOrderBook(item, 2));
            break;
        case wtLastTrades:
            if (entry.size >= 2)
                emit on_updateLastTrades(toInt(entry.at(1)), buildLastTrades(item, 2));
            break;
        case wtChart:
            buildCandles(item);
            break;
        case wtLastPrice:
            emitLastPrices(item);
            break;
        case wtPortfolio:
            emit on_updatePositions(buildPositions(rest, end));
            break;
        case wtOrders:
            emit on_updateOrders(buildOrders(rest, end));
            break;
        case wtTrades:
            emit on_updateTrades(buildTrades(rest, end));
            break;
        default:
            break;
        }
    }
}
