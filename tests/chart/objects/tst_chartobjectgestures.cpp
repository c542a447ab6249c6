// The mouse on every drawing tool as a trader uses it, through the chart's
// scene (and its view for the cursor): a double click never moves a tool, a
// drag keeps the offset between the pointer and what it drags and ends at its
// press position plus the pointer's travel, lines, markers and levels take the
// mouse within a few pixels of their stroke, prices picked with the mouse lie
// on the paper's step, and a tool whose placing never ended is not saved.
#include <QtTest>

#include "kuchart.h"
#include "kuchartgrabitems.h"
#include "kuchartobjectfibo.h"
#include "kuchartobjectfiboarcs.h"
#include "kuchartobjectfibochanel.h"
#include "kuchartobjecthline.h"
#include "kuchartobjecttext.h"
#include "kuchartobjects.h"
#include "kuchartobjecttline.h"
#include "kuchartobjectvline.h"
#include "kutextobjectdialog.h"
#include "objectfixture.h"

#include <QGraphicsView>
#include <QMouseEvent>
#include <QTextEdit>

#include <cmath>
#include <functional>

using namespace objectfixture;

namespace {

// One placed tool on the chart, and the part of it a drag takes.
struct Tool
{
    kuChartObject* object = nullptr;
    // The item a press drags: the line of a one-anchor tool, else a marker.
    QGraphicsItem* handle = nullptr;
    // Where the dragged anchor stands in the scene.
    std::function<QPointF()> anchor;
    bool movesX = true;
    bool movesY = true;
    // A point of the handle off its anchor: 3 pixels off a line's stroke, or
    // 3 pixels from a marker's anchor, away from the rest of the tool.
    QPointF grab;
    // Further out the same way (6 pixels off a line): no part of the tool.
    QPointF miss;
};

QJsonObject paramsJson(const QVariantMap& values)
{
    QJsonArray params;
    for (auto it = values.begin(); it != values.end(); ++it)
        params.append(QJsonObject{{"name", it.key()}, {"value", QJsonValue::fromVariant(it.value())}});
    return QJsonObject{{"params", params}};
}

// The date-time text of the visible candle at the position.
QString candleText(kuChartCore* core, int position)
{
    return kuChartAnchor::toText(candleTime(core, core->firstVisible() + position));
}

// A marker is dragged from beside its anchor, on the side away from the
// tool's other anchor `from`, where no other part of the tool lies.
void grabMarker(Tool& tool, QGraphicsRectItem* marker, std::function<QPointF()> anchor, QPointF from)
{
    tool.handle = marker;
    tool.anchor = std::move(anchor);
    const QLineF out = QLineF(from, tool.anchor()).unitVector();
    const QPointF step = out.p2() - out.p1();
    tool.grab = tool.anchor() + 3 * step;
    tool.miss = tool.anchor() + 10 * step;
}

Tool make(kuChartCore* core, const QString& kind)
{
    Tool tool;
    if (kind == "horizontal line") {
        auto* line = new kuChartObjectHLine(core, paramsJson({{"price", 120.0}}));
        core->appendObject(line);
        line->repaint();
        tool.object = line;
        tool.handle = line->lineItem();
        tool.anchor = [core, line] { return QPointF(0, core->priceToY(line->price())); };
        tool.movesX = false;
        // Over the body of candle 11 (119.5 to 120.5): a candle takes no mouse from a tool.
        const double y = line->lineItem()->line().y1();
        tool.grab = QPointF(kuChartAnchor::slotCentre(core, 11), y + 3);
        tool.miss = QPointF(tool.grab.x(), y + 6);
    } else if (kind == "vertical line") {
        auto* line = new kuChartObjectVLine(core, paramsJson({{"trailerCandleText", candleText(core, 10)}}));
        core->appendObject(line);
        line->repaint();
        tool.object = line;
        tool.handle = line->lineItem();
        tool.anchor = [core, line] { return QPointF(kuChartAnchor::xForDateTime(core, line->lineDateTime()), 0); };
        tool.movesY = false;
        // Over the body of its own candle.
        const kuChartCandle& candle = core->candles().at(core->firstVisible() + 10);
        const double x = line->lineItem()->line().x1();
        const double y = core->priceToY((candle.open + candle.close) / 2);
        tool.grab = QPointF(x - 3, y);
        tool.miss = QPointF(x - 6, y);
    } else if (kind == "text") {
        auto* text = new kuChartObjectText(
                core,
                paramsJson({{"text", "Метка уровня"}, {"price", 120.0}, {"candleDateTime", candleText(core, 14)}}));
        core->appendObject(text);
        text->repaint();
        tool.object = text;
        tool.handle = text->textItem();
        tool.anchor = [text] { return text->anchorPoint(text->anchorDateTime(), text->price()); };
        // Well inside the label, far from the corner that is its anchor.
        const QRectF box = text->textItem()->sceneBoundingRect();
        tool.grab = QPointF(box.left() + 0.7 * box.width(), box.center().y());
        tool.miss = QPointF(box.right() + 6, box.center().y());
    } else if (kind == "trend line") {
        auto* line = new kuChartObjectTLine(core, paramsJson({{"priceLeft", 115.0},
                                                              {"candleDateTimeLeft", candleText(core, 16)},
                                                              {"priceRight", 121.0},
                                                              {"candleDateTimeRight", candleText(core, 6)}}));
        core->appendObject(line);
        line->repaint();
        tool.object = line;
        grabMarker(
                tool, line->rightMarker(), [line] { return line->rightPoint(); }, line->leftPoint());
    } else if (kind == "Fibonacci retracement") {
        auto* fibo = new kuChartObjectFibo(
                core,
                paramsJson({{"priceTop", 121.0}, {"priceBottom", 112.0}, {"x1", kuChartAnchor::slotCentre(core, 12)}}));
        core->appendObject(fibo);
        fibo->repaint();
        tool.object = fibo;
        grabMarker(
                tool, fibo->topMarker(), [fibo] { return fibo->topPoint(); }, fibo->bottomPoint());
    } else if (kind == "Fibonacci arcs") {
        auto* arcs = new kuChartObjectFiboArcs(core, paramsJson({{"priceLeft", 114.0},
                                                                 {"candleDateTimeLeft", candleText(core, 16)},
                                                                 {"priceRight", 118.0},
                                                                 {"candleDateTimeRight", candleText(core, 10)}}));
        core->appendObject(arcs);
        arcs->repaint();
        tool.object = arcs;
        grabMarker(
                tool, arcs->rightMarker(), [arcs] { return arcs->rightPoint(); }, arcs->leftPoint());
    } else {
        auto* channel =
                new kuChartObjectFiboChanel(core, paramsJson({{"priceBottomLeft", 112.0},
                                                              {"candleDateTimeBottomLeft", candleText(core, 17)},
                                                              {"priceBottomRight", 114.0},
                                                              {"candleDateTimeBottomRight", candleText(core, 6)},
                                                              {"priceTopLeft", 120.0},
                                                              {"candleDateTimeTopLeft", candleText(core, 15)}}));
        core->appendObject(channel);
        channel->repaint();
        tool.object = channel;
        grabMarker(
                tool, channel->bottomRightMarker(), [channel] { return channel->bottomRightPoint(); },
                channel->bottomLeftPoint());
    }
    return tool;
}

const QStringList kinds{"horizontal line", "vertical line",    "text", "trend line", "Fibonacci retracement",
                        "Fibonacci arcs",  "Fibonacci channel"};

// A double click given to the scene as the view gives it: press, release,
// double click, release.
void doubleClick(kuChartCore* core, QPointF first, QPointF second)
{
    sendToScene(core, QEvent::GraphicsSceneMousePress, first);
    sendToScene(core, QEvent::GraphicsSceneMouseRelease, second);
    sendToScene(core, QEvent::GraphicsSceneMouseDoubleClick, first);
    sendToScene(core, QEvent::GraphicsSceneMouseRelease, second);
}

// The pointer leaves every tool.
void away(kuChartCore* core)
{
    sendToScene(core, QEvent::GraphicsSceneMouseMove, QPointF(double(core->plotLeft()) + 1, double(core->paneTop())));
}

kuChartObjectType typeOf(const QString& kind)
{
    static const QHash<QString, kuChartObjectType> types{
            {"horizontal line", otHorizontalLine}, {"vertical line", otVerticalLine},
            {"text", otText},                      {"trend line", otTrendLine},
            {"Fibonacci retracement", otFibo},     {"Fibonacci arcs", otFiboArcs},
            {"Fibonacci channel", otFiboChannel}};
    return types.value(kind);
}

// The clicks that place a new tool of the kind, one per anchor, at prices a pixel
// gives that lie on no step.
QVector<QPointF> placingClicks(kuChartCore* core, const QString& kind)
{
    if (kind == "trend line")
        return {at(core, 14, 113.37), at(core, 6, 119.13)};
    if (kind == "Fibonacci retracement")
        return {at(core, 12, 121.33), at(core, 12, 112.71)};
    if (kind == "Fibonacci arcs")
        return {at(core, 16, 114.29), at(core, 10, 118.71)};
    if (kind == "Fibonacci channel")
        return {at(core, 14, 112.37), at(core, 3, 114.71), at(core, 18, 120.93)};
    return {at(core, 8, 113.37)};
}

void click(kuChartCore* core, QPointF p)
{
    sendToScene(core, QEvent::GraphicsSceneMouseMove, p);
    sendToScene(core, QEvent::GraphicsSceneMousePress, p);
    sendToScene(core, QEvent::GraphicsSceneMouseRelease, p);
}

// A new tool of the kind, as the toolbar makes it: it holds the mouse until placed.
kuChartObject* newTool(kuChartCore* core, const QString& kind)
{
    kuChartObjects::registerMakers();
    kuTextObjectDialog::setRunner([](kuTextObjectDialog* d) {
        d->textEdit()->setPlainText(QStringLiteral("Метка"));
        d->accept();
        return d->result();
    });
    kuChartObject* tool = core->createObject(typeOf(kind), QJsonObject());
    core->appendObject(tool);
    core->scene()->setActiveObject(tool);
    return tool;
}

// Every price of the tool lies on the step and has no more digits than the decimals.
QString offStep(kuChartObject* tool, double step, int decimals)
{
    QStringList found;
    int prices = 0;
    for (const QJsonValue& p : tool->params()) {
        const QString name = p.toObject().value("name").toString();
        if (!name.startsWith("price"))
            continue;
        ++prices;
        const double price = p.toObject().value("value").toDouble();
        const double steps = price / step;
        if (std::abs(steps - std::round(steps)) > 1e-9 || QString::number(price, 'f', decimals).toDouble() != price)
            found << QStringLiteral("%1 %2").arg(name).arg(price, 0, 'g', 17);
    }
    return prices ? found.join(", ") : QStringLiteral("no price");
}

// The lines, markers and levels of the tool, as shown now (a circle of no
// radius is no stroke).
QList<QGraphicsItem*> strokeItems(kuChartCore* core)
{
    QList<QGraphicsItem*> found;
    for (QGraphicsItem* item : core->scene()->items()) {
        if (!item->isVisible())
            continue;
        if (auto* circle = dynamic_cast<kuChartGrabEllipseItem*>(item)) {
            if (circle->rect().width() > 0)
                found << item;
        } else if (dynamic_cast<kuChartGrabLineItem*>(item) || dynamic_cast<kuChartGrabRectItem*>(item)) {
            found << item;
        }
    }
    return found;
}

// A point d pixels off the item's stroke, outwards, and one inside a circle.
QPointF offStroke(QGraphicsItem* item, double d)
{
    if (auto* line = dynamic_cast<QGraphicsLineItem*>(item)) {
        const QLineF l = line->line();
        const QLineF normal = l.normalVector().unitVector();
        return l.center() + (normal.p2() - normal.p1()) * d;
    }
    if (auto* ellipse = dynamic_cast<QGraphicsEllipseItem*>(item)) {
        const QRectF r = ellipse->rect();
        const double reach = r.width() / 2 + d;
        return r.center() + QPointF(reach, reach) / std::sqrt(2.0);
    }
    const QRectF r = static_cast<QGraphicsRectItem*>(item)->rect();
    return QPointF(r.right() + d, r.center().y());
}

} // namespace

