#include "kupluginregistry.h"

#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QLibrary>
#include <QPluginLoader>

namespace {

QMap<QString, QSharedPointer<QObject>>& roots()
{
    static QMap<QString, QSharedPointer<QObject>> map;
    return map;
}

} // namespace

QSharedPointer<QObject> kuPluginRegistry::rootInstance(const QString& filePath)
{
    const QFileInfo info(filePath);
    QString key = info.canonicalFilePath();
    if (key.isEmpty())
        key = info.absoluteFilePath();
    auto& map = roots();
    const auto it = map.constFind(key);
    if (it != map.constEnd())
        return it.value();

    QPluginLoader loader(key);
    if (!loader.load()) {
        qWarning().noquote() << loader.errorString();
        return QSharedPointer<QObject>();
    }
    QObject* root = loader.instance();
    if (!root)
        return QSharedPointer<QObject>();
    // The library stays loaded and Qt's loader deletes its root object;
    // deleting it here as well would free it twice.
    const QSharedPointer<QObject> shared(root, [](QObject*) {});
    map.insert(key, shared);
    return shared;
}

QStringList kuPluginRegistry::pluginFiles(const QStringList& folders)
{
    QStringList files;
    for (const QString& folder : folders) {
        QDirIterator it(QDir(folder).absolutePath(), QStringList{QStringLiteral("ku_*")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (QLibrary::isLibrary(path))
                files << it.fileInfo().absoluteFilePath();
        }
    }
    return files;
}
