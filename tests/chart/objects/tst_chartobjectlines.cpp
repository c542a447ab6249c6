// The time anchors of drawing objects, the horizontal, vertical and trend
// lines: setters, JSON, repaint rules and the mouse protocol, each sequence
// driven by scene events on the objects' items.
#include <QtTest>

#include "kuchartgraphicsitem.h"
#include "kuchartobjecthline.h"
#include "kuchartobjecttline.h"
#include "kuchartobjectvline.h"
#include "objectfixture.h"

#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QTextDocument>

#include <ctime>
#include <functional>

using namespace objectfixture;
using Make = std::function<kuChartObject*(kuChartCore*, const QJsonObject&)>;
Q_DECLARE_METATYPE(Make)

namespace {

Make hline = [](kuChartCore* c, const QJsonObject& j) -> kuChartObject* { return new kuChartObjectHLine(c, j); };
Make vline = [](kuChartCore* c, const QJsonObject& j) -> kuChartObject* { return new kuChartObjectVLine(c, j); };
Make tline = [](kuChartCore* c, const QJsonObject& j) -> kuChartObject* { return new kuChartObjectTLine(c, j); };

QJsonObject paramsByName(kuChartObject* object)
{
    QJsonObject byName;
    for (const QJsonValue& p : object->params())
        byName.insert(p.toObject().value("name").toString(), p);
    return byName;
}

QStringList paramNames(kuChartObject* object)
{
    QStringList names;
    for (const QJsonValue& p : object->params())
        names << p.toObject().value("name").toString();
    return names;
}

// Placed by two clicks (a trend line) or one, then left by the pointer.
void place(kuChartCore* core, kuChartObject* line)
{
    const QVector<int> clicks = qobject_cast<kuChartObjectTLine*>(line) ? QVector<int>{8, 4} : QVector<int>{4};
    for (int position : clicks) {
        send(core, line->graphicsItem(), QEvent::GraphicsSceneMousePress, at(core, position, 120));
        send(core, line->graphicsItem(), QEvent::GraphicsSceneMouseRelease, at(core, position, 120));
    }
    send(core, line->graphicsItem(), QEvent::GraphicsSceneHoverLeave);
    line->repaint();
}

class TimeZone
{
public:
    explicit TimeZone(const QByteArray& zone) : m_old(qgetenv("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~TimeZone()
    {
        if (m_old.isEmpty())
            qunsetenv("TZ");
        else
            qputenv("TZ", m_old);
        tzset();
    }

private:
    QByteArray m_old;
};

} // namespace

class tst_ChartObjectLines : public QObject
{
    Q_OBJECT

private slots:
    void anchorsOfVisibleCandles();
    void noVisibleCandle();
    void scrolledOutAndBack();
    void textFormDropsSeconds();
    void textFormInAnotherZone_data();
    void textFormInAnotherZone();

    void setters_data();
    void setters();
    void params_data();
    void params();
    void jsonRoundTrip_data();
    void jsonRoundTrip();

    void horizontalRange_data();
    void horizontalRange();
    void verticalTextPastPlot();
    void verticalDateOverTimeLabels_data();
    void verticalDateOverTimeLabels();
    void trendLineOutOfView();
    void newLinesDrawNothing_data();
    void newLinesDrawNothing();

