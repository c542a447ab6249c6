// The Fibonacci arcs: circles and labels laid out from two candle anchors,
// the pixels kept clear of the price axis, JSON, and the mouse protocol as
// sequences of scene events on the object's items.
#include <QtTest>

#include "kuchart.h"
#include "kuchartobjectfiboarcs.h"
#include "kuchartobjects.h"
#include "kucharttoolbar.h"
#include "objectfixture.h"

#include <QGraphicsEllipseItem>
#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QToolButton>

using namespace objectfixture;
using F = kuChartObjectFiboArcsEventFilter;

namespace {

// Twelve wide candles: the plot's left part lies over no candle.
std::unique_ptr<kuChartCore> shortChart()
{
    QVector<kuChartCandle> candles;
    for (int i = 0; i < 12; ++i)
        candles.append(chartfixture::candle(110, 130, 100, 120, chartrows::t0 - quint64(i) * 60));
    auto core = chartfixture::coreWith(chartfixture::seriesFrom(1, candles));
    core->redraw();
    return core;
}

void anchor(kuChartCore* core, kuChartObjectFiboArcs& arcs, int left, double priceLeft, int right, double priceRight)
{
    arcs.setPriceLeft(priceLeft);
    arcs.setPriceRight(priceRight);
    arcs.setCandleDateTimeLeft(kuChartAnchor::toText(candleTime(core, core->firstVisible() + left)));
    arcs.setCandleDateTimeRight(kuChartAnchor::toText(candleTime(core, core->firstVisible() + right)));
}

// Two clicks, the second after a move to it, then the pointer leaves.
void place(kuChartCore* core, kuChartObjectFiboArcs& arcs, QPointF first, QPointF second)
{
    QGraphicsItem* item = arcs.graphicsItem();
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

QRectF circle(const kuFiboLevel& level)
{
    return static_cast<QGraphicsEllipseItem*>(level.item)->rect();
}

// Every item of the figure hidden; the caption never shows.
bool allHidden(const kuChartObjectFiboArcs& arcs)
{
    if (arcs.lineItem()->isVisible() || arcs.leftMarker()->isVisible() || arcs.rightMarker()->isVisible())
        return false;
    for (const kuFiboLevel& level : arcs.levels()) {
        if (level.item->isVisible() || level.ratioLabel->isVisible() || level.priceLabel->isVisible())
            return false;
    }
    return true;
}

// A point of the price pane over no candle, right of the plot, below the pane.
enum Stray
{
    NoCandle,
    RightOfPlot,
    BelowPane
};

QPointF strayPoint(kuChartCore* core, Stray stray)
{
    const double y = core->priceToY(105);
    switch (stray) {
    case NoCandle:
        return QPointF(kuChartAnchor::slotCentre(core, core->candles().size() + 2), y);
    case RightOfPlot:
        return QPointF(double(core->plotRight()) + 20, y);
    case BelowPane:
        break;
    }
    return QPointF(kuChartAnchor::slotCentre(core, 8), double(core->paneBottom()) + 10);
}

} // namespace

Q_DECLARE_METATYPE(Stray)

class tst_ChartObjectFiboArcs : public QObject
{
    Q_OBJECT

private slots:
    void newObject();
    void figure_data();
    void figure();
    void hidden_data();
    void hidden();
    void clippedToPricePane();
    void params();
    void jsonRoundTrip();
    void placing_data();
    void placing();
    void markerDrag_data();
    void markerDrag();
    void restoredIsPlaced();
    void escapeWhileDragging();
    void doubleClickEdits();
    void toolbarMakesArcs();
    void ratioLabelsApart_data();
    void ratioLabelsApart();
};

// Nothing is drawn before both anchors, and no NaN reaches the line.
void tst_ChartObjectFiboArcs::newObject()
{
    auto core = chart();
    kuChartObjectFiboArcs arcs(core.get(), QJsonObject());
    QCOMPARE(arcs.objectType(), int(otFiboArcs));
    QCOMPARE(arcs.label(), QStringLiteral("Окружности по Фибоначчи"));
    QCOMPARE(arcs.levelKind(), 100);
    QCOMPARE(arcs.eventFilter()->dragState(), quint8(F::AwaitingFirst));
    QVERIFY(std::isnan(arcs.priceLeft()));
    QVERIFY(std::isnan(arcs.priceRight()));
    QVERIFY(arcs.candleDateTimeLeft().isEmpty());
    for (const kuFiboLevel& level : arcs.levels()) {
        QCOMPARE(level.item->type(), int(QGraphicsEllipseItem::Type));
        QCOMPARE(static_cast<QGraphicsEllipseItem*>(level.item)->brush(), QBrush(Qt::NoBrush));
    }
    arcs.repaint();
    QVERIFY(allHidden(arcs));
    arcs.setPriceLeft(115);
    arcs.setCandleDateTimeLeft(kuChartAnchor::toText(candleTime(core.get(), 10)));
    arcs.repaint();
    QVERIFY(allHidden(arcs));
    const QLineF line = arcs.lineItem()->line();
    QVERIFY(std::isfinite(line.y1()) && std::isfinite(line.y2()));
}

void tst_ChartObjectFiboArcs::figure_data()
{
    QTest::addColumn<int>("left");
    QTest::addColumn<double>("priceLeft");
    QTest::addColumn<int>("right");
    QTest::addColumn<double>("priceRight");
    QTest::newRow("right anchor higher") << 15 << 110.0 << 8 << 120.0;
    QTest::newRow("right anchor lower") << 15 << 120.0 << 8 << 108.0;
    QTest::newRow("right anchor older and lower") << 8 << 118.0 << 16 << 112.0;
    QTest::newRow("same candle") << 10 << 120.0 << 10 << 110.0;
    QTest::newRow("same point") << 10 << 115.0 << 10 << 115.0;
}

// Circles around the centre up to the right anchor, each label 12 pixels right
// of the line's point at its ratio.
void tst_ChartObjectFiboArcs::figure()
{
    QFETCH(int, left);
    QFETCH(double, priceLeft);
    QFETCH(int, right);
    QFETCH(double, priceRight);
    auto core = chart();
    kuChartObjectFiboArcs arcs(core.get(), QJsonObject());
    anchor(core.get(), arcs, left, priceLeft, right, priceRight);
    arcs.repaint();
    const QPointF centre = at(core.get(), left, priceLeft);
    const QPointF end = at(core.get(), right, priceRight);
    const double length = QLineF(centre, end).length();
    QVERIFY(arcs.lineItem()->isVisible());
    QCOMPARE(arcs.lineItem()->line(), QLineF(centre, end));
    QCOMPARE(arcs.leftMarker()->rect(), QRectF(centre.x() - 2, centre.y() - 4, 4, 4));
    QCOMPARE(arcs.rightMarker()->rect(), QRectF(end.x() - 2, end.y(), 4, 4));
    QVERIFY(arcs.leftMarker()->isVisible() && arcs.rightMarker()->isVisible());
    for (int i = 0; i < arcs.levels().size(); ++i) {
        const kuFiboLevel& level = arcs.levels().at(i);
        const double r = arcs.ratios().at(i);
        const QRectF rect = circle(level);
        QVERIFY(level.item->isVisible());
        QCOMPARE(static_cast<QGraphicsEllipseItem*>(level.item)->pen(), arcs.pen());
        QCOMPARE(rect.center(), centre);
        QCOMPARE(rect.width(), rect.height());
        // Within a rounding of the pixel grid.
        QVERIFY2(std::abs(rect.width() / 2 - r * length) < 1e-6,
                 qPrintable(QStringLiteral("ratio %1: %2 against %3").arg(r).arg(rect.width() / 2).arg(r * length)));
        const QPointF point = centre + r * (end - centre);
        QCOMPARE(level.ratioLabel->pos(), point + QPointF(12, 0));
        QCOMPARE(level.ratioLabel->pen(), QPen(arcs.lineColor()));
        QVERIFY(!level.priceLabel->isVisible());
    }
    const QString fault = ratioLabelFault(core.get(), arcs.levels());
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
    QCOMPARE(circle(arcs.levels().first()).width(), 0.0);
    // The circle of ratio 1 passes through the right anchor.
    QCOMPARE(QLineF(centre, end).length(), circle(arcs.levels().last()).width() / 2);
    QVERIFY(!arcs.caption()->isVisible());
}

void tst_ChartObjectFiboArcs::hidden_data()
{
    QTest::addColumn<int>("left");
    QTest::addColumn<double>("priceLeft");
    QTest::addColumn<int>("right");
    QTest::addColumn<double>("priceRight");
    QTest::addColumn<int>("scrollBack");
    QTest::addColumn<bool>("shown");
    // Positions are counted from the first one whose centre keeps 75 pixels
    // clear of the plot's right edge: 0 keeps clear, -1 does not.
    QTest::newRow("both clear of the axis") << 0 << 110.0 << 6 << 120.0 << 0 << true;
    QTest::newRow("centre near the axis") << -1 << 110.0 << 6 << 120.0 << 0 << false;
    QTest::newRow("right anchor near the axis") << 6 << 110.0 << -1 << 120.0 << 0 << false;
    QTest::newRow("centre above the pane") << 6 << 1000.0 << 0 << 120.0 << 0 << false;
    QTest::newRow("right anchor below the pane") << 6 << 110.0 << 0 << -1000.0 << 0 << false;
    QTest::newRow("centre scrolled out") << 6 << 110.0 << 0 << 120.0 << 25 << false;
}

// Never clipped: one anchor out of place hides the whole figure.
void tst_ChartObjectFiboArcs::hidden()
{
    QFETCH(int, left);
    QFETCH(double, priceLeft);
    QFETCH(int, right);
    QFETCH(double, priceRight);
    QFETCH(int, scrollBack);
    QFETCH(bool, shown);
    auto core = chart();
    const double limit = double(core->plotRight()) - kuChartObjectFiboArcs::rightClearance;
    int clear = 0;
    while (kuChartAnchor::slotCentre(core.get(), clear) > limit)
        ++clear;
    QVERIFY(clear > 0);
    kuChartObjectFiboArcs arcs(core.get(), QJsonObject());
    // First drawn in place, so that hiding has something to hide.
    anchor(core.get(), arcs, clear + 10, 110, clear, 120);
    arcs.repaint();
    QVERIFY(arcs.lineItem()->isVisible());
    anchor(core.get(), arcs, clear + left, priceLeft, clear + right, priceRight);
    for (int i = 0; i < scrollBack; ++i)
        core->scrollBack(1);
    core->redraw();
    arcs.repaint();
    QCOMPARE(arcs.lineItem()->isVisible(), shown);
    if (!shown)
        QVERIFY(allHidden(arcs));
    for (const kuFiboLevel& level : arcs.levels()) {
        const QRectF rect = circle(level);
        QVERIFY(std::isfinite(rect.x()) && std::isfinite(rect.y()) && std::isfinite(rect.width()));
    }
}

// Circles larger than the pane are cut at its edges: nothing of them over the caption,
// the time axis or the pane below, in the items' clip and in the rendered picture.
void tst_ChartObjectFiboArcs::clippedToPricePane()
{
    auto core = chart();
    core->setCaption(QStringLiteral("ABCD - 1 минута"), QStringLiteral("Issuer"));
    chartfixture::addProbe(core.get(), otIndicatorPane);
    core->redraw();
    kuChartObjectFiboArcs arcs(core.get(), QJsonObject());
    arcs.setLineColor(Qt::magenta);
    anchor(core.get(), arcs, 20, 116, 6, 127);
    arcs.repaint();
    const QRectF pane = core->plotClip()->boundingRect();
    QCOMPARE(pane, QRectF(double(core->plotLeft()), double(core->paneTop()),
                          double(core->plotRight() + 3 - core->plotLeft()), core->paneHeight()));
    QVERIFY(arcs.lineItem()->isVisible());
    const QRectF largest = circle(arcs.levels().last());
    QVERIFY(largest.top() < pane.top() && largest.bottom() > pane.bottom());
    for (const kuFiboLevel& level : arcs.levels()) {
        for (QGraphicsItem* item : {level.item, static_cast<QGraphicsItem*>(level.ratioLabel)}) {
            QVERIFY(item->isClipped());
            // Clipped to the pane (the circle of ratio 0 has nothing left to clip).
            const QRectF clip = item->mapToScene(item->clipPath()).boundingRect();
            QVERIFY(clip.isEmpty() || pane.contains(clip));
        }
    }
    QVERIFY(arcs.lineItem()->isClipped());

    QImage image(core->viewWidth(), core->viewHeight(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    core->scene()->render(&painter, QRectF(image.rect()), QRectF(image.rect()));
    painter.end();
    int inside = 0;
    const QRect kept = pane.toAlignedRect();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (QColor(image.pixel(x, y)) != QColor(Qt::magenta))
                continue;
            QVERIFY2(kept.contains(x, y), qPrintable(QStringLiteral("%1, %2").arg(x).arg(y)));
            ++inside;
        }
    }
    QVERIFY(inside > 0);
}

void tst_ChartObjectFiboArcs::params()
{
    auto core = chart();
    kuChartObjectFiboArcs arcs(core.get(), QJsonObject());
    QStringList names;
    QStringList labels;
    QList<bool> hidden;
    for (const QJsonValue& p : arcs.params()) {
        names << p.toObject().value("name").toString();
        labels << p.toObject().value("label").toString();
        hidden << p.toObject().value("hidden").toBool();
    }
    QCOMPARE(names, (QStringList{"lineColor", "lineWidth", "penStyle", "priceRight", "priceLeft", "candleDateTimeRight",
                                 "candleDateTimeLeft"}));
    QCOMPARE(labels, (QStringList{"Цвет линий", "Толщина линий", "Стиль линий", "priceRight", "priceLeft",
                                  "candleDateTimeRight", "candleDateTimeLeft"}));
    QCOMPARE(hidden, (QList<bool>{false, false, false, true, true, true, true}));
}

// Anchors travel as candle wall times at +03:00 and find their candles again.
void tst_ChartObjectFiboArcs::jsonRoundTrip()
{
    auto core = chart();
    kuChartObjectFiboArcs arcs(core.get(), QJsonObject());
    arcs.setLineColor(QColor("#00ff00"));
    arcs.setLineWidth(9);
    arcs.setPenStyle(-1);
    anchor(core.get(), arcs, 15, 111.5, 8, 121.25);
    const QJsonObject json = arcs.toJson();
    QCOMPARE(json.value("type").toInt(), 6);
    QCOMPARE(json.value("label").toString(), QStringLiteral("Окружности по Фибоначчи"));
    const QJsonArray params = json.value("params").toArray();
    QJsonObject values;
    for (const QJsonValue& p : params)
        values.insert(p.toObject().value("name").toString(), p.toObject().value("value"));
    QCOMPARE(values.value("lineColor").toString(), QStringLiteral("#00ff00"));
    QCOMPARE(values.value("lineWidth").toInt(), 1);
    QCOMPARE(values.value("penStyle").toInt(), int(Qt::SolidLine));
    QCOMPARE(values.value("priceLeft").toDouble(), 111.5);
    QCOMPARE(values.value("candleDateTimeLeft").toString(),
             candleTime(core.get(), core->firstVisible() + 15).toString("yyyy-MM-dd HH:mm"));

    kuChartObjectFiboArcs restored(core.get(), json);
    QCOMPARE(restored.params(), params);
    restored.repaint();
    arcs.repaint();
    QVERIFY(restored.lineItem()->isVisible());
    QCOMPARE(restored.lineItem()->line(), arcs.lineItem()->line());
    QCOMPARE(circle(restored.levels().last()), circle(arcs.levels().last()));
}

void tst_ChartObjectFiboArcs::placing_data()
{
    QTest::addColumn<Stray>("stray");
    QTest::newRow("over no candle") << NoCandle;
    QTest::newRow("right of the plot") << RightOfPlot;
    QTest::newRow("below the pane") << BelowPane;
}

// Two clicks place new arcs; a release where no anchor can be taken neither
// sets one nor ends the placing before the right anchor has one.
void tst_ChartObjectFiboArcs::placing()
{
    QFETCH(Stray, stray);
    auto core = shortChart();
    CursorGuard guard;
    kuChartObjectFiboArcs arcs(core.get(), QJsonObject());
    core->scene()->setActiveObject(&arcs);
    QGraphicsItem* item = arcs.graphicsItem();
    const QPointF away = strayPoint(core.get(), stray);
    const QPointF first = at(core.get(), 10, 118);
    const QPointF second = at(core.get(), 6, 112);

    send(core.get(), item, QEvent::GraphicsSceneMouseMove, first);
    send(core.get(), item, QEvent::GraphicsSceneMousePress, away);
    send(core.get(), item, QEvent::GraphicsSceneMouseRelease, away);
    QCOMPARE(arcs.eventFilter()->dragState(), quint8(F::AwaitingFirst));
    QVERIFY(std::isnan(arcs.priceLeft()));
    QVERIFY(allHidden(arcs));

    send(core.get(), item, QEvent::GraphicsSceneMousePress, first);
    send(core.get(), item, QEvent::GraphicsSceneMouseRelease, first);
    QCOMPARE(arcs.eventFilter()->dragState(), quint8(F::PlacingRight));
    QCOMPARE(arcs.priceLeft(), gridPrice(core.get(), 118));
    QCOMPARE(arcs.candleDateTimeLeft(), kuChartAnchor::toText(candleTime(core.get(), 10)));
    QVERIFY(allHidden(arcs));
    send(core.get(), item, QEvent::GraphicsSceneMouseRelease, away);
    QCOMPARE(arcs.eventFilter()->dragState(), quint8(F::PlacingRight));
    QVERIFY(core->scene()->isGrabbed());

    // The right anchor follows the pointer over the candles, and stays put elsewhere.
    send(core.get(), item, QEvent::GraphicsSceneMouseMove, second);
    QVERIFY(arcs.lineItem()->isVisible());
    QCOMPARE(arcs.priceRight(), gridPrice(core.get(), 112));
    send(core.get(), item, QEvent::GraphicsSceneMouseMove, away);
    send(core.get(), item, QEvent::GraphicsSceneMousePress, away);
    send(core.get(), item, QEvent::GraphicsSceneMouseRelease, away);
    QCOMPARE(arcs.eventFilter()->dragState(), quint8(F::Idle));
    QVERIFY(!core->scene()->isGrabbed());
    QCOMPARE(arcs.priceRight(), gridPrice(core.get(), 112));
    QCOMPARE(arcs.candleDateTimeRight(), kuChartAnchor::toText(candleTime(core.get(), 6)));
    QCOMPARE(arcs.lineItem()->line(),
             QLineF(at(core.get(), 10, arcs.priceLeft()), at(core.get(), 6, arcs.priceRight())));
    QVERIFY(CursorGuard::balanced());
}

void tst_ChartObjectFiboArcs::markerDrag_data()
{
    QTest::addColumn<bool>("centre");
    QTest::addColumn<bool>("releaseAway");
    QTest::newRow("centre") << true << false;
    QTest::newRow("right anchor") << false << false;
    QTest::newRow("centre, released over no candle") << true << true;
    QTest::newRow("right anchor, released over no candle") << false << true;
}

// A hovered marker drags its anchor; presses elsewhere on placed arcs start nothing.
void tst_ChartObjectFiboArcs::markerDrag()
{
    QFETCH(bool, centre);
    QFETCH(bool, releaseAway);
    auto core = shortChart();
    CursorGuard guard;
    kuChartObjectFiboArcs arcs(core.get(), QJsonObject());
    core->scene()->setActiveObject(&arcs);
    place(core.get(), arcs, at(core.get(), 10, 110), at(core.get(), 6, 120));
    QCOMPARE(arcs.eventFilter()->dragState(), quint8(F::Idle));
    const double keptPrice = centre ? arcs.priceRight() : arcs.priceLeft();
    const QString keptTime = centre ? arcs.candleDateTimeRight() : arcs.candleDateTimeLeft();

    const kuFiboLevel& level = arcs.levels().at(4);
    send(core.get(), level.item, QEvent::GraphicsSceneHoverEnter);
    QCOMPARE(arcs.lineItem()->opacity(), 0.5);
    QCOMPARE(arcs.levels().at(6).ratioLabel->opacity(), 0.5);
    send(core.get(), level.item, QEvent::GraphicsSceneMousePress, at(core.get(), 8, 115));
    send(core.get(), level.item, QEvent::GraphicsSceneMouseRelease, at(core.get(), 8, 115));
    QCOMPARE(arcs.eventFilter()->dragState(), quint8(F::Idle));
    QCOMPARE(arcs.priceLeft(), gridPrice(core.get(), 110));
    QVERIFY(CursorGuard::balanced());

    // Pressed on the anchor itself, so that the anchor lands where the pointer goes.
    QGraphicsItem* marker = centre ? arcs.leftMarker() : arcs.rightMarker();
    send(core.get(), marker, QEvent::GraphicsSceneMousePress, centre ? arcs.leftPoint() : arcs.rightPoint());
    QCOMPARE(arcs.eventFilter()->dragState(), quint8(centre ? F::DraggingLeft : F::DraggingRight));
    QCOMPARE(CursorGuard::top(), Qt::DragMoveCursor);
    QVERIFY(core->scene()->isGrabbed());
    // Moves out of the pane or over no candle leave both anchors.
    for (Stray stray : {BelowPane, NoCandle}) {
        send(core.get(), arcs.graphicsItem(), QEvent::GraphicsSceneMouseMove, strayPoint(core.get(), stray));
        QCOMPARE(arcs.priceLeft(), gridPrice(core.get(), 110));
        QCOMPARE(arcs.priceRight(), gridPrice(core.get(), 120));
    }
    const QPointF target = at(core.get(), 8, 106);
    send(core.get(), arcs.graphicsItem(), QEvent::GraphicsSceneMouseMove, target);
    const QPointF release = releaseAway ? strayPoint(core.get(), NoCandle) : target;
    send(core.get(), arcs.graphicsItem(), QEvent::GraphicsSceneMouseRelease, release);
    QCOMPARE(arcs.eventFilter()->dragState(), quint8(F::Idle));
    QVERIFY(!core->scene()->isGrabbed());
    QVERIFY(CursorGuard::balanced());
    const QString targetTime = kuChartAnchor::toText(candleTime(core.get(), 8));
    QCOMPARE(centre ? arcs.priceLeft() : arcs.priceRight(), gridPrice(core.get(), 106));
    QCOMPARE(centre ? arcs.candleDateTimeLeft() : arcs.candleDateTimeRight(), targetTime);
    QCOMPARE(centre ? arcs.priceRight() : arcs.priceLeft(), keptPrice);
    QCOMPARE(centre ? arcs.candleDateTimeRight() : arcs.candleDateTimeLeft(), keptTime);
    QVERIFY(arcs.lineItem()->isVisible());
}

// Saved arcs come back placed: a click on them does not re-anchor them.
void tst_ChartObjectFiboArcs::restoredIsPlaced()
{
    auto core = chart();
    CursorGuard guard;
    kuChartObjectFiboArcs original(core.get(), QJsonObject());
    anchor(core.get(), original, 15, 110, 8, 120);
    kuChartObjectFiboArcs arcs(core.get(), original.toJson());
    QCOMPARE(arcs.eventFilter()->dragState(), quint8(F::Idle));
    arcs.repaint();
    const QLineF before = arcs.lineItem()->line();
    send(core.get(), arcs.graphicsItem(), QEvent::GraphicsSceneHoverEnter);
    send(core.get(), arcs.graphicsItem(), QEvent::GraphicsSceneMousePress, at(core.get(), 12, 115));
    send(core.get(), arcs.graphicsItem(), QEvent::GraphicsSceneMouseRelease, at(core.get(), 12, 115));
    arcs.repaint();
    QCOMPARE(arcs.lineItem()->line(), before);
    QCOMPARE(arcs.params(), original.params());
    QVERIFY(!core->scene()->isGrabbed());
    QVERIFY(CursorGuard::balanced());
}

void tst_ChartObjectFiboArcs::escapeWhileDragging()
{
    auto core = chart();
    CursorGuard guard;
    auto* arcs = new kuChartObjectFiboArcs(core.get(), QJsonObject());
    core->appendObject(arcs);
    core->scene()->setActiveObject(arcs);
    place(core.get(), *arcs, at(core.get(), 15, 110), at(core.get(), 8, 120));
    send(core.get(), arcs->rightMarker(), QEvent::GraphicsSceneHoverEnter);
    send(core.get(), arcs->rightMarker(), QEvent::GraphicsSceneMousePress, at(core.get(), 8, 120));
    QCOMPARE(CursorGuard::top(), Qt::DragMoveCursor);
    escape(arcs);
    QVERIFY(CursorGuard::balanced());
    QVERIFY(allHidden(*arcs));
    core->redraw();
    QVERIFY(core->objects().isEmpty());
}

void tst_ChartObjectFiboArcs::doubleClickEdits()
{
    auto core = chart();
    kuChartObjectFiboArcs arcs(core.get(), QJsonObject());
    QSignalSpy spy(core.get(), &kuChartCore::signal_onModifyObject);
    send(core.get(), arcs.levels().at(3).item, QEvent::GraphicsSceneMouseDoubleClick, at(core.get(), 8, 115));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(1).toString(), arcs.objectName());
}