class tst_ChartObjectGestures : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { kuTextObjectDialog::setRunner(nullptr); }

    void doubleClickNeverMoves_data();
    void doubleClickNeverMoves();
    void dragKeepsOffset_data();
    void dragKeepsOffset();
    void grabWithinFourPixels_data();
    void grabWithinFourPixels();
    void hoverCursor_data();
    void hoverCursor();
    void dragPath_data();
    void dragPath();
    void mousePricesOnStep_data();
    void mousePricesOnStep();
    void unplacedNotSaved_data();
    void unplacedNotSaved();
    void anchorlessNotRestored_data();
    void anchorlessNotRestored();
};

void tst_ChartObjectGestures::doubleClickNeverMoves_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QPointF>("shake");
    for (const QString& kind : kinds) {
        QTest::addRow("%s, steady", qPrintable(kind)) << kind << QPointF();
        // The hand moves a pixel between the press and the release of the first click.
        QTest::addRow("%s, shaking", qPrintable(kind)) << kind << QPointF(1, 1);
    }
}

// A double click off the anchor opens the tool's dialog and leaves every anchor where it was.
void tst_ChartObjectGestures::doubleClickNeverMoves()
{
    QFETCH(QString, kind);
    QFETCH(QPointF, shake);
    auto core = chart();
    CursorGuard guard;
    const Tool tool = make(core.get(), kind);
    const QJsonArray before = tool.object->params();
    const QPointF anchor = tool.anchor();
    int dialogs = 0;
    kuTextObjectDialog::setRunner([&dialogs](kuTextObjectDialog* d) {
        ++dialogs;
        d->reject();
        return d->result();
    });
    QSignalSpy edits(core.get(), &kuChartCore::signal_onModifyObject);

    sendToScene(core.get(), QEvent::GraphicsSceneMouseMove, tool.grab);
    QCOMPARE(tool.object->graphicsItem()->opacity(), 0.5);
    doubleClick(core.get(), tool.grab, tool.grab + shake);
    QCOMPARE(dialogs + edits.count(), 1);
    QCOMPARE(tool.object->params(), before);
    core->redraw();
    QCOMPARE(tool.anchor(), anchor);
    QVERIFY(!core->scene()->isGrabbed());
    QVERIFY(CursorGuard::balanced());
}

