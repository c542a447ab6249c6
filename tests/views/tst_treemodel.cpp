#include "accountmodel.h"
#include "kuappsetting.h"
#include "kuclient.h"
#include "kuobjectheaderitem.h"
#include "kutreeviewmodel.h"
#include "kutreeviewproxymodel.h"
#include "testitem.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QtTest>

#include <memory>

// The two-level model: its id encoding, announcements and the account proxy.
class tst_TreeModel : public QObject
{
    Q_OBJECT

private slots:
    void idsOfTheEncoding();
    void roles_data();
    void roles();
    void removalAndResetSignalsInOrder();
    void nullAndMisplacedChildren();
    void persistentIndexesFollowTheTopRows();
    void persistentIndexesThroughTheProxy();
    void encodingCapacity();
    void itemsBelongToTheirHolders();
    void accountFilter_data();
    void accountFilter();
    void sortsAccountsAndRows();
    void cleanupTestCase();

private:
    static QList<QSharedPointer<kuObjectHeaderItem>> columns();
    // Top rows named by names, each with as many items as counts says ("<top>/<row>" in column 1).
    static void fill(kuTreeViewModel& model, const QStringList& names, const QList<int>& counts);
};

QList<QSharedPointer<kuObjectHeaderItem>> tst_TreeModel::columns()
{
    return {kuObjectHeaderItem::createHidden("Column #1"), kuObjectHeaderItem::create("Инструмент"),
            kuObjectHeaderItem::create("Доход")};
}

void tst_TreeModel::fill(kuTreeViewModel& model, const QStringList& names, const QList<int>& counts)
{
    model.setColumns(columns());
    for (int top = 0; top < names.size(); ++top) {
        QCOMPARE(model.appendTopItem(names.at(top)), top);
        for (int row = 0; row < counts.value(top); ++row)
            QVERIFY(model.appendChild(
                    top, TestItem::make({"", QStringLiteral("%1/%2").arg(names.at(top)).arg(row)}, {QVariant(), row})));
    }
}

void tst_TreeModel::idsOfTheEncoding()
{
    kuTreeViewModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(model.topRowBits(), 0);
    fill(model, {"A", "B"}, {0, 1});
    QCOMPARE(model.topRowBits(), 1);
    QCOMPARE(model.topRowMask(), 1u);
    const QModelIndex child = model.index(0, 0, model.index(1, 0));
    QCOMPARE(child.internalId(), quintptr(3));
    QCOMPARE(child.parent(), model.index(1, 0));
    QCOMPARE(model.index(1, 0).internalId(), quintptr(1));
    QCOMPARE(model.rowCount(child), 0);
    QVERIFY(!model.index(1, 0).data().isValid());

    kuTreeViewModel three;
    fill(three, {"A", "B", "C"}, {0, 0, 5});
    QCOMPARE(three.topRowBits(), 2);
    QCOMPARE(three.topRowMask(), 3u);
    const QModelIndex fifth = three.index(4, 1, three.index(2, 0));
    QCOMPARE(fifth.internalId(), quintptr(22));
    QCOMPARE(fifth.parent().row(), 2);
    QCOMPARE(fifth.data().toString(), QStringLiteral("C/4"));
    // Children hang under column 0 only.
    QCOMPARE(three.rowCount(three.index(2, 1)), 0);
    QVERIFY(!three.index(0, 0, three.index(2, 1)).isValid());
}

void tst_TreeModel::roles_data()
{
    QTest::addColumn<int>("role");
    QTest::addColumn<QVariant>("expected");
    QTest::newRow("0 display") << 0 << QVariant("A/1");
    QTest::newRow("1 decoration") << 1 << QVariant(QColor(Qt::red));
    QTest::newRow("2 edit") << 2 << QVariant();
    QTest::newRow("3 tooltip") << 3 << QVariant("tip 1");
    QTest::newRow("6 font") << 6 << QVariant(kuAppSetting::defaultMasterFont());
    QTest::newRow("7 alignment") << 7 << QVariant(int(Qt::AlignLeft | Qt::AlignVCenter));
    QTest::newRow("8 background") << 8 << QVariant();
    QTest::newRow("9 foreground") << 9 << QVariant(QColor("#4fbd3c"));
    QTest::newRow("257 not answered") << 257 << QVariant();
    QTest::newRow("258 not answered") << 258 << QVariant();
    QTest::newRow("259 sort value") << 259 << QVariant(1);
    QTest::newRow("260 row kind") << 260 << QVariant(100);
}

