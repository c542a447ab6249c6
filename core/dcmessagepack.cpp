#include "dcmessagepack.h"

#include "dcmessagepackvalues.h"
#include "dcmessagepackwarnings.h"
#include "kuaccount.h"
#include "kucandlestore.h"
#include "kupaperlist.h"
#include "kurepeatedwarnings.h"
#include "serverclock.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>
#include <QtConcurrent/QtConcurrentRun>

using namespace dcMessagePackImpl;

namespace {

const QString errorCodeKey = QStringLiteral("error_code");

} // namespace

namespace dcMessagePackImpl {

kuRepeatedWarnings& repeatedWarnings()
{
    static kuRepeatedWarnings warnings;
    return warnings;
}

void warnUnreadable(const QString& error)
{
    qint64 unlogged = 0;
    if (repeatedWarnings().note(QStringLiteral("unreadable"), &unlogged))
        qWarning().noquote() << "Unreadable reply:" << error
                             << (unlogged ? QStringLiteral("(%1 more since)").arg(unlogged) : QString());
}

} // namespace dcMessagePackImpl

dcMessagePack::dcMessagePack(QObject* parent) : kuAbstractDataConverter(parent), candleStore(new kuCandleStore)
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
    kuMsgPackReader& reader = threadReader();
    QString error;
    if (!reader.readHex(hexData, &error)) {
        warnUnreadable(error);
        return reply;
    }
    reply.readable = true;
    reply.value = kuMsgPackReader::toVariant(reader.root());
    if (reader.root().type == MSGPACK_OBJECT_MAP) {
        reply.isError = true;
        reply.errorCode = toInt(mapValue(reader.root(), errorCodeField));
    } else if (reader.root().type != MSGPACK_OBJECT_ARRAY) {
        reply.isError = true;
    }
    return reply;
}

const msgpack_object& dcMessagePack::decodeList(kuMsgPackReader& reader, WinType winType, const QByteArray& hexData,
                                                int paperID)
{
    if (hexData.isEmpty()) {
        reportFailedRequest(winType);
        return emptyList();
    }
    QString error;
    int errorCode = 0;
    if (!reader.readHex(hexData, &error)) {
        warnUnreadable(error);
    } else {
        const msgpack_object& root = reader.root();
        if (root.type == MSGPACK_OBJECT_ARRAY)
            return root;
        if (root.type == MSGPACK_OBJECT_MAP)
            errorCode = toInt(mapValue(root, errorCodeField));
    }
    emit on_receviedError(winType, serverErrorText(errorCode), paperID);
    return emptyList();
}

void dcMessagePack::reportFailedRequest(WinType winType)
{
    static const QHash<int, const char*> names{{wtQuotes, QT_TR_NOOP("котировки")},
                                               {wtChart, QT_TR_NOOP("свечи графика")},
                                               {wtOrderBook, QT_TR_NOOP("биржевые заявки")},
                                               {wtLastTrades, QT_TR_NOOP("все сделки")},
                                               {wtPortfolio, QT_TR_NOOP("состояние счёта")},
                                               {wtOrders, QT_TR_NOOP("поручения")},
                                               {wtTrades, QT_TR_NOOP("сделки")},
                                               {wtReportData, QT_TR_NOOP("данные отчёта")},
                                               {wtPluginList, QT_TR_NOOP("список расширений")}};
    qWarning().noquote() << "Request of stream" << int(winType) << "failed: no reply body";
    if (winType == wtInitInfo) {
        emit on_errorMessage(
                tr("Список инструментов не получен: запрос к серверу не выполнен. Он будет запрошен снова."),
                failedRequestMs);
    } else if (const char* name = names.value(winType)) {
        emit on_errorMessage(tr("Запрос к серверу не выполнен: %1.").arg(tr(name)), failedRequestMs);
    }
}

QVariantList dcMessagePack::decode(WinType winType, const QByteArray& hexData, int paperID)
{
    return kuMsgPackReader::toVariant(decodeList(threadReader(), winType, hexData, paperID)).toList();
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
        accounts->addAccount(koi8Text(values.at(0)), values.at(2).toInt() > 0, values.at(1).toInt(), exchanges);
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
    const msgpack_object& list = decodeList(threadReader(), winType, hexData, noPaper);
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
    const msgpack_object& list = decodeList(threadReader(), winType, hexData, noPaper);
    const Elements elements = elementsOf(list);
    const msgpack_object* const begin = elements.ptr;
    const msgpack_object* const end = elements.ptr + elements.size;
    switch (winType) {
    case wtPortfolio:
        emit on_snapshotPositions(buildPositions(begin, end));
        break;
    case wtOrders:
        emit on_snapshotOrders(buildOrders(begin, end));
        break;
    case wtTrades:
        emit on_snapshotTrades(buildTrades(begin, end));
        break;
    case wtInitInfo: {
        // A list that never came is no empty list: the windows wait for the one asked for again.
        if (hexData.isEmpty()) {
            m_papersWanted = true;
            break;
        }
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
    kuMsgPackReader& reader = threadReader();
    QString error;
    const bool readable = reader.readHex(hexData, &error);
    if (!readable)
        warnUnreadable(error);
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
    if (!reply.readable || reply.value.userType() == QMetaType::QVariantMap) {
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
        message = tr("Поручение на %1 %2 в количестве %3. Успешно отправлено.");
    else if (type == 1003)
        message = tr("Запрос на отмену поручения на %1 по инструменту %2 в количестве %3. Успешно отправлен.");
    else if (type == 1010 || type == 1011)
        message = tr("Стоп-поручение на %1 %2 в количестве %3. Успешно отправлено.");
    else if (type == 1012)
        message = tr("Запрос на отмену стоп-поручения на %1 по инструменту %2 в количестве %3. Успешно отправлен.");
    else
        return;

    // -1 from the order entry dialog; cancels from the orders window carry the order's kind (2 sell, 6 stop sell).
    const int action = orderObject.value(QStringLiteral("action")).toInt();
    const QString side = action < 0 || action == 2 || action == 6 ? tr("Продажу") : tr("Покупку");
    const int amount = orderObject.value(QStringLiteral("amount")).toInt();
    emit on_infoMessage(message.arg(side, paper->ticker(), QString::number(amount)), 5000);
}