void tst_ChartObjectGestures::dragKeepsOffset_data()
{
    QTest::addColumn<QString>("kind");
    for (const QString& kind : kinds)
        QTest::addRow("%s", qPrintable(kind)) << kind;
}

// Dragged from a point off its anchor, the anchor moves by the pointer's
// travel: three candles left and 15 pixels down; the chart does not scroll.
void tst_ChartObjectGestures::dragKeepsOffset()
{
    QFETCH(QString, kind);
    auto core = chart();
    CursorGuard guard;
    const Tool tool = make(core.get(), kind);
    const int first = core->firstVisible();
    const QPointF from = tool.anchor();
    const double slot = kuChartAnchor::slotCentre(core.get(), 0) - kuChartAnchor::slotCentre(core.get(), 1);
    const QPointF travel(-3 * slot, 15);

    sendToScene(core.get(), QEvent::GraphicsSceneMouseMove, tool.grab);
    sendToScene(core.get(), QEvent::GraphicsSceneMousePress, tool.grab);
    QVERIFY(core->scene()->isGrabbed());
    QVERIFY(!core->scene()->isPanning());
    // Half way: already off by the same offset.
    sendToScene(core.get(), QEvent::GraphicsSceneMouseMove, tool.grab + travel / 2);
    sendToScene(core.get(), QEvent::GraphicsSceneMouseMove, tool.grab + travel);
    sendToScene(core.get(), QEvent::GraphicsSceneMouseRelease, tool.grab + travel);
    QVERIFY(!core->scene()->isGrabbed());
    QVERIFY(CursorGuard::balanced());
    QCOMPARE(core->firstVisible(), first);

    core->redraw();
    const QPointF to = tool.anchor();
    const QPointF want = from + travel;
    if (tool.movesX)
        QVERIFY2(std::abs(to.x() - want.x()) < 1e-6,
                 qPrintable(QStringLiteral("x %1, want %2").arg(to.x()).arg(want.x())));
    // Prices come from whole pixels.
    if (tool.movesY)
        QVERIFY2(std::abs(to.y() - want.y()) < 1.0,
                 qPrintable(QStringLiteral("y %1, want %2").arg(to.y()).arg(want.y())));
    QVERIFY(tool.handle->isVisible());
}

