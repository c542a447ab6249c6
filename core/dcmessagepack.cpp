#include "dcmessagepack.h"

#include "dcmessagepackvalues.h"
#include "dcmessagepackwarnings.h"
#include "kucandlestore.h"
#include "kurepeatedwarnings.h"

#include <QCoreApplication>
#include <QHash>

using namespace dcMessagePackImpl;

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
        qWarning().noquote() << "Unreadable reply:" << error << kuRepeatedWarnings::moreSince(unlogged);
}

bool readReply(kuMsgPackReader& reader, const QByteArray& hexData)
{
    QString error;
    if (reader.readHex(hexData, &error))
        return true;
    warnUnreadable(error);
    return false;
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
        t.insert(6, tr("Счет заблокирован. Пожалуйста, свяжитесь с менеджером Бренхольт."));
        t.insert(7, tr("Сессия закрыта. Если эта ошибка будет повторяться, пожалуйста, свяжитесь с Бренхольт."));
        t.insert(8, tr("Отсутствует информация о денежном счете. Пожалуйста, свяжитесь с менеджером Бренхольт."));
        t.insert(9, tr("Ошибка сетевого доступа."));
        t.insert(10, tr("Вы уже посылали запрос на отмену этого поручения."));
        t.insert(11, tr("Ошибка сериализации данных."));
        t.insert(12, tr("Неверный идентификатор связанного счета. Пожалуйста, свяжитесь с менеджером Бренхольт."));
        t.insert(13, tr("Неверный идентификатор плагина."));
        t.insert(90, tr("Вы не меняли пароль уже более года. Рекомендуем Вам сменить пароль."));
        t.insert(99, tr("Ошибка БД. Пожалуйста, свяжитесь с Бренхольт."));
        t.insert(0, tr("Сервер сообщил об ошибке с неизвестным кодом."));
        return t;
    }();
    return texts.value(code, texts.value(0));
}

dcMessagePack::Reply dcMessagePack::unpackReply(const QByteArray& hexData) const
{
    Reply reply;
    kuMsgPackReader& reader = threadReader();
    if (!readReply(reader, hexData))
        return reply;
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
    int errorCode = 0;
    if (readReply(reader, hexData)) {
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
                                               {wtPortfolio, QT_TR_NOOP("состояние счета")},
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