    void horizontalProtocol();
    void verticalProtocol();
    void pressNotHoveredSwallowed_data();
    void pressNotHoveredSwallowed();
    void escapeDuringDrag_data();
    void escapeDuringDrag();
    void releaseOutsideData();
    void trendLinePlacing();
    void trendLineMarkerDrag();
    void restoredTrendLineIsIdle();
    void doubleClickEdits_data();
    void doubleClickEdits();
};

void tst_ChartObjectLines::anchorsOfVisibleCandles()
{
    auto core = chart();
    QVERIFY(core->visibleCount() > 5);
    kuChartObjectTLine line(core.get(), QJsonObject());
    for (int i : {0, 1, core->visibleCount() - 1}) {
        const QPointF p = at(core.get(), i, 120);
        QCOMPARE(line.dateTimeAtX(p.x()), candleTime(core.get(), i));
        QCOMPARE(line.xForDateTime(candleTime(core.get(), i)), p.x());
    }
    // Left of the plot and right of the newest candle there is none.
    QVERIFY(!line.dateTimeAtX(double(core->plotLeft()) - 1).isValid());
    QVERIFY(!line.dateTimeAtX(double(core->plotRight()) + 1).isValid());
}

void tst_ChartObjectLines::noVisibleCandle()
{
    auto core = chartfixture::coreWith(chartfixture::seriesOf(1, 0));
    core->redraw();
    kuChartObjectTLine line(core.get(), QJsonObject());
    QCOMPARE(line.xForDateTime(QDateTime::fromSecsSinceEpoch(qint64(chartrows::t0))), -10.0);
    QVERIFY(!line.dateTimeAtX(100).isValid());
}

void tst_ChartObjectLines::scrolledOutAndBack()
{
    auto core = chart();
    kuChartObjectTLine line(core.get(), QJsonObject());
    const QDateTime newest = candleTime(core.get(), 0);
    const double x = line.xForDateTime(newest);
    core->scrollBack(5);
    QVERIFY(core->firstVisible() > 0);
    QCOMPARE(line.xForDateTime(newest), -10.0);
    core->scrollToNewest();
    QCOMPARE(line.xForDateTime(newest), x);
}

void tst_ChartObjectLines::textFormDropsSeconds()
{
    const QDateTime withSeconds = QDateTime::fromSecsSinceEpoch(qint64(chartrows::t0) + 30, Qt::OffsetFromUTC, 10800);
    const QString text = kuChartObjectBase::dateTimeToText(withSeconds);
    QCOMPARE(text, QStringLiteral("2024-03-01 13:00"));
    QVERIFY(kuChartObjectBase::dateTimeFromText(text) != withSeconds);
    QCOMPARE(kuChartObjectBase::dateTimeFromText(text).toSecsSinceEpoch(), qint64(chartrows::t0));
    QVERIFY(!kuChartObjectBase::dateTimeFromText(QStringLiteral("2024-03-01")).isValid());
    QCOMPARE(kuChartObjectBase::dateTimeToText(QDateTime()), QString());
}

void tst_ChartObjectLines::textFormInAnotherZone_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::newRow("UTC") << QByteArray("UTC");
    QTest::newRow("New York") << QByteArray("America/New_York");
    QTest::newRow("Tokyo") << QByteArray("Asia/Tokyo");
    QTest::newRow("Moscow") << QByteArray("Europe/Moscow");
}

void tst_ChartObjectLines::textFormInAnotherZone()
{
    QFETCH(QByteArray, zone);
    auto core = chart();
    QJsonObject saved;
    {
        kuChartObjectVLine line(core.get(), QJsonObject());
        line.setDateTimeFromX(at(core.get(), 3, 120).x());
        saved = line.toJson();
    }
    TimeZone tz(zone);
    kuChartObjectVLine restored(core.get(), saved);
    QCOMPARE(restored.trailerCandleText(), QStringLiteral("2024-03-01 12:57"));
    QCOMPARE(kuChartAnchor::xForDateTime(core.get(), restored.lineDateTime()), at(core.get(), 3, 120).x());
    restored.repaint();
    QVERIFY(restored.lineItem()->isVisible());
}

void tst_ChartObjectLines::setters_data()
{
    QTest::addColumn<Make>("make");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("storedWidth");
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("storedStyle");
    const QList<QPair<const char*, Make>> kinds{{"horizontal", hline}, {"vertical", vline}, {"trend", tline}};
    for (const auto& kind : kinds) {
        QTest::addRow("%s -1, 0", kind.first) << kind.second << -1 << 1 << 0 << 0;
        QTest::addRow("%s 0, 5", kind.first) << kind.second << 0 << 0 << 5 << 5;
        QTest::addRow("%s 5, 6", kind.first) << kind.second << 5 << 5 << 6 << 1;
        QTest::addRow("%s 6, -1", kind.first) << kind.second << 6 << 1 << -1 << 1;
        QTest::addRow("%s 7, 2", kind.first) << kind.second << 7 << 1 << 2 << 2;
    }
}

void tst_ChartObjectLines::setters()
{
    QFETCH(Make, make);
    QFETCH(int, width);
    QFETCH(int, storedWidth);
    QFETCH(int, style);
    QFETCH(int, storedStyle);
    auto core = chart();
    std::unique_ptr<kuChartObject> line(make(core.get(), QJsonObject()));
    QCOMPARE(line->property("lineColor").value<QColor>(), core->contrastColor());
    QCOMPARE(line->property("penStyle").toInt(), int(Qt::SolidLine));
    line->setProperty("lineWidth", width);
    line->setProperty("penStyle", style);
    QCOMPARE(line->property("lineWidth").toInt(), storedWidth);
    QCOMPARE(line->property("penStyle").toInt(), storedStyle);
}

void tst_ChartObjectLines::params_data()
{
    QTest::addColumn<Make>("make");
    QTest::addColumn<int>("type");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<QStringList>("hidden");
    QTest::newRow("horizontal") << hline << 3 << QStringList{"lineColor", "lineWidth", "penStyle", "price"}
                                << QStringList{"Цвет линии", "Толщина линии", "Стиль линии", "Значение"}
                                << QStringList();
    QTest::newRow("vertical") << vline << 2 << QStringList{"lineColor", "lineWidth", "penStyle", "trailerCandleText"}
                              << QStringList{"Цвет линии", "Толщина линии", "Стиль линии", "Значение"}
                              << QStringList{"trailerCandleText"};
    const QStringList trendHidden{"priceRight", "priceLeft", "candleDateTimeRight", "candleDateTimeLeft"};
    QTest::newRow("trend") << tline << 4 << (QStringList{"lineColor", "lineWidth", "penStyle"} + trendHidden)
                           << (QStringList{"Цвет линии", "Толщина линии", "Стиль линии"} + trendHidden) << trendHidden;
}

void tst_ChartObjectLines::params()
{
    QFETCH(Make, make);
    QFETCH(int, type);
    QFETCH(QStringList, names);
    QFETCH(QStringList, labels);
    QFETCH(QStringList, hidden);
    auto core = chart();
    std::unique_ptr<kuChartObject> line(make(core.get(), QJsonObject()));
    QCOMPARE(line->objectType(), type);
    QCOMPARE(line->isPricePane(), 1);
    QCOMPARE(paramNames(line.get()), names);
    const QJsonObject params = paramsByName(line.get());
    for (int i = 0; i < names.size(); ++i) {
        const QJsonObject p = params.value(names.at(i)).toObject();
        QCOMPARE(p.value("label").toString(), labels.at(i));
        QCOMPARE(p.value("hidden").toBool(), hidden.contains(names.at(i)));
    }
    const QJsonObject styles = params.value("penStyle").toObject().value("availableValue").toObject();
    QCOMPARE(styles, (QJsonObject{{"Сплошная линия", 1},
                                  {"Пунктирная линия", 2},
                                  {"Пунктирная линия (вар. 2)", 3},
                                  {"Пунктирная линия (вар. 3)", 4},
                                  {"Пунктирная линия (вар. 4)", 5}}));
    QVERIFY(params.value("lineColor").toObject().value("availableValue").toObject().isEmpty());
    QCOMPARE(line->propertyInfo("other").label, QStringLiteral("unknown"));
}

void tst_ChartObjectLines::jsonRoundTrip_data()
{
    QTest::addColumn<Make>("make");
    QTest::addColumn<QJsonObject>("values");
    QTest::addColumn<QString>("label");
    QTest::newRow("horizontal")
            << hline << QJsonObject{{"lineColor", "#ff0000"}, {"lineWidth", 3}, {"penStyle", 2}, {"price", 101.25}}
            << QStringLiteral("Горизонтальная линия 101.25");
    QTest::newRow("vertical") << vline
                              << QJsonObject{{"lineColor", "#00ff00"},
                                             {"lineWidth", 2},
                                             {"penStyle", 3},
                                             {"trailerCandleText", "2024-03-01 12:57"}}
                              << QStringLiteral("Вертикальная линия 2024-03-01 12:57");
    QTest::newRow("trend") << tline
                           << QJsonObject{{"lineColor", "#0000ff"},
                                          {"lineWidth", 4},
                                          {"penStyle", 4},
                                          {"priceRight", 103.25},
                                          {"priceLeft", 101.5},
                                          {"candleDateTimeRight", "2024-03-01 12:58"},
                                          {"candleDateTimeLeft", "2024-03-01 12:50"}}
                           << QStringLiteral("Линия тренда 101.50 - 103.25");
}

void tst_ChartObjectLines::jsonRoundTrip()
{
    QFETCH(Make, make);
    QFETCH(QJsonObject, values);
    QFETCH(QString, label);
    auto core = chart();
    std::unique_ptr<kuChartObject> line(make(core.get(), QJsonObject()));
    for (auto it = values.begin(); it != values.end(); ++it)
        line->setProperty(it.key().toLatin1(), it.value().toVariant());
    const QJsonObject json = line->toJson();
    QCOMPARE(json.value("label").toString(), label);
    QCOMPARE(json.value("name").toString(), line->objectName());
    std::unique_ptr<kuChartObject> restored(make(core.get(), json));
    QCOMPARE(restored->params(), json.value("params").toArray());
    QCOMPARE(restored->label(), label);
    for (auto it = values.begin(); it != values.end(); ++it)
        QCOMPARE(paramsByName(restored.get()).value(it.key()).toObject().value("value"), it.value());
    QCOMPARE(restored->graphicsItem()->opacity(), 1.0);
}

void tst_ChartObjectLines::horizontalRange_data()
{
    QTest::addColumn<int>("ticksFromTop");
    QTest::addColumn<bool>("shown");
    QTest::newRow("at the top") << 0 << false;
    QTest::newRow("below the top") << 1 << true;
    QTest::newRow("above the top") << -1 << false;
}

void tst_ChartObjectLines::horizontalRange()
{
    QFETCH(int, ticksFromTop);
    QFETCH(bool, shown);
    auto core = chart();
    kuChartObjectHLine line(core.get(), QJsonObject());
    line.setPrice(double(core->topTicks() - ticksFromTop) * core->priceTick());
    line.repaint();
    QCOMPARE(line.lineItem()->isVisible(), shown);
    QCOMPARE(line.caption()->isVisible(), shown);
    if (shown) {
        const double y = core->priceToY(line.price());
        QCOMPARE(line.lineItem()->line().y1(), y);
        QCOMPARE(line.lineItem()->line().x1(), double(core->plotLeft()));
        QCOMPARE(line.caption()->pos(),
                 QPointF(double(core->plotRight()) - line.caption()->boundingRect().width(), y - 10));
    }
}

void tst_ChartObjectLines::verticalTextPastPlot()
{
    auto core = chart();
    kuChartObjectVLine line(core.get(), QJsonObject());
    // The newest candle sits at the plot's right edge: its date text would pass it.
    line.setDateTimeFromX(at(core.get(), 0, 120).x());
    line.repaint();
    QVERIFY(!line.lineItem()->isVisible());
    QVERIFY(!line.caption()->isVisible());
    line.setDateTimeFromX(at(core.get(), 8, 120).x());
    line.repaint();
    QVERIFY(line.lineItem()->isVisible());
    QCOMPARE(line.lineItem()->line().x1(), at(core.get(), 8, 120).x());
}

void tst_ChartObjectLines::verticalDateOverTimeLabels_data()
{
    QTest::addColumn<int>("position");
    for (int position : {3, 5, 7, 9, 11, 13})
        QTest::addRow("candle %d", position) << position;
}

// The line's date matters more than the time axis: a time label it would sit on is not
// drawn, every other stays as it was, and it comes back when the line goes.
void tst_ChartObjectLines::verticalDateOverTimeLabels()
{
    QFETCH(int, position);
    auto core = chart();
    auto shownTimes = [&] {
        QMap<double, QGraphicsTextItem*> shown; // by x
        for (const kuChartCore::GridEntry& entry : core->gridPool()) {
            const QLineF l = entry.line->line();
            if (entry.line->isVisible() && l.x1() == l.x2() && l.y1() != l.y2() && entry.label->isVisible())
                shown.insert(l.x1(), entry.label);
        }
        return shown;
    };
    const QMap<double, QGraphicsTextItem*> before = shownTimes();
    QVERIFY(before.size() >= 3);
    auto* line = new kuChartObjectVLine(core.get(), QJsonObject());
    line->setDateTimeFromX(at(core.get(), position, 120).x());
    core->appendObject(line);
    core->redraw();
    QVERIFY(line->caption()->isVisible());
    const QRectF date = line->caption()->sceneBoundingRect();
    const QMap<double, QGraphicsTextItem*> after = shownTimes();
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        const double m = it.value()->document()->documentMargin();
        const bool under = it.value()->sceneBoundingRect().adjusted(m, m, -m, -m).intersects(date);
        QVERIFY2(after.contains(it.key()) != under, qPrintable(it.value()->toPlainText()));
    }
    QCOMPARE(after.size() <= before.size(), true);
    line->setVisible(false);
    line->setDeleted(true);
    core->redraw();
    QCOMPARE(shownTimes().keys(), before.keys());
}

