// The volume pane every chart has: hidden until switched on, below every
// indicator pane, bars coloured against the next older candle, caption texts,
// its settings page and button, and no bars left over when nothing is drawn.
#include <QtTest>

#include "chartfixture.h"
#include "kuchartgraphicsitem.h"
#include "kuchartindicators.h"
#include "kuchartobjectvolume.h"
#include "kuchartsubpanes.h"

#include <QGraphicsProxyWidget>
#include <QGraphicsSimpleTextItem>
#include <QToolButton>

#include <memory>

namespace {

// Candles with the volumes given newest first.
std::unique_ptr<kuChartCore> coreWithVolumes(const QVector<double>& newestFirst, int width = 800, int height = 600)
{
    QVector<kuChartCandle> candles;
    for (int i = 0; i < newestFirst.size(); ++i) {
        kuChartCandle c = chartfixture::candle(100, 102, 99, 101, chartrows::t0 - quint64(i) * 60);
        c.volume = newestFirst.at(i);
        candles.append(c);
    }
    return chartfixture::coreWith(chartfixture::seriesFrom(1, candles), width, height);
}

kuChartObjectVolume* volumeOf(const kuChartCore& core)
{
    return qobject_cast<kuChartObjectVolume*>(core.volumeObject());
}

kuChartObjectVolume_p* barsOf(const kuChartCore& core)
{
    return qobject_cast<kuChartObjectVolume_p*>(volumeOf(core)->children().value(0));
}

// The page the settings dialog edits, with one value changed; children are searched too.
void setParam(QJsonObject& json, const QString& name, const QJsonValue& value)
{
    QJsonArray params = json.value("params").toArray();
    for (int i = 0; i < params.size(); ++i) {
        QJsonObject p = params.at(i).toObject();
        if (p.value("name").toString() == name) {
            p.insert("value", value);
            params.replace(i, p);
        }
    }
    json.insert("params", params);
    QJsonArray children = json.value("childrenObject").toArray();
    for (int i = 0; i < children.size(); ++i) {
        QJsonObject child = children.at(i).toObject();
        setParam(child, name, value);
        children.replace(i, child);
    }
    if (!children.isEmpty())
        json.insert("childrenObject", children);
}

void showVolume(kuChartCore& core, bool show = true)
{
    QJsonObject page = core.volumeSettings();
    setParam(page, "isVisible", show);
    core.applySettings({page});
}

QStringList paramNames(const QJsonObject& json)
{
    QStringList names;
    for (const QJsonValue& p : json.value("params").toArray())
        names << p.toObject().value("name").toString();
    return names;
}

QJsonObject paramOf(const QJsonObject& json, const QString& name)
{
    for (const QJsonValue& p : json.value("params").toArray()) {
        if (p.toObject().value("name").toString() == name)
            return p.toObject();
    }
    return {};
}

QVector<kuChartGraphicsRectItem*> drawnBars(const kuChartObjectVolume_p* bars)
{
    QVector<kuChartGraphicsRectItem*> drawn;
    for (kuChartGraphicsItem* item : bars->itemPool()) {
        auto* rect = dynamic_cast<kuChartGraphicsRectItem*>(item);
        if (rect && rect->isVisible() && rect->rect() != QRectF(0, 0, 0, 0))
            drawn << rect;
    }
    return drawn;
}

// The x at the middle of a candle's slot.
int xOfCandle(const kuChartCore& core, int index)
{
    const double slot = core.candleWidth() * core.candleSpacing();
    return int(core.plotLeft() + core.plotWidth() - slot * (index - core.firstVisible() + 0.5));
}

} // namespace

