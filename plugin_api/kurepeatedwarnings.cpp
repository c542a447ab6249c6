#include "kurepeatedwarnings.h"

kuRepeatedWarnings::kuRepeatedWarnings(int intervalMs) : m_intervalMs(intervalMs)
{}

bool kuRepeatedWarnings::note(const QString& kind, qint64* unlogged)
{
    QMutexLocker lock(&m_lock);
    Entry& entry = m_entries[kind];
    ++entry.seen;
    if (entry.lastLogged.isValid() && entry.lastLogged.elapsed() < m_intervalMs) {
        ++entry.unlogged;
        return false;
    }
    if (unlogged)
        *unlogged = entry.unlogged;
    entry.unlogged = 0;
    entry.lastLogged.start();
    return true;
}

qint64 kuRepeatedWarnings::settle(const QString& kind)
{
    QMutexLocker lock(&m_lock);
    return m_entries.take(kind).unlogged;
}

QHash<QString, qint64> kuRepeatedWarnings::settleAll()
{
    QMutexLocker lock(&m_lock);
    QHash<QString, qint64> result;
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it) {
        if (it->unlogged > 0)
            result.insert(it.key(), it->unlogged);
    }
    m_entries.clear();
    return result;
}

qint64 kuRepeatedWarnings::count(const QString& kind) const
{
    QMutexLocker lock(&m_lock);
    return m_entries.value(kind).seen;
}

QString kuRepeatedWarnings::moreSince(qint64 unlogged)
{
    return unlogged ? QStringLiteral("(%1 more since)").arg(unlogged) : QString();
}