void tst_ChartObjectLines::trendLineOutOfView()
{
    auto core = chart();
    QJsonObject json{
            {"params", QJsonArray{QJsonObject{{"name", "priceLeft"}, {"value", 120.0}},
                                  QJsonObject{{"name", "priceRight"}, {"value", 122.0}},
                                  QJsonObject{{"name", "candleDateTimeLeft"}, {"value", "2024-03-01 12:50"}},
                                  QJsonObject{{"name", "candleDateTimeRight"}, {"value", "2024-03-01 12:58"}}}}};
    kuChartObjectTLine line(core.get(), json);
    line.repaint();
    QVERIFY(line.lineItem()->isVisible());
    QCOMPARE(line.lineItem()->line().p1(), at(core.get(), 10, 120));
    QCOMPARE(line.rightMarker()->rect(), QRectF(at(core.get(), 2, 122).x() - 2, core->priceToY(122) - 4, 4, 4));
    QCOMPARE(line.caption()->text(), QStringLiteral("120.00"));
    QCOMPARE(line.rightPriceText()->text(), QStringLiteral("122.00"));
    core->scrollBack(3);
    line.repaint();
    for (QGraphicsItem* item :
         {static_cast<QGraphicsItem*>(line.lineItem()), static_cast<QGraphicsItem*>(line.caption()),
          static_cast<QGraphicsItem*>(line.rightPriceText())})
        QVERIFY(!item->isVisible());
    QVERIFY(!line.rightMarker()->isVisible());
    core->scrollToNewest();
    line.repaint();
    QVERIFY(line.rightMarker()->isVisible());
}

