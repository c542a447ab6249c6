#include "fakesession.h"
#include "kuabstractpluginwidget.h"
#include "kuactionsmenubar.h"
#include "kuactionsmodel.h"
#include "kuapplication.h"
#include "kuclient.h"
#include "kupaperinfomimedata.h"
#include "kupluginmanager.h"
#include "kupluginmanageritem.h"
#include "kupluginmanagermodel.h"
#include "pluginfixture.h"

#include <QAction>
#include <QBuffer>
#include <QtTest>

namespace {

QString offeredFolder()
{
    return QStringLiteral(VELMORAN_BINARY_DIR "/demo-plugins");
}

// The guid our own widget plug-in reports.
QString widgetGuid()
{
    QFile file(offeredFolder() + "/ku_instrumentlist.json");
    file.open(QIODevice::ReadOnly);
    return QJsonDocument::fromJson(file.readAll()).object().value("guid").toString();
}

QString pngHex()
{
    QImage image(8, 6, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return QString::fromLatin1(buffer.data().toHex());
}

bool setIcon(const QString& guid, const QString& icon)
{
    kuAccessDB db;
    return db.executeNonQuery("update plugins set icon = ?1 where guid = ?2;", {icon, guid});
}

QStringList rowGuids(const kuPluginManagerModel* model)
{
    QStringList guids;
    if (model->rowCount() != 1)
        return {"<groups: " + QString::number(model->rowCount()) + ">"};
    const QModelIndex group = model->index(0, 0);
    for (int r = 0; r < model->rowCount(group); ++r)
        guids << model->index(r, 0, group).data(kuPluginManagerModel::GuidRole).toString();
    return guids;
}

kuPluginManagerItem* itemOf(const kuPluginManagerModel* model, const QString& guid)
{
    const QModelIndex group = model->index(0, 0);
    for (int r = 0; r < model->rowCount(group); ++r) {
        if (model->index(r, 0, group).data(kuPluginManagerModel::GuidRole).toString() == guid)
            return model->itemAt(model->index(r, 0, group));
    }
    return nullptr;
}

QVariantMap catalogueOf(const QStringList& guids)
{
    return {{"guids", guids}};
}

} // namespace

class tst_PluginManager : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void catalogueLoad();
    void installedPlugins_data();
    void installedPlugins();
    void vanishedRows_data();
    void vanishedRows();
    void closingKeepsOrCancelsChoices_data();
    void closingKeepsOrCancelsChoices();
    void pluginMenuOfTheMainWindow();

private:
    void installWidgetPlugin();

    FakeSession m_session;
};

void tst_PluginManager::initTestCase()
{
    QVERIFY(!widgetGuid().isEmpty());
}

void tst_PluginManager::init()
{
    QVERIFY(freshDatabase());
    QDir(kuApplication::pluginPaths().at(0)).removeRecursively();
    m_session.conn()->requests.clear();
}

void tst_PluginManager::installWidgetPlugin()
{
    const QString target = kuApplication::pluginPaths().at(0) + "/ku_instrumentlist.so";
    QVERIFY(QFile::copy(offeredFolder() + "/ku_instrumentlist.so", target));
}

void tst_PluginManager::catalogueLoad()
{
    QVERIFY(insertPluginRow("cc", "ku_c", 0x0));
    QVERIFY(insertPluginRow("aa", "ku_a", 0x1));
    QVERIFY(insertPluginRow("bb", "ku_b", 0x9));
    QVERIFY(setIcon("aa", pngHex()));
    QVERIFY(setIcon("bb", "not hex at all"));

    kuPluginManager dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Управление расширениями"));
    QCOMPARE(m_session.conn()->count("getPluginList"), 1);
    // The refresh leaves the table alone: statuses survive until the catalogue comes.
    QCOMPARE(pluginStatus("cc"), 0x0);
    QCOMPARE(pluginStatus("bb"), 0x9);

    dialog.slot_serverPluginSync(wtReportData, {}, {});
    QCOMPARE(dialog.model()->rowCount(), 0);

    for (int reply = 0; reply < 2; ++reply) {
        dialog.slot_serverPluginSync(wtPluginList, {}, catalogueOf({"aa", "bb", "cc"}));
        QCOMPARE(rowGuids(dialog.model()), (QStringList{"aa", "bb", "cc"}));
    }
    const kuPluginManagerModel* model = dialog.model();
    QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("Доступные модули"));
    QCOMPARE(itemOf(model, "aa")->icon().size(), QSize(8, 6));
    QVERIFY(itemOf(model, "bb")->icon().isNull());
    QCOMPARE(itemOf(model, "bb")->status(), 0x9);
    QVERIFY(!itemOf(model, "aa")->isInstalled());
}

void tst_PluginManager::installedPlugins_data()
{
    QTest::addColumn<int>("catalogueVersion"); // 0: not in the catalogue
    QTest::addColumn<bool>("updateAvailable");
    QTest::newRow("newer in the catalogue") << 10603000 << true;
    QTest::newRow("same version") << 10601000 << false;
    QTest::newRow("older in the catalogue") << 10600000 << false;
    QTest::newRow("not in the catalogue") << 0 << false;
}

