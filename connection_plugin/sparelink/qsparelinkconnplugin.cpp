#include "qsparelinkconnplugin.h"

#include "qsparelinkconn.h"

qSparelinkConnPlugin::qSparelinkConnPlugin(QObject* parent)
    : kuConnectPlugin(tr("Резервный сервер"), QByteArrayLiteral("ku_sparelink_win_x86_mingw"), 5, VELMORAN_SERVER_URL,
                      parent)
{}

QPointer<kuAbstractConn> qSparelinkConnPlugin::create(QObject* parent)
{
    return new qSparelinkConn(parent);
}
