#include "kuaccessdb.h"
#include "kumigration.h"
#include "kupluginmanagerdownloader.h"
#include "kupluginmanageritem.h"
#include "kupluginmanagermodel.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QPointer>
#include <QSignalSpy>
#include <QtTest>

namespace {

const QString guidA = QStringLiteral("aa");
const QString guidB = QStringLiteral("bb");

using Item = QSharedPointer<kuPluginManagerItem>;

Item makeItem(const QString& guid, int status, int version = 10601000)
{
    return Item::create(QStringLiteral("Title ") + guid, QStringLiteral("About ") + guid, guid, version, status, 0.0,
                        QImage());
}

void insertRow(const QString& guid, int status)
{
    kuAccessDB db;
    QVERIFY(db.executeNonQuery(QStringLiteral("insert into plugins (guid, title, plugin_name, status) "
                                              "values (?1, 't', 'ku_x', ?2);"),
                               {guid, status}));
}

int storedStatus(const QString& guid)
{
    kuAccessDB db;
    const QVariantList rows = db.execute(QStringLiteral("select status from plugins where guid = ?1;"), {guid});
    return rows.isEmpty() ? -1 : rows.first().toInt();
}

} // namespace

class tst_PluginManagerModel : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void choices_data();
    void choices();
    void statusWrittenOnlyWhenChanged_data();
    void statusWrittenOnlyWhenChanged();
    void indexScheme();
    void idsStayValidWhenGroupsChange();
    void rowsAndSummary();
    void slotsReachTheItemAndRowRepaints();
    void itemsHaveOneOwner();
};

void tst_PluginManagerModel::init()
{
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(kuAccessDB::databasePath() + QLatin1String(suffix));
    QVERIFY(updateDatabaseSchema());
}

void tst_PluginManagerModel::choices_data()
{
    QTest::addColumn<int>("loaded");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<bool>("updateAvailable");
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<int>("status");
    QTest::addColumn<uint>("pending");

    // status includes the run-only bits 0x2 and 0x4; pending is the row's 0x200|0x800|0x1000 bits
    QTest::newRow("disable") << 0x1 << true << false << QStringList{"disable"} << 0x4 << uint(prDisablePending);
    QTest::newRow("enable") << 0x0 << true << false << QStringList{"enable"} << 0x5 << uint(prEnablePending);
    QTest::newRow("remove") << 0x1 << true << false << QStringList{"remove"} << 0xD << uint(prRemovePending);
    QTest::newRow("enable, cancel") << 0x0 << true << false << QStringList{"enable", "cancel"} << 0x4 << 0u;
    QTest::newRow("disable, enable, cancel")
            << 0x1 << true << false << QStringList{"disable", "enable", "cancel"} << 0x5 << 0u;
    QTest::newRow("remove, disable, cancel")
            << 0x1 << true << true << QStringList{"remove", "disable", "cancel"} << 0x7 << 0u;
    // Neither starts a download: the first is installed, the second has no update.
    QTest::newRow("install when installed") << 0x1 << true << false << QStringList{"install"} << 0x5 << 0u;
    QTest::newRow("update without update") << 0x1 << true << false << QStringList{"update"} << 0x5 << 0u;
}

void tst_PluginManagerModel::choices()
{
    QFETCH(int, loaded);
    QFETCH(bool, installed);
    QFETCH(bool, updateAvailable);
    QFETCH(QStringList, clicks);
    QFETCH(int, status);
    QFETCH(uint, pending);

    const Item item = makeItem(guidA, loaded);
    item->setInstalled(installed);
    item->setUpdateAvailable(updateAvailable);
    QSignalSpy changed(item.data(), &kuPluginManagerAbstractItem::needUpdate);
    for (const QString& click : clicks)
        QVERIFY(QMetaObject::invokeMethod(item.data(), click.toLatin1().constData()));

    QCOMPARE(item->status(), status);
    const uint flags = item->stateFlags();
    QCOMPARE(flags & (prRemovePending | prDisablePending | prEnablePending), pending);
    QCOMPARE(bool(flags & prUpdateAvailable), updateAvailable);
    QVERIFY(flags & prSwitchable);
    QVERIFY(!(flags & (prDownloading | prInstallPending | prFailed)));
    QVERIFY(item->downloader() && !item->downloader()->isDownloading());
    const bool anyChoice = clicks.contains("enable") || clicks.contains("disable") || clicks.contains("remove") ||
                           clicks.contains("cancel");
    QCOMPARE(changed.isEmpty(), !anyChoice);
}

