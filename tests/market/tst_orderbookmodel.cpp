#include "kuorderbookitem.h"
#include "kuorderbookmodel.h"
#include "kuorderbookproxymodel.h"

#include <QJsonDocument>
#include <QSignalSpy>
#include <QtTest>

namespace {
// The placeholder and the five columns, as the window gives them; createIndex
// for rows the model does not report, as a stale index carries them.
class ProbeModel : public kuOrderBookModel
{
public:
    ProbeModel()
    {
        QList<QSharedPointer<kuObjectHeaderItem>> columns;
        for (int i = 0; i <= 5; ++i)
            columns << kuObjectHeaderItem::create(QString::number(i));
        setColumns(columns);
    }
    using kuOrderBookModel::createIndex;
};

QJsonArray book(const QByteArray& json)
{
    return QJsonDocument::fromJson(json).array();
}

QJsonObject level(int action, double price, double amount, double yield = 0.0)
{
    return QJsonObject{{"action", action}, {"price", price}, {"amount", amount}, {"yeild", yield}};
}

// Model rows, each as the texts of columns 1 to 5 joined by "|".
QStringList rows(const QAbstractItemModel& model)
{
    QStringList result;
    for (int row = 0; row < model.rowCount(); ++row) {
        QStringList cells;
        for (int column = 1; column <= 5; ++column)
            cells << model.index(row, column).data().toString();
        result << cells.join('|');
    }
    return result;
}

QString bidRow(const QString& amount, const QString& price, const QString& yield = "0.00")
{
    return yield + '|' + amount + '|' + price + "||";
}

QString offerRow(const QString& amount, const QString& price, const QString& yield = "0.00")
{
    return "||" + price + '|' + amount + '|' + yield;
}
} // namespace

class tst_OrderBookModel : public QObject
{
    Q_OBJECT

private slots:
    void levels_data()
    {
        QTest::addColumn<QJsonArray>("levels");
        QTest::addColumn<int>("lot");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<int>("depth");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("firstRow");

        QTest::newRow("level record") << book(R"([{"action": 1, "price": 101.5, "amount": 3, "yeild": 7.25}])") << 10
                                      << 2 << 20 << QStringList{offerRow("30", "101.50", "7.25")} << 0;

        QJsonArray deep;
        QStringList deepRows;
        for (int price = 130; price >= 101; --price) {
            deep.append(level(1, price, 1));
            if (price <= 120)
                deepRows << offerRow("1", QString::number(price) + ".00");
        }
        for (int price = 100; price >= 96; --price) {
            deep.append(level(0, price, 2));
            deepRows << bidRow("2", QString::number(price) + ".00");
        }
        QTest::newRow("30 offers, 5 bids, depth 20") << deep << 1 << 2 << 20 << deepRows << 10;

        const QJsonArray four{level(1, 102, 1), level(1, 101, 1), level(0, 99, 1), level(0, 100, 1)};
        QTest::newRow("depth 1") << four << 1 << 2 << 1 << QStringList{offerRow("1", "101.00"), bidRow("1", "100.00")}
                                 << 1;
        QTest::newRow("equal price and side stay two rows")
                << QJsonArray{level(0, 100, 1), level(0, 100, 2)} << 1 << 2 << 20
                << QStringList{bidRow("1", "100.00"), bidRow("2", "100.00")} << 0;
        QTest::newRow("action 2 and a non-object are bids")
                << book(R"([{"action": 2, "price": 5, "amount": 1}, 7])") << 1 << 2 << 20
                << QStringList{bidRow("1", "5.00"), bidRow("0", "0.00")} << 0;
        QTest::newRow("empty book") << QJsonArray() << 1 << 2 << 20 << QStringList() << 0;
        // Truncated, 0.29 * 100 gives the key of 0.28 and depth 1 could show 0.29.
        QTest::newRow("0.28 against 0.29") << QJsonArray{level(1, 0.28, 1), level(1, 0.29, 2), level(0, 0.27, 3)} << 1
                                           << 2 << 1 << QStringList{offerRow("1", "0.28"), bidRow("3", "0.27")} << 1;
        QTest::newRow("0.29 above 0.28") << QJsonArray{level(1, 0.28, 1), level(1, 0.29, 2)} << 1 << 2 << 20
                                         << QStringList{offerRow("2", "0.29"), offerRow("1", "0.28")} << 0;
        QTest::newRow("negative prices")
                << QJsonArray{level(0, -1.5, 1), level(0, 0.5, 2), level(0, -0.5, 3), level(1, -0.25, 4)} << 1 << 2 << 2
                << QStringList{offerRow("4", "-0.25"), bidRow("2", "0.50"), bidRow("3", "-0.50")} << 0;
        QTest::newRow("offers above bids at any price")
                << QJsonArray{level(0, 5e9, 1), level(1, 1e9, 2)} << 1 << 2 << 1
                << QStringList{offerRow("2", "1 000 000 000.00"), bidRow("1", "5 000 000 000.00")} << 0;
        QTest::newRow("huge amount") << QJsonArray{level(1, 10, 200000000), level(0, 9, 3e9)} << 100 << 2 << 20
                                     << QStringList{offerRow("20 000 000 000", "10.00"),
                                                    bidRow("300 000 000 000", "9.00")}
                                     << 0;
    }

