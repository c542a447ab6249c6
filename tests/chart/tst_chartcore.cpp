#include "chartrows.h"
#include "kuchartcore.h"
#include "kuchartmakers.h"
#include "kuchartobject.h"
#include "kugraphicsscene.h"
#include "logcapture.h"

#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QPointer>
#include <QSignalSpy>
#include <QtTest>

// A chart object with two parameters and one property that is none.
class TestObject : public kuChartObject
{
    Q_OBJECT
    Q_PROPERTY(int period MEMBER period)
    Q_PROPERTY(QColor color MEMBER color)
    Q_PROPERTY(QString note MEMBER note)

public:
    explicit TestObject(kuChartCore* core, int type = otTrendLine, bool indicator = false)
        : kuChartObject(core), m_indicator(indicator)
    {
        setObjectType(type);
    }

    void repaint() override { ++repaints; }
    bool isIndicator() const override { return m_indicator; }
    void recalculate() override
    {
        ++recalculations;
        seen = chartCore()->closeSeries()->size();
    }
    kuChartPropertyInfo propertyInfo(const QString& name) override
    {
        if (name == QLatin1String("period"))
            return {QStringLiteral("Период"), false, QVariant(QJsonObject())};
        if (name == QLatin1String("color"))
            return {QStringLiteral("Цвет"), true, QVariant(QJsonObject{{"red", "#ff0000"}})};
        return kuChartObject::propertyInfo(name);
    }

    int period = 14;
    QColor color = Qt::blue;
    QString note = QStringLiteral("n");
    int repaints = 0;
    int recalculations = 0;
    int seen = -1;

private:
    bool m_indicator;
};

namespace {

using namespace chartrows;

kuChartSeries seriesOf(int timeFrame, int count, double price = 100)
{
    kuChartSeries s;
    s.timeFrame = timeFrame;
    s.name = kuChartSeries::nameOf(timeFrame);
    for (int i = count - 1; i >= 0; --i) {
        kuChartCandle c;
        c.time = t0 + quint64(i) * 60 * quint64(timeFrame);
        c.open = price + i;
        c.close = price + i + 1;
        c.high = price + i + 2;
        c.low = price + i - 1;
        c.volume = 10 + i;
        s.candles.append(c);
    }
    return s;
}

// A core as its chart window sets it up, with series of 1, 5 and 1440 minutes
// and a second 5-minute series behind them.
std::unique_ptr<kuChartCore> loadedCore()
{
    auto core = std::make_unique<kuChartCore>();
    core->setViewSize(400, 400);
    core->initScene();
    core->setTitle(QStringLiteral("ABCD"));
    core->setCaption(QStringLiteral("ABCD"), QStringLiteral("Issuer"));
    core->setSeries({seriesOf(1, 30), seriesOf(5, 20), seriesOf(1440, 10), seriesOf(5, 3, 500)});
    core->showSeries(0);
    core->setTimeFrame(1);
    core->setChartReady(true);
    return core;
}

QJsonObject param(const QString& name, const QJsonValue& value)
{
    return QJsonObject{{"name", name}, {"label", ""}, {"value", value}};
}

QJsonObject chartSetting(const QJsonArray& params)
{
    return QJsonObject{{"name", "chartSetting"}, {"label", ""}, {"params", params}};
}

// Makers for every creatable code, counting what they make.
struct Makers
{
    QList<int> made;
    Makers()
    {
        for (int type = 1; type <= 13; ++type) {
            kuChartMakers::setObjectMaker(
                    kuChartObjectType(type), [this, type](kuChartCore* core, const QJsonObject& json) {
                        made << type;
                        auto* object = new TestObject(core, type == 8 ? int(otIndicatorPane) : type, type >= 8);
                        if (!json.isEmpty())
                            object->fromJson(json);
                        return object;
                    });
        }
    }
    ~Makers()
    {
        for (int type = 1; type <= 13; ++type)
            kuChartMakers::setObjectMaker(kuChartObjectType(type), {});
    }
};

} // namespace