void tst_TreeModel::roles()
{
    QFETCH(int, role);
    QFETCH(QVariant, expected);
    kuTreeViewModel model;
    fill(model, {"A"}, {2});
    const QVariant value = model.index(1, 1, model.index(0, 0)).data(role);
    QCOMPARE(value, expected);
    QCOMPARE(model.itemData(0, 1, 1, role), expected);
    QVERIFY(!model.itemData(0, 2, 1, role).isValid());
    QVERIFY(!model.itemData(1, 0, 1, role).isValid());
    QVERIFY(!model.itemData(-1, 0, 1, role).isValid());
    QCOMPARE(model.headerData(1, Qt::Horizontal, Qt::DisplayRole), QVariant("Инструмент"));
    QVERIFY(!model.headerData(1, Qt::Vertical, Qt::DisplayRole).isValid());
}

void tst_TreeModel::removalAndResetSignalsInOrder()
{
    kuTreeViewModel model;
    fill(model, {"A", "B"}, {3, 1});
    QStringList log;
    auto record = [&](const char* name) {
        return [&log, name](const QModelIndex& parent, int first, int last) {
            log << QStringLiteral("%1 %2 %3-%4")
                            .arg(name)
                            .arg(parent.isValid() ? parent.row() : -1)
                            .arg(first)
                            .arg(last);
        };
    };
    connect(&model, &QAbstractItemModel::rowsAboutToBeRemoved, this, record("about"));
    connect(&model, &QAbstractItemModel::rowsRemoved, this, record("removed"));
    connect(&model, &QAbstractItemModel::modelAboutToBeReset, this, [&log] { log << "about reset"; });
    connect(&model, &QAbstractItemModel::modelReset, this, [&log] { log << "reset"; });

    model.removeTopRow(5);
    model.removeTopRow(-1);
    QVERIFY(log.isEmpty());
    QCOMPARE(model.rowCount(), 2);

    model.removeTopRow(0);
    QCOMPARE(log, (QStringList{"about 0 0-2", "removed 0 0-2", "about -1 0-0", "removed -1 0-0"}));
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.index(0, 1, model.index(0, 0)).data().toString(), QStringLiteral("B/0"));

    log.clear();
    model.clear();
    QCOMPARE(log, (QStringList{"about reset", "reset"}));
    log.clear();
    model.clear();
    QCOMPARE(log, (QStringList{"about reset", "reset"}));
    QCOMPARE(model.rowCount(), 0);
}

void tst_TreeModel::nullAndMisplacedChildren()
{
    kuTreeViewModel model;
    fill(model, {"A", "B"}, {1, 0});
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsAboutToBeInserted);
    QVERIFY(!model.appendChild(0, QSharedPointer<kuObjectModelAbstractItem>()));
    QTest::ignoreMessage(QtWarningMsg, "kuTreeViewModel: no top row 2");
    QVERIFY(!model.appendChild(2, TestItem::make({"", "x"})));
    QTest::ignoreMessage(QtWarningMsg, "kuTreeViewModel: no top row -1");
    QVERIFY(!model.appendChild(-1, TestItem::make({"", "x"})));
    QCOMPARE(inserted.count(), 0);
    model.appendChildren(1, {});
    QCOMPARE(inserted.count(), 0);
    QCOMPARE(model.rowCount(model.index(0, 0)), 1);

    // Indexes past the rows, and of another model, name nothing.
    QVERIFY(!model.index(1, 0, model.index(0, 0)).isValid());
    QVERIFY(!model.index(2, 0).isValid());
    QVERIFY(!model.index(0, 3).isValid());
    QStandardItemModel other(5, 5);
    const QModelIndex foreign = other.index(4, 4, other.index(0, 0));
    QVERIFY(!model.parent(foreign).isValid());
    QCOMPARE(model.rowCount(other.index(4, 0)), 0);
    QVERIFY(!model.data(foreign).isValid());
}

