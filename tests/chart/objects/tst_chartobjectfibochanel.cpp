// The Fibonacci channel: extension to the axes, levels and labels, degenerate
// left sides, JSON and the mouse protocol driven by scene events on its items.
#include <QtTest>

#include "kuchart.h"
#include "kuchartobjectfibochanel.h"
#include "kuchartobjects.h"
#include "kucharttoolbar.h"
#include "objectfixture.h"

#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QMenu>
#include <QToolButton>

#include <cmath>

using namespace objectfixture;
using F = kuChartObjectFiboChanelEventFilter;

namespace {

// Visible positions of the anchors used throughout: bottom-right newest.
const int blPos = 14;
const int brPos = 3;
const int tlPos = 18;

double gridPrice(kuChartCore* core, double price)
{
    return core->yToPrice(qint64(core->priceToY(price)));
}

QString candleText(kuChartCore* core, int position)
{
    return kuChartAnchor::toText(candleTime(core, core->firstVisible() + position));
}

bool near(double a, double b)
{
    return std::abs(a - b) < 1e-6;
}

bool finite(const QPointF& p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

// The three anchors set through the properties, as a restored channel has them.
void anchor(kuChartCore* core, kuChartObjectFiboChanel& ch, int bl, double blPrice, int br, double brPrice, int tl,
            double tlPrice)
{
    ch.setPriceBottomLeft(blPrice);
    ch.setCandleDateTimeBottomLeft(candleText(core, bl));
    ch.setPriceBottomRight(brPrice);
    ch.setCandleDateTimeBottomRight(candleText(core, br));
    ch.setPriceTopLeft(tlPrice);
    ch.setCandleDateTimeTopLeft(candleText(core, tl));
}

// Three clicks, each after a move to it, then the pointer leaves.
void place(kuChartCore* core, kuChartObjectFiboChanel& ch, QPointF bl, QPointF br, QPointF tl)
{
    QGraphicsItem* item = ch.graphicsItem();
    send(core, item, QEvent::GraphicsSceneMousePress, bl);
    send(core, item, QEvent::GraphicsSceneMouseRelease, bl);
    for (const QPointF& p : {br, tl}) {
        send(core, item, QEvent::GraphicsSceneMouseMove, p);
        send(core, item, QEvent::GraphicsSceneMousePress, p);
        send(core, item, QEvent::GraphicsSceneMouseRelease, p);
    }
    send(core, item, QEvent::GraphicsSceneHoverLeave);
}

QList<QGraphicsItem*> allItems(const kuChartObjectFiboChanel& ch)
{
    QList<QGraphicsItem*> items{ch.lineItem(), ch.bottomLeftMarker(), ch.bottomRightMarker(), ch.topLeftMarker()};
    for (const kuFiboLevel& level : ch.levels())
        items << level.item << level.ratioLabel << level.priceLabel;
    return items;
}

bool nothingShown(const kuChartObjectFiboChanel& ch)
{
    for (QGraphicsItem* item : allItems(ch)) {
        if (item->isVisible())
            return false;
    }
    return true;
}

// Every coordinate an item holds is a number.
bool allFinite(const kuChartObjectFiboChanel& ch)
{
    for (QGraphicsItem* item : allItems(ch)) {
        if (!finite(item->pos()))
            return false;
        if (auto* line = qgraphicsitem_cast<QGraphicsLineItem*>(item)) {
            if (!finite(line->line().p1()) || !finite(line->line().p2()))
                return false;
        } else if (auto* rect = qgraphicsitem_cast<QGraphicsRectItem*>(item)) {
            if (!finite(rect->rect().topLeft()) || !finite(rect->rect().bottomRight()))
                return false;
        }
    }
    return true;
}

} // namespace

class tst_ChartObjectFiboChanel : public QObject
{
    Q_OBJECT

private slots:
    void newChannel();
    void extendToAxis_data();
    void extendToAxis();
    void levels_data();
    void levels();
    void leftSide_data();
    void leftSide();
    void hiddenOutOfPane_data();
    void hiddenOutOfPane();
    void params();
    void restoredIsIdle();
    void placing();
    void placingThroughScene();
    void releaseOutside();
    void markerDrag_data();
    void markerDrag();
    void escape_data();
    void escape();
    void doubleClickEdits();
    void maker();
    void ratioLabelsApart_data();
    void ratioLabelsApart();
};

void tst_ChartObjectFiboChanel::newChannel()
{
    auto core = chart();
    kuChartObjectFiboChanel ch(core.get(), QJsonObject());
    QCOMPARE(ch.objectType(), int(otFiboChannel));
    QCOMPARE(ch.isPricePane(), 1);
    QCOMPARE(ch.label(), QStringLiteral("Каналы по Фибоначчи"));
    QCOMPARE(ch.levelKind(), 99);
    QCOMPARE(ch.pen(), QPen(core->contrastColor(), 1, Qt::SolidLine));
    QCOMPARE(ch.eventFilter()->dragState(), quint8(F::AwaitingBottomLeft));
    QVERIFY(std::isnan(ch.priceBottomLeft()));
    QVERIFY(std::isnan(ch.priceBottomRight()));
    QVERIFY(std::isnan(ch.priceTopLeft()));
    QVERIFY(ch.candleDateTimeTopLeft().isEmpty());
    QVERIFY(!ch.caption()->isVisible());
    // Nothing before the first anchor: not a repaint, not the pointer.
    ch.repaint();
    core->scene()->setActiveObject(&ch);
    send(core.get(), ch.graphicsItem(), QEvent::GraphicsSceneMouseMove, at(core.get(), blPos, 120));
    send(core.get(), ch.graphicsItem(), QEvent::GraphicsSceneHoverEnter);
    QVERIFY(nothingShown(ch));
    QVERIFY(allFinite(ch));
}

void tst_ChartObjectFiboChanel::extendToAxis_data()
{
    QTest::addColumn<QPointF>("p1");
    QTest::addColumn<QPointF>("p2");
    QTest::addColumn<QPointF>("expected");
    auto core = chart();
    // The price axis stands at X, the time axis lies at Y.
    const double X = double(core->plotRight() + 3);
    const double Y = double(core->paneBottom() + 5);
    QTest::newRow("level, meets the price axis") << QPointF(100, 200) << QPointF(150, 200) << QPointF(X, 200);
    QTest::newRow("falling, meets it above the time axis")
            << QPointF(X - 200, Y - 100) << QPointF(X - 100, Y - 75) << QPointF(X, Y - 50);
    QTest::newRow("rising past the top of the view") << QPointF(X - 200, 50) << QPointF(X - 100, 0) << QPointF(X, -50);
    QTest::newRow("drawn leftwards still meets the price axis")
            << QPointF(X - 100, 200) << QPointF(X - 200, 200) << QPointF(X, 200);
    QTest::newRow("parallel to the price axis") << QPointF(100, 100) << QPointF(100, 200) << QPointF(100, Y);
    QTest::newRow("a hair off parallel") << QPointF(100, 100) << QPointF(100 + 1e-12, 0) << QPointF(100, Y);
    QTest::newRow("meets the price axis at the time axis")
            << QPointF(X - 100, Y - 100) << QPointF(X - 50, Y - 50) << QPointF(X, Y);
    QTest::newRow("meets the price axis below the time axis")
            << QPointF(X - 200, Y - 50) << QPointF(X - 150, Y - 25) << QPointF(X - 100, Y);
    QTest::newRow("no line: meets nothing") << QPointF(120, 80) << QPointF(120, 80) << QPointF(120, 80);
}

void tst_ChartObjectFiboChanel::extendToAxis()
{
    QFETCH(QPointF, p1);
    QFETCH(QPointF, p2);
    QFETCH(QPointF, expected);
    auto core = chart();
    kuChartObjectFiboChanel ch(core.get(), QJsonObject());
    const QPointF got = ch.extendToAxis(p1, p2);
    QVERIFY2(near(got.x(), expected.x()) && near(got.y(), expected.y()),
             qPrintable(QString("(%1, %2)").arg(got.x()).arg(got.y())));
}

void tst_ChartObjectFiboChanel::levels_data()
{
    QTest::addColumn<int>("decimals");
    QTest::addColumn<double>("bottomLeft");
    QTest::addColumn<double>("topLeft");
    QTest::addColumn<QStringList>("labels");
    QTest::newRow("two decimals") << 2 << 120.0 << 125.6
                                  << QStringList{"120.00 (0.00)", "121.32 (0.24)", "122.14 (0.38)", "122.80 (0.50)",
                                                 "123.46 (0.62)", "124.28 (0.76)", "125.60 (1.00)"};
    QTest::newRow("three decimals") << 3 << 120.0 << 125.6
                                    << QStringList{"120.000 (0.00)", "121.322 (0.24)", "122.139 (0.38)",
                                                   "122.800 (0.50)", "123.461 (0.62)", "124.278 (0.76)",
                                                   "125.600 (1.00)"};
    QTest::newRow("top-left below bottom-left")
            << 2 << 125.6 << 120.0 << QStringList{"125.60 (0.00)", "124.28 (0.24)", "123.46 (0.38)", "122.80 (0.50)",
                                                  "122.14 (0.62)", "121.32 (0.76)", "120.00 (1.00)"};
}

void tst_ChartObjectFiboChanel::levels()
{
    QFETCH(int, decimals);
    QFETCH(double, bottomLeft);
    QFETCH(double, topLeft);
    QFETCH(QStringList, labels);
    auto core = chart();
    core->setPriceDecimals(decimals);
    kuChartObjectFiboChanel ch(core.get(), QJsonObject());
    const double bottomRight = 122;
    anchor(core.get(), ch, blPos, bottomLeft, brPos, bottomRight, tlPos, topLeft);
    ch.repaint();
    const QPointF bl = at(core.get(), blPos, bottomLeft);
    const QPointF br = at(core.get(), brPos, bottomRight);
    const QPointF tl = at(core.get(), tlPos, topLeft);
    const double X = double(core->plotRight() + 3);
    const double Y = double(core->paneBottom() + 5);

    QVERIFY(ch.lineItem()->isVisible());
    QCOMPARE(ch.lineItem()->line(), QLineF(br, tl));
    QCOMPARE(ch.lineItem()->pen(), QPen(QBrush(ch.lineColor()), 1, Qt::DashLine, Qt::RoundCap, Qt::BevelJoin));
    QCOMPARE(ch.levelLine(0)->line(), QLineF(bl, br));
    QCOMPARE(ch.bottomLeftMarker()->rect(), QRectF(bl.x() - 2, bl.y() - 4, 4, 4));
    QCOMPARE(ch.bottomRightMarker()->rect(), QRectF(br.x() - 2, br.y(), 4, 4));
    QCOMPARE(ch.topLeftMarker()->rect(), QRectF(tl.x() - 2, tl.y() - 4, 4, 4));
    QCOMPARE(ch.levelLine(6)->line().p1(), tl);

    QStringList texts;
    for (int i = 0; i < ch.levels().size(); ++i) {
        const kuFiboLevel& level = ch.levels().at(i);
        texts << level.ratioLabel->text();
        QVERIFY(level.item->isVisible());
        QVERIFY(!level.priceLabel->isVisible());
        QCOMPARE(static_cast<QGraphicsLineItem*>(level.item)->pen(), ch.pen());
        const QLineF line = ch.levelLine(i)->line();
        // On the left side, at the level's share of the way up.
        const double t = ch.ratios().at(i);
        QVERIFY(near(line.x1(), bl.x() + t * (tl.x() - bl.x())));
        QVERIFY(near(line.y1(), core->priceToY(bottomLeft + t * (topLeft - bottomLeft))));
        QVERIFY(near(level.ratioLabel->pos().x(), line.x1() - 20));
        QVERIFY(near(level.ratioLabel->pos().y(), line.y1() - 18));
        if (i == 0)
            continue;
        // Parallel to the base and on to an axis.
        const QPointF d = line.p2() - line.p1();
        const QPointF b = br - bl;
        QVERIFY(std::abs(d.x() * b.y() - d.y() * b.x()) < 1e-6 * std::hypot(d.x(), d.y()) * std::hypot(b.x(), b.y()));
        QVERIFY(near(line.x2(), X) || near(line.y2(), Y));
    }
    QCOMPARE(texts, labels);
    // Labels that would overlap are not all drawn.
    const QString fault = ratioLabelFault(core.get(), ch.levels());
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
}

void tst_ChartObjectFiboChanel::leftSide_data()
{
    QTest::addColumn<int>("topLeftPos");
    QTest::addColumn<double>("topLeftPrice");
    // The side runs from bottom-left to (factor x xTL, yTL).
    QTest::addColumn<double>("factor");
    QTest::addColumn<bool>("middleLevels");
    QTest::newRow("apart") << tlPos << 125.0 << 1.0 << true;
    QTest::newRow("on one candle") << blPos << 125.0 << 1.1 << true;
    QTest::newRow("at one height") << tlPos << 120.0 << 1.0 << true;
    QTest::newRow("coinciding") << blPos << 120.0 << 1.0 << false;
}

void tst_ChartObjectFiboChanel::leftSide()
{
    QFETCH(int, topLeftPos);
    QFETCH(double, topLeftPrice);
    QFETCH(double, factor);
    QFETCH(bool, middleLevels);
    auto core = chart();
    kuChartObjectFiboChanel ch(core.get(), QJsonObject());
    anchor(core.get(), ch, blPos, 120, brPos, 122, topLeftPos, topLeftPrice);
    ch.repaint();
    QVERIFY(allFinite(ch));
    const QPointF bl = at(core.get(), blPos, 120);
    const QPointF tl = at(core.get(), topLeftPos, topLeftPrice);
    QVERIFY(ch.lineItem()->isVisible());
    QCOMPARE(ch.levelLine(0)->line().p1(), bl);
    QCOMPARE(ch.levelLine(6)->line().p1(), tl);
    QVERIFY(ch.levels().at(6).item->isVisible());
    for (int i = 1; i < 6; ++i) {
        const kuFiboLevel& level = ch.levels().at(i);
        QCOMPARE(level.item->isVisible(), middleLevels);
        if (!middleLevels) {
            QVERIFY(!level.ratioLabel->isVisible());
            continue;
        }
        const double t = ch.ratios().at(i);
        const QLineF line = ch.levelLine(i)->line();
        QVERIFY(near(line.x1(), bl.x() + t * (factor * tl.x() - bl.x())));
        QVERIFY(near(line.y1(), bl.y() + t * (tl.y() - bl.y())));
    }
}

void tst_ChartObjectFiboChanel::hiddenOutOfPane_data()
{
    QTest::addColumn<QString>("property");
    QTest::addColumn<QVariant>("value");
    QTest::newRow("bottom-left above the pane") << "priceBottomLeft" << QVariant(1000.0);
    QTest::newRow("bottom-right below the pane") << "priceBottomRight" << QVariant(-1000.0);
    QTest::newRow("top-left above the pane") << "priceTopLeft" << QVariant(1000.0);
    QTest::newRow("top-left's candle out of view") << "candleDateTimeTopLeft" << QVariant("2000-01-01 10:00");
    QTest::newRow("bottom-right's date unreadable") << "candleDateTimeBottomRight" << QVariant("soon");
}

void tst_ChartObjectFiboChanel::hiddenOutOfPane()
{
    QFETCH(QString, property);
    QFETCH(QVariant, value);
    auto core = chart();
    kuChartObjectFiboChanel ch(core.get(), QJsonObject());
    anchor(core.get(), ch, blPos, 120, brPos, 122, tlPos, 125);
    ch.repaint();
    QVERIFY(ch.lineItem()->isVisible());
    QVERIFY(ch.setProperty(qPrintable(property), value));
    ch.repaint();
    QVERIFY(nothingShown(ch));
    QVERIFY(allFinite(ch));
}

void tst_ChartObjectFiboChanel::params()
{
    auto core = chart();
    kuChartObjectFiboChanel ch(core.get(), QJsonObject());
    QStringList names;
    QJsonObject byName;
    for (const QJsonValue& p : ch.params()) {
        names << p.toObject().value("name").toString();
        byName.insert(names.last(), p);
    }
    const QStringList anchors{"priceBottomRight",          "priceBottomLeft",          "priceTopLeft",
                              "candleDateTimeBottomRight", "candleDateTimeBottomLeft", "candleDateTimeTopLeft"};
    QCOMPARE(names, QStringList({"lineColor", "lineWidth", "penStyle"}) + anchors);
    const QStringList labels = QStringList({"Цвет линий", "Толщина линий", "Стиль линий"}) + anchors;
    for (int i = 0; i < names.size(); ++i) {
        const QJsonObject p = byName.value(names.at(i)).toObject();
        QCOMPARE(p.value("label").toString(), labels.at(i));
        QCOMPARE(p.value("hidden").toBool(), i >= 3);
    }
    QCOMPARE(byName.value("penStyle").toObject().value("availableValue").toObject().value("Пунктирная линия").toInt(),
             2);
    QCOMPARE(ch.propertyInfo("other").label, QStringLiteral("unknown"));

    ch.setLineColor(QColor("#00ff00"));
    ch.setLineWidth(2);
    ch.setPenStyle(3);
    anchor(core.get(), ch, blPos, 120.5, brPos, 122.25, tlPos, 125);
    const QJsonObject json = ch.toJson();
    QCOMPARE(json.value("type").toInt(), 7);
    QCOMPARE(json.value("label").toString(), QStringLiteral("Каналы по Фибоначчи"));
    QCOMPARE(json.value("name").toString(), ch.objectName());
    const QJsonArray saved = json.value("params").toArray();
    QCOMPARE(saved.at(0).toObject().value("value").toString(), QStringLiteral("#00ff00"));
    QCOMPARE(saved.at(3).toObject().value("value").toDouble(), 122.25);
    QCOMPARE(saved.at(7).toObject().value("value").toString(), candleText(core.get(), blPos));

    kuChartObjectFiboChanel restored(core.get(), json);
    QCOMPARE(restored.params(), saved);
    QCOMPARE(restored.pen(), QPen(QColor("#00ff00"), 2, Qt::DotLine));
    ch.repaint();
    restored.repaint();
    QCOMPARE(restored.lineItem()->line(), ch.lineItem()->line());
    QCOMPARE(restored.levelLine(3)->line(), ch.levelLine(3)->line());
}

void tst_ChartObjectFiboChanel::restoredIsIdle()
{
    auto core = chart();
    CursorGuard guard;
    kuChartObjectFiboChanel original(core.get(), QJsonObject());
    anchor(core.get(), original, blPos, 120, brPos, 122, tlPos, 125);
    kuChartObjectFiboChanel ch(core.get(), original.toJson());
    QCOMPARE(ch.eventFilter()->dragState(), quint8(F::Idle));
    ch.repaint();
    // A click on its guide or a level is no new anchor.
    send(core.get(), ch.graphicsItem(), QEvent::GraphicsSceneHoverEnter);
    for (QGraphicsItem* item : {static_cast<QGraphicsItem*>(ch.lineItem()), ch.levels().at(3).item}) {
        send(core.get(), item, QEvent::GraphicsSceneMousePress, at(core.get(), 8, 118));
        send(core.get(), item, QEvent::GraphicsSceneMouseRelease, at(core.get(), 8, 118));
    }
    QCOMPARE(ch.eventFilter()->dragState(), quint8(F::Idle));
    QCOMPARE(ch.params(), original.params());
    QVERIFY(!core->scene()->isGrabbed());
    QVERIFY(CursorGuard::balanced());
}

void tst_ChartObjectFiboChanel::placing()
{
    auto core = chart();
    CursorGuard guard;
    kuChartObjectFiboChanel ch(core.get(), QJsonObject());
    core->scene()->setActiveObject(&ch);
    QGraphicsItem* item = ch.graphicsItem();
    const QPointF bl = at(core.get(), blPos, 120);
    const QPointF br = at(core.get(), brPos, 122);
    const QPointF tl = at(core.get(), tlPos, 125);

    send(core.get(), item, QEvent::GraphicsSceneMouseMove, bl);
    QCOMPARE(ch.eventFilter()->dragState(), quint8(F::AwaitingBottomLeft));
    send(core.get(), item, QEvent::GraphicsSceneMousePress, bl);
    send(core.get(), item, QEvent::GraphicsSceneMouseRelease, bl);
    QCOMPARE(ch.eventFilter()->dragState(), quint8(F::PlacingBottomRight));
    QCOMPARE(ch.priceBottomLeft(), gridPrice(core.get(), 120));
    QCOMPARE(ch.candleDateTimeBottomLeft(), candleText(core.get(), blPos));
    QVERIFY(core->scene()->isGrabbed());

    // Only the base follows the pointer, carrying bottom-right along.
    send(core.get(), item, QEvent::GraphicsSceneMouseMove, br);
    QCOMPARE(ch.eventFilter()->dragState(), quint8(F::PlacingBottomRight));
    QVERIFY(ch.levelLine(0)->isVisible());
    QCOMPARE(ch.levelLine(0)->line(), QLineF(bl, at(core.get(), brPos, gridPrice(core.get(), 122))));
    QCOMPARE(ch.priceBottomRight(), gridPrice(core.get(), 122));
    QCOMPARE(ch.candleDateTimeBottomRight(), candleText(core.get(), brPos));
    QVERIFY(!ch.lineItem()->isVisible());
    QVERIFY(!ch.levels().at(3).item->isVisible());

    send(core.get(), item, QEvent::GraphicsSceneMousePress, br);
    send(core.get(), item, QEvent::GraphicsSceneMouseRelease, br);
    QCOMPARE(ch.eventFilter()->dragState(), quint8(F::PlacingTopLeft));
    QCOMPARE(ch.lineItem()->line(), QLineF(br, br));
    QVERIFY(core->scene()->isGrabbed());

    // Top-left follows and the whole channel is drawn.
    send(core.get(), item, QEvent::GraphicsSceneMouseMove, tl);
    QCOMPARE(ch.priceTopLeft(), gridPrice(core.get(), 125));
    QVERIFY(ch.lineItem()->isVisible());
    QVERIFY(ch.levels().at(3).item->isVisible());
    QCOMPARE(ch.lineItem()->line(),
             QLineF(at(core.get(), brPos, ch.priceBottomRight()), at(core.get(), tlPos, ch.priceTopLeft())));

    send(core.get(), item, QEvent::GraphicsSceneMousePress, tl);
    send(core.get(), item, QEvent::GraphicsSceneMouseRelease, tl);
    QCOMPARE(ch.eventFilter()->dragState(), quint8(F::Idle));
    QCOMPARE(ch.candleDateTimeTopLeft(), candleText(core.get(), tlPos));
    QVERIFY(!core->scene()->isGrabbed());
    QVERIFY(ch.lineItem()->isVisible());
    QVERIFY(allFinite(ch));
    QVERIFY(CursorGuard::balanced());
}

// Clicks reach the channel through the scene, where the base already lies under the pointer
// at the second click: each click still takes exactly one anchor.
void tst_ChartObjectFiboChanel::placingThroughScene()
{
    auto core = chart();
    CursorGuard guard;
    kuChartObjectFiboChanel ch(core.get(), QJsonObject());
    core->scene()->setActiveObject(&ch);
    const QPointF bl = at(core.get(), blPos, 120);
    const QPointF br = at(core.get(), brPos, 122);
    const QPointF tl = at(core.get(), tlPos, 125);
    auto click = [&](QPointF p) {
        sendToScene(core.get(), QEvent::GraphicsSceneMouseMove, p);
        sendToScene(core.get(), QEvent::GraphicsSceneMousePress, p);
        sendToScene(core.get(), QEvent::GraphicsSceneMouseRelease, p);
        return ch.eventFilter()->dragState();
    };
    QCOMPARE(click(bl), quint8(F::PlacingBottomRight));
    QCOMPARE(click(br), quint8(F::PlacingTopLeft));
    QVERIFY(std::isnan(ch.priceTopLeft()));
    QCOMPARE(click(tl), quint8(F::Idle));
    QCOMPARE(ch.priceBottomRight(), gridPrice(core.get(), 122));
    QCOMPARE(ch.priceTopLeft(), gridPrice(core.get(), 125));
    QCOMPARE(ch.candleDateTimeTopLeft(), candleText(core.get(), tlPos));
    QVERIFY(!core->scene()->isGrabbed());
    QVERIFY(CursorGuard::balanced());
}

void tst_ChartObjectFiboChanel::releaseOutside()
{
    auto core = chart();
    CursorGuard guard;
    const QPointF beyond(double(core->plotRight()) + 20, double(core->paneBottom()) + 20);
    kuChartObjectFiboChanel ch(core.get(), QJsonObject());
    core->scene()->setActiveObject(&ch);
    QGraphicsItem* item = ch.graphicsItem();
    auto release = [&](QPointF p) {
        send(core.get(), item, QEvent::GraphicsSceneMousePress, p);
        send(core.get(), item, QEvent::GraphicsSceneMouseRelease, p);
        return ch.eventFilter()->dragState();
    };
    // No anchor from outside: each state waits for one.
    QCOMPARE(release(beyond), quint8(F::AwaitingBottomLeft));
    QVERIFY(std::isnan(ch.priceBottomLeft()));
    QCOMPARE(release(at(core.get(), blPos, 120)), quint8(F::PlacingBottomRight));
    QCOMPARE(release(beyond), quint8(F::PlacingBottomRight));
    // With one from the moves, a release outside keeps that.
    send(core.get(), item, QEvent::GraphicsSceneMouseMove, at(core.get(), brPos, 122));
    QCOMPARE(release(beyond), quint8(F::PlacingTopLeft));
    QCOMPARE(ch.priceBottomRight(), gridPrice(core.get(), 122));
    QCOMPARE(release(beyond), quint8(F::PlacingTopLeft));
    QVERIFY(core->scene()->isGrabbed());
    // A move outside the plot is passed on and changes nothing.
    send(core.get(), item, QEvent::GraphicsSceneMouseMove, beyond);
    QVERIFY(std::isnan(ch.priceTopLeft()));
    send(core.get(), item, QEvent::GraphicsSceneMouseMove, at(core.get(), tlPos, 125));
    QCOMPARE(release(beyond), quint8(F::Idle));
    QCOMPARE(ch.priceTopLeft(), gridPrice(core.get(), 125));
    QCOMPARE(ch.candleDateTimeTopLeft(), candleText(core.get(), tlPos));
    QVERIFY(!core->scene()->isGrabbed());
    ch.repaint();
    QVERIFY(ch.lineItem()->isVisible());
    QVERIFY(CursorGuard::balanced());
}

void tst_ChartObjectFiboChanel::markerDrag_data()
{
    QTest::addColumn<int>("marker");
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("toPos");
    QTest::addColumn<double>("toPrice");
    QTest::newRow("bottom-left") << 0 << int(F::DraggingBottomLeft) << 10 << 118.0;
    QTest::newRow("bottom-right") << 1 << int(F::DraggingBottomRight) << 2 << 121.0;
    QTest::newRow("top-left") << 2 << int(F::DraggingTopLeft) << 20 << 126.0;
}

void tst_ChartObjectFiboChanel::markerDrag()
{
    QFETCH(int, marker);
    QFETCH(int, state);
    QFETCH(int, toPos);
    QFETCH(double, toPrice);
    auto core = chart();
    CursorGuard guard;
    kuChartObjectFiboChanel ch(core.get(), QJsonObject());
    core->scene()->setActiveObject(&ch);
    place(core.get(), ch, at(core.get(), blPos, 120), at(core.get(), brPos, 122), at(core.get(), tlPos, 125));
    QCOMPARE(ch.eventFilter()->dragState(), quint8(F::Idle));
    QVERIFY(CursorGuard::balanced());
    const QStringList names{"BottomLeft", "BottomRight", "TopLeft"};
    QStringList prices, dates;
    for (const QString& name : names) {
        prices << "price" + name;
        dates << "candleDateTime" + name;
    }
    QVariantList before;
    for (int i = 0; i < names.size(); ++i)
        before << ch.property(qPrintable(prices.at(i))) << ch.property(qPrintable(dates.at(i)));

    // A press on a level of the hovered channel starts nothing.
    send(core.get(), ch.levels().at(3).item, QEvent::GraphicsSceneHoverEnter);
    QCOMPARE(ch.levels().at(5).ratioLabel->opacity(), 0.5);
    QCOMPARE(ch.topLeftMarker()->opacity(), 0.5);
    send(core.get(), ch.levels().at(3).item, QEvent::GraphicsSceneMousePress, at(core.get(), 6, 121));
    send(core.get(), ch.levels().at(3).item, QEvent::GraphicsSceneMouseRelease, at(core.get(), 6, 121));
    QCOMPARE(ch.eventFilter()->dragState(), quint8(F::Idle));
    QVERIFY(!core->scene()->isGrabbed());

    QGraphicsRectItem* markers[] = {ch.bottomLeftMarker(), ch.bottomRightMarker(), ch.topLeftMarker()};
    // Pressed on the anchor itself, so that the anchor lands where the pointer goes.
    const QPointF anchors[] = {ch.bottomLeftPoint(), ch.bottomRightPoint(), ch.topLeftPoint()};
    send(core.get(), markers[marker], QEvent::GraphicsSceneMousePress, anchors[marker]);
    QCOMPARE(ch.eventFilter()->dragState(), quint8(state));
    QCOMPARE(CursorGuard::top(), Qt::DragMoveCursor);
    QVERIFY(core->scene()->isGrabbed());
    const QPointF to = at(core.get(), toPos, toPrice);
    send(core.get(), ch.graphicsItem(), QEvent::GraphicsSceneMouseMove, to);
    QCOMPARE(ch.property(qPrintable(prices.at(marker))).toDouble(), gridPrice(core.get(), toPrice));
    QVERIFY(ch.lineItem()->isVisible());
    send(core.get(), ch.graphicsItem(), QEvent::GraphicsSceneMouseRelease, to);
    QCOMPARE(ch.eventFilter()->dragState(), quint8(F::Idle));
    QVERIFY(!core->scene()->isGrabbed());
    QVERIFY(CursorGuard::balanced());

    for (int i = 0; i < names.size(); ++i) {
        const QVariant price = ch.property(qPrintable(prices.at(i)));
        const QVariant date = ch.property(qPrintable(dates.at(i)));
        if (i == marker) {
            QCOMPARE(price.toDouble(), gridPrice(core.get(), toPrice));
            QCOMPARE(date.toString(), candleText(core.get(), toPos));
        } else {
            QCOMPARE(price, before.at(2 * i));
            QCOMPARE(date, before.at(2 * i + 1));
        }
    }
    QVERIFY(allFinite(ch));
}

void tst_ChartObjectFiboChanel::escape_data()
{
    QTest::addColumn<bool>("dragging");
    QTest::newRow("while placing") << false;
    QTest::newRow("while dragging a marker") << true;
}

void tst_ChartObjectFiboChanel::escape()
{
    QFETCH(bool, dragging);
    auto core = chart();
    CursorGuard guard;
    auto* ch = new kuChartObjectFiboChanel(core.get(), QJsonObject());
    core->appendObject(ch);
    core->scene()->setActiveObject(ch);
    QGraphicsItem* item = ch->graphicsItem();
    if (dragging) {
        place(core.get(), *ch, at(core.get(), blPos, 120), at(core.get(), brPos, 122), at(core.get(), tlPos, 125));
        send(core.get(), ch->bottomRightMarker(), QEvent::GraphicsSceneHoverEnter);
        send(core.get(), ch->bottomRightMarker(), QEvent::GraphicsSceneMousePress, at(core.get(), brPos, 122));
        QCOMPARE(CursorGuard::top(), Qt::DragMoveCursor);
    } else {
        send(core.get(), item, QEvent::GraphicsSceneMousePress, at(core.get(), blPos, 120));
        send(core.get(), item, QEvent::GraphicsSceneMouseRelease, at(core.get(), blPos, 120));
        send(core.get(), item, QEvent::GraphicsSceneMouseMove, at(core.get(), brPos, 122));
    }
    QVERIFY(core->scene()->isGrabbed());
    objectfixture::escape(ch);
    QVERIFY(CursorGuard::balanced());
    QVERIFY(nothingShown(*ch));
    core->redraw();
    QVERIFY(core->objects().isEmpty());
}

void tst_ChartObjectFiboChanel::doubleClickEdits()
{
    auto core = chart();
    kuChartObjectFiboChanel ch(core.get(), QJsonObject());
    QSignalSpy spy(core.get(), &kuChartCore::signal_onModifyObject);
    send(core.get(), ch.levels().at(4).ratioLabel, QEvent::GraphicsSceneMouseDoubleClick, at(core.get(), 4, 120));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(1).toString(), ch.objectName());
}

