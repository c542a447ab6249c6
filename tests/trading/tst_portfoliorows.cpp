#include <QSignalSpy>
#include <QtTest>

#include "kulook.h"
#include "kupaperinfo.h"
#include "kupaperlist.h"
#include "kuportfoliomodel.h"
#include "kuportfoliomoneyitem.h"
#include "kuportfoliopositionitem.h"

// Valuation and cells of the position and money rows, and the portfolio model's roles and updates.
namespace {
enum Paper
{
    share = 1,  // step 0.01
    bond = 2,   // nominal 1000, coupon 12.5
    future = 3, // step 10, nominal 6.5
    unknown = 99
};

void addPaper(int id, const QString& ticker, int type, double step, double nominal, double coupon)
{
    kuPaperList::instance()->addPaper(id, QSharedPointer<kuPaperInfo>::create(id, ticker, "Эмитент " + ticker, type, 1,
                                                                              step, nominal, 0, coupon, true, ticker,
                                                                              QString(), 1, "ВФБ"));
}

// '+' up colour, '-' down colour, '0' none.
char sign(const QColor& color)
{
    if (!color.isValid())
        return '0';
    if (color == kuLook::upColor())
        return '+';
    return color == kuLook::downColor() ? '-' : '?';
}

QSharedPointer<kuPortfolioPositionItem> position(int paper, int amount, double cost, double last, double base = -1)
{
    auto row = QSharedPointer<kuPortfolioPositionItem>::create(
            paper, amount, base < 0 ? last : base, base < 0 ? last : base, cost, 0.0, 0.0, QDate(2026, 12, 1));
    row->updateLastPrice(paper, last);
    return row;
}

void addColumns(kuPortfolioModel* model)
{
    model->setColumns(
            {kuObjectHeaderItem::createHidden("0"), kuObjectHeaderItem::create("1"), kuObjectHeaderItem::create("2")});
}

kuPortfolioModel::Rows rows(std::initializer_list<QSharedPointer<kuObjectModelAbstractItem>> items)
{
    return kuPortfolioModel::Rows(items);
}
} // namespace