void tst_ChartObjectGestures::grabWithinFourPixels_data()
{
    dragKeepsOffset_data();
}

// Every line, marker and level takes the mouse within 4 pixels of its stroke
// and not 6 pixels off (nor inside a circle); the handle 3 pixels off is
// hovered and a press there grabs the tool, 6 pixels off it pans the chart.
void tst_ChartObjectGestures::grabWithinFourPixels()
{
    QFETCH(QString, kind);
    auto core = chart();
    CursorGuard guard;
    const Tool tool = make(core.get(), kind);
    QGraphicsScene* scene = core->scene();

    const QList<QGraphicsItem*> items = strokeItems(core.get());
    QVERIFY(kind == "text" || !items.isEmpty());
    for (QGraphicsItem* item : items) {
        for (double d : {0.0, 3.0, 4.0, -4.0})
            QVERIFY2(scene->items(offStroke(item, d)).contains(item), qPrintable(QStringLiteral("%1 px").arg(d)));
        QVERIFY(!scene->items(offStroke(item, 6)).contains(item));
        if (auto* circle = dynamic_cast<QGraphicsEllipseItem*>(item); circle && circle->rect().width() > 20)
            QVERIFY(!scene->items(circle->rect().center()).contains(item));
    }

    sendToScene(core.get(), QEvent::GraphicsSceneMouseMove, tool.miss);
    QCOMPARE(tool.object->graphicsItem()->opacity(), 1.0);
    sendToScene(core.get(), QEvent::GraphicsSceneMouseMove, tool.grab);
    QCOMPARE(tool.object->graphicsItem()->opacity(), 0.5);
    sendToScene(core.get(), QEvent::GraphicsSceneMousePress, tool.grab);
    QVERIFY(core->scene()->isGrabbed());
    QVERIFY(!core->scene()->isPanning());
    sendToScene(core.get(), QEvent::GraphicsSceneMouseRelease, tool.grab);
    QVERIFY(CursorGuard::balanced());

    away(core.get());
    const QJsonArray before = tool.object->params();
    sendToScene(core.get(), QEvent::GraphicsSceneMouseMove, tool.miss);
    sendToScene(core.get(), QEvent::GraphicsSceneMousePress, tool.miss);
    QVERIFY(!core->scene()->isGrabbed());
    QVERIFY(core->scene()->isPanning());
    sendToScene(core.get(), QEvent::GraphicsSceneMouseRelease, tool.miss);
    QCOMPARE(tool.object->params(), before);
    QVERIFY(CursorGuard::balanced());
}

