#include "kusetaside.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFileInfo>

namespace {

// A dangling link still takes the name.
bool taken(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

QString candidate(const QString& path, const QString& stamp, int number)
{
    const QFileInfo info(path);
    QString name = info.completeBaseName() + QStringLiteral(".damaged-") + stamp;
    if (number > 1)
        name += QLatin1Char('-') + QString::number(number);
    if (!info.suffix().isEmpty())
        name += QLatin1Char('.') + info.suffix();
    return info.dir().filePath(name);
}

} // namespace

namespace kuSetAside {

QString freeName(const QString& path, const QStringList& companions)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int number = 1; number < 10000; ++number) {
        const QString name = candidate(path, stamp, number);
        bool free = !taken(name);
        for (const QString& suffix : companions)
            free = free && !taken(name + suffix);
        if (free)
            return name;
    }
    return QString();
}

QString setAside(const QString& path, const QString& target, const QStringList& companions, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return QString();
    };
    // The file's companions first and the file last, so that it never stands alone
    // beside them under either name.
    QStringList present;
    for (const QString& suffix : companions + QStringList{QString()}) {
        if (taken(path + suffix))
            present << suffix;
    }
    if (present.isEmpty())
        return fail(QStringLiteral("nothing at %1").arg(path));
    const QString name = target.isEmpty() ? freeName(path, companions) : target;
    if (name.isEmpty())
        return fail(QStringLiteral("no free name beside %1").arg(path));
    for (const QString& suffix : present) {
        if (taken(name + suffix))
            return fail(QStringLiteral("%1 could not be renamed to %2: taken").arg(path + suffix, name + suffix));
    }
    QStringList moved;
    for (const QString& suffix : present) {
        // QDir::rename never replaces what is already there.
        if (!QDir().rename(path + suffix, name + suffix)) {
            // All or nothing: a journal without its file, or a file without its journal, is worse than both kept.
            for (auto it = moved.crbegin(); it != moved.crend(); ++it) {
                if (!QDir().rename(name + *it, path + *it))
                    qCritical().noquote() << "Could not move" << name + *it << "back to" << path + *it;
            }
            return fail(QStringLiteral("%1 could not be renamed to %2").arg(path + suffix, name + suffix));
        }
        moved << suffix;
    }
    return name;
}

} // namespace kuSetAside
