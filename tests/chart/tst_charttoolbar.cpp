#include "kuchart.h"
#include "kucharttoolbar.h"
#include "kuiconmanager.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

const char* const signalNames[] = {"signal_onChangeChartStyle", "signal_onDrawFibo",       "signal_onDrawLines",
                                   "signal_onChangeTimeFrame",  "signal_onClickPropertie", "signal_onClickIndicators",
                                   "signal_onClickPrint",       "signal_createTextObject", "signal_onShowHideDrawing",
                                   "signal_onDeleteAllObjects"};

// One spy per signal of the toolbar, by name.
struct Spies
{
    explicit Spies(kuChartToolBar* bar)
    {
        const QMetaObject* meta = bar->metaObject();
        for (const char* name : signalNames) {
            for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
                const QMetaMethod method = meta->method(i);
                if (method.methodType() == QMetaMethod::Signal && method.name() == name)
                    spies.emplace_back(name,
                                       std::make_unique<QSignalSpy>(bar, ("2" + method.methodSignature()).constData()));
            }
        }
    }

    // "name(args)" of every emission, in spy order.
    QStringList emitted() const
    {
        QStringList list;
        for (const auto& [name, spy] : spies) {
            for (const QList<QVariant>& args : *spy) {
                QStringList values;
                for (const QVariant& arg : args)
                    values << (arg.userType() == qMetaTypeId<kuChartObjectType>()
                                       ? QString::number(int(arg.value<kuChartObjectType>()))
                                       : arg.toString());
                list << QStringLiteral("%1(%2)").arg(QString::fromLatin1(name), values.join(','));
            }
        }
        return list;
    }

    std::vector<std::pair<const char*, std::unique_ptr<QSignalSpy>>> spies;
};

QToolButton* button(kuChartToolBar& bar, const QString& name)
{
    return bar.findChild<QToolButton*>(name);
}

QImage iconKey(const QIcon& icon)
{
    return icon.pixmap(16, 16).toImage();
}

} // namespace

