#include "kupluginmanagersources.h"

#include "kuconnectionmanager.h"

namespace {
kuAbstractConnectionManager* g_manager = nullptr;

kuAbstractConnectionManager* manager()
{
    return g_manager ? g_manager : kuConnectionManager::instance().data();
}
} // namespace

void kuPluginManagerSources::setConnectionManager(kuAbstractConnectionManager* manager)
{
    g_manager = manager;
}

kuAbstractConn* kuPluginManagerSources::connection()
{
    kuAbstractConnectionManager* m = manager();
    return m ? m->connection().data() : nullptr;
}

kuAbstractDataConverter* kuPluginManagerSources::converter()
{
    kuAbstractConnectionManager* m = manager();
    return m ? m->dataConverter().data() : nullptr;
}
