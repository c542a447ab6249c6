#pragma once

#include "kumainconn.h"

// The connection of this build, bound to its server.
class qMainlinkConn : public kuMainConn
{
    Q_OBJECT

public:
    explicit qMainlinkConn(QObject* parent = nullptr);
};
