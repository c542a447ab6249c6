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

    // A removed configuration folder comes back on the next look-up.
    void foldersMadeAgain()
    {
        QVERIFY(QDir(kuPaths::configPath()).removeRecursively());
        QVERIFY(QFileInfo(kuPaths::pluginPaths().first()).isDir());
    }
};

QTEST_GUILESS_MAIN(tst_Paths)
#include "tst_paths.moc"
