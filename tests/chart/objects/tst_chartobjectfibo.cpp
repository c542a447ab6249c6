// The Fibonacci retracement and its base: levels, pen rules, settings, JSON
// and the mouse protocol, each sequence driven by scene events on its items.
#include <QtTest>

#include "kuchartobjectfibo.h"
#include "kuchartobjects.h"
#include "objectfixture.h"

#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>

#include <limits>

using namespace objectfixture;
using F = kuChartObjectFiboEventFilter;

namespace {

QStringList labelTexts(const kuChartObjectFibo& fibo, bool price)
{
    QStringList texts;
    for (const kuFiboLevel& level : fibo.levels())
        texts << (price ? level.priceLabel : level.ratioLabel)->text();
    return texts;
}

// Two clicks, the second after a move to it, then the pointer leaves.
void place(kuChartCore* core, kuChartObjectFibo& fibo, QPointF first, QPointF second)
{
    QGraphicsItem* item = fibo.graphicsItem();
    send(core, item, QEvent::GraphicsSceneMousePress, first);
    send(core, item, QEvent::GraphicsSceneMouseRelease, first);
    send(core, item, QEvent::GraphicsSceneMouseMove, second);
    send(core, item, QEvent::GraphicsSceneMousePress, second);
    send(core, item, QEvent::GraphicsSceneMouseRelease, second);
    send(core, item, QEvent::GraphicsSceneHoverLeave);
}

double gridPrice(kuChartCore* core, double price)
{
    return core->yToPrice(qint64(core->priceToY(price)));
}

} // namespace

class tst_ChartObjectFibo : public QObject
{
    Q_OBJECT

private slots:
    void levelsOfANewObject();
    void levelPrices_data();
    void levelPrices();
    void priceLabels_data();
    void priceLabels();
    void layout();
    void penRules();
    void params();
    void jsonRoundTrip();
    void newDrawsNothing();
    void hiddenOutOfPane_data();
    void hiddenOutOfPane();
    void placing();
    void markerDrag();
    void releaseOutsidePane();
    void restoredIsIdle();
    void escapeWhileDragging();
    void doubleClickEdits();
    void maker();
};

void tst_ChartObjectFibo::levelsOfANewObject()
{
    auto core = chart();
    kuChartObjectFibo fibo(core.get(), QJsonObject());
    QCOMPARE(fibo.objectType(), int(otFibo));
    QCOMPARE(fibo.isPricePane(), 1);
    QCOMPARE(fibo.label(), QStringLiteral("Коррекция по Фибоначчи"));
    QCOMPARE(fibo.ratios(), (QList<double>{0, 0.236, 0.382, 0.5, 0.618, 0.764, 1}));
    QCOMPARE(fibo.levelKind(), 99);
    QCOMPARE(labelTexts(fibo, false), (QStringList{"0.00", "23.60", "38.20", "50.00", "61.80", "76.40", "100.00"}));
    QCOMPARE(labelTexts(fibo, true), QStringList(QVector<QString>(7, "0.0").toList()));
    for (const kuFiboLevel& level : fibo.levels()) {
        QCOMPARE(level.item->type(), int(QGraphicsLineItem::Type));
        QCOMPARE(level.item->scene(), core->scene());
        QVERIFY(!level.item->isVisible());
        QVERIFY(!level.ratioLabel->isVisible());
        QVERIFY(level.priceLabel->acceptHoverEvents());
        QCOMPARE(level.ratioLabel->font(), fibo.caption()->font());
    }
    QCOMPARE(fibo.pen(), QPen(core->contrastColor(), 1, Qt::SolidLine));
}

void tst_ChartObjectFibo::levelPrices_data()
{
    QTest::addColumn<double>("top");
    QTest::addColumn<double>("bottom");
    QTest::addColumn<QList<double>>("prices");
    const QList<double> up{100, 123.6, 138.2, 150, 161.8, 176.4, 200};
    QTest::newRow("100 then 200") << 100.0 << 200.0 << up;
    QTest::newRow("200 then 100") << 200.0 << 100.0 << up;
    QTest::newRow("equal") << 150.0 << 150.0 << QVector<double>(7, 150.0).toList();
}

void tst_ChartObjectFibo::levelPrices()
{
    QFETCH(double, top);
    QFETCH(double, bottom);
    QFETCH(QList<double>, prices);
    auto core = chart();
    kuChartObjectFibo fibo(core.get(), QJsonObject());
    fibo.setPriceTop(top);
    fibo.setPriceBottom(bottom);
    for (int i = 0; i < prices.size(); ++i)
        QCOMPARE(fibo.levelPrice(fibo.ratios().at(i)), prices.at(i));
}