void tst_ChartObjectLines::newLinesDrawNothing_data()
{
    QTest::addColumn<Make>("make");
    QTest::newRow("horizontal") << hline;
    QTest::newRow("vertical") << vline;
    QTest::newRow("trend") << tline;
}

void tst_ChartObjectLines::newLinesDrawNothing()
{
    QFETCH(Make, make);
    auto core = chart();
    std::unique_ptr<kuChartObject> line(make(core.get(), QJsonObject()));
    line->repaint();
    QVERIFY(!line->graphicsItem()->isVisible());
}

void tst_ChartObjectLines::horizontalProtocol()
{
    auto core = chart();
    CursorGuard guard;
    auto* line = new kuChartObjectHLine(core.get(), QJsonObject());
    core->appendObject(line);
    core->scene()->setActiveObject(line);
    QCOMPARE(line->lineItem()->opacity(), 0.7);
    QCOMPARE(line->caption()->opacity(), 1.0);
    QGraphicsItem* item = line->graphicsItem();

    // New: follows the pointer inside the pane, a press fixes it.
    send(core.get(), item, QEvent::GraphicsSceneMouseMove, at(core.get(), 5, 120));
    QCOMPARE(line->price(), core->yToPrice(qint64(core->priceToY(120))));
    QVERIFY(line->lineItem()->isVisible());
    send(core.get(), item, QEvent::GraphicsSceneMousePress, at(core.get(), 5, 121));
    QVERIFY(!line->eventFilter()->isPlacing());
    QVERIFY(!core->scene()->isGrabbed());
    QVERIFY(CursorGuard::balanced());
    send(core.get(), item, QEvent::GraphicsSceneMouseRelease, at(core.get(), 5, 121));
    QVERIFY(CursorGuard::balanced());

    // Placed: hover, drag, release.
    send(core.get(), item, QEvent::GraphicsSceneHoverEnter);
    QCOMPARE(line->lineItem()->opacity(), 0.5);
    send(core.get(), item, QEvent::GraphicsSceneMousePress, at(core.get(), 5, 121));
    QVERIFY(line->eventFilter()->isPlacing());
    QVERIFY(core->scene()->isGrabbed());
    QCOMPARE(CursorGuard::top(), Qt::DragMoveCursor);
    send(core.get(), item, QEvent::GraphicsSceneMouseMove, at(core.get(), 5, 122));
    send(core.get(), item, QEvent::GraphicsSceneMouseRelease, at(core.get(), 5, 123));
    QCOMPARE(line->price(), core->yToPrice(qint64(core->priceToY(123))));
    QVERIFY(!core->scene()->isGrabbed());
    QVERIFY(CursorGuard::balanced());
    send(core.get(), item, QEvent::GraphicsSceneHoverLeave);
    QCOMPARE(line->lineItem()->opacity(), 1.0);

    // A move outside the pane while dragging is passed on.
    send(core.get(), item, QEvent::GraphicsSceneHoverEnter);
    send(core.get(), item, QEvent::GraphicsSceneMousePress, at(core.get(), 5, 123));
    QGraphicsSceneMouseEvent outside(QEvent::GraphicsSceneMouseMove);
    outside.setScenePos(QPointF(50, double(core->paneBottom()) + 5));
    const double before = line->price();
    core->scene()->sendEvent(item, &outside);
    QCOMPARE(line->price(), before);
    send(core.get(), item, QEvent::GraphicsSceneMouseRelease, at(core.get(), 5, 123));
    QVERIFY(CursorGuard::balanced());
}

