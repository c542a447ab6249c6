#include "kulightboxwidget.h"
#include "qprogressindicator.h"

#include <QLabel>
#include <QLayout>
#include <QPointer>
#include <QtTest>

class tst_LightBox : public QObject
{
    Q_OBJECT

private slots:
    void coversParentWithCentredSpinner();
    void followsParentSize();
    void staysOnTopOfNewChildren_data();
    void staysOnTopOfNewChildren();
    void toTheTopCoversTheWindow();
};

namespace {

QProgressIndicator* spinnerOf(kuLightBoxWidget* box)
{
    const QList<QProgressIndicator*> spinners = box->findChildren<QProgressIndicator*>();
    return spinners.size() == 1 ? spinners.first() : nullptr;
}

} // namespace

void tst_LightBox::coversParentWithCentredSpinner()
{
    QWidget parent;
    parent.setAutoFillBackground(true);
    QPalette palette = parent.palette();
    palette.setColor(QPalette::Window, Qt::white);
    parent.setPalette(palette);
    parent.resize(1000, 600);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));

    auto* box = new kuLightBoxWidget(&parent);
    QVERIFY(!box->isVisible());
    QVERIFY(!spinnerOf(box));

    box->show();
    QVERIFY(box->isVisible());
    QCOMPARE(box->geometry(), QRect(0, 0, 1000, 600));

    QProgressIndicator* spinner = spinnerOf(box);
    QVERIFY(spinner);
    QVERIFY(spinner->animating());
    QCOMPARE(spinner->color(), QColor(Qt::green));

    // The middle cell takes 4/10 of what the margins leave, in both directions.
    const QRect inner = box->layout()->contentsRect();
    QVERIFY(qAbs(spinner->width() - 0.4 * inner.width()) <= 2);
    QVERIFY(qAbs(spinner->height() - 0.4 * inner.height()) <= 2);
    QVERIFY((spinner->geometry().center() - inner.center()).manhattanLength() <= 2);

    // Evenly darkened: 30 % of the white left everywhere but under the spinner.
    const QImage image = parent.grab().toImage();
    for (const QPoint& point : {QPoint(1, 1), QPoint(998, 598), QPoint(100, 500)}) {
        const QColor colour = image.pixelColor(point);
        QVERIFY2(qAbs(colour.red() - 77) <= 2 && colour.red() == colour.green() && colour.green() == colour.blue(),
                 qPrintable(colour.name()));
    }
}

void tst_LightBox::followsParentSize()
{
    QWidget parent;
    parent.resize(400, 300);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
    auto* box = new kuLightBoxWidget(&parent);
    box->show();
    QPointer<QProgressIndicator> first = spinnerOf(box);
    QVERIFY(first);

    parent.resize(500, 350);
    QCOMPARE(box->size(), QSize(500, 350));
    QVERIFY(first.isNull());
    QVERIFY(spinnerOf(box));
    QVERIFY(box->isVisible());

    // A hidden cover does not follow.
    box->hide();
    QPointer<QProgressIndicator> second = spinnerOf(box);
    parent.resize(300, 200);
    QCOMPARE(box->size(), QSize(500, 350));
    QVERIFY(!second.isNull());
    QVERIFY(!box->isVisible());

    // It catches up when shown again.
    box->show();
    QCOMPARE(box->size(), QSize(300, 200));
}

void tst_LightBox::staysOnTopOfNewChildren_data()
{
    QTest::addColumn<bool>("shown");
    QTest::newRow("shown cover") << true;
    QTest::newRow("hidden cover") << false;
}

void tst_LightBox::staysOnTopOfNewChildren()
{
    QFETCH(bool, shown);
    QWidget parent;
    parent.resize(400, 300);
    auto* box = new kuLightBoxWidget(&parent);
    if (shown)
        box->show();
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
    QCOMPARE(box->isVisible(), shown);
    // Shown before its window, the cover is laid out when the window appears.
    if (shown)
        QCOMPARE(box->geometry(), parent.rect());

    // A window that adds widgets after it was shown keeps its cover, above them.
    auto* label = new QLabel(QStringLiteral("late"), &parent);
    label->setGeometry(parent.rect());
    label->show();
    QCOMPARE(box->isVisible(), shown);
    QWidget* top = parent.childAt(10, 10);
    QVERIFY(top);
    QCOMPARE(top == box || box->isAncestorOf(top), shown);

    const QList<QWidget*> stacking = parent.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(stacking.last(), static_cast<QWidget*>(box));
}

void tst_LightBox::toTheTopCoversTheWindow()
{
    QWidget window;
    window.resize(500, 400);
    auto* inner = new QWidget(&window);
    inner->setGeometry(10, 10, 100, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    auto* box = new kuLightBoxWidget(inner, true);
    QCOMPARE(box->parentWidget(), &window);
    box->show();
    QCOMPARE(box->geometry(), QRect(0, 0, 500, 400));
}

QTEST_MAIN(tst_LightBox)
#include "tst_lightbox.moc"
