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

#include "../common/walfixture.h"

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

    std::unique_ptr<QProcess> start() { return startAt(home.path(), home.path(), keySuffix); }

    std::unique_ptr<QProcess> startAt(const QString& homePath, const QString& tmp, const QString& key,
                                      QProcess::ProcessChannelMode channels = QProcess::ForwardedChannels)
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), homePath);
        env.insert(QStringLiteral("TMPDIR"), tmp);
        env.insert(QStringLiteral("VELMORAN_INSTANCE_KEY"), key);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process->setProcessEnvironment(env);
        process->setProcessChannelMode(channels);
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

    // Children of ours that run the program: crash boxes, or a crashed run's copy about to become one.
    static QList<pid_t> programChildren()
    {
        QList<pid_t> children;
        for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
            if (!stat.open(QIODevice::ReadOnly))
                continue;
            const QByteArray fields = stat.readAll();
            const QList<QByteArray> after = fields.mid(fields.lastIndexOf(')') + 2).split(' ');
            if (after.size() >= 2 && after.at(1).toLongLong() == ::getpid() &&
                QFileInfo(QStringLiteral("/proc/%1/exe").arg(entry)).symLinkTarget() == programPath())
                children << pid_t(entry.toInt());
        }
        return children;
    }

    static bool blocks(pid_t pid, int signal)
    {
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        if (!status.open(QIODevice::ReadOnly))
            return true;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("SigBlk:"))
                return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
        }
        return true;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        qputenv("HOME", QFile::encodeName(home.path()));
        qputenv("TMPDIR", QFile::encodeName(home.path()));
    }

    void cleanupTestCase() { releaseKeys(home.path(), keySuffix); }

    // Whenever the start is stopped, SIGTERM ends it with 3 and SIGSEGV with 3 and the
    // crash box: from the first moment of main, through a question box that waits for the
    // user, to the running program. Two crashes in a row show one box.
    void signalAtEachMoment_data()
    {
        QTest::addColumn<QString>("moment");
        QTest::addColumn<int>("signal");
        QTest::addColumn<int>("times");
        for (const char* moment : {"first moment", "logging", "question", "running"}) {
            QTest::newRow(qPrintable(QStringLiteral("%1, SIGTERM").arg(moment))) << moment << SIGTERM << 1;
            QTest::newRow(qPrintable(QStringLiteral("%1, SIGSEGV").arg(moment))) << moment << SIGSEGV << 1;
        }
        QTest::newRow("first moment, SIGSEGV twice") << "first moment" << SIGSEGV << 2;
        QTest::newRow("question, SIGSEGV twice") << "question" << SIGSEGV << 2;
    }
    void signalAtEachMoment()
    {
        QFETCH(QString, moment);
        QFETCH(int, signal);
        QFETCH(int, times);
        // The box outlives the crashed run: it becomes our child, to be found and ended.
        QCOMPARE(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
        QTemporaryDir other;
        QVERIFY(other.isValid());
        const QString config = other.filePath(QStringLiteral(".config/Velmoran"));
        QVERIFY(QDir().mkpath(config));
        QVERIFY(QDir().mkpath(other.filePath(QStringLiteral("tmp"))));
        if (moment == "question") {
            QFile damaged(config + QStringLiteral("/Velmoran.db"));
            QVERIFY(damaged.open(QIODevice::WriteOnly));
            damaged.write(QByteArray(5000, 'x'));
        }
        const QString key = keySuffix + QStringLiteral("sig");
        auto process = startAt(other.path(), other.filePath(QStringLiteral("tmp")), key, QProcess::MergedChannels);
        QVERIFY(process->waitForStarted());
        const qint64 pid = process->processId();
        QByteArray output;
        // SIGTERM is caught last; a sanitizer's own SIGSEGV handler is there from the start.
        if (moment == "first moment")
            QTRY_VERIFY_WITH_TIMEOUT(catches(pid, SIGTERM) && catches(pid, SIGSEGV), 30000);
        else if (moment == "logging")
            QTRY_VERIFY_WITH_TIMEOUT(loggedBy(pid), 30000);
        else if (moment == "question")
            QTRY_VERIFY_WITH_TIMEOUT((output += process->readAll()).contains(" is damaged"), 30000);
        else
            QTRY_VERIFY_WITH_TIMEOUT((output += process->readAll()).contains("Login form shown"), 30000);
        for (int i = 0; i < times; ++i)
            QCOMPARE(::kill(pid_t(pid), signal), 0);
        QVERIFY(process->waitForFinished(30000));
        output += process->readAll();
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);
        QCOMPARE(process->exitCode(), 3);
        if (signal == SIGTERM) {
            QVERIFY(output.contains("SIGTERM: the program ends"));
            QVERIFY(programChildren().isEmpty());
        } else {
            pid_t box = 0;
            QTRY_VERIFY_WITH_TIMEOUT((box = crashBox()) > 0, 20000);
            // Every copy was made before the run ended: one is all there is.
            QCOMPARE(programChildren(), QList<pid_t>{box});
            QVERIFY(!blocks(box, SIGSEGV));
            ::kill(box, SIGKILL);
            ::waitpid(box, nullptr, 0);
        }
        // The question waited: the damaged file is where it was.
        if (moment == "question")
            QCOMPARE(QFile(config + QStringLiteral("/Velmoran.db")).size(), qint64(5000));
        releaseKeys(other.filePath(QStringLiteral("tmp")), key);
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
        // Nothing reads the file before its check: no journal is folded in or deleted.
        QTest::newRow("Velmoran.db, cut, with its journal") << "Velmoran.db"
                                                            << "cut, journal";
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
        QByteArray bytes(5000, '\0');
        for (char& c : bytes)
            c = char(QRandomGenerator::global()->bounded(256));
        if (damage == "cut, journal") {
            QVERIFY(leaveJournal(path, "create table settings(path text, active_flag integer);"
                                       "insert into settings values('elsewhere.vlm', 1);"
                                       "create table t(a);insert into t values(randomblob(50000));"
                                       "pragma wal_checkpoint;insert into t values(randomblob(100));"));
            QVERIFY(damaged.resize(4096));
        } else {
            QVERIFY(damaged.open(QIODevice::WriteOnly));
            damaged.write(bytes);
            damaged.close();
        }
        if (damage == "unreadable")
            QVERIFY(damaged.setPermissions(QFileDevice::WriteOwner));
        QMap<QString, QByteArray> files;
        for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
            QFile part(path + suffix);
            if (part.open(QIODevice::ReadOnly))
                files.insert(suffix, part.readAll());
        }
        if (::geteuid() == 0) {
            for (const QString& entry :
                 QStringList{other.path(), other.filePath(QStringLiteral(".config")), config,
                             other.filePath(QStringLiteral("tmp")), path, path + "-wal", path + "-shm"}) {
                if (QFileInfo::exists(entry))
                    QVERIFY(::chown(QFile::encodeName(entry).constData(), 65534, 65534) == 0);
            }
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
            // The question waits: nothing was moved yet, nor changed.
            QVERIFY(aside.isEmpty());
            QVERIFY(QFile::exists(path));
            if (damage != "unreadable") {
                for (auto it = files.cbegin(); it != files.cend(); ++it) {
                    QFile part(path + it.key());
                    QVERIFY(part.open(QIODevice::ReadOnly));
                    QCOMPARE(part.readAll(), it.value());
                }
                QCOMPARE(QDir(config).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), files.size());
            }
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
