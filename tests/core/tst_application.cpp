#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QUuid>

#include "../common/logcapture.h"
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

    // The active settings file cannot be read or decoded: it is set aside beside itself with
    // its bytes, the message names both files, the log says it, the workspace opens empty
    // and the file's name is free for the layout saved at the close. A file that decodes
    // without a layout, and a new user's missing file, are used as they are.
    void damagedActiveFile_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<bool>("setAside");
        for (const char* damage : {"cut to 8 bytes", "cut to 100 bytes", "cut to half", "one byte short",
                                   "random bytes", "empty", "folder", "oversized", "unreadable"})
            QTest::newRow(damage) << damage << true;
        QTest::newRow("no layout") << "no layout" << false;
        QTest::newRow("missing") << "missing" << false;
    }
    void damagedActiveFile()
    {
        QFETCH(QString, damage);
        QFETCH(bool, setAside);
        if (damage == "unreadable" && ::geteuid() == 0)
            QSKIP("root reads every file");
        const QString path = kuApplication::defaultSettingsFile();
        QDir config(kuApplication::configPath());
        for (const QString& old : config.entryList({"Velmoran_v2.damaged-*"}, QDir::AllEntries))
            QVERIFY(QFile(config.filePath(old)).remove() || QDir(config.filePath(old)).removeRecursively());
        QVERIFY(updateDatabaseSchema());
        // A layout of four windows on two tabs, as the main window writes it.
        QJsonArray windows;
        for (int i = 0; i < 4; ++i)
            windows.append(QJsonObject{{"winType", 10},
                                       {"paperID", i + 1},
                                       {"objectName", QUuid::createUuid().toString()},
                                       {"tabIndex", i % 2},
                                       {"settings", QJsonArray{}}});
        const QJsonObject layout{
                {"geometry", QString(400, 'A')},
                {"settings", windows},
                {"tabs", QJsonArray{QJsonObject{{"index", 0}, {"name", "Рабочий стол"}, {"state", QString(2000, 'B')}},
                                    QJsonObject{{"index", 1}, {"name", "Стаканы"}, {"state", QString(2000, 'C')}}}}};
        QVERIFY(app()->saveSettings(layout, path));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        const QByteArray sound = file.readAll();
        file.close();
        if (damage.startsWith("cut to") || damage == "one byte short" || damage == "empty") {
            const qint64 size = damage == "cut to 8 bytes"     ? 8
                                : damage == "cut to 100 bytes" ? 100
                                : damage == "cut to half"      ? sound.size() / 2
                                : damage == "empty"            ? 0
                                                               : sound.size() - 1;
            QVERIFY(file.resize(size));
        } else if (damage == "random bytes") {
            QVERIFY(file.open(QIODevice::WriteOnly));
            for (int i = 0; i < sound.size(); ++i)
                file.putChar(char(QRandomGenerator::global()->bounded(256)));
            file.close();
        } else if (damage == "folder") {
            QVERIFY(file.remove());
            QVERIFY(QDir().mkpath(path + "/inside"));
        } else if (damage == "oversized") {
            QVERIFY(file.resize(kuApplication::maxSettingsBytes + 1));
        } else if (damage == "unreadable") {
            QVERIFY(file.setPermissions(QFileDevice::WriteOwner));
        } else if (damage == "no layout") {
            QVERIFY(app()->saveSettings(QJsonObject(), path));
            QJsonObject root = app()->loadSettings(path);
            root.remove("application");
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(binary(root));
            file.close();
        } else {
            QVERIFY(file.remove());
        }
        const QFileInfo info(path);
        const QByteArray before =
                info.isDir() ? QByteArray("folder") : (file.open(QIODevice::ReadOnly) ? file.readAll() : "?");
        file.close();

        LogCapture log;
        app()->loadActiveSettings();
        QCOMPARE(app()->settingsFilePath(), path);
        QVERIFY(!app()->appSettings().contains("application"));
        QCOMPARE(app()->mayOverwriteSettingsFile(), !setAside);
        const QString message = app()->setAsideDamagedSettings();
        const QStringList aside = config.entryList({"Velmoran_v2.damaged-*.vlm"}, QDir::AllEntries);
        QVERIFY(app()->mayOverwriteSettingsFile());
        if (!setAside) {
            QVERIFY(message.isEmpty());
            QVERIFY(aside.isEmpty());
            QCOMPARE(QFile::exists(path), damage != "missing");
            return;
        }
        QCOMPARE(aside.size(), 1);
        const QString kept = config.filePath(aside.first());
        QVERIFY(message.contains(path));
        QVERIFY(message.contains(kept));
        QVERIFY(message.endsWith("Рабочее пространство открыто пустым."));
        QVERIFY(!QFileInfo::exists(path));
        QFile keptFile(kept);
        QCOMPARE(QFileInfo(kept).isDir() ? QByteArray("folder")
                                         : (keptFile.open(QIODevice::ReadOnly) ? keptFile.readAll() : "?"),
                 before);
        QVERIFY(log.contains("is damaged"));
        QVERIFY(log.contains(kept));
        // Once only: the next start has nothing to set aside.
        QVERIFY(app()->setAsideDamagedSettings().isEmpty());
    }

    // Saving refuses exactly what loading refuses, by one limit: the largest document is
    // written and read back; one character more is refused with its size and not written,
    // the file already there stays, and the same bytes put there otherwise do not load.
    void sizeLimit_data()
    {
        QTest::addColumn<int>("extra");
        QTest::newRow("largest") << 0;
        QTest::newRow("one character more") << 1;
    }
    void sizeLimit()
    {
        QFETCH(int, extra);
        const kuNetworkSettings net = app()->networkSettings();
        // The document saveSettings writes for a layout holding only a filler text.
        auto document = [&net](int length) {
            return QJsonObject{{"application", QJsonObject{{"filler", QString(length, QLatin1Char('x'))}}},
                               {"network", QJsonObject{{"Host", net.proxyHost},
                                                       {"Port", int(net.proxyPort)},
                                                       {"User", net.proxyUser},
                                                       {"Password", net.proxyPassword},
                                                       {"Enabled", net.proxyEnabled}}}};
        };
        int fits = 0;
        int over = int(kuApplication::maxSettingsBytes);
        while (over - fits > 1) {
            const int middle = (fits + over) / 2;
            (binary(document(middle)).size() <= kuApplication::maxSettingsBytes ? fits : over) = middle;
        }
        const QJsonObject root = document(fits + extra);
        const QJsonObject application = root.value("application").toObject();
        const QString path = dir.filePath("limit.vlm");
        const QJsonObject before{{"before", true}};
        QVERIFY(app()->saveSettings(before, path));

        QSignalSpy saved(app(), &kuApplication::on_saveAppSettings);
        if (extra > 0)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Settings not saved to .*limit.vlm"));
        QString reason;
        QCOMPARE(app()->saveSettings(application, path, &reason), extra == 0);
        QCOMPARE(saved.count(), extra == 0 ? 1 : 0);
        QJsonObject read;
        QVERIFY(kuApplication::readSettingsFile(path, &read));
        if (extra == 0) {
            QCOMPARE(QFileInfo(path).size(), qint64(binary(root).size()));
            QCOMPARE(read.value("application").toObject(), application);
            return;
        }
        QCOMPARE(reason, QStringLiteral("рабочее пространство занимает 4,1 МБ, больше допустимых 4 МБ"));
        QCOMPARE(read.value("application").toObject(), before);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(binary(root)), qint64(binary(root).size()));
        file.close();
        QVERIFY(!kuApplication::readSettingsFile(path, &read));
    }

    // A settings file set aside takes its row in table settings along, so the list shows it
    // where it went. The file in use keeps its row as it was: the layout is written there
    // at the close and read from there at the next start.
    void setAsideRowFollows_data()
    {
        QTest::addColumn<bool>("inUse");
        QTest::newRow("the file in use, at the start") << true;
        QTest::newRow("another file, chosen to load") << false;
    }
    void setAsideRowFollows()
    {
        QFETCH(bool, inUse);
        QVERIFY(updateDatabaseSchema());
        QTemporaryDir folder;
        const QString path = folder.filePath("follows.vlm");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not binary json");
        file.close();
        kuAccessDB db;
        QVERIFY(db.executeNonQuery("begin immediate transaction;"
                                   "insert into settings(path, description, hash, content) values(?1, 'Моя', ?2, 'ab');"
                                   "update settings set active_flag=?3 where hash=?2;"
                                   "commit;",
                                   {path, settingsHash(path), inUse ? 1 : 0}));
        {
            LogCapture log;
            QString message;
            if (inUse) {
                app()->loadActiveSettings();
                QCOMPARE(app()->settingsFilePath(), path);
                message = app()->setAsideDamagedSettings();
            } else {
                QVERIFY(app()->settingsFilePath() != path);
                QVERIFY(!kuApplication::readLayoutFile(path, nullptr, &message));
            }
            QVERIFY(message.contains(path));
        }
        const QStringList aside = QDir(folder.path()).entryList({"follows.damaged-*.vlm"});
        QCOMPARE(aside.size(), 1);
        const QString kept = folder.filePath(aside.first());
        QVariantList rows{kept, "Моя", 0, "ab"};
        if (inUse)
            rows << path << "Моя" << 1 << "ab";
        const QVariantList found = db.execute("select path, description, active_flag, content from settings "
                                              "where path in (?1, ?2) order by path;",
                                              {path, kept});
        QCOMPARE(QVariant(found).toStringList(), QVariant(rows).toStringList());
        QCOMPARE(db.execute("select count(*) from settings where hash=?1", {settingsHash(kept)}).value(0).toInt(), 1);
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
