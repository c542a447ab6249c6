#include "kuchart.h"

#include "kuabstractconn.h"
#include "kuabstractdataconverter.h"
#include "kucandlestore.h"
#include "kuchartcore.h"
#include "kuchartdialogs.h"
#include "kucharteventfilter.h"
#include "kuchartloader.h"
#include "kuchartmakers.h"
#include "kuchartobject.h"
#include "kuchartpropertyvalue.h"
#include "kuchartsettings.h"
#include "kucharttoolbar.h"
#include "kuclient.h"
#include "kugraphicsscene.h"
#include "kupaperlist.h"
#include "kurecordkeys.h"
#include "serverclock.h"
#include "ui_kuchart.h"

#include <QDateTime>
#include <QDebug>
#include <QFutureWatcher>
#include <QGraphicsView>
#include <QJsonArray>
#include <QMutexLocker>
#include <QPixmap>
#include <QtConcurrent>

#include <utility>

namespace {

namespace cd = kuKeys::candle;

// Live updates kept while a load runs; a stalled load must not grow them for ever.
constexpr int maxLiveDuringLoad = 10000;
// The exchange's wall clock runs at UTC+3.
constexpr int serverOffsetSeconds = 10800;

QJsonObject jsonOf(const QVariant& data)
{
    if (data.canConvert<QJsonObject>())
        return data.toJsonObject();
    return QJsonObject::fromVariantMap(data.toMap());
}

// The first series of the time frame that has candles, or null.
kuChartSeries* seriesWithCandles(const kuChartCore* core, int timeFrame)
{
    for (int i = 0; i < core->seriesCount(); ++i) {
        kuChartSeries* s = core->series(i);
        if (s->timeFrame == timeFrame && !s->candles.isEmpty())
            return s;
    }
    return nullptr;
}

// A new candle goes before the newest. A series scrolled back, its newest candle
// off screen, keeps the same candles in view; at the right edge it follows.
void prependCandle(kuChartSeries& series, const kuChartCandle& candle)
{
    series.candles.prepend(candle);
    if (series.firstVisible > 0)
        ++series.firstVisible;
}

// A closed candle makes final the provisional one of its time among the newest
// two (a forming candle of the next period may already stand before it), or
// starts a later period; anything else is old news.
void placeClosed(kuChartSeries& series, const kuChartCandle& candle)
{
    QVector<kuChartCandle>& list = series.candles;
    for (int i = 0; i < std::min(2, list.size()); ++i) {
        if (list.at(i).provisional && list.at(i).time == candle.time) {
            list[i] = candle;
            return;
        }
    }
    if (candle.time > list.first().time)
        prependCandle(series, candle);
}

// A forming candle follows the head of its time, or starts a later period.
void placeForming(kuChartSeries& series, const kuChartCandle& candle)
{
    QVector<kuChartCandle>& list = series.candles;
    if (candle.time == list.first().time)
        list.first() = candle;
    else if (candle.time > list.first().time)
        prependCandle(series, candle);
}

} // namespace

kuChart::kuChart(QWidget* parent) : kuWindowBase(parent), ui(new Ui::kuChart)
{
    ui->setupUi(this);
    m_core = new kuChartCore(this);
    m_core->setViewSize(width(), height());
    m_core->initScene();
    auto* filter = new kuChartEventFilter(ui->graphicsView);
    ui->graphicsView->installEventFilter(filter);
    ui->graphicsView->setScene(m_core->scene());
    ui->graphicsView->viewport()->setMouseTracking(true);
    ui->graphicsView->setMouseTracking(true);
    setFocusProxy(ui->graphicsView);
    setUpConnections();
}