void tst_ChartObjectLines::verticalProtocol()
{
    // Twelve candles: the slots left of the oldest hold none.
    auto core = chartfixture::coreWith(chartfixture::seriesOf(1, 12));
    core->redraw();
    CursorGuard guard;
    kuChartObjectVLine line(core.get(), QJsonObject());
    core->scene()->setActiveObject(&line);
    QCOMPARE(line.lineItem()->opacity(), 0.5);
    QGraphicsItem* item = line.graphicsItem();
    send(core.get(), item, QEvent::GraphicsSceneMouseMove, at(core.get(), 6, 120));
    QCOMPARE(line.lineDateTime(), candleTime(core.get(), 6));
    QVERIFY(line.lineItem()->isVisible());
    // Over a slot without a candle it stays on its last candle.
    send(core.get(), item, QEvent::GraphicsSceneMouseMove, at(core.get(), 16, 100));
    QCOMPARE(line.lineDateTime(), candleTime(core.get(), 6));
    send(core.get(), item, QEvent::GraphicsSceneMousePress, at(core.get(), 7, 120));
    QCOMPARE(line.lineDateTime(), candleTime(core.get(), 7));
    QVERIFY(!core->scene()->isGrabbed());
    send(core.get(), item, QEvent::GraphicsSceneMouseRelease, at(core.get(), 7, 120));
    QVERIFY(CursorGuard::balanced());

    // A drag started on the date text.
    line.repaint();
    send(core.get(), line.caption(), QEvent::GraphicsSceneHoverEnter);
    send(core.get(), line.caption(), QEvent::GraphicsSceneMousePress, at(core.get(), 7, 120));
    QCOMPARE(CursorGuard::top(), Qt::DragMoveCursor);
    send(core.get(), item, QEvent::GraphicsSceneMouseMove, at(core.get(), 9, 120));
    send(core.get(), item, QEvent::GraphicsSceneMouseRelease, at(core.get(), 9, 120));
    QCOMPARE(line.lineDateTime(), candleTime(core.get(), 9));
    QVERIFY(CursorGuard::balanced());
}

