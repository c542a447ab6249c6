#pragma once

#include <QObject>
#include <QVariantList>
#include <QVector>

struct sqlite3;
struct sqlite3_stmt;

// Runs one SQL text on a connection of its own, directly or as a slot on a
// worker thread. Values listed in params are bound to the placeholders (?1, ?2, ...)
// of every statement of the text, so data never becomes part of the SQL.
class QueryWorker : public QObject
{
    Q_OBJECT
public:
    QueryWorker(const QString& sql, QObject* parent = nullptr);
    QueryWorker(const QString& sql, const QVariantList& params, QObject* parent = nullptr);
    ~QueryWorker() override;

    sqlite3* openDatabase();

    bool executeNonQuery();
    // Values of all rows, row after row: text as QString, NULL as a null QString, blobs as QByteArray.
    // A failed query gives an empty list, never a partial one.
    QVariantList execute();
    // Runs the single statement of the text once per row of values, in one transaction.
    bool executeBatch(const QVector<QVariantList>& rows);

    static QString databasePath();
    // A connection to the database with the busy time-out and pragmas every connection gets;
    // null, with the reason in error and SQLite's result code in code, when it cannot be opened.
    static sqlite3* openConnection(QString* error, int* code = nullptr);
    static int busyAttempts();
    // How long one attempt waits for a lock and how many attempts are made.
    static void setBusyPolicy(int timeoutMs, int attempts);

public slots:
    void executeAsync();
    void executeNonQueryAsync();

signals:
    void executed();
    void executeFailed(QString err);
    void results(QVariantList result);
    void finished();

private:
    enum class Outcome
    {
        Done,
        Busy,
        Failed
    };

    Outcome runScript(QVariantList* rows, QString* error);
    Outcome runBatch(const QVector<QVariantList>& rows, QString* error);
    Outcome outcomeOf(int rc, QString* error);
    bool bindAll(sqlite3_stmt* statement, const QVariantList& values, QString* error);
    void rollbackIfOpen();
    template <typename Attempt>
    bool retrying(Attempt attempt);

    sqlite3* m_db = nullptr;
    QString m_openError;
    QString m_sql;
    QVariantList m_params;
};
