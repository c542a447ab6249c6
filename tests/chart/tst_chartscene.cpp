#include "chartfixture.h"
#include "chartrows.h"
#include "chartscenefixture.h"
#include "kuchart.h"
#include "kucharteventfilter.h"
#include "kucharttoolbar.h"
#include "kupaperinfomimedata.h"
#include "screenwatch.h"

#include <QAction>
#include <QGraphicsSceneDragDropEvent>
#include <QGraphicsSceneWheelEvent>
#include <QGraphicsTextItem>
#include <QGraphicsView>
#include <QJsonDocument>
#include <QMenu>
#include <QSignalSpy>
#include <QtTest>

using namespace chartfixture;
using namespace chartscene;

namespace {

// A chart of many minutes, scrolled back so that every key can move it both ways.
std::unique_ptr<kuChartCore> scrolledCore()
{
    auto core = coreWith(seriesOf(1, 600));
    core->redraw();
    core->scrollBack(200);
    return core;
}

int sign(int v)
{
    return (v > 0) - (v < 0);
}

// A chart window showing many minutes and some days, without a load.
void showMinutes(kuChart& chart)
{
    kuChartCore* core = chart.chartCore();
    core->setSeries({seriesOf(1, 600), seriesOf(1440, 60)});
    core->setChartReady(true);
    core->setTimeFrame(1);
    core->redraw();
}

// A candle of the minute after the newest, closed (1) or forming (2), as the converter hands it over.
void newMinute(kuChart& chart, int updateType)
{
    const QByteArray json = chartrows::update(updateType, {chartrows::live(1, 150)});
    chart.slot_recevieLiveCandle(chart.paperID(), QJsonDocument::fromJson(json).object());
}

void turnWheel(QGraphicsScene* scene, int delta)
{
    QGraphicsSceneWheelEvent event(QEvent::GraphicsSceneWheel);
    event.setDelta(delta);
    QApplication::sendEvent(scene, &event);
}

} // namespace

class tst_ChartScene : public QObject
{
    Q_OBJECT

private slots:
    void pan_data()
    {
        QTest::addColumn<double>("pressY");
        QTest::addColumn<QList<double>>("moves"); // x offsets from the press, in candle widths
        QTest::addColumn<int>("older");           // candles scrolled toward the older ones
        QTest::newRow("three pixels") << 200.0 << QList<double>{0.3} << 0;
        QTest::newRow("less than a candle") << 200.0 << QList<double>{0.9} << 0;
        QTest::newRow("small moves add up") << 200.0 << QList<double>{0.3, 0.6, 0.9, 1.2} << 1;
        QTest::newRow("two and a half candles") << 200.0 << QList<double>{2.5} << 2;
        QTest::newRow("right, then back left") << 200.0 << QList<double>{3.5, 1.2} << 1;
        QTest::newRow("press above y 10") << 5.0 << QList<double>{5.0} << 0;
    }

    // A left drag scrolls by whole candles once past 4 pixels; what is less waits and adds up.
    void pan()
    {
        QFETCH(double, pressY);
        QFETCH(QList<double>, moves);
        QFETCH(int, older);
        auto core = scrolledCore();
        kuGraphicsScene* scene = core->scene();
        const int cw = core->candleWidth();
        QVERIFY2(cw * 0.9 > 4.0, "the candles are too narrow for the table");
        const int before = core->firstVisible();
        press(scene, {200, pressY});
        QCOMPARE(scene->isPanning(), pressY > 10);
        for (double m : moves)
            move(scene, {200 + m * cw, pressY + 1});
        QCOMPARE(core->firstVisible() - before, older);
        release(scene, {0, 0});
        QVERIFY(!scene->isPanning());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void keys_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("older"); // sign of the change of the first visible candle; 2: not checked
        QTest::addColumn<int>("wider"); // sign of the change of the candle width
        QTest::newRow("+") << int(Qt::Key_Plus) << 2 << 1;
        QTest::newRow("-") << int(Qt::Key_Minus) << 2 << -1;
        QTest::newRow("Home") << int(Qt::Key_Home) << 1 << 0;
        QTest::newRow("End") << int(Qt::Key_End) << -1 << 0;
        QTest::newRow("Left") << int(Qt::Key_Left) << 1 << 0;
        QTest::newRow("Right") << int(Qt::Key_Right) << -1 << 0;
        QTest::newRow("PageUp") << int(Qt::Key_PageUp) << 1 << 0;
        QTest::newRow("PageDown") << int(Qt::Key_PageDown) << -1 << 0;
        QTest::newRow("Esc, nothing placed") << int(Qt::Key_Escape) << 0 << 0;
        QTest::newRow("other key") << int(Qt::Key_A) << 0 << 0;
    }

