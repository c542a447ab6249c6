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

// A base folder of the XDG variable, or its default below the home folder. A relative
// value is not one the variable may hold: it is ignored, as the standard asks.
QString xdgFolder(const char* variable, const QStringList& fallback)
{
    const QString value = QFile::decodeName(qgetenv(variable));
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return joinPath(QStringList{QDir::homePath()} + fallback);
}

} // namespace

namespace kuPaths {

QString configHome()
{
    return xdgFolder("XDG_CONFIG_HOME", {QStringLiteral(".config")});
}

QString dataHome()
{
    return xdgFolder("XDG_DATA_HOME", {QStringLiteral(".local"), QStringLiteral("share")});
}

bool isInstalled()
{
    const QString folder = QDir(QCoreApplication::applicationDirPath()).canonicalPath();
    return folder.endsWith(QStringLiteral("/lib/velmoran/bin"));
}

QString userGuideFile()
{
    const QString program = QCoreApplication::applicationDirPath();
    if (isInstalled())
        return QDir::cleanPath(program + QStringLiteral("/../../../share/doc/velmoran/Velmoran.pdf"));
    return program + QStringLiteral("/doc/Velmoran.pdf");
}

QString configPath()
{
    const QString path = ensureFolder(joinPath({configHome(), QStringLiteral("Velmoran")}));
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
