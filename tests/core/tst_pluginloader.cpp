#include <QCryptographicHash>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

#include "kupluginloader.h"
#include "logcapture.h"
#include "recordingconnector.h"

namespace {

QString built(const QString& name)
{
    return qEnvironmentVariable("VELMORAN_PLUGIN_DIR") + QLatin1Char('/') + name + QStringLiteral(".so");
}

bool copyTo(const QString& from, const QString& to)
{
    QDir().mkpath(QFileInfo(to).absolutePath());
    return QFile::copy(from, to);
}

} // namespace

class tst_PluginLoader : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_config;
    QString m_beside;
    std::optional<LogCapture> m_log;

    QStringList warnings() const { return m_log->lines({QtWarningMsg}); }

private slots:
    // Two plug-in folders as the program has them: the configuration folder's holds
    // the primary build in a sub-folder, the one beside the program both builds and
    // files that must never be loaded.
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_config = m_dir.filePath("config/plugins");
        m_beside = m_dir.filePath("bin/plugins");
        QVERIFY(copyTo(built("ku_mainlink1"), m_config + "/sub/ku_mainlink1.so"));
        QVERIFY(copyTo(built("ku_mainlink1"), m_beside + "/ku_mainlink1.so"));
        QVERIFY(copyTo(built("ku_sparelink1"), m_beside + "/ku_sparelink1.so"));
        QVERIFY(copyTo(built("ku_mainlink1"), m_beside + "/mainlink1.so"));
        QVERIFY(copyTo(built("ku_sparelink1"), m_beside + "/libku_sparelink1.so"));
        QVERIFY(copyTo(built("ku_sparelink1"), m_beside + "/ku_sparelink1.so.orig"));
        QVERIFY(QDir().mkpath(m_dir.filePath("empty")));
        QFile broken(m_beside + "/ku_broken.so");
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("not a library");
    }

    void init() { m_log.emplace(); }
    void cleanup() { m_log.reset(); }

    void findsBothBuildsInBothFolders()
    {
        const auto plugins = loadPlugins<ConnectPluginInterface>(pkConnection, {m_config, m_beside});
        QStringList names;
        for (const auto& p : plugins)
            names << p->pluginName();
        // Configuration folder first; the misnamed copies are not among them.
        QCOMPARE(names.size(), 3);
        QCOMPARE(names.first(), QStringLiteral("Основной сервер"));
        names.sort();
        QCOMPARE(names, (QStringList{"Основной сервер", "Основной сервер", "Резервный сервер"}));
        // The broken file costs one warning.
        QCOMPARE(warnings().size(), 1);
        QVERIFY(warnings().first().contains(QLatin1String("ku_broken.so")));
    }

    void identity_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("priority");
        QTest::addColumn<QByteArray>("idString");
        QTest::addColumn<QString>("host");
        QTest::newRow("primary") << "ku_mainlink1"
                                 << "qMainlinkConnPlugin"
                                 << "Основной сервер" << 10 << QByteArray("ku_mainlink_win_x86_mingw")
                                 << VELMORAN_PRIMARY_HOST;
        QTest::newRow("spare") << "ku_sparelink1"
                               << "qSparelinkConnPlugin"
                               << "Резервный сервер" << 5 << QByteArray("ku_sparelink_win_x86_mingw")
                               << VELMORAN_SPARE_HOST;
    }
    void identity()
    {
        QFETCH(QString, file);
        QFETCH(QString, className);
        QFETCH(QString, name);
        QFETCH(int, priority);
        QFETCH(QByteArray, idString);
        QFETCH(QString, host);

        const QJsonObject meta = QPluginLoader(built(file)).metaData();
        QCOMPARE(meta.value("IID").toString(), QStringLiteral("ru.Brenholt.Velmoran.ConnectPluginInterface"));
        QCOMPARE(meta.value("className").toString(), className);
        QVERIFY(meta.value("MetaData").toObject().isEmpty());

        const auto plugins = loadPlugins<ConnectPluginInterface>(pkConnection, {QFileInfo(built(file)).path()});
        QSharedPointer<ConnectPluginInterface> plugin;
        for (const auto& p : plugins) {
            if (p->pluginName() == name)
                plugin = p;
        }
        QVERIFY(plugin);
        QCOMPARE(plugin->type(), 800);
        QCOMPARE(plugin->description(), name);
        QCOMPARE(plugin->version(), 10601000);
        QCOMPARE(plugin->dataType(), 3);
        QCOMPARE(int(plugin->priority()), priority);
        QCOMPARE(plugin->server(), QStringLiteral("https://%1/Brenholt/vlmV1.6").arg(host));
        const QString guid = plugin->guid();
        QVERIFY(QRegularExpression(QStringLiteral("^[0-9a-f]{64}$")).match(guid).hasMatch());
        QCOMPARE(guid, QString::fromLatin1(QCryptographicHash::hash(idString, QCryptographicHash::Keccak_256).toHex()));
        QCOMPARE(plugin->guid(), guid);

        // The connection crosses the boundary as our own class and belongs to the caller's parent.
        auto* parent = new QObject;
        const QPointer<kuAbstractConn> conn = plugin->create(parent);
        QVERIFY(conn);
        QCOMPARE(conn->parent(), parent);
        QVERIFY(qobject_cast<kuAbstractConn*>(static_cast<QObject*>(conn.data())));
        QCOMPARE(conn->serverUrl(), plugin->server());
        delete parent;
        QVERIFY(conn.isNull());
    }

    // Without folders the application's two plug-in folders are searched, the configuration one first.
    void applicationFolders()
    {
        const QStringList folders = kuPaths::pluginPaths();
        QCOMPARE(folders.size(), 2);
        const QString copy = folders.first() + "/nested/ku_sparelink1.so";
        QFile::remove(copy);
        QVERIFY(copyTo(built("ku_sparelink1"), copy));
        const auto plugins = loadPlugins<ConnectPluginInterface>(pkConnection);
        QVERIFY(!plugins.isEmpty());
        QCOMPARE(plugins.first()->pluginName(), QStringLiteral("Резервный сервер"));
        QVERIFY(QFile::remove(copy));
    }

    void guidsDiffer()
    {
        const auto plugins = loadPlugins<ConnectPluginInterface>(pkConnection, {m_beside});
        QSet<QString> guids;
        for (const auto& p : plugins)
            guids.insert(p->guid());
        QCOMPARE(guids.size(), 2);
    }

    // Every caller shares the plug-in objects; dropping them all never deletes one.
    void loadingAgainSharesInstances()
    {
        QList<QObject*> first;
        {
            const auto plugins = loadPlugins<ConnectPluginInterface>(pkConnection, {m_config, m_beside});
            for (const auto& p : plugins)
                first << dynamic_cast<QObject*>(p.data());
            const auto again = loadPlugins<ConnectPluginInterface>(pkConnection, {m_config, m_beside});
            QCOMPARE(again.size(), plugins.size());
            for (int i = 0; i < again.size(); ++i)
                QCOMPARE(again.at(i).data(), plugins.at(i).data());
        }
        // A different interface or kind takes nothing and releases nothing.
        QVERIFY(loadPlugins<ConnectPluginInterface>(pkWidget, {m_config, m_beside}).isEmpty());
        QVERIFY(loadPlugins<WidgetPluginInterface>(pkWidget, {m_config, m_beside}).isEmpty());

        const auto later = loadPlugins<ConnectPluginInterface>(pkConnection, {m_config, m_beside});
        QCOMPARE(later.size(), first.size());
        for (int i = 0; i < later.size(); ++i) {
            QCOMPARE(dynamic_cast<QObject*>(later.at(i).data()), first.at(i));
            QVERIFY(!later.at(i)->pluginName().isEmpty());
        }
    }

    void noFolders_data()
    {
        QTest::addColumn<QStringList>("folders");
        QTest::newRow("none") << QStringList();
        QTest::newRow("missing") << QStringList{m_dir.filePath("nowhere")};
        QTest::newRow("empty") << QStringList{m_dir.filePath("empty")};
    }
    void noFolders()
    {
        QFETCH(QStringList, folders);
        QVERIFY(loadPlugins<ConnectPluginInterface>(pkConnection, folders).isEmpty());
        QVERIFY(warnings().isEmpty());
    }

    // Higher first; equal priorities keep their discovery order.
    void priorityOrder_data()
    {
        QTest::addColumn<QList<int>>("priorities");
        QTest::addColumn<QString>("order");
        QTest::newRow("two builds") << QList<int>{5, 10} << "ba";
        QTest::newRow("unsigned") << QList<int>{10, 200} << "ba";
        QTest::newRow("ties keep order") << QList<int>{5, 10, 5, 10, 5} << "bdace";
        QTest::newRow("all equal") << QList<int>{7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7}
                                   << "abcdefghijklmnopqrst";
    }
    void priorityOrder()
    {
        QFETCH(QList<int>, priorities);
        QFETCH(QString, order);
        QVector<QSharedPointer<ConnectPluginInterface>> plugins;
        for (int i = 0; i < priorities.size(); ++i)
            plugins << QSharedPointer<ConnectPluginInterface>(
                    new RecordingConnector(QString(QChar('a' + i)), quint8(priorities.at(i))));
        sortByPriority(plugins);
        QString got;
        for (const auto& p : plugins)
            got += p->pluginName();
        QCOMPARE(got, order);
    }
};

QTEST_MAIN(tst_PluginLoader)
#include "tst_pluginloader.moc"