void tst_ChartObjectLines::pressNotHoveredSwallowed_data()
{
    newLinesDrawNothing_data();
}

void tst_ChartObjectLines::pressNotHoveredSwallowed()
{
    QFETCH(Make, make);
    auto core = chart();
    CursorGuard guard;
    auto* line = make(core.get(), QJsonObject());
    core->appendObject(line);
    place(core.get(), line);
    const QJsonArray placed = line->params();
    QGraphicsSceneMouseEvent press(QEvent::GraphicsSceneMousePress);
    press.setScenePos(at(core.get(), 4, 121));
    press.setButton(Qt::LeftButton);
    QVERIFY(line->graphicsItem()->opacity() == 1.0);
    core->scene()->sendEvent(line->graphicsItem(), &press);
    QVERIFY(press.isAccepted());
    QVERIFY(!core->scene()->isGrabbed());
    QVERIFY(CursorGuard::balanced());
    QCOMPARE(line->params(), placed);
}

void tst_ChartObjectLines::escapeDuringDrag_data()
{
    newLinesDrawNothing_data();
}

void tst_ChartObjectLines::escapeDuringDrag()
{
    QFETCH(Make, make);
    auto core = chart();
    CursorGuard guard;
    auto* line = make(core.get(), QJsonObject());
    core->appendObject(line);
    place(core.get(), line);
    QVERIFY(line->graphicsItem()->isVisible());
    // A trend line is dragged by its right marker.
    auto* trend = qobject_cast<kuChartObjectTLine*>(line);
    QGraphicsItem* handle = trend ? trend->rightMarker() : line->graphicsItem();
    send(core.get(), handle, QEvent::GraphicsSceneHoverEnter);
    send(core.get(), handle, QEvent::GraphicsSceneMousePress, at(core.get(), 4, 120));
    QCOMPARE(CursorGuard::top(), Qt::DragMoveCursor);
    escape(line);
    QVERIFY(CursorGuard::balanced());
    QVERIFY(!line->graphicsItem()->isVisible());
    core->redraw();
    QVERIFY(core->objects().isEmpty());
}

