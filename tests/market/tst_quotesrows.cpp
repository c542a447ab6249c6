#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QtTest>

#include "kuiconmanager.h"
#include "kulook.h"
#include "kuquotesitem.h"
#include "kuquotesmodel.h"
#include "kuquotesproxymodel.h"
#include "kutableviewproxymodel.h"
#include "marketfixture.h"

namespace {

QJsonObject record(const QByteArray& json)
{
    return QJsonDocument::fromJson(json).object();
}

// The placeholder and the 22 columns of the window.
QList<QSharedPointer<kuObjectHeaderItem>> quoteColumns()
{
    QList<QSharedPointer<kuObjectHeaderItem>> columns{kuObjectHeaderItem::createHidden("Column #1")};
    for (int i = 1; i <= kuQuotesItem::columnCount; ++i)
        columns << kuObjectHeaderItem::create(QString::number(i));
    return columns;
}

// "up", "down" or "" for a text colour.
QString colourName(const QVariant& colour)
{
    const QColor c = colour.value<QColor>();
    if (!c.isValid())
        return QString();
    if (c == kuLook::upColor())
        return "up";
    if (c == kuLook::downColor())
        return "down";
    return c.name();
}

QString arrowName(const QVariant& decoration)
{
    const QIcon icon = decoration.value<QIcon>();
    if (icon.isNull())
        return QString();
    const QImage image = icon.pixmap(16).toImage();
    if (image == kuIconManager::icon("quotes.up.arrow.png").pixmap(16).toImage())
        return "up";
    if (image == kuIconManager::icon("quotes.down.arrow.png").pixmap(16).toImage())
        return "down";
    return "other";
}

struct Table
{
    Table()
    {
        model.setColumns(quoteColumns());
        proxy.setSourceModel(&model);
    }
    // The row of the id as the proxy shows it.
    QModelIndex cell(int paperID, int column) const { return model.index(model.findRow(paperID), column); }
    QList<int> shownIds() const
    {
        QList<int> ids;
        for (int row = 0; row < proxy.rowCount(); ++row)
            ids << proxy.index(row, 0).data(kuQuotesModel::PaperIDRole).toInt();
        return ids;
    }
    kuQuotesModel model;
    kuQuotesProxyModel proxy;
};

} // namespace

