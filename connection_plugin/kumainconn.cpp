#include "kumainconn.h"

kuMainConn::kuMainConn(const QString& serverUrl, QObject* parent)
    : kuAbstractConn(parent)
    , m_serverUrl(serverUrl)
{
}

QString kuMainConn::serverUrl() const
{
    return m_serverUrl;
}
