#include "kucandlestore.h"

#include "kufunctions.h"
#include "queryworker.h"

#include <QAtomicInt>
#include <QDebug>
#include <QObject>
#include <QThread>

#include <sqlite3.h>

#include <climits>
#include <cmath>

namespace {

QAtomicInt g_opened(0);
QAtomicInt g_committed(0);

enum class Outcome
{
    Done,
    Busy,
    Failed,
    // SQLite found the file corrupt where this call read or wrote.
    Damaged
};

Outcome outcomeOf(sqlite3* db, int rc, QString* error)
{
    if (rc == SQLITE_OK || rc == SQLITE_DONE || rc == SQLITE_ROW)
        return Outcome::Done;
    *error = QString::fromUtf8(sqlite3_errmsg(db));
    switch (rc & 0xff) {
    case SQLITE_BUSY:
        return Outcome::Busy;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return Outcome::Damaged;
    default:
        return Outcome::Failed;
    }
}

// A prepared statement finalized however its scope is left.
class Prepared
{
public:
    Prepared(sqlite3* db, const QByteArray& sql, QString* error)
    {
        outcome = outcomeOf(db, sqlite3_prepare_v2(db, sql.constData(), sql.size(), &statement, nullptr), error);
    }
    ~Prepared() { sqlite3_finalize(statement); }
    Prepared(const Prepared&) = delete;
    Prepared& operator=(const Prepared&) = delete;

    sqlite3_stmt* statement = nullptr;
    Outcome outcome = Outcome::Failed;
};

// A busy database is retried as often as every other database call retries it, each
// attempt from a clean state; any other error ends the call at once and is logged.
// Damage is told apart, so that the caller can drop what it found damaged.
template <typename Attempt>
bool retrying(sqlite3* db, const QString& sql, bool* damaged, Attempt attempt)
{
    QString error;
    const int attempts = QueryWorker::busyAttempts();
    for (int i = 0; i < attempts; ++i) {
        const Outcome outcome = attempt(&error);
        if (outcome == Outcome::Done)
            return true;
        if (!sqlite3_get_autocommit(db))
            sqlite3_exec(db, "rollback;", nullptr, nullptr, nullptr);
        if (outcome == Outcome::Damaged && damaged)
            *damaged = true;
        if (outcome != Outcome::Busy)
            break;
        qDebug() << "SQLITE_BUSY: sleeping fow a while...";
    }
    qCritical().noquote() << error;
    qDebug().noquote() << sql;
    return false;
}

bool run(sqlite3* db, const QString& sql, bool* damaged = nullptr)
{
    const QByteArray text = sql.toUtf8();
    return retrying(db, sql, damaged, [&](QString* error) {
        return outcomeOf(db, sqlite3_exec(db, text.constData(), nullptr, nullptr, nullptr), error);
    });
}

bool quickCheckPasses(sqlite3* db)
{
    sqlite3_stmt* statement = nullptr;
    QStringList answer;
    int rc = sqlite3_prepare_v2(db, "pragma quick_check;", -1, &statement, nullptr);
    while (rc == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW)
        answer << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    if (rc == SQLITE_OK)
        rc = sqlite3_finalize(statement);
    else
        sqlite3_finalize(statement);
    return rc == SQLITE_OK && answer == QStringList{QStringLiteral("ok")};
}

// Takes the tables (and their indexes) out of the database. Not by dropping them: that
// reads a damaged table's pages to free them, and fails, or frees a page the damage made
// it share with a sound table, to be written over. Their schema rows go instead, and VACUUM
// rebuilds the file from the sound tables, leaving those pages behind. sound tells whether
// SQLite finds the whole file sound afterwards.
bool removeTables(sqlite3* db, const QStringList& tables, bool* sound)
{
    if (!tables.isEmpty()) {
        QStringList names;
        for (QString table : tables)
            names << QLatin1Char('\'') + table.replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
        const bool gone = run(db, QStringLiteral("pragma writable_schema=on;begin immediate transaction;"
                                                 "delete from sqlite_master where tbl_name in (%1);commit;")
                                          .arg(names.join(QLatin1Char(','))));
        // Off, and this connection reads the schema anew; others do at the next schema change.
        sqlite3_exec(db, "pragma writable_schema=reset;", nullptr, nullptr, nullptr);
        if (!gone)
            return false;
    }
    // On disk, not in memory: the file may be large.
    sqlite3_exec(db, "pragma temp_store=file;", nullptr, nullptr, nullptr);
    run(db, QStringLiteral("vacuum;"));
    sqlite3_exec(db, "pragma temp_store=memory;", nullptr, nullptr, nullptr);
    if (sound)
        *sound = quickCheckPasses(db);
    return true;
}

QString sqlName(int paperId, kuCandleStore::Table table)
{
    // Quoted: "-" of a negative id is not part of a bare name.
    return QLatin1Char('"') + kuCandleStore::tableName(paperId, table) + QLatin1Char('"');
}

QByteArray insertSql(int paperId, kuCandleStore::Table table)
{
    return QStringLiteral("insert or replace into %1 (open, high, low, close, volume, min) values (?, ?, ?, ?, ?, ?);")
            .arg(sqlName(paperId, table))
            .toUtf8();
}

} // namespace