void tst_ChartObjectGestures::hoverCursor_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("shape");
    const int drag = kuChartGrab::dragCursor;
    QTest::newRow("horizontal line") << "horizontal line" << int(Qt::SizeVerCursor);
    QTest::newRow("vertical line") << "vertical line" << int(Qt::SizeHorCursor);
    for (const QString& kind : kinds.mid(2))
        QTest::addRow("%s", qPrintable(kind)) << kind << drag;
}

// In the chart's view the pointer over the handle, 3 pixels off its stroke,
// shows that a press there drags; 6 pixels off it is the view's own again.
void tst_ChartObjectGestures::hoverCursor()
{
    QFETCH(QString, kind);
    QFETCH(int, shape);
    auto core = chart();
    const Tool tool = make(core.get(), kind);
    QGraphicsView view(core->scene());
    view.setSceneRect(core->scene()->sceneRect());
    view.resize(core->viewWidth() + 20, core->viewHeight() + 20);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    auto moveTo = [&view](QPointF scenePos) {
        const QPoint at = view.mapFromScene(scenePos);
        QMouseEvent move(QEvent::MouseMove, at, view.viewport()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &move);
    };
    moveTo(tool.grab);
    QCOMPARE(int(view.viewport()->cursor().shape()), shape);
    moveTo(tool.miss);
    QCOMPARE(view.viewport()->cursor().shape(), Qt::ArrowCursor);
}

