#include <QtTest>

#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSystemSemaphore>
#include <QTemporaryDir>

#include "kuaccessdb.h"
#include "kuapplication.h"
#include "kufunctions.h"
#include "kumigration.h"
#include "kusettingshash.h"
#include "kusingleinstance.h"

#include <csignal>
#include <sys/prctl.h>
#include <sys/wait.h>
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
        process->start(programPath(), QStringList());
        return process;
    }

    static QStringList asNobody() { return {"--reuid=65534", "--regid=65534", "--clear-groups"}; }

    // As root, runs as nobody fail when nobody cannot reach the program or a library it
    // loads (a checkout under a private home): the machine's fault, not the program's.
    static bool nobodyCannotRun()
    {
        if (::geteuid() != 0)
            return false;
        QProcess probe;
        probe.setProcessChannelMode(QProcess::MergedChannels);
        probe.start(QStringLiteral("setpriv"), asNobody() + QStringList{"/bin/sh", "-c", "test -x \"$1\" && ldd \"$1\"",
                                                                        "sh", VELMORAN_BINARY_DIR "/bin/Velmoran"});
        if (!probe.waitForFinished(30000))
            return true;
        return probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0 ||
               probe.readAll().contains("not found");
    }
    // Takes away the segment and the semaphores a killed run left behind while their key
    // files still exist: a later key can land on them, as ftok keeps only part of the inode.
    static void releaseKeys(const QString& tmp, const QString& suffix)
    {
        const QByteArray saved = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(tmp));
        const QString sem = QStringLiteral("VelmoranSemaphor") + suffix;
        const QString mem = QStringLiteral("VelmoranSharedMemory") + suffix;
        {
            kuSingleInstance probe(sem, mem);
        }
        QSystemSemaphore(sem, 1, QSystemSemaphore::Create);
        QSystemSemaphore(mem, 1, QSystemSemaphore::Create);
        qputenv("TMPDIR", saved);
    }

    static constexpr const char* nobodyCannotRunText =
            "user 65534 cannot run the program from this build folder (a folder on the way is closed to it)";

    // The program in a home of its own (with a "tmp" folder), its output merged. Root reads
    // and writes every file, so as root it runs as nobody, who meets the modes a test sets.
    void startIn(QProcess* process, const QTemporaryDir& other, const QString& key) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), other.path());
        env.insert(QStringLiteral("TMPDIR"), other.filePath(QStringLiteral("tmp")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), other.filePath(QStringLiteral("tmp")));
        env.insert(QStringLiteral("VELMORAN_INSTANCE_KEY"), keySuffix + key);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process->setProcessEnvironment(env);
        process->setProcessChannelMode(QProcess::MergedChannels);
        const QString program = programPath();
        if (::geteuid() == 0)
            process->start(QStringLiteral("setpriv"), asNobody() + QStringList{program});
        else
            process->start(program, QStringList());
    }

    // Logging starts only past the single-instance check; the main thread's id is the pid.
    static bool loggedBy(qint64 pid, const QString& text = QString())
    {
        QFile log(QStringLiteral(VELMORAN_BINARY_DIR "/bin/logs/Velmoran_%1.log")
                          .arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd"))));
        if (!log.open(QIODevice::ReadOnly))
            return false;
        const QByteArray mark = QStringLiteral("[%1] info Velmoran").arg(pid).toUtf8();
        for (const QByteArray& line : log.readAll().split('\n')) {
            if (line.contains(mark) && line.contains(text.toUtf8()))
                return true;
        }
        return false;
    }

    // Whether the process has its own handler for the signal (from then on it may be sent).
    static bool catches(qint64 pid, int signal)
    {
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        if (!status.open(QIODevice::ReadOnly))
            return false;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("SigCgt:"))
                return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
        }
        return false;
    }

    // A child of ours (the subreaper of the crashed run) showing the crash box, or 0.
    static pid_t crashBox()
    {
        const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
        for (const QString& entry : entries) {
            QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
            QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(entry));
            if (!stat.open(QIODevice::ReadOnly) || !cmdline.open(QIODevice::ReadOnly))
                continue;
            // pid (name) state ppid ...: the name may hold blanks, the ppid follows its ')'.
            const QByteArray fields = stat.readAll();
            const QList<QByteArray> after = fields.mid(fields.lastIndexOf(')') + 2).split(' ');
            if (after.size() < 2 || after.at(1).toLongLong() != ::getpid())
                continue;
            if (cmdline.readAll() == QFile::encodeName(programPath()) + QByteArray("\0--crash-box\0", 13))
                return pid_t(entry.toInt());
        }
        return 0;
    }

    static QString programPath() { return QStringLiteral(VELMORAN_BINARY_DIR "/bin/Velmoran"); }

