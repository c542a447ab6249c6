#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>

#include "kuportfoliomargin.h"

// The margin panel: fill colour and fraction, marker places, amounts and layout.
class tst_PortfolioMargin : public QObject
{
    Q_OBJECT

    static QString texts(const kuPortfolioMarginChart& chart)
    {
        return QStringList{chart.portfolioText()->toPlainText(), chart.initialText()->toPlainText(),
                           chart.minimumText()->toPlainText()}
                .join('|');
    }

private slots:
    void values_data()
    {
        QTest::addColumn<double>("portfolio");
        QTest::addColumn<double>("initial");
        QTest::addColumn<double>("minimum");
        // Empty: the panel has no fill yet.
        QTest::addColumn<QString>("fill");
        QTest::addColumn<double>("progress");
        QTest::addColumn<double>("ratioInitial");
        QTest::addColumn<double>("ratioMinimum");
        QTest::addColumn<QString>("texts");

        QTest::newRow("above the initial margin")
                << 150.0 << 100.0 << 50.0 << "#00702c" << 1.0 << 2.0 / 3 << 1.0 / 3 << "150.00|100.00|50.00";
        QTest::newRow("between the margins")
                << 80.0 << 100.0 << 50.0 << "#b36258" << 80.0 / 150 << 2.0 / 3 << 1.0 / 3 << "80.00|100.00|50.00";
        QTest::newRow("below the minimum")
                << 40.0 << 100.0 << 50.0 << "#ff0000" << 40.0 / 150 << 2.0 / 3 << 1.0 / 3 << "40.00|100.00|50.00";
        QTest::newRow("at the minimum") << 50.0 << 100.0 << 50.0 << "#00702c" << 50.0 / 150 << 2.0 / 3 << 1.0 / 3
                                        << "50.00|100.00|50.00";
        QTest::newRow("negative initial margin") << 150.0 << -1.0 << 50.0 << "" << 1.0 << 0.8 << 0.32 << "0.0|0.0|0.0";
        QTest::newRow("no margins") << 0.0 << 0.0 << 0.0 << "#00702c" << 0.0 << 0.8 << 0.32 << "0.00|0.00|0.00";
        QTest::newRow("NaN portfolio") << std::nan("") << 100.0 << 50.0 << "" << 1.0 << 0.8 << 0.32 << "0.0|0.0|0.0";
        QTest::newRow("infinite margin") << 150.0 << 100.0 << HUGE_VAL << "" << 1.0 << 0.8 << 0.32 << "0.0|0.0|0.0";
        QTest::newRow("thousands") << 1234567.891 << 100.0 << 50.0 << "#00702c" << 1.0 << 2.0 / 3 << 1.0 / 3
                                   << "1 234 567.89|100.00|50.00";
    }

    void values()
    {
        QFETCH(double, portfolio);
        QFETCH(double, initial);
        QFETCH(double, minimum);
        QFETCH(QString, fill);
        QFETCH(double, progress);
        QFETCH(double, ratioInitial);
        QFETCH(double, ratioMinimum);
        QFETCH(QString, texts);

        kuPortfolioMarginChart chart;
        chart.scene()->setSceneRect(0, 0, 600, 50);
        chart.setValues(portfolio, initial, minimum);
        const QBrush brush = chart.bar()->progressBrush();
        if (fill.isEmpty()) {
            QCOMPARE(brush.style(), Qt::NoBrush);
        } else {
            QCOMPARE(brush.style(), Qt::SolidPattern);
            QCOMPARE(brush.color().name(), fill);
        }
        QCOMPARE(chart.bar()->progress(), progress);
        QCOMPARE(chart.ratioInitial(), ratioInitial);
        QCOMPARE(chart.ratioMinimum(), ratioMinimum);
        QCOMPARE(tst_PortfolioMargin::texts(chart), texts);
    }

    // Each panel keeps its own marker places.
    void panelsKeepTheirRatios()
    {
        kuPortfolioMarginChart first;
        kuPortfolioMarginChart second;
        first.scene()->setSceneRect(0, 0, 600, 50);
        second.scene()->setSceneRect(0, 0, 600, 50);
        first.setValues(150, 100, 50);
        second.setValues(10, 30, 10);
        QCOMPARE(first.ratioInitial(), 2.0 / 3);
        QCOMPARE(second.ratioInitial(), 0.75);
        const double firstX = first.initialText()->x();
        first.relayout();
        QCOMPARE(first.initialText()->x(), firstX);
        QVERIFY(second.initialText()->x() > firstX);
        // No margins leave the markers where they stood.
        second.setValues(0, 0, 0);
        QCOMPARE(second.ratioMinimum(), 0.25);
    }