void tst_ChartObjectGestures::dragPath_data()
{
    QTest::addColumn<QString>("kind");
    // The pointer's travel from the press, in candles to the right and pixels down:
    // the moves, then the release (after no move of its own where the row lets go).
    QTest::addColumn<QList<QPointF>>("path");
    const QList<QPair<const char*, QList<QPointF>>> paths{
            {"down and back", {{0, 8}, {0, 0}}},
            {"down, let go back on its row", {{0, 8}, {0, 0}}},
            {"left and back", {{-3, 0}, {0, 0}}},
            {"round a corner and back", {{-3, 0}, {-3, 15}, {0, 15}, {0, 0}}},
            {"back on its row, candles left", {{-3, 15}, {-3, 0}}},
            {"back on its column, rows down", {{-3, 15}, {0, 15}}},
            {"past the end and back to it", {{0, 15}, {0, -5}, {0, 8}}}};
    for (const QString& kind : kinds) {
        for (const auto& path : paths)
            QTest::addRow("%s, %s", qPrintable(kind), path.first) << kind << path.second;
    }
}

// A dragged tool ends at its press position plus the pointer's total travel, whatever the path:
// on an axis where the pointer ends where it was pressed the anchor keeps its value exactly.
void tst_ChartObjectGestures::dragPath()
{
    QFETCH(QString, kind);
    QFETCH(QList<QPointF>, path);
    auto core = chart();
    CursorGuard guard;
    const Tool tool = make(core.get(), kind);
    const QJsonArray before = tool.object->params();
    const QPointF from = tool.anchor();
    const double slot = kuChartAnchor::slotCentre(core.get(), 0) - kuChartAnchor::slotCentre(core.get(), 1);
    auto pointer = [&](QPointF travel) { return tool.grab + QPointF(travel.x() * slot, travel.y()); };

    sendToScene(core.get(), QEvent::GraphicsSceneMouseMove, tool.grab);
    sendToScene(core.get(), QEvent::GraphicsSceneMousePress, tool.grab);
    QVERIFY(core->scene()->isGrabbed());
    const bool letGo = QString(QTest::currentDataTag()).contains("let go");
    for (int i = 0; i + (letGo ? 1 : 0) < path.size(); ++i)
        sendToScene(core.get(), QEvent::GraphicsSceneMouseMove, pointer(path.at(i)));
    sendToScene(core.get(), QEvent::GraphicsSceneMouseRelease, pointer(path.last()));
    QVERIFY(!core->scene()->isGrabbed());
    QVERIFY(CursorGuard::balanced());

    core->redraw();
    const QPointF travel = pointer(path.last()) - tool.grab;
    const QPointF to = tool.anchor();
    if (travel.isNull())
        QCOMPARE(tool.object->params(), before);
    if (tool.movesX) {
        if (travel.x() == 0)
            QCOMPARE(to.x(), from.x());
        else
            QVERIFY2(std::abs(to.x() - (from.x() + travel.x())) < 1e-6, qPrintable(QString::number(to.x())));
    }
    if (tool.movesY) {
        if (travel.y() == 0)
            QCOMPARE(to.y(), from.y());
        else
            QVERIFY2(std::abs(to.y() - (from.y() + travel.y())) < 1.0, qPrintable(QString::number(to.y())));
    }
}

