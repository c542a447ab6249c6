#include "kuappsetting.h"
#include "kuclient.h"
#include "kuobjectheaderitem.h"
#include "testitem.h"

#include <QtTest>

#include <cmath>

// Column descriptors and the sign colours of row items.
class tst_RowItems : public QObject
{
    Q_OBJECT

private slots:
    void headerDefaults();
    void hiddenColumns();
    void signColors_data();
    void signColors();
    void colorsReadAfresh();
    void defaultsOnceTheMainWindowIsGone();
};

void tst_RowItems::headerDefaults()
{
    const kuObjectHeaderItem plain(nullptr);
    QCOMPARE(plain.title(), QStringLiteral("Column #N"));
    QVERIFY(plain.toolTip().isEmpty());
    QCOMPARE(plain.alignment(), 132);
    QVERIFY(plain.isVisible());
    QVERIFY(!plain.isAlwaysHidden());

    const auto made = kuObjectHeaderItem::create("Цена", "Последняя цена", false);
    QCOMPARE(made->title(), QStringLiteral("Цена"));
    QCOMPARE(made->toolTip(), QStringLiteral("Последняя цена"));
    QCOMPARE(made->alignment(), 132);
    QVERIFY(!made->isVisible());
    QVERIFY(!made->isAlwaysHidden());
    QVERIFY(!made->parent());
}

void tst_RowItems::hiddenColumns()
{
    const auto hidden = kuObjectHeaderItem::createHidden("Column #1");
    QCOMPARE(hidden->title(), QStringLiteral("Column #1"));
    QVERIFY(hidden->toolTip().isEmpty());
    QVERIFY(!hidden->isVisible());
    QVERIFY(hidden->isAlwaysHidden());
}

void tst_RowItems::signColors_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QColor>("expected");
    QTest::newRow("zero") << 0.0 << QColor();
    QTest::newRow("negative zero") << -0.0 << QColor();
    QTest::newRow("NaN") << std::nan("") << QColor();
    QTest::newRow("0.0001") << 0.0001 << QColor("#4fbd3c");
    QTest::newRow("-0.0001") << -0.0001 << QColor("#bd3c4f");
    QTest::newRow("0.01") << 0.01 << QColor("#4fbd3c");
    QTest::newRow("-0.01") << -0.01 << QColor("#bd3c4f");
}

void tst_RowItems::signColors()
{
    QFETCH(double, value);
    QFETCH(QColor, expected);
    const TestItem item({});
    const QColor color = item.signColor(value);
    QCOMPARE(color.isValid(), expected.isValid());
    QCOMPARE(color, expected);
}

void tst_RowItems::colorsReadAfresh()
{
    const TestItem item({"", "SBER"}, {QVariant(), -3.5});
    kuAppSetting* look = kuClient::instance()->appSetting();
    look->setUpColor(Qt::blue);
    look->setDownColor(Qt::magenta);
    QCOMPARE(item.signColor(1), QColor(Qt::blue));
    QCOMPARE(item.color(1), QColor(Qt::magenta));
    look->setUpColor(kuAppSetting::defaultUpColor());
    look->setDownColor(kuAppSetting::defaultDownColor());
    QCOMPARE(item.signColor(1), QColor("#4fbd3c"));
    QCOMPARE(item.color(1), QColor("#bd3c4f"));
    QVERIFY(!look->isVisible());
}

// Late paints at shutdown read colours after the main window is gone: they get
// the defaults, and no second main window is built.
void tst_RowItems::defaultsOnceTheMainWindowIsGone()
{
    QPointer<kuClient> client = kuClient::instance();
    QVERIFY(client);
    client->appSetting()->setUpColor(Qt::blue);
    delete client.data();
    QVERIFY(!kuClient::instance());
    const TestItem item({});
    QCOMPARE(item.signColor(2), QColor("#4fbd3c"));
    QCOMPARE(item.signColor(-2), QColor("#bd3c4f"));
    QVERIFY(!kuClient::instance());
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

QTEST_MAIN(tst_RowItems)
#include "tst_rowitems.moc"
