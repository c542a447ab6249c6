#include "kuappsetting.h"
#include "kuclient.h"
#include "kuobjectheaderitem.h"
#include "kutableviewmodel.h"
#include "kutableviewproxymodel.h"
#include "testitem.h"

#include <QAbstractItemModelTester>
#include <QDateTime>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QtTest>

#include <cmath>

// The flat model's role table and its sort and filter proxy.
class tst_TableModel : public QObject
{
    Q_OBJECT

private slots:
    void roles_data();
    void roles();
    void headerData_data();
    void headerData();
    void rowsAndRanges();
    void filterJoinsColumnsByOr_data();
    void filterJoinsColumnsByOr();
    void sorting_data();
    void sorting();
    void appendThroughProxy();
    void cleanupTestCase();

private:
    static QList<QSharedPointer<kuObjectHeaderItem>> columns(int count);
};

QList<QSharedPointer<kuObjectHeaderItem>> tst_TableModel::columns(int count)
{
    QList<QSharedPointer<kuObjectHeaderItem>> result{kuObjectHeaderItem::createHidden("Column #1")};
    for (int i = 1; i < count; ++i)
        result << kuObjectHeaderItem::create(QStringLiteral("C%1").arg(i), QStringLiteral("tip C%1").arg(i));
    return result;
}

void tst_TableModel::roles_data()
{
    QTest::addColumn<int>("role");
    QTest::addColumn<QVariant>("expected");
    QTest::newRow("0 display") << 0 << QVariant("SBER");
    QTest::newRow("1 decoration") << 1 << QVariant(QColor(Qt::red));
    QTest::newRow("2 edit") << 2 << QVariant();
    QTest::newRow("3 tooltip") << 3 << QVariant("tip 1");
    QTest::newRow("6 font") << 6 << QVariant(kuAppSetting::defaultMasterFont());
    QTest::newRow("7 alignment") << 7 << QVariant(int(Qt::AlignLeft | Qt::AlignVCenter));
    QTest::newRow("8 background") << 8 << QVariant();
    QTest::newRow("9 foreground") << 9 << QVariant(QColor("#bd3c4f"));
    QTest::newRow("10 check state") << 10 << QVariant();
    QTest::newRow("257 sort value") << 257 << QVariant(-2.5);
    QTest::newRow("258 row kind") << 258 << QVariant(100);
    QTest::newRow("259 not answered") << 259 << QVariant();
}

void tst_TableModel::roles()
{
    QFETCH(int, role);
    QFETCH(QVariant, expected);
    kuTableViewModel model;
    model.setColumns(columns(3));
    model.appendItem(TestItem::make({"", "SBER", "Сбербанк"}, {QVariant(), -2.5, "Сбербанк"}));
    const QVariant value = model.index(0, 1).data(role);
    QCOMPARE(value.isValid(), expected.isValid());
    QCOMPARE(value, expected);
}

void tst_TableModel::headerData_data()
{
    QTest::addColumn<int>("section");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<int>("role");
    QTest::addColumn<QVariant>("expected");
    QTest::newRow("title") << 1 << int(Qt::Horizontal) << 0 << QVariant("C1");
    QTest::newRow("tooltip") << 2 << int(Qt::Horizontal) << 3 << QVariant("tip C2");
    QTest::newRow("alignment") << 2 << int(Qt::Horizontal) << 7 << QVariant(132);
    QTest::newRow("font not answered") << 1 << int(Qt::Horizontal) << 6 << QVariant();
    QTest::newRow("vertical") << 1 << int(Qt::Vertical) << 0 << QVariant();
    QTest::newRow("placeholder title") << 0 << int(Qt::Horizontal) << 0 << QVariant("Column #1");
    QTest::newRow("past the columns") << 3 << int(Qt::Horizontal) << 0 << QVariant();
    QTest::newRow("negative section") << -1 << int(Qt::Horizontal) << 0 << QVariant();
    QTest::newRow("null descriptor") << 4 << int(Qt::Horizontal) << 0 << QVariant();
}

void tst_TableModel::headerData()
{
    QFETCH(int, section);
    QFETCH(int, orientation);
    QFETCH(int, role);
    QFETCH(QVariant, expected);
    kuTableViewModel model;
    auto list = columns(3);
    if (section == 4)
        list << QSharedPointer<kuObjectHeaderItem>() << QSharedPointer<kuObjectHeaderItem>();
    model.setColumns(list);
    QCOMPARE(model.headerData(section, Qt::Orientation(orientation), role), expected);
}

void tst_TableModel::rowsAndRanges()
{
    kuTableViewModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    const auto list = columns(3);
    model.setColumns(list);
    model.setColumns(list);
    QCOMPARE(resets.count(), 2);
    QCOMPARE(model.columnCount(), 3);

    QCOMPARE(model.appendItem(TestItem::make({"", "A"})), 0);
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.appendItem(TestItem::make({"", "B"})), 1);
    QCOMPARE(model.appendItem(QSharedPointer<kuObjectModelAbstractItem>()), 2);
    QCOMPARE(model.rowCount(), 3);

    const QModelIndex first = model.index(0, 0);
    QCOMPARE(model.rowCount(first), 0);
    QCOMPARE(model.columnCount(first), 0);
    // A null item and an index of another model with a row past ours give nothing.
    QVERIFY(!model.index(2, 1).data().isValid());
    QStandardItemModel other(10, 3);
    QVERIFY(!model.data(other.index(9, 1)).isValid());
    QVERIFY(!model.index(5, 1).isValid());
}

