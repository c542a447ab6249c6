#include "dcmessagepack.h"

#include "kuaccessdb.h"
#include "kuaccount.h"
#include "kucandlestore.h"
#include "kufunctions.h"
#include "kumsgpackreader.h"
#include "kupaperlist.h"
#include "kuplugintable.h"
#include "kurecordkeys.h"
#include "kurepeatedwarnings.h"
#include "serverclock.h"

#include <QCoreApplication>
#include <QHash>
#include <QTextCodec>
#include <QtConcurrent/QtConcurrentRun>

#include <cmath>

namespace {

const QString errorCodeKey = QStringLiteral("error_code");

bool isList(const QVariant& v)
{
    return v.userType() == QMetaType::QVariantList;
}

bool isMap(const QVariant& v)
{
    return v.userType() == QMetaType::QVariantMap;
}

// Groups of width values after start; a shorter rest is ignored.
int groupCount(const QVariantList& list, int start, int width)
{
    return list.size() > start ? (list.size() - start) / width : 0;
}

QString koi8Text(const QTextCodec* codec, const QVariant& value)
{
    const QByteArray bytes = value.toByteArray();
    return codec ? codec->toUnicode(bytes) : QString::fromLatin1(bytes);
}

// ---- records as data: each record is a run of values, one field per position.

enum class Kind
{
    Int,
    Int64,
    Real,
    Text, // plain text as sent
    Koi8  // bytes of KOI8-R text
};

struct Field
{
    QLatin1String key;
    Kind kind;
};

struct Layout
{
    const Field* fields;
    int width;
};

template <int N>
constexpr Layout layoutOf(const Field (&fields)[N])
{
    return {fields, N};
}

// One field per line, in wire order.
// clang-format off
namespace q = kuKeys::quote;
constexpr Field quoteFields[] = {
    {q::paperID, Kind::Int},
    {q::buy, Kind::Real},
    {q::toBuy, Kind::Int},
    {q::sell, Kind::Real},
    {q::toSell, Kind::Int},
    {q::toBuyTotal, Kind::Int},
    {q::toSellTotal, Kind::Int},
    {q::open, Kind::Real},
    {q::max, Kind::Real},
    {q::min, Kind::Real},
    {q::last, Kind::Real},
    {q::avg, Kind::Real},
    {q::paperVol, Kind::Int},
    {q::volume, Kind::Int},
    {q::moneyVol, Kind::Real},
    {q::bestBuy, Kind::Real},
    {q::bestSell, Kind::Real},
    {q::price, Kind::Real},
};

namespace ob = kuKeys::orderBook;
constexpr Field orderBookFields[] = {
    {ob::action, Kind::Int},
    {ob::amount, Kind::Int},
    {ob::price, Kind::Real},
    {ob::yeild, Kind::Real},
};

namespace lt = kuKeys::lastTrade;
constexpr Field lastTradeFields[] = {
    {lt::unixtime, Kind::Int64},
    {lt::amount, Kind::Int},
    {lt::price, Kind::Real},
    {lt::dealID, Kind::Int64},
};

// The same layout in candle snapshots and updates.
namespace cd = kuKeys::candle;
constexpr Field candleFields[] = {
    {cd::Open, Kind::Real},
    {cd::Close, Kind::Real},
    {cd::High, Kind::Real},
    {cd::Low, Kind::Real},
    {cd::Volume, Kind::Real},
    {cd::unixTime, Kind::Int64},
    {cd::timeFrame, Kind::Int},
};

namespace od = kuKeys::order;
constexpr Field orderFields[] = {
    {od::order_id, Kind::Int},
    {od::date, Kind::Text},
    {od::time, Kind::Text},
    {od::paper_id, Kind::Int},
    {od::act, Kind::Int},
    {od::amount, Kind::Int},
    {od::price, Kind::Real},
    {od::balance, Kind::Real},
    {od::status, Kind::Int},
    {od::type, Kind::Int},
    {od::limitation, Kind::Int},
    {od::reason, Kind::Koi8},
    {od::fcond, Kind::Int},
    {od::scond, Kind::Int},
    {od::isMarket1, Kind::Int},
    {od::isMarket2, Kind::Int},
    {od::ifPrice1, Kind::Real},
    {od::stopPrice1, Kind::Real},
    {od::ifPrice2, Kind::Real},
    {od::stopPrice2, Kind::Real},
};

namespace td = kuKeys::trade;
constexpr Field tradeFields[] = {
    {td::trade_id, Kind::Int},
    {td::date, Kind::Text},
    {td::time, Kind::Text},
    {td::paper_id, Kind::Int},
    {td::act, Kind::Int},
    {td::amount, Kind::Int},
    {td::price, Kind::Real},
    {td::total, Kind::Real},
    {td::comiss, Kind::Real},
    {td::account, Kind::Real},
    {td::note, Kind::Koi8},
};

namespace ps = kuKeys::position;
constexpr Field positionFields[] = {
    {ps::paper_id, Kind::Int},
    {ps::bdate, Kind::Text},
    {ps::amount, Kind::Int},
    {ps::price, Kind::Real},
    {ps::balance, Kind::Real},
    {ps::blocked, Kind::Int},
    {ps::expected, Kind::Int},
    {ps::lastprice, Kind::Real},
};

namespace mn = kuKeys::money;
constexpr Field moneyFields[] = {
    {mn::balance, Kind::Real},
    {mn::blocked, Kind::Real},
    {mn::expected, Kind::Real},
    {mn::go, Kind::Real},
    {mn::profit, Kind::Real},
    {mn::pmarga, Kind::Real},
};

namespace mg = kuKeys::margin;
constexpr Field marginFields[] = {
    {mg::marg_portfolio, Kind::Real},
    {mg::min_marga, Kind::Real},
    {mg::init_marga, Kind::Real},
};
// clang-format on

constexpr Layout quoteLayout = layoutOf(quoteFields);
constexpr Layout orderBookLayout = layoutOf(orderBookFields);
constexpr Layout lastTradeLayout = layoutOf(lastTradeFields);
constexpr Layout candleLayout = layoutOf(candleFields);
constexpr Layout orderLayout = layoutOf(orderFields);
constexpr Layout tradeLayout = layoutOf(tradeFields);
constexpr Layout positionLayout = layoutOf(positionFields);
constexpr Layout moneyLayout = layoutOf(moneyFields);
constexpr Layout marginLayout = layoutOf(marginFields);

// The record whose values start at position at; the caller checks that all of them are there.
QJsonObject record(const Layout& layout, const QVariantList& values, int at, const QTextCodec* codec)
{
    QJsonObject out;
    for (int k = 0; k < layout.width; ++k) {
        const Field& field = layout.fields[k];
        const QVariant& value = values.at(at + k);
        switch (field.kind) {
        case Kind::Int:
            out.insert(field.key, value.toInt());
            break;
        case Kind::Int64:
            out.insert(field.key, value.toLongLong());
            break;
        case Kind::Real:
            out.insert(field.key, value.toDouble());
            break;
        case Kind::Text:
            out.insert(field.key, value.toString());
            break;
        case Kind::Koi8:
            out.insert(field.key, koi8Text(codec, value));
            break;
        }
    }
    return out;
}

// The complete records after start, in order; a shorter rest is ignored.
QJsonArray records(const Layout& layout, const QVariantList& values, int start, const QTextCodec* codec)
{
    QJsonArray out;
    const int n = groupCount(values, start, layout.width);
    for (int i = 0; i < n; ++i)
        out.append(record(layout, values, start + i * layout.width, codec));
    return out;
}

// One record when the list holds all of its values, else an empty object.
QJsonObject recordIfComplete(const Layout& layout, const QVariantList& values, const QTextCodec* codec)
{
    return values.size() >= layout.width ? record(layout, values, 0, codec) : QJsonObject();
}

// Positions of one instrument in the initial-information reply.
enum PaperField
{
    paperId,
    paperType,
    paperLot,
    paperExchangeId,
    paperSpareInt,
    paperMarketAllowed,
    paperPriceStep,
    paperNominal,
    paperAccruedCoupon,
    paperTicker,
    paperIssuer,
    paperShortName,
    paperSpareText,
    paperExchangeName,
    paperWidth
};

// Rejected replies repeat with every poll: each kind is logged once a minute.
kuRepeatedWarnings& repeatedWarnings()
{
    static kuRepeatedWarnings warnings;
    return warnings;
}

const int pluginBatch = 8;

} // namespace