// One thread's connection, with the insert statements of the instrument it wrote last.
struct kuCandleStore::Connection
{
    explicit Connection(sqlite3* db) : db(db) {}
    ~Connection()
    {
        finalize();
        sqlite3_close_v2(db);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void finalize()
    {
        for (sqlite3_stmt*& statement : inserts) {
            sqlite3_finalize(statement);
            statement = nullptr;
        }
    }

    // Prepared once per instrument and reused by every batch.
    Outcome insert(int paperId, Table table, sqlite3_stmt** statement, QString* error)
    {
        if (paperId != insertsPaper) {
            finalize();
            insertsPaper = paperId;
        }
        sqlite3_stmt*& cached = inserts[table == Table::Minute ? 0 : 1];
        if (!cached) {
            const QByteArray sql = insertSql(paperId, table);
            const Outcome outcome = outcomeOf(
                    db,
                    sqlite3_prepare_v3(db, sql.constData(), sql.size(), SQLITE_PREPARE_PERSISTENT, &cached, nullptr),
                    error);
            if (outcome != Outcome::Done)
                return outcome;
        }
        *statement = cached;
        return Outcome::Done;
    }

    sqlite3* db;
    int insertsPaper = 0;
    sqlite3_stmt* inserts[2] = {nullptr, nullptr};
    // A write of this thread found a candle table damaged.
    bool damaged = false;
};

kuCandleStore::kuCandleStore() : m_threadWatch(new QObject)
{}

kuCandleStore::~kuCandleStore()
{
    m_threadWatch.reset();
    qDeleteAll(m_connections);
}

QString kuCandleStore::tableName(int paperId, Table table)
{
    // Only digits and "-" follow the prefix, so the name is safe in SQL once quoted.
    QString name = QStringLiteral("tablechart_for_%1").arg(paperId);
    if (table == Table::Day)
        name += QStringLiteral("_hist");
    return name;
}

int kuCandleStore::connectionsOpened()
{
    return g_opened.loadRelaxed();
}

int kuCandleStore::transactionsCommitted()
{
    return g_committed.loadRelaxed();
}

kuCandleStore::Connection* kuCandleStore::connection(QString* error)
{
    QThread* const thread = QThread::currentThread();
    {
        QMutexLocker lock(&m_mutex);
        if (Connection* c = m_connections.value(thread))
            return c;
    }
    sqlite3* db = QueryWorker::openConnection(error);
    if (!db)
        return nullptr;
    g_opened.fetchAndAddRelaxed(1);
    Connection* const c = new Connection(db);
    {
        QMutexLocker lock(&m_mutex);
        m_connections.insert(thread, c);
    }
    // Pool threads come and go: a connection ends with its thread, on that thread.
    QObject::connect(
            thread, &QThread::finished, m_threadWatch.get(), [this, thread] { closeConnection(thread); },
            Qt::DirectConnection);
    return c;
}

void kuCandleStore::closeConnection(QThread* thread)
{
    QMutexLocker lock(&m_mutex);
    Connection* c = m_connections.take(thread);
    lock.unlock();
    delete c;
}

bool kuCandleStore::createTables(int paperId)
{
    static const QString columns = QStringLiteral(
            "(open real not null default 0, high real not null default 0, low real not null default 0, "
            "close real not null default 0, volume real not null default 0, min integer not null primary key)");
    const QString sql = QStringLiteral("begin immediate transaction;") + QStringLiteral("create table if not exists ") +
                        sqlName(paperId, Table::Minute) + columns + QLatin1Char(';') +
                        QStringLiteral("create table if not exists ") + sqlName(paperId, Table::Day) + columns +
                        QStringLiteral(";commit;");
    QString error;
    Connection* c = connection(&error);
    return c && run(c->db, sql);
}

bool kuCandleStore::dropDamagedTables(int paperId)
{
    QString error;
    Connection* c = connection(&error);
    if (!c)
        return false;
    // Its statements would keep the tables busy.
    c->finalize();
    c->insertsPaper = 0;
    bool sound = false;
    if (!removeTables(c->db, {tableName(paperId, Table::Minute), tableName(paperId, Table::Day)}, &sound))
        return false;
    qWarning().noquote() << "Candle cache of" << paperId
                         << "was damaged: dropped, its candles come from the server again";
    if (!sound)
        qCritical().noquote() << "The database is still damaged after the candle cache of" << paperId << "went";
    return createTables(paperId);
}

bool kuCandleStore::removeDamagedTables(const QStringList& tables)
{
    QString error;
    sqlite3* db = QueryWorker::openConnection(&error);
    if (!db)
        return false;
    bool sound = false;
    const bool removed = removeTables(db, tables, &sound);
    sqlite3_close_v2(db);
    if (removed && !tables.isEmpty())
        qWarning().noquote() << "Damaged candle tables dropped, their candles come from the server again:"
                             << tables.join(QStringLiteral(", "));
    return removed && sound;
}

bool kuCandleStore::insert(int paperId, const QVector<Candle>& candles)
{
    QString error;
    Connection* c = connection(&error);
    if (c)
        c->damaged = false;
    const bool ok = insertBatches(paperId, candles);
    // The whole reply again, into new tables: batches written before the damage showed went with them.
    if (c && c->damaged && dropDamagedTables(paperId))
        return insertBatches(paperId, candles);
    return ok;
}

bool kuCandleStore::insertBatches(int paperId, const QVector<Candle>& candles)
{
    QVector<Candle> minutes;
    QVector<Candle> days;
    bool ok = true;
    auto flush = [&] {
        if (minutes.isEmpty() && days.isEmpty())
            return;
        ok = writeBatch(paperId, minutes, days) && ok;
        minutes.clear();
        days.clear();
    };

    for (int i = 0; i < candles.size(); ++i) {
        const Candle& c = candles.at(i);
        const bool finite = std::isfinite(c.open) && std::isfinite(c.close) && std::isfinite(c.high) &&
                            std::isfinite(c.low) && std::isfinite(c.volume);
        // The start is the primary key: 0 means none, and it must fit the column.
        const bool hasStart = c.start != 0 && c.start <= quint64(LLONG_MAX);
        if (hasStart && !finite) {
            qWarning() << "Candle of" << paperId << "at" << c.start << "has a non-finite value, skipped";
        } else if (hasStart) {
            // Rounded in its place: a row built aside and then copied would be read
            // back before its stores have landed.
            QVector<Candle>& rows = c.timeFrame == 1 ? minutes : days;
            rows.append(c);
            Candle& row = rows.last();
            row.open = rounded(c.open, 8);
            row.close = rounded(c.close, 8);
            row.high = rounded(c.high, 8);
            row.low = rounded(c.low, 8);
            row.volume = rounded(c.volume, 0);
        }
        if ((i + 1) % batchSize == 0)
            flush();
    }
    flush();
    return ok;
}

bool kuCandleStore::writeBatch(int paperId, const QVector<Candle>& minutes, const QVector<Candle>& days)
{
    QString error;
    Connection* c = connection(&error);
    if (!c)
        return false;
    sqlite3* db = c->db;
    auto rows = [&](Table table, const QVector<Candle>& candles, QString* error) {
        if (candles.isEmpty())
            return Outcome::Done;
        sqlite3_stmt* s = nullptr;
        Outcome outcome = c->insert(paperId, table, &s, error);
        for (int i = 0; outcome == Outcome::Done && i < candles.size(); ++i) {
            const Candle& row = candles.at(i);
            sqlite3_bind_double(s, 1, row.open);
            sqlite3_bind_double(s, 2, row.high);
            sqlite3_bind_double(s, 3, row.low);
            sqlite3_bind_double(s, 4, row.close);
            sqlite3_bind_double(s, 5, row.volume);
            sqlite3_bind_int64(s, 6, sqlite3_int64(row.start));
            outcome = outcomeOf(db, sqlite3_step(s), error);
            sqlite3_reset(s);
        }
        return outcome;
    };
    const QString what = QStringLiteral("candle batch of %1").arg(sqlName(paperId, Table::Minute));
    return retrying(db, what, &c->damaged, [&](QString* error) {
        Outcome outcome =
                outcomeOf(db, sqlite3_exec(db, "begin immediate transaction;", nullptr, nullptr, nullptr), error);
        if (outcome == Outcome::Done)
            outcome = rows(Table::Minute, minutes, error);
        if (outcome == Outcome::Done)
            outcome = rows(Table::Day, days, error);
        if (outcome == Outcome::Done)
            outcome = outcomeOf(db, sqlite3_exec(db, "commit;", nullptr, nullptr, nullptr), error);
        if (outcome == Outcome::Done)
            g_committed.fetchAndAddRelaxed(1);
        return outcome;
    });
}

kuCandleStore::Newest kuCandleStore::newestTimes(int paperId)
{
    const QString sql = QStringLiteral("select 1, max(min) from %1 union all select 1440, max(min) from %2")
                                .arg(sqlName(paperId, Table::Minute), sqlName(paperId, Table::Day));
    Newest newest;
    QString error;
    Connection* c = connection(&error);
    if (!c)
        return newest;
    sqlite3* db = c->db;
    const QByteArray text = sql.toUtf8();
    bool damaged = false;
    const bool ok = retrying(db, sql, &damaged, [&](QString* error) {
        newest = Newest();
        Prepared query(db, text, error);
        if (query.outcome != Outcome::Done)
            return query.outcome;
        int rc;
        while ((rc = sqlite3_step(query.statement)) == SQLITE_ROW) {
            // A NULL maximum (empty table) reads as 0.
            const quint64 time = quint64(sqlite3_column_int64(query.statement, 1));
            (sqlite3_column_int(query.statement, 0) == 1 ? newest.minute : newest.day) = time;
        }
        return outcomeOf(db, rc, error);
    });
    // Dropped, the tables are asked for in full.
    if (damaged)
        dropDamagedTables(paperId);
    return ok ? newest : Newest();
}

QVector<kuCandleStore::Candle> kuCandleStore::load(int paperId, int minutes, bool* dropped)
{
    const QString sql =
            QStringLiteral("select tbl.open, tbl.high, tbl.low, tbl.close, tbl.volume, tbl.min, tbl.tf from "
                           "(select d.open, d.high, d.low, d.close, d.volume, d.min, 1 as tf from %1 as d "
                           "order by d.min desc limit ?1) as tbl "
                           "union all select tbl.open, tbl.high, tbl.low, tbl.close, tbl.volume, tbl.min, tbl.tf from "
                           "(select dd.open, dd.high, dd.low, dd.close, dd.volume, dd.min, 1440 as tf from %2 as dd "
                           "order by dd.min asc) as tbl order by tbl.tf asc, tbl.min asc")
                    .arg(sqlName(paperId, Table::Minute), sqlName(paperId, Table::Day));
    QVector<Candle> candles;
    QString error;
    Connection* c = connection(&error);
    if (!c)
        return candles;
    sqlite3* db = c->db;
    const QByteArray text = sql.toUtf8();
    bool damaged = false;
    const bool ok = retrying(db, sql, &damaged, [&](QString* error) {
        candles.clear();
        Prepared query(db, text, error);
        if (query.outcome != Outcome::Done)
            return query.outcome;
        sqlite3_stmt* s = query.statement;
        sqlite3_bind_int(s, 1, qMax(0, minutes));
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
            Candle c;
            c.open = sqlite3_column_double(s, 0);
            c.high = sqlite3_column_double(s, 1);
            c.low = sqlite3_column_double(s, 2);
            c.close = sqlite3_column_double(s, 3);
            c.volume = sqlite3_column_double(s, 4);
            c.start = quint64(sqlite3_column_int64(s, 5));
            c.timeFrame = sqlite3_column_int(s, 6);
            candles.append(c);
        }
        return outcomeOf(db, rc, error);
    });
    if (!ok)
        candles.clear();
    if (damaged && dropDamagedTables(paperId) && dropped)
        *dropped = true;
    return candles;
}