class tst_Volume : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { kuChartIndicators::registerWithChart(); }

    // A new chart has the pane switched off; the setting adds it at the bottom.
    void hiddenUntilSwitchedOn()
    {
        auto core = coreWithVolumes({30, 20, 10, 40, 50, 60, 70, 80});
        kuChartObjectVolume* volume = volumeOf(*core);
        QVERIFY(volume);
        QVERIFY(!volume->isVisible());
        QCOMPARE(core->visibleSubPaneCount(), 0);
        QVERIFY(drawnBars(barsOf(*core)).isEmpty());
        QVERIFY(!volume->separator()->isVisible());

        const QJsonObject shown = paramOf(core->volumeSettings(), "isVisible");
        QCOMPARE(shown.value("label").toString(), QString("Показать объем"));
        QCOMPARE(shown.value("hidden").toBool(), false);
        QCOMPARE(shown.value("availableValue").toObject(), (QJsonObject{{"Да", true}, {"Нет", false}}));

        auto* rsi = new kuChart_TA_RSI(core.get(), QJsonObject());
        auto* atr = new kuChart_TA_ATR(core.get(), QJsonObject());
        core->appendObject(rsi);
        core->appendObject(atr);
        showVolume(*core);
        core->redraw();
        QVERIFY(volume->isVisible());
        QCOMPARE(core->visibleSubPaneCount(), 3);
        const double height = volume->paneHeight();
        QVERIFY(height > 0);
        QCOMPARE(atr->paneTop(), rsi->paneTop() + height);
        QCOMPARE(volume->paneTop(), atr->paneTop() + height);
        QCOMPARE(drawnBars(barsOf(*core)).size(), 8);

        showVolume(*core, false);
        core->redraw();
        QCOMPARE(core->visibleSubPaneCount(), 2);
        QVERIFY(drawnBars(barsOf(*core)).isEmpty());
    }

    // Each bar against the next older candle; equal or no older candle: up.
    void colours_data()
    {
        QTest::addColumn<QVector<double>>("volumes"); // newest first
        QTest::addColumn<int>("first");               // first visible candle
        QTest::addColumn<QString>("colours");         // from the newest visible bar
        QTest::newRow("equal") << QVector<double>{5, 5, 5} << 0 << "uuu";
        QTest::newRow("rise and fall") << QVector<double>{3, 5, 4, 4, 6} << 0 << "duudu";
        QTest::newRow("scrolled") << QVector<double>{3, 5, 4, 4, 6} << 2 << "udu";
        QTest::newRow("oldest alone in view") << QVector<double>{1, 9, 2} << 2 << "u";
        QTest::newRow("two candles") << QVector<double>{1, 2} << 0 << "du";
    }
    void colours()
    {
        QFETCH(QVector<double>, volumes);
        QFETCH(int, first);
        QFETCH(QString, colours);
        auto core = coreWithVolumes(volumes);
        showVolume(*core);
        core->currentSeries()->firstVisible = first;
        core->redraw();
        QCOMPARE(core->firstVisible(), first);
        kuChartObjectVolume_p* bars = barsOf(*core);
        bars->setVolumeUpColor(Qt::blue);
        bars->setVolumeDownColor(Qt::yellow);
        core->redraw();
        const QVector<kuChartGraphicsRectItem*> drawn = drawnBars(bars);
        QString got;
        for (kuChartGraphicsRectItem* bar : drawn) {
            const QColor fill = bar->brush().color();
            got += fill == QColor(Qt::blue) ? 'u' : fill == QColor(Qt::yellow) ? 'd' : '?';
            QCOMPARE(bar->pen().color(), core->foreColor());
            QCOMPARE(bar->rect().width(), double(core->candleWidth()));
            // Bars stand on the pane's zero line.
            QCOMPARE(bar->rect().bottom(), bars->valueToY(0));
        }
        QCOMPARE(got, colours);
        // The tallest visible bar sets the top of the value axis.
        const double highest = *std::max_element(volumes.begin() + first, volumes.end());
        QCOMPARE(bars->valueRange(), qMakePair(1.05 * highest, 0.0));
    }

    void captions_data()
    {
        QTest::addColumn<double>("volume");
        QTest::addColumn<QString>("text");
        QTest::newRow("millions") << 1234567.0 << "Объем: 1 234 567";
        QTest::newRow("thousand") << 1000.0 << "Объем: 1 000";
        QTest::newRow("below a thousand") << 999.0 << "Объем: 999";
        QTest::newRow("none traded") << 0.0 << "Объем: 0";
    }
    void captions()
    {
        QFETCH(double, volume);
        QFETCH(QString, text);
        auto core = coreWithVolumes({volume, 7});
        kuChartObjectVolume* pane = volumeOf(*core);
        QCOMPARE(barsOf(*core)->valueText(0), text);
        QCOMPARE(pane->valueText(0), " " + text);
        QCOMPARE(barsOf(*core)->valueText(2), QString());
        QCOMPARE(pane->valueText(-1), QString(" "));

        showVolume(*core);
        core->redraw();
        // No value yet: the caption shows no name of its own.
        QCOMPARE(pane->caption()->text().trimmed(), QString());
        core->showCursorInfo(xOfCandle(*core, 0));
        QCOMPARE(pane->caption()->text(), " " + text);
        core->showCursorInfo(int(core->plotRight()) + 5);
        QCOMPARE(pane->caption()->text(), QString(" "));
    }

    // The settings page carries the switch and the two colours; an edited page comes back.
    void settingsRoundTrip()
    {
        auto core = coreWithVolumes({4, 3, 2, 1});
        kuChartObjectVolume* volume = volumeOf(*core);
        const QJsonObject json = volume->toJson();
        QCOMPARE(json.value("type").toInt(), int(otIndicatorPane));
        QCOMPARE(json.value("indType").toInt(), -10);
        QCOMPARE(json.value("label").toString(), QString("chartObject"));
        QCOMPARE(paramNames(json), (QStringList{"color", "isVisible"}));
        QVERIFY(paramOf(json, "color").value("hidden").toBool());
        const QJsonArray children = json.value("childrenObject").toArray();
        QCOMPARE(children.size(), 1);
        const QJsonObject series = children.first().toObject();
        QCOMPARE(series.value("type").toInt(), int(otVolumeBars));
        QCOMPARE(series.value("indType").toInt(), -1010);
        QCOMPARE(paramNames(series), (QStringList{"color", "volumeUpColor", "volumeDownColor"}));
        QVERIFY(paramOf(series, "color").value("hidden").toBool());
        QCOMPARE(paramOf(series, "volumeUpColor").value("label").toString(), QString("Up volume"));
        QCOMPARE(paramOf(series, "volumeUpColor").value("value").toString(), QString("#00ff00"));
        QCOMPARE(paramOf(series, "volumeDownColor").value("label").toString(), QString("Down volume"));
        QCOMPARE(paramOf(series, "volumeDownColor").value("value").toString(), QString("#ff0000"));
        QVERIFY(!paramOf(series, "volumeDownColor").value("hidden").toBool());

        QJsonObject page = core->volumeSettings();
        setParam(page, "isVisible", true);
        setParam(page, "volumeUpColor", "#0000ff");
        setParam(page, "volumeDownColor", "#ffff00");
        auto restored = coreWithVolumes({4, 3, 2, 1});
        const QString name = volumeOf(*restored)->objectName();
        restored->setPendingState(QJsonObject{{"settings", QJsonArray{page}}});
        restored->redraw();
        QVERIFY(volumeOf(*restored)->isVisible());
        QCOMPARE(volumeOf(*restored)->objectName(), name);
        QCOMPARE(barsOf(*restored)->volumeUpColor(), QColor(Qt::blue));
        QCOMPARE(barsOf(*restored)->volumeDownColor(), QColor(Qt::yellow));
        QCOMPARE(drawnBars(barsOf(*restored)).size(), 4);
    }

    // One button, where a pane's close button would be, opening the volume page.
    void settingsButton()
    {
        auto core = coreWithVolumes({4, 3, 2, 1});
        kuChartObjectVolume* volume = volumeOf(*core);
        QCOMPARE(volume->headerWidgets().size(), 1);
        auto* button = qobject_cast<QToolButton*>(volume->headerWidgets().first()->widget());
        QVERIFY(button);
        QCOMPARE(button->objectName(), QString("subChartEditBtn"));
        QCOMPARE(button->toolTip(), QString("Настройка"));
        showVolume(*core);
        core->redraw();
        QCOMPARE(volume->headerWidgets().first()->geometry(),
                 QRectF(double(core->plotRight()) - 24, volume->paneTop() + 4, 22, 22));

        QSignalSpy spy(core.get(), &kuChartCore::signal_onModifyObject);
        button->click();
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.first().value(0).toInt(), 1);
        QCOMPARE(spy.first().value(1).toString(), QString("volumeSetting"));
    }

    // A later drawing with nothing to show leaves none of the earlier bars.
    void nothingDrawnLeavesNoBars_data()
    {
        QTest::addColumn<QVector<double>>("volumes");
        QTest::addColumn<int>("viewHeight");
        QTest::newRow("one candle") << QVector<double>{5} << 600;
        QTest::newRow("no candles") << QVector<double>{} << 600;
        QTest::newRow("no room for the pane") << QVector<double>{5, 6, 7} << 40;
    }
    void nothingDrawnLeavesNoBars()
    {
        QFETCH(QVector<double>, volumes);
        QFETCH(int, viewHeight);
        auto core = coreWithVolumes({5, 6, 7, 8, 9, 10});
        showVolume(*core);
        core->redraw();
        QCOMPARE(drawnBars(barsOf(*core)).size(), 6);

        QVector<kuChartCandle>& candles = core->currentSeries()->candles;
        candles.resize(volumes.size());
        for (int i = 0; i < volumes.size(); ++i)
            candles[i].volume = volumes.at(i);
        core->setViewSize(800, viewHeight);
        core->markSeriesChanged();
        core->redraw();
        QCOMPARE(barsOf(*core)->series(), volumes);
        QVERIFY(drawnBars(barsOf(*core)).isEmpty());
    }
};

QTEST_MAIN(tst_Volume)
#include "tst_volume.moc"
