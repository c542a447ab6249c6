#pragma once

#include "kuabstractconn.h"

// The connection to the broker's server at one base URL; both plug-in builds
// share it and differ only in the URL they give it.
class kuMainConn : public kuAbstractConn
{
    Q_OBJECT

public:
    kuMainConn(const QString& serverUrl, QObject* parent = nullptr);

    QString serverUrl() const override;

private:
    QString m_serverUrl;
};
