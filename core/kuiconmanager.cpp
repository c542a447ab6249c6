#include "kuiconmanager.h"

#include <QCache>
#include <QDebug>
#include <QDir>
#include <QMap>
#include <QPair>
#include <QPixmapCache>
#include <QSet>

#include "kuapplication.h"

namespace {

struct Stores
{
    // (name, theme) -> path found, empty once the search came back empty.
    QMap<QPair<QString, QString>, QString> paths;
    QCache<QString, QIcon> icons{200};
    // Images that failed to load, so that they are warned about once.
    QSet<QString> failed;
};

Stores& stores()
{
    static Stores s;
    return s;
}

QString currentTheme()
{
    const QPointer<kuApplication> app = kuApplication::instance();
    return app ? app->themePath() : QStringLiteral(":/default");
}

} // namespace

QString kuIconManager::iconPath(const QString& name, const QString& theme)
{
    const QString folder = theme.isEmpty() ? currentTheme() : theme;
    const QPair<QString, QString> key(name, folder);
    auto& paths = stores().paths;
    const auto it = paths.constFind(key);
    // A miss is remembered too: the resource tree does not change while we run.
    if (it != paths.constEnd())
        return it.value();
    const QString path = scanDirectory(QDir(folder).absolutePath(), name, true);
    paths.insert(key, path);
    return path;
}

QString kuIconManager::scanDirectory(const QString& folder, const QString& name, bool descend)
{
    QDir dir(folder);
    const QFileInfoList matches = dir.entryInfoList(QStringList{name});
    if (!matches.isEmpty())
        return QDir::cleanPath(matches.first().absoluteFilePath());
    if (!descend)
        return QString();
    const QStringList subfolders = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& sub : subfolders) {
        const QString found = scanDirectory(dir.filePath(sub), name, true);
        if (!found.isEmpty())
            return found;
    }
    return QString();
}

QPixmap kuIconManager::pixmap(const QString& name, const QString& theme)
{
    const QString path = iconPath(name, theme);
    QPixmap result;
    if (!path.isEmpty() && QPixmapCache::find(path, &result))
        return result;
    const QString folder = theme.isEmpty() ? currentTheme() : theme;
    const QString failKey = path.isEmpty() ? folder + QLatin1Char('\n') + name : path;
    Stores& s = stores();
    if (s.failed.contains(failKey))
        return QPixmap();
    if (path.isEmpty() || !result.load(path)) {
        qWarning() << Q_FUNC_INFO << "Can't load pixmap" << path << "(" << folder << "/" << name << ")";
        s.failed.insert(failKey);
        return QPixmap();
    }
    if (!QPixmapCache::insert(path, result))
        qWarning() << Q_FUNC_INFO << "Can't insert pixmap" << path;
    return result;
}

QIcon kuIconManager::icon(const QString& name, const QString& theme)
{
    const QString path = iconPath(name, theme);
    auto& icons = stores().icons;
    if (!path.isEmpty()) {
        if (const QIcon* cached = icons.object(path))
            return *cached;
    }
    const QPixmap image = pixmap(name, theme);
    if (image.isNull())
        return QIcon();
    QIcon result;
    result.addPixmap(image, QIcon::Normal, QIcon::Off);
    if (!icons.insert(path, new QIcon(result), 1))
        qWarning() << Q_FUNC_INFO << "Can't insert icon" << path;
    return result;
}