class tst_PortfolioRows : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        addPaper(share, "VLMR", 1, 0.01, 0, 0);
        addPaper(bond, "BRNH", 2, 0.01, 1000, 12.5);
        addPaper(future, "VIX", 4, 10, 6.5, 0);
    }

    void valuation_data()
    {
        QTest::addColumn<int>("paper");
        QTest::addColumn<int>("amount");
        QTest::addColumn<double>("cost");
        QTest::addColumn<double>("base");
        QTest::addColumn<double>("last");
        QTest::addColumn<double>("marketValue");
        QTest::addColumn<double>("changeSum");
        // Columns 3, 6, 7, 8, 9 and 10.
        QTest::addColumn<QString>("texts");
        // Colours of columns 3, 6, 9 and 10.
        QTest::addColumn<QString>("colours");
        QTest::addColumn<int>("arrow");

        QTest::newRow("share") << int(share) << 10 << 1000.0 << 100.0 << 110.0 << 1100.0 << 100.0
                               << "10|110.00|1 000.00|1 100.00|100.00|10.00 %"
                               << "+++ +" << 1;
        QTest::newRow("bond") << int(bond) << 5 << 4800.0 << 98.0 << 98.0 << 4962.5 << 162.5
                              << "5|98.00 (12.50)|4 800.00|4 962.50|162.50|3.39 %"
                              << "+++ +" << 1;
        QTest::newRow("future") << int(future) << 2 << 200000.0 << 105000.0 << 105000.0 << 0.0 << 0.0
                                << "2|105 000|||6 500|"
                                << "+++ 0" << 0;
        QTest::newRow("0.004 %") << int(share) << 1000 << 100000.0 << 100.004 << 100.004 << 100004.0 << 4.0
                                 << "1 000|100.00|100 000.00|100 004.00|4.00|0.00 %"
                                 << "+++ +" << 1;
        QTest::newRow("no change") << int(share) << 10 << 1000.0 << 100.0 << 100.0 << 1000.0 << 0.0
                                   << "10|100.00|1 000.00|1 000.00|0.00|0.00 %"
                                   << "+00 0" << 0;
        QTest::newRow("cost 0") << int(share) << 10 << 0.0 << 100.0 << 90.0 << 900.0 << 900.0
                                << "10|90.00|0.00|900.00|900.00|0.00 %"
                                << "+-+ 0" << 0;
        QTest::newRow("short") << int(share) << -3 << -330.0 << 100.0 << 100.0 << -300.0 << 30.0
                               << "-3|100.00|-330.00|-300.00|30.00|0.00 %"
                               << "-++ 0" << 0;
        QTest::newRow("unknown instrument") << int(unknown) << 4 << 400.0 << 110.0 << 110.0 << 440.0 << 40.0
                                            << "4|110.00|400.00|440.00|40.00|10.00 %"
                                            << "+++ +" << 1;
    }

    void valuation()
    {
        QFETCH(int, paper);
        QFETCH(int, amount);
        QFETCH(double, cost);
        QFETCH(double, base);
        QFETCH(double, last);
        QFETCH(double, marketValue);
        QFETCH(double, changeSum);
        QFETCH(QString, texts);
        QFETCH(QString, colours);
        QFETCH(int, arrow);

        const auto row = position(paper, amount, cost, last, base);
        QCOMPARE(row->itemType(), 1);
        QCOMPARE(row->marketValue(), marketValue);
        QCOMPARE(row->changeSum(), changeSum);
        QStringList shown;
        for (int column : {3, 6, 7, 8, 9, 10})
            shown << row->displayText(column);
        QCOMPARE(shown.join('|'), texts);
        QString signs;
        for (int column : {3, 6, 9})
            signs += sign(row->color(column));
        signs += QLatin1Char(' ');
        signs += sign(row->color(10));
        QCOMPARE(signs, colours);

        const QVariant icon = row->decoration(10);
        QCOMPARE(icon.isValid(), arrow != 0);
        if (arrow != 0)
            QVERIFY(!icon.value<QIcon>().isNull());
        QVERIFY(!row->decoration(9).isValid());

        // Columns sort by type, ticker, then by their texts.
        QCOMPARE(row->sortValue(1), QVariant(paper == unknown ? 0 : kuPaperList::instance()->paper(paper)->type()));
        QCOMPARE(row->sortValue(2).toString(), row->displayText(2));
        QCOMPARE(row->sortValue(9), QVariant(row->displayText(9)));
        QCOMPARE(row->alignment(3), int(Qt::AlignRight | Qt::AlignVCenter));
        QCOMPARE(row->alignment(4), int(Qt::AlignHCenter | Qt::AlignVCenter));
        QCOMPARE(row->alignment(2), int(Qt::AlignLeft | Qt::AlignVCenter));
        QCOMPARE(row->displayText(4), QStringLiteral("01.12.2026"));
    }

    void bondAndUnknownCells()
    {
        const auto bondRow = position(bond, 5, 4800, 98);
        QCOMPARE(bondRow->toolTip(6), QStringLiteral("Рын. цена (НКД)"));
        QCOMPARE(bondRow->toolTip(2), QStringLiteral("Эмитент BRNH"));
        const auto unknownRow = position(unknown, 4, 400, 110);
        QVERIFY(unknownRow->displayText(2).isEmpty());
        QCOMPARE(unknownRow->type(), 0);
        // Another instrument's price leaves the row as it was.
        unknownRow->updateLastPrice(share, 1);
        QCOMPARE(unknownRow->lastPrice(), 110.0);
        QVERIFY(unknownRow->toolTip(6).isEmpty());
    }

    void moneyRow()
    {
        kuPortfolioMoneyItem money(1000, 75, 5, 20);
        money.setPositionsChange(100);
        QCOMPARE(money.itemType(), 10);
        QStringList shown;
        for (int column = 1; column <= 12; ++column)
            shown << money.displayText(column);
        QCOMPARE(shown.join('|'), QStringLiteral("|Деньги|||||1 000.00||120.00||75.00|5.00"));
        QCOMPARE(sign(money.color(9)), '+');
        QCOMPARE(money.toolTip(11), QStringLiteral("Сумма блокированных денежных средств"));
        QCOMPARE(money.sortValue(3), QVariant(QString(QChar(0x07C0))));
        QVERIFY(!money.decoration(7).isValid());
    }

    void accountRoles()
    {
        kuPortfolioModel model;
        addColumns(&model);
        QCOMPARE(model.appendTopItem("ACC"), 0);
        const QModelIndex top = model.index(0, 0);
        const auto zero = top.data(kuPortfolioModel::MarginRole).value<kuPortfolioModel::marginParam>();
        QCOMPARE(zero.initMargin + zero.marginPortfolio + zero.minMargin, 0.0);

        model.appendChildren(
                0, rows({position(share, 5, 500, 100), position(share, 5, 250, 50), position(future, 1, 1000, 100000),
                         QSharedPointer<kuPortfolioMoneyItem>::create(1000, 0, 0, 0)}));
        QCOMPARE(top.data(257).toString(), QStringLiteral("Состояние счета ACC"));
        QCOMPARE(top.data(258).toString(), QStringLiteral("ACC"));
        QCOMPARE(top.data(261).toString(), QStringLiteral("Баланс. стоимость 1 750.00"));
        QCOMPARE(model.index(0, 2).data(258).userType(), qMetaTypeId<kuPortfolioModel::marginParam>());
        QVERIFY(!top.data(Qt::DisplayRole).isValid());

        const QModelIndex shareRow = model.index(0, 2, top);
        QCOMPARE(shareRow.data(263).toInt(), int(share));
        QCOMPARE(shareRow.data(264).toInt(), 1);
        QCOMPARE(shareRow.data(265).toInt(), 5);
        QCOMPARE(shareRow.data(266).toDouble(), 100.0);
        QVERIFY(!model.index(3, 2, top).data(263).isValid());
        QCOMPARE(model.index(3, 2, top).data(Qt::DisplayRole).toString(), QStringLiteral("Деньги"));

        model.removeTopRow(5);
        QCOMPARE(model.rowCount(), 1);
        model.clear();
        QCOMPARE(model.appendTopItem("NEW"), 0);
        QCOMPARE(model.index(0, 0).data(262).value<kuPortfolioModel::marginParam>().initMargin, 0.0);
    }

    void setData_data()
    {
        QTest::addColumn<int>("role");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("result");
        // Rows announced as changed: child rows by number, 't' the account row.
        QTest::addColumn<QString>("changed");
        // The money row's change of the positions afterwards (it starts at 999).
        QTest::addColumn<double>("moneyChange");
        QTest::addColumn<int>("childRows");

        const auto price = [](int paper, double last) {
            return QVariant::fromValue(kuPortfolioModel::LastPrice(paper, last));
        };
        kuPortfolioModel::marginParam margin;
        margin.initMargin = 100;
        margin.marginPortfolio = 150;
        margin.minMargin = 50;

        QTest::newRow("last price held") << 267 << price(share, 120) << true << "0 2 t" << 200.0 << 3;
        QTest::newRow("last price, the same") << 267 << price(share, 110) << false << "" << 100.0 << 3;
        QTest::newRow("last price not held") << 267 << price(bond, 120) << false << "" << 100.0 << 3;
        QTest::newRow("last price not a pair") << 267 << QVariant(5) << false << "" << 100.0 << 3;
        QTest::newRow("rows") << 268 << QVariant::fromValue(rows({position(share, 1, 1, 1)})) << true << "t" << 999.0
                              << 1;
        const auto money999 = [] {
            auto money = QSharedPointer<kuPortfolioMoneyItem>::create(1000, 0, 0, 0);
            money->setPositionsChange(999);
            return money;
        };
        // The same rows again: only what shows differently is announced.
        QTest::newRow("rows, the same")
                << 268
                << QVariant::fromValue(
                           rows({position(share, 10, 1000, 110), position(future, 1, 100000, 100000), money999()}))
                << true << "" << 999.0 << 3;
        QTest::newRow("rows, the same with a new price")
                << 268
                << QVariant::fromValue(
                           rows({position(share, 10, 1000, 120), position(future, 1, 100000, 100000), money999()}))
                << true << "t" << 999.0 << 3;
        QTest::newRow("rows, another instrument")
                << 268
                << QVariant::fromValue(
                           rows({position(bond, 10, 1000, 110), position(future, 1, 100000, 100000), money999()}))
                << true << "t" << 999.0 << 3;
        QTest::newRow("rows, empty list")
                << 268 << QVariant::fromValue(kuPortfolioModel::Rows()) << false << "" << 999.0 << 3;
        QTest::newRow("margin") << 269 << QVariant::fromValue(margin) << true << "t" << 999.0 << 3;
        // Zeros over zeros: nothing to repaint.
        QTest::newRow("margin as a number") << 269 << QVariant(7.5) << true << "" << 999.0 << 3;
        QTest::newRow("other role") << 270 << QVariant(1) << false << "" << 999.0 << 3;
    }

    void setData()
    {
        QFETCH(int, role);
        QFETCH(QVariant, value);
        QFETCH(bool, result);
        QFETCH(QString, changed);
        QFETCH(double, moneyChange);
        QFETCH(int, childRows);

        kuPortfolioModel model;
        addColumns(&model);
        model.appendTopItem("OTHER");
        model.appendTopItem("ACC");
        auto money = QSharedPointer<kuPortfolioMoneyItem>::create(1000, 0, 0, 0);
        money->setPositionsChange(999);
        model.appendChildren(1, rows({position(share, 10, 1000, 110), position(future, 1, 100000, 100000), money}));
        const QModelIndex top = model.index(1, 0);

        QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
        QCOMPARE(model.setData(top, value, role), result);
        QStringList rowsChanged;
        for (const QList<QVariant>& change : qAsConst(changes)) {
            const QModelIndex from = change.at(0).toModelIndex();
            const QModelIndex to = change.at(1).toModelIndex();
            QCOMPARE(from.row(), to.row());
            QCOMPARE(to.column(), 2); // the whole row repaints
            rowsChanged << (from.parent().isValid() ? QString::number(from.row()) : QStringLiteral("t"));
        }
        QCOMPARE(rowsChanged.join(' '), changed);
        QCOMPARE(money->positionsChange(), moneyChange);
        QCOMPARE(model.rowCount(top), childRows);
        QCOMPARE(model.rowCount(model.index(0, 0)), 0);

        const auto stored = model.index(1, 0).data(262).value<kuPortfolioModel::marginParam>();
        const bool margin = role == 269 && value.userType() == qMetaTypeId<kuPortfolioModel::marginParam>();
        QCOMPARE(stored.initMargin, margin ? 100.0 : 0.0);
        QCOMPARE(stored.marginPortfolio, margin ? 150.0 : 0.0);
    }

    // The same rows with new values: the changed cells of each row, in runs.
    void changedCells()
    {
        kuPortfolioModel model;
        QList<QSharedPointer<kuObjectHeaderItem>> columns{kuObjectHeaderItem::createHidden("0")};
        for (int column = 1; column <= 12; ++column)
            columns << kuObjectHeaderItem::create(QString::number(column));
        model.setColumns(columns);
        model.appendTopItem("ACC");
        auto money = [](double balance) { return QSharedPointer<kuPortfolioMoneyItem>::create(balance, 0, 0, 0); };
        model.appendChildren(0, rows({position(share, 10, 1000, 110, 100), position(future, 1, 100000, 100000),
                                      money(1000)}));
        const QModelIndex top = model.index(0, 0);
        QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
        QVERIFY(model.setData(
                top,
                QVariant::fromValue(rows({position(share, 10, 1000, 120, 100), position(future, 1, 100000, 100000),
                                          money(1500)})),
                268));
        QStringList cells;
        for (const QList<QVariant>& change : qAsConst(changes)) {
            const QModelIndex from = change.at(0).toModelIndex();
            const QModelIndex to = change.at(1).toModelIndex();
            QCOMPARE(from.row(), to.row());
            if (!from.parent().isValid()) {
                cells << QStringLiteral("t");
                continue;
            }
            cells << QStringLiteral("%1:%2-%3").arg(from.row()).arg(from.column()).arg(to.column());
        }
        QCOMPARE(cells.join(' '), QStringLiteral("0:6-6 0:8-10 2:7-7 t"));
        QCOMPARE(model.index(0, 6, top).data().toString(), QStringLiteral("120.00"));
    }

    void setDataBounds()
    {
        kuPortfolioModel model;
        addColumns(&model);
        model.appendTopItem("ACC");
        model.appendChildren(0, rows({position(share, 10, 1000, 110)}));
        QVERIFY(model.index(0, 0, model.index(0, 0)).isValid());
        kuPortfolioModel other;
        addColumns(&other);
        other.appendTopItem("ACC");
        const QVariant price = QVariant::fromValue(kuPortfolioModel::LastPrice(share, 1));
        QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
        QVERIFY(!model.setData(model.index(0, 0, model.index(0, 0)), price, 267));
        QVERIFY(!model.setData(QModelIndex(), price, 267));
        QVERIFY(!model.setData(other.index(0, 0), price, 267));
        QVERIFY(!model.setData(model.index(0, 0, model.index(0, 0)), QVariant(1.0), 269));
        QVERIFY(changes.isEmpty());
        QCOMPARE(model.index(0, 0, model.index(0, 0)).data(266).toDouble(), 110.0);
    }
};

QTEST_MAIN(tst_PortfolioRows)
#include "tst_portfoliorows.moc"
