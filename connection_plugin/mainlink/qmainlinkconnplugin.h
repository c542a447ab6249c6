#pragma once

#include "kuconnectplugin.h"

class qMainlinkConnPlugin : public kuConnectPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID ConnectPluginInterface_iid)
    Q_INTERFACES(ConnectPluginInterface)

public:
    explicit qMainlinkConnPlugin(QObject* parent = nullptr);

    QPointer<kuAbstractConn> create(QObject* parent) override;
};
