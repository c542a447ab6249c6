#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QMutex>
#include <QString>

// Keeps a repeating fault from flooding the log: the first warning of a kind
// is logged, repeats are counted and summed up at most once per interval, and
// the count is told when the fault is over. Thread-safe.
class kuRepeatedWarnings
{
public:
    explicit kuRepeatedWarnings(int intervalMs = 60000);

    // True when this occurrence is to be logged; *unlogged then holds how many
    // went unlogged before it.
    bool note(const QString& kind, qint64* unlogged = nullptr);
    // The kind is over: the repeats that went unlogged (0 when none), then forgotten.
    qint64 settle(const QString& kind);
    // Every kind is over; the unlogged repeats per kind.
    QHash<QString, qint64> settleAll();
    // Occurrences seen of a kind since it was last settled.
    qint64 count(const QString& kind) const;
    // What a logged warning ends with: "(N more since)", or nothing when none went unlogged.
    static QString moreSince(qint64 unlogged);

private:
    struct Entry
    {
        qint64 seen = 0;
        qint64 unlogged = 0;
        QElapsedTimer lastLogged;
    };
    const int m_intervalMs;
    mutable QMutex m_lock;
    QHash<QString, Entry> m_entries;
};
