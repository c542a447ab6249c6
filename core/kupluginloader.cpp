#include "kupluginloader.h"

#include <algorithm>

void sortByPriority(QVector<QSharedPointer<ConnectPluginInterface>>& plugins)
{
    std::stable_sort(plugins.begin(), plugins.end(),
                     [](const QSharedPointer<ConnectPluginInterface>& a,
                        const QSharedPointer<ConnectPluginInterface>& b) { return a->priority() > b->priority(); });
}
