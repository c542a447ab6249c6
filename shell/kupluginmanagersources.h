#pragma once

class kuAbstractConn;
class kuAbstractConnectionManager;
class kuAbstractDataConverter;

// Where the plug-in manager finds the current connection and converter: the
// process-wide connection manager unless another one is set (tests do).
class kuPluginManagerSources
{
public:
    kuPluginManagerSources() = delete;

    // Not owned; null returns to the process-wide manager.
    static void setConnectionManager(kuAbstractConnectionManager* manager);
    static kuAbstractConn* connection();
    static kuAbstractDataConverter* converter();
};
