#include "kuconnectionwiring.h"

#include "dcmessagepack.h"
#include "kuabstractconn.h"
#include "kuabstractdataconverter.h"

#include <QDebug>

void wireConnection(kuAbstractConn* connection, kuAbstractDataConverter* converter)
{
    using C = kuAbstractConn;
    using D = kuAbstractDataConverter;
    QObject::connect(connection, &C::on_receivedAuthorizedData, converter, &D::slot_authorizedData);
    QObject::connect(converter, &D::on_statusAuthorization, connection, &C::statusAuthorization);
    QObject::connect(connection, &C::on_receivedMarketData, converter, &D::slot_marketDataReceived);
    QObject::connect(connection, &C::on_receivedTradeData, converter, &D::slot_tradeDataReceived);
    QObject::connect(connection, &C::on_receivedAdditionalData, converter, &D::slot_additionalDataReceived);
    QObject::connect(connection, &C::on_receivedDateTime, converter, &D::slot_snapshotDateTime);
    QObject::connect(connection, &C::on_receivedOrderStatus, converter, &D::slot_orderStatus);
    QObject::connect(connection, &C::on_receivedUpdates, converter, &D::slot_receivedUpdates);
    // A converter that acknowledges each decoded update lets the connection hold
    // back a poll while its last reply still waits: the backlog stays bounded.
    if (converter->metaObject()->indexOfSignal("on_updatesDecoded()") >= 0 &&
        connection->metaObject()->indexOfSlot("slot_updatesDecoded()") >= 0 &&
        QObject::connect(converter, SIGNAL(on_updatesDecoded()), connection, SLOT(slot_updatesDecoded())))
        QMetaObject::invokeMethod(connection, "setUpdatesAcknowledged", Q_ARG(bool, true));
    // Run where the connection lives, as every request of the program.
    if (auto* messages = qobject_cast<dcMessagePack*>(converter))
        QObject::connect(messages, &dcMessagePack::on_papersWanted, connection, [connection] {
            qInfo() << "The instrument list is asked for again";
            connection->getInitInfo();
        });
}
