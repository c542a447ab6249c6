#include <QtTest>

#include <QDir>
#include <QFileInfo>

#include "kupaths.h"

// No application object beyond QCoreApplication: the data path reads its folders without the GUI.
class tst_Paths : public QObject
{
    Q_OBJECT
private slots:
    void folders()
    {
        const QString config = kuPaths::configPath();
        QCOMPARE(config, QDir::homePath() + "/.config/Velmoran");
        QVERIFY(QFileInfo(config).isDir());
        // Settings paths, proxy credentials and account data live there.
        QCOMPARE(QFileInfo(config).permissions() & 0x0777, QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
        QCOMPARE(kuPaths::defaultSettingsFile(), config + "/Velmoran_v2.vlm");
        const QStringList plugins = kuPaths::pluginPaths();
        QCOMPARE(plugins, (QStringList{config + "/plugins", QCoreApplication::applicationDirPath() + "/plugins"}));
        for (const QString& p : plugins)
            QVERIFY(QFileInfo(p).isDir());
    }

    // The XDG variables move the folders when they hold an absolute path; their defaults are the home's.
    void xdgFolders_data()
    {
        QTest::addColumn<QByteArray>("config");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("configPath");
        QTest::addColumn<QString>("dataHome");
        const QString home = QDir::homePath();
        QTest::newRow("unset") << QByteArray() << QByteArray() << home + "/.config/Velmoran" << home + "/.local/share";
        QTest::newRow("empty") << QByteArray("") << QByteArray("") << home + "/.config/Velmoran"
                               << home + "/.local/share";
        QTest::newRow("absolute") << QFile::encodeName(home + "/xdg/conf/") << QFile::encodeName(home + "/xdg/data")
                                  << home + "/xdg/conf/Velmoran" << home + "/xdg/data";
        QTest::newRow("relative, ignored") << QByteArray("conf") << QByteArray("./data") << home + "/.config/Velmoran"
                                           << home + "/.local/share";
    }

    void xdgFolders()
    {
        QFETCH(QByteArray, config);
        QFETCH(QByteArray, data);
        QFETCH(QString, configPath);
        QFETCH(QString, dataHome);
        const auto restore = qScopeGuard([] {
            qunsetenv("XDG_CONFIG_HOME");
            qunsetenv("XDG_DATA_HOME");
        });
        for (const auto& [name, value] : {std::pair{"XDG_CONFIG_HOME", config}, std::pair{"XDG_DATA_HOME", data}}) {
            if (value.isNull())
                qunsetenv(name);
            else
                qputenv(name, value);
        }
        QCOMPARE(kuPaths::configPath(), configPath);
        QVERIFY(QFileInfo(configPath).isDir());
        QCOMPARE(kuPaths::defaultSettingsFile(), configPath + "/Velmoran_v2.vlm");
        QCOMPARE(kuPaths::dataHome(), dataHome);
        // A test build is no installed program: its guide is beside it.
        QVERIFY(!kuPaths::isInstalled());
        QCOMPARE(kuPaths::userGuideFile(), QCoreApplication::applicationDirPath() + "/doc/Velmoran.pdf");
    }

    // A removed configuration folder comes back on the next look-up.
    void foldersMadeAgain()
    {
        QVERIFY(QDir(kuPaths::configPath()).removeRecursively());
        QVERIFY(QFileInfo(kuPaths::pluginPaths().first()).isDir());
    }
};

QTEST_GUILESS_MAIN(tst_Paths)
#include "tst_paths.moc"
