#include "kupaths.h"

#include <QCoreApplication>
#include <QDir>

namespace {

QString joinPath(const QStringList& parts)
{
    return parts.join(QDir::separator());
}

QString ensureFolder(const QString& path)
{
    QDir dir(path);
    if (!dir.exists())
        dir.mkpath(QStringLiteral("."));
    return path;
}

} // namespace

namespace kuPaths {

QString configPath()
{
    return ensureFolder(joinPath({QDir::homePath(), QStringLiteral(".config"), QStringLiteral("Velmoran")}));
}

QString defaultSettingsFile()
{
    return joinPath({configPath(), QStringLiteral("Velmoran") + QStringLiteral("_v2") + QStringLiteral(".vlm")});
}

QStringList pluginPaths()
{
    return {ensureFolder(joinPath({configPath(), QStringLiteral("plugins")})),
            ensureFolder(joinPath({QCoreApplication::applicationDirPath(), QStringLiteral("plugins")}))};
}

} // namespace kuPaths
