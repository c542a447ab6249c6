#pragma once

#include "kumainconn.h"

// The connection of this build, bound to its server.
class qSparelinkConn : public kuMainConn
{
    Q_OBJECT

public:
    explicit qSparelinkConn(QObject* parent = nullptr);
};