void tst_PluginManagerModel::statusWrittenOnlyWhenChanged_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<int>("stored");

    // Another writer set 0x11 after the load: an untouched row must not undo that.
    QTest::newRow("untouched") << QStringList{} << 0x11;
    QTest::newRow("cancelled") << QStringList{"disable", "cancel"} << 0x11;
    QTest::newRow("removed") << QStringList{"remove"} << 0x9;
    QTest::newRow("disabled") << QStringList{"disable"} << 0x0;
}

void tst_PluginManagerModel::statusWrittenOnlyWhenChanged()
{
    QFETCH(QStringList, clicks);
    QFETCH(int, stored);

    insertRow(guidA, 0x1);
    {
        kuPluginManagerModel model;
        const int group = model.addGroup(QStringLiteral("g"));
        Item item = makeItem(guidA, 0x1);
        item->setInstalled(true);
        item->setUpdateAvailable(true);
        QVERIFY(model.appendItem(group, item));
        for (const QString& click : clicks)
            QMetaObject::invokeMethod(item.data(), click.toLatin1().constData());
        item.reset();
        kuAccessDB db;
        QVERIFY(db.executeNonQuery(QStringLiteral("update plugins set status = 0x11 where guid = ?1;"), {guidA}));
    }
    QCOMPARE(storedStatus(guidA), stored);
}

void tst_PluginManagerModel::indexScheme()
{
    kuPluginManagerModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    for (int g = 0; g < 3; ++g) {
        model.addGroup(QStringLiteral("g%1").arg(g));
        model.appendItems(g, {makeItem(QStringLiteral("%1a").arg(g), 1), makeItem(QStringLiteral("%1b").arg(g), 1)});
    }
    QVERIFY(!model.appendItem(0, Item()));
    QVERIFY(!model.appendItem(7, makeItem(QStringLiteral("x"), 1)));

    const QModelIndex second = model.index(1, 0, model.index(2, 0));
    QCOMPARE(second.internalId(), quintptr(10));
    QCOMPARE(second.data().toString(), QStringLiteral("Title 2b"));
    QCOMPARE(second.parent(), model.index(2, 0));
    QVERIFY(!model.index(2, 0, model.index(0, 0)).isValid());
    QVERIFY(!model.index(0, 0, second).isValid());
    QVERIFY(!model.index(0, 1).isValid());
    QCOMPARE(model.rowCount(second), 0);
    QCOMPARE(model.itemAt(model.index(0, 0)), nullptr);
    QCOMPARE(model.itemAt(second)->guid(), QStringLiteral("2b"));
}

void tst_PluginManagerModel::idsStayValidWhenGroupsChange()
{
    kuPluginManagerModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.addGroup(QStringLiteral("g0"));
    model.appendItem(0, makeItem(guidA, 1));
    model.addGroup(QStringLiteral("g1"));
    model.appendItem(1, makeItem(guidB, 1));

    // A third group widens the group bits: rows made before must still resolve.
    QPersistentModelIndex row(model.index(0, 0, model.index(1, 0)));
    model.addGroup(QStringLiteral("g2"));
    const QModelIndex now = model.index(0, 0, model.index(1, 0));
    QCOMPARE(now.parent().row(), 1);
    QCOMPARE(model.itemAt(now)->guid(), guidB);
    QVERIFY(!row.isValid() || model.itemAt(row)->guid() == guidB);

    model.removeGroup(0);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.itemAt(model.index(0, 0, model.index(0, 0)))->guid(), guidB);
    model.removeGroup(5);
    QCOMPARE(model.rowCount(), 2);
    model.clear();
    QCOMPARE(model.rowCount(), 0);
}

