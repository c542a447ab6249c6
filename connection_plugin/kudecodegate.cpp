#include "kudecodegate.h"

void kuDecodeGate::setEnabled(bool enabled)
{
    QMutexLocker lock(&m_lock);
    m_enabled = enabled;
    if (!enabled)
        m_kinds.clear();
}

bool kuDecodeGate::isEnabled() const
{
    QMutexLocker lock(&m_lock);
    return m_enabled;
}

bool kuDecodeGate::isWaiting(int kind) const
{
    QMutexLocker lock(&m_lock);
    return m_enabled && m_kinds.contains(kind);
}

void kuDecodeGate::handedOver(int kind)
{
    QMutexLocker lock(&m_lock);
    if (m_enabled)
        m_kinds.enqueue(kind);
}

void kuDecodeGate::decoded()
{
    QMutexLocker lock(&m_lock);
    if (!m_kinds.isEmpty())
        m_kinds.dequeue();
}

int kuDecodeGate::waitingCount() const
{
    QMutexLocker lock(&m_lock);
    return m_kinds.size();
}
