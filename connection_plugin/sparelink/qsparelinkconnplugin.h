#pragma once

#include "kuconnectplugin.h"

class qSparelinkConnPlugin : public kuConnectPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID ConnectPluginInterface_iid)
    Q_INTERFACES(ConnectPluginInterface)

public:
    explicit qSparelinkConnPlugin(QObject* parent = nullptr);

    QPointer<kuAbstractConn> create(QObject* parent) override;
};
