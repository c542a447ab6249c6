#include "kusingleinstance.h"

#include <QDebug>

kuSingleInstance::kuSingleInstance(const QString& semaphoreKey, const QString& memoryKey)
    : m_semaphore(semaphoreKey, 1, QSystemSemaphore::Open), m_memory(memoryKey)
{
    m_semaphore.acquire();
    {
        // System V segments outlive a crashed owner. Attaching and detaching once
        // removes a segment nobody else is attached to, so only a live instance counts.
        QSharedMemory probe(memoryKey);
        if (probe.attach(QSharedMemory::ReadOnly))
            probe.detach();
    }
    if (m_memory.attach(QSharedMemory::ReadWrite))
        m_another = true;
    else if (!m_memory.create(1, QSharedMemory::ReadWrite))
        qWarning() << "Single-instance segment not created:" << m_memory.errorString();
    m_semaphore.release();
}