void tst_PluginManager::installedPlugins()
{
    QFETCH(int, catalogueVersion);
    QFETCH(bool, updateAvailable);
    installWidgetPlugin();
    if (catalogueVersion)
        QVERIFY(insertPluginRow(widgetGuid(), "ku_instrumentlist", 0x1, catalogueVersion));

    kuPluginManager dialog;
    dialog.slot_serverPluginSync(wtPluginList, {}, {});
    const kuPluginManagerItem* item = itemOf(dialog.model(), widgetGuid());
    QVERIFY(item);
    QVERIFY(item->isInstalled());
    QCOMPARE(item->isUpdateAvailable(), updateAvailable);
    if (!catalogueVersion) {
        QCOMPARE(item->status(), 0x5);
        QCOMPARE(item->title(), QStringLiteral("Список инструментов"));
        QCOMPARE(item->version(), 10601000);
        QCOMPARE(item->price(), 0.0);
        QCOMPARE(item->icon().size(), QSize(32, 32));
    }
}

void tst_PluginManager::vanishedRows_data()
{
    QTest::addColumn<bool>("catalogueCame");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("catalogue") << true << QStringList{"aa", "cc", "dd", widgetGuid()};
    QTest::newRow("failed reply") << false << QStringList{"aa", "bb", "cc", "dd", widgetGuid()};
}

void tst_PluginManager::vanishedRows()
{
    QFETCH(bool, catalogueCame);
    QFETCH(QStringList, rows);
    installWidgetPlugin();
    QVERIFY(insertPluginRow("aa", "ku_a", 0x0));                      // listed, disabled: stays disabled
    QVERIFY(insertPluginRow("bb", "ku_b", 0x1));                      // gone from the catalogue
    QVERIFY(insertPluginRow("cc", "ku_c", 0x11));                     // gone, but its download waits
    QVERIFY(insertPluginRow("dd", "ku_d", 0x8));                      // gone, its removal waits
    QVERIFY(insertPluginRow(widgetGuid(), "ku_instrumentlist", 0x0)); // gone, but installed

    kuPluginManager dialog;
    dialog.slot_serverPluginSync(wtPluginList, {}, catalogueCame ? catalogueOf({"aa"}) : QVariantMap());
    rows.sort();
    QCOMPARE(rowGuids(dialog.model()), rows);
    QCOMPARE(pluginStatus("aa"), 0x0);
    QCOMPARE(pluginStatus(widgetGuid()), 0x0);
}

void tst_PluginManager::closingKeepsOrCancelsChoices_data()
{
    QTest::addColumn<bool>("accept");
    QTest::addColumn<int>("stored");
    QTest::newRow("Ok") << true << 0x0;
    QTest::newRow("Cancel") << false << 0x1;
}

void tst_PluginManager::closingKeepsOrCancelsChoices()
{
    QFETCH(bool, accept);
    QFETCH(int, stored);
    installWidgetPlugin();
    QVERIFY(insertPluginRow(widgetGuid(), "ku_instrumentlist", 0x1));
    {
        kuPluginManager dialog;
        dialog.slot_serverPluginSync(wtPluginList, {}, {});
        kuPluginManagerModel* model = dialog.model();
        const QModelIndex row = model->index(0, 0, model->index(0, 0));
        model->disable(row);
        QVERIFY(uint(row.flags()) & prDisablePending);
        if (accept)
            dialog.accept();
        else
            dialog.reject();
        QCOMPARE(bool(uint(row.flags()) & prDisablePending), accept);
    }
    QCOMPARE(pluginStatus(widgetGuid()), stored);
}

void tst_PluginManager::pluginMenuOfTheMainWindow()
{
    installWidgetPlugin();
    QVERIFY(insertPluginRow(widgetGuid(), "ku_instrumentlist", 0x0));
    QPointer<kuClient> client = kuClient::createInstance();
    kuActionsModel* model = client->actionsMenuBar()->model();
    QAction* plugins = model->action("mPlugins");
    QVERIFY(plugins && plugins->menu());
    QCOMPARE(plugins->text(), QStringLiteral("Расширения"));
    auto entries = [model, plugins] {
        QStringList result;
        for (QAction* action : model->children(plugins))
            result << model->path(action) + (action->isSeparator() ? QString() : " " + action->text());
        return result;
    };
    // Disabled: no window and no entry.
    const QStringList own{"mPlugins/mPluginManager Управление расширениями", "mPlugins/mSepPlugins"};
    QCOMPARE(entries(), own);
    QVERIFY(client->pluginManager());
    QCOMPARE(client->pluginManager(), client->pluginManager());

    // Not in the table (never seen by the plug-in manager): created, its entry under its path.
    kuAccessDB db;
    QVERIFY(db.executeNonQuery("delete from plugins;"));
    client->loadPluginActions();
    QCOMPARE(entries(), QStringList(own) << "mPlugins/mInstrumentList Список инструментов");
    QAction* entry = model->action("mPlugins/mInstrumentList");
    QVERIFY(!entry->icon().isNull());
    entry->trigger();
    QWidget* window = client->findChild<QWidget*>("kuInstrumentListWindow");
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QVERIFY(window->isWindow());

    // The views' drags carry the instrument in the object, with empty bytes.
    // A drop goes to the widget whose drag-enter accepted it.
    auto dropped = [window](QMimeData* data) {
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window, &enter);
        QDropEvent drop(QPoint(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window, &drop);
        return enter.isAccepted() && drop.isAccepted();
    };
    kuPaperInfoMimeData paper;
    paper.setPaperID(5);
    QVERIFY(dropped(&paper));
    QMimeData empty;
    empty.setData(kuPaperInfoMimeData::mimeType(), QByteArray());
    QVERIFY(!dropped(&empty));

    // Loaded again: the plug-in already has its window and entries.
    client->loadPluginActions();
    QCOMPARE(client->findChildren<QWidget*>("kuInstrumentListWindow").size(), 1);
    delete client.data();
}

QTEST_MAIN(tst_PluginManager)
#include "tst_pluginmanager.moc"