void tst_TableModel::filterJoinsColumnsByOr_data()
{
    QTest::addColumn<QStringList>("filters");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("none") << QStringList() << QStringList{"SBER", "GAZP", "LKOH"};
    QTest::newRow("sb on 1") << QStringList{"1", "sb"} << QStringList{"SBER"};
    QTest::newRow("sb on 1, xyz on 2") << QStringList{"1", "sb", "2", "xyz"} << QStringList{"SBER"};
    QTest::newRow("zz on 1") << QStringList{"1", "zz"} << QStringList();
    QTest::newRow("either column") << QStringList{"1", "lk", "2", "газ"} << QStringList{"GAZP", "LKOH"};
    QTest::newRow("Cyrillic case") << QStringList{"2", "СБЕР"} << QStringList{"SBER"};
    QTest::newRow("empty text lets all through")
            << QStringList{"1", "zz", "2", ""} << QStringList{"SBER", "GAZP", "LKOH"};
    QTest::newRow("empty text replaced") << QStringList{"2", "", "2", "лук"} << QStringList{"LKOH"};
    QTest::newRow("filter on a column past the model") << QStringList{"7", "sb"} << QStringList();
}

void tst_TableModel::filterJoinsColumnsByOr()
{
    QFETCH(QStringList, filters);
    QFETCH(QStringList, shown);
    kuTableViewModel model;
    kuTableViewProxyModel proxy;
    proxy.setSourceModel(&model);
    proxy.setColumns(columns(3));
    proxy.appendItem(TestItem::make({"", "SBER", "Сбербанк"}));
    proxy.appendItem(TestItem::make({"", "GAZP", "Газпром"}));
    proxy.appendItem(TestItem::make({"", "LKOH", "НК Лукойл"}));
    for (int i = 0; i + 1 < filters.size(); i += 2)
        proxy.setColumnFilter(filters.at(i).toInt(), filters.at(i + 1));
    QStringList result;
    for (int row = 0; row < proxy.rowCount(); ++row)
        result << proxy.index(row, 1).data().toString();
    QCOMPARE(result, shown);
}

void tst_TableModel::sorting_data()
{
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<QList<int>>("order");
    const QDateTime t(QDate(2026, 3, 12), QTime(10, 0), Qt::UTC);
    QTest::newRow("9 before 10") << QVariantList{10, 9, 100} << QList<int>{1, 0, 2};
    QTest::newRow("2.5 before 10") << QVariantList{10, 2.5, -1.0} << QList<int>{2, 1, 0};
    QTest::newRow("texts as texts") << QVariantList{"9", "10", "1"} << QList<int>{2, 1, 0};
    QTest::newRow("date-times") << QVariantList{t.addDays(1), t, t.addSecs(-1)} << QList<int>{2, 1, 0};
    QTest::newRow("NaN and invalid first") << QVariantList{3.0, std::nan(""), QVariant(), -7} << QList<int>{2, 1, 3, 0};
    QTest::newRow("mixed kinds") << QVariantList{"a", t, 5, QVariant()} << QList<int>{3, 2, 1, 0};
    QTest::newRow("unsigned 64-bit ids") << QVariantList{quint64(18446744073709551615ull), quint64(1), qint64(-1)}
                                         << QList<int>{2, 1, 0};
}

void tst_TableModel::sorting()
{
    QFETCH(QVariantList, values);
    QFETCH(QList<int>, order);
    kuTableViewModel model;
    kuTableViewProxyModel proxy;
    proxy.setSourceModel(&model);
    proxy.setColumns(columns(2));
    for (int i = 0; i < values.size(); ++i)
        proxy.appendItem(TestItem::make({"", QString::number(i)}, {QVariant(), values.at(i)}));
    proxy.sort(1, Qt::AscendingOrder);
    QList<int> result;
    for (int row = 0; row < proxy.rowCount(); ++row)
        result << proxy.index(row, 1).data().toInt();
    QCOMPARE(result, order);
}

void tst_TableModel::appendThroughProxy()
{
    kuTableViewProxyModel bare;
    QCOMPARE(bare.appendItem(TestItem::make({"", "A"})), -1);

    QStandardItemModel other(2, 2);
    kuTableViewProxyModel proxy;
    proxy.setSourceModel(&other);
    QSignalSpy inserted(&other, &QAbstractItemModel::rowsInserted);
    QCOMPARE(proxy.appendItem(TestItem::make({"", "A"})), -1);
    proxy.setColumns(columns(3));
    QCOMPARE(other.rowCount(), 2);
    QCOMPARE(other.columnCount(), 2);
    QCOMPARE(inserted.count(), 0);

    kuTableViewModel model;
    proxy.setSourceModel(&model);
    proxy.sort(1, Qt::DescendingOrder);
    proxy.setColumns(columns(2));
    QCOMPARE(proxy.appendItem(TestItem::make({"", "A"}, {QVariant(), 1})), 0);
    // A source row, whatever the proxy's order.
    QCOMPARE(proxy.appendItem(TestItem::make({"", "B"}, {QVariant(), 2})), 1);
    QCOMPARE(proxy.index(0, 1).data().toString(), QStringLiteral("B"));
}

void tst_TableModel::cleanupTestCase()
{
    delete kuClient::instance().data();
}

QTEST_MAIN(tst_TableModel)
#include "tst_tablemodel.moc"
