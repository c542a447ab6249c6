#include "chartfixture.h"

#include <QtTest>

using namespace chartfixture;

Q_DECLARE_METATYPE(QVector<kuChartCandle>)

// Price pane, price scale and candle slots of the chart core; scrolling and zoom.
class tst_ChartGeometry : public QObject
{
    Q_OBJECT

private slots:
    void paneShare_data()
    {
        QTest::addColumn<int>("subPanes");
        QTest::addColumn<double>("paneHeight");
        QTest::addColumn<qint64>("paneBottom");
        QTest::newRow("none") << 0 << 400.0 << qint64(420);
        QTest::newRow("one") << 1 << 330.0 << qint64(350);
        QTest::newRow("three") << 3 << 190.0 << qint64(210);
        QTest::newRow("five") << 5 << 180.0 << qint64(200);
    }

    void paneShare()
    {
        QFETCH(int, subPanes);
        QFETCH(double, paneHeight);
        QFETCH(qint64, paneBottom);
        auto core = coreWith(seriesOf(1, 30), 400, 455);
        for (int i = 0; i < subPanes; ++i)
            addProbe(core.get(), otIndicatorPane);
        addProbe(core.get(), otIndicatorPane)->setVisible(false);
        core->redraw();
        QCOMPARE(core->paneHeight(), paneHeight);
        QCOMPARE(core->paneTop(), qint64(10));
        QCOMPARE(core->paneBottom(), paneBottom);
        QCOMPARE(core->visibleCount(), 21); // (330 - 1) / 15
    }

    void scale_data()
    {
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QVector<kuChartCandle>>("candles");
        QTest::addColumn<qint64>("top");
        QTest::addColumn<qint64>("bottom");
        QTest::addColumn<int>("step");
        QTest::newRow("105/95") << 2 << QVector<kuChartCandle>{candle(101, 105, 100, 104), candle(99, 100, 95, 96)}
                                << qint64(12500) << qint64(7500) << 1250;
        // High and low 100 double to 50 .. 200 before the alignment.
        QTest::newRow("flat") << 2 << QVector<kuChartCandle>{candle(100, 100, 100, 100)} << qint64(31250)
                              << qint64(2500) << 6250;
        // Truncation closes the range and all-zero candles turn it over: one step at least.
        QTest::newRow("closed by truncation")
                << 1 << QVector<kuChartCandle>{candle(0.3, 0.3, 0.2, 0.2)} << qint64(3) << qint64(2) << 1;
        QTest::newRow("all zero") << 2 << QVector<kuChartCandle>{candle(0, 0, 0, 0), candle(0, 0, 0, 0)} << qint64(2)
                                  << qint64(1) << 1;
        QTest::newRow("narrow at 100000") << 2 << QVector<kuChartCandle>{candle(100000, 100000.5, 99999.5, 100000)}
                                          << qint64(10000500) << qint64(9999500) << 250;
    }

    void scale()
    {
        QFETCH(int, decimals);
        QFETCH(QVector<kuChartCandle>, candles);
        QFETCH(qint64, top);
        QFETCH(qint64, bottom);
        QFETCH(int, step);
        auto core = coreWith(seriesFrom(1, candles), 400, 455, decimals);
        QCOMPARE(core->topTicks(), top);
        QCOMPARE(core->bottomTicks(), bottom);
        QCOMPARE(core->gridStep(), step);
        QCOMPARE(core->pixelsPerTick(), 400.0 / double(top - bottom));
        // Price and y convert both ways on the linear scale; 0 sits at the pane's bottom.
        const double mid = double(top + bottom) / 2 * core->priceTick();
        QCOMPARE(core->yToPrice(210), mid);
        QCOMPARE(core->priceToY(mid), 210.0);
        QCOMPARE(core->priceToY(0.0), double(core->paneBottom()));
    }

    void priceToY()
    {
        auto core = coreWith(seriesFrom(1, {candle(101, 105, 100, 104), candle(99, 100, 95, 96)}));
        QCOMPARE(core->priceToY(100), 210.0);
        QCOMPARE(core->priceToY(105), 170.0);
        QCOMPARE(core->yToPrice(10), 125.0);
    }

    // A window without a candle on screen keeps the scale it had.
    void nothingScanned()
    {
        auto core = coreWith(seriesOf(1, 30), 90); // one slot
        const qint64 top = core->topTicks();
        const qint64 bottom = core->bottomTicks();
        core->scrollToOldest();
        QCOMPARE(core->firstVisible(), 30);
        QCOMPARE(core->topTicks(), top);
        QCOMPARE(core->bottomTicks(), bottom);
        QCOMPARE(core->candleHintAt(10), QString(" "));
    }

