#pragma once

#include <QSharedMemory>
#include <QSystemSemaphore>

// Keeps the program to one running instance: the first one holds a one-byte
// shared-memory segment for as long as this object lives; a later one finds it.
class kuSingleInstance
{
public:
    kuSingleInstance(const QString& semaphoreKey, const QString& memoryKey);

    bool anotherInstanceRuns() const { return m_another; }

private:
    static void removeStaleSegment(const QString& memoryKey);

    // Declared in this order so that the segment goes before the semaphore.
    QSystemSemaphore m_semaphore;
    QSharedMemory m_memory;
    bool m_another = false;
};
