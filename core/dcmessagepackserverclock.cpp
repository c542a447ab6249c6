#include "dcmessagepack.h"

#include "serverclock.h"

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