void kuChart::setUpConnections()
{
    kuChartToolBar* bar = ui->chartToolBar;
    connect(bar, &QToolBar::orientationChanged, this, &kuChart::slot_changeToolBarOrientation);
    connect(bar, &kuChartToolBar::signal_onChangeChartStyle, this, &kuChart::slot_changeChartStyle);
    connect(bar, &kuChartToolBar::signal_onDrawFibo, this, &kuChart::slot_createObject);
    connect(bar, &kuChartToolBar::signal_onDrawLines, this, &kuChart::slot_createObject);
    connect(bar, &kuChartToolBar::signal_createTextObject, this, &kuChart::slot_createObject);
    connect(bar, &kuChartToolBar::signal_onChangeTimeFrame, this, &kuChart::slot_changeTimeFrame);
    connect(bar, &kuChartToolBar::signal_onClickPropertie, this, &kuChart::showProperties);
    connect(bar, &kuChartToolBar::signal_onClickIndicators, this, &kuChart::showIndicators);
    connect(m_core, &kuChartCore::signal_onChangeChartStyle, bar, &kuChartToolBar::setChartType);
    connect(m_core, &kuChartCore::signal_onChangeTimeFrame, bar, &kuChartToolBar::setChartTimeFrame);
    connect(m_core, &kuChartCore::signal_onModifyObject, this, &kuChart::showProperties);
    connect(bar, &kuChartToolBar::signal_onClickPrint, this, &kuChart::chartPrint);
    connect(bar, &kuChartToolBar::signal_onShowHideDrawing, this, &kuChart::slot_showHideDrawing);
    connect(
            bar, &kuChartToolBar::signal_onDeleteAllObjects, this,
            [this] {
                slot_deleteAllObject();
                m_core->rebuild();
            },
            Qt::DirectConnection);
    connect(m_core->scene(), &kuGraphicsScene::on_reloadPaperID, this, &kuChart::reloadChart);
}

kuChart::~kuChart()
{
    delete m_core;
    m_core = nullptr;
}

void kuChart::registerWithClient()
{
    kuClient::setWindowMaker(wtChart, [](QWidget* parent, int paperID) -> kuWindowBase* {
        auto* chart = new kuChart(parent);
        chart->setPaper(paperID);
        return chart;
    });
}

QGraphicsView* kuChart::graphicsView() const
{
    return ui->graphicsView;
}

kuChartToolBar* kuChart::toolBar() const
{
    return ui->chartToolBar;
}

void kuChart::setToolBarVisible(bool visible)
{
    if (ui->chartToolBar)
        ui->chartToolBar->setVisible(visible);
}

void kuChart::rebuildChart()
{
    m_core->clearItemPool();
    m_core->redraw();
}

QSharedPointer<kuCandleStore> kuChart::candleStore()
{
    static const QSharedPointer<kuCandleStore> store = QSharedPointer<kuCandleStore>::create();
    return store;
}

void kuChart::setPaper(int paperID)
{
    setPaperID(paperID);
    if (const QSharedPointer<kuPaperInfo> paper = kuPaperList::instance()->paper(paperID)) {
        m_core->setTitle(paper->ticker());
        m_core->setCaption(paper->ticker(), paper->issuer());
        m_core->setPriceDecimals(paper->decimals());
        m_core->setPriceStep(paper->priceStep());
        setWindowTitle(tr("График %1").arg(paper->issuer()));
        if (!candleStore()->createTables(paperID))
            qWarning() << "Candle cache tables of" << paperID << "could not be made";
    }
    subscribe();
}

kuChart::CandleRange kuChart::candleRange(quint64 newestMinute, quint64 newestDay, const QDate& serverDate,
                                          const QTime& serverTime)
{
    CandleRange range;
    // The newest stored candle is asked for again: it may have been stored before it closed.
    range.minuteStart =
            newestMinute > 0
                    ? QString::number(newestMinute)
                    : QString::number(
                              QDateTime(serverDate.addMonths(-1), QTime(3, 0), Qt::LocalTime).toMSecsSinceEpoch() /
                              1000);
    range.dailyStart = newestDay > 0 ? QString::number(newestDay) : QStringLiteral("1262304000");
    range.end = QString::number(
            QDateTime(serverDate, serverTime, Qt::OffsetFromUTC, serverOffsetSeconds).toSecsSinceEpoch());
    return range;
}

void kuChart::subscribe()
{
    requestSnapshot(this, &kuAbstractDataConverter::on_snapshotChart, &kuChart::slot_snapshotChartData,
                    [this](kuAbstractConn* conn) {
                        const kuCandleStore::Newest newest = candleStore()->newestTimes(paperID());
                        const CandleRange range = candleRange(newest.minute, newest.day, serverDate(), serverTime());
                        conn->getCandles(paperID(), range.minuteStart, range.end, range.dailyStart);
                    });
}

