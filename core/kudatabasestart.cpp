#include "kudatabasestart.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <sqlite3.h>
#include <unistd.h>

#include "kucandlestore.h"
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
    return kuDatabaseHealth{state, reason, QStringList()};
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

bool passes(const QStringList& answer)
{
    return answer == QStringList{QStringLiteral("ok")};
}

bool isCandleTable(const QString& name)
{
    return name.startsWith(QStringLiteral("tablechart_for_"));
}

// Left by earlier runs, which renamed a damaged candle table they could not drop.
bool isRenamedCandleTable(const QString& name)
{
    static const QRegularExpression renamed(QStringLiteral("^tablechart_for_-?\\d+(_hist)?_damaged_\\d+$"));
    return renamed.match(name).hasMatch();
}

// The whole file first; when SQLite finds damage, table by table, to tell the candle
// cache (dropped and fetched again) from the tables the program keeps.
kuDatabaseHealth checkTables(sqlite3* db)
{
    QStringList tables;
    kuDatabaseHealth result = column(db, "select name from sqlite_master where type='table' order by name;", &tables);
    if (result.state != kuDatabaseHealth::Usable)
        return result;
    QStringList cache;
    for (const QString& table : tables) {
        if (isRenamedCandleTable(table))
            cache << table;
    }
    QStringList answer;
    // SQLite tells some damage as rows, some by failing.
    const kuDatabaseHealth whole = column(db, "pragma quick_check;", &answer);
    if (whole.state == kuDatabaseHealth::Unusable)
        return whole;
    if (whole.state == kuDatabaseHealth::Usable && passes(answer)) {
        if (!cache.isEmpty())
            return kuDatabaseHealth{kuDatabaseHealth::CacheDamaged, QStringLiteral("renamed candle tables"), cache};
        return whole;
    }
    const QString found = (answer + QStringList{whole.reason}).join(QLatin1Char(' ')).simplified().left(200);
    for (const QString& table : QStringList{QStringLiteral("sqlite_master")} + tables) {
        if (cache.contains(table))
            continue;
        QStringList tableAnswer;
        const QString quoted = QString(table).replace(QLatin1Char('"'), QStringLiteral("\"\""));
        result = column(db, QStringLiteral("pragma quick_check(\"%1\");").arg(quoted).toUtf8(), &tableAnswer);
        const bool sound = result.state == kuDatabaseHealth::Usable && passes(tableAnswer);
        if (!sound && !isCandleTable(table))
            return health(kuDatabaseHealth::Damaged,
                          QStringLiteral("table %1: %2")
                                  .arg(table, tableAnswer.value(tableAnswer.size() - 1, result.reason)));
        if (!sound)
            cache << table;
    }
    // An instrument's cache goes whole, both its tables, as when the chart finds it damaged.
    for (const QString& table : QStringList(cache)) {
        const QString twin =
                table.endsWith(QStringLiteral("_hist")) ? table.chopped(5) : table + QStringLiteral("_hist");
        if (!isRenamedCandleTable(table) && tables.contains(twin) && !cache.contains(twin))
            cache << twin;
    }
    // With every table sound, the damage lies in pages no table uses: rebuilding the file mends it.
    return kuDatabaseHealth{kuDatabaseHealth::CacheDamaged, found, cache};
}

quint32 bigEndian(const QByteArray& bytes, int at, int size)
{
    quint32 value = 0;
    for (int i = 0; i < size; ++i)
        value = (value << 8) | quint8(bytes.at(at + i));
    return value;
}

// What the file's header and size tell: empty when they fit a database SQLite wrote.
// SQLite reads what a cut file lacks as zeros, and its WAL may hide the loss.
QString headerDamage(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("%1 cannot be read: %2").arg(path, file.errorString());
    const qint64 size = file.size();
    if (size == 0)
        return QString();
    const QByteArray header = file.read(100);
    if (header.size() < 100 || !header.startsWith(QByteArray("SQLite format 3\0", 16)))
        return QStringLiteral("no SQLite header");
    qint64 pageSize = bigEndian(header, 16, 2);
    if (pageSize == 1)
        pageSize = 65536;
    if (pageSize < 512 || pageSize > 65536 || (pageSize & (pageSize - 1)) != 0)
        return QStringLiteral("page size %1 in the header").arg(pageSize);
    if (size % pageSize != 0)
        return QStringLiteral("%1 bytes are no whole number of pages of %2 bytes").arg(size).arg(pageSize);
    // The page count is valid only when written with the change counter it names.
    const qint64 pages = bigEndian(header, 28, 4);
    if (pages > 0 && bigEndian(header, 24, 4) == bigEndian(header, 92, 4) && size < pages * pageSize)
        return QStringLiteral("cut short: %1 bytes of %2").arg(size).arg(pages * pageSize);
    return QString();
}