dcMessagePack::dcMessagePack(QObject* parent)
    : kuAbstractDataConverter(parent), codec(QTextCodec::codecForName("KOI8-R")), candleStore(new kuCandleStore)
{
    registerWinType();
    // One thread keeps replies in arrival order: a snapshot never overtakes an update.
    pool.setMaxThreadCount(1);
    pool.setExpiryTimeout(-1);
}

dcMessagePack::~dcMessagePack()
{
    // Jobs emit on this object; none may outlive it.
    pool.clear();
    pool.waitForDone();
}

bool dcMessagePack::waitForDone(int msecs)
{
    return pool.waitForDone(msecs);
}

QString dcMessagePack::serverErrorText(int code)
{
    static const QHash<int, QString> texts = [] {
        auto tr = [](const char* text) { return QCoreApplication::translate("dcMessagePack", text); };
        QHash<int, QString> t;
        t.insert(1, tr("Обращение к серверу не методом GET."));
        t.insert(2, tr("Нет входных параметров (скрипт на сервере вызван без параметров)."));
        t.insert(3, tr("Нет значений входных параметров скрипта."));
        t.insert(4, tr("Неверные имена параметров при вызове скрипта."));
        t.insert(5, tr("Неверное имя пользователя или пароль."));
        t.insert(6, tr("Счет заблокирован. Пожалуйста свяжитесь с менеджером Бренхольт."));
        t.insert(7, tr("Сессия закрыта. Если эта ошибка будет повторяться, пожалуйста, свяжитесь с Бренхольт."));
        t.insert(8, tr("Отсутствует информация о денежном счете. Пожалуйста, свяжитесь с менеджером Бренхольт."));
        t.insert(9, tr("Ошибка сетевого доступа."));
        t.insert(10, tr("Вы уже посылали запрос на отмену этого поручения."));
        t.insert(11, tr("Ошибка сериализации данных."));
        t.insert(12, tr("Неверный идентификатор связанного счета. Пожалуйста, свяжитесь с менеджером Бренхольт."));
        t.insert(13, tr("Неверный идентификатор плагина."));
        t.insert(90, tr("Вы не меняли пароль уже более года. Рекомендуем Вам сменить пароль."));
        t.insert(99, tr("Ошибка БД. Пожалуйста, свяжитесь с Бренхольт."));
        t.insert(0, tr("Ошибочная ошибка."));
        return t;
    }();
    return texts.value(code, texts.value(0));
}