void tst_ChartObjectLines::releaseOutsideData()
{
    auto core = chart();
    CursorGuard guard;
    const QPointF beyond(double(core->plotRight()) + 20, double(core->paneBottom()) + 20);
    // New objects without an anchor stay in placing.
    kuChartObjectHLine h(core.get(), QJsonObject());
    kuChartObjectVLine v(core.get(), QJsonObject());
    kuChartObjectTLine t(core.get(), QJsonObject());
    for (kuChartObject* o : std::initializer_list<kuChartObject*>{&h, &v, &t}) {
        core->scene()->setActiveObject(o);
        send(core.get(), o->graphicsItem(), QEvent::GraphicsSceneMouseRelease, beyond);
        QVERIFY2(core->scene()->isGrabbed(), o->metaObject()->className());
    }
    QVERIFY(h.eventFilter()->isPlacing());
    QVERIFY(v.eventFilter()->isPlacing());
    QCOMPARE(t.eventFilter()->dragState(), quint8(kuChartObjectTLineEventFilter::AwaitingFirst));

    // Placed ones keep their last anchor from the moves.
    core->scene()->setActiveObject(&h);
    send(core.get(), h.graphicsItem(), QEvent::GraphicsSceneMouseMove, at(core.get(), 3, 120));
    send(core.get(), h.graphicsItem(), QEvent::GraphicsSceneMouseRelease, beyond);
    QCOMPARE(h.price(), core->yToPrice(qint64(core->priceToY(120))));
    QVERIFY(!h.eventFilter()->isPlacing());
    h.repaint();
    QVERIFY(h.lineItem()->isVisible());

    core->scene()->setActiveObject(&t);
    send(core.get(), t.graphicsItem(), QEvent::GraphicsSceneMouseRelease, at(core.get(), 8, 120));
    send(core.get(), t.graphicsItem(), QEvent::GraphicsSceneMouseMove, at(core.get(), 3, 122));
    send(core.get(), t.graphicsItem(), QEvent::GraphicsSceneMouseRelease, beyond);
    QCOMPARE(t.eventFilter()->dragState(), quint8(kuChartObjectTLineEventFilter::Idle));
    QCOMPARE(t.candleDateTimeRight(), kuChartObjectBase::dateTimeToText(candleTime(core.get(), 3)));
    t.repaint();
    QVERIFY(t.lineItem()->isVisible());
    QVERIFY(CursorGuard::balanced());
}

void tst_ChartObjectLines::trendLinePlacing()
{
    auto core = chart();
    CursorGuard guard;
    kuChartObjectTLine line(core.get(), QJsonObject());
    core->scene()->setActiveObject(&line);
    QGraphicsItem* item = line.graphicsItem();
    using F = kuChartObjectTLineEventFilter;
    QCOMPARE(line.eventFilter()->dragState(), quint8(F::AwaitingFirst));
    send(core.get(), item, QEvent::GraphicsSceneMouseMove, at(core.get(), 9, 120));
    QCOMPARE(line.eventFilter()->dragState(), quint8(F::AwaitingFirst));
    send(core.get(), item, QEvent::GraphicsSceneMousePress, at(core.get(), 9, 120));
    send(core.get(), item, QEvent::GraphicsSceneMouseRelease, at(core.get(), 9, 120));
    QCOMPARE(line.eventFilter()->dragState(), quint8(F::PlacingRight));
    QVERIFY(core->scene()->isGrabbed());
    send(core.get(), item, QEvent::GraphicsSceneMouseMove, at(core.get(), 4, 122));
    QVERIFY(line.lineItem()->isVisible());
    QCOMPARE(line.lineItem()->line().p2(), at(core.get(), 4, 122));
    send(core.get(), item, QEvent::GraphicsSceneMousePress, at(core.get(), 3, 122));
    send(core.get(), item, QEvent::GraphicsSceneMouseRelease, at(core.get(), 3, 122));
    QCOMPARE(line.eventFilter()->dragState(), quint8(F::Idle));
    QVERIFY(!core->scene()->isGrabbed());
    QCOMPARE(line.lineItem()->line().p1(), at(core.get(), 9, line.priceLeft()));
    QCOMPARE(line.lineItem()->line().p2(), at(core.get(), 3, line.priceRight()));
    QVERIFY(CursorGuard::balanced());
}

