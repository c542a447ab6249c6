#include "qmainlinkconn.h"

#include "kuconnectplugin.h"

qMainlinkConn::qMainlinkConn(QObject* parent)
    : kuMainConn(QStringLiteral(VELMORAN_SERVER_URL), parent)
{
}
