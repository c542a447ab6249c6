#include <QtTest>

#include <sys/wait.h>
#include <unistd.h>

#include "kusingleinstance.h"

class tst_SingleInstance : public QObject
{
    Q_OBJECT
private:
    QString semKey;
    QString memKey;

private slots:
    // Keys unique to this run, and free: System V keys come from ftok, so a segment or
    // semaphore left by a killed run (another user's too) can sit on a new name's key.
    void initTestCase()
    {
        for (int attempt = 0; attempt < 20 && semKey.isEmpty(); ++attempt) {
            const QString run = QStringLiteral("%1-%2")
                                        .arg(QCoreApplication::applicationPid())
                                        .arg(QRandomGenerator::system()->generate64(), 0, 16);
            const QString sem = QStringLiteral("tstSem") + run;
            const QString mem = QStringLiteral("tstMem") + run;
            // The segment locks itself with a semaphore of its own key.
            QSystemSemaphore semaphore(sem, 1, QSystemSemaphore::Create);
            QSystemSemaphore memoryLock(mem, 1, QSystemSemaphore::Create);
            if (semaphore.error() != QSystemSemaphore::NoError || memoryLock.error() != QSystemSemaphore::NoError)
                continue;
            QSharedMemory probe(mem);
            if (probe.attach(QSharedMemory::ReadOnly) || probe.error() != QSharedMemory::NotFound)
                continue;
            semKey = sem;
            memKey = mem;
        }
        QVERIFY2(!semKey.isEmpty(), "no free System V keys");
    }

    // Semaphores of a process that died stay in the system; created here, they go with the object.
    void cleanupTestCase()
    {
        QSystemSemaphore(semKey, 1, QSystemSemaphore::Create);
        QSystemSemaphore(memKey, 1, QSystemSemaphore::Create);
    }

    void secondIsRefused()
    {
        auto first = std::make_unique<kuSingleInstance>(semKey, memKey);
        QVERIFY(!first->anotherInstanceRuns());
        {
            kuSingleInstance second(semKey, memKey);
            QVERIFY(second.anotherInstanceRuns());
        }
        // The refused one leaves the first one's segment in place.
        QVERIFY(kuSingleInstance(semKey, memKey).anotherInstanceRuns());
        first.reset();
        QVERIFY(!kuSingleInstance(semKey, memKey).anotherInstanceRuns());
    }

    // A process that dies holding the segment must not block every later start.
    void staleSegmentFromCrashedRun()
    {
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            kuSingleInstance crashed(semKey, memKey);
            _exit(crashed.anotherInstanceRuns() ? 1 : 0); // no destructor, no detach
        }
        int status = -1;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);

        kuSingleInstance next(semKey, memKey);
        QVERIFY(!next.anotherInstanceRuns());
        QVERIFY(kuSingleInstance(semKey, memKey).anotherInstanceRuns());
    }
};

QTEST_GUILESS_MAIN(tst_SingleInstance)
#include "tst_singleinstance.moc"