class tst_QuotesRows : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { addMarketPapers(); }

    // The change column: its text keeps to the 0.009 threshold, arrow and colour to the sign.
    void change_data()
    {
        QTest::addColumn<double>("close");
        QTest::addColumn<double>("last");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("arrow");
        QTest::addColumn<QString>("colour");
        QTest::newRow("rise") << 100.0 << 101.25 << "1.25 %"
                              << "up"
                              << "up";
        QTest::newRow("fall") << 100.0 << 99.6 << "-0.40 %"
                              << "down"
                              << "down";
        QTest::newRow("below the threshold") << 100.0 << 100.005 << "0.00 %"
                                             << "up"
                                             << "up";
        QTest::newRow("no previous close") << 0.0 << 101.0 << "0.00 %"
                                           << ""
                                           << "";
        QTest::newRow("no last price") << 100.0 << 0.0 << "0.00 %"
                                       << ""
                                       << "";
    }

    void change()
    {
        QFETCH(double, close);
        QFETCH(double, last);
        QFETCH(QString, text);
        QFETCH(QString, arrow);
        QFETCH(QString, colour);
        const QSharedPointer<kuQuotesItem> item =
                kuQuotesModel::makeItem({{"paperID", paper::share}, {"price", close}, {"last", last}});
        QVERIFY(item);
        QCOMPARE(item->displayText(kuQuotesItem::colChange), text);
        QCOMPARE(arrowName(item->decoration(kuQuotesItem::colChange)), arrow);
        QCOMPARE(colourName(item->color(kuQuotesItem::colChange)), colour);
        QCOMPARE(arrowName(item->decoration(kuQuotesItem::colLast)), QString());
    }

    // Bid, offer and last colour by their own move first, then by the next one in the chain.
    void colourChain_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QStringList>("colours"); // change, bid, offer, last
        const QByteArray base = R"({"paperID": 5, "buy": 100, "sell": 101, "last": 100.5})";
        QTest::newRow("bid rose") << base << QByteArray(R"({"paperID": 5, "buy": 100.5, "sell": 101, "last": 100.5})")
                                  << QStringList{"up", "up", "", ""};
        QTest::newRow("same bid, lower offer")
                << base << QByteArray(R"({"paperID": 5, "buy": 100, "sell": 100.8, "last": 100.5})")
                << QStringList{"down", "down", "down", ""};
        QTest::newRow("only the last fell")
                << base << QByteArray(R"({"paperID": 5, "buy": 100, "sell": 101, "last": 100.2})")
                << QStringList{"down", "down", "down", "down"};
        QTest::newRow("nothing moved") << base << base << QStringList{"", "", "", ""};
        QTest::newRow("change wins over a falling bid")
                << base << QByteArray(R"({"paperID": 5, "buy": 99, "sell": 101, "last": 102, "price": 101})")
                << QStringList{"up", "down", "up", "up"};
        QTest::newRow("first snapshot after the zero row")
                << QByteArray(R"({"paperID": 5})") << base << QStringList{"", "", "", ""};
    }

    void colourChain()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(QStringList, colours);
        Table table;
        table.model.appendQuote({{"paperID", paper::share}});
        table.model.updateQuote(record(before));
        table.model.updateQuote(record(after));
        QStringList shown;
        for (int column : {kuQuotesItem::colChange, kuQuotesItem::colBuy, kuQuotesItem::colSell, kuQuotesItem::colLast})
            shown << colourName(table.cell(paper::share, column).data(Qt::ForegroundRole));
        QCOMPARE(shown, colours);
        QCOMPARE(colourName(table.cell(paper::share, kuQuotesItem::colOpen).data(Qt::ForegroundRole)), QString());
    }

    void cells_data()
    {
        QTest::addColumn<int>("paperID");
        QTest::addColumn<QByteArray>("quote");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("toolTip");
        QTest::newRow("bid quantity in pieces")
                << int(paper::share) << QByteArray(R"({"toBuy": 3})") << int(kuQuotesItem::colToBuy) << "30"
                << "";
        QTest::newRow("total bids as received")
                << int(paper::share) << QByteArray(R"({"toBuyTotal": 3})") << int(kuQuotesItem::colToBuyTotal) << "3"
                << "";
        QTest::newRow("offer quantity beyond an int") << int(paper::bigLot) << QByteArray(R"({"toSell": 3000})")
                                                      << int(kuQuotesItem::colToSell) << "3 000 000 000"
                                                      << "";
        QTest::newRow("share: no coupon")
                << int(paper::sevn) << QByteArray("{}") << int(kuQuotesItem::colAccruedCoupon) << ""
                << "";
        QTest::newRow("share: no nominal")
                << int(paper::sevn) << QByteArray("{}") << int(kuQuotesItem::colNominal) << ""
                << "";
        QTest::newRow("bond coupon") << int(paper::bond) << QByteArray("{}") << int(kuQuotesItem::colAccruedCoupon)
                                     << "12.50"
                                     << "";
        QTest::newRow("bond nominal") << int(paper::bond) << QByteArray("{}") << int(kuQuotesItem::colNominal)
                                      << "1 000"
                                      << "";
        QTest::newRow("money turnover") << int(paper::share) << QByteArray(R"({"moneyVol": 1234567.891})")
                                        << int(kuQuotesItem::colMoneyVol) << "1 234 567.89"
                                        << "1 234 567.89";
        QTest::newRow("pieces traded") << int(paper::share) << QByteArray(R"({"paperVol": 15000})")
                                       << int(kuQuotesItem::colPaperVol) << "15 000"
                                       << "15 000";
        QTest::newRow("ticker") << int(paper::share) << QByteArray("{}") << int(kuQuotesItem::colTicker) << "VLMR"
                                << "Эмитент VLMR";
        QTest::newRow("short name") << int(paper::share) << QByteArray("{}") << int(kuQuotesItem::colShortName)
                                    << "VLMR ао"
                                    << "Эмитент VLMR";
        QTest::newRow("zero row: last") << int(paper::share) << QByteArray("{}") << int(kuQuotesItem::colLast) << "0.00"
                                        << "";
        QTest::newRow("four decimals") << int(paper::fourDigits) << QByteArray(R"({"buy": 0.5})")
                                       << int(kuQuotesItem::colBuy) << "0.5000"
                                       << "";
        QTest::newRow("placeholder") << int(paper::share) << QByteArray(R"({"buy": 0.5})") << 0 << ""
                                     << "";
        QTest::newRow("past the last column") << int(paper::share) << QByteArray(R"({"buy": 0.5})") << 23 << ""
                                              << "";
    }

    void cells()
    {
        QFETCH(int, paperID);
        QFETCH(QByteArray, quote);
        QFETCH(int, column);
        QFETCH(QString, text);
        QFETCH(QString, toolTip);
        QJsonObject fields = record(quote);
        fields.insert("paperID", paperID);
        const QSharedPointer<kuQuotesItem> item = kuQuotesModel::makeItem(fields);
        QVERIFY(item);
        QCOMPARE(item->displayText(column), text);
        QCOMPARE(item->toolTip(column), toolTip);
    }

    // Role 260: the price the column shows, the last price for the others.
    void cellPrice_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<double>("price");
        QTest::newRow("ticker") << int(kuQuotesItem::colTicker) << 6.0;
        QTest::newRow("change") << int(kuQuotesItem::colChange) << 6.0;
        QTest::newRow("bid") << int(kuQuotesItem::colBuy) << 1.0;
        QTest::newRow("bid quantity") << int(kuQuotesItem::colToBuy) << 6.0;
        QTest::newRow("offer") << int(kuQuotesItem::colSell) << 2.0;
        QTest::newRow("open") << int(kuQuotesItem::colOpen) << 3.0;
        QTest::newRow("high") << int(kuQuotesItem::colMax) << 4.0;
        QTest::newRow("low") << int(kuQuotesItem::colMin) << 5.0;
        QTest::newRow("last") << int(kuQuotesItem::colLast) << 6.0;
        QTest::newRow("average") << int(kuQuotesItem::colAvg) << 7.0;
        QTest::newRow("best bid") << int(kuQuotesItem::colBestBuy) << 8.0;
        QTest::newRow("best offer") << int(kuQuotesItem::colBestSell) << 9.0;
        QTest::newRow("close") << int(kuQuotesItem::colPrice) << 10.0;
        QTest::newRow("nominal") << int(kuQuotesItem::colNominal) << 6.0;
    }

    void cellPrice()
    {
        QFETCH(int, column);
        QFETCH(double, price);
        Table table;
        table.model.appendQuote({{"paperID", paper::share}});
        table.model.updateQuote(record(R"({"paperID": 5, "buy": 1, "sell": 2, "open": 3, "max": 4, "min": 5,
                                           "last": 6, "avg": 7, "bestBuy": 8, "bestSell": 9, "price": 10})"));
        QCOMPARE(table.cell(paper::share, column).data(kuQuotesModel::PriceRole).toDouble(), price);
        QCOMPARE(table.cell(paper::share, column).data(kuQuotesModel::PaperIDRole).toInt(), int(paper::share));
    }

    void appendOnce()
    {
        Table table;
        table.model.appendQuote({{"paperID", paper::share}});
        table.model.appendQuote({{"paperID", paper::share}});
        table.model.appendQuote({{"paperID", paper::unknown}});
        table.model.appendQuote({{"buy", 1}});
        table.model.appendQuote({});
        QCOMPARE(table.model.rowCount(), 1);
        QCOMPARE(table.model.findRow(paper::share), 0);
        QCOMPARE(table.model.findRow(paper::unknown), -1);
        QVERIFY(!table.model.setData(table.model.index(0, 0), record(R"({"paperID": 999})"), kuQuotesModel::QuoteRole));
        QVERIFY(!table.model.setData(table.model.index(0, 0), record(R"({"paperID": 5})"), Qt::EditRole));
    }

    void updateFindsItsOwnRow()
    {
        Table table;
        table.model.appendQuote({{"paperID", paper::sevn}});
        table.model.appendQuote({{"paperID", paper::bond}});
        table.model.updateQuote(record(R"({"paperID": 12, "last": 50})"));
        QCOMPARE(table.cell(paper::sevn, kuQuotesItem::colLast).data().toString(), "50.00");
        QCOMPARE(table.cell(paper::bond, kuQuotesItem::colLast).data().toString(), "0.00");
        table.model.updateQuote(record(R"({"last": 60})")); // no id: nothing
        QCOMPARE(table.cell(paper::sevn, kuQuotesItem::colLast).data().toString(), "50.00");
    }

    void removeWhileSorted()
    {
        Table table;
        table.proxy.sort(kuQuotesItem::colLast, Qt::DescendingOrder);
        for (int id : {int(paper::share), int(paper::sevn), int(paper::bond)})
            table.model.appendQuote({{"paperID", id}});
        table.model.updateQuote(record(R"({"paperID": 5, "last": 1})"));
        table.model.updateQuote(record(R"({"paperID": 12, "last": 3})"));
        table.model.updateQuote(record(R"({"paperID": 123, "last": 2})"));
        QCOMPARE(table.shownIds(), QList<int>({12, 123, 5}));
        table.model.removeQuote(table.proxy.index(1, 3)); // the bond, second from the top
        QCOMPARE(table.shownIds(), QList<int>({12, 5}));
        // The rows after the removed one are still found.
        table.model.updateQuote(record(R"({"paperID": 5, "last": 4})"));
        QCOMPARE(table.shownIds(), QList<int>({5, 12}));
        QCOMPARE(table.cell(paper::share, kuQuotesItem::colLast).data().toString(), "4.00");
        table.model.removeQuote(QModelIndex());
        QCOMPARE(table.model.rowCount(), 2);
    }

    // The rows' own comparison gives the order of the generic one on every column, either
    // way: numbers of both kinds, texts, ties, a price that is no number.
    void sortsAsTheGenericComparison_data()
    {
        QTest::addColumn<int>("column");
        for (int column = 0; column <= kuQuotesItem::columnCount; ++column)
            QTest::addRow("column %d", column) << column;
    }
    void sortsAsTheGenericComparison()
    {
        QFETCH(int, column);
        Table table;
        const QList<int> ids{paper::share, paper::sevn, paper::bond, paper::bigLot, paper::fourDigits};
        for (int id : ids)
            table.model.appendQuote({{"paperID", id}});
        const double nan = qQNaN();
        const QList<QJsonObject> records{
                {{"paperID", paper::share}, {"last", 101}, {"price", 100}, {"buy", nan}, {"toBuy", 5},
                 {"volume", 7}, {"moneyVol", 2.5}},
                {{"paperID", paper::sevn}, {"last", 99}, {"price", 100}, {"buy", 3}, {"toBuy", 5}, {"volume", -7}},
                {{"paperID", paper::bond}, {"last", 101}, {"price", 100}, {"buy", nan}, {"toSell", 9},
                 {"moneyVol", nan}},
                {{"paperID", paper::bigLot}, {"last", nan}, {"price", 100}, {"buy", -1}, {"toBuyTotal", 1e12}},
                {{"paperID", paper::fourDigits}, {"last", 0.5}, {"buy", 3}, {"paperVol", 4}, {"moneyVol", -2.5}}};
        for (const QJsonObject& quote : records)
            table.model.updateQuote(quote);
        kuTableViewProxyModel generic;
        generic.setSourceModel(&table.model);
        for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            table.proxy.sort(column, order);
            generic.sort(column, order);
            QList<int> expected;
            for (int row = 0; row < generic.rowCount(); ++row)
                expected << generic.index(row, 0).data(kuQuotesModel::PaperIDRole).toInt();
            QCOMPARE(table.shownIds(), expected);
        }
    }

    // Sorting again after a poll: rows already in order (ties in their place) report no new
    // layout, on which the header would repaint; a row out of order is moved.
    void sortAgain_data()
    {
        QTest::addColumn<int>("order");
        QTest::addColumn<QList<double>>("lasts");
        QTest::addColumn<QList<int>>("shown");
        QTest::addColumn<bool>("relaid");
        QTest::newRow("ascending, in order") << int(Qt::AscendingOrder) << QList<double>{1, 2, 3}
                                             << QList<int>{5, 12, 123} << false;
        QTest::newRow("ascending, ties") << int(Qt::AscendingOrder) << QList<double>{1, 1, 1}
                                         << QList<int>{5, 12, 123} << false;
        QTest::newRow("ascending, out of order") << int(Qt::AscendingOrder) << QList<double>{3, 1, 1}
                                                 << QList<int>{12, 123, 5} << true;
        QTest::newRow("descending, in order") << int(Qt::DescendingOrder) << QList<double>{3, 2, 2}
                                              << QList<int>{5, 12, 123} << false;
        QTest::newRow("descending, out of order") << int(Qt::DescendingOrder) << QList<double>{1, 2, 2}
                                                  << QList<int>{12, 123, 5} << true;
    }
    void sortAgain()
    {
        QFETCH(int, order);
        QFETCH(QList<double>, lasts);
        QFETCH(QList<int>, shown);
        QFETCH(bool, relaid);
        Table table;
        // As in the window: one sort after the records of a poll.
        table.proxy.setDynamicSortFilter(false);
        const QList<int> ids{paper::share, paper::sevn, paper::bond};
        for (int id : ids)
            table.model.appendQuote({{"paperID", id}});
        table.proxy.sort(kuQuotesItem::colLast, Qt::SortOrder(order));
        QCOMPARE(table.shownIds(), ids);
        for (int i = 0; i < ids.size(); ++i)
            table.model.updateQuote({{"paperID", ids.at(i)}, {"last", lasts.at(i)}});
        QSignalSpy layouts(&table.proxy, &QAbstractItemModel::layoutChanged);
        table.proxy.sortAgain();
        QCOMPARE(table.shownIds(), shown);
        QCOMPARE(layouts.count(), relaid ? 1 : 0);
        table.proxy.sortAgain();
        QCOMPARE(layouts.count(), relaid ? 1 : 0);
    }

    // Keys the row does not know, in between its own, change nothing of what it reads.
    void recordWithOtherKeys()
    {
        Table table;
        table.model.appendQuote({{"paperID", paper::share}});
        QJsonObject quote = record(R"({"paperID": 5, "buy": 10.5, "toBuy": 3, "sell": 11, "toSell": 4,
                                       "toBuyTotal": 30, "toSellTotal": 40, "open": 9, "max": 12, "min": 8,
                                       "last": 10.75, "avg": 10, "volume": 15, "paperVol": 150,
                                       "moneyVol": 1500.5, "bestBuy": 10.25, "bestSell": 11.25, "price": 10})");
        table.model.updateQuote(quote);
        QStringList expected;
        for (int column = 1; column <= kuQuotesItem::columnCount; ++column)
            expected << table.cell(paper::share, column).data().toString();
        for (const char* key : {"a", "buyer", "lastPrice", "paper", "zz", "Price", "bestbuy"})
            quote.insert(QLatin1String(key), 77);
        table.model.updateQuote(quote);
        QStringList shown;
        for (int column = 1; column <= kuQuotesItem::columnCount; ++column)
            shown << table.cell(paper::share, column).data().toString();
        QCOMPARE(shown, expected);
        QCOMPARE(table.cell(paper::share, kuQuotesItem::colLast).data().toString(), "10.75");
    }

    // One signal for the whole row, so that a proxy sorted on any column sorts anew.
    void wholeRowChanged()
    {
        Table table;
        table.proxy.sort(kuQuotesItem::colChange, Qt::AscendingOrder);
        table.model.appendQuote({{"paperID", paper::share}});
        table.model.appendQuote({{"paperID", paper::sevn}});
        table.model.updateQuote(record(R"({"paperID": 5, "last": 101, "price": 100})"));
        table.model.updateQuote(record(R"({"paperID": 12, "last": 102, "price": 100})"));
        QCOMPARE(table.shownIds(), QList<int>({5, 12}));
        QSignalSpy changed(&table.model, &QAbstractItemModel::dataChanged);
        table.model.updateQuote(record(R"({"paperID": 5, "last": 103, "price": 100})"));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toModelIndex(), table.model.index(0, 0));
        QCOMPARE(changed.at(0).at(1).toModelIndex(), table.model.index(0, kuQuotesItem::columnCount));
        QCOMPARE(table.shownIds(), QList<int>({12, 5}));
    }
};

QTEST_MAIN(tst_QuotesRows)
#include "tst_quotesrows.moc"