    void layout_data()
    {
        QTest::addColumn<int>("width");
        QTest::newRow("wide") << 800;
        QTest::newRow("narrower than the texts") << 40;
        QTest::newRow("empty") << 0;
    }

    void layout()
    {
        QFETCH(int, width);
        kuPortfolioMarginChart chart;
        chart.scene()->setSceneRect(0, 0, width, 50);
        chart.setValues(123456789.0, 100000000.0, 50000000.0);
        const QRectF bar = chart.bar()->rect();
        QVERIFY(bar.width() >= 0);
        QCOMPARE(bar.height(), 10.0);
        QCOMPARE(bar.top(), 10.0);
        QCOMPARE(bar.left(), double(int(width * 0.05)));
        // Laying out again keeps every item where it is.
        const QPointF text = chart.portfolioText()->pos();
        chart.relayout();
        QCOMPARE(chart.portfolioText()->pos(), text);
        QCOMPARE(chart.bar()->rect(), bar);
    }

    void fill_data()
    {
        QTest::addColumn<double>("portfolio");
        QTest::addColumn<double>("initial");
        QTest::addColumn<double>("minimum");
        QTest::addColumn<bool>("filled");
        QTest::newRow("no margins") << 1274411.0 << 0.0 << 0.0 << false;
        QTest::newRow("a sliver") << 1.0 << 100.0 << 50.0 << false;
        QTest::newRow("half") << 75.0 << 100.0 << 50.0 << true;
    }

    // The fill stays inside the bar: an end short of the bar's start fills nothing beside it.
    void fill()
    {
        QFETCH(double, portfolio);
        QFETCH(double, initial);
        QFETCH(double, minimum);
        QFETCH(bool, filled);
        kuPortfolioMarginChart chart;
        chart.scene()->setSceneRect(0, 0, 800, 50);
        QVERIFY(chart.setValues(portfolio, initial, minimum));
        QImage image(800, 50, QImage::Format_ARGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        chart.scene()->render(&painter, QRectF(0, 0, 800, 50), QRectF(0, 0, 800, 50));
        painter.end();
        const QColor fill = chart.bar()->progressBrush().color();
        const QRectF bar = chart.bar()->rect();
        int beside = 0;
        int inside = 0;
        for (int x = 0; x < 800; ++x) {
            if (image.pixelColor(x, int(bar.center().y())) == fill)
                ++(x < bar.left() ? beside : inside);
        }
        QCOMPARE(beside, 0);
        QCOMPARE(inside > 0, filled);
    }

    // No account: no amounts and no fill.
    void cleared()
    {
        kuPortfolioMarginChart chart;
        chart.scene()->setSceneRect(0, 0, 600, 50);
        chart.setValues(150, 100, 50);
        chart.clearValues();
        QCOMPARE(texts(chart), QStringLiteral("||"));
        QCOMPARE(chart.bar()->progressBrush().style(), Qt::NoBrush);
        QCOMPARE(chart.bar()->progress(), 0.0);
    }

    // The same figures again leave the panel as drawn; zeros after a clearing are shown.
    void sameValuesAgain()
    {
        kuPortfolioMarginChart chart;
        chart.scene()->setSceneRect(0, 0, 600, 50);
        QVERIFY(chart.setValues(150, 100, 50));
        QCoreApplication::processEvents();
        QSignalSpy changed(chart.scene(), &QGraphicsScene::changed);
        QVERIFY(chart.setValues(150, 100, 50));
        QCoreApplication::processEvents();
        QCOMPARE(changed.count(), 0);
        QVERIFY(chart.setValues(151, 100, 50));
        QCoreApplication::processEvents();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(texts(chart), QStringLiteral("151.00|100.00|50.00"));
        chart.clearValues();
        QVERIFY(chart.setValues(0, 0, 0));
        QCOMPARE(texts(chart), QStringLiteral("0.00|0.00|0.00"));
    }

    void setProgressClamps()
    {
        kuGraphicsProgressRectItem bar;
        QCOMPARE(bar.progress(), 1.0);
        QCOMPARE(bar.progressBrush().style(), Qt::NoBrush);
        QCOMPARE(bar.progressBrush().color(), QColor(Qt::magenta));
        bar.setProgress(-0.5);
        QCOMPARE(bar.progress(), 0.0);
        bar.setProgress(2);
        QCOMPARE(bar.progress(), 1.0);
        bar.setProgress(std::nan(""));
        QCOMPARE(bar.progress(), 0.0);
    }
};

QTEST_MAIN(tst_PortfolioMargin)
#include "tst_portfoliomargin.moc"
