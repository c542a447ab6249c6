#pragma once

#include <QObject>
#include <QVariantList>
#include <QVector>

// Access to the local database. Each call runs on a connection of its own:
// the synchronous ones on the caller's thread, the asynchronous ones on a new
// thread whose results come back through the signals of this object.
// Values that come from data go in params and are bound to ?1, ?2, ... of the text.
class kuAccessDB : public QObject
{
    Q_OBJECT
public:
    explicit kuAccessDB(QObject* parent = nullptr);

    QVariantList execute(const QString& sql, const QVariantList& params = QVariantList());
    bool executeNonQuery(const QString& sql, const QVariantList& params = QVariantList());
    // One prepared statement run for every row of values, all in one transaction.
    bool executeBatch(const QString& sql, const QVector<QVariantList>& rows);

    void executeAsync(const QString& sql, const QVariantList& params = QVariantList());
    void executeNonQueryAsync(const QString& sql, const QVariantList& params = QVariantList());

    static QString databasePath();
    static void setBusyPolicy(int timeoutMs, int attempts);

signals:
    void executed();
    void executeFailed(QString err);
    void results(QVariantList result);
    void finished();

private:
    void startAsync(const QString& sql, const QVariantList& params, bool query);
};
