#include "dcmessagepack.h"

#include "kuaccessdb.h"
#include "kuaccount.h"
#include "kucandletables.h"
#include "kumsgpackreader.h"
#include "kupaperlist.h"
#include "kuplugintable.h"
#include "serverclock.h"

#include <QCoreApplication>
#include <QHash>
#include <QTextCodec>
#include <QtConcurrent/QtConcurrentRun>

#include <climits>
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

QJsonObject candleObject(const QVariantList& list, int at)
{
    QJsonObject candle;
    candle.insert(QLatin1String("Open"), list.at(at).toDouble());
    candle.insert(QLatin1String("Close"), list.at(at + 1).toDouble());
    candle.insert(QLatin1String("High"), list.at(at + 2).toDouble());
    candle.insert(QLatin1String("Low"), list.at(at + 3).toDouble());
    candle.insert(QLatin1String("Volume"), list.at(at + 4).toDouble());
    candle.insert(QLatin1String("unixTime"), list.at(at + 5).toLongLong());
    candle.insert(QLatin1String("timeFrame"), list.at(at + 6).toInt());
    return candle;
}

// Stored precision of the cache: prices to 8 decimals, volumes and prices of
// the catalogue as the fixed-notation texts of old had them.
double rounded(double value, int decimals)
{
    static const double scales[] = {1.0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
    const double scale = scales[decimals];
    const double scaled = value * scale;
    // Beyond 2^53 a double has no fraction left to round.
    if (std::fabs(scaled) >= 9007199254740992.0)
        return value;
    return std::round(scaled) / scale;
}

const int candleBatch = 500;
const int pluginBatch = 8;

} // namespace

