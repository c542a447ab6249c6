#include "qsparelinkconn.h"

#include "kuconnectplugin.h"

qSparelinkConn::qSparelinkConn(QObject* parent) : kuMainConn(VELMORAN_SERVER_URL, parent)
{}
