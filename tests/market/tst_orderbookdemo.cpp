#include "demorequests.h"
#include "demosession.h"
#include "kuorderbook.h"
#include "kuorderbookmodel.h"
#include "kupaperlist.h"
#include "kutableview.h"

#include <QApplication>
#include <QMessageBox>
#include <QtTest>

// The order book as the terminal wires it: demo server, connection and converter.
class tst_OrderBookDemo : public QObject
{
    Q_OBJECT

    static int firstShare(kuDemoServer* server)
    {
        for (const kuDemoInstrument& instrument : server->market().instruments()) {
            if (instrument.type == 1)
                return instrument.id;
        }
        return 0;
    }

private slots:
    void snapshotThenUpdates()
    {
        DemoSession demo;
        demo.options.seed = 3;
        QVERIFY(demo.start());
        const int share = firstShare(demo.server());
        QVERIFY(share != 0);

        kuOrderBook book;
        book.setPaper(share);
        QCOMPARE(book.windowTitle(),
                 kuPaperList::instance()->ticker(share) + " - " + kuPaperList::instance()->issuer(share));
        QTRY_VERIFY_WITH_TIMEOUT(!book.isBusy(), 10000);
        // 25 levels a side, 20 shown each.
        QCOMPARE(book.model()->rowCount(), 40);
        QCOMPARE(book.model()->firstRow(), 5);
        const double bestOffer = book.model()->index(19, 3).data(kuOrderBookModel::PriceRole).toDouble();
        const double bestBid = book.model()->index(20, 3).data(kuOrderBookModel::PriceRole).toDouble();
        QVERIFY2(bestOffer > bestBid, qPrintable(QString("%1 %2").arg(bestOffer).arg(bestBid)));

        // The market moves: the rows change or, with another count, the book is reset.
        QSignalSpy resets(book.model(), &QAbstractItemModel::modelReset);
        QSignalSpy changes(book.model(), &QAbstractItemModel::dataChanged);
        for (int i = 0; i < 5; ++i)
            demo.server()->step(1000);
        QTRY_VERIFY_WITH_TIMEOUT(resets.count() + changes.count() > 0, 10000);
        QCOMPARE(book.model()->rowCount(), 40);
        book.setDepth(5);
        QCOMPARE(book.model()->rowCount(), 10);

        book.unsubscribe();
        QTRY_COMPARE_WITH_TIMEOUT(countOf(demo.server()->requests(), "kuUnsubscribe"), 1, 5000);
    }

    void unknownInstrumentClosesTheWindow()
    {
        DemoSession demo;
        QVERIFY(demo.start());
        QStringList boxes;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxes << box->text().trimmed();
                box->close();
            }
        });
        closer.start(5);
        kuOrderBook book;
        QSignalSpy closed(&book, &kuWindowBase::on_closeWindow);
        book.setPaper(987654);
        QVERIFY(closed.wait(10000));
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(book.model()->rowCount(), 0);
    }
};

QTEST_MAIN(tst_OrderBookDemo)
#include "tst_orderbookdemo.moc"