dcMessagePack::dcMessagePack(QObject* parent)
    : kuAbstractDataConverter(parent), codec(QTextCodec::codecForName("KOI8-R"))
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
        qWarning() << "Unreadable reply:" << error;
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
    const QByteArray bytes = value.toByteArray();
    return codec ? codec->toUnicode(bytes) : QString::fromLatin1(bytes);
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
    if (session.isEmpty()) {
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

void dcMessagePack::slot_marketDataReceived(QByteArray hexData, int paperID, WinType winType)
{
    switch (winType) {
    case wtQuotes:
    case wtChart:
    case wtOrderBook:
    case wtLastTrades:
        QtConcurrent::run(&pool, [this, hexData, paperID, winType] { processMarketData(hexData, paperID, winType); });
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
        QtConcurrent::run(&pool, [this, hexData, winType] { processTradeData(hexData, winType); });
        break;
    default:
        break;
    }
}

void dcMessagePack::slot_additionalDataReceived(QByteArray hexData, WinType winType, QVariantMap args)
{
    if (winType != wtReportData && winType != wtPluginList)
        return;
    QtConcurrent::run(&pool, [this, hexData, winType, args] { processAdditionalData(hexData, winType, args); });
}

void dcMessagePack::slot_receivedUpdates(QByteArray hexData)
{
    if (hexData.isEmpty())
        return;
    QtConcurrent::run(&pool, [this, hexData] { processUpdates(hexData); });
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
    if (hexData.isEmpty())
        return;
    // A refusal must not be confirmed as sent.
    const Reply reply = unpackReply(hexData);
    if (!reply.readable || isMap(reply.value)) {
        emit on_receviedError(wtOrders, serverErrorText(reply.errorCode), noPaper);
        return;
    }

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
    else
        return;

    const QString side = orderObject.value(QStringLiteral("action")).toInt() < 0 ? tr("Продажу") : tr("Покупку");
    const int amount = orderObject.value(QStringLiteral("amount")).toInt();
    emit on_infoMessage(message.arg(side, paper->ticker(), QString::number(amount)), 5000);
}

// ---- market data -----------------------------------------------------------

QJsonObject dcMessagePack::buildQuotes(const QVariantList& list, int start) const
{
    QJsonObject quote;
    if (start < 0 || list.size() - start < 18)
        return quote;
    auto v = [&](int k) -> const QVariant& { return list.at(start + k); };
    quote.insert(QLatin1String("paperID"), v(0).toInt());
    quote.insert(QLatin1String("buy"), v(1).toDouble());
    quote.insert(QLatin1String("toBuy"), v(2).toInt());
    quote.insert(QLatin1String("sell"), v(3).toDouble());
    quote.insert(QLatin1String("toSell"), v(4).toInt());
    quote.insert(QLatin1String("toBuyTotal"), v(5).toInt());
    quote.insert(QLatin1String("toSellTotal"), v(6).toInt());
    quote.insert(QLatin1String("open"), v(7).toDouble());
    quote.insert(QLatin1String("max"), v(8).toDouble());
    quote.insert(QLatin1String("min"), v(9).toDouble());
    quote.insert(QLatin1String("last"), v(10).toDouble());
    quote.insert(QLatin1String("avg"), v(11).toDouble());
    quote.insert(QLatin1String("paperVol"), v(12).toInt());
    quote.insert(QLatin1String("volume"), v(13).toInt());
    quote.insert(QLatin1String("moneyVol"), v(14).toDouble());
    quote.insert(QLatin1String("bestBuy"), v(15).toDouble());
    quote.insert(QLatin1String("bestSell"), v(16).toDouble());
    quote.insert(QLatin1String("price"), v(17).toDouble());
    return quote;
}

QJsonArray dcMessagePack::buildOrderBook(const QVariantList& list, int start) const
{
    QJsonArray levels;
    const int n = groupCount(list, start, 4);
    for (int i = 0; i < n; ++i) {
        const int at = start + i * 4;
        QJsonObject level;
        level.insert(QLatin1String("action"), list.at(at).toInt());
        level.insert(QLatin1String("amount"), list.at(at + 1).toInt());
        level.insert(QLatin1String("price"), list.at(at + 2).toDouble());
        level.insert(QLatin1String("yeild"), list.at(at + 3).toDouble());
        levels.append(level);
    }
    return levels;
}

QJsonArray dcMessagePack::buildLastTrades(const QVariantList& list, int start) const
{
    QJsonArray trades;
    const int n = groupCount(list, start, 4);
    for (int i = 0; i < n; ++i) {
        const int at = start + i * 4;
        QJsonObject trade;
        trade.insert(QLatin1String("unixtime"), list.at(at).toLongLong());
        trade.insert(QLatin1String("amount"), list.at(at + 1).toInt());
        trade.insert(QLatin1String("price"), list.at(at + 2).toDouble());
        trade.insert(QLatin1String("dealID"), list.at(at + 3).toLongLong());
        trades.append(trade);
    }
    return trades;
}

void dcMessagePack::buildCandles(const QVariantList& entry)
{
    if (entry.size() <= 2)
        return;
    QJsonArray candles;
    const int n = groupCount(entry, 3, 7);
    for (int i = 0; i < n; ++i)
        candles.append(candleObject(entry, 3 + i * 7));
    QJsonObject message;
    message.insert(QLatin1String("updateType"), entry.at(2).toInt());
    message.insert(QLatin1String("candles"), candles);
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

} // namespace

QJsonObject dcMessagePack::buildOrders(QVariantList::const_iterator begin, QVariantList::const_iterator end) const
{
    QJsonObject result;
    for (auto it = begin; it != end; ++it) {
        const QVariantMap element = it->toMap();
        const QString account = text(element.value(QStringLiteral("part_id")));
        QJsonArray orders;
        const QVariantList values = element.value(QStringLiteral("orders")).toList();
        const int n = values.size() / 20;
        for (int i = 0; i < n; ++i) {
            auto v = [&](int k) -> const QVariant& { return values.at(i * 20 + k); };
            QJsonObject order;
            order.insert(QLatin1String("order_id"), v(0).toInt());
            order.insert(QLatin1String("date"), v(1).toString());
            order.insert(QLatin1String("time"), v(2).toString());
            order.insert(QLatin1String("paper_id"), v(3).toInt());
            order.insert(QLatin1String("act"), v(4).toInt());
            order.insert(QLatin1String("amount"), v(5).toInt());
            order.insert(QLatin1String("price"), v(6).toDouble());
            order.insert(QLatin1String("balance"), v(7).toDouble());
            order.insert(QLatin1String("status"), v(8).toInt());
            order.insert(QLatin1String("type"), v(9).toInt());
            order.insert(QLatin1String("limitation"), v(10).toInt());
            order.insert(QLatin1String("reason"), text(v(11)));
            order.insert(QLatin1String("fcond"), v(12).toInt());
            order.insert(QLatin1String("scond"), v(13).toInt());
            order.insert(QLatin1String("isMarket1"), v(14).toInt());
            order.insert(QLatin1String("isMarket2"), v(15).toInt());
            order.insert(QLatin1String("ifPrice1"), v(16).toDouble());
            order.insert(QLatin1String("stopPrice1"), v(17).toDouble());
            order.insert(QLatin1String("ifPrice2"), v(18).toDouble());
            order.insert(QLatin1String("stopPrice2"), v(19).toDouble());
            orders.append(order);
        }
        appendUnder(result, account, orders);
    }
    return result;
}

QJsonObject dcMessagePack::buildTrades(QVariantList::const_iterator begin, QVariantList::const_iterator end) const
{
    QJsonObject result;
    for (auto it = begin; it != end; ++it) {
        const QVariantMap element = it->toMap();
        const QString account = text(element.value(QStringLiteral("part_id")));
        QJsonArray trades;
        const QVariantList values = element.value(QStringLiteral("trades")).toList();
        const int n = values.size() / 11;
        for (int i = 0; i < n; ++i) {
            auto v = [&](int k) -> const QVariant& { return values.at(i * 11 + k); };
            QJsonObject trade;
            trade.insert(QLatin1String("trade_id"), v(0).toInt());
            trade.insert(QLatin1String("date"), v(1).toString());
            trade.insert(QLatin1String("time"), v(2).toString());
            trade.insert(QLatin1String("paper_id"), v(3).toInt());
            trade.insert(QLatin1String("act"), v(4).toInt());
            trade.insert(QLatin1String("amount"), v(5).toInt());
            trade.insert(QLatin1String("price"), v(6).toDouble());
            trade.insert(QLatin1String("total"), v(7).toDouble());
            trade.insert(QLatin1String("comiss"), v(8).toDouble());
            trade.insert(QLatin1String("account"), v(9).toDouble());
            trade.insert(QLatin1String("note"), text(v(10)));
            trades.append(trade);
        }
        appendUnder(result, account, trades);
    }
    return result;
}

QJsonObject dcMessagePack::buildPositions(QVariantList::const_iterator begin, QVariantList::const_iterator end) const
{
    const QString positionKey = QStringLiteral("position");
    const QString moneyKey = QStringLiteral("money");
    const QString marginKey = QStringLiteral("margin");
    QJsonObject result;
    for (auto it = begin; it != end; ++it) {
        const QVariantMap element = it->toMap();
        const QString account = text(element.value(QStringLiteral("part_id")));

        QJsonArray positions;
        const QVariantList values = element.value(positionKey).toList();
        const int n = values.size() / 8;
        for (int i = 0; i < n; ++i) {
            auto v = [&](int k) -> const QVariant& { return values.at(i * 8 + k); };
            QJsonObject position;
            position.insert(QLatin1String("paper_id"), v(0).toInt());
            position.insert(QLatin1String("bdate"), v(1).toString());
            position.insert(QLatin1String("amount"), v(2).toInt());
            position.insert(QLatin1String("price"), v(3).toDouble());
            position.insert(QLatin1String("balance"), v(4).toDouble());
            position.insert(QLatin1String("blocked"), v(5).toInt());
            position.insert(QLatin1String("expected"), v(6).toInt());
            position.insert(QLatin1String("lastprice"), v(7).toDouble());
            positions.append(position);
        }

        QJsonObject money;
        const QVariantList m = element.value(moneyKey).toList();
        if (m.size() >= 6) {
            money.insert(QLatin1String("balance"), m.at(0).toDouble());
            money.insert(QLatin1String("blocked"), m.at(1).toDouble());
            money.insert(QLatin1String("expected"), m.at(2).toDouble());
            money.insert(QLatin1String("go"), m.at(3).toDouble());
            money.insert(QLatin1String("profit"), m.at(4).toDouble());
            money.insert(QLatin1String("pmarga"), m.at(5).toDouble());
        }

        QJsonObject margin;
        const QVariantList g = element.value(marginKey).toList();
        if (g.size() >= 3) {
            margin.insert(QLatin1String("marg_portfolio"), g.at(0).toDouble());
            margin.insert(QLatin1String("min_marga"), g.at(1).toDouble());
            margin.insert(QLatin1String("init_marga"), g.at(2).toDouble());
        }

        QJsonObject accountObject;
        if (result.contains(account)) {
            accountObject = result.value(account).toObject();
            QJsonArray stored = accountObject.value(positionKey).toArray();
            for (const QJsonValue& p : qAsConst(positions))
                stored.append(p);
            positions = stored;
        }
        accountObject.insert(positionKey, positions);
        accountObject.insert(moneyKey, money);
        accountObject.insert(marginKey, margin);
        result.insert(account, accountObject);
    }
    return result;
}

// ---- instruments -----------------------------------------------------------

QVector<QSharedPointer<kuPaperInfo>> dcMessagePack::buildPapers(const QVariantList& list) const
{
    QVector<QSharedPointer<kuPaperInfo>> papers;
    const int n = list.size() / 14;
    papers.reserve(n);
    for (int i = 0; i < n; ++i) {
        auto v = [&](int k) -> const QVariant& { return list.at(i * 14 + k); };
        papers.append(QSharedPointer<kuPaperInfo>(
                new kuPaperInfo(v(0).toInt(), text(v(9)), text(v(10)), v(1).toInt(), v(2).toInt(), v(6).toDouble(),
                                v(7).toDouble(), v(4).toInt(), v(8).toDouble(), v(5).toInt() != 0, text(v(11)),
                                text(v(12)), v(3).toInt(), text(v(13)))));
    }
    return papers;
}

// ---- rows for the local database ---------------------------------------------

void dcMessagePack::storeCandles(int paperID, const QVariantList& list)
{
    // Re-sent candles replace what is stored: the newest one may have been stored while still forming.
    const QString insert = QStringLiteral(
            "insert or replace into %1 (open, high, low, close, volume, min) values (?, ?, ?, ?, ?, ?);");
    QVector<Statement> batch{{insert.arg(candleTableName(paperID)), {}},
                             {insert.arg(candleHistTableName(paperID)), {}}};
    auto flush = [&] {
        if (batch[0].rows.isEmpty() && batch[1].rows.isEmpty())
            return;
        runTransaction(batch);
        batch[0].rows.clear();
        batch[1].rows.clear();
    };

    const int n = list.size() / 7;
    for (int i = 0; i < n; ++i) {
        auto v = [&](int k) -> const QVariant& { return list.at(i * 7 + k); };
        const qulonglong start = v(5).toULongLong();
        const double open = v(0).toDouble();
        const double close = v(1).toDouble();
        const double high = v(2).toDouble();
        const double low = v(3).toDouble();
        const double volume = v(4).toDouble();
        const bool finite = std::isfinite(open) && std::isfinite(close) && std::isfinite(high) && std::isfinite(low) &&
                            std::isfinite(volume);
        const bool hasStart = start != 0 && start <= qulonglong(LLONG_MAX);
        if (hasStart && !finite) {
            qWarning() << "Candle of" << paperID << "at" << start << "has a non-finite value, skipped";
        } else if (hasStart) {
            Statement& target = v(6).toInt() == 1 ? batch[0] : batch[1];
            target.rows.append(QVariantList{rounded(open, 8), rounded(high, 8), rounded(low, 8), rounded(close, 8),
                                            rounded(volume, 0), qlonglong(start)});
        }
        if ((i + 1) % candleBatch == 0)
            flush();
    }
    flush();
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