dcMessagePack::Reply dcMessagePack::unpackReply(const QByteArray& hexData) const
{
    Reply reply;
    QString error;
    if (!kuMsgPackReader::unpackHex(hexData, &reply.value, &error)) {
        qint64 unlogged = 0;
        if (repeatedWarnings().note(QStringLiteral("unreadable"), &unlogged))
            qWarning().noquote() << "Unreadable reply:" << error
                                 << (unlogged ? QStringLiteral("(%1 more since)").arg(unlogged) : QString());
        return reply;
    }
    reply.readable = true;
    if (isMap(reply.value)) {
        reply.isError = true;
        reply.errorCode = reply.value.toMap().value(errorCodeKey).toInt();
    } else if (!isList(reply.value)) {
        reply.isError = true;
    }
    return reply;
}

QVariantList dcMessagePack::decode(WinType winType, const QByteArray& hexData, int paperID)
{
    if (hexData.isEmpty())
        return QVariantList();
    const Reply reply = unpackReply(hexData);
    if (reply.readable && !reply.isError)
        return reply.value.toList();
    emit on_receviedError(winType, serverErrorText(reply.errorCode), paperID);
    return QVariantList();
}

QString dcMessagePack::text(const QVariant& value) const
{
    return koi8Text(codec, value);
}