    void keys()
    {
        QFETCH(int, code);
        QFETCH(int, older);
        QFETCH(int, wider);
        auto core = scrolledCore();
        const int first = core->firstVisible();
        const int width = core->candleWidth();
        key(core->scene(), code);
        if (older != 2)
            QCOMPARE(sign(core->firstVisible() - first), older);
        QCOMPARE(sign(core->candleWidth() - width), wider);
        if (code == Qt::Key_Left)
            QCOMPARE(core->firstVisible() - first, core->scrollStep(kuChartCore::leftKeySteps, 10));
        if (code == Qt::Key_End)
            QCOMPARE(core->firstVisible(), 0);
    }

    void wheel_data()
    {
        QTest::addColumn<int>("delta");
        QTest::addColumn<int>("wider");
        QTest::newRow("up") << 120 << 1;
        QTest::newRow("one") << 1 << 1;
        QTest::newRow("zero") << 0 << -1;
        QTest::newRow("down") << -120 << -1;
    }

    void wheel()
    {
        QFETCH(int, delta);
        QFETCH(int, wider);
        auto core = scrolledCore();
        const int width = core->candleWidth();
        turnWheel(core->scene(), delta);
        QCOMPARE(core->candleWidth() - width, wider);
    }

    void readOut_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("scrolledBack"); // the view is scrolled back before the pointer comes
        QTest::addColumn<bool>("blank");        // no candle under the pointer afterwards
        QTest::newRow("time frame") << "time frame" << false << false;
        QTest::newRow("wheel zoom") << "wheel" << false << false;
        QTest::newRow("Home") << "Home" << false << false;
        QTest::newRow("End") << "End" << true << false;
        QTest::newRow("new candle") << "new candle" << false << false;
        QTest::newRow("pointer left the chart") << "leave" << false << true;
    }

    // The O/H/L/C read-out always shows the candle under the pointer (none when it has
    // left the chart), whatever put another candle there, without a move of the mouse.
    void readOut()
    {
        QFETCH(QString, action);
        QFETCH(bool, scrolledBack);
        QFETCH(bool, blank);
        kuChart chart;
        showMinutes(chart);
        kuChartCore* core = chart.chartCore();
        kuGraphicsScene* scene = core->scene();
        if (scrolledBack)
            key(scene, Qt::Key_PageUp);
        const QPointF pointer(200, 200);
        move(scene, pointer);
        const QString before = core->hintItem()->toPlainText();
        QCOMPARE(before, candleHint(core->candles().at(core->xToCandleIndex(200)), 1, 2));

        if (action == "time frame") {
            core->setTimeFrame(1440);
        } else if (action == "wheel") {
            for (int i = 0; i < 3; ++i)
                turnWheel(scene, 120);
        } else if (action == "Home") {
            key(scene, Qt::Key_Home);
        } else if (action == "End") {
            key(scene, Qt::Key_End);
        } else if (action == "new candle") {
            newMinute(chart, 1);
        } else {
            QEvent leave(QEvent::Leave);
            QObject* filter = chart.graphicsView()->findChild<kuChartEventFilter*>();
            filter->eventFilter(chart.graphicsView(), &leave);
        }

        const QString after = core->hintItem()->toPlainText();
        QVERIFY2(after != before, qPrintable(after));
        const int index = core->xToCandleIndex(200);
        QCOMPARE(after, blank ? QStringLiteral(" ")
                              : candleHint(core->candles().at(index), core->timeFrame(), core->priceDecimals()));
        // Redraws after the pointer has left bring no candle back.
        core->redraw();
        QCOMPARE(core->hintItem()->toPlainText(), after);
    }

    void newCandleKeepsView_data()
    {
        QTest::addColumn<int>("scroll");     // key pressed before the candle comes, 0: none
        QTest::addColumn<int>("updateType"); // 1 closed, 2 forming
        QTest::addColumn<bool>("follows");   // the newest candle comes into view
        QTest::newRow("scrolled back, closed candle") << int(Qt::Key_Left) << 1 << false;
        QTest::newRow("scrolled back, forming candle") << int(Qt::Key_PageUp) << 2 << false;
        QTest::newRow("right edge, closed candle") << 0 << 1 << true;
        QTest::newRow("right edge, forming candle") << 0 << 2 << true;
        QTest::newRow("space right of the newest candle") << int(Qt::Key_Right) << 1 << true;
    }

    // While the user reads history (the newest candle off screen) a new candle leaves the
    // same candles in view and under the pointer; at the right edge the chart follows.
    void newCandleKeepsView()
    {
        QFETCH(int, scroll);
        QFETCH(int, updateType);
        QFETCH(bool, follows);
        kuChart chart;
        showMinutes(chart);
        kuChartCore* core = chart.chartCore();
        kuGraphicsScene* scene = core->scene();
        if (scroll)
            key(scene, scroll);
        QCOMPARE(core->firstVisible() > 0, !follows);
        const double space = core->rightSpace();
        move(scene, {200, 200});
        const quint64 rightmost = core->candles().at(core->firstVisible()).time;
        const quint64 underPointer = core->candles().at(core->xToCandleIndex(200)).time;
        const QString hint = core->hintItem()->toPlainText();

        newMinute(chart, updateType);
        QCOMPARE(core->candles().first().time, chartrows::t0 + 60);
        QCOMPARE(core->rightSpace(), space);
        if (follows) {
            QCOMPARE(core->firstVisible(), 0);
            QCOMPARE(core->candles().at(core->xToCandleIndex(200)).time, underPointer + 60);
        } else {
            QCOMPARE(core->candles().at(core->firstVisible()).time, rightmost);
            QCOMPARE(core->candles().at(core->xToCandleIndex(200)).time, underPointer);
            QCOMPARE(core->hintItem()->toPlainText(), hint);
        }
    }

    void liveCandleRepaints_data()
    {
        QTest::addColumn<int>("minute"); // of the live candle: 0 the newest, 1 the next
        QTest::addColumn<double>("price");
        QTest::addColumn<bool>("inPart"); // the view repainted in part only
        QTest::newRow("a new price in the newest candle") << 0 << 151.0 << true;
        QTest::newRow("a new minute: every candle moves") << 1 << 150.0 << false;
    }

    // A live candle repaints what it changes, and the screen shows what the scene holds now.
    void liveCandleRepaints()
    {
        QFETCH(int, minute);
        QFETCH(double, price);
        QFETCH(bool, inPart);
        kuChart chart;
        QWidget* viewport = chart.graphicsView()->viewport();
        RepaintWatch watch(viewport);
        chart.resize(900, 600);
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        showMinutes(chart);
        chart.hideLightBox();
        QTRY_VERIFY(watch.count > 0);
        QTRY_VERIFY(watch.settled());
        watch.clear();
        const QByteArray json = chartrows::update(2, {chartrows::live(minute, price)});
        chart.slot_recevieLiveCandle(chart.paperID(), QJsonDocument::fromJson(json).object());
        QTRY_VERIFY(watch.count > 0);
        QTRY_VERIFY(watch.settled());
        if (inPart)
            QVERIFY(!watch.wholeRepainted());
        QCOMPARE(stalePixels(viewport), 0);
    }

    // A placed object takes presses of the left button, every move and release; Esc drops it.
    void placingAndEsc()
    {
        auto core = scrolledCore();
        kuGraphicsScene* scene = core->scene();
        auto* object = new PlacedObject(core.get());
        core->appendObject(object);
        scene->setActiveObject(object);
        const int first = core->firstVisible();
        press(scene, {200, 200}, Qt::RightButton);
        release(scene, {200, 200}, Qt::RightButton);
        press(scene, {200, 200});
        move(scene, {300, 200});
        release(scene, {300, 200});
        QCOMPARE(object->item->events, QStringList({"release 2", "press 1", "move", "release 1"}));
        QCOMPARE(core->firstVisible(), first);
        scene->setActiveObject(object);
        key(scene, Qt::Key_Escape);
        QVERIFY(!object->isVisible());
        QVERIFY(object->isDeleted());
        QCOMPARE(scene->grabbedObject(), nullptr);
        press(scene, {200, 200});
        QVERIFY(scene->isPanning());
        release(scene, {200, 200});
        core->redraw();
        QVERIFY(core->objects().isEmpty());
    }

    // An object that goes while it holds the mouse lets it go with it.
    void grabEndsWhenObjectGoes()
    {
        auto core = scrolledCore();
        kuGraphicsScene* scene = core->scene();
        auto* object = new PlacedObject(core.get());
        core->appendObject(object);
        scene->setActiveObject(object);
        core->removeObject(object);
        QCOMPARE(scene->grabbedObject(), nullptr);
        press(scene, {200, 200});
        QVERIFY(scene->isPanning());
        key(scene, Qt::Key_Escape);
        release(scene, {200, 200});
        // Releasing an object that holds nothing changes nothing.
        auto* other = new PlacedObject(core.get());
        scene->releaseActiveObject(other);
        scene->setActiveObject(nullptr);
        QCOMPARE(scene->grabbedObject(), nullptr);
        delete other;
    }

    // The scene pops only the cursors it pushed.
    void foreignCursorKept()
    {
        auto core = scrolledCore();
        kuGraphicsScene* scene = core->scene();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        release(scene, {200, 200});
        press(scene, {200, 200});
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::DragMoveCursor);
        release(scene, {200, 200});
        release(scene, {200, 200});
        // A cursor an object pushed while dragged goes with the release, the foreign one stays.
        scene->pushCursor(Qt::SizeAllCursor);
        release(scene, {200, 200});
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        auto* object = new PlacedObject(core.get());
        core->appendObject(object);
        scene->setActiveObject(object);
        key(scene, Qt::Key_Escape);
        QVERIFY(QApplication::overrideCursor());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        QApplication::restoreOverrideCursor();
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    // However often the menu opens, "Панель управления" switches the toolbar through one connection.
    void contextMenu()
    {
        kuChart chart;
        kuGraphicsScene* scene = chart.chartCore()->scene();
        QCOMPARE(scene->chartWindow(), &chart);
        QStringList texts;
        for (int i = 0; i < 5; ++i) {
            std::unique_ptr<QMenu> menu(scene->buildContextMenu());
            texts.clear();
            for (QAction* a : menu->actions())
                texts << a->text();
        }
        QCOMPARE(texts, QStringList({"Таймфрейм", "", "Панель управления", "", "Свойства графика", "Сохранить график",
                                     "Тех. анализ", "Объекты", "", "Обновить данные"}));
        scene->toolBarAction()->setChecked(false);
        QVERIFY(chart.toolBar()->isHidden());
        QVERIFY(QObject::disconnect(scene->toolBarAction(), &QAction::toggled, &chart, &kuChart::setToolBarVisible));
        QVERIFY(!QObject::disconnect(scene->toolBarAction(), &QAction::toggled, &chart, &kuChart::setToolBarVisible));

        // Without a chart window the menu is built but switches nothing.
        auto core = scrolledCore();
        QCOMPARE(core->scene()->chartWindow(), nullptr);
        std::unique_ptr<QMenu> menu(core->scene()->buildContextMenu());
        QVERIFY(!QObject::disconnect(core->scene()->toolBarAction(), &QAction::toggled, nullptr, nullptr));
        QAction* frames = menu->actions().first();
        QCOMPARE(frames->menu()->actions().size(), 7);
    }

    void drop_data()
    {
        QTest::addColumn<bool>("paper");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("reloaded");
        QTest::newRow("instrument") << true << true << 42;
        QTest::newRow("foreign") << false << false << 0;
    }

    // Only an instrument is taken, during the drag already; its drop reloads the chart with it.
    void drop()
    {
        QFETCH(bool, paper);
        QFETCH(bool, accepted);
        QFETCH(int, reloaded);
        auto core = scrolledCore();
        kuPaperInfoMimeData instrument;
        instrument.setPaperID(42);
        QMimeData text;
        text.setText("42");
        QMimeData* data = paper ? static_cast<QMimeData*>(&instrument) : &text;
        QSignalSpy spy(core->scene(), &kuGraphicsScene::on_reloadPaperID);
        for (QEvent::Type type :
             {QEvent::GraphicsSceneDragEnter, QEvent::GraphicsSceneDragMove, QEvent::GraphicsSceneDrop}) {
            QGraphicsSceneDragDropEvent event(type);
            event.setMimeData(data);
            event.setPossibleActions(Qt::CopyAction);
            event.setProposedAction(Qt::CopyAction);
            QApplication::sendEvent(core->scene(), &event);
            QCOMPARE(event.isAccepted(), accepted);
        }
        QCOMPARE(spy.size(), reloaded ? 1 : 0);
        if (reloaded)
            QCOMPARE(spy.at(0).at(0).toInt(), reloaded);
    }
};

QTEST_MAIN(tst_ChartScene)
#include "tst_chartscene.moc"