void tst_ChartObjectFibo::priceLabels_data()
{
    QTest::addColumn<int>("decimals");
    QTest::addColumn<double>("top");
    QTest::addColumn<double>("bottom");
    QTest::addColumn<QStringList>("texts");
    const QStringList two{"110.00", "112.36", "113.82", "115.00", "116.18", "117.64", "120.00"};
    QTest::newRow("two decimals") << 2 << 110.0 << 120.0 << two;
    QTest::newRow("swapped") << 2 << 120.0 << 110.0 << two;
    QTest::newRow("three decimals") << 3 << 110.0 << 120.0 << QStringList{"110.000", "112.360", "113.820", "115.000",
                                                                          "116.180", "117.640", "120.000"};
    QTest::newRow("equal") << 1 << 115.0 << 115.0 << QStringList(QVector<QString>(7, "115.0").toList());
}

void tst_ChartObjectFibo::priceLabels()
{
    QFETCH(int, decimals);
    QFETCH(double, top);
    QFETCH(double, bottom);
    QFETCH(QStringList, texts);
    auto core = chart();
    core->setPriceDecimals(decimals);
    kuChartObjectFibo fibo(core.get(), QJsonObject());
    fibo.setPriceTop(top);
    fibo.setPriceBottom(bottom);
    fibo.setX1(kuChartAnchor::slotCentre(core.get(), 10));
    fibo.repaint();
    QVERIFY(fibo.lineItem()->isVisible());
    QCOMPARE(labelTexts(fibo, true), texts);
    QCOMPARE(labelTexts(fibo, false), (QStringList{"0.00", "23.60", "38.20", "50.00", "61.80", "76.40", "100.00"}));
}

void tst_ChartObjectFibo::layout()
{
    auto core = chart();
    kuChartObjectFibo fibo(core.get(), QJsonObject());
    const double x = kuChartAnchor::slotCentre(core.get(), 10);
    fibo.setPriceTop(120);
    fibo.setPriceBottom(110);
    fibo.setX1(x);
    fibo.repaint();
    const double yTop = core->priceToY(120);
    const double yBottom = core->priceToY(110);
    QCOMPARE(fibo.lineItem()->line(), QLineF(x, yTop, x, yBottom));
    QCOMPARE(fibo.topMarker()->rect(), QRectF(x - 2, yTop - 4, 4, 4));
    QCOMPARE(fibo.bottomMarker()->rect(), QRectF(x - 2, yBottom, 4, 4));
    const double right = double(core->plotRight());
    for (int i = 0; i < fibo.levels().size(); ++i) {
        const kuFiboLevel& level = fibo.levels().at(i);
        const double y = core->priceToY(fibo.levelPrice(fibo.ratios().at(i)));
        QVERIFY(level.item->isVisible());
        const QLineF line = static_cast<QGraphicsLineItem*>(level.item)->line();
        QCOMPARE(line.p1(), QPointF(x, y));
        QCOMPARE(line.y2(), y);
        // The price ends 1 pixel left of the plot's edge, the line 9 before the price.
        const QRectF price = level.priceLabel->sceneBoundingRect();
        QCOMPARE(price.right(), right - 1);
        QCOMPARE(line.x2(), price.left() - 9);
        QCOMPARE(price.top(), y - 12);
        // The ratio ends 5 pixels left of the segment.
        QCOMPARE(level.ratioLabel->sceneBoundingRect().right(), x - 5);
        QVERIFY(level.ratioLabel->isVisible());
    }
    QVERIFY(!fibo.caption()->isVisible());
    // The x is a scene x: scrolling leaves it, the prices follow the scale.
    core->scrollBack(3);
    core->redraw();
    fibo.repaint();
    QCOMPARE(fibo.lineItem()->line().x1(), x);
    QCOMPARE(fibo.lineItem()->line().y1(), core->priceToY(120));
}