// ---- login -----------------------------------------------------------------

void dcMessagePack::slot_authorizedData(QByteArray hexData)
{
    const QString networkError = serverErrorText(9);
    if (hexData.isEmpty()) {
        emit on_receviedError(wtAuthorization, networkError, 7);
        emit on_statusAuthorization(QVariantList());
        return;
    }
    const Reply reply = unpackReply(hexData);
    QVariantMap map = reply.readable ? reply.value.toMap() : QVariantMap();
    if (map.contains(errorCodeKey)) {
        emit on_receviedError(wtAuthorization, serverErrorText(map.value(errorCodeKey).toInt()), 5);
        emit on_statusAuthorization(QVariantList());
        return;
    }
    const QVariantList session = map.take(QStringLiteral("session")).toList();
    // The session must be a text: nil, a map or a number is no session at all.
    const QVariant id = session.value(0);
    const bool isText = id.userType() == QMetaType::QByteArray || id.userType() == QMetaType::QString;
    if (!isText || id.toByteArray().isEmpty()) {
        emit on_receviedError(wtAuthorization, networkError, 7);
        emit on_statusAuthorization(QVariantList());
        return;
    }

    const auto accounts = kuAccount::instance();
    accounts->clear();
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const QVariantList values = it.value().toList();
        if (values.size() < 3) {
            qWarning() << "Login reply: account" << it.key() << "has" << values.size() << "values, skipped";
            continue;
        }
        QSet<int> exchanges;
        for (int i = 3; i < values.size(); ++i)
            exchanges.insert(values.at(i).toInt());
        accounts->addAccount(text(values.at(0)), values.at(2).toInt() > 0, values.at(1).toInt(), exchanges);
    }

    emit on_receviedError(wtAuthorization, QString(), 0);
    emit on_statusAuthorization(session);
    disconnect(this, &kuAbstractDataConverter::on_statusAuthorization, nullptr, nullptr);
}

