#include "kusingleinstance.h"

#include <QDebug>

kuSingleInstance::kuSingleInstance(const QString& semaphoreKey, const QString& memoryKey)
    : semaphore(semaphoreKey, 1, QSystemSemaphore::Open), memory(memoryKey)
{
    semaphore.acquire();
    {
        // System V segments outlive a crashed owner. Attaching and detaching once
        // removes a segment nobody else is attached to, so only a live instance counts.
        QSharedMemory probe(memoryKey);
        if (probe.attach(QSharedMemory::ReadOnly))
            probe.detach();
    }
    if (memory.attach(QSharedMemory::ReadWrite))
        another = true;
    else if (!memory.create(1, QSharedMemory::ReadWrite))
        qWarning() << "Single-instance segment not created:" << memory.errorString();
    semaphore.release();
}
