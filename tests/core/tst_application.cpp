#include <QtTest>

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>

#include "kuaccessdb.h"
#include "kuapplication.h"
#include "kumigration.h"
#include "kupaths.h"
#include "kusettingshash.h"

Q_DECLARE_METATYPE(kuNetworkSettings)

namespace {

QT_WARNING_PUSH
QT_WARNING_DISABLE_DEPRECATED
QByteArray binary(const QJsonObject& root)
{
    return QJsonDocument(root).toBinaryData();
}
QT_WARNING_POP

void compareNetwork(const kuNetworkSettings& got, const kuNetworkSettings& want)
{
    QCOMPARE(got.proxyHost, want.proxyHost);
    QCOMPARE(got.proxyPort, want.proxyPort);
    QCOMPARE(got.proxyUser, want.proxyUser);
    QCOMPARE(got.proxyPassword, want.proxyPassword);
    QCOMPARE(got.proxyEnabled, want.proxyEnabled);
}

kuNetworkSettings defaults()
{
    kuNetworkSettings n;
    n.proxyHost = QStringLiteral("127.0.0.1");
    n.proxyPort = 1234;
    n.proxyUser = QStringLiteral("username");
    n.proxyPassword = QStringLiteral("mirabelz");
    return n;
}

} // namespace

class tst_Application : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir dir;
    kuApplication* app() { return kuApplication::instance().data(); }