void tst_ChartObjectFibo::penRules()
{
    auto core = chart();
    kuChartObjectFibo fibo(core.get(), QJsonObject());
    fibo.setLineWidth(3);
    QCOMPARE(fibo.lineWidth(), 3);
    fibo.setLineWidth(7);
    QCOMPARE(fibo.lineWidth(), 1);
    fibo.setLineWidth(-1);
    QCOMPARE(fibo.lineWidth(), 1);
    fibo.setLineWidth(0);
    QCOMPARE(fibo.lineWidth(), 0);
    fibo.setPenStyle(2);
    QCOMPARE(fibo.penStyle(), 2);
    fibo.setPenStyle(6);
    QCOMPARE(fibo.penStyle(), 2);
    fibo.setPenStyle(-1);
    QCOMPARE(fibo.penStyle(), 2);
    fibo.setLineColor(Qt::red);
    QCOMPARE(fibo.lineColor(), QColor(Qt::red));

    // One pen for the segment and the levels; the labels take its colour plainly.
    fibo.setLineWidth(2);
    fibo.setPriceTop(120);
    fibo.setPriceBottom(110);
    fibo.setX1(kuChartAnchor::slotCentre(core.get(), 10));
    fibo.repaint();
    QCOMPARE(fibo.lineItem()->pen(), fibo.pen());
    for (const kuFiboLevel& level : fibo.levels()) {
        QCOMPARE(static_cast<QGraphicsLineItem*>(level.item)->pen(), fibo.pen());
        QCOMPARE(level.priceLabel->pen(), QPen(QColor(Qt::red)));
        QCOMPARE(level.ratioLabel->pen(), QPen(QColor(Qt::red)));
    }
    // The markers keep the pen they were set up with.
    QCOMPARE(fibo.topMarker()->pen().color(), core->contrastColor());
}

void tst_ChartObjectFibo::params()
{
    auto core = chart();
    kuChartObjectFibo fibo(core.get(), QJsonObject());
    QStringList names;
    QJsonObject byName;
    for (const QJsonValue& p : fibo.params()) {
        names << p.toObject().value("name").toString();
        byName.insert(names.last(), p);
    }
    QCOMPARE(names, (QStringList{"lineColor", "lineWidth", "penStyle", "priceTop", "priceBottom", "x1"}));
    const QStringList labels{"Цвет линий", "Толщина линий", "Стиль линий", "priceTop", "priceBottom", "x1"};
    for (int i = 0; i < names.size(); ++i) {
        const QJsonObject p = byName.value(names.at(i)).toObject();
        QCOMPARE(p.value("label").toString(), labels.at(i));
        QCOMPARE(p.value("hidden").toBool(), i >= 3);
    }
    QCOMPARE(byName.value("penStyle").toObject().value("availableValue").toObject(),
             (QJsonObject{{"Сплошная линия", 1},
                          {"Пунктирная линия", 2},
                          {"Пунктирная линия (вар. 2)", 3},
                          {"Пунктирная линия (вар. 3)", 4},
                          {"Пунктирная линия (вар. 4)", 5}}));
    QVERIFY(byName.value("lineWidth").toObject().value("availableValue").toObject().isEmpty());
    QCOMPARE(fibo.propertyInfo("other").label, QStringLiteral("unknown"));
}

void tst_ChartObjectFibo::jsonRoundTrip()
{
    auto core = chart();
    kuChartObjectFibo fibo(core.get(), QJsonObject());
    const double x = kuChartAnchor::slotCentre(core.get(), 12);
    fibo.setLineColor(QColor("#0000ff"));
    fibo.setLineWidth(3);
    fibo.setPenStyle(4);
    fibo.setPriceTop(121.5);
    fibo.setPriceBottom(111.25);
    fibo.setX1(x);
    const QJsonObject json = fibo.toJson();
    QCOMPARE(json.value("type").toInt(), 5);
    QCOMPARE(json.value("label").toString(), QStringLiteral("Коррекция по Фибоначчи"));
    QCOMPARE(json.value("name").toString(), fibo.objectName());
    const QJsonArray params = json.value("params").toArray();
    QCOMPARE(params.at(0).toObject().value("value").toString(), QStringLiteral("#0000ff"));
    QCOMPARE(params.at(3).toObject().value("value").toDouble(), 121.5);

    kuChartObjectFibo restored(core.get(), json);
    QCOMPARE(restored.params(), params);
    QCOMPARE(restored.priceTop(), 121.5);
    QCOMPARE(restored.priceBottom(), 111.25);
    QCOMPARE(restored.x1(), x);
    QCOMPARE(restored.pen(), QPen(QColor("#0000ff"), 3, Qt::DashDotLine));
    restored.repaint();
    QCOMPARE(restored.lineItem()->line(), QLineF(x, core->priceToY(121.5), x, core->priceToY(111.25)));
    QCOMPARE(restored.graphicsItem()->opacity(), 1.0);
}

