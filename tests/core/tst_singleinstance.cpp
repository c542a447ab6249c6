#include <QtTest>

#include <sys/shm.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "kusingleinstance.h"

class tst_SingleInstance : public QObject
{
    Q_OBJECT
private:
    QString semKey;
    QString memKey;
    // Key files beside the build, on a file system that gives a freed inode out again.
    QTemporaryDir keyFolder{QStringLiteral(VELMORAN_BINARY_DIR "/singleinstance-XXXXXX")};

    // A child takes the guard and dies without its destructor: no detach, the segment stays.
    bool dieHoldingTheSegment() const
    {
        const pid_t child = fork();
        if (child == 0) {
            kuSingleInstance crashed(semKey, memKey);
            _exit(crashed.anotherInstanceRuns() ? 1 : 0);
        }
        int status = -1;
        return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

private slots:
    // Keys unique to this run, and free: System V keys come from ftok, so a segment or
    // semaphore left by a killed run (another user's too) can sit on a new name's key.
    void initTestCase()
    {
        QVERIFY(keyFolder.isValid());
        qputenv("TMPDIR", QFile::encodeName(keyFolder.path()));
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
        QVERIFY(dieHoldingTheSegment());

        kuSingleInstance next(semKey, memKey);
        QVERIFY(!next.anotherInstanceRuns());
        QVERIFY(kuSingleInstance(semKey, memKey).anotherInstanceRuns());
    }

    // A dead run's segment whose key file went later (a cleaned temporary folder) sits on
    // the key of a new key file given the same inode: ftok keeps only part of it.
    void staleSegmentWithoutKeyFile()
    {
        const QByteArray keyFile = QFile::encodeName(QSharedMemory(memKey).nativeKey());
        QVERIFY(dieHoldingTheSegment());
        struct stat before = {};
        QCOMPARE(::stat(keyFile.constData(), &before), 0);
        const int stale = ::shmget(::ftok(keyFile.constData(), 'Q'), 0, 0);
        QVERIFY(stale >= 0);
        QVERIFY(QFile::remove(QFile::decodeName(keyFile)));

        kuSingleInstance next(semKey, memKey);
        struct stat after = {};
        QCOMPARE(::stat(keyFile.constData(), &after), 0);
        shmid_ds info = {};
        if ((after.st_ino & 0xffff) != (before.st_ino & 0xffff) && ::shmctl(stale, IPC_STAT, &info) == 0) {
            ::shmctl(stale, IPC_RMID, nullptr);
            QSKIP("the new key file took another inode");
        }
        QVERIFY(!next.anotherInstanceRuns());
        QVERIFY(kuSingleInstance(semKey, memKey).anotherInstanceRuns());
        QVERIFY(::shmctl(stale, IPC_STAT, &info) != 0);
    }
};

QTEST_GUILESS_MAIN(tst_SingleInstance)
#include "tst_singleinstance.moc"
