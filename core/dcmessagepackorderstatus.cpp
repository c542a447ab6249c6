#include "dcmessagepack.h"

#include "dcmessagepackvalues.h"
#include "dcmessagepackwarnings.h"
#include "kupaperlist.h"

using namespace dcMessagePackImpl;

void dcMessagePack::slot_orderStatus(QByteArray hexData, QJsonObject orderObject)
{
    // Order outcomes have a signal of their own: an orders-stream error would
    // close an orders window still awaiting its snapshot, and nobody else shows it.
    if (hexData.isEmpty()) {
        emit on_orderOutcome(orderObject, ooNoReply, QString());
        return;
    }
    // A server's refusal is a map with its code; the one confirmation is [orderId]. Any
    // other body, readable or not, proves nothing: the order may or may not have gone through.
    kuMsgPackReader& reader = threadReader();
    const bool readable = readReply(reader, hexData);
    const msgpack_object& root = reader.root();
    if (readable && root.type == MSGPACK_OBJECT_MAP) {
        emit on_orderOutcome(orderObject, ooRefused, serverErrorText(toInt(mapValue(root, errorCodeField))));
        return;
    }
    const Elements values = elementsOf(root);
    if (!readable || root.type != MSGPACK_OBJECT_ARRAY || values.size != 1 ||
        values.at(0).type != MSGPACK_OBJECT_POSITIVE_INTEGER || values.at(0).via.u64 == 0) {
        if (readable)
            qWarning() << "Order reply of request" << orderObject.value(QStringLiteral("type")).toInt()
                       << "is no confirmation:" << hexData.left(64);
        emit on_orderOutcome(orderObject, ooNoReply, QString());
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
    const QString side = action < 0 || action == 2 || action == 6 ? tr("продажу") : tr("покупку");
    const qint64 amount = kuKeys::wholeNumber(orderObject.value(QStringLiteral("amount")));
    emit on_infoMessage(message.arg(side, paper->ticker(), QString::number(amount)), 5000);
}