class tst_ChartToolBar : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<kuChartObjectType>(); }

    void construction()
    {
        kuChartToolBar bar;
        QCOMPARE(bar.objectName(), QString("kuCharttoolBar"));
        QCOMPARE(bar.findChildren<QToolButton*>(QRegularExpression("^kuButton")).size(), 9);
        QCOMPARE(bar.chartTypeButton()->defaultAction()->text(), QString("Японские свечи"));
        QCOMPARE(bar.timeFrameButton()->defaultAction()->text(), QString("1 минута"));
        QCOMPARE(button(bar, "kuButtonChartDraw")->defaultAction()->text(), QString("Горизонтальная линия"));
        QCOMPARE(button(bar, "kuButtonChartFibonacci")->defaultAction()->text(), QString("Коррекция по Фибоначчи"));
        QVERIFY(!button(bar, "kuButtonShowHideDrawings")->isChecked());
        // Every icon the toolbar names is in the theme.
        for (QToolButton* b : bar.findChildren<QToolButton*>()) {
            QVERIFY2(!b->icon().isNull(), qPrintable(b->objectName()));
            if (b->menu()) {
                for (QAction* a : b->menu()->actions())
                    QVERIFY2(!a->icon().isNull(), qPrintable(a->text()));
            }
        }
    }

    void emitted_data()
    {
        QTest::addColumn<QString>("buttonName");
        QTest::addColumn<int>("menuEntry"); // -1: a click on the button
        QTest::addColumn<QString>("expected");
        QTest::newRow("properties") << "kuButtonChartProperties" << -1 << "signal_onClickPropertie(1,)";
        QTest::newRow("print") << "kuButtonChartPrint" << -1 << "signal_onClickPrint()";
        QTest::newRow("technical analysis") << "kuButtonChartTA" << -1 << "signal_onClickIndicators()";
        QTest::newRow("delete all") << "kuButtonChartTrash" << -1 << "signal_onDeleteAllObjects()";
        QTest::newRow("show/hide") << "kuButtonShowHideDrawings" << -1 << "signal_onShowHideDrawing(true)";
        QTest::newRow("candles (default)") << "kuButtonChartType" << -1 << "signal_onChangeChartStyle(200)";
        QTest::newRow("bars") << "kuButtonChartType" << 1 << "signal_onChangeChartStyle(201)";
        QTest::newRow("line") << "kuButtonChartType" << 2 << "signal_onChangeChartStyle(202)";
        QTest::newRow("1 minute (default)") << "kuButtonChartTimeframe" << -1 << "signal_onChangeTimeFrame(1)";
        QTest::newRow("5 minutes") << "kuButtonChartTimeframe" << 1 << "signal_onChangeTimeFrame(5)";
        QTest::newRow("hour") << "kuButtonChartTimeframe" << 5 << "signal_onChangeTimeFrame(60)";
        QTest::newRow("day") << "kuButtonChartTimeframe" << 6 << "signal_onChangeTimeFrame(1440)";
        QTest::newRow("horizontal line") << "kuButtonChartDraw" << 0 << "signal_onDrawLines(3)";
        QTest::newRow("vertical line") << "kuButtonChartDraw" << 1 << "signal_onDrawLines(2)";
        QTest::newRow("trend line") << "kuButtonChartDraw" << 2 << "signal_onDrawLines(4)";
        QTest::newRow("label") << "kuButtonChartDraw" << 3 << "signal_createTextObject(1)";
        QTest::newRow("retracement") << "kuButtonChartFibonacci" << 0 << "signal_onDrawFibo(5)";
        QTest::newRow("arcs") << "kuButtonChartFibonacci" << 1 << "signal_onDrawFibo(6)";
        QTest::newRow("channel") << "kuButtonChartFibonacci" << 2 << "signal_onDrawFibo(7)";
    }

    // Each click or entry emits its one signal once, with its code.
    void emitted()
    {
        QFETCH(QString, buttonName);
        QFETCH(int, menuEntry);
        QFETCH(QString, expected);
        kuChartToolBar bar;
        QToolButton* b = button(bar, buttonName);
        QVERIFY(b);
        Spies spies(&bar);
        if (menuEntry < 0)
            b->click();
        else
            b->menu()->actions().at(menuEntry)->trigger();
        QCOMPARE(spies.emitted(), QStringList{expected});
        if (menuEntry >= 0) {
            // The entry chosen last is what the button's main part repeats.
            QCOMPARE(b->defaultAction(), b->menu()->actions().at(menuEntry));
            b->click();
            QCOMPARE(spies.emitted(), QStringList({expected, expected}));
        }
    }

    void sync_data()
    {
        QTest::addColumn<bool>("timeFrame");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("bars") << false << 201 << "Бары";
        QTest::newRow("line") << false << 202 << "Линия";
        QTest::newRow("unknown style") << false << 7 << "Японские свечи";
        QTest::newRow("15 minutes") << true << 15 << "15 минут";
        QTest::newRow("day") << true << 1440 << "день";
        QTest::newRow("no series yet") << true << -1 << "1 минута";
        QTest::newRow("week has no entry") << true << 10080 << "1 минута";
    }

    // The chart's changes move the default action and emit nothing.
    void sync()
    {
        QFETCH(bool, timeFrame);
        QFETCH(int, value);
        QFETCH(QString, shown);
        kuChartToolBar bar;
        Spies spies(&bar);
        if (timeFrame)
            bar.setChartTimeFrame(value);
        else
            bar.setChartType(value);
        QToolButton* b = timeFrame ? bar.timeFrameButton() : bar.chartTypeButton();
        QCOMPARE(b->defaultAction()->text(), shown);
        QCOMPARE(b->toolTip(), b->defaultAction()->toolTip());
        QCOMPARE(spies.emitted(), QStringList());
    }

    // Show/hide flips its icon; delete-all shows the "show" icon and leaves the button checked.
    void showHideAndTrash()
    {
        kuChartToolBar bar;
        QToolButton* showHide = button(bar, "kuButtonShowHideDrawings");
        const QImage show = iconKey(kuIconManager::icon("chart.show.drawing.png"));
        const QImage hide = iconKey(kuIconManager::icon("chart.hide.drawing.png"));
        QVERIFY(show != hide);
        Spies spies(&bar);
        showHide->click();
        QCOMPARE(iconKey(showHide->icon()), hide);
        button(bar, "kuButtonChartTrash")->click();
        QVERIFY(showHide->isChecked());
        QCOMPARE(iconKey(showHide->icon()), show);
        showHide->click();
        QCOMPARE(iconKey(showHide->icon()), show);
        QCOMPARE(spies.emitted(), QStringList({"signal_onShowHideDrawing(true)", "signal_onShowHideDrawing(false)",
                                               "signal_onDeleteAllObjects()"}));
    }

    // A chart docked small: the toolbar shows what fits and its extension button brings
    // the rest; expanded, every button lies inside the window.
    void everyButtonReachable_data()
    {
        QTest::addColumn<bool>("top");
        QTest::addColumn<QSize>("size");
        QTest::newRow("left, low window") << false << QSize(400, 200);
        QTest::newRow("left, lowest and narrow") << false << QSize(200, 200);
        QTest::newRow("top, narrow window") << true << QSize(220, 300);
    }
    void everyButtonReachable()
    {
        QFETCH(bool, top);
        QFETCH(QSize, size);
        kuChart chart;
        kuChartToolBar* bar = chart.toolBar();
        if (top)
            chart.addToolBar(Qt::TopToolBarArea, bar);
        chart.resize(size);
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        const QList<QToolButton*> buttons = bar->findChildren<QToolButton*>(QRegularExpression("^kuButton"));
        QCOMPARE(buttons.size(), 9);
        auto shown = [&] {
            int n = 0;
            for (QToolButton* b : buttons)
                n += b->isVisible() && chart.rect().contains(QRect(b->mapTo(&chart, QPoint()), b->size()));
            return n;
        };
        QTRY_VERIFY(shown() < 9);
        auto* extension = bar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"));
        QVERIFY(extension);
        QTRY_VERIFY(extension->isVisible());
        QVERIFY(chart.rect().contains(QRect(extension->mapTo(&chart, QPoint()), extension->size())));
        extension->click();
        QTRY_COMPARE(shown(), 9);
    }

    // Unfolded, the buttons hang over the chart; once the chart moves they fold away
    // rather than stay over whatever comes there.
    void extensionFoldsWhenChartMoves_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("its window moves") << "move";
        QTest::newRow("it goes into another window") << "reparent";
        QTest::newRow("it is hidden") << "hide";
    }
    void extensionFoldsWhenChartMoves()
    {
        QFETCH(QString, how);
        QWidget other;
        other.resize(600, 400);
        auto* chart = new kuChart;
        chart->resize(400, 200);
        chart->show();
        QVERIFY(QTest::qWaitForWindowExposed(chart));
        kuChartToolBar* bar = chart->toolBar();
        auto* extension = bar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"));
        QVERIFY(extension);
        QTRY_VERIFY(extension->isVisible());
        const QList<QToolButton*> buttons = bar->findChildren<QToolButton*>(QRegularExpression("^kuButton"));
        auto allShown = [&] {
            return std::all_of(buttons.cbegin(), buttons.cend(), [](QToolButton* b) { return b->isVisible(); });
        };
        QVERIFY(!allShown());
        extension->click();
        QTRY_VERIFY(allShown());
        QVERIFY(extension->isChecked());

        if (how == "move") {
            chart->move(chart->pos() + QPoint(50, 30));
        } else if (how == "reparent") {
            chart->setParent(&other);
            chart->setGeometry(10, 10, 400, 200);
            chart->show();
            other.show();
            QVERIFY(QTest::qWaitForWindowExposed(&other));
        } else {
            chart->hide();
            chart->show();
        }
        QTRY_VERIFY(!extension->isChecked());
        QTRY_VERIFY(!allShown());
        // Its new window is watched as well.
        if (how == "reparent") {
            QTRY_VERIFY(extension->isVisible());
            extension->click();
            QTRY_VERIFY(allShown());
            other.move(other.pos() + QPoint(40, 20));
            QTRY_VERIFY(!extension->isChecked());
        }
        delete chart;
    }
};

QTEST_MAIN(tst_ChartToolBar)
#include "tst_charttoolbar.moc"
