#pragma once

#include <functional>

class kuAbstractConn;
class kuAbstractDataConverter;

// Where the plug-in manager finds the current connection and converter.
// Start-up points these at the connection manager; unset, they give null.
class kuPluginManagerSources
{
public:
    kuPluginManagerSources() = delete;

    static void setConnection(std::function<kuAbstractConn*()> source);
    static void setConverter(std::function<kuAbstractDataConverter*()> source);
    static kuAbstractConn* connection();
    static kuAbstractDataConverter* converter();
};