    void xToCandleIndex_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<double>("rightSpace");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("index");
        QTest::newRow("plot right") << 30 << 0.0 << 330 << 0;
        QTest::newRow("past plot right") << 30 << 0.0 << 331 << -1;
        QTest::newRow("before plot left") << 30 << 0.0 << 0 << -1;
        QTest::newRow("plot left") << 30 << 0.0 << 1 << 21;
        QTest::newRow("second slot") << 30 << 0.0 << 315 << 1;
        QTest::newRow("first slot's left") << 30 << 0.0 << 316 << 0;
        QTest::newRow("left of the oldest") << 3 << 0.0 << 1 << -1;
        QTest::newRow("right of the newest") << 30 << 15.0 << 320 << -1;
        QTest::newRow("newest after space") << 30 << 15.0 << 314 << 0;
    }

    void xToCandleIndex()
    {
        QFETCH(int, count);
        QFETCH(double, rightSpace);
        QFETCH(int, x);
        QFETCH(int, index);
        auto core = coreWith(seriesOf(1, count));
        core->currentSeries()->rightSpace = rightSpace;
        core->redraw();
        QCOMPARE(core->xToCandleIndex(x), index);
        if (index < 0)
            QCOMPARE(core->candleHintAt(x), QString(" "));
        else
            QVERIFY(core->candleHintAt(x).startsWith("D: "));
    }

    void scrollStep_data()
    {
        QTest::addColumn<int>("visible");
        QTest::addColumn<int>("step");
        QTest::newRow("0") << 0 << 1;
        QTest::newRow("15") << 15 << 1;
        QTest::newRow("16") << 16 << 3;
        QTest::newRow("40") << 40 << 5;
        QTest::newRow("255") << 255 << 13;
        QTest::newRow("4096") << 4096 << 233; // 89 jumps to 233
        QTest::newRow("8192") << 8192 << 610;
        QTest::newRow("16384") << 16384 << 1;
        QTest::newRow("20000") << 20000 << 1;
    }

    void scrollStep()
    {
        QFETCH(int, visible);
        QFETCH(int, step);
        for (const int* table : {kuChartCore::leftKeySteps, kuChartCore::rightKeySteps, kuChartCore::dateLabelSteps})
            QCOMPARE(kuChartCore::scrollStep(table, 10, visible), step);
        QCOMPARE(kuChartCore::scrollStep(kuChartCore::leftKeySteps, 0, visible), 1);
        const int odd[] = {3, -2};
        QCOMPARE(kuChartCore::scrollStep(odd, 2, 40), 1);
        // From the visible count of the layout: 40 slots in 600 pixels.
        auto core = coreWith(seriesOf(1, 50), 671);
        QCOMPARE(core->visibleCount(), 40);
        QCOMPARE(core->scrollStep(kuChartCore::leftKeySteps, 10), 5);
    }

    // 30 candles, 21 slots at width 400 (plot width 329, a slot 15 pixels); narrow views have 1 and 0 slots.
    void scrolling_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("first");
        QTest::addColumn<double>("space");
        QTest::addColumn<int>("firstAfter");
        QTest::addColumn<double>("spaceAfter");
        QTest::addColumn<bool>("redrawn");
        QTest::newRow("back 1") << "back 1" << 400 << 30 << 0 << 0.0 << 1 << 0.0 << true;
        QTest::newRow("back to the limit") << "back 8" << 400 << 30 << 5 << 0.0 << 9 << 0.0 << true;
        QTest::newRow("back at the limit") << "back 1" << 400 << 30 << 9 << 0.0 << 9 << 0.0 << false;
        QTest::newRow("back gives space back") << "back 1" << 400 << 30 << 0 << 30.0 << 0 << 15.0 << true;
        QTest::newRow("back all fitting") << "back 1" << 400 << 10 << 0 << 0.0 << 0 << 0.0 << false;
        QTest::newRow("forward to newest") << "forward 8" << 400 << 30 << 5 << 0.0 << 0 << 0.0 << true;
        QTest::newRow("forward adds space") << "forward 8" << 400 << 30 << 0 << 0.0 << 0 << 120.0 << true;
        QTest::newRow("forward space at half") << "forward 1" << 400 << 30 << 0 << 170.0 << 0 << 170.0 << false;
        QTest::newRow("home") << "home" << 400 << 30 << 0 << 15.0 << 10 << 0.0 << true;
        QTest::newRow("end") << "end" << 400 << 30 << 7 << 0.0 << 0 << 0.0 << true;
        QTest::newRow("end all fitting") << "end" << 400 << 10 << 0 << 0.0 << 0 << 0.0 << false;
        QTest::newRow("end all fitting with space") << "end" << 400 << 10 << 0 << 30.0 << 0 << 0.0 << true;
        QTest::newRow("page up") << "page up" << 400 << 30 << 0 << 0.0 << 9 << 0.0 << true;
        QTest::newRow("page up with space") << "page up" << 400 << 30 << 0 << 30.0 << 0 << 0.0 << true;
        QTest::newRow("page down") << "page down" << 400 << 30 << 15 << 0.0 << 0 << 0.0 << true;
        QTest::newRow("page down with space") << "page down" << 400 << 30 << 0 << 30.0 << 0 << 0.0 << true;
        QTest::newRow("page down at newest") << "page down" << 400 << 30 << 0 << 0.0 << 0 << 0.0 << false;
        // One slot: a page is still one candle; Home stops at the oldest.
        QTest::newRow("one slot page up") << "page up" << 90 << 30 << 0 << 0.0 << 1 << 0.0 << true;
        QTest::newRow("one slot page down") << "page down" << 90 << 30 << 5 << 0.0 << 4 << 0.0 << true;
        QTest::newRow("one slot home") << "home" << 90 << 30 << 0 << 0.0 << 30 << 0.0 << true;
        // No slot at all.
        QTest::newRow("no slot page up") << "page up" << 80 << 30 << 0 << 0.0 << 1 << 0.0 << true;
        QTest::newRow("no slot page down") << "page down" << 80 << 30 << 5 << 0.0 << 4 << 0.0 << true;
        QTest::newRow("no slot home") << "home" << 80 << 30 << 0 << 0.0 << 30 << 0.0 << true;
        QTest::newRow("no slot back") << "back 1" << 80 << 30 << 29 << 0.0 << 30 << 0.0 << true;
        QTest::newRow("no slot back at the end") << "back 1" << 80 << 30 << 30 << 0.0 << 30 << 0.0 << false;
    }

    void scrolling()
    {
        QFETCH(QString, operation);
        QFETCH(int, width);
        QFETCH(int, count);
        QFETCH(int, first);
        QFETCH(double, space);
        QFETCH(int, firstAfter);
        QFETCH(double, spaceAfter);
        QFETCH(bool, redrawn);
        auto core = coreWith(seriesOf(1, count), width);
        Probe* probe = addProbe(core.get());
        core->currentSeries()->firstVisible = first;
        core->currentSeries()->rightSpace = space;
        const QStringList words = operation.split(' ');
        const QString op = words.first();
        const int n = words.size() > 1 ? words.last().toInt() : 0;
        if (op == "back")
            core->scrollBack(n);
        else if (op == "forward")
            core->scrollForward(n);
        else if (op == "home")
            core->scrollToOldest();
        else if (op == "end")
            core->scrollToNewest();
        else if (operation == "page up")
            core->pageBack();
        else if (operation == "page down")
            core->pageForward();
        QCOMPARE(core->firstVisible(), firstAfter);
        QCOMPARE(core->rightSpace(), spaceAfter);
        QCOMPARE(probe->repaints, redrawn ? 1 : 0);
        QVERIFY(core->firstVisible() >= 0 && core->firstVisible() <= count);
    }

    // Repeated steps never leave the series, in a view of any width.
    void scrollLimits()
    {
        for (int width : {80, 90, 400}) {
            auto core = coreWith(seriesOf(1, 30), width);
            for (int i = 0; i < 40; ++i) {
                core->pageBack();
                QVERIFY(core->firstVisible() <= 30);
            }
            core->scrollToOldest();
            for (int i = 0; i < 40; ++i) {
                core->pageForward();
                core->scrollForward(1);
                QVERIFY(core->firstVisible() >= 0);
            }
            QCOMPARE(core->firstVisible(), 0);
            QVERIFY(core->rightSpace() <= 0.5 * (width - 71) + 15);
        }
    }

    void zoom()
    {
        auto core = coreWith(seriesOf(1, 30));
        Probe* probe = addProbe(core.get());
        core->zoomIn();
        QCOMPARE(core->candleWidth(), 11);
        QCOMPARE(core->visibleCount(), 19); // 329 / 16.5
        while (core->candleWidth() < 25)
            core->zoomIn();
        const int repaints = probe->repaints;
        core->zoomIn();
        QCOMPARE(core->candleWidth(), 25);
        QCOMPARE(probe->repaints, repaints);
        while (core->candleWidth() > 2)
            core->zoomOut();
        QCOMPARE(core->visibleCount(), 109); // 329 / 3
        core->zoomOut();
        QCOMPARE(core->candleWidth(), 2);
        QCOMPARE(probe->repaints, repaints + 23);
    }
};

QTEST_MAIN(tst_ChartGeometry)
#include "tst_chartgeometry.moc"