private slots:
    // Runs first: the object was created in a home without database or settings file.
    void firstStart()
    {
        QVERIFY(app());
        int argc = 0;
        QCOMPARE(kuApplication::createInstance(argc, nullptr).data(), app());
        QCOMPARE(app()->applicationName(), QStringLiteral("Velmoran"));
        QCOMPARE(app()->settingsFilePath(), kuApplication::defaultSettingsFile());
        QCOMPARE(app()->appSettings().keys(), QStringList{"network"});
        compareNetwork(app()->networkSettings(), defaults());
        QCOMPARE(app()->themePath(), QStringLiteral(":/default"));
        QCOMPARE(app()->appSettings().value("appstyle").toString(), QStringLiteral("default"));
    }

    // The folders themselves are checked in tst_paths; the application forwards to them.
    void folders()
    {
        QCOMPARE(kuApplication::configPath(), kuPaths::configPath());
        QCOMPARE(kuApplication::defaultSettingsFile(), kuPaths::defaultSettingsFile());
        QCOMPARE(kuApplication::pluginPaths(), kuPaths::pluginPaths());
    }

    void roundTrip()
    {
        kuNetworkSettings n;
        n.proxyHost = QStringLiteral("proxy.local");
        n.proxyPort = 65535;
        n.proxyUser = QStringLiteral("пользователь");
        n.proxyPassword = QStringLiteral("p'w\"d");
        n.proxyEnabled = true;
        app()->setNetworkSettings(n);
        app()->themePath(); // puts "appstyle" into the settings in use, which is never saved

        const QJsonObject application{{"geometry", "AQID"}, {"tabs", QJsonArray{QJsonObject{{"index", 0}}}}};
        const QString path = dir.filePath("round.vlm");
        QSignalSpy saved(app(), &kuApplication::on_saveAppSettings);
        QVERIFY(app()->saveSettings(application, path));
        QCOMPARE(saved.count(), 1);
        QCOMPARE(saved.first().first().toString(), path);
        QCOMPARE(QFileInfo(path).permissions() & 0x0777, QFile::ReadUser | QFile::WriteUser);

        app()->setNetworkSettings(kuNetworkSettings());
        QSignalSpy loaded(app(), &kuApplication::on_loadAppSettings);
        const QJsonObject root = app()->loadSettings(path);
        QCOMPARE(loaded.count(), 1);
        QCOMPARE(root.keys(), (QStringList{"application", "network"}));
        QCOMPARE(root.value("application").toObject(), application);
        compareNetwork(app()->networkSettings(), n);
        QCOMPARE(app()->settingsFilePath(), path);
    }

    void load_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<kuNetworkSettings>("network");
        QTest::addColumn<bool>("networkInserted");

        kuNetworkSettings cut;
        cut.proxyPort = quint16(70000);
        cut.proxyHost = QStringLiteral("h");
        QTest::newRow("port cut to 16 bits")
                << binary({{"network", QJsonObject{{"Port", 70000}, {"Host", "h"}}}}) << cut << false;
        QTest::newRow("keys missing inside network")
                << binary({{"network", QJsonObject{}}}) << kuNetworkSettings() << false;
        QTest::newRow("no network") << binary({{"application", QJsonObject{}}}) << defaults() << true;
        QTest::newRow("not binary JSON") << QByteArray("{\"network\":{}}") << defaults() << true;
        QTest::newRow("empty file") << QByteArray() << defaults() << true;
    }
    void load()
    {
        QFETCH(QByteArray, content);
        QFETCH(kuNetworkSettings, network);
        QFETCH(bool, networkInserted);
        const QString path = dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + ".vlm");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();

        const QJsonObject root = app()->loadSettings(path);
        compareNetwork(app()->networkSettings(), network);
        QCOMPARE(app()->settingsFilePath(), path);
        if (networkInserted)
            QCOMPARE(root.value("network").toObject().value("Password").toString(), QStringLiteral("mirabelz"));
    }

    // Only a regular file of a sane size is read: a FIFO would block the start
    // for good, a device or a huge file never end or eat the memory.
    void loadRefusesOddFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("fifo") << "fifo";
        QTest::newRow("device") << "device";
        QTest::newRow("oversized") << "oversized";
        QTest::newRow("folder") << "folder";
    }
    void loadRefusesOddFiles()
    {
        QFETCH(QString, kind);
        QString path = dir.filePath(kind + ".vlm");
        if (kind == "fifo") {
            QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        } else if (kind == "device") {
            path = QStringLiteral("/dev/zero");
        } else if (kind == "oversized") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(binary({{"network", QJsonObject{{"Host", "h"}}}}));
            QVERIFY(file.resize(kuApplication::maxSettingsBytes + 1));
        } else {
            QVERIFY(QDir().mkpath(path));
        }
        const QString before = app()->settingsFilePath();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Settings file ignored"));
        QElapsedTimer clock;
        clock.start();
        const QJsonObject root = app()->loadSettings(path);
        QVERIFY(clock.elapsed() < 2000);
        QCOMPARE(app()->settingsFilePath(), before);
        compareNetwork(app()->networkSettings(), defaults());
        QCOMPARE(root.keys(), QStringList{"network"});
    }

    void loadMissingKeepsPath()
    {
        const QString before = app()->settingsFilePath();
        QSignalSpy loaded(app(), &kuApplication::on_loadAppSettings);
        const QJsonObject root = app()->loadSettings(dir.filePath("missing.vlm"));
        QCOMPARE(app()->settingsFilePath(), before);
        QCOMPARE(loaded.count(), 1);
        QCOMPARE(root.keys(), QStringList{"network"});
        compareNetwork(app()->networkSettings(), defaults());
    }

    // A file that cannot be written is reported, and what was there stays.
    void saveFailure()
    {
        QSignalSpy saved(app(), &kuApplication::on_saveAppSettings);
        QTest::ignoreMessage(QtWarningMsg, "Couldn't open save file.");
        QVERIFY(!app()->saveSettings({}, dir.filePath("no/such/folder/x.vlm")));

        const QString target = dir.filePath("taken");
        QVERIFY(QDir().mkpath(target + "/inside"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Couldn't"));
        QVERIFY(!app()->saveSettings({}, target));
        QVERIFY(QFileInfo(target + "/inside").isDir());
        QCOMPARE(saved.count(), 0);
    }

    void activeRowChoosesFile()
    {
        QVERIFY(updateDatabaseSchema());
        const QString path = dir.filePath("chosen.vlm");
        const QJsonObject application{{"name", "chosen"}};
        QVERIFY(app()->saveSettings(application, path));
        kuAccessDB db;
        QVERIFY(db.executeNonQuery(QStringLiteral("insert into settings(path, description, hash) values(?1, 'x', ?2);"
                                                  "update settings set active_flag=1 where hash=?2;"),
                                   {path, settingsHash(path)}));
        app()->loadActiveSettings();
        QCOMPARE(app()->settingsFilePath(), path);
        QCOMPARE(app()->appSettings().value("application").toObject(), application);
    }
};

int main(int argc, char** argv)
{
    // Start as on a first run: no database, no settings file.
    QDir(kuApplication::configPath()).removeRecursively();
    QPointer<kuApplication> app = kuApplication::createInstance(argc, argv);
    tst_Application test;
    const int rc = QTest::qExec(&test, argc, argv);
    delete app.data();
    return rc;
}

#include "tst_application.moc"
