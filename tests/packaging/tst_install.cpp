#include <QtTest>

#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSharedMemory>
#include <QSystemSemaphore>
#include <QTemporaryDir>

// Installs the build as a package would (prefix /usr, into a temporary DESTDIR) and
// runs what was installed: the program must take everything from its own folder.
class tst_Install : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir root;
    QTemporaryDir home;
    const QString keySuffix = QStringLiteral("inst%1").arg(QCoreApplication::applicationPid());

    QString prefix() const { return root.path() + QStringLiteral("/usr"); }
    // The build's bin/ and lib/, installed.
    QString installedFolder() const { return prefix() + QStringLiteral("/lib/velmoran"); }
    QString programFolder() const { return installedFolder() + QStringLiteral("/bin"); }

    // The files of the installed tree, relative to the prefix.
    QStringList installedFiles() const
    {
        QStringList files;
        QDirIterator it(root.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << QDir(prefix()).relativeFilePath(it.next());
        return files;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(root.isValid());
        QVERIFY(home.isValid());
        // The single-instance keys live in the temporary folder.
        qputenv("TMPDIR", QFile::encodeName(home.path()));
        QProcess install;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DESTDIR"), root.path());
        install.setProcessEnvironment(env);
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(QStringLiteral(VELMORAN_CMAKE_COMMAND),
                      {QStringLiteral("--install"), QStringLiteral(VELMORAN_BINARY_DIR), QStringLiteral("--prefix"),
                       QStringLiteral("/usr")});
        QVERIFY(install.waitForFinished(120000));
        QVERIFY2(install.exitCode() == 0, install.readAll().constData());
    }

    void cleanupTestCase()
    {
        // The killed run's segment and semaphores outlive it.
        const QString memKey = QStringLiteral("VelmoranSharedMemory") + keySuffix;
        QSharedMemory probe(memKey);
        if (probe.attach(QSharedMemory::ReadOnly))
            probe.detach();
        QSystemSemaphore(QStringLiteral("VelmoranSemaphor") + keySuffix, 1, QSystemSemaphore::Create);
        QSystemSemaphore(memKey, 1, QSystemSemaphore::Create);
    }

    void installedFile_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("program");
        const QString folder = QStringLiteral("lib/velmoran/bin/");
        QTest::newRow("launcher") << "bin/velmoran" << true;
        QTest::newRow("program") << folder + "Velmoran" << true;
        QTest::newRow("primary plug-in") << folder + "plugins/ku_mainlink1.so" << false;
        QTest::newRow("spare plug-in") << folder + "plugins/ku_sparelink1.so" << false;
        QTest::newRow("plug-in API") << "lib/velmoran/lib/libvelmoran_plugin_api.so" << false;
        QTest::newRow("translation") << folder + "i18n/qtbase_ru.qm" << false;
        QTest::newRow("user guide") << folder + "doc/Velmoran.pdf" << false;
        QTest::newRow("desktop entry") << "share/applications/velmoran.desktop" << false;
        QTest::newRow("icon") << "share/icons/hicolor/scalable/apps/velmoran.svg" << false;
        QTest::newRow("demo server launcher") << "bin/velmoran-demo-server" << true;
        QTest::newRow("demo server") << "lib/velmoran-demo-server/velmoran-demo-server" << true;
        QTest::newRow("offered plug-in") << "lib/velmoran-demo-server/plugins/ku_instrumentlist.so" << false;
        QTest::newRow("offered plug-in's entry") << "lib/velmoran-demo-server/plugins/ku_instrumentlist.json" << false;
    }

    void installedFile()
    {
        QFETCH(QString, path);
        QFETCH(bool, program);
        const QFileInfo file(prefix() + QLatin1Char('/') + path);
        QVERIFY2(file.isFile(), qPrintable(path));
        QCOMPARE(file.isExecutable(), program);
    }

    // Tests, benchmarks, fuzz targets, static libraries and build tools stay in the build.
    void nothingOfTheBuildOnly()
    {
        const QRegularExpression buildOnly(QStringLiteral("(^|/)(tst_|bench_|fuzz_)|\\.a$|guide-pdf|views-demo"));
        const QStringList files = installedFiles();
        QVERIFY(!files.isEmpty());
        for (const QString& file : files) {
            QVERIFY2(!file.startsWith(QLatin1String("../")), qPrintable(file));
            QVERIFY2(!buildOnly.match(file).hasMatch(), qPrintable(file));
        }
    }

    void desktopEntry()
    {
        const QString entry = prefix() + QStringLiteral("/share/applications/velmoran.desktop");
        QFile file(entry);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        // The command and the icon it names are the installed ones.
        QVERIFY(text.contains("\nExec=velmoran\n"));
        QVERIFY(QFileInfo(prefix() + QStringLiteral("/bin/velmoran")).isExecutable());
        QVERIFY(text.contains("\nIcon=velmoran\n"));
        QVERIFY(QFileInfo::exists(prefix() + QStringLiteral("/share/icons/hicolor/128x128/apps/velmoran.png")));
        QProcess validate;
        validate.setProcessChannelMode(QProcess::MergedChannels);
        validate.start(QStringLiteral("desktop-file-validate"), {entry});
        QVERIFY2(validate.waitForFinished(), "desktop-file-validate (scripts/setup installs it) did not run");
        const QByteArray output = validate.readAll();
        QVERIFY2(validate.exitCode() == 0 && output.isEmpty(), output.constData());
    }

    // Started by its launcher without the build's plug-in folder in the environment, the
    // program shows its login form with the plug-ins and libraries of its own folder and
    // logs beside itself.
    void startsFromItsFolder()
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("VELMORAN_PLUGIN_DIR"));
        env.remove(QStringLiteral("LD_LIBRARY_PATH"));
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("TMPDIR"), home.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
        env.insert(QStringLiteral("VELMORAN_INSTANCE_KEY"), keySuffix);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // Qt's own debug lines say which window reached the screen (painting) and what
        // its widgets show (accessibility); the program logs them on its console.
        env.insert(QStringLiteral("QT_LOGGING_RULES"),
                   QStringLiteral("qt.widgets.painting=true\nqt.accessibility.cache=true"));
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(prefix() + QStringLiteral("/bin/velmoran"), QStringList());
        QVERIFY(process.waitForStarted());

        QByteArray output;
        const QRegularExpression shown(QStringLiteral("Flushing [^\\n]* of kuLoginForm\\("));
        QTRY_VERIFY_WITH_TIMEOUT(shown.match(QString::fromUtf8(output += process.readAll())).hasMatch(), 30000);
        const QString text = QString::fromUtf8(output);
        // The server list is filled from the primary plug-in.
        QVERIFY(text.contains(QStringLiteral("name=\"Основной сервер\" role=ComboBox")));

        // The launcher exec'ed the program: the pid is the program's own.
        QFile maps(QStringLiteral("/proc/%1/maps").arg(process.processId()));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        const QRegularExpression ourFile(QStringLiteral("/(Velmoran|libvelmoran_\\w+\\.so|ku_\\w+\\.so)$"));
        QStringList ours;
        for (const QByteArray& line : maps.readAll().split('\n')) {
            const int at = line.indexOf('/');
            const QString path = at < 0 ? QString() : QString::fromUtf8(line.mid(at));
            if (ourFile.match(path).hasMatch())
                ours << path;
        }
        ours.removeDuplicates();
        for (const QString& name :
             {QStringLiteral("bin/Velmoran"), QStringLiteral("lib/libvelmoran_core.so"),
              QStringLiteral("lib/libvelmoran_plugin_api.so"), QStringLiteral("bin/plugins/ku_mainlink1.so"),
              QStringLiteral("bin/plugins/ku_sparelink1.so")})
            QVERIFY2(ours.contains(installedFolder() + QLatin1Char('/') + name),
                     qPrintable(ours.join(QLatin1Char('\n'))));
        for (const QString& path : qAsConst(ours))
            QVERIFY2(path.startsWith(installedFolder() + QLatin1Char('/')), qPrintable(path));

        QFile log(
                programFolder() +
                QStringLiteral("/logs/Velmoran_%1.log").arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd"))));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains(QStringLiteral("[%1] info Velmoran").arg(process.processId()).toUtf8()));

        process.kill();
        QVERIFY(process.waitForFinished());
    }
};

QTEST_GUILESS_MAIN(tst_Install)
#include "tst_install.moc"