// SQLite's look at the file at path; readOnly when nothing may change it, so its own
// journal files are not read.
kuDatabaseHealth checkWithSqlite(const QString& path, bool readOnly)
{
    sqlite3* db = nullptr;
    const QByteArray name = readOnly ? "file:" + QFile::encodeName(path).toPercentEncoding("/") + "?immutable=1"
                                     : QFile::encodeName(path);
    const int flags = readOnly ? SQLITE_OPEN_READONLY | SQLITE_OPEN_URI : SQLITE_OPEN_READWRITE;
    const int rc = sqlite3_open_v2(name.constData(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    const kuDatabaseHealth result = rc == SQLITE_OK ? checkTables(db) : failedCall(db, rc);
    sqlite3_close_v2(db);
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
    bool journal = false;
    for (const QString& suffix : QStringList{QString()} + databaseCompanions()) {
        const QString file = path + suffix;
        const QFileInfo info(file);
        if (!info.exists() && !info.isSymLink())
            continue;
        if (!info.isFile())
            return health(kuDatabaseHealth::Damaged, QStringLiteral("%1 is not a regular file").arg(file));
        if (::access(QFile::encodeName(file).constData(), R_OK) != 0)
            return health(kuDatabaseHealth::Damaged, QStringLiteral("%1 cannot be read").arg(file));
        // The index beside a WAL is rebuilt from it; the WAL and a rollback journal hold data.
        journal = journal || (!suffix.isEmpty() && suffix != QStringLiteral("-shm"));
    }
    if (!QFileInfo::exists(path)) {
        // SQLite would read the journal into the new file.
        return journal ? health(kuDatabaseHealth::Damaged, QStringLiteral("a journal without its database"))
                       : kuDatabaseHealth();
    }
    const QString damage = headerDamage(path);
    if (!damage.isEmpty())
        return health(kuDatabaseHealth::Damaged, damage);
    if (!journal)
        return checkWithSqlite(path, true);
    // SQLite folds a journal into the file it reads, even through a read-only connection
    // it writes the WAL's index: the check reads copies, beside the file for room.
    QTemporaryDir copies(QFileInfo(path).absolutePath() + QStringLiteral("/Velmoran.db-check-XXXXXX"));
    if (!copies.isValid())
        return health(kuDatabaseHealth::Unusable, QStringLiteral("no folder for a copy: %1").arg(copies.errorString()));
    const QString copy = copies.filePath(QFileInfo(path).fileName());
    for (const QString& suffix : QStringList{QString(), QStringLiteral("-wal"), QStringLiteral("-journal")}) {
        if (QFileInfo::exists(path + suffix) && !QFile::copy(path + suffix, copy + suffix))
            return health(kuDatabaseHealth::Unusable,
                          QStringLiteral("%1 could not be copied for its check").arg(path + suffix));
    }
    return checkWithSqlite(copy, false);
}

kuDatabaseStart prepareDatabase(const std::function<bool(const QString& question)>& askSetAside, QString* failure)
{
    const QString path = QueryWorker::databasePath();
    kuDatabaseHealth found = checkDatabaseFile();
    bool replaced = false;
    if (found.state == kuDatabaseHealth::CacheDamaged) {
        qWarning().noquote() << "Database" << path << "has a damaged candle cache:" << found.reason;
        // The program's own tables are sound: the file may be opened to mend it.
        if (kuCandleStore::removeDamagedTables(found.cacheTables))
            qWarning() << "The candle cache was mended; the database is sound.";
        else
            found = health(kuDatabaseHealth::Damaged, QStringLiteral("the candle cache could not be mended"));
    }
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
            // A new database beside the old journal would have SQLite read that journal into it.
            qCritical().noquote() << "The damaged database could not be set aside, its files stay as they are:"
                                  << error;
            if (failure)
                *failure = tr("Не удалось переименовать файл базы данных %1 или файлы его журнала; "
                              "все они оставлены как есть.")
                                   .arg(path) +
                           QLatin1Char('\n') + errorText(13);
            return kuDatabaseStart::Failed;
        }
        qWarning().noquote()
                << QStringLiteral("The damaged database was set aside as %1; a new one is made.").arg(moved);
        replaced = true;
    } else if (found.state == kuDatabaseHealth::Unusable) {
        qCritical().noquote() << "Database" << path << "could not be checked:" << found.reason;
        if (failure)
            *failure = tr("Не удалось проверить файл базы данных %1.").arg(path) + QLatin1Char('\n') + errorText(13);
        return kuDatabaseStart::Failed;
    }
    if (!updateDatabaseSchema()) {
        if (failure)
            *failure = errorText(13);
        return kuDatabaseStart::Failed;
    }
    return replaced ? kuDatabaseStart::Replaced : kuDatabaseStart::Ready;
}
