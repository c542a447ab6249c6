#pragma once

#include <QMap>
#include <QSharedPointer>
#include <QString>
#include <QStringList>

class QObject;

// Process-wide record of the plug-in libraries loaded so far. The root object
// of a library belongs to Qt's plug-in loader, so it is handed out in one
// shared pointer per library that never deletes it; every caller of
// loadPlugins gets that same pointer. GUI thread only.
class kuPluginRegistry
{
public:
    kuPluginRegistry() = delete;

    // Root object of the plug-in library at filePath, loaded on first use;
    // null (after one warning) when the library does not load.
    static QSharedPointer<QObject> rootInstance(const QString& filePath);

    // Plug-in files below each folder, sub-folders included, in discovery
    // order: names "ku_*" that are libraries on this platform.
    static QStringList pluginFiles(const QStringList& folders);
};