    void levels()
    {
        QFETCH(QJsonArray, levels);
        QFETCH(int, lot);
        QFETCH(int, decimals);
        QFETCH(int, depth);
        QFETCH(QStringList, expected);
        QFETCH(int, firstRow);
        ProbeModel model;
        model.setDepth(depth);
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        model.setOrderBook(levels, lot, decimals);
        QCOMPARE(resets.count(), 1);
        QCOMPARE(rows(model), expected);
        QCOMPARE(model.visibleRows(), expected.size());
        QCOMPARE(model.firstRow(), firstRow);
    }

    // Role 257 sorts the sides apart and the prices as shown; the other roles of a level.
    void roles()
    {
        QVERIFY(kuOrderBookItem::sortKeyOf(kuOrderBookItem::Offer, -1e15, 2) >
                kuOrderBookItem::sortKeyOf(kuOrderBookItem::Bid, 1e15, 2));
        QVERIFY(kuOrderBookItem::sortKeyOf(kuOrderBookItem::Bid, 0.29, 2) >
                kuOrderBookItem::sortKeyOf(kuOrderBookItem::Bid, 0.28, 2));
        QCOMPARE(kuOrderBookItem::sortKeyOf(kuOrderBookItem::Bid, 0.1 + 0.2, 2),
                 kuOrderBookItem::sortKeyOf(kuOrderBookItem::Bid, 0.3, 2));
        QVERIFY(kuOrderBookItem::sortKeyOf(kuOrderBookItem::Bid, -2, 2) <
                kuOrderBookItem::sortKeyOf(kuOrderBookItem::Bid, -1, 2));
        QCOMPARE(kuOrderBookItem::sortKeyOf(kuOrderBookItem::Bid, -0.001, 2),
                 kuOrderBookItem::sortKeyOf(kuOrderBookItem::Bid, 0, 2));

        ProbeModel model;
        model.setBidColor(QColor("#90EE90"));
        model.setOfferColor(QColor("#FFC0CB"));
        model.setOrderBook(QJsonArray{level(1, 101.5, 3, 7.25), level(0, 101, 4)}, 10, 2);
        const QModelIndex offer = model.index(0, 3);
        QCOMPARE(offer.data(Qt::UserRole + 3).toDouble(), 101.5);
        QCOMPARE(offer.data(Qt::UserRole + 4).toLongLong(), 30);
        QCOMPARE(offer.data(Qt::UserRole + 2).toInt(), 110);
        QCOMPARE(offer.data(Qt::UserRole + 1).toULongLong(),
                 kuOrderBookItem::sortKeyOf(kuOrderBookItem::Offer, 101.5, 2));
        QCOMPARE(offer.data(Qt::TextAlignmentRole).toInt(), 132);
        QCOMPARE(model.index(0, 4).data(Qt::TextAlignmentRole).toInt(), 130);
        QCOMPARE(offer.data(Qt::BackgroundRole).value<QColor>(), QColor("#FFC0CB"));
        QCOMPARE(model.index(1, 2).data(Qt::BackgroundRole).value<QColor>(), QColor("#90EE90"));
        QCOMPARE(offer.data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::black));
        QVERIFY(!offer.data(Qt::UserRole + 9).isValid());
    }

    // A book after a book: what the model reports, and the rows it then shows, in its
    // own order and sorted both ways by the proxy, as a fresh model would show them.
    void nextBook_data()
    {
        QTest::addColumn<QJsonArray>("first");
        QTest::addColumn<QJsonArray>("next");
        QTest::addColumn<int>("depth");
        // "reset", or the changed model rows as "from-to" runs.
        QTest::addColumn<QString>("reported");

        const QJsonArray book{level(1, 102, 1), level(1, 101, 3), level(0, 100, 4), level(0, 99, 5)};
        QTest::newRow("the same book") << book << book << 20 << "";
        QTest::newRow("an amount") << book
                                   << QJsonArray{level(1, 102, 1), level(1, 101, 3), level(0, 100, 7), level(0, 99, 5)}
                                   << 20 << "2-2";
        QTest::newRow("a yield") << book
                                 << QJsonArray{level(1, 102, 1, 1.5), level(1, 101, 3), level(0, 100, 4),
                                               level(0, 99, 5)}
                                 << 20 << "0-0";
        QTest::newRow("the prices move, as many rows")
                << book << QJsonArray{level(1, 103, 1), level(1, 102, 3), level(0, 101, 4), level(0, 99, 5)} << 20
                << "0-2";
        QTest::newRow("a side gains a level")
                << book << QJsonArray{level(1, 102, 1), level(1, 101, 3), level(0, 100, 4), level(0, 99, 5),
                                      level(0, 98, 1)}
                << 20 << "reset";
        QTest::newRow("a level goes") << book << QJsonArray{level(1, 102, 1), level(0, 100, 4), level(0, 99, 5)} << 20
                                      << "reset";
        QTest::newRow("a level moves to the other side")
                << book << QJsonArray{level(1, 102, 1), level(0, 101, 3), level(0, 100, 4), level(0, 99, 5)} << 20
                << "1-1";
        QTest::newRow("a level past the depth")
                << book << QJsonArray{level(1, 102, 1), level(1, 101, 3), level(0, 100, 4), level(0, 99, 5),
                                      level(0, 98, 1)}
                << 2 << "";
        QTest::newRow("the best offer beyond the depth")
                << book << QJsonArray{level(1, 102, 1), level(1, 100.5, 2), level(1, 101, 3), level(0, 100, 4)} << 1
                << "0-0";
        QTest::newRow("two levels at one price") << book
                                                 << QJsonArray{level(1, 102, 1), level(1, 101, 3), level(0, 100, 4),
                                                               level(0, 100, 5)}
                                                 << 20 << "reset";
        QTest::newRow("empty after empty") << QJsonArray() << QJsonArray() << 20 << "reset";
    }

    void nextBook()
    {
        QFETCH(QJsonArray, first);
        QFETCH(QJsonArray, next);
        QFETCH(int, depth);
        QFETCH(QString, reported);

        ProbeModel model;
        model.setDepth(depth);
        kuOrderBookProxyModel ascending;
        ascending.setSourceModel(&model);
        ascending.sort(3, Qt::AscendingOrder);
        kuOrderBookProxyModel descending;
        descending.setSourceModel(&model);
        descending.sort(3, Qt::DescendingOrder);
        model.setOrderBook(first, 10, 2);

        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
        model.setOrderBook(next, 10, 2);
        QStringList seen;
        for (int i = 0; i < resets.count(); ++i)
            seen << "reset";
        for (const QList<QVariant>& change : qAsConst(changes)) {
            const QModelIndex from = change.at(0).toModelIndex();
            const QModelIndex to = change.at(1).toModelIndex();
            QCOMPARE(from.column(), 0);
            QCOMPARE(to.column(), model.columnCount() - 1);
            seen << QString("%1-%2").arg(from.row()).arg(to.row());
        }
        QCOMPARE(seen.join(' '), reported);

        ProbeModel fresh;
        fresh.setDepth(depth);
        fresh.setOrderBook(next, 10, 2);
        QCOMPARE(rows(model), rows(fresh));
        QCOMPARE(model.firstRow(), fresh.firstRow());
        for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            kuOrderBookProxyModel sorted;
            sorted.setSourceModel(&fresh);
            sorted.sort(3, order);
            QCOMPARE(rows(order == Qt::AscendingOrder ? ascending : descending), rows(sorted));
        }
    }

    // Rows past the shown ones, as a stale index may ask for, give nothing.
    void staleIndexes()
    {
        ProbeModel model;
        model.setOrderBook(QJsonArray{level(1, 2, 1), level(0, 1, 1)}, 1, 2);
        QVERIFY(model.createIndex(1, 3).data().isValid());
        for (int row : {2, 5, -1, 1000})
            QVERIFY2(!model.createIndex(row, 3).data().isValid(), qPrintable(QString::number(row)));
        model.setOrderBook(QJsonArray(), 1, 2);
        QVERIFY(!model.createIndex(0, 3).data().isValid());
    }

    void ownOrders()
    {
        ProbeModel model;
        const QColor bid("#90EE90");
        model.setBidColor(bid);
        model.setOrderBook(QJsonArray{level(1, 301, 5), level(0, 300, 8), level(0, 299, 2)}, 1, 2);
        model.showOrder(1, 300, 10);
        model.showOrder(2, 300.0000000000001, 5);
        model.showOrder(3, 250, 7); // no level at that price
        QCOMPARE(rows(model),
                 QStringList({offerRow("5", "301.00"), bidRow("8 (15)", "300.00"), bidRow("2", "299.00")}));
        QCOMPARE(model.index(1, 3).data(Qt::BackgroundRole).value<QColor>(), bid.lighter(130));
        QCOMPARE(model.index(2, 3).data(Qt::BackgroundRole).value<QColor>(), bid);

        model.hideOrder(99);
        QCOMPARE(model.index(1, 2).data().toString(), QString("8 (15)"));
        model.showOrder(1, 300, 4); // replaced, not added
        QCOMPARE(model.index(1, 2).data().toString(), QString("8 (9)"));
        model.hideOrder(2);
        QCOMPARE(model.index(1, 2).data().toString(), QString("8 (4)"));
        // The marks outlive a new book.
        model.setOrderBook(QJsonArray{level(0, 300, 1)}, 1, 2);
        QCOMPARE(model.index(0, 2).data().toString(), QString("1 (4)"));
        model.clearOrders();
        QCOMPARE(model.index(0, 2).data().toString(), QString("1"));
        QCOMPARE(model.index(0, 2).data(Qt::BackgroundRole).value<QColor>(), bid);
    }

    // Without a kuOrderBookModel source the forwarders give their fallbacks.
    void proxyFallbacks()
    {
        kuOrderBookProxyModel proxy;
        QCOMPARE(proxy.depth(), 20);
        QCOMPARE(proxy.bidColor(), QColor(Qt::green));
        QCOMPARE(proxy.offerColor(), QColor(Qt::red));
        proxy.setDepth(3);
        proxy.setOrderBook(QJsonArray{level(0, 1, 1)}, 1, 2);
        QCOMPARE(proxy.rowCount(), 0);

        ProbeModel model;
        proxy.setSourceModel(&model);
        proxy.setDepth(3);
        proxy.setBidColor(Qt::blue);
        proxy.setOrderBook(QJsonArray{level(0, 1, 1)}, 1, 2);
        QCOMPARE(model.depth(), 3);
        QCOMPARE(proxy.bidColor(), QColor(Qt::blue));
        QCOMPARE(proxy.rowCount(), 1);
    }
};

QTEST_MAIN(tst_OrderBookModel)
#include "tst_orderbookmodel.moc"
