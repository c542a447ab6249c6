#pragma once

class kuAbstractConn;
class kuAbstractDataConverter;

// Raw replies of the connection into the converter, and the login outcome
// back to the connection. The connection manager and tests wire this way.
void wireConnection(kuAbstractConn* connection, kuAbstractDataConverter* converter);
