#include "dcmessagepack.h"

#include "dcmessagepackvalues.h"
#include "kuaccount.h"

#include <QSet>

using namespace dcMessagePackImpl;

namespace {

const QString errorCodeKey = QStringLiteral("error_code");

} // namespace

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
