#pragma once

#include <QList>
#include <QSharedPointer>
#include <QStringList>
#include <QVector>

#include "connectplugininterface.h"
#include "kupaths.h"
#include "kupluginregistry.h"
#include "widgetplugininterface.h"

// Plug-ins of the wanted interface and kind found in folders, in discovery
// order. The same library always yields the same shared pointer; releasing it
// never unloads or deletes the plug-in.
template <class Interface>
QList<QSharedPointer<Interface>> loadPlugins(int kind, const QStringList& folders)
{
    QList<QSharedPointer<Interface>> result;
    const QStringList files = kuPluginRegistry::pluginFiles(folders);
    for (const QString& file : files) {
        const QSharedPointer<QObject> root = kuPluginRegistry::rootInstance(file);
        const QSharedPointer<Interface> plugin = qSharedPointerObjectCast<Interface>(root);
        if (plugin && plugin->type() == kind)
            result.append(plugin);
    }
    return result;
}

// The same over the application's plug-in folders: the configuration
// folder's first, then the one beside the executable.
template <class Interface>
QList<QSharedPointer<Interface>> loadPlugins(int kind)
{
    return loadPlugins<Interface>(kind, kuPaths::pluginPaths());
}

// Orders connection plug-ins by priority, higher first; plug-ins of equal
// priority keep the order they were found in.
void sortByPriority(QVector<QSharedPointer<ConnectPluginInterface>>& plugins);