void tst_PluginManagerModel::rowsAndSummary()
{
    kuPluginManagerModel model;
    const int empty = model.addGroup(QStringLiteral("Пусто"));
    const int group = model.addGroup(QStringLiteral("Доступные модули"));
    Item a = Item::create(QStringLiteral("A"), QStringLiteral("about"), guidA, 10601000, 0x1, 150.5,
                          QImage(4, 4, QImage::Format_ARGB32));
    a->setInstalled(true);
    a->setUpdateAvailable(true);
    model.appendItems(group, {a, makeItem(guidB, 0)});

    QCOMPARE(model.index(empty, 0).data(kuPluginManagerModel::SummaryRole).toString(),
             QStringLiteral("Количество доступных модулей: 0"));
    QCOMPARE(model.index(group, 0).data(kuPluginManagerModel::SummaryRole).toString(),
             QStringLiteral("Количество доступных модулей: 2\nКоличество доступных обновлений: 1"));
    QCOMPARE(model.index(group, 0).data().toString(), QStringLiteral("Доступные модули"));

    const QModelIndex row = model.index(0, 0, model.index(group, 0));
    QCOMPARE(row.data().toString(), QStringLiteral("A"));
    QCOMPARE(row.data(Qt::DecorationRole).value<QImage>().size(), QSize(4, 4));
    QCOMPARE(row.data(kuPluginManagerModel::DescriptionRole).toString(), QStringLiteral("about"));
    QCOMPARE(row.data(kuPluginManagerModel::VersionRole).toInt(), 10601000);
    QCOMPARE(row.data(kuPluginManagerModel::InstalledRole).toBool(), true);
    QCOMPARE(row.data(kuPluginManagerModel::EnabledRole).toBool(), true);
    QCOMPARE(row.data(kuPluginManagerModel::ReservedRole).toBool(), false);
    QCOMPARE(row.data(kuPluginManagerModel::GuidRole).toString(), guidA);
    QCOMPARE(row.data(kuPluginManagerModel::ProgressRole).toInt(), 0);
    QCOMPARE(row.data(kuPluginManagerModel::PriceRole).toDouble(), 150.5);
    QVERIFY(!row.data(kuPluginManagerModel::SummaryRole).isValid());
    QVERIFY(uint(row.flags()) & prUpdateAvailable);
    QVERIFY(!(uint(model.index(group, 0).flags()) & prSwitchable));
}

void tst_PluginManagerModel::slotsReachTheItemAndRowRepaints()
{
    kuPluginManagerModel model;
    model.addGroup(QStringLiteral("g"));
    const Item a = makeItem(guidA, 0x1);
    const Item b = makeItem(guidB, 0x1);
    model.appendItems(0, {a, b});
    QSignalSpy spy(&model, &kuPluginManagerModel::needUpdate);

    const QModelIndex rowB = model.index(1, 0, model.index(0, 0));
    model.remove(rowB);
    QCOMPARE(b->status() & psRemovePending, int(psRemovePending));
    QCOMPARE(a->status(), 0x1);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).value<QModelIndex>(), rowB);
    QVERIFY(uint(rowB.flags()) & prRemovePending);

    model.disable(model.index(0, 0, model.index(0, 0)));
    model.cancelAll();
    QCOMPARE(a->status(), 0x1);
    QCOMPARE(b->status(), 0x1);
    model.remove(model.index(0, 0)); // a group row has no item
    QCOMPARE(spy.count(), 4);
}

void tst_PluginManagerModel::itemsHaveOneOwner()
{
    QPointer<kuPluginManagerItem> watched;
    {
        kuPluginManagerModel model;
        model.addGroup(QStringLiteral("g"));
        Item item = makeItem(guidA, 1);
        watched = item.data();
        model.appendItem(0, item);
        QCOMPARE(item->parent(), nullptr);
        item.reset();
        QVERIFY(watched);
        model.clearGroup(0);
        QVERIFY(!watched);
        model.appendItem(0, makeItem(guidB, 1));
    }
    // The model's destruction released its items once; reaching here without a crash is the check.
    QVERIFY(!watched);
}

QTEST_MAIN(tst_PluginManagerModel)
#include "tst_pluginmanagermodel.moc"
