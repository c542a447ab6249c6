#include <QtTest>

#include <sys/wait.h>
#include <unistd.h>

#include "kusingleinstance.h"

class tst_SingleInstance : public QObject
{
    Q_OBJECT
private:
    // Keys of their own, so that a running program or another test does not interfere.
    const QString semKey = QStringLiteral("tstSem%1").arg(QCoreApplication::applicationPid());
    const QString memKey = QStringLiteral("tstMem%1").arg(QCoreApplication::applicationPid());

private slots:
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
