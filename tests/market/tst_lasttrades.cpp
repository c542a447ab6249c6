#include <QHeaderView>
#include <QJsonArray>
#include <QJsonObject>
#include <QScrollBar>
#include <QtTest>

#include "fakesession.h"
#include "kulasttrades.h"
#include "kulasttradesitem.h"
#include "kulasttradesmodel.h"
#include "kulasttradesproxymodel.h"
#include "kutableview.h"
#include "marketfixture.h"
#include "screenwatch.h"

namespace {

QString backgroundName(const QVariant& value)
{
    const QColor colour = value.value<QColor>();
    if (colour == QColor("#90EE90"))
        return "green";
    if (colour == QColor("#FFC0CB"))
        return "pink";
    return colour.alpha() == 0 ? "none" : colour.name();
}

// The tape as shown, top first: "deal time price amount background" per row.
QStringList tape(const kuLastTrades& window)
{
    QStringList rows;
    const QAbstractItemModel* model = window.view()->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        auto cell = [&](int column) { return model->index(row, column).data().toString(); };
        rows << QStringList{cell(kuLastTradesItem::colDealID), cell(kuLastTradesItem::colTime),
                            cell(kuLastTradesItem::colPrice), cell(kuLastTradesItem::colAmount),
                            backgroundName(model->index(row, 1).data(Qt::BackgroundRole))}
                        .join(' ');
    }
    return rows;
}

// Deals first..last at 10:00:00 (UTC+3), priced by their number.
QJsonArray deals(int first, int last)
{
    QJsonArray trades;
    for (int deal = first; deal <= last; ++deal)
        trades.append(QJsonObject{{"dealID", deal}, {"unixtime", 25200}, {"price", deal}, {"amount", 1}});
    return trades;
}

// Paint events of a widget.
class PaintCount : public QObject
{
public:
    explicit PaintCount(QWidget* widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

} // namespace

class tst_LastTrades : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { addMarketPapers(); }

