// Quantities past 2^31 and ids past 2^53, from reply bytes through the converter to
// the cells, sort values, keys and sums of the windows that show them.

#include <QtTest>

#include <memory>

#include "columnfit.h"
#include "dcmessagepack.h"
#include "fakesession.h"
#include "kulasttrades.h"
#include "kulasttradesitem.h"
#include "kulasttradesmodel.h"
#include "kuobjectheaderitem.h"
#include "kuorderbook.h"
#include "kuorderbookmodel.h"
#include "kuorders.h"
#include "kuordersview.h"
#include "kupaperlistform.h"
#include "kupaperlistview.h"
#include "kuportfolio.h"
#include "kuportfolioproxymodel.h"
#include "kuportfolioview.h"
#include "kuquotes.h"
#include "kuquotesitem.h"
#include "kuquotesmodel.h"
#include "kuquotesview.h"
#include "kurecordkeys.h"
#include "kutrades.h"
#include "kutradesmodel.h"
#include "kutradesview.h"
#include "msgpackfixture.h"
#include "ordermanagerfixture.h"
#include "orderrows.h"

namespace {

const qlonglong big = 3000000000LL;             // shares of a liquid low-priced paper
const qlonglong beyondDouble = (1LL << 53) + 1; // a double would make it 2^53
const QString bigText = QStringLiteral("3 000 000 000");

// What the converter hands to the windows for one reply.
struct Decoded
{
    QJsonObject object;
    QJsonArray array;
};

Decoded decode(WinType winType, const QVariant& reply)
{
    dcMessagePack converter;
    Decoded out;
    auto toObject = [&out](int, QJsonObject o) { out.object = o; };
    auto toArray = [&out](int, QJsonArray a) { out.array = a; };
    auto accounts = [&out](QJsonObject o) { out.object = o; };
    QObject::connect(&converter, &dcMessagePack::on_snapshotQuotes, toObject);
    QObject::connect(&converter, &dcMessagePack::on_snapshotOrderBook, toArray);
    QObject::connect(&converter, &dcMessagePack::on_snapshotLastTrades, toArray);
    QObject::connect(&converter, &dcMessagePack::on_snapshotOrders, accounts);
    QObject::connect(&converter, &dcMessagePack::on_snapshotTrades, accounts);
    QObject::connect(&converter, &dcMessagePack::on_snapshotPositions, accounts);
    if (winType < wtPortfolio)
        converter.slot_marketDataReceived(packHex(reply), paper::big, winType);
    else
        converter.slot_tradeDataReceived(packHex(reply), winType);
    converter.waitForDone();
    return out;
}

QVariantList quote(int paperID, qlonglong volume)
{
    QVariantList q{paperID, 1.5, 2, 3.5, 4, 5, 6, 7.5, 8.5, 9.5, 10.5, 11.5, 12, 13, 14.5, 15.5, 16.5, 17.5};
    for (int position : {2, 4, 5, 6, 12, 13})
        q[position] = volume;
    return q;
}

QVariantList order(qlonglong id, int status, qlonglong amount)
{
    return {id,
            QByteArray("2026-12-09"),
            QByteArray("10:00:00"),
            int(paper::big),
            1,
            amount,
            0.5,
            0.5 * amount,
            status,
            1,
            0,
            QByteArray(),
            0,
            0,
            0,
            0,
            0.0,
            0.0,
            0.0,
            0.0};
}

QVariantList trade(qlonglong id, qlonglong amount)
{
    return {id,
            QByteArray("2026-12-09"),
            QByteArray("10:00:01"),
            int(paper::big),
            1,
            amount,
            0.5,
            0.5 * amount,
            0.0,
            0.0,
            QByteArray()};
}

// Columns 0 to count - 1, for a table model tested without its view.
template <typename Model>
void setColumns(Model* model, int count)
{
    QList<QSharedPointer<kuObjectHeaderItem>> columns;
    for (int i = 0; i < count; ++i)
        columns << kuObjectHeaderItem::create(QString::number(i));
    model->setColumns(columns);
}

QVariantMap accountOf(const char* listKey, const QVariantList& values)
{
    return QVariantMap{{"part_id", QByteArray("ACC1")}, {listKey, values}};
}

} // namespace