void tst_ChartObjectFibo::newDrawsNothing()
{
    auto core = chart();
    kuChartObjectFibo fibo(core.get(), QJsonObject());
    QVERIFY(std::isnan(fibo.priceTop()));
    QVERIFY(std::isnan(fibo.priceBottom()));
    fibo.repaint();
    QVERIFY(!fibo.lineItem()->isVisible());
    for (const kuFiboLevel& level : fibo.levels())
        QVERIFY(!level.item->isVisible());
    // Only the first anchor: still nothing.
    fibo.setX1(kuChartAnchor::slotCentre(core.get(), 10));
    fibo.setPriceTop(115);
    fibo.repaint();
    QVERIFY(!fibo.lineItem()->isVisible());
    QVERIFY(std::isfinite(fibo.lineItem()->line().y2()));
}

void tst_ChartObjectFibo::hiddenOutOfPane_data()
{
    QTest::addColumn<double>("top");
    QTest::addColumn<double>("bottom");
    QTest::addColumn<int>("xShift");
    QTest::newRow("top above the pane") << 1000.0 << 115.0 << 0;
    QTest::newRow("bottom below the pane") << 115.0 << -1000.0 << 0;
    QTest::newRow("x right of the plot") << 120.0 << 110.0 << 1000;
    QTest::newRow("x left of the plot") << 120.0 << 110.0 << -1000;
}

void tst_ChartObjectFibo::hiddenOutOfPane()
{
    QFETCH(double, top);
    QFETCH(double, bottom);
    QFETCH(int, xShift);
    auto core = chart();
    kuChartObjectFibo fibo(core.get(), QJsonObject());
    fibo.setPriceTop(120);
    fibo.setPriceBottom(110);
    fibo.setX1(kuChartAnchor::slotCentre(core.get(), 10));
    fibo.repaint();
    QVERIFY(fibo.lineItem()->isVisible());
    fibo.setPriceTop(top);
    fibo.setPriceBottom(bottom);
    fibo.setX1(fibo.x1() + xShift);
    fibo.repaint();
    QVERIFY(!fibo.lineItem()->isVisible());
    QVERIFY(!fibo.topMarker()->isVisible());
    for (const kuFiboLevel& level : fibo.levels()) {
        QVERIFY(!level.item->isVisible());
        QVERIFY(!level.ratioLabel->isVisible());
        QVERIFY(!level.priceLabel->isVisible());
    }
}

void tst_ChartObjectFibo::placing()
{
    auto core = chart();
    CursorGuard guard;
    kuChartObjectFibo fibo(core.get(), QJsonObject());
    core->scene()->setActiveObject(&fibo);
    QGraphicsItem* item = fibo.graphicsItem();
    QCOMPARE(fibo.eventFilter()->dragState(), quint8(F::AwaitingFirst));
    send(core.get(), item, QEvent::GraphicsSceneMouseMove, at(core.get(), 12, 118));
    QCOMPARE(fibo.eventFilter()->dragState(), quint8(F::AwaitingFirst));
    QVERIFY(!fibo.lineItem()->isVisible());
    send(core.get(), item, QEvent::GraphicsSceneMousePress, at(core.get(), 12, 118));
    send(core.get(), item, QEvent::GraphicsSceneMouseRelease, at(core.get(), 12, 118));
    QCOMPARE(fibo.eventFilter()->dragState(), quint8(F::PlacingSecond));
    QCOMPARE(fibo.priceTop(), gridPrice(core.get(), 118));
    QVERIFY(core->scene()->isGrabbed());
    // The second anchor and the segment's x follow the pointer.
    send(core.get(), item, QEvent::GraphicsSceneMouseMove, at(core.get(), 8, 112));
    QVERIFY(fibo.lineItem()->isVisible());
    QCOMPARE(fibo.x1(), at(core.get(), 8, 112).x());
    QCOMPARE(fibo.priceBottom(), gridPrice(core.get(), 112));
    send(core.get(), item, QEvent::GraphicsSceneMousePress, at(core.get(), 8, 111));
    send(core.get(), item, QEvent::GraphicsSceneMouseRelease, at(core.get(), 8, 111));
    QCOMPARE(fibo.eventFilter()->dragState(), quint8(F::Idle));
    QVERIFY(!core->scene()->isGrabbed());
    QCOMPARE(fibo.priceBottom(), gridPrice(core.get(), 111));
    QCOMPARE(fibo.lineItem()->line(),
             QLineF(at(core.get(), 8, fibo.priceTop()), at(core.get(), 8, fibo.priceBottom())));
    QVERIFY(CursorGuard::balanced());
}

