#pragma once

#include <QObject>
#include <QPointer>
#include <QtPlugin>

#include "kuabstractconn.h"
#include "kubaseplugininterface.h"

// A plug-in that makes connections to one trading server.
class ConnectPluginInterface : public kuBasePluginInterface
{
public:
    // The connection is a QObject child of parent, which owns it.
    virtual QPointer<kuAbstractConn> create(QObject* parent) = 0;
    virtual QString server() const = 0;
    // Key of the converter that reads this server's replies (3: MessagePack).
    virtual int dataType() const = 0;
    // Higher comes first.
    virtual quint8 priority() const = 0;
};

#define ConnectPluginInterface_iid "ru.Brenholt.Velmoran.ConnectPluginInterface"
Q_DECLARE_INTERFACE(ConnectPluginInterface, ConnectPluginInterface_iid)
