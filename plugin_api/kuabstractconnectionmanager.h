#pragma once

#include <QPointer>

#include "kuabstractconn.h"
#include "kuabstractdataconverter.h"

// What windows need of the connection manager: the current connection and the
// converter that reads its replies.
class kuAbstractConnectionManager
{
public:
    virtual ~kuAbstractConnectionManager() = default;

    virtual QPointer<kuAbstractConn> connection() = 0;
    virtual QPointer<kuAbstractDataConverter> dataConverter() = 0;
};