void tst_ChartObjectLines::trendLineMarkerDrag()
{
    auto core = chart();
    CursorGuard guard;
    kuChartObjectTLine line(core.get(), QJsonObject());
    QGraphicsItem* item = line.graphicsItem();
    for (int position : {9, 3}) {
        send(core.get(), item, QEvent::GraphicsSceneMousePress, at(core.get(), position, 120));
        send(core.get(), item, QEvent::GraphicsSceneMouseRelease, at(core.get(), position, 120));
    }
    line.repaint();
    using F = kuChartObjectTLineEventFilter;
    send(core.get(), line.leftMarker(), QEvent::GraphicsSceneHoverEnter);
    QCOMPARE(line.lineItem()->opacity(), 0.5);
    send(core.get(), line.leftMarker(), QEvent::GraphicsSceneMousePress, at(core.get(), 9, 120));
    QCOMPARE(line.eventFilter()->dragState(), quint8(F::DraggingLeft));
    QCOMPARE(CursorGuard::top(), Qt::DragMoveCursor);
    send(core.get(), item, QEvent::GraphicsSceneMouseMove, at(core.get(), 12, 118));
    send(core.get(), item, QEvent::GraphicsSceneMouseRelease, at(core.get(), 12, 118));
    QCOMPARE(line.eventFilter()->dragState(), quint8(F::Idle));
    QCOMPARE(line.candleDateTimeLeft(), kuChartObjectBase::dateTimeToText(candleTime(core.get(), 12)));
    QCOMPARE(line.candleDateTimeRight(), kuChartObjectBase::dateTimeToText(candleTime(core.get(), 3)));
    QVERIFY(CursorGuard::balanced());
    // The markers and price texts keep the colour they were set up with.
    line.setLineColor(Qt::red);
    QCOMPARE(line.lineItem()->pen().color(), QColor(Qt::red));
    QCOMPARE(line.leftMarker()->pen().color(), core->contrastColor());
}

void tst_ChartObjectLines::restoredTrendLineIsIdle()
{
    auto core = chart();
    CursorGuard guard;
    kuChartObjectTLine original(core.get(), QJsonObject());
    for (int position : {9, 3}) {
        send(core.get(), original.graphicsItem(), QEvent::GraphicsSceneMousePress, at(core.get(), position, 120));
        send(core.get(), original.graphicsItem(), QEvent::GraphicsSceneMouseRelease, at(core.get(), position, 122));
    }
    kuChartObjectTLine line(core.get(), original.toJson());
    QCOMPARE(line.eventFilter()->dragState(), quint8(kuChartObjectTLineEventFilter::Idle));
    line.repaint();
    const QLineF before = line.lineItem()->line();
    send(core.get(), line.graphicsItem(), QEvent::GraphicsSceneHoverEnter);
    send(core.get(), line.graphicsItem(), QEvent::GraphicsSceneMousePress, at(core.get(), 6, 121));
    send(core.get(), line.graphicsItem(), QEvent::GraphicsSceneMouseRelease, at(core.get(), 6, 121));
    line.repaint();
    QCOMPARE(line.lineItem()->line(), before);
    QCOMPARE(line.params(), original.params());
    QVERIFY(CursorGuard::balanced());
}

void tst_ChartObjectLines::doubleClickEdits_data()
{
    newLinesDrawNothing_data();
}

void tst_ChartObjectLines::doubleClickEdits()
{
    QFETCH(Make, make);
    auto core = chart();
    std::unique_ptr<kuChartObject> line(make(core.get(), QJsonObject()));
    QSignalSpy spy(core.get(), &kuChartCore::signal_onModifyObject);
    send(core.get(), line->graphicsItem(), QEvent::GraphicsSceneMouseDoubleClick, at(core.get(), 4, 120));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), 0);
    QCOMPARE(spy.at(0).at(1).toString(), line->objectName());
}

QTEST_MAIN(tst_ChartObjectLines)
#include "tst_chartobjectlines.moc"