void tst_TreeModel::persistentIndexesFollowTheTopRows()
{
    kuTreeViewModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    fill(model, {"A", "B"}, {2, 3});
    const QPersistentModelIndex child = model.index(2, 1, model.index(1, 0));
    const QPersistentModelIndex top = model.index(1, 0);
    QCOMPARE(child.data().toString(), QStringLiteral("B/2"));

    // 2 -> 3 top rows: k becomes 2.
    QCOMPARE(model.appendTopItem("C"), 2);
    QVERIFY(model.appendChild(2, TestItem::make({"", "C/0"})));
    QCOMPARE(model.topRowBits(), 2);
    QVERIFY(child.isValid());
    QCOMPARE(child.row(), 2);
    QCOMPARE(child.parent(), QModelIndex(top));
    QCOMPARE(child.parent().row(), 1);
    QCOMPARE(child.data().toString(), QStringLiteral("B/2"));
    QCOMPARE(QModelIndex(child), model.index(2, 1, model.index(1, 0)));

    // Removing A moves B up and k back to 1: the index follows B.
    model.removeTopRow(0);
    QCOMPARE(model.topRowBits(), 1);
    QVERIFY(child.isValid());
    QCOMPARE(top.row(), 0);
    QCOMPARE(child.parent().row(), 0);
    QCOMPARE(child.data().toString(), QStringLiteral("B/2"));
    QCOMPARE(QModelIndex(child), model.index(2, 1, model.index(0, 0)));
    const QPersistentModelIndex last = model.index(0, 1, model.index(1, 0));
    QCOMPARE(last.data().toString(), QStringLiteral("C/0"));

    // Removing B (not the last top row, k unchanged) still moves C's rows up.
    model.removeTopRow(0);
    QVERIFY(!child.isValid());
    QCOMPARE(last.parent().row(), 0);
    QCOMPARE(last.data().toString(), QStringLiteral("C/0"));
}

void tst_TreeModel::persistentIndexesThroughTheProxy()
{
    AccountModel model;
    kuTreeViewProxyModel proxy;
    proxy.setSourceModel(&model);
    proxy.setDynamicSortFilter(true);
    QAbstractItemModelTester tester(&proxy, QAbstractItemModelTester::FailureReportingMode::QtTest);
    fill(model, {"B", "A"}, {2, 2});
    proxy.sort(1, Qt::DescendingOrder);
    // Descending: account B first, its rows by sort value 1, 0.
    const QModelIndex b = proxy.index(0, 0);
    QCOMPARE(b.data(kuTreeViewModel::AccountRole).toString(), QStringLiteral("B"));
    const QPersistentModelIndex row = proxy.index(1, 1, b);
    QCOMPARE(row.data().toString(), QStringLiteral("B/0"));

    for (const QString name : {"C", "D", "E"}) {
        const int top = proxy.appendTopItem(name);
        QVERIFY(proxy.appendChild(top, TestItem::make({"", name + "/0"}, {QVariant(), 0})));
    }
    QCOMPARE(model.topRowBits(), 3);
    QVERIFY(row.isValid());
    QCOMPARE(row.data().toString(), QStringLiteral("B/0"));
    QCOMPARE(row.parent().data(kuTreeViewModel::AccountRole).toString(), QStringLiteral("B"));

    proxy.removeTopRow(0);
    QVERIFY(!row.isValid());
    QCOMPARE(proxy.rowCount(), 4);
    QStringList seen;
    for (int top = 0; top < proxy.rowCount(); ++top) {
        const QModelIndex account = proxy.index(top, 0);
        for (int r = 0; r < proxy.rowCount(account); ++r)
            seen << proxy.index(r, 1, account).data().toString();
    }
    QCOMPARE(seen, (QStringList{"E/0", "D/0", "C/0", "A/1", "A/0"}));
}

void tst_TreeModel::encodingCapacity()
{
    kuTreeViewModel model;
    model.setColumns(columns());
    for (int top = 0; top < kuTreeViewModel::maxTopRows; ++top)
        QCOMPARE(model.appendTopItem(QString::number(top)), top);
    QCOMPARE(model.topRowBits(), 31);
    QTest::ignoreMessage(QtWarningMsg, "kuTreeViewModel: no room for another top row \"62\"");
    QCOMPARE(model.appendTopItem("62"), -1);
    QCOMPARE(model.rowCount(), 62);

    // With k = 31 a top row holds one item row.
    QVERIFY(model.appendChild(61, TestItem::make({"", "x"})));
    QTest::ignoreMessage(QtWarningMsg, "kuTreeViewModel: no room for another row under top row 61");
    QVERIFY(!model.appendChild(61, TestItem::make({"", "y"})));
    const QModelIndex child = model.index(0, 1, model.index(61, 0));
    QCOMPARE(child.internalId(), quintptr((quint32(1) << 31) | 61u));
    QCOMPARE(child.parent().row(), 61);
    QCOMPARE(child.data().toString(), QStringLiteral("x"));
    for (int top = 0; top < model.rowCount(); ++top)
        QVERIFY(model.index(top, 0).internalId() != quintptr(0xffffffffu));
}