void tst_ChartObjectFibo::markerDrag()
{
    auto core = chart();
    CursorGuard guard;
    kuChartObjectFibo fibo(core.get(), QJsonObject());
    place(core.get(), fibo, at(core.get(), 10, 120), at(core.get(), 10, 110));
    QCOMPARE(fibo.eventFilter()->dragState(), quint8(F::Idle));
    QVERIFY(CursorGuard::balanced());

    // A press on the segment or a level of a placed, hovered object starts nothing.
    send(core.get(), fibo.levels().at(3).item, QEvent::GraphicsSceneHoverEnter);
    QCOMPARE(fibo.lineItem()->opacity(), 0.5);
    QCOMPARE(fibo.levels().at(5).priceLabel->opacity(), 0.5);
    send(core.get(), fibo.levels().at(3).item, QEvent::GraphicsSceneMousePress, at(core.get(), 6, 115));
    send(core.get(), fibo.levels().at(3).item, QEvent::GraphicsSceneMouseRelease, at(core.get(), 6, 115));
    QCOMPARE(fibo.eventFilter()->dragState(), quint8(F::Idle));
    QCOMPARE(fibo.priceTop(), gridPrice(core.get(), 120));
    QVERIFY(CursorGuard::balanced());

    // The top marker drags the first price; the x follows.
    send(core.get(), fibo.topMarker(), QEvent::GraphicsSceneMousePress, at(core.get(), 10, 120));
    QCOMPARE(fibo.eventFilter()->dragState(), quint8(F::DraggingTop));
    QCOMPARE(CursorGuard::top(), Qt::DragMoveCursor);
    QVERIFY(core->scene()->isGrabbed());
    // A move outside the pane is passed on and ignored.
    const QPointF outside(double(core->plotRight()) + 20, core->priceToY(118));
    send(core.get(), fibo.graphicsItem(), QEvent::GraphicsSceneMouseMove, outside);
    QCOMPARE(fibo.priceTop(), gridPrice(core.get(), 120));
    send(core.get(), fibo.graphicsItem(), QEvent::GraphicsSceneMouseMove, at(core.get(), 14, 124));
    send(core.get(), fibo.graphicsItem(), QEvent::GraphicsSceneMouseRelease, at(core.get(), 14, 124));
    QCOMPARE(fibo.eventFilter()->dragState(), quint8(F::Idle));
    QCOMPARE(fibo.priceTop(), gridPrice(core.get(), 124));
    QCOMPARE(fibo.priceBottom(), gridPrice(core.get(), 110));
    QCOMPARE(fibo.x1(), at(core.get(), 14, 124).x());
    QVERIFY(!core->scene()->isGrabbed());
    QVERIFY(CursorGuard::balanced());

    // The bottom marker drags the second price.
    fibo.repaint();
    send(core.get(), fibo.bottomMarker(), QEvent::GraphicsSceneMousePress, at(core.get(), 14, 110));
    QCOMPARE(fibo.eventFilter()->dragState(), quint8(F::DraggingBottom));
    send(core.get(), fibo.graphicsItem(), QEvent::GraphicsSceneMouseMove, at(core.get(), 9, 105));
    send(core.get(), fibo.graphicsItem(), QEvent::GraphicsSceneMouseRelease, at(core.get(), 9, 105));
    QCOMPARE(fibo.priceBottom(), gridPrice(core.get(), 105));
    QCOMPARE(fibo.priceTop(), gridPrice(core.get(), 124));
    QCOMPARE(fibo.eventFilter()->dragState(), quint8(F::Idle));
    QVERIFY(CursorGuard::balanced());
}