void tst_ChartObjectGestures::mousePricesOnStep_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<double>("step");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<bool>("dragged"); // a placed tool dragged, else a new one placed
    for (const QString& kind : kinds) {
        if (kind == "vertical line")
            continue;
        QTest::addRow("%s placed, step 0.05", qPrintable(kind)) << kind << 0.05 << 2 << false;
        QTest::addRow("%s dragged, step 0.05", qPrintable(kind)) << kind << 0.05 << 2 << true;
    }
    QTest::newRow("horizontal line placed, step 0.01") << "horizontal line" << 0.01 << 2 << false;
    QTest::newRow("horizontal line dragged, step 0.01") << "horizontal line" << 0.01 << 2 << true;
    QTest::newRow("horizontal line placed, step 0.5") << "horizontal line" << 0.5 << 1 << false;
    QTest::newRow("trend line placed, step 5") << "trend line" << 5.0 << 0 << false;
}

// A price the user picks with the mouse lies on the paper's price step, so that the
// settings dialog shows what the chart's label shows.
void tst_ChartObjectGestures::mousePricesOnStep()
{
    QFETCH(QString, kind);
    QFETCH(double, step);
    QFETCH(int, decimals);
    QFETCH(bool, dragged);
    // A pane whose pixels fall on no whole number of price ticks.
    auto core = chartfixture::coreWith(chartfixture::seriesOf(1, 50), 400, 437, decimals);
    core->setPriceStep(step);
    core->redraw();
    CursorGuard guard;
    kuChartObject* tool = nullptr;
    if (dragged) {
        const Tool placed = make(core.get(), kind);
        tool = placed.object;
        sendToScene(core.get(), QEvent::GraphicsSceneMouseMove, placed.grab);
        sendToScene(core.get(), QEvent::GraphicsSceneMousePress, placed.grab);
        sendToScene(core.get(), QEvent::GraphicsSceneMouseMove, placed.grab + QPointF(0, 7));
        sendToScene(core.get(), QEvent::GraphicsSceneMouseRelease, placed.grab + QPointF(0, 7));
    } else {
        tool = newTool(core.get(), kind);
        for (const QPointF& p : placingClicks(core.get(), kind))
            click(core.get(), p);
    }
    QVERIFY(!core->scene()->isGrabbed());
    QVERIFY(tool->isPlaced());
    const QString off = offStep(tool, step, decimals);
    QVERIFY2(off.isEmpty(), qPrintable(off));
}

void tst_ChartObjectGestures::unplacedNotSaved_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("clicks");   // anchors placed before the chart is saved
    QTest::addColumn<bool>("crossed"); // the pointer crosses the chart after them
    for (const QString& kind : kinds) {
        QTest::addRow("%s, pointer never on the chart", qPrintable(kind)) << kind << 0 << false;
        QTest::addRow("%s, pointer crossed the chart", qPrintable(kind)) << kind << 0 << true;
    }
    QTest::newRow("trend line, one anchor of two") << "trend line" << 1 << true;
    QTest::newRow("Fibonacci retracement, one anchor of two") << "Fibonacci retracement" << 1 << true;
    QTest::newRow("Fibonacci arcs, one anchor of two") << "Fibonacci arcs" << 1 << true;
    QTest::newRow("Fibonacci channel, two anchors of three") << "Fibonacci channel" << 2 << true;
}

