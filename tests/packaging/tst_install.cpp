#include <QtTest>

#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSharedMemory>
#include <QStandardPaths>
#include <QSystemSemaphore>
#include <QTemporaryDir>

// Installs the build as a package would (prefix /usr, into a temporary DESTDIR) and
// runs what was installed: the program must take everything from its own folder.
class tst_Install : public QObject
{
    Q_OBJECT
private:
    struct Run
    {
        int exitCode = -1;
        QProcess::ExitStatus exitStatus = QProcess::CrashExit;
        QByteArray output;
        QByteArray errors;
    };

    // An installed command, as from a text console: no display, no platform chosen.
    Run run(const QString& command, const QStringList& arguments) const
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "VELMORAN_PLUGIN_DIR", "LD_LIBRARY_PATH"})
            env.remove(QLatin1String(name));
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("VELMORAN_INSTANCE_KEY"), keySuffix);
        process.setProcessEnvironment(env);
        process.start(prefix() + "/bin/" + command, arguments);
        Run result;
        if (!process.waitForFinished(30000))
            return result;
        result.exitCode = process.exitCode();
        result.exitStatus = process.exitStatus();
        result.output = process.readAllStandardOutput();
        result.errors = process.readAllStandardError();
        return result;
    }

    static QByteArray unzipped(const QString& file)
    {
        QProcess gzip;
        gzip.start(QStringLiteral("gzip"), {QStringLiteral("-dc"), file});
        if (!gzip.waitForFinished())
            return QByteArray();
        return gzip.exitCode() == 0 ? gzip.readAllStandardOutput() : QByteArray();
    }

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
        QTest::newRow("user guide") << "share/doc/velmoran/Velmoran.pdf" << false;
        QTest::newRow("metainfo") << "share/metainfo/velmoran.metainfo.xml" << false;
        for (const char* package : {"velmoran", "velmoran-demo-server"}) {
            const QString doc = QStringLiteral("share/doc/%1/").arg(QLatin1String(package));
            QTest::newRow(qPrintable(doc + "copyright")) << doc + "copyright" << false;
            QTest::newRow(qPrintable(doc + "changelog")) << doc + "changelog.Debian.gz" << false;
            const QString man = QStringLiteral("share/man/man1/%1.1.gz").arg(QLatin1String(package));
            QTest::newRow(qPrintable(man)) << man << false;
        }
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
        // Qt's translations come from the system (qttranslations5-l10n), not a copy of ours.
        const QRegularExpression buildOnly(QStringLiteral("(^|/)(tst_|bench_|fuzz_)|\\.a$|guide-pdf|views-demo|\\.qm$|/i18n/"));
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

    // The package's documents are what Debian's tools read: a machine-readable copyright,
    // a changelog of this version, and manual pages that name every option the program takes.
    void packageDocuments_data()
    {
        QTest::addColumn<QString>("package");
        QTest::newRow("velmoran") << "velmoran";
        QTest::newRow("velmoran-demo-server") << "velmoran-demo-server";
    }

    void packageDocuments()
    {
        QFETCH(QString, package);
        QFile copyright(prefix() + "/share/doc/" + package + "/copyright");
        QVERIFY(copyright.open(QIODevice::ReadOnly));
        const QByteArray text = copyright.readAll();
        QVERIFY(text.startsWith("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"));
        for (const char* license : {"\nLicense: BSL-1.0\n", "\nLicense: MIT\n", "\nFiles: *\n"})
            QVERIFY2(text.contains(license), license);

        const QByteArray changelog = unzipped(prefix() + "/share/doc/" + package + "/changelog.Debian.gz");
        QVERIFY2(changelog.startsWith(package.toUtf8() + " (" VELMORAN_VERSION "-1) "), changelog.constData());

        const QString man = QString::fromUtf8(unzipped(prefix() + "/share/man/man1/" + package + ".1.gz"));
        QVERIFY(man.startsWith(".TH " + package.toUpper() + " 1 "));
        QVERIFY(man.contains("Velmoran " VELMORAN_VERSION));
        // Every long option of --help is in the manual page ("-" is "\-" there).
        const QString help = QString::fromUtf8(run(package, {"--help"}).output);
        const QRegularExpression option(QStringLiteral("(?:^|\\s)--([a-z][a-z-]*)"));
        int options = 0;
        for (auto match = option.globalMatch(help); match.hasNext(); ++options) {
            const QString name = match.next().captured(1);
            QVERIFY2(man.contains("\\-\\-" + QString(name).replace("-", "\\-")), qPrintable(name));
        }
        QVERIFY(options >= 2);
    }

    void metainfo()
    {
        const QString file = prefix() + "/share/metainfo/velmoran.metainfo.xml";
        QFile metainfo(file);
        QVERIFY(metainfo.open(QIODevice::ReadOnly));
        const QByteArray text = metainfo.readAll();
        QVERIFY(text.contains("<launchable type=\"desktop-id\">velmoran.desktop</launchable>"));
        QVERIFY(text.contains("<release version=\"" VELMORAN_VERSION "\""));
        const QString appstream = QStandardPaths::findExecutable("appstreamcli");
        if (appstream.isEmpty())
            QSKIP("appstreamcli is not installed: the metainfo file is not validated");
        QProcess validate;
        validate.setProcessChannelMode(QProcess::MergedChannels);
        validate.start(appstream, {"validate", "--no-net", file});
        QVERIFY(validate.waitForFinished(60000));
        QVERIFY2(validate.exitCode() == 0, validate.readAll().constData());
    }

    // The installed commands answer without a display; only a start needs one.
    void commandLine_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        const QString version = QStringLiteral(VELMORAN_VERSION);
        for (const QString command : {"velmoran", "velmoran-demo-server"}) {
            const QString row = command + ' ';
            QTest::newRow(qPrintable(row + "--version")) << command << QStringList{"--version"} << 0
                                                         << QString("^%1 %2\n$").arg(command, version) << "^$";
            QTest::newRow(qPrintable(row + "-v")) << command << QStringList{"-v"} << 0
                                                  << QString("^%1 %2\n$").arg(command, version) << "^$";
            QTest::newRow(qPrintable(row + "--help")) << command << QStringList{"--help"} << 0
                                                      << "^Usage: \\S*" + command + " \\[(OPTION|options)\\]" << "^$";
            QTest::newRow(qPrintable(row + "unknown option"))
                    << command << QStringList{"--bogus"} << 2 << "^$"
                    << QString("^%1: [^\n]*'-?-?bogus'[^\n]*\n$").arg(command);
            QTest::newRow(qPrintable(row + "argument")) << command << QStringList{"stray"} << 2 << "^$"
                                                        << QString("^%1: [^\n]*'stray'[^\n]*\n$").arg(command);
        }
        // Qt's own options stay taken, before or after ours.
        QTest::newRow("velmoran -platform offscreen --version")
                << "velmoran" << QStringList{"-platform", "offscreen", "--version"} << 0
                << QString("^velmoran %1\n$").arg(version) << "^$";
        QTest::newRow("velmoran -style without its value")
                << "velmoran" << QStringList{"-style"} << 2 << "^$" << "^velmoran: [^\n]*'-style'[^\n]*\n$";
        QTest::newRow("velmoran without a display")
                << "velmoran" << QStringList() << 1 << "^$" << "^velmoran: [^\n]*graphical session[^\n]*\n$";
        QTest::newRow("velmoran with a display that is not there")
                << "velmoran" << QStringList{"-display", ":1999"} << 1 << "^$"
                << "\nvelmoran: [^\n]*graphical session[^\n]*\n$";
    }

    void commandLine()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const Run result = run(command, arguments);
        QCOMPARE(result.exitStatus, QProcess::NormalExit);
        QCOMPARE(result.exitCode, exitCode);
        QVERIFY2(QRegularExpression(out).match(QString::fromUtf8(result.output)).hasMatch(), result.output.constData());
        QVERIFY2(QRegularExpression(err).match(QString::fromUtf8(result.errors)).hasMatch(), result.errors.constData());
        // Qt's advice to reinstall would mislead.
        QVERIFY(!result.errors.contains("Reinstalling"));
    }

    // Started by its launcher without the build's plug-in folder in the environment, the
    // program shows its login form with the plug-ins and libraries of its own folder and
    // logs in the user's data folder.
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

        // Installed, it logs in the user's data folder at once, with no word about the program's own folder.
        QVERIFY2(!text.contains(QStringLiteral("Cannot write logs")), qPrintable(text));
        QVERIFY(!QFileInfo::exists(programFolder() + QStringLiteral("/logs")));
        QFile log(home.path() + QStringLiteral("/.local/share/Velmoran/logs/Velmoran_%1.log")
                                        .arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd"))));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains(QStringLiteral("[%1] info Velmoran").arg(process.processId()).toUtf8()));

        process.kill();
        QVERIFY(process.waitForFinished());
    }
};

QTEST_GUILESS_MAIN(tst_Install)
#include "tst_install.moc"