// The toolbar's Fibonacci menu reaches the arcs through the registered maker.
void tst_ChartObjectFiboArcs::ratioLabelsApart_data()
{
    QTest::addColumn<QSize>("view");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("right");
    QTest::addColumn<double>("rise"); // of the right anchor, as a share of the pane's prices
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("radius 271") << QSize(1000, 700) << 20 << 5 << 0.25
                                << QStringList{"0.00", "23.60", "38.20", "50.00", "61.80", "76.40", "100.00"};
    QTest::newRow("radius 181") << QSize(400, 455) << 15 << 5 << 0.28
                                << QStringList{"0.00", "23.60", "38.20", "61.80", "76.40", "100.00"};
    QTest::newRow("radius 52") << QSize(330, 200) << 8 << 5 << 0.25 << QStringList{"0.00", "100.00"};
}

// Ratio labels of rings close together are not printed over each other, the centre's first,
// the outer ring's next; none runs out of the plot. A label takes no pointer: over it, away
// from every ring, the arcs are not hovered.
void tst_ChartObjectFiboArcs::ratioLabelsApart()
{
    QFETCH(QSize, view);
    QFETCH(int, left);
    QFETCH(int, right);
    QFETCH(double, rise);
    QFETCH(QStringList, shown);
    auto core = chartfixture::coreWith(chartfixture::seriesOf(1, 200), view.width(), view.height());
    kuChartObjectFiboArcs arcs(core.get(), QJsonObject());
    const double low = core->yToPrice(core->paneBottom() - 20);
    const double high = core->yToPrice(core->paneTop() + 30);
    anchor(core.get(), arcs, left, low + 0.1 * (high - low), right, low + (0.1 + rise) * (high - low));
    arcs.repaint();
    const QString fault = ratioLabelFault(core.get(), arcs.levels());
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
    QStringList texts;
    for (const kuFiboLevel& level : arcs.levels()) {
        if (level.ratioLabel->isVisible())
            texts << level.ratioLabel->text();
    }
    QCOMPARE(texts, shown);

    for (const kuFiboLevel& level : arcs.levels()) {
        const QGraphicsSimpleTextItem* label = level.ratioLabel;
        if (!label->isVisible())
            continue;
        QVERIFY(!label->acceptHoverEvents());
        QCOMPARE(label->acceptedMouseButtons(), Qt::NoButton);
        const QPointF over = label->sceneBoundingRect().center();
        bool nearRing = false;
        for (const kuFiboLevel& ring : arcs.levels()) {
            const QRectF c = circle(ring);
            nearRing = nearRing || std::abs(QLineF(c.center(), over).length() - c.width() / 2) < 8;
        }
        if (nearRing)
            continue;
        sendToScene(core.get(), QEvent::GraphicsSceneMouseMove, over);
        QVERIFY2(arcs.lineItem()->opacity() == 1.0, qPrintable(label->text()));
    }
}

void tst_ChartObjectFiboArcs::toolbarMakesArcs()
{
    kuChartObjects::registerMakers();
    kuChart chart;
    kuChartCore* core = chart.chartCore();
    QToolButton* fibo = chart.toolBar()->findChild<QToolButton*>("kuButtonChartFibonacci");
    QVERIFY(fibo);
    QAction* entry = fibo->menu()->actions().at(1);
    QCOMPARE(entry->text(), QStringLiteral("Окружности по Фибоначчи"));
    entry->trigger();
    QCOMPARE(core->objects().size(), 1);
    auto* arcs = qobject_cast<kuChartObjectFiboArcs*>(core->objects().last());
    QVERIFY(arcs);
    QCOMPARE(core->scene()->grabbedObject(), arcs);
    QCOMPARE(arcs->eventFilter()->dragState(), quint8(F::AwaitingFirst));
}

QTEST_MAIN(tst_ChartObjectFiboArcs)
#include "tst_chartobjectfiboarcs.moc"
