#include "kupaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

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
    const QString path =
            ensureFolder(joinPath({QDir::homePath(), QStringLiteral(".config"), QStringLiteral("Velmoran")}));
    // Settings paths, proxy credentials and account data: for the user alone.
    const QFileInfo info(path);
    const auto owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    if (info.isDir() && !info.isSymLink() && info.ownerId() == uint(::getuid()) && info.permissions() != owner)
        QFile::setPermissions(path, owner);
    return path;
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