    void rows_data()
    {
        QTest::addColumn<QList<QByteArray>>("batches");
        QTest::addColumn<int>("paperID");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("newest on top") << QList<QByteArray>{R"([{"dealID": 7, "price": 3}, {"dealID": 3, "price": 1},
                                         {"dealID": 5, "price": 2}])"}
                                       << int(paper::share)
                                       << QStringList{"7 03:00:00 3.00 0 green", "5 03:00:00 2.00 0 green",
                                                      "3 03:00:00 1.00 0 none"};
        QTest::newRow("newest first") << QList<QByteArray>{R"([{"dealID": 3, "price": 103}, {"dealID": 2, "price": 101},
                                         {"dealID": 1, "price": 102}])"}
                                      << int(paper::share)
                                      << QStringList{"3 03:00:00 103.00 0 green", "2 03:00:00 101.00 0 pink",
                                                     "1 03:00:00 102.00 0 none"};
        QTest::newRow("against the trade before")
                << QList<QByteArray>{R"([{"dealID": 1, "price": 100}, {"dealID": 2, "price": 101},
                                         {"dealID": 3, "price": 101}, {"dealID": 4, "price": 99}])"}
                << int(paper::share)
                << QStringList{"4 03:00:00 99.00 0 pink", "3 03:00:00 101.00 0 none", "2 03:00:00 101.00 0 green",
                               "1 03:00:00 100.00 0 none"};
        QTest::newRow("texts") << QList<QByteArray>{R"([{"dealID": 9000000000, "unixtime": 1700000000, "price": 0.5,
                                          "amount": 1500}])"}
                               << int(paper::fourDigits) << QStringList{"9 000 000 000 01:13:20 0.5000 1 500 none"};
        QTest::newRow("negative amount") << QList<QByteArray>{R"([{"dealID": 1, "price": 1, "amount": -3}])"}
                                         << int(paper::share) << QStringList{"1 03:00:00 1.00 -3 none"};
        QTest::newRow("empty object and no object")
                << QList<QByteArray>{R"([{"dealID": 1, "price": 100}, {}, 5, {"dealID": 2, "price": 101}])"}
                << int(paper::share) << QStringList{"2 03:00:00 101.00 0 green", "1 03:00:00 100.00 0 none"};
        QTest::newRow("deals shown already")
                << QList<QByteArray>{R"([{"dealID": 1, "price": 100}, {"dealID": 2, "price": 101}])",
                                     R"([{"dealID": 2, "price": 101}, {"dealID": 3, "price": 100},
                                         {"dealID": 3, "price": 100}])",
                                     R"([{"dealID": 1, "price": 100}, {"dealID": 2, "price": 101}])"}
                << int(paper::share)
                << QStringList{"3 03:00:00 100.00 0 pink", "2 03:00:00 101.00 0 green", "1 03:00:00 100.00 0 none"};
        QTest::newRow("an empty batch") << QList<QByteArray>{"[]"} << int(paper::share) << QStringList{};
    }

    void rows()
    {
        QFETCH(QList<QByteArray>, batches);
        QFETCH(int, paperID);
        QFETCH(QStringList, shown);
        FakeSession test;
        kuLastTrades window;
        window.setPaper(paperID);
        for (const QByteArray& batch : batches)
            window.appendTrades(CannedConverter::array(batch));
        QCOMPARE(tape(window), shown);
    }

    // The tape keeps the newest trades; a clear starts it afresh.
    void limit()
    {
        kuLastTradesModel model;
        QList<QSharedPointer<kuObjectHeaderItem>> columns;
        for (const char* title : {"Column #1", "Время", "Цена", "Кол-во", "Номер сделки"})
            columns << kuObjectHeaderItem::create(title);
        model.setColumns(columns);
        kuLastTradesProxyModel proxy;
        proxy.setSourceModel(&model);
        auto batch = [](int first, int last) {
            QVector<QJsonObject> trades;
            for (const QJsonValue& trade : deals(first, last))
                trades << trade.toObject();
            return trades;
        };
        proxy.appendTrades(batch(1, 4990), 2, 1);
        proxy.appendTrades(batch(4991, 5010), 2, 1);
        QCOMPARE(model.rowCount(), kuLastTradesModel::defaultRowLimit);
        QCOMPARE(model.index(0, kuLastTradesItem::colDealID).data().toString(), QString("11"));
        QCOMPARE(model.index(model.rowCount() - 1, kuLastTradesItem::colDealID).data().toString(), QString("5 010"));
        proxy.appendTrades(batch(11, 11), 2, 1); // still on the tape
        QCOMPARE(model.rowCount(), kuLastTradesModel::defaultRowLimit);
        proxy.appendTrades(batch(5, 5), 2, 1); // dropped before: comes back, the oldest goes
        QCOMPARE(model.index(0, kuLastTradesItem::colDealID).data().toString(), QString("12"));

        proxy.appendTrades(batch(20001, 26000), 2, 1);
        QCOMPARE(model.rowCount(), kuLastTradesModel::defaultRowLimit);
        QCOMPARE(model.index(0, kuLastTradesItem::colDealID).data().toString(), QString("21 001"));

        proxy.clear();
        QCOMPARE(model.rowCount(), 0);
        proxy.appendTrade(QJsonObject{{"dealID", 21001}, {"price", 5}}, 2, 1);
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(backgroundName(model.index(0, 1).data(Qt::BackgroundRole)), QString("none"));
    }

    // A batch larger than the tape makes the rows its trades make given one by one: the
    // newest kept, each tinted against the trade just before it, repeated deals and empty
    // records skipped.
    void batchLargerThanTheTape_data()
    {
        QTest::addColumn<int>("rowLimit");
        QTest::addColumn<bool>("onTape");
        for (int limit : {1, 2, 3, 4, 6, 20}) {
            QTest::addRow("limit %d", limit) << limit << false;
            QTest::addRow("limit %d, deal 1 on the tape", limit) << limit << true;
        }
    }
    void batchLargerThanTheTape()
    {
        QFETCH(int, rowLimit);
        QFETCH(bool, onTape);
        // In ascending deal order, as the window hands them on.
        const QVector<QJsonObject> batch{{{"dealID", -4}, {"price", 12}}, {},
                                         {{"dealID", 0}, {"price", 9}},   {{"dealID", 1}, {"price", 10}},
                                         {{"dealID", 2}, {"price", 11}},  {{"dealID", 2}, {"price", 9}},
                                         {{"dealID", 3}, {"price", 12}},  {{"dealID", 5}, {"price", 8}},
                                         {{"dealID", 6}, {"price", 8}}};
        auto rows = [](const kuLastTradesModel& model) {
            QStringList shown;
            for (int row = 0; row < model.rowCount(); ++row)
                shown << model.trade(row)->displayText(kuLastTradesItem::colDealID) + ' ' +
                                 backgroundName(model.index(row, 1).data(Qt::BackgroundRole));
            return shown;
        };
        kuLastTradesModel whole;
        kuLastTradesModel oneByOne;
        for (kuLastTradesModel* model : {&whole, &oneByOne}) {
            model->setColumns({kuObjectHeaderItem::createHidden("Column #1"), kuObjectHeaderItem::create("1"),
                               kuObjectHeaderItem::create("2"), kuObjectHeaderItem::create("3"),
                               kuObjectHeaderItem::create("4")});
            model->setRowLimit(rowLimit);
            if (onTape)
                model->appendTrade({{"dealID", 1}, {"price", 7}}, 2, 1);
        }
        whole.appendTrades(batch, 2, 1);
        for (const QJsonObject& trade : batch)
            oneByOne.appendTrade(trade, 2, 1);
        QCOMPARE(rows(whole), rows(oneByOne));
        QCOMPARE(whole.rowCount(), qMin(rowLimit, 7));
    }

    void snapshotThenUpdates()
    {
        FakeSession test;
        kuLastTrades window;
        QCOMPARE(window.objectName(), QString("kuLastTrades"));
        window.setPaper(paper::share);
        QCOMPARE(test.conn()->take(), QStringList({"getLastTrades 5"}));
        QCOMPARE(window.windowTitle(), QString("VLMR - Эмитент VLMR"));
        QVERIFY(window.isBusy());
        test.converter()->snapshotLastTrades(6, R"([{"dealID": 1, "price": 1}])");
        test.converter()->updateLastTrades(5, R"([{"dealID": 2, "price": 1}])"); // before the snapshot
        QCOMPARE(window.model()->rowCount(), 0);
        test.converter()->snapshotLastTrades(5, "[]");
        QVERIFY(!window.isBusy());
        test.converter()->updateLastTrades(6, R"([{"dealID": 3, "price": 1}])");
        test.converter()->updateLastTrades(5, R"([{"dealID": 4, "price": 1}])");
        QCOMPARE(tape(window), QStringList({"4 03:00:00 1.00 0 none"}));
    }

    // A batch is one insertion, drawn by the rows: the header, which shows nothing new,
    // is not repainted with them.
    void batchRepaintsTheRows()
    {
        FakeSession test;
        kuLastTrades window;
        window.setPaper(paper::share);
        window.appendTrades(deals(10, 40));
        PaintCount rows(window.view()->viewport());
        PaintCount header(window.view()->horizontalHeader()->viewport());
        window.resize(350, 400);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(rows.count > 0);
        // The widths of these values, now rather than on the refit timer.
        window.view()->fitColumns();
        QCoreApplication::processEvents();
        rows.count = 0;
        header.count = 0;
        QSignalSpy inserted(window.view()->model(), &QAbstractItemModel::rowsInserted);
        window.appendTrades(deals(41, 43));
        QCOMPARE(inserted.count(), 1);
        QTRY_VERIFY(rows.count > 0);
        QCoreApplication::processEvents();
        QCOMPARE(header.count, 0);
        QCOMPARE(tape(window).first(), QString("43 10:00:00 43.00 1 green"));
    }

    // New trades repaint the scroll bar when its slider changes, not when it stays as it
    // was; what the table shows is what it would draw now.
    void scrollBarRepaintsWhenItChanges_data()
    {
        QTest::addColumn<int>("onTape");
        QTest::addColumn<bool>("repainted");
        QTest::newRow("a short tape: the slider shrinks") << 30 << true;
        QTest::newRow("a long tape: the slider stays") << 2000 << false;
    }
    void scrollBarRepaintsWhenItChanges()
    {
        QFETCH(int, onTape);
        QFETCH(bool, repainted);
        FakeSession test;
        kuLastTrades window;
        window.setPaper(paper::share);
        window.appendTrades(deals(1, onTape));
        window.hideLightBox();
        QScrollBar* bar = window.view()->verticalScrollBar();
        RepaintWatch barPaints(bar);
        RepaintWatch rows(window.view()->viewport());
        window.resize(350, 400);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(barPaints.count > 0 && rows.count > 0);
        window.view()->fitColumns();
        QTRY_VERIFY(barPaints.settled() && rows.settled());
        QVERIFY(bar->isVisible());
        barPaints.clear();
        rows.clear();
        window.appendTrades(deals(onTape + 1, onTape + 3));
        QTRY_VERIFY(rows.count > 0);
        QTRY_VERIFY(barPaints.settled() && rows.settled());
        QCOMPARE(barPaints.count > 0, repainted);
        QCOMPARE(window.proxy()->rowCount(), onTape + 3);
        QCOMPARE(stalePixels(window.view()), 0);
    }

    // Subscribing again, on a new session too, adds no handler and no trade twice.
    void noAddedHandler()
    {
        FakeSession test;
        test.conn()->session = "S1";
        kuLastTrades window;
        window.setPaper(paper::share);
        test.converter()->snapshotLastTrades(5, R"([{"dealID": 1, "price": 1}, {"dealID": 2, "price": 2}])");
        window.subscribe(); // live: nothing
        QCOMPARE(test.conn()->take(), QStringList({"getLastTrades 5"}));
        test.conn()->session = "S2";
        window.subscribe();
        window.subscribe();
        QCOMPARE(test.conn()->take(), QStringList({"getLastTrades 5"}));
        test.converter()->snapshotLastTrades(5, R"([{"dealID": 2, "price": 2}, {"dealID": 3, "price": 3}])");
        test.converter()->updateLastTrades(5, R"([{"dealID": 4, "price": 4}])");
        QCOMPARE(window.model()->rowCount(), 4);
        window.unsubscribe();
        QCOMPARE(test.conn()->take(), QStringList({"unsubscribe 13 5", "unsubscribe 13 5"}));
    }

    void reload_data()
    {
        QTest::addColumn<int>("dropped");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("decimals");
        QTest::newRow("another instrument") << int(paper::fourDigits) << "USDVLM - Эмитент USDVLM" << 4;
        QTest::newRow("the same instrument") << int(paper::share) << "VLMR - Эмитент VLMR" << 2;
        QTest::newRow("unknown instrument") << int(paper::unknown) << "VLMR - Эмитент VLMR" << 2;
    }

    void reload()
    {
        QFETCH(int, dropped);
        QFETCH(QString, title);
        QFETCH(int, decimals);
        FakeSession test;
        kuLastTrades window;
        window.setPaper(paper::share);
        test.converter()->snapshotLastTrades(5, R"([{"dealID": 1, "price": 1}])");
        test.conn()->take();
        emit window.view()->on_dropPaperID(dropped);
        QCOMPARE(test.conn()->take(), QStringList({"unsubscribe 13 5", "getLastTrades " + QString::number(dropped)}));
        QCOMPARE(window.model()->rowCount(), 0);
        QVERIFY(window.isBusy());
        QCOMPARE(window.paperID(), dropped);
        QCOMPARE(window.decimals(), decimals);
        QCOMPARE(window.windowTitle(), title);
        test.converter()->updateLastTrades(5, R"([{"dealID": 2, "price": 1}])"); // the old stream
        test.converter()->snapshotLastTrades(dropped, R"([{"dealID": 3, "price": 1}])");
        QCOMPARE(tape(window).size(), 1);
        QVERIFY(!window.isBusy());
    }

    // Giving the stream back blocks in a nested loop where updates and another drop run.
    void noHangInsideReload()
    {
        FakeSession test;
        kuLastTrades window;
        window.setPaper(paper::share);
        test.converter()->snapshotLastTrades(5, R"([{"dealID": 1, "price": 1}])");
        int inside = 0;
        test.conn()->onRequest = [&](const QString& request) {
            if (!request.startsWith("unsubscribe"))
                return;
            ++inside;
            window.slot_updateLastTrades(5, CannedConverter::array(R"([{"dealID": 2, "price": 1}])"));
            test.converter()->updateLastTrades(5, R"([{"dealID": 3, "price": 1}])");
            window.slot_reloadLastTrades(paper::bond);
        };
        window.slot_reloadLastTrades(paper::sevn);
        test.conn()->onRequest = nullptr;
        QCOMPARE(inside, 1);
        QCOMPARE(window.paperID(), int(paper::sevn));
        QCOMPARE(test.conn()->requests.last(), QString("getLastTrades 12"));
        QCOMPARE(window.model()->rowCount(), 0);
    }
};

QTEST_MAIN(tst_LastTrades)
#include "tst_lasttrades.moc"