private slots:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        qputenv("HOME", QFile::encodeName(home.path()));
        qputenv("TMPDIR", QFile::encodeName(home.path()));
    }

    void cleanupTestCase() { releaseKeys(home.path(), keySuffix); }

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

    // A damaged file met at the start is named in the log before the user is asked or
    // told; the settings file is already set aside then, the database waits for the answer.
    // Unreadable files are tried as nobody when the tests run as root.
    void damagedFileAtStart_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("damage");
        for (const char* file : {"Velmoran.db", "Velmoran_v2.vlm"}) {
            for (const char* damage : {"random", "unreadable"})
                QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(file, damage))) << file << damage;
        }
    }
    void damagedFileAtStart()
    {
        QFETCH(QString, file);
        QFETCH(QString, damage);
        if (nobodyCannotRun())
            QSKIP(nobodyCannotRunText);
        QTemporaryDir other(QStringLiteral("/tmp/velmoran-damaged-XXXXXX"));
        QVERIFY(other.isValid());
        const QString config = other.filePath(QStringLiteral(".config/Velmoran"));
        QVERIFY(QDir().mkpath(config));
        QVERIFY(QDir().mkpath(other.filePath(QStringLiteral("tmp"))));
        const QString path = config + QLatin1Char('/') + file;
        QFile damaged(path);
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        QByteArray bytes(5000, '\0');
        for (char& c : bytes)
            c = char(QRandomGenerator::global()->bounded(256));
        damaged.write(bytes);
        damaged.close();
        if (damage == "unreadable")
            QVERIFY(damaged.setPermissions(QFileDevice::WriteOwner));
        if (::geteuid() == 0) {
            for (const QString& entry : {other.path(), other.filePath(QStringLiteral(".config")), config,
                                         other.filePath(QStringLiteral("tmp")), path})
                QVERIFY(::chown(QFile::encodeName(entry).constData(), 65534, 65534) == 0);
        }

        QProcess process;
        startIn(&process, other, QStringLiteral("dmg"));
        QVERIFY(process.waitForStarted());
        QByteArray output;
        const QByteArray logged =
                (file.endsWith(".db") ? "Database " : "Settings file ") + QFile::encodeName(path) + " is damaged";
        QTRY_VERIFY_WITH_TIMEOUT((output += process.readAll()).contains(logged), 30000);
        const QStringList aside = QDir(config).entryList({QStringLiteral("*.damaged-*")}, QDir::Files);
        if (file.endsWith(".db")) {
            // The question waits: nothing was moved yet.
            QVERIFY(aside.isEmpty());
            QVERIFY(QFile::exists(path));
        } else {
            QCOMPARE(aside.size(), 1);
            QVERIFY(!QFile::exists(path));
            QVERIFY(output.contains(QFile::encodeName(config + QLatin1Char('/') + aside.first())));
            QFile kept(config + QLatin1Char('/') + aside.first());
            QVERIFY(kept.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
            QVERIFY(kept.open(QIODevice::ReadOnly));
            QCOMPARE(kept.readAll(), bytes);
        }
        process.kill();
        QVERIFY(process.waitForFinished());
        releaseKeys(other.filePath(QStringLiteral("tmp")), keySuffix + QStringLiteral("dmg"));
    }

    // A log-out or shutdown of the desktop ends the program at once, without a
    // box: one would wait for a click that never comes here.
    void terminationEndsAtOnce()
    {
        auto process = start();
        QVERIFY(process->waitForStarted());
        const qint64 pid = process->processId();
        QTRY_VERIFY_WITH_TIMEOUT(catches(pid, SIGTERM), 30000);
        process->terminate();
        QVERIFY(process->waitForFinished(20000));
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);
        QCOMPARE(process->exitCode(), 3);
        QVERIFY(loggedBy(pid, QStringLiteral("SIGTERM: the program ends")));
    }

    // A crash still shows its box, from the program started anew; the crashed
    // run ends at once with 3.
    void crashShowsTheBox()
    {
        // The box outlives the crashed run: it becomes our child, to be found and ended.
        QCOMPARE(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
        auto process = start();
        QVERIFY(process->waitForStarted());
        const qint64 pid = process->processId();
        // SIGTERM is caught last; a sanitizer's own SIGSEGV handler is there from the start.
        QTRY_VERIFY_WITH_TIMEOUT(catches(pid, SIGTERM) && catches(pid, SIGSEGV), 30000);
        QCOMPARE(::kill(pid_t(pid), SIGSEGV), 0);
        QVERIFY(process->waitForFinished(20000));
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);
        QCOMPARE(process->exitCode(), 3);
        pid_t box = 0;
        QTRY_VERIFY_WITH_TIMEOUT((box = crashBox()) > 0, 20000);
        ::kill(box, SIGKILL);
        ::waitpid(box, nullptr, 0);
    }

    // A database that opens only for reading is reported as one that cannot be
    // opened, at start, not found out write by write. Root writes anything, so
    // as root the program runs as nobody.
    void readOnlyDatabase()
    {
        if (nobodyCannotRun())
            QSKIP(nobodyCannotRunText);
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
        startIn(&process, other, QStringLiteral("ro"));
        QVERIFY(process.waitForStarted());
        QByteArray output;
        const QByteArray expected = errorText(13).toUtf8();
        QTRY_VERIFY_WITH_TIMEOUT((output += process.readAll()).contains(expected), 30000);
        QVERIFY(output.contains("readonly"));
        process.kill();
        QVERIFY(process.waitForFinished());
        releaseKeys(other.filePath(QStringLiteral("tmp")), keySuffix + QStringLiteral("ro"));
        // Every folder tried was read-only: the run still said where its log went.
        QVERIFY(output.contains("Cannot write logs in"));
    }
};

QTEST_GUILESS_MAIN(tst_Startup)
#include "tst_startup.moc"