// A tool whose placing never ended is no drawing of the user's: the chart's saved state
// (also what its settings dialog lists) leaves it out. Placed, it is saved and comes back.
void tst_ChartObjectGestures::unplacedNotSaved()
{
    QFETCH(QString, kind);
    QFETCH(int, clicks);
    QFETCH(bool, crossed);
    kuChart chart;
    kuChartCore* core = chart.chartCore();
    core->setSeries({chartfixture::seriesOf(1, 50)});
    core->setChartReady(true);
    core->setTimeFrame(1);
    core->redraw();
    kuChartObjects::registerMakers();
    kuTextObjectDialog::setRunner([](kuTextObjectDialog* d) {
        d->textEdit()->setPlainText(QStringLiteral("Метка"));
        d->accept();
        return d->result();
    });
    chart.slot_createObject(typeOf(kind));
    QCOMPARE(core->objects().size(), 1);
    const QVector<QPointF> anchors = placingClicks(core, kind);
    for (int i = 0; i < clicks; ++i)
        click(core, anchors.at(i));
    if (crossed) {
        for (const QPointF& p : {at(core, 18, 105.0), at(core, 2, 125.0), at(core, 9, 111.0)})
            sendToScene(core, QEvent::GraphicsSceneMouseMove, p);
    }
    QVERIFY(!core->objects().first()->isPlaced());
    QCOMPARE(chart.saveSettings().value("object").toArray(), QJsonArray());

    for (int i = clicks; i < anchors.size(); ++i)
        click(core, anchors.at(i));
    const QJsonArray saved = chart.saveSettings().value("object").toArray();
    QCOMPARE(saved.size(), 1);
    auto other = objectfixture::chart();
    other->restoreObjects(saved);
    QCOMPARE(other->objects().size(), 1);
    QVERIFY(other->objects().first()->isPlaced());
}

void tst_ChartObjectGestures::anchorlessNotRestored_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QVariantMap>("values");
    QTest::addColumn<bool>("restored");
    // Candles of the chart open at 12:11 to 13:00 at the exchange.
    const QString minute = QStringLiteral("2024-03-01 12:50");
    QTest::newRow("horizontal line") << int(otHorizontalLine) << QVariantMap{{"price", 120.0}} << true;
    QTest::newRow("horizontal line, price null") << int(otHorizontalLine) << QVariantMap{{"price", QVariant()}}
                                                  << false;
    QTest::newRow("horizontal line, no price") << int(otHorizontalLine) << QVariantMap{{"lineWidth", 2}} << false;
    QTest::newRow("vertical line") << int(otVerticalLine) << QVariantMap{{"trailerCandleText", minute}} << true;
    QTest::newRow("vertical line, no date") << int(otVerticalLine) << QVariantMap{{"trailerCandleText", ""}}
                                             << false;
    QTest::newRow("text, no date") << int(otText) << QVariantMap{{"text", "Метка"}, {"price", 120.0}} << false;
    QTest::newRow("trend line, no right price")
            << int(otTrendLine)
            << QVariantMap{{"priceLeft", 115.0}, {"candleDateTimeLeft", minute}, {"candleDateTimeRight", minute}}
            << false;
    QTest::newRow("Fibonacci retracement, no bottom")
            << int(otFibo) << QVariantMap{{"priceTop", 121.0}, {"x1", 200.0}} << false;
    QTest::newRow("Fibonacci arcs, no left date")
            << int(otFiboArcs)
            << QVariantMap{{"priceLeft", 114.0}, {"priceRight", 118.0}, {"candleDateTimeRight", minute}} << false;
    QTest::newRow("Fibonacci channel, no top left")
            << int(otFiboChannel)
            << QVariantMap{{"priceBottomLeft", 112.0}, {"candleDateTimeBottomLeft", minute},
                           {"priceBottomRight", 114.0}, {"candleDateTimeBottomRight", minute}}
            << false;
}

// A saved drawing without a valid anchor would be drawn nowhere and saved again at
// every exit: it is not restored, and the log says so.
void tst_ChartObjectGestures::anchorlessNotRestored()
{
    QFETCH(int, type);
    QFETCH(QVariantMap, values);
    QFETCH(bool, restored);
    auto core = chart();
    kuChartObjects::registerMakers();
    QJsonObject json = paramsJson(values);
    json.insert("type", type);
    json.insert("name", "{saved}");
    if (!restored)
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(R"(Chart object "\{saved\}" .* no valid anchor - not restored)"));
    core->restoreObjects(QJsonArray{json});
    QCOMPARE(core->objects().size(), restored ? 1 : 0);
    core->redraw();
}

QTEST_MAIN(tst_ChartObjectGestures)
#include "tst_chartobjectgestures.moc"