void tst_ChartObjectFibo::releaseOutsidePane()
{
    auto core = chart();
    CursorGuard guard;
    const QPointF beyond(double(core->plotRight()) + 20, double(core->paneBottom()) + 20);
    kuChartObjectFibo fibo(core.get(), QJsonObject());
    core->scene()->setActiveObject(&fibo);
    QGraphicsItem* item = fibo.graphicsItem();
    // No first anchor from outside: still awaiting it.
    send(core.get(), item, QEvent::GraphicsSceneMousePress, beyond);
    send(core.get(), item, QEvent::GraphicsSceneMouseRelease, beyond);
    QCOMPARE(fibo.eventFilter()->dragState(), quint8(F::AwaitingFirst));
    QVERIFY(std::isnan(fibo.priceTop()));
    QVERIFY(core->scene()->isGrabbed());
    send(core.get(), item, QEvent::GraphicsSceneMouseRelease, at(core.get(), 10, 120));
    QCOMPARE(fibo.eventFilter()->dragState(), quint8(F::PlacingSecond));
    // No second anchor yet: the release outside keeps it placing.
    send(core.get(), item, QEvent::GraphicsSceneMouseRelease, beyond);
    QCOMPARE(fibo.eventFilter()->dragState(), quint8(F::PlacingSecond));
    // With one from the moves, a release outside keeps that.
    send(core.get(), item, QEvent::GraphicsSceneMouseMove, at(core.get(), 7, 112));
    send(core.get(), item, QEvent::GraphicsSceneMouseRelease, beyond);
    QCOMPARE(fibo.eventFilter()->dragState(), quint8(F::Idle));
    QCOMPARE(fibo.priceBottom(), gridPrice(core.get(), 112));
    QVERIFY(!core->scene()->isGrabbed());
    fibo.repaint();
    QVERIFY(fibo.lineItem()->isVisible());
    QVERIFY(CursorGuard::balanced());
}

void tst_ChartObjectFibo::restoredIsIdle()
{
    auto core = chart();
    CursorGuard guard;
    kuChartObjectFibo original(core.get(), QJsonObject());
    place(core.get(), original, at(core.get(), 10, 120), at(core.get(), 10, 110));
    kuChartObjectFibo fibo(core.get(), original.toJson());
    QCOMPARE(fibo.eventFilter()->dragState(), quint8(F::Idle));
    fibo.repaint();
    const QLineF before = fibo.lineItem()->line();
    send(core.get(), fibo.graphicsItem(), QEvent::GraphicsSceneHoverEnter);
    send(core.get(), fibo.graphicsItem(), QEvent::GraphicsSceneMousePress, at(core.get(), 10, 115));
    send(core.get(), fibo.graphicsItem(), QEvent::GraphicsSceneMouseRelease, at(core.get(), 10, 115));
    fibo.repaint();
    QCOMPARE(fibo.lineItem()->line(), before);
    QCOMPARE(fibo.params(), original.params());
    QVERIFY(CursorGuard::balanced());
}

void tst_ChartObjectFibo::escapeWhileDragging()
{
    auto core = chart();
    CursorGuard guard;
    auto* fibo = new kuChartObjectFibo(core.get(), QJsonObject());
    core->appendObject(fibo);
    place(core.get(), *fibo, at(core.get(), 10, 120), at(core.get(), 10, 110));
    fibo->repaint();
    send(core.get(), fibo->bottomMarker(), QEvent::GraphicsSceneHoverEnter);
    send(core.get(), fibo->bottomMarker(), QEvent::GraphicsSceneMousePress, at(core.get(), 10, 110));
    QCOMPARE(CursorGuard::top(), Qt::DragMoveCursor);
    escape(fibo);
    QVERIFY(CursorGuard::balanced());
    QVERIFY(!fibo->graphicsItem()->isVisible());
    QVERIFY(!fibo->levels().at(0).item->isVisible());
    core->redraw();
    QVERIFY(core->objects().isEmpty());
}

void tst_ChartObjectFibo::doubleClickEdits()
{
    auto core = chart();
    kuChartObjectFibo fibo(core.get(), QJsonObject());
    QSignalSpy spy(core.get(), &kuChartCore::signal_onModifyObject);
    // Every item of the object answers, the level labels too.
    send(core.get(), fibo.levels().at(2).ratioLabel, QEvent::GraphicsSceneMouseDoubleClick, at(core.get(), 4, 120));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(1).toString(), fibo.objectName());
}

void tst_ChartObjectFibo::maker()
{
    kuChartObjects::registerMakers();
    auto core = chart();
    std::unique_ptr<kuChartObject> object(core->createObject(otFibo, QJsonObject()));
    QVERIFY(qobject_cast<kuChartObjectFibo*>(object.get()));
}

QTEST_MAIN(tst_ChartObjectFibo)
#include "tst_chartobjectfibo.moc"
