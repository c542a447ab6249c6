#include "kupluginmanagersources.h"

namespace {
std::function<kuAbstractConn*()>& connectionSource()
{
    static std::function<kuAbstractConn*()> source;
    return source;
}

std::function<kuAbstractDataConverter*()>& converterSource()
{
    static std::function<kuAbstractDataConverter*()> source;
    return source;
}
} // namespace

void kuPluginManagerSources::setConnection(std::function<kuAbstractConn*()> source)
{
    connectionSource() = std::move(source);
}

void kuPluginManagerSources::setConverter(std::function<kuAbstractDataConverter*()> source)
{
    converterSource() = std::move(source);
}

kuAbstractConn* kuPluginManagerSources::connection()
{
    return connectionSource() ? connectionSource()() : nullptr;
}

kuAbstractDataConverter* kuPluginManagerSources::converter()
{
    return converterSource() ? converterSource()() : nullptr;
}