void kuChart::slot_snapshotChartData(int PaperID, QVariant)
{
    if (PaperID != paperID())
        return;
    endSnapshot(this, &kuAbstractDataConverter::on_snapshotChart, &kuChart::slot_snapshotChartData);
    startLoad();
}

void kuChart::startLoad()
{
    const int generation = ++m_loadGeneration;
    const int paper = paperID();
    const QSharedPointer<kuCandleStore> store = candleStore();
    if (!m_loading)
        m_liveDuringLoad.clear();
    m_loading = true;
    // The job owns its result and holds nothing of the window, which may be gone when it ends.
    auto* watcher = new QFutureWatcher<kuChartLoad>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        watcher->deleteLater();
        slot_afterLoadDataFromDB(watcher->result());
    });
    watcher->setFuture(
            QtConcurrent::run([store, paper, generation] { return kuChartLoader::load(*store, paper, generation); }));
    showLightBox();
}

void kuChart::slot_afterLoadDataFromDB(kuChartLoad load)
{
    if (load.paperId != paperID() || load.generation != m_loadGeneration) {
        qDebug() << "Chart of" << paperID() << "dropped an outdated load of" << load.paperId;
        return;
    }
    m_loading = false;
    const QVariantList backlog = std::exchange(m_liveDuringLoad, {});
    if (load.failed && load.cacheDropped && !m_refillingDroppedCache) {
        // Once: a cache that is damaged again is no longer the cache's fault.
        m_refillingDroppedCache = true;
        qWarning() << "Chart of" << paperID() << "asks the server again for the candles of its dropped cache";
        subscribe();
        return;
    }
    if (load.failed) {
        slot_showError(wtChart, tr("Не удалось построить график по данному финансовому инструменту"), paperID());
        return;
    }
    m_refillingDroppedCache = false;
    m_core->setSeries(std::move(load.series));
    showLoadedSeries();
    // What came live during the load is newer than the cache the load read.
    for (const QVariant& update : backlog)
        applyLiveCandles(jsonOf(update));
    resize(width(), height() + 1);
    hideLightBox();
    ui->graphicsView->setEnabled(true);
    ui->graphicsView->viewport()->setEnabled(true);
    if (const QPointer<kuAbstractDataConverter> source = converter())
        connect(source, &kuAbstractDataConverter::on_updateChart, this, &kuChart::slot_recevieLiveCandle,
                Qt::UniqueConnection);
    m_core->markSeriesChanged();
    m_core->redraw();
}

void kuChart::showLoadedSeries()
{
    // The time frame shown before stays, at its newest candles; the first series otherwise.
    int index = m_core->timeFrame() == -1 ? 0 : m_core->indexOfTimeFrame(m_core->timeFrame());
    if (index < 0)
        index = 0;
    kuChartSeries* s = m_core->series(index);
    if (!s)
        return;
    s->firstVisible = 0;
    s->rightSpace = 0.0;
    m_core->setCaption(m_core->title() + QStringLiteral(" - ") + s->name, m_core->subtitle());
    m_core->showSeries(index);
    m_core->setTimeFrame(s->timeFrame);
    m_core->setChartReady(true);
}

bool kuChart::applyLiveCandles(const QJsonObject& update)
{
    const int updateType = update.value(cd::updateType).toInt();
    const QJsonArray list = update.value(cd::candles).toArray();
    const int shownBefore = m_core->candles().size();
    bool changed = false;
    for (const QJsonValue& element : list) {
        const QJsonObject json = element.toObject();
        const int timeFrame = json.value(cd::timeFrame).toInt();
        kuChartSeries* target = nullptr;
        if (updateType == 1) {
            target = seriesWithCandles(m_core, timeFrame);
            changed = changed || timeFrame == m_core->timeFrame();
        } else if (updateType == 2) {
            if (m_core->candles().isEmpty())
                break;
            if (timeFrame == m_core->timeFrame())
                target = m_core->currentSeries();
        }
        if (!target)
            continue;
        bool valid = false;
        kuChartCandle candle = kuChartCandle::fromJson(json, &valid);
        if (!valid) {
            qWarning() << "Live candle of" << paperID() << "dropped: missing or impossible values" << json;
            continue;
        }
        candle.provisional = updateType == 2;
        if (updateType == 1)
            placeClosed(*target, candle);
        else
            placeForming(*target, candle);
    }
    return changed || m_core->candles().size() != shownBefore;
}

