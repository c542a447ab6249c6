#include "queryworker.h"

#include <QAtomicInt>
#include <QDebug>
#include <QFile>

#include <sqlite3.h>

#include "kupaths.h"

#include <fcntl.h>
#include <unistd.h>

namespace {

QAtomicInt g_busyTimeoutMs(5000);
QAtomicInt g_busyAttempts(3);

const char* const kPragmas = "PRAGMA page_size=4096;PRAGMA encoding=\"UTF-8\";PRAGMA synchronous=NORMAL;"
                             "PRAGMA journal_mode=WAL;PRAGMA temp_store=MEMORY;";

QVariant columnValue(sqlite3_stmt* statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_NULL:
        return QVariant(QString());
    case SQLITE_BLOB: {
        const void* data = sqlite3_column_blob(statement, column);
        return QVariant(QByteArray(static_cast<const char*>(data), sqlite3_column_bytes(statement, column)));
    }
    default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(statement, column)));
    }
    }
}

int bindValue(sqlite3_stmt* statement, int index, const QVariant& value)
{
    if (!value.isValid())
        return sqlite3_bind_null(statement, index);
    switch (value.userType()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::UChar:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return sqlite3_bind_int64(statement, index, value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return sqlite3_bind_double(statement, index, value.toDouble());
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return sqlite3_bind_blob64(statement, index, bytes.constData(), sqlite3_uint64(bytes.size()), SQLITE_TRANSIENT);
    }
    default: {
        const QByteArray text = value.toString().toUtf8();
        return sqlite3_bind_text64(statement, index, text.constData(), sqlite3_uint64(text.size()), SQLITE_TRANSIENT,
                                   SQLITE_UTF8);
    }
    }
}

} // namespace

QueryWorker::QueryWorker(const QString& sql, QObject* parent) : QueryWorker(sql, QVariantList(), parent)
{}

QueryWorker::QueryWorker(const QString& sql, const QVariantList& params, QObject* parent)
    : QObject(parent), m_sql(sql.trimmed()), m_params(params)
{}

QueryWorker::~QueryWorker()
{
    if (m_db) {
        rollbackIfOpen();
        sqlite3_close_v2(m_db);
    }
}

QString QueryWorker::databasePath()
{
    return kuPaths::configPath() + QStringLiteral("/Velmoran.db");
}

void QueryWorker::setBusyPolicy(int timeoutMs, int attempts)
{
    g_busyTimeoutMs.storeRelaxed(qMax(0, timeoutMs));
    g_busyAttempts.storeRelaxed(qMax(1, attempts));
}

sqlite3* QueryWorker::openConnection(QString* error, int* code)
{
    sqlite3* handle = nullptr;
    const QByteArray path = QFile::encodeName(databasePath());
    // Made private before SQLite makes it; its journal files take the same mode.
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
    int rc = sqlite3_open_v2(path.constData(), &handle,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    // A file that opens read-only would fail every later write: it is no usable database.
    if (rc == SQLITE_OK && sqlite3_db_readonly(handle, "main") == 1)
        rc = SQLITE_READONLY;
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(handle, g_busyTimeoutMs.loadRelaxed());
        rc = sqlite3_exec(handle, kPragmas, nullptr, nullptr, nullptr);
    }
    if (code)
        *code = rc;
    if (rc != SQLITE_OK) {
        *error = QString::fromUtf8(rc == SQLITE_READONLY || !handle ? sqlite3_errstr(rc) : sqlite3_errmsg(handle));
        qCritical() << "Cannot create or open database.";
        qCritical().noquote() << *error;
        sqlite3_close_v2(handle);
        return nullptr;
    }
    return handle;
}

int QueryWorker::busyAttempts()
{
    return g_busyAttempts.loadRelaxed();
}

sqlite3* QueryWorker::openDatabase()
{
    if (!m_db)
        m_db = openConnection(&m_openError);
    return m_db;
}

void QueryWorker::rollbackIfOpen()
{
    if (m_db && !sqlite3_get_autocommit(m_db))
        sqlite3_exec(m_db, "rollback;", nullptr, nullptr, nullptr);
}

QueryWorker::Outcome QueryWorker::outcomeOf(int rc, QString* error)
{
    if (rc == SQLITE_OK || rc == SQLITE_DONE || rc == SQLITE_ROW)
        return Outcome::Done;
    *error = QString::fromUtf8(sqlite3_errmsg(m_db));
    return (rc & 0xff) == SQLITE_BUSY ? Outcome::Busy : Outcome::Failed;
}

