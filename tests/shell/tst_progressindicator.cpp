#include "qprogressindicator.h"

#include <QImage>
#include <QtTest>

class tst_ProgressIndicator : public QObject
{
    Q_OBJECT

private slots:
    void paintsOnlyWhenAnimatedOrAsked();
    void spokeWidth_data();
    void spokeWidth();
    void turnsFullCircleInTwelveTicks();
    void delayAndTimer();
};

namespace {

QImage render(QProgressIndicator& indicator)
{
    QImage image(indicator.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    indicator.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

bool isBlank(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0)
                return false;
    return true;
}

void tick(QProgressIndicator& indicator, int times)
{
    for (int i = 0; i < times; ++i) {
        QTimerEvent event(0);
        QCoreApplication::sendEvent(&indicator, &event);
    }
}

} // namespace

void tst_ProgressIndicator::paintsOnlyWhenAnimatedOrAsked()
{
    QProgressIndicator indicator;
    indicator.resize(32, 32);
    QVERIFY(!indicator.animating());
    QVERIFY(isBlank(render(indicator)));

    indicator.setDisplayedWhenStopped(true);
    QVERIFY(!isBlank(render(indicator)));
    indicator.setDisplayedWhenStopped(false);

    indicator.startAnimation();
    QVERIFY(indicator.animating());
    QVERIFY(!isBlank(render(indicator)));

    indicator.stopAnimation();
    QVERIFY(!indicator.animating());
    QVERIFY(isBlank(render(indicator)));
}

void tst_ProgressIndicator::spokeWidth_data()
{
    QTest::addColumn<int>("side");
    QTest::addColumn<qreal>("width");
    // Spoke length is 10 px at both sizes; small indicators get thicker spokes.
    QTest::newRow("32 px: 0.35 of the length") << 32 << 3.0;
    QTest::newRow("33 px: 0.23 of the length") << 33 << 2.0;
}

void tst_ProgressIndicator::spokeWidth()
{
    QFETCH(int, side);
    QFETCH(qreal, width);
    QProgressIndicator indicator;
    indicator.resize(side, side);
    indicator.setDisplayedWhenStopped(true);
    const QImage image = render(indicator);

    // The first, opaque spoke points straight up from the centre; measure it halfway.
    const int centre = (side - 1) / 2;
    const int row = 5;
    qreal covered = 0;
    for (int x = centre - 3; x <= centre + 3; ++x)
        covered += qAlpha(image.pixel(x, row)) / 255.0;
    QVERIFY2(qAbs(covered - width) < 0.25, qPrintable(QString::number(covered)));
    // Nothing of it below the inner radius (6 px from the centre).
    QCOMPARE(qAlpha(image.pixel(centre, centre - 3)), 0);
}

void tst_ProgressIndicator::turnsFullCircleInTwelveTicks()
{
    QProgressIndicator indicator;
    indicator.resize(40, 40);
    indicator.startAnimation();
    const QImage start = render(indicator);

    tick(indicator, 1);
    QVERIFY(render(indicator) != start);
    tick(indicator, 11);
    QCOMPARE(render(indicator), start);

    // Restarting begins again at the first position.
    tick(indicator, 5);
    QVERIFY(render(indicator) != start);
    indicator.startAnimation();
    QCOMPARE(render(indicator), start);
}

void tst_ProgressIndicator::delayAndTimer()
{
    QProgressIndicator indicator;
    indicator.resize(40, 40);
    QCOMPARE(indicator.property("delay").toInt(), 40);
    QCOMPARE(indicator.property("color").value<QColor>(), QColor(Qt::black));

    indicator.setAnimationDelay(1);
    QVERIFY(!indicator.animating());
    QCOMPARE(indicator.animationDelay(), 1);

    // The timer really turns the spokes.
    indicator.startAnimation();
    const QImage start = render(indicator);
    QTRY_VERIFY(render(indicator) != start);

    indicator.setAnimationDelay(2);
    QVERIFY(indicator.animating());
    QCOMPARE(indicator.animationDelay(), 2);
    indicator.stopAnimation();
    QVERIFY(!indicator.animating());
}

QTEST_MAIN(tst_ProgressIndicator)
#include "tst_progressindicator.moc"
