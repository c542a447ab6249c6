#include "kusingleinstance.h"

#include <QDebug>

kuSingleInstance::kuSingleInstance(const QString& semaphoreKey, const QString& memoryKey)
    : m_semaphore(semaphoreKey, 1, QSystemSemaphore::Open), m_memory(memoryKey)
{
    m_semaphore.acquire();
    removeStaleSegment(memoryKey);
    if (m_memory.attach(QSharedMemory::ReadWrite)) {
        m_another = true;
    } else if (!m_memory.create(1, QSharedMemory::ReadWrite)) {
        // A dead run's segment whose key file is gone can share our key (ftok keeps
        // only part of the inode): invisible to the probe above until create made
        // the key file again. A live one stays, and this run goes on unguarded.
        if (m_memory.error() == QSharedMemory::AlreadyExists) {
            removeStaleSegment(memoryKey);
            m_memory.create(1, QSharedMemory::ReadWrite);
        }
        if (!m_memory.isAttached())
            qWarning() << "Single-instance segment not created:" << m_memory.errorString();
    }
    m_semaphore.release();
}

void kuSingleInstance::removeStaleSegment(const QString& memoryKey)
{
    // System V segments outlive a crashed owner. Attaching and detaching once
    // removes a segment nobody else is attached to, so only a live instance counts.
    QSharedMemory probe(memoryKey);
    if (probe.attach(QSharedMemory::ReadOnly))
        probe.detach();
}
