#include "dcmessagepack.h"

#include "kupaperlist.h"

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
    const QString side = action < 0 || action == 2 || action == 6 ? tr("продажу") : tr("покупку");
    const int amount = orderObject.value(QStringLiteral("amount")).toInt();
    emit on_infoMessage(message.arg(side, paper->ticker(), QString::number(amount)), 5000);
}
