#include "kuplugintable.h"
#include "pluginrows.h"

#include <QtTest>

namespace {

kuPluginTable::Row row(const QString& guid, const QString& title, const QString& name)
{
    kuPluginTable::Row r;
    r.guid = guid;
    r.title = title;
    r.description = QStringLiteral("Описание '; --");
    r.version = 10602000;
    r.icon = QStringLiteral("89504e47");
    r.pluginName = name;
    r.price = 2.35;
    return r;
}

bool insert(const QVector<kuPluginTable::Row>& rows)
{
    QVector<QVariantList> values;
    for (const kuPluginTable::Row& r : rows)
        values << kuPluginTable::insertValues(r);
    kuAccessDB db;
    return db.executeBatch(kuPluginTable::insertSql(), values);
}

QString column(const QString& sql, const QString& guid)
{
    kuAccessDB db;
    return db.execute(sql, {guid}).value(0).toString();
}

} // namespace

class tst_PluginTable : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(freshDatabase()); }

    void rowsRoundTrip();
    void statusBits();
    void pendingRows();
    void nameRule_data();
    void nameRule();
};

void tst_PluginTable::rowsRoundTrip()
{
    // Values are bound, never spliced into the text.
    const QString odd = QStringLiteral("g'); drop table plugins; --");
    kuPluginTable::Row first = row(odd, QStringLiteral("it's"), QStringLiteral("ku_odd"));
    first.version = 3000000000u; // the version word is unsigned
    QVERIFY(insert({first, row("g2", "Стакан", "ku_glass")}));

    kuPluginTable table;
    QVector<kuPluginTable::Row> rows = table.catalogue();
    QCOMPARE(rows.size(), 2);
    const kuPluginTable::Row& read = rows.at(rows.at(0).guid == odd ? 0 : 1);
    QCOMPARE(read.guid, odd);
    QCOMPARE(read.title, QStringLiteral("it's"));
    QCOMPARE(read.description, first.description);
    QCOMPARE(read.version, 3000000000u);
    QCOMPARE(read.icon, first.icon);
    QCOMPARE(read.price, 2.35);
    QCOMPARE(read.status, int(psEnabled)); // a new row starts enabled
    QVERIFY(read.pluginName.isEmpty());    // the manager's read has no file name
    QCOMPARE(table.pluginName(odd), QStringLiteral("ku_odd"));

    // A row written again keeps the user's choice.
    QVERIFY(table.setStatus(odd, psRemovePending));
    first.title = QStringLiteral("it's new");
    QVERIFY(insert({first}));
    QCOMPARE(column(QStringLiteral("select title || '|' || status from plugins where guid = ?1;"), odd),
             QStringLiteral("it's new|8"));
    QCOMPARE(table.catalogue().size(), 2);
}

void tst_PluginTable::statusBits()
{
    QVERIFY(insertPluginRow("on", "ku_on", 0x1));
    QVERIFY(insertPluginRow("off", "ku_off", 0x0));
    QVERIFY(insertPluginRow("gone", "ku_gone", 0x9));
    QVERIFY(insertPluginRow("new", "ku_new", 0x11));
    kuPluginTable table;

    // Installed and update-available belong to one run only.
    QVERIFY(table.setStatus("new", psEnabled | psUpdateAvailable | psInstalled | psInstallPending));
    QCOMPARE(pluginStatus("new"), 0x11);

    const QHash<QString, bool> enabled = table.enabledPlugins();
    QCOMPARE(enabled.size(), 3);
    QCOMPARE(enabled.value("on"), true);
    QCOMPARE(enabled.value("off", true), false);
    QCOMPARE(enabled.value("new"), true);
    QVERIFY(!enabled.contains("gone"));

    // Rows with a change waiting for the next start survive a catalogue without them.
    QVERIFY(table.dropRowsExcept({"off"}));
    QCOMPARE(pluginStatus("on"), -1);
    QCOMPARE(pluginStatus("off"), 0x0);
    QCOMPARE(pluginStatus("gone"), 0x9);
    QCOMPARE(pluginStatus("new"), 0x11);
}

void tst_PluginTable::pendingRows()
{
    QVERIFY(insertPluginRow("a1", "ku_a", 0x9));
    QVERIFY(insertPluginRow("a2", "ku_a", 0x18));
    QVERIFY(insertPluginRow("b", "ku_b", 0x10));
    QVERIFY(insertPluginRow("bad", "ku_../x", 0x18));
    QVERIFY(insertPluginRow("c", "ku_c", 0x1));
    kuPluginTable table;

    QTest::ignoreMessage(QtWarningMsg, "Plug-in name not usable as a file name: ku_../x");
    QCOMPARE(table.pendingNames(psRemovePending), QStringList{"ku_a"});

    table.clearUnusablePending(psRemovePending);
    QCOMPARE(pluginStatus("bad"), 0x10);
    QCOMPARE(pluginStatus("a1"), 0x9);

    // One name, every row of it; the other bit stays.
    QVERIFY(table.clearPending(psRemovePending, "ku_a"));
    QCOMPARE(pluginStatus("a1"), 0x1);
    QCOMPARE(pluginStatus("a2"), 0x10);
    QVERIFY(table.pendingNames(psRemovePending).isEmpty());

    table.clearUnusablePending(psInstallPending);
    QStringList install = table.pendingNames(psInstallPending);
    install.sort();
    QCOMPARE(install, (QStringList{"ku_a", "ku_b"}));
    QCOMPARE(pluginStatus("bad"), 0x0);
    QCOMPARE(pluginStatus("c"), 0x1);
}

void tst_PluginTable::nameRule_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("valid");
    QTest::newRow("plain") << "ku_instrumentlist" << true;
    QTest::newRow("digits and underscores") << "ku_A9_b_" << true;
    QTest::newRow("prefix only") << "ku_" << false;
    QTest::newRow("no prefix") << "instrumentlist" << false;
    QTest::newRow("upper-case prefix") << "KU_a" << false;
    QTest::newRow("suffix") << "ku_a.so" << false;
    QTest::newRow("path") << "ku_../x" << false;
    QTest::newRow("pattern") << "ku_*" << false;
    QTest::newRow("space") << "ku_a b" << false;
    QTest::newRow("apostrophe") << "ku_a'" << false;
    QTest::newRow("trailing line feed") << "ku_a\n" << false;
    QTest::newRow("non-latin letter") << "ku_я" << false;
    QTest::newRow("empty") << "" << false;
}

void tst_PluginTable::nameRule()
{
    QFETCH(QString, name);
    QFETCH(bool, valid);
    QCOMPARE(kuPluginTable::isValidPluginName(name), valid);
    if (valid)
        QCOMPARE(kuPluginTable::pluginFileName(name), name + ".so");
}

QTEST_GUILESS_MAIN(tst_PluginTable)
#include "tst_plugintable.moc"