void kuChart::slot_recevieLiveCandle(int PaperID, QVariant data)
{
    if (PaperID != paperID())
        return;
    const QJsonObject update = jsonOf(data);
    if (update.isEmpty())
        return;
    if (m_loading && m_liveDuringLoad.size() < maxLiveDuringLoad)
        m_liveDuringLoad.append(data);
    m_core->markSeriesChanged(applyLiveCandles(update));
    m_core->redraw();
}

QJsonObject kuChart::saveSettings()
{
    QJsonObject state = kuWindowBase::saveSettings();
    const QJsonObject pending = m_core->pendingState();
    // A restored state not applied yet (no candles shown so far) is the user's: it is saved as it came.
    if (pending.contains(QStringLiteral("settings")) || pending.contains(QStringLiteral("object"))) {
        for (const QString& key : {QStringLiteral("settings"), QStringLiteral("object")}) {
            if (pending.contains(key))
                state.insert(key, pending.value(key));
        }
        return state;
    }
    state.insert(QStringLiteral("settings"), QJsonArray{m_core->settingsDescriptor(), m_core->volumeSettings()});
    QJsonArray objects;
    for (kuChartObject* object : m_core->objects()) {
        // One still being placed is no drawing of the user's yet.
        if (object->isDeleted() || !object->isPlaced())
            continue;
        const QJsonObject json = object->toJson();
        if (!json.isEmpty())
            objects.append(json);
    }
    state.insert(QStringLiteral("object"), objects);
    return state;
}

void kuChart::restoreSettings(QJsonObject settings)
{
    if (settings.isEmpty())
        return;
    m_core->setPendingState(settings);
}

void kuChart::slot_changeToolBarOrientation(Qt::Orientation orientation)
{
    // The toolbar has not been laid out anew yet: its old thickness is what it frees.
    const QRect bar = ui->chartToolBar->geometry();
    if (orientation == Qt::Horizontal)
        m_core->setViewSize(width(), height() - bar.width() + 20);
    else
        m_core->setViewSize(width() - bar.height() + 20, height());
    m_core->redraw();
}

void kuChart::slot_changeChartStyle(int style)
{
    m_core->setChartStyle(style);
}

void kuChart::slot_changeTimeFrame(int type)
{
    m_core->setTimeFrame(type);
}

void kuChart::slot_showHideDrawing(bool showHide)
{
    if (showHide)
        m_core->hideAllObjects();
    else
        m_core->showAllObjects();
    m_core->rebuild();
}

void kuChart::showIndicators()
{
    const kuChartMakers::IndicatorChooser choose = kuChartMakers::indicatorChooser();
    if (!choose)
        return;
    if (kuChartObject* object = choose(m_core, this)) {
        m_core->appendObject(object);
        m_core->rebuild();
    }
}

void kuChart::slot_createObject(kuChartObjectType type)
{
    kuChartObject* object = m_core->createObject(type, QJsonObject());
    if (!object)
        return;
    m_core->scene()->setActiveObject(object);
    m_core->appendObject(object);
}

void kuChart::slot_deleteAllObject()
{
    for (kuChartObject* object : m_core->objects())
        object->setDeleted(true);
}

void kuChart::slot_deleteObject(QString objectName)
{
    for (kuChartObject* object : m_core->objects()) {
        if (object->objectName() == objectName) {
            object->setDeleted(true);
            return;
        }
    }
}

