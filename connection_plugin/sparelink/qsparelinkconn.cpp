#include "qsparelinkconn.h"

#include "kuconnectplugin.h"

qSparelinkConn::qSparelinkConn(QObject* parent)
    : kuMainConn(QStringLiteral(VELMORAN_SERVER_URL), parent)
{
}
