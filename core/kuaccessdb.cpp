#include "kuaccessdb.h"

#include <QThread>

#include "queryworker.h"

kuAccessDB::kuAccessDB(QObject* parent) : QObject(parent)
{}

QVariantList kuAccessDB::execute(const QString& sql, const QVariantList& params)
{
    QueryWorker worker(sql, params);
    return worker.execute();
}

bool kuAccessDB::executeNonQuery(const QString& sql, const QVariantList& params)
{
    QueryWorker worker(sql, params);
    return worker.executeNonQuery();
}

bool kuAccessDB::executeBatch(const QString& sql, const QVector<QVariantList>& rows)
{
    QueryWorker worker(sql);
    return worker.executeBatch(rows);
}

void kuAccessDB::executeAsync(const QString& sql, const QVariantList& params)
{
    startAsync(sql, params, true);
}

void kuAccessDB::executeNonQueryAsync(const QString& sql, const QVariantList& params)
{
    startAsync(sql, params, false);
}

QString kuAccessDB::databasePath()
{
    return QueryWorker::databasePath();
}

void kuAccessDB::setBusyPolicy(int timeoutMs, int attempts)
{
    QueryWorker::setBusyPolicy(timeoutMs, attempts);
}

void kuAccessDB::startAsync(const QString& sql, const QVariantList& params, bool query)
{
    auto* worker = new QueryWorker(sql, params);
    auto* thread = new QThread;
    worker->moveToThread(thread);

    connect(thread, &QThread::started, worker, query ? &QueryWorker::executeAsync : &QueryWorker::executeNonQueryAsync);
    // quit() is thread-safe; a direct call does not depend on the caller's event loop.
    connect(worker, &QueryWorker::finished, thread, &QThread::quit, Qt::DirectConnection);
    connect(thread, &QThread::finished, worker, &QObject::deleteLater);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    if (query)
        connect(worker, &QueryWorker::results, this, &kuAccessDB::results);
    connect(worker, &QueryWorker::executed, this, &kuAccessDB::executed);
    connect(worker, &QueryWorker::executeFailed, this, &kuAccessDB::executeFailed);
    connect(worker, &QueryWorker::finished, this, &kuAccessDB::finished);

    thread->start(QThread::InheritPriority);
}
