#include "qmainlinkconnplugin.h"

#include "qmainlinkconn.h"

qMainlinkConnPlugin::qMainlinkConnPlugin(QObject* parent)
    : kuConnectPlugin(tr("Основной сервер"), QByteArrayLiteral("ku_mainlink_win_x86_mingw"), 10, VELMORAN_SERVER_URL,
                      parent)
{}

QPointer<kuAbstractConn> qMainlinkConnPlugin::create(QObject* parent)
{
    return new qMainlinkConn(parent);
}
