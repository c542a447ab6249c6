#include <QtTest>

#include <QFileInfo>
#include <QProcess>
#include <QSystemSemaphore>
#include <QTemporaryDir>

#include "kuaccessdb.h"
#include "kuapplication.h"
#include "kufunctions.h"
#include "kumigration.h"
#include "kusettingshash.h"
#include "kusingleinstance.h"

#include <unistd.h>

// Starts the built program with a home, a temporary folder (where the
// single-instance keys live) and keys of its own.
class tst_Startup : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir home;
    const QString keySuffix = QStringLiteral("tst%1").arg(QCoreApplication::applicationPid());
    const QString semKey = QStringLiteral("VelmoranSemaphor") + keySuffix;
    const QString memKey = QStringLiteral("VelmoranSharedMemory") + keySuffix;

    std::unique_ptr<QProcess> start()
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("TMPDIR"), home.path());
        env.insert(QStringLiteral("VELMORAN_INSTANCE_KEY"), keySuffix);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process->setProcessEnvironment(env);
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        process->start(QStringLiteral(VELMORAN_BINARY_DIR "/bin/Velmoran"), QStringList());
        return process;
    }

    // Logging starts only past the single-instance check; the main thread's id is the pid.
    static bool loggedBy(qint64 pid)
    {
        QFile log(QStringLiteral(VELMORAN_BINARY_DIR "/bin/logs/Velmoran_%1.log")
                          .arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd"))));
        return log.open(QIODevice::ReadOnly) &&
               log.readAll().contains(QStringLiteral("[%1] info Velmoran").arg(pid).toUtf8());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        qputenv("HOME", QFile::encodeName(home.path()));
        qputenv("TMPDIR", QFile::encodeName(home.path()));
    }

    void cleanupTestCase()
    {
        // Takes away the segment and the semaphore the killed runs left behind.
        {
            kuSingleInstance probe(semKey, memKey);
        }
        QSystemSemaphore(semKey, 1, QSystemSemaphore::Create);
        QSystemSemaphore(memKey, 1, QSystemSemaphore::Create);
    }

    void firstStartAndStartAfterKill()
    {
        auto first = start();
        QVERIFY(first->waitForStarted());
        // Only the program may create the file: a query from here would create it first.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(kuAccessDB::databasePath()), 30000);
        QTRY_COMPARE_WITH_TIMEOUT(databaseVersion(), 3, 30000);
        QTRY_VERIFY(loggedBy(first->processId()));
        const QString settings = kuApplication::defaultSettingsFile();
        kuAccessDB db;
        QCOMPARE(db.execute(QStringLiteral("select path, hash, active_flag from settings;")),
                 (QVariantList{settings, settingsHash(settings), "1"}));
        QVERIFY(kuSingleInstance(semKey, memKey).anotherInstanceRuns());
        // What the program made is the user's alone.
        const auto owner = QFile::ReadUser | QFile::WriteUser;
        QCOMPARE(QFileInfo(kuApplication::configPath()).permissions() & 0x0777, owner | QFile::ExeUser);
        for (const QString& suffix : {QString(), QStringLiteral("-journal"), QStringLiteral("-wal")}) {
            const QFileInfo file(kuAccessDB::databasePath() + suffix);
            if (file.exists())
                QCOMPARE(file.permissions() & 0x0777, owner);
        }

        first->kill();
        QVERIFY(first->waitForFinished());

        auto next = start();
        QVERIFY(next->waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(loggedBy(next->processId()), 30000);
        QCOMPARE(next->state(), QProcess::Running);
        next->kill();
        QVERIFY(next->waitForFinished());
    }

    // A database that opens only for reading is reported as one that cannot be
    // opened, at start, not found out write by write. Root writes anything, so
    // as root the program runs as nobody.
    void readOnlyDatabase()
    {
        QTemporaryDir other(QStringLiteral("/tmp/velmoran-ro-XXXXXX"));
        QVERIFY(other.isValid());
        const QString config = other.filePath(QStringLiteral(".config/Velmoran"));
        QVERIFY(QDir().mkpath(config));
        QVERIFY(QDir().mkpath(other.filePath(QStringLiteral("tmp"))));
        QVERIFY(QFile::copy(kuAccessDB::databasePath(), config + QStringLiteral("/Velmoran.db")));
        const auto readable = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
        const auto enterable = readable | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
        QVERIFY(QFile::setPermissions(config + QStringLiteral("/Velmoran.db"), readable));
        for (const QString& folder : {other.path(), other.filePath(QStringLiteral(".config")), config})
            QVERIFY(QFile::setPermissions(folder, enterable));
        QVERIFY(QFile::setPermissions(other.filePath(QStringLiteral("tmp")),
                                      enterable | QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther));

        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), other.path());
        env.insert(QStringLiteral("TMPDIR"), other.filePath(QStringLiteral("tmp")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), other.filePath(QStringLiteral("tmp")));
        env.insert(QStringLiteral("VELMORAN_INSTANCE_KEY"), keySuffix + QStringLiteral("ro"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::MergedChannels);
        const QString program = QStringLiteral(VELMORAN_BINARY_DIR "/bin/Velmoran");
        if (::geteuid() == 0)
            process.start(QStringLiteral("setpriv"), {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                                      QStringLiteral("--clear-groups"), program});
        else
            process.start(program, QStringList());
        QVERIFY(process.waitForStarted());
        QByteArray output;
        const QByteArray expected = errorText(13).toUtf8();
        QTRY_VERIFY_WITH_TIMEOUT((output += process.readAll()).contains(expected), 30000);
        QVERIFY(output.contains("readonly"));
        process.kill();
        QVERIFY(process.waitForFinished());
        // Every folder tried was read-only: the run still said where its log went.
        QVERIFY(output.contains("Cannot write logs in"));
    }
};

QTEST_GUILESS_MAIN(tst_Startup)
#include "tst_startup.moc"