class tst_ChartCore : public QObject
{
    Q_OBJECT

private slots:
    void chartStyle_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("emitted");
        QTest::newRow("199") << 199 << 200 << 0;
        QTest::newRow("203") << 203 << 200 << 0;
        QTest::newRow("current") << 200 << 200 << 0;
        QTest::newRow("bars") << 201 << 201 << 1;
        QTest::newRow("line") << 202 << 202 << 1;
    }

    void chartStyle()
    {
        QFETCH(int, style);
        QFETCH(int, result);
        QFETCH(int, emitted);
        auto core = loadedCore();
        QSignalSpy spy(core.get(), &kuChartCore::signal_onChangeChartStyle);
        core->setChartStyle(style);
        QCOMPARE(core->chartStyle(), result);
        QCOMPARE(spy.count(), emitted);
        if (emitted)
            QCOMPARE(spy.first().first().toInt(), style);
    }

    // Each series keeps its scroll state; a time frame without a series changes nothing.
    void timeFrame()
    {
        auto core = loadedCore();
        QSignalSpy spy(core.get(), &kuChartCore::signal_onChangeTimeFrame);
        core->setTimeFrame(5);
        QCOMPARE(core->currentSeries(), core->series(1)); // the first of two 5-minute series
        QCOMPARE(core->titleItem()->toPlainText(), QString("ABCD - 5 минут"));
        QCOMPARE(core->subtitleItem()->toPlainText(), QString("Issuer"));
        core->currentSeries()->firstVisible = 7;
        QCOMPARE(core->closeSeries()->size(), 20);

        core->setTimeFrame(60);
        QCOMPARE(core->timeFrame(), 5);
        QCOMPARE(core->titleItem()->toPlainText(), QString("ABCD - 5 минут"));

        core->setTimeFrame(1440);
        QCOMPARE(core->titleItem()->toPlainText(), QString("ABCD - день"));
        QCOMPARE(core->closeSeries()->size(), 10); // the rebuild refilled the values
        core->setTimeFrame(5);
        QCOMPARE(core->currentSeries()->firstVisible, 7);
        QCOMPARE(spy.count(), 3);
    }

    // Before the first series and after the series go, the shown series is an empty one.
    void noSeries()
    {
        kuChartCore core;
        core.setViewSize(400, 400);
        core.initScene();
        QVERIFY(core.currentSeries());
        QVERIFY(core.candles().isEmpty());
        QCOMPARE(core.timeFrame(), -1);
        core.redraw();

        auto loaded = loadedCore();
        loaded->setSeries({});
        QVERIFY(loaded->candles().isEmpty());
        QCOMPARE(loaded->currentSeries()->firstVisible, 0);
        loaded->markSeriesChanged();
        loaded->redraw();
        QVERIFY(loaded->closeSeries()->isEmpty());
    }

    void lineThickness_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("result");
        QTest::newRow("-1") << -1 << 2;
        QTest::newRow("0") << 0 << 0;
        QTest::newRow("5") << 5 << 5;
        QTest::newRow("9") << 9 << 5;
    }

    void lineThickness()
    {
        QFETCH(int, value);
        QFETCH(int, result);
        auto core = loadedCore();
        core->setLineThickness(value);
        QCOMPARE(core->lineThickness(), result);
    }

    // The fore colour carries grid and text colours; set again unchanged it leaves a custom grid alone.
    void foreColorCascade()
    {
        auto core = loadedCore();
        core->setGridColor(Qt::blue);
        core->setForeColor(Qt::red);
        QCOMPARE(core->gridColor(), QColor(Qt::red));
        QCOMPARE(core->textColor(), QColor(Qt::red));
        QCOMPARE(core->titleItem()->defaultTextColor(), QColor(Qt::red));
        core->setGridColor(Qt::blue);
        core->setForeColor(Qt::red);
        QCOMPARE(core->gridColor(), QColor(Qt::blue));

        core->setBackColor(Qt::black);
        QCOMPARE(core->scene()->backgroundBrush().color(), QColor(Qt::black));
    }

    void descriptor()
    {
        auto core = loadedCore();
        core->setProperty("invented", 3);
        const QJsonObject d = core->settingsDescriptor();
        QCOMPARE(d.value("name").toString(), QString("chartSetting"));
        QCOMPARE(d.value("label").toString(), QString("Настройка графика"));
        const QJsonArray params = d.value("params").toArray();
        QStringList names;
        for (const QJsonValue& p : params) {
            names << p.toObject().value("name").toString();
            QCOMPARE(p.toObject().value("hidden"), QJsonValue(false));
        }
        QCOMPARE(names, QStringList({"chartStyle", "timeFrame", "showGrid", "backColor", "foreColor", "gridColor",
                                     "barColor", "lineColor", "candleUpColor", "candleDownColor", "shadowUpColor",
                                     "shadowDownColor", "lineThickness"}));
        auto at = [&](int i) { return params.at(i).toObject(); };
        QCOMPARE(at(0).value("value"), QJsonValue(200));
        QCOMPARE(at(0).value("label").toString(), QString("Тип графика"));
        QCOMPARE(at(0).value("availableValue").toObject(),
                 (QJsonObject{{"Бары", 201}, {"Линия", 202}, {"Японские свечи", 200}}));
        QCOMPARE(at(1).value("value"), QJsonValue(1));
        QCOMPARE(at(1).value("availableValue").toObject().size(), 7);
        QCOMPARE(at(1).value("availableValue").toObject().value(QStringLiteral("1 минута")), QJsonValue(1));
        QCOMPARE(at(2).value("value"), QJsonValue(true));
        QCOMPARE(at(2).value("availableValue").toObject(), (QJsonObject{{"Да", true}, {"Нет", false}}));
        QCOMPARE(at(3).value("value"), QJsonValue("#ffffff"));
        QCOMPARE(at(4).value("value"), QJsonValue("#808080"));
        QCOMPARE(at(4).value("availableValue").toObject(), QJsonObject());
        QCOMPARE(at(12).value("value"), QJsonValue(2));
        QCOMPARE(at(12).value("label").toString(), QString("Толщина линии"));

        QCOMPARE(kuChartCore::propertyInfo("showRuller").label, QString("Показывать курсор"));
        QCOMPARE(kuChartCore::propertyInfo("nothing").label, QString("Свойство"));

        kuChartCore fresh;
        fresh.initScene();
        QCOMPARE(fresh.settingsDescriptor().value("params").toArray().at(1).toObject().value("value"), QJsonValue(-1));
    }

    // Settings from a saved or edited state: only the chart's own, each with a value of its kind.
    void unsafeParams_data()
    {
        QTest::addColumn<QJsonArray>("params");
        QTest::addColumn<QString>("objectName");
        QTest::addColumn<QColor>("backColor");
        QTest::addColumn<int>("lineThickness");
        QTest::addColumn<int>("chartStyle");
        QTest::newRow("own values") << QJsonArray{param("backColor", "#102030"), param("lineThickness", 4),
                                                  param("chartStyle", 201)}
                                    << "core" << QColor("#102030") << 4 << 201;
        QTest::newRow("object name") << QJsonArray{param("objectName", "evil")} << "core" << QColor(Qt::white) << 2
                                     << 200;
        QTest::newRow("no colour") << QJsonArray{param("backColor", "#zz"), param("backColor", 7)} << "core"
                                   << QColor(Qt::white) << 2 << 200;
        QTest::newRow("wrong kinds") << QJsonArray{param("lineThickness", "4"), param("lineThickness", 1.5),
                                                   param("chartStyle", true), param("showGrid", "no")}
                                     << "core" << QColor(Qt::white) << 2 << 200;
        QTest::newRow("unknown names") << QJsonArray{param("invented", 1), param("", 1), QJsonValue(5)} << "core"
                                       << QColor(Qt::white) << 2 << 200;
    }

    void unsafeParams()
    {
        QFETCH(QJsonArray, params);
        QFETCH(QString, objectName);
        QFETCH(QColor, backColor);
        QFETCH(int, lineThickness);
        QFETCH(int, chartStyle);
        auto core = loadedCore();
        core->setObjectName("core");
        LogCapture log;
        core->applySettings(QJsonArray{chartSetting(params)});
        QCOMPARE(core->objectName(), objectName);
        QCOMPARE(core->backColor(), backColor);
        QCOMPARE(core->lineThickness(), lineThickness);
        QCOMPARE(core->chartStyle(), chartStyle);
        QVERIFY(core->showGrid());
        QVERIFY(core->dynamicPropertyNames().isEmpty());
    }

    // Parameters apply in array order: the fore colour sets the grid, a later grid colour stays.
    void settingsOrder()
    {
        auto core = loadedCore();
        core->applySettings({QJsonObject{{"name", "other"}},
                             chartSetting({param("foreColor", "#ff0000"), param("gridColor", "#0000ff")}),
                             chartSetting({param("gridColor", "#00ff00")})});
        QCOMPARE(core->gridColor(), QColor(Qt::blue));
        QCOMPARE(core->foreColor(), QColor(Qt::red));
        core->applySettings({chartSetting({param("gridColor", "#00ff00"), param("foreColor", "#000000")})});
        QCOMPARE(core->gridColor(), QColor(Qt::black));
    }

    // A kept state waits for a redraw of a ready, unsuspended chart, applies once and is replaced by a newer one.
    void pendingState()
    {
        Makers makers;
        auto core = loadedCore();
        const QJsonObject object{
                {"type", 4}, {"name", "{line}"}, {"label", "x"}, {"params", QJsonArray{param("period", 30)}}};
        const QJsonObject state{
                {"settings", QJsonArray{chartSetting(
                                     {param("chartStyle", 202), param("timeFrame", 1440), param("lineThickness", 4)})}},
                {"object", QJsonArray{object}}};
        core->setPendingState(QJsonObject{{"settings", QJsonArray{chartSetting({param("lineThickness", 1)})}}});
        core->setPendingState(state);

        core->setRedrawSuspended(true);
        core->redraw();
        QCOMPARE(core->pendingState(), state);
        core->setRedrawSuspended(false);
        core->setChartReady(false);
        core->redraw();
        QCOMPARE(core->pendingState(), state);
        core->setChartReady(true);

        QSignalSpy styles(core.get(), &kuChartCore::signal_onChangeChartStyle);
        QSignalSpy frames(core.get(), &kuChartCore::signal_onChangeTimeFrame);
        core->redraw();
        QVERIFY(core->pendingState().isEmpty());
        QCOMPARE(core->chartStyle(), 202);
        QCOMPARE(core->timeFrame(), 1440);
        QCOMPARE(core->lineThickness(), 4); // the earlier state was dropped
        QCOMPARE(styles.count(), 1);
        QCOMPARE(frames.count(), 1);
        QCOMPARE(core->closeSeries()->size(), 10); // refilled for the new time frame in the same call
        QCOMPARE(makers.made, QList<int>{4});
        QCOMPARE(core->objects().size(), 1);
        QCOMPARE(static_cast<TestObject*>(core->objects().first())->period, 30);

        core->redraw();
        QCOMPARE(core->objects().size(), 1);
    }

    void restoreObjects()
    {
        Makers makers;
        auto core = loadedCore();
        auto* existing = new TestObject(core.get());
        core->appendObject(existing);
        LogCapture log;
        core->restoreObjects({QJsonObject{{"type", 4},
                                          {"name", existing->objectName()},
                                          {"params", QJsonArray{param("period", 21)}}},
                              QJsonObject{{"type", 4}, {"params", QJsonArray{param("period", 5)}}},
                              QJsonObject{{"type", 4}, {"name", 12}}, QJsonObject{{"type", 9}, {"name", "{histogram}"}},
                              QJsonObject{{"type", 2}, {"name", "{vline}"}}});
        QCOMPARE(existing->period, 21);
        QCOMPARE(makers.made, QList<int>{2});
        QCOMPARE(core->objects().size(), 2);
    }

    // A saved object of a type this program does not know is left out, and said so.
    void restoreUnknownType_data()
    {
        QTest::addColumn<QJsonValue>("type");
        QTest::newRow("-1") << QJsonValue(-1);
        QTest::newRow("13") << QJsonValue(13);
        QTest::newRow("99") << QJsonValue(99);
        QTest::newRow("2^31") << QJsonValue(2147483648.0);
        QTest::newRow("none") << QJsonValue(0);
        QTest::newRow("text") << QJsonValue("4");
        QTest::newRow("missing") << QJsonValue(QJsonValue::Undefined);
    }
    void restoreUnknownType()
    {
        QFETCH(QJsonValue, type);
        Makers makers;
        auto core = loadedCore();
        LogCapture log;
        QJsonObject saved{{"name", "{odd}"}, {"params", QJsonArray{param("period", 5)}}};
        if (!type.isUndefined())
            saved.insert("type", type);
        core->restoreObjects({saved, QJsonObject{{"type", 2}, {"name", "{vline}"}}});
        QCOMPARE(makers.made, QList<int>{2});
        QCOMPARE(core->objects().size(), 1);
        const QStringList warnings = log.lines({QtWarningMsg});
        QCOMPARE(warnings.size(), 1);
        QVERIFY2(warnings.first().contains("{odd}") && warnings.first().contains("unknown type"),
                 qPrintable(warnings.first()));
    }

    // Labelled properties only; a round trip restores values, the new object keeps its own name.
    void objectBase()
    {
        auto core = loadedCore();
        TestObject object(core.get());
        QCOMPARE(object.label(), QString("chartObject"));
        QVERIFY(object.objectName().startsWith('{'));
        QCOMPARE(object.objectName().size(), 38);
        QVERIFY(object.caption()->scene() == core->scene());
        object.period = 50;
        object.color = QColor("#80ff0000");
        const QJsonObject json = object.toJson();
        QCOMPARE(json.value("type"), QJsonValue(int(otTrendLine)));
        QCOMPARE(json.value("name").toString(), object.objectName());
        const QJsonArray params = json.value("params").toArray();
        QCOMPARE(params.size(), 2);
        QCOMPARE(params.at(0).toObject(), (QJsonObject{{"name", "period"},
                                                       {"label", "Период"},
                                                       {"value", 50},
                                                       {"hidden", false},
                                                       {"availableValue", QJsonObject()}}));
        QCOMPARE(params.at(1).toObject().value("value"), QJsonValue("#80ff0000"));
        QCOMPARE(params.at(1).toObject().value("hidden"), QJsonValue(true));

        TestObject copy(core.get());
        copy.fromJson(json);
        QCOMPARE(copy.period, 50);
        QCOMPARE(copy.color, QColor("#80ff0000"));
        QVERIFY(copy.objectName() != object.objectName());

        LogCapture log;
        copy.fromJson(
                QJsonObject{{"params", QJsonArray{param("objectName", "x"), param("note", "changed"),
                                                  param("color", "#zz"), param("period", "7"), param("invented", 1)}}});
        QVERIFY(copy.objectName() != QLatin1String("x"));
        QCOMPARE(copy.note, QString("n"));
        QCOMPARE(copy.color, QColor("#80ff0000"));
        QCOMPARE(copy.period, 50);
        QVERIFY(copy.dynamicPropertyNames().isEmpty());

        QGraphicsScene* scene = core->scene();
        const int items = scene->items().size();
        {
            TestObject gone(core.get());
            QCOMPARE(scene->items().size(), items + 1);
        }
        QCOMPARE(scene->items().size(), items);
    }

    void factory_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QJsonObject>("json");
        QTest::addColumn<bool>("made");
        const QJsonObject indicator{{"indType", 3}};
        for (int type : {0, 9, 10, 13, -1})
            QTest::addRow("type %d", type) << type << indicator << false;
        for (int type : {1, 2, 7})
            QTest::addRow("drawing %d", type) << type << QJsonObject() << true;
        for (int type : {8, 11, 12}) {
            QTest::addRow("indicator %d", type) << type << indicator << true;
            QTest::addRow("indicator %d without its kind", type) << type << QJsonObject{{"name", "x"}} << false;
        }
    }

    void factory()
    {
        QFETCH(int, type);
        QFETCH(QJsonObject, json);
        QFETCH(bool, made);
        auto core = loadedCore();
        {
            Makers makers;
            std::unique_ptr<kuChartObject> object(core->createObject(kuChartObjectType(type), json));
            QCOMPARE(bool(object), made);
            QCOMPARE(core->objects().size(), 0);
        }
        // A type nobody registered is made by nobody.
        QVERIFY(!core->createObject(kuChartObjectType(type), json));
    }

    void subPanes()
    {
        auto core = loadedCore();
        auto* first = new TestObject(core.get(), otIndicatorPane, true);
        auto* second = new TestObject(core.get(), otIndicatorPane, true);
        auto* overlay = new TestObject(core.get(), otLineSeries, true);
        auto* hidden = new TestObject(core.get(), otIndicatorPane, true);
        hidden->setVisible(false);
        for (auto* o : {first, second, overlay, hidden})
            core->appendObject(o);
        second->setDeleted(true);
        QCOMPARE(core->visibleSubPaneCount(), 1);
        core->hideAllObjects();
        QCOMPARE(core->visibleSubPaneCount(), 0);
        QVERIFY(second->isVisible()); // marked deleted: left alone
        core->showAllObjects();
        QCOMPARE(core->visibleSubPaneCount(), 2);
    }

    // Only what it held is deleted; the position after it is returned.
    void removeObject()
    {
        auto core = loadedCore();
        QPointer<TestObject> a = new TestObject(core.get());
        QPointer<TestObject> b = new TestObject(core.get());
        core->appendObject(a);
        core->appendObject(b);
        QPointer<TestObject> stranger = new TestObject(core.get());
        QCOMPARE(core->removeObject(nullptr), 2);
        QCOMPARE(core->removeObject(stranger), 2);
        QVERIFY(stranger);
        QCOMPARE(core->removeObject(a), 0);
        QVERIFY(!a);
        QCOMPARE(core->objects(), QVector<kuChartObject*>{b.data()});
        delete stranger.data();
    }

    // A redraw drops what was deleted and, after a change of candles, refills the values
    // oldest first and recalculates the indicators and the volume object once.
    void redrawData()
    {
        TestObject* volume = nullptr;
        kuChartMakers::setVolumeMaker([&volume](kuChartCore* core, const QJsonObject&) {
            volume = new TestObject(core, otIndicatorPane, true);
            return volume;
        });
        auto core = loadedCore();
        kuChartMakers::setVolumeMaker({});
        QVERIFY(volume);
        QCOMPARE(core->volumeObject(), volume);
        QVERIFY(!volume->isVisible());
        const int volumeBefore = volume->recalculations;
        auto* indicator = new TestObject(core.get(), otIndicatorPane, true);
        auto* drawing = new TestObject(core.get(), otTrendLine, false);
        QPointer<TestObject> deleted = new TestObject(core.get(), otIndicatorPane, true);
        for (auto* o : {indicator, drawing, deleted.data()})
            core->appendObject(o);
        deleted->setDeleted(true);
        core->markSeriesChanged();
        core->redraw();
        QVERIFY(!deleted);
        QCOMPARE(core->objects().size(), 2);
        QCOMPARE(indicator->recalculations, 1);
        QCOMPARE(indicator->seen, 30);
        QCOMPARE(volume->recalculations, volumeBefore + 1);
        QCOMPARE(drawing->recalculations, 0);
        QCOMPARE(core->openSeries()->first(), 100.0); // oldest
        QCOMPARE(core->closeSeries()->last(), 130.0); // newest
        QCOMPARE(core->volumeSeries()->last(), 39.0);
        QCOMPARE(core->priceTick(), 0.01);

        core->redraw(); // nothing changed: no recalculation
        QCOMPARE(indicator->recalculations, 1);

        const QJsonObject volumeSettings = core->volumeSettings();
        QCOMPARE(volumeSettings.value("name").toString(), QString("volumeSetting"));
        QCOMPARE(volumeSettings.value("label").toString(), QString("Настройка объема"));
        QCOMPARE(volumeSettings.value("params").toArray().size(), 2);
        core->applySettings({QJsonObject{{"name", "volumeSetting"}, {"params", QJsonArray{param("period", 3)}}}});
        QCOMPARE(volume->period, 3);
    }

    // Without a volume maker there is no volume object; its descriptor still has name and label.
    void noVolumeObject()
    {
        auto core = loadedCore();
        QVERIFY(!core->volumeObject());
        QCOMPARE(core->volumeSettings(), (QJsonObject{{"name", "volumeSetting"}, {"label", "Настройка объема"}}));
        core->applySettings({QJsonObject{{"name", "volumeSetting"}, {"params", QJsonArray{param("period", 3)}}}});
    }
};

QTEST_MAIN(tst_ChartCore)
#include "tst_chartcore.moc"