void kuChart::showProperties(int numPage, QString objectName)
{
    QJsonObject state = saveSettings();
    // The dialog takes no fraction for a whole-number parameter; a saved state does not say which.
    QJsonArray settings = state.value(QStringLiteral("settings")).toArray();
    if (!settings.isEmpty()) {
        QJsonObject chart = settings.at(0).toObject();
        QJsonArray params = chart.value(QStringLiteral("params")).toArray();
        kuChartPropertyValue::markWholeNumbers(m_core, params);
        chart.insert(QStringLiteral("params"), params);
        settings.replace(0, chart);
    }
    if (settings.size() > 1 && m_core->volumeObject()) {
        QJsonObject volume = settings.at(1).toObject();
        m_core->volumeObject()->markWholeNumbers(volume);
        settings.replace(1, volume);
    }
    state.insert(QStringLiteral("settings"), settings);
    QJsonArray objects = state.value(QStringLiteral("object")).toArray();
    for (int i = 0; i < objects.size(); ++i) {
        QJsonObject json = objects.at(i).toObject();
        if (const kuChartObject* object = m_core->objectByName(json.value(QStringLiteral("name")).toString()))
            object->markWholeNumbers(json);
        objects.replace(i, json);
    }
    state.insert(QStringLiteral("object"), objects);
    auto* dialog = new kuChartSettings(this);
    dialog->setSettings(state);
    dialog->setCurrentTab(numPage);
    dialog->selectObject(objectName);
    connect(dialog, &kuChartSettings::on_deleteObject, this, &kuChart::slot_deleteObject);
    connect(dialog, &kuChartSettings::on_deleteAllObject, this, &kuChart::slot_deleteAllObject);
    // Objects marked in the dialog keep their place until it is answered.
    m_core->setRedrawSuspended(true);
    bool accepted = false;
    if (kuChartDialogs::exec(dialog) == QDialog::Accepted) {
        const QJsonObject edited = dialog->settings();
        if (!edited.isEmpty())
            m_core->setPendingState(edited);
        accepted = true;
    }
    // Only what was deleted in the dialog (still visible) is given back or let go.
    QVector<QPointer<kuChartObject>> marked;
    for (kuChartObject* object : m_core->objects()) {
        if (object->isVisible() && object->isDeleted()) {
            object->setDeleted(false);
            object->setVisible(!accepted);
            marked.append(object);
        }
    }
    m_core->setRedrawSuspended(false);
    rebuildChart();
    for (const QPointer<kuChartObject>& object : marked) {
        if (object)
            object->setDeleted(accepted);
    }
    delete dialog;
}

QString kuChart::pngFileName(const QString& chosen)
{
    if (chosen.isEmpty() || chosen.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
        return chosen;
    return chosen + QStringLiteral(".png");
}

void kuChart::chartPrint()
{
    const QString fileName =
            pngFileName(kuChartDialogs::saveFileName(this, tr("Сохранить график"), tr("Изображение (*.png)")));
    if (fileName.isEmpty())
        return;
    const QPixmap picture = ui->graphicsView->grab(QRect(QPoint(0, 0), QSize(-1, -1)));
    if (!picture.save(fileName, "PNG")) {
        qWarning() << "Chart picture could not be saved to" << fileName;
        kuChartDialogs::warning(tr("Не удалось сохранить график в файл %1").arg(fileName));
    }
}

void kuChart::reloadChart(int paperID)
{
    const bool sameInstrument = paperID == this->paperID();
    ui->graphicsView->setEnabled(false);
    ui->graphicsView->viewport()->setEnabled(false);
    showLightBox();
    if (const QPointer<kuAbstractDataConverter> source = converter())
        disconnect(source, &kuAbstractDataConverter::on_updateChart, this, &kuChart::slot_recevieLiveCandle);
    {
        // Not held over setPaper: its request may run a nested event loop.
        QMutexLocker lock(mutex());
        unsubscribe();
        setPaperID(0);
        // A load still running is for what is about to go.
        ++m_loadGeneration;
        m_loading = false;
        m_liveDuringLoad.clear();
        m_core->setChartReady(false);
        m_core->clearSeries();
        if (!sameInstrument) {
            // The objects belong to the old instrument; whatever the mouse held goes with them.
            if (kuChartObject* held = m_core->scene()->grabbedObject())
                m_core->scene()->releaseActiveObject(held);
            while (!m_core->objects().isEmpty())
                m_core->removeObject(m_core->objects().last());
        }
        m_core->hideUnusedItems();
        m_core->hideGrid();
    }
    setPaper(paperID);
}