bool QueryWorker::bindAll(sqlite3_stmt* statement, const QVariantList& values, QString* error)
{
    const int count = sqlite3_bind_parameter_count(statement);
    if (count > values.size()) {
        *error = QStringLiteral("%1 values bound to a statement with %2 parameters").arg(values.size()).arg(count);
        return false;
    }
    for (int i = 0; i < count; ++i) {
        if (bindValue(statement, i + 1, values.at(i)) != SQLITE_OK) {
            *error = QString::fromUtf8(sqlite3_errmsg(m_db));
            return false;
        }
    }
    return true;
}

QueryWorker::Outcome QueryWorker::runScript(QVariantList* rows, QString* error)
{
    const QByteArray text = m_sql.toUtf8();
    const char* tail = text.constData();
    const char* const end = tail + text.size();
    while (tail < end) {
        sqlite3_stmt* statement = nullptr;
        int rc = sqlite3_prepare_v2(m_db, tail, int(end - tail), &statement, &tail);
        if (rc != SQLITE_OK)
            return outcomeOf(rc, error);
        if (!statement)
            continue; // white space or a comment
        if (!bindAll(statement, m_params, error)) {
            sqlite3_finalize(statement);
            return Outcome::Failed;
        }
        const int columns = sqlite3_column_count(statement);
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
            if (!rows)
                continue;
            for (int c = 0; c < columns; ++c)
                rows->append(columnValue(statement, c));
        }
        const Outcome outcome = outcomeOf(rc, error);
        sqlite3_finalize(statement);
        if (outcome != Outcome::Done)
            return outcome;
    }
    return Outcome::Done;
}

QueryWorker::Outcome QueryWorker::runBatch(const QVector<QVariantList>& rows, QString* error)
{
    Outcome outcome = outcomeOf(sqlite3_exec(m_db, "begin immediate transaction;", nullptr, nullptr, nullptr), error);
    if (outcome != Outcome::Done)
        return outcome;
    sqlite3_stmt* statement = nullptr;
    const QByteArray text = m_sql.toUtf8();
    outcome = outcomeOf(sqlite3_prepare_v2(m_db, text.constData(), text.size(), &statement, nullptr), error);
    if (outcome == Outcome::Done && !statement) {
        *error = QStringLiteral("empty statement");
        outcome = Outcome::Failed;
    }
    for (int i = 0; outcome == Outcome::Done && i < rows.size(); ++i) {
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
        if (!bindAll(statement, rows.at(i), error)) {
            outcome = Outcome::Failed;
            break;
        }
        outcome = outcomeOf(sqlite3_step(statement), error);
    }
    sqlite3_finalize(statement);
    if (outcome == Outcome::Done)
        outcome = outcomeOf(sqlite3_exec(m_db, "commit;", nullptr, nullptr, nullptr), error);
    return outcome;
}

// A busy database is retried a bounded number of times, each attempt starting
// from a clean state; any other error ends the call at once.
template <typename Attempt>
bool QueryWorker::retrying(Attempt attempt)
{
    if (m_sql.isEmpty())
        return false;
    // Reported like any other failure, so an unreachable database never looks like an empty result.
    if (!openDatabase()) {
        emit executeFailed(m_openError);
        return false;
    }
    QString error;
    const int attempts = g_busyAttempts.loadRelaxed();
    for (int i = 0; i < attempts; ++i) {
        const Outcome outcome = attempt(&error);
        if (outcome == Outcome::Done)
            return true;
        rollbackIfOpen();
        if (outcome == Outcome::Failed)
            break;
        qDebug() << "SQLITE_BUSY: sleeping fow a while...";
    }
    emit executeFailed(error);
    qCritical().noquote() << error;
    qDebug().noquote() << m_sql;
    return false;
}

bool QueryWorker::executeNonQuery()
{
    return retrying([this](QString* error) { return runScript(nullptr, error); });
}

QVariantList QueryWorker::execute()
{
    QVariantList rows;
    const bool ok = retrying([this, &rows](QString* error) {
        rows.clear();
        return runScript(&rows, error);
    });
    if (!ok)
        rows.clear();
    return rows;
}

bool QueryWorker::executeBatch(const QVector<QVariantList>& rows)
{
    return retrying([this, &rows](QString* error) { return runBatch(rows, error); });
}

void QueryWorker::executeAsync()
{
    emit executed();
    const QVariantList rows = execute();
    emit results(rows);
    emit finished();
}

void QueryWorker::executeNonQueryAsync()
{
    emit executed();
    executeNonQuery();
    emit finished();
}