class tst_LargeNumbers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        addTestAccounts();
        addTestPapers();
    }

    // All six volume columns of a quote, as shown and as sorted.
    void quotes()
    {
        kuQuotesModel model;
        setColumns(&model, kuQuotesItem::columnCount + 1);
        model.appendQuote(decode(wtQuotes, quote(paper::big, big)).object);
        model.appendQuote(decode(wtQuotes, quote(paper::illiquid, big - 1)).object);
        model.appendQuote(decode(wtQuotes, quote(paper::share, 1)).object);
        QCOMPARE(model.rowCount(), 3);
        const QSharedPointer<kuQuotesItem> larger = model.quote(model.findRow(paper::big));
        const QSharedPointer<kuQuotesItem> smaller = model.quote(model.findRow(paper::illiquid));
        QVERIFY(larger && smaller);
        using Q = kuQuotesItem;
        for (int column :
             {Q::colToBuy, Q::colToSell, Q::colToBuyTotal, Q::colToSellTotal, Q::colVolume, Q::colPaperVol}) {
            QCOMPARE(larger->displayText(column), bigText);
            QCOMPARE(larger->sortValue(column).toLongLong(), big);
            QVERIFY(larger->sortValue(column).toLongLong() > smaller->sortValue(column).toLongLong());
        }
        // Bids and offers in pieces: 3e9 lots of 10.
        QCOMPARE(model.quote(model.findRow(paper::share))->toBuy(), 10);
        model.updateQuote(decode(wtQuotes, quote(paper::share, big)).object);
        QCOMPARE(model.quote(model.findRow(paper::share))->toBuy(), big * 10);
    }

    // Levels in pieces, and the own orders summed on a level, each known by its full id.
    void orderBook()
    {
        const Decoded book = decode(wtOrderBook, QVariantList{1, big, 250.5, 0.0, 2, big - 1, 250.0, 0.0});
        kuOrderBookModel model;
        setColumns(&model, 6);
        model.setOrderBook(book.array, 1, 2);
        QCOMPARE(model.rowCount(), 2);
        const QModelIndex offer = model.index(0, 4);
        QCOMPARE(offer.data(kuOrderBookModel::AmountRole).toLongLong(), big);
        QCOMPARE(model.index(1, 2).data(kuOrderBookModel::AmountRole).toLongLong(), big - 1);
        QCOMPARE(offer.data().toString(), bigText);
        model.showOrder(beyondDouble, 250.5, big);
        model.showOrder(beyondDouble + 1, 250.5, 1);
        QCOMPARE(offer.data().toString(), bigText + " (3 000 000 001)");
        model.hideOrder(beyondDouble);
        QCOMPARE(offer.data().toString(), bigText + " (1)");
    }

    // Two deals a double could not tell apart are two rows of the tape.
    void lastTrades()
    {
        const Decoded tape = decode(
                wtLastTrades, QVariantList{1765270800, big, 99.5, beyondDouble, 1765270801, 1, 99.6, beyondDouble + 1});
        kuLastTradesModel model;
        setColumns(&model, 5);
        model.appendTrades({tape.array.at(0).toObject(), tape.array.at(1).toObject()}, 2, 1);
        QCOMPARE(model.rowCount(), 2);
        QStringList deals;
        for (int row = 0; row < 2; ++row)
            deals << model.index(row, kuLastTradesItem::colDealID).data().toString();
        QCOMPARE(deals.join(", "), QStringLiteral("9 007 199 254 740 993, 9 007 199 254 740 994"));
        // The same deals again add nothing.
        model.appendTrades({tape.array.at(0).toObject(), tape.array.at(1).toObject()}, 2, 1);
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.index(0, kuLastTradesItem::colAmount).data().toString(), bigText);
    }

    // Orders with ids past 32 bits keep a row each, and an update finds its own row.
    void orders()
    {
        FakeSession session;
        session.conn()->session = "S1";
        kuOrders window;
        const Decoded snapshot = decode(
                wtOrders, QVariantList{accountOf("orders", order(4294967297LL, 1, big) + order(4294967298LL, 1, 1) +
                                                                   order(beyondDouble, 0, 7))});
        emit session.converter()->on_snapshotOrders(snapshot.object);
        QCOMPARE(ordersState(window.model()), QStringLiteral("ACC1: 4294967297/1/3000000000 4294967298/1/1 "
                                                             "9007199254740993/0/7"));
        const QModelIndex account = window.model()->index(0, 0);
        QCOMPARE(window.model()->index(0, 5, account).data().toString(), bigText);
        // The orders the order book marks.
        QJsonArray active;
        QVERIFY(QMetaObject::invokeMethod(&window, "activeOrders", Q_RETURN_ARG(QJsonArray, active),
                                          Q_ARG(QSet<int>, QSet<int>())));
        QCOMPARE(active.size(), 2);
        QCOMPARE(kuKeys::wholeNumber(active.at(0).toObject().value("orderID")), 4294967297LL);
        QCOMPARE(kuKeys::wholeNumber(active.at(0).toObject().value("amount")), big);

        QSignalSpy hidden(&window, &kuOrders::on_hideOrder);
        const Decoded update = decode(wtOrders, QVariantList{accountOf("orders", order(4294967298LL, 3, 1))});
        emit session.converter()->on_updateOrders(update.object);
        QCOMPARE(ordersState(window.model()), QStringLiteral("ACC1: 4294967297/1/3000000000 4294967298/3/1 "
                                                             "9007199254740993/0/7"));
        QCOMPARE(hidden.size(), 1);
        QCOMPARE(hidden.first().at(1).toLongLong(), 4294967298LL);
    }

    // Trades a double could not tell apart stay two rows.
    void trades()
    {
        FakeSession session;
        session.conn()->session = "S1";
        kuTrades window;
        const Decoded snapshot = decode(
                wtTrades, QVariantList{accountOf("trades", trade(beyondDouble, big) + trade(beyondDouble + 1, 1))});
        emit session.converter()->on_snapshotTrades(snapshot.object);
        const QModelIndex account = window.model()->index(0, 0);
        QCOMPARE(window.model()->rowCount(account), 2);
        QStringList amounts;
        for (int row = 0; row < 2; ++row)
            amounts << window.model()->index(row, 5, account).data().toString();
        QCOMPARE(amounts.join(", "), bigText + ", 1");
        const Decoded again = decode(wtTrades, QVariantList{accountOf("trades", trade(beyondDouble + 1, 2))});
        emit session.converter()->on_updateTrades(again.object);
        QCOMPARE(window.model()->rowCount(account), 2);
        QCOMPARE(window.model()->index(1, 5, account).data().toString(), QStringLiteral("2"));
    }

    // A position's quantity, and the value and cost computed from it.
    void portfolio()
    {
        FakeSession session;
        session.conn()->session = "S1";
        kuPortfolio window;
        const Decoded snapshot =
                decode(wtPortfolio,
                       QVariantList{QVariantMap{{"part_id", QByteArray("ACC1")},
                                                {"position", QVariantList{int(paper::big), QByteArray("2026-12-01"),
                                                                          big, 0.5, 1.5e9, big, -big, 0.6}},
                                                {"money", QVariantList{1.0, 2.0, 3.0, 4.0, 5.0, 6.0}}}});
        emit session.converter()->on_snapshotPositions(snapshot.object);
        const QAbstractItemModel* model = window.proxy();
        QModelIndex position;
        for (int top = 0; top < model->rowCount() && !position.isValid(); ++top) {
            const QModelIndex parent = model->index(top, 0);
            for (int row = 0; row < model->rowCount(parent); ++row) {
                if (model->index(row, 2, parent).data().toString() == "BIG")
                    position = model->index(row, 2, parent);
            }
        }
        QVERIFY(position.isValid());
        QCOMPARE(position.sibling(position.row(), 3).data().toString(), bigText);
        QCOMPARE(position.data(kuPortfolioModel::AmountRole).toLongLong(), big);
        // 3e9 at 0.6.
        QCOMPARE(position.sibling(position.row(), 8).data().toString(), QStringLiteral("1 800 000 000.00"));
        QCOMPARE(position.sibling(position.row(), 11).data().toString(), bigText);
    }

    // Every list window at its first widths, a little narrower than its
    // columns: whole headers and whole values, the big numbers too.
    void columnsReadWhole_data()
    {
        QTest::addColumn<QString>("window");
        for (const char* window : {"quotes", "orderBook", "lastTrades", "orders", "trades", "portfolio", "chooser"})
            QTest::newRow(window) << QString::fromLatin1(window);
    }

    void columnsReadWhole()
    {
        QFETCH(QString, window);
        FakeSession session;
        session.conn()->session = "S1";
        std::unique_ptr<QWidget> shown;
        QAbstractItemView* view = nullptr;
        QHeaderView* header = nullptr;
        if (window == "quotes") {
            auto* quotes = new kuQuotes;
            shown.reset(quotes);
            quotes->model()->appendQuote(decode(wtQuotes, quote(paper::big, big)).object);
            quotes->model()->appendQuote(decode(wtQuotes, quote(paper::share, 1)).object);
            view = quotes->view();
            header = quotes->view()->horizontalHeader();
        } else if (window == "orderBook") {
            auto* book = new kuOrderBook;
            shown.reset(book);
            book->model()->setOrderBook(
                    decode(wtOrderBook, QVariantList{1, big, 250.5, 0.0, 2, big - 1, 250.0, 0.0}).array, 1, 2);
            view = book->tableView();
            header = book->tableView()->horizontalHeader();
        } else if (window == "lastTrades") {
            auto* tape = new kuLastTrades;
            shown.reset(tape);
            const Decoded deals = decode(wtLastTrades, QVariantList{1765270800, big, 99.5, beyondDouble, 1765270801,
                                                                    1, 99.6, beyondDouble + 1});
            tape->model()->appendTrades({deals.array.at(0).toObject(), deals.array.at(1).toObject()}, 2, 1);
            view = tape->view();
            header = tape->view()->horizontalHeader();
        } else if (window == "orders") {
            auto* orders = new kuOrders;
            shown.reset(orders);
            emit session.converter()->on_snapshotOrders(
                    decode(wtOrders, QVariantList{accountOf("orders", order(beyondDouble, 1, big) + order(7, 0, 1))})
                            .object);
            view = orders->view();
            header = orders->view()->header();
        } else if (window == "trades") {
            auto* trades = new kuTrades;
            shown.reset(trades);
            emit session.converter()->on_snapshotTrades(
                    decode(wtTrades, QVariantList{accountOf("trades", trade(beyondDouble, big) + trade(8, 1))}).object);
            view = trades->view();
            header = trades->view()->header();
        } else if (window == "portfolio") {
            auto* portfolio = new kuPortfolio;
            shown.reset(portfolio);
            emit session.converter()->on_snapshotPositions(
                    decode(wtPortfolio,
                           QVariantList{QVariantMap{{"part_id", QByteArray("ACC1")},
                                                    {"position", QVariantList{int(paper::big), QByteArray("2026-12-01"),
                                                                              big, 0.5, 1.5e9, big, -big, 0.6}},
                                                    {"money", QVariantList{1.0e9, 2.0, 3.0, 4.0, 5.0, 6.0}}}})
                            .object);
            view = portfolio->findChild<kuPortfolioView*>();
            header = static_cast<QTreeView*>(view)->header();
        } else {
            auto* chooser = new kuPaperListForm;
            shown.reset(chooser);
            chooser->loadingComplete();
            auto* list = chooser->findChild<kuPaperListView*>();
            view = list;
            header = list->horizontalHeader();
        }
        QVERIFY(view && header);
        shown->resize(640, 400);
        shown->show();
        QVERIFY(QTest::qWaitForWindowExposed(shown.get()));
        QVERIFY(view->model()->rowCount() > 0);
        QTRY_COMPARE(cutColumns(view, header), QStringList());
    }
};

QTEST_MAIN(tst_LargeNumbers)
#include "tst_largenumbers.moc"
