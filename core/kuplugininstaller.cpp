#include "kuplugininstaller.h"

#include "kupaths.h"
#include "kuplugintable.h"

#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QObject>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

void kuPluginInstaller::removePendingPlugins()
{
    kuPluginTable table;
    table.clearUnusablePending(psRemovePending);
    const QStringList names = table.pendingNames(psRemovePending);
    if (names.isEmpty())
        return;
    const QStringList folders = kuPaths::pluginPaths();
    for (const QString& name : names) {
        const QString fileName = kuPluginTable::pluginFileName(name);
        bool removedAll = true;
        for (const QString& folder : folders) {
            // Exact names only: a name is never used as a pattern.
            QDirIterator it(QDir(folder).absolutePath(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                it.next();
                if (it.fileName() != fileName)
                    continue;
                QFile file(it.filePath());
                if (!file.remove()) {
                    removedAll = false;
                    qWarning().noquote() << QObject::tr("Не удалось удалить модуль: ") + it.fileName() +
                                                    QLatin1Char(' ') + file.errorString();
                }
            }
        }
        // A failed removal is tried again at the next start.
        if (removedAll)
            table.clearPending(psRemovePending, name);
    }
}

void kuPluginInstaller::installPendingPlugins()
{
    kuPluginTable table;
    table.clearUnusablePending(psInstallPending);
    const QStringList names = table.pendingNames(psInstallPending);
    if (names.isEmpty())
        return;
    const QString downloads = downloadFolder();
    if (downloads.isEmpty()) {
        qWarning() << "The plug-in download folder is missing or not private; nothing installed";
        return;
    }
    const QString target = QDir(kuPaths::configPath()).filePath(QStringLiteral("plugins"));
    QDir().mkpath(target);
    for (const QString& name : names) {
        const QString fileName = kuPluginTable::pluginFileName(name);
        const QString source = QDir(downloads).filePath(fileName);
        if (!QFile::exists(source)) {
            table.clearPending(psInstallPending, name);
            continue;
        }
        const QString destination = QDir(target).filePath(fileName);
        QFile file(source);
        bool ok = true;
        if (QFile::exists(destination)) {
            QFile old(destination);
            ok = old.remove();
            if (!ok)
                qWarning().noquote() << QObject::tr("Не удалось установить модуль: ") + fileName + QLatin1Char(' ') +
                                                old.errorString();
        }
        if (ok && !file.copy(destination)) {
            ok = false;
            qWarning().noquote() << QObject::tr("Не удалось установить модуль: ") + fileName + QLatin1Char(' ') +
                                            file.errorString();
        }
        if (ok) {
            QFile::remove(source);
            table.clearPending(psInstallPending, name);
        }
    }
}

QString kuPluginInstaller::downloadFolder()
{
    const QString path = QDir(kuPaths::configPath()).filePath(QStringLiteral("downloads"));
    QDir().mkpath(path);
    const QFileInfo info(path);
    // A folder planted by someone else must not receive libraries we later load.
    if (info.isSymLink() || !info.isDir())
        return QString();
#ifdef Q_OS_UNIX
    if (info.ownerId() != ::getuid())
        return QString();
#endif
    if (!QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner))
        return QString();
    return info.absoluteFilePath();
}