void tst_TreeModel::itemsBelongToTheirHolders()
{
    QSharedPointer<kuObjectModelAbstractItem> item = TestItem::make({"", "kept"});
    {
        auto model = std::make_unique<kuTreeViewModel>();
        fill(*model, {"A"}, {0});
        QVERIFY(model->appendChild(0, item));
        QVERIFY(!item->parent());
    }
    QCOMPARE(item->displayText(1), QStringLiteral("kept"));
    QWeakPointer<kuObjectModelAbstractItem> weak = item;
    {
        kuTreeViewModel model;
        fill(model, {"A"}, {0});
        model.appendChild(0, item);
        item.reset();
        QVERIFY(weak);
        model.removeTopRow(0);
        QVERIFY(!weak);
    }
}

void tst_TreeModel::accountFilter_data()
{
    QTest::addColumn<QStringList>("accounts");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("all") << QStringList() << QString() << QStringList{"A:A/0,A/1", "B:B/0", "C:C/0"};
    QTest::newRow("A and B") << QStringList{"A", "B"} << QString() << QStringList{"A:A/0,A/1", "B:B/0"};
    QTest::newRow("case-sensitive") << QStringList{"a", "C"} << QString() << QStringList{"C:C/0"};
    QTest::newRow("with a text") << QStringList{"A", "B"} << "/1" << QStringList{"A:A/1", "B:"};
}

void tst_TreeModel::accountFilter()
{
    QFETCH(QStringList, accounts);
    QFETCH(QString, filter);
    QFETCH(QStringList, shown);
    AccountModel model;
    kuTreeViewProxyModel proxy;
    proxy.setSourceModel(&model);
    fill(model, {"A", "B", "C"}, {2, 1, 1});
    proxy.setAccounts(accounts);
    if (!filter.isNull())
        proxy.setColumnFilter(1, filter);
    QStringList result;
    for (int top = 0; top < proxy.rowCount(); ++top) {
        const QModelIndex account = proxy.index(top, 0);
        QStringList rows;
        for (int r = 0; r < proxy.rowCount(account); ++r)
            rows << proxy.index(r, 1, account).data().toString();
        result << account.data(kuTreeViewModel::AccountRole).toString() + ":" + rows.join(',');
    }
    QCOMPARE(result, shown);
}

void tst_TreeModel::sortsAccountsAndRows()
{
    AccountModel model;
    kuTreeViewProxyModel proxy;
    proxy.setSourceModel(&model);
    model.setColumns(columns());
    model.appendTopItem("L02");
    model.appendTopItem("L01");
    model.appendChild(1, TestItem::make({"", "ten"}, {QVariant(), 10}));
    model.appendChild(1, TestItem::make({"", "two and a half"}, {QVariant(), 2.5}));
    model.appendChild(1, TestItem::make({"", "nine"}, {QVariant(), 9}));
    proxy.sort(1, Qt::AscendingOrder);
    QCOMPARE(proxy.index(0, 0).data(kuTreeViewModel::AccountRole).toString(), QStringLiteral("L01"));
    const QModelIndex l01 = proxy.index(0, 0);
    QCOMPARE(proxy.index(0, 1, l01).data().toString(), QStringLiteral("two and a half"));
    QCOMPARE(proxy.index(1, 1, l01).data().toString(), QStringLiteral("nine"));
    QCOMPARE(proxy.index(2, 1, l01).data().toString(), QStringLiteral("ten"));

    // Without a tree source the forwards change nothing and report it.
    kuTreeViewProxyModel bare;
    QCOMPARE(bare.appendTopItem("X"), -1);
    QVERIFY(!bare.appendChild(0, TestItem::make({"", "x"})));
    bare.clear();
    bare.removeTopRow(0);
}

void tst_TreeModel::cleanupTestCase()
{
    delete kuClient::instance().data();
}

QTEST_MAIN(tst_TreeModel)
#include "tst_treemodel.moc"
