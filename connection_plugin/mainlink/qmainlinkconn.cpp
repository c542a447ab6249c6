#include "qmainlinkconn.h"

#include "kuconnectplugin.h"

qMainlinkConn::qMainlinkConn(QObject* parent) : kuMainConn(VELMORAN_SERVER_URL, parent)
{}