// ---- dispatch to the decoding thread ------------------------------------------

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
                                 << (unlogged ? QStringLiteral("(%1 more since)").arg(unlogged) : QString());
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
    const QVariantList list = decode(winType, hexData, noPaper);
    switch (winType) {
    case wtChart:
        storeCandles(paperID, list);
        emit on_snapshotChart(paperID, QVariant());
        break;
    case wtOrderBook:
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
    const QVariantList list = decode(winType, hexData, noPaper);
    switch (winType) {
    case wtPortfolio:
        emit on_snapshotPositions(buildPositions(list.cbegin(), list.cend()));
        break;
    case wtOrders:
        emit on_snapshotOrders(buildOrders(list.cbegin(), list.cend()));
        break;
    case wtTrades:
        emit on_snapshotTrades(buildTrades(list.cbegin(), list.cend()));
        break;
    case wtInitInfo: {
        const auto papers = buildPapers(list);
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
    const Reply reply = unpackReply(hexData);
    if (!reply.readable || reply.isError) {
        // Reported, so that a closed session is not taken for a quiet poll.
        const QString msg = serverErrorText(reply.errorCode);
        emit on_receviedError(static_cast<WinType>(0), msg, noPaper);
        emit on_updatesFailed(reply.errorCode, msg);
        return;
    }
    const QVariantList entries = reply.value.toList();
    for (const QVariant& item : entries) {
        const QVariantList entry = item.toList();
        if (entry.isEmpty())
            continue;
        const int kind = entry.at(0).toInt();
        switch (kind) {
        case wtQuotes:
            if (entry.size() >= 2)
                emit on_updateQuotes(entry.at(1).toInt(), buildQuotes(entry, 2));
            break;
        case wtOrderBook:
            if (entry.size() >= 2)
                emit on_updateOrderBook(entry.at(1).toInt(), buildOrderBook(entry, 2));
            break;
        case wtLastTrades:
            if (entry.size() >= 2)
                emit on_updateLastTrades(entry.at(1).toInt(), buildLastTrades(entry, 2));
            break;
        case wtChart:
            buildCandles(entry);
            break;
        case wtLastPrice:
            emitLastPrices(entry);
            break;
        case wtPortfolio:
            emit on_updatePositions(buildPositions(entry.cbegin() + 1, entry.cend()));
            break;
        case wtOrders:
            emit on_updateOrders(buildOrders(entry.cbegin() + 1, entry.cend()));
            break;
        case wtTrades:
            emit on_updateTrades(buildTrades(entry.cbegin() + 1, entry.cend()));
            break;
        default:
            break;
        }
    }
}

// ---- server clock and order confirmation ---------------------------------------

void dcMessagePack::slot_snapshotDateTime(QByteArray hexData)
{
    const QVariantList list = decode(static_cast<WinType>(0), hexData, noPaper);
    if (list.size() < 2)
        return;
    if (!setServerDateTime(QDate::fromString(list.at(0).toString(), QStringLiteral("dd.MM.yyyy")),
                           QTime::fromString(list.at(1).toString(), QStringLiteral("HH:mm:ss")))) {
        qWarning("Server time reply not understood; the clock runs on");
        return;
    }
    emit on_syncDateTime();
}

void dcMessagePack::slot_orderStatus(QByteArray hexData, QJsonObject orderObject)
{
    // Order outcomes have a signal of their own: an orders-stream error would
    // close an orders window still awaiting its snapshot, and nobody else shows it.
    if (hexData.isEmpty()) {
        emit on_orderOutcome(orderObject, ooNoReply, QString());
        return;
    }
    const Reply reply = unpackReply(hexData);
    if (!reply.readable || isMap(reply.value)) {
        emit on_orderOutcome(orderObject, ooRefused, serverErrorText(reply.errorCode));
        return;
    }
    emit on_orderOutcome(orderObject, ooConfirmed, QString());

    const int paperID = orderObject.value(QStringLiteral("paperID")).toInt();
    if (paperID == 0)
        return;
    const int type = orderObject.value(QStringLiteral("type")).toInt();
    const auto paper = kuPaperList::instance()->paper(paperID);
    if (paper.isNull())
        return;

    QString message;
    if (type == 1001 || type == 1002)
        message = tr("Поручение на `%1` %2 в колличестве %3. Успешно отправлено.");
    else if (type == 1003)
        message = tr("Запрос на отмену поручения на `%1` по инструменту %2 в колличестве %3. Успешно отправлен.");
    else if (type == 1010 || type == 1011)
        message = tr("Стоп-поручение на `%1` %2 в колличестве %3. Успешно отправлено.");
    else if (type == 1012)
        message = tr("Запрос на отмену стоп-поручения на `%1` по инструменту %2 в колличестве %3. Успешно отправлен.");
    else
        return;

    // -1 from the order entry dialog; cancels from the orders window carry the order's kind (2 sell, 6 stop sell).
    const int action = orderObject.value(QStringLiteral("action")).toInt();
    const QString side = action < 0 || action == 2 || action == 6 ? tr("Продажу") : tr("Покупку");
    const int amount = orderObject.value(QStringLiteral("amount")).toInt();
    emit on_infoMessage(message.arg(side, paper->ticker(), QString::number(amount)), 5000);
}

// ---- market data -----------------------------------------------------------

QJsonObject dcMessagePack::buildQuotes(const QVariantList& list, int start) const
{
    if (start < 0 || list.size() - start < quoteLayout.width)
        return QJsonObject();
    return record(quoteLayout, list, start, codec);
}

QJsonArray dcMessagePack::buildOrderBook(const QVariantList& list, int start) const
{
    return records(orderBookLayout, list, start, codec);
}

QJsonArray dcMessagePack::buildLastTrades(const QVariantList& list, int start) const
{
    return records(lastTradeLayout, list, start, codec);
}

void dcMessagePack::buildCandles(const QVariantList& entry)
{
    if (entry.size() <= 2)
        return;
    QJsonObject message;
    message.insert(kuKeys::candle::updateType, entry.at(2).toInt());
    message.insert(kuKeys::candle::candles, records(candleLayout, entry, 3, codec));
    emit on_updateChart(entry.at(1).toInt(), QVariant(message));
}

void dcMessagePack::emitLastPrices(const QVariantList& entry)
{
    const int n = groupCount(entry, 1, 2);
    for (int i = 0; i < n; ++i)
        emit on_updateLastPrice(entry.at(1 + i * 2).toInt(), entry.at(2 + i * 2).toDouble());
}

// ---- account records -------------------------------------------------------

namespace {

// Appends the array's items after what the object holds under key.
void appendUnder(QJsonObject& result, const QString& key, const QJsonArray& items)
{
    if (!result.contains(key)) {
        result.insert(key, items);
        return;
    }
    QJsonArray stored = result.value(key).toArray();
    for (const QJsonValue& item : items)
        stored.append(item);
    result.insert(key, stored);
}

// Each element is one account's map: its text under "part_id" and its records, flat, under listKey.
QJsonObject accountRecords(QVariantList::const_iterator begin, QVariantList::const_iterator end, QLatin1String listKey,
                           const Layout& layout, const QTextCodec* codec)
{
    QJsonObject result;
    for (auto it = begin; it != end; ++it) {
        const QVariantMap element = it->toMap();
        const QString account = koi8Text(codec, element.value(kuKeys::account::part_id));
        appendUnder(result, account, records(layout, element.value(listKey).toList(), 0, codec));
    }
    return result;
}

} // namespace

QJsonObject dcMessagePack::buildOrders(QVariantList::const_iterator begin, QVariantList::const_iterator end) const
{
    return accountRecords(begin, end, kuKeys::account::orders, orderLayout, codec);
}

QJsonObject dcMessagePack::buildTrades(QVariantList::const_iterator begin, QVariantList::const_iterator end) const
{
    return accountRecords(begin, end, kuKeys::account::trades, tradeLayout, codec);
}

QJsonObject dcMessagePack::buildPositions(QVariantList::const_iterator begin, QVariantList::const_iterator end) const
{
    const QString positionKey = kuKeys::account::position;
    QJsonObject result;
    for (auto it = begin; it != end; ++it) {
        const QVariantMap element = it->toMap();
        const QString account = text(element.value(kuKeys::account::part_id));
        QJsonArray positions = records(positionLayout, element.value(positionKey).toList(), 0, codec);

        // Money and margin come from the account's last element, positions from all of them.
        QJsonObject accountObject;
        if (result.contains(account)) {
            accountObject = result.value(account).toObject();
            QJsonArray stored = accountObject.value(positionKey).toArray();
            for (const QJsonValue& p : qAsConst(positions))
                stored.append(p);
            positions = stored;
        }
        accountObject.insert(positionKey, positions);
        accountObject.insert(kuKeys::account::money,
                             recordIfComplete(moneyLayout, element.value(kuKeys::account::money).toList(), codec));
        accountObject.insert(kuKeys::account::margin,
                             recordIfComplete(marginLayout, element.value(kuKeys::account::margin).toList(), codec));
        result.insert(account, accountObject);
    }
    return result;
}

// ---- instruments -----------------------------------------------------------

QVector<QSharedPointer<kuPaperInfo>> dcMessagePack::buildPapers(const QVariantList& list) const
{
    QVector<QSharedPointer<kuPaperInfo>> papers;
    const int n = list.size() / paperWidth;
    papers.reserve(n);
    for (int i = 0; i < n; ++i) {
        auto v = [&](PaperField field) -> const QVariant& { return list.at(i * paperWidth + field); };
        papers.append(QSharedPointer<kuPaperInfo>(new kuPaperInfo(
                v(paperId).toInt(), text(v(paperTicker)), text(v(paperIssuer)), v(paperType).toInt(),
                v(paperLot).toInt(), v(paperPriceStep).toDouble(), v(paperNominal).toDouble(), v(paperSpareInt).toInt(),
                v(paperAccruedCoupon).toDouble(), v(paperMarketAllowed).toInt() != 0, text(v(paperShortName)),
                text(v(paperSpareText)), v(paperExchangeId).toInt(), text(v(paperExchangeName)))));
    }
    return papers;
}

// ---- rows for the local database ---------------------------------------------

void dcMessagePack::setCandleStore(std::unique_ptr<kuCandleStore> store)
{
    candleStore = std::move(store);
}

void dcMessagePack::storeCandles(int paperID, const QVariantList& list)
{
    const int width = candleLayout.width;
    const int n = list.size() / width;
    QVector<kuCandleStore::Candle> candles;
    candles.reserve(n);
    for (int i = 0; i < n; ++i) {
        auto v = [&](int k) -> const QVariant& { return list.at(i * width + k); };
        kuCandleStore::Candle c;
        c.open = v(0).toDouble();
        c.close = v(1).toDouble();
        c.high = v(2).toDouble();
        c.low = v(3).toDouble();
        c.volume = v(4).toDouble();
        c.start = v(5).toULongLong();
        c.timeFrame = v(6).toInt();
        candles.append(c);
    }
    candleStore->insert(paperID, candles);
}

QStringList dcMessagePack::storePluginList(const QVariantList& list)
{
    QVector<Statement> batch{{kuPluginTable::insertSql(), {}}};
    auto flush = [&] {
        if (batch[0].rows.isEmpty())
            return;
        runTransaction(batch);
        batch[0].rows.clear();
    };

    QStringList stored;
    const int n = list.size() / 7;
    for (int i = 0; i < n; ++i) {
        auto v = [&](int k) -> const QVariant& { return list.at(i * 7 + k); };
        kuPluginTable::Row row;
        row.guid = v(0).toString();
        row.pluginName = v(6).toString();
        // The name becomes a file name later.
        const double price = v(5).toDouble();
        if (!kuPluginTable::isValidPluginName(row.pluginName)) {
            qWarning() << "Plug-in catalogue: invalid plug-in name" << row.pluginName << "of" << row.guid
                       << ", row dropped";
        } else if (!std::isfinite(price)) {
            qWarning() << "Plug-in catalogue: price of" << row.guid << "is not a number, row dropped";
        } else {
            stored << row.guid;
            row.title = text(v(1));
            row.description = text(v(2));
            row.icon = v(4).toString();
            row.price = rounded(price, 2);
            row.version = v(3).toUInt();
            batch[0].rows.append(kuPluginTable::insertValues(row));
        }
        if ((i + 1) % pluginBatch == 0)
            flush();
    }
    flush();
    return stored;
}

bool dcMessagePack::runTransaction(const QVector<Statement>& statements)
{
    // Failures are logged by the database access; the next batch still runs.
    kuAccessDB db;
    bool ok = true;
    for (const Statement& statement : statements) {
        if (!statement.rows.isEmpty())
            ok = db.executeBatch(statement.sql, statement.rows) && ok;
    }
    return ok;
}
