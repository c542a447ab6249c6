#include "kudatabasestart.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>
#include <unistd.h>

#include "kufunctions.h"
#include "kumigration.h"
#include "kusetaside.h"
#include "queryworker.h"

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("kuDatabaseStart", text);
}

bool isDamage(int rc)
{
    rc &= 0xff;
    return rc == SQLITE_CORRUPT || rc == SQLITE_NOTADB;
}

kuDatabaseHealth health(kuDatabaseHealth::State state, const QString& reason)
{
    return kuDatabaseHealth{state, reason};
}

kuDatabaseHealth failedCall(sqlite3* db, int rc)
{
    return health(isDamage(rc) ? kuDatabaseHealth::Damaged : kuDatabaseHealth::Unusable,
                  QString::fromUtf8(sqlite3_errmsg(db)));
}

// One text column of every row of sql; a health other than Usable when it fails.
kuDatabaseHealth column(sqlite3* db, const QByteArray& sql, QStringList* values)
{
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(db, sql.constData(), sql.size(), &statement, nullptr);
    if (rc == SQLITE_OK) {
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
            values->append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))));
    }
    const kuDatabaseHealth result = rc == SQLITE_DONE ? kuDatabaseHealth() : failedCall(db, rc);
    sqlite3_finalize(statement);
    return result;
}

// The schema and the small tables; the candle cache may be large and is checked as it is read.
kuDatabaseHealth checkTables(sqlite3* db)
{
    QStringList tables{QStringLiteral("sqlite_master")};
    kuDatabaseHealth result = column(db,
                                     "select name from sqlite_master where type='table' "
                                     "and name in ('version', 'settings', 'plugins', 'sqlite_sequence');",
                                     &tables);
    for (int i = 0; result.state == kuDatabaseHealth::Usable && i < tables.size(); ++i) {
        QStringList answer;
        result = column(db, QStringLiteral("pragma quick_check(\"%1\");").arg(tables.at(i)).toUtf8(), &answer);
        if (result.state == kuDatabaseHealth::Usable && answer != QStringList{QStringLiteral("ok")})
            result = health(kuDatabaseHealth::Damaged,
                            QStringLiteral("table %1: %2").arg(tables.at(i), answer.value(0)));
    }
    return result;
}

} // namespace

QStringList databaseCompanions()
{
    return {QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral("-journal")};
}

kuDatabaseHealth checkDatabaseFile()
{
    const QString path = QueryWorker::databasePath();
    for (const QString& suffix : QStringList{QString()} + databaseCompanions()) {
        const QString file = path + suffix;
        const QFileInfo info(file);
        if (!info.exists() && !info.isSymLink())
            continue;
        if (!info.isFile())
            return health(kuDatabaseHealth::Damaged, QStringLiteral("%1 is not a regular file").arg(file));
        if (::access(QFile::encodeName(file).constData(), R_OK) != 0)
            return health(kuDatabaseHealth::Damaged, QStringLiteral("%1 cannot be read").arg(file));
    }
    QString error;
    int rc = SQLITE_OK;
    sqlite3* db = QueryWorker::openConnection(&error, &rc);
    if (!db)
        return health(isDamage(rc) ? kuDatabaseHealth::Damaged : kuDatabaseHealth::Unusable, error);
    const kuDatabaseHealth result = checkTables(db);
    sqlite3_close_v2(db);
    return result;
}

kuDatabaseStart prepareDatabase(const std::function<bool(const QString& question)>& askSetAside, QString* failure)
{
    const QString path = QueryWorker::databasePath();
    const kuDatabaseHealth found = checkDatabaseFile();
    bool replaced = false;
    if (found.state == kuDatabaseHealth::Damaged) {
        qCritical().noquote() << "Database" << path << "is damaged:" << found.reason;
        const QString target = kuSetAside::freeName(path, databaseCompanions());
        const QString question =
                tr("Файл базы данных %1 повреждён или недоступен для чтения.\n\n"
                   "Переименовать его в %2 и начать работу с новой базой данных? Файл сохранится под новым "
                   "именем; будут использованы настройки по умолчанию, история графиков будет заново загружена "
                   "с сервера.\n\n«Нет» — завершить работу.")
                        .arg(path, target);
        if (!askSetAside(question)) {
            qCritical() << "The damaged database was kept; the program stops.";
            return kuDatabaseStart::Declined;
        }
        QString error;
        const QString moved = kuSetAside::setAside(path, target, databaseCompanions(), &error);
        if (moved.isEmpty()) {
            qCritical().noquote() << "The damaged database could not be set aside:" << error;
            if (failure)
                *failure = tr("Не удалось переименовать файл базы данных %1.").arg(path) + QLatin1Char('\n') +
                           errorText(13);
            return kuDatabaseStart::Failed;
        }
        qWarning().noquote()
                << QStringLiteral("The damaged database was set aside as %1; a new one is made.").arg(moved);
        replaced = true;
    } else if (found.state == kuDatabaseHealth::Unusable) {
        qCritical().noquote() << "Database" << path << "cannot be used:" << found.reason;
    }
    if (!updateDatabaseSchema()) {
        if (failure)
            *failure = errorText(13);
        return kuDatabaseStart::Failed;
    }
    return replaced ? kuDatabaseStart::Replaced : kuDatabaseStart::Ready;
}
