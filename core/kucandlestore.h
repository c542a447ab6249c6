#pragma once

#include <QHash>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

class QObject;
class QThread;
struct sqlite3;

// Candle cache of the instruments in the local database: per instrument a table
// of minute candles and its "_hist" twin of every other time frame. Each thread
// that uses a store gets one connection of its own, kept until the thread ends
// or the store is destroyed.
class kuCandleStore
{
public:
    enum class Table
    {
        Minute,
        Day
    };

    // One candle, its fields in the order the server sends them.
    struct Candle
    {
        double open = 0;
        double close = 0;
        double high = 0;
        double low = 0;
        double volume = 0;
        quint64 start = 0; // seconds since the epoch
        int timeFrame = 0; // minutes; 1 goes to the minute table, anything else to the day table
    };

    // Newest start time stored in each table; 0 when the table is empty or missing.
    struct Newest
    {
        quint64 minute = 0;
        quint64 day = 0;
    };

    // Candles read per transaction.
    static constexpr int batchSize = 500;
    // Minute candles a chart loads.
    static constexpr int loadedMinutes = 18000;

    kuCandleStore();
    virtual ~kuCandleStore();
    kuCandleStore(const kuCandleStore&) = delete;
    kuCandleStore& operator=(const kuCandleStore&) = delete;

    // The one place a candle table is named; SQL gets it quoted, as a paper id may be negative.
    static QString tableName(int paperId, Table table = Table::Minute);

    // Both tables of the instrument, when missing, in one transaction.
    bool createTables(int paperId);
    // Stores the candles in transactions of batchSize candles read: a re-sent start
    // time replaces the stored row; a candle without a start or with a value that
    // is not finite is skipped. False when a batch failed; later batches still run.
    // Tables found damaged are dropped and the candles stored again into new ones.
    bool insert(int paperId, const QVector<Candle>& candles);
    // Tables found damaged are dropped: both times are then 0.
    Newest newestTimes(int paperId);
    // The newest minute candles (at most `minutes`) and then every day candle,
    // each part oldest first; timeFrame is 1 or 1440. Empty on failure; tables
    // found damaged are dropped, and dropped tells so.
    QVector<Candle> load(int paperId, int minutes = loadedMinutes, bool* dropped = nullptr);
    // The cache of an instrument that SQLite found corrupt: both tables go, the file is
    // rebuilt from its sound tables without their pages, and empty ones take their place,
    // to be filled from the server again.
    bool dropDamagedTables(int paperId);
    // The start's mending of the cache: the named tables go as above, on a connection of
    // its own. True when SQLite then finds the whole file sound.
    static bool removeDamagedTables(const QStringList& tables);

    // Connections opened by every store of the process so far.
    static int connectionsOpened();
    // Candle transactions committed by every store of the process so far.
    static int transactionsCommitted();

protected:
    // Writes one batch, already checked and rounded to the cache's precision, in
    // one transaction: its minute and day rows are stored together or not at all.
    virtual bool writeBatch(int paperId, const QVector<Candle>& minutes, const QVector<Candle>& days);

private:
    bool insertBatches(int paperId, const QVector<Candle>& candles);

    struct Connection;
    Connection* connection(QString* error);
    void closeConnection(QThread* thread);

    QMutex m_mutex;
    QHash<QThread*, Connection*> m_connections;
    // Receives the end of the threads that hold a connection.
    std::unique_ptr<QObject> m_threadWatch;
};