// The toolbar's channel entry reaches the channel through the registered maker.
void tst_ChartObjectFiboChanel::maker()
{
    kuChartObjects::registerMakers();
    kuChart chart;
    kuChartCore* core = chart.chartCore();
    QToolButton* button = chart.toolBar()->findChild<QToolButton*>("kuButtonChartFibonacci");
    QVERIFY(button);
    QAction* entry = nullptr;
    for (QAction* action : button->menu()->actions()) {
        if (action->text() == QStringLiteral("Каналы по Фибоначчи"))
            entry = action;
    }
    QVERIFY(entry);
    entry->trigger();
    QVERIFY(!core->objects().isEmpty());
    auto* ch = qobject_cast<kuChartObjectFiboChanel*>(core->objects().last());
    QVERIFY(ch);
    QCOMPARE(core->scene()->grabbedObject(), ch);
    QCOMPARE(ch->eventFilter()->dragState(), quint8(F::AwaitingBottomLeft));
}


void tst_ChartObjectFiboChanel::ratioLabelsApart_data()
{
    QTest::addColumn<QSize>("view");
    QTest::addColumn<double>("height"); // of the channel, as a share of the pane's prices
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("large") << QSize(1000, 700) << 0.4
                           << QStringList{"151.94 (0.00)", "162.82 (0.24)", "169.56 (0.38)", "175.00 (0.50)",
                                          "180.44 (0.62)", "187.18 (0.76)", "198.06 (1.00)"};
    QTest::newRow("normal, wide apart") << QSize(400, 455) << 0.4
                                        << QStringList{"172.50 (0.00)", "180.76 (0.24)", "185.87 (0.38)",
                                                       "190.00 (0.50)", "194.13 (0.62)", "199.24 (0.76)",
                                                       "207.50 (1.00)"};
    QTest::newRow("normal, close together")
            << QSize(400, 455) << 0.15 << QStringList{"172.50 (0.00)", "177.51 (0.38)", "185.63 (1.00)"};
    // The top's label would reach above the plot.
    QTest::newRow("small") << QSize(330, 200) << 0.4
                           << QStringList{"176.90 (0.00)", "186.91 (0.38)", "196.92 (0.76)"};
}

// Levels close together do not print their labels over each other: the base's label first,
// the top's next, then the others in order; none runs out of the plot.
void tst_ChartObjectFiboChanel::ratioLabelsApart()
{
    QFETCH(QSize, view);
    QFETCH(double, height);
    QFETCH(QStringList, shown);
    auto core = chartfixture::coreWith(chartfixture::seriesOf(1, 200), view.width(), view.height());
    kuChartObjectFiboChanel ch(core.get(), QJsonObject());
    const double low = core->yToPrice(core->paneBottom() - 30);
    const double high = core->yToPrice(core->paneTop() + 30);
    anchor(core.get(), ch, 12, low + 0.2 * (high - low), 4, low + 0.3 * (high - low), 16, low + (0.2 + height) * (high - low));
    ch.repaint();
    const QString fault = ratioLabelFault(core.get(), ch.levels());
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
    QStringList texts;
    for (const kuFiboLevel& level : ch.levels()) {
        if (level.ratioLabel->isVisible())
            texts << level.ratioLabel->text();
    }
    QCOMPARE(texts, shown);
}

QTEST_MAIN(tst_ChartObjectFiboChanel)
#include "tst_chartobjectfibochanel.moc"
