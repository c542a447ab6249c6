#pragma once

#include "kuchartload.h"
#include "kuchartobjecttype.h"
#include "kuwindowbase.h"

#include <QDate>
#include <QJsonObject>
#include <QSharedPointer>
#include <QTime>
#include <QVariant>
#include <QVariantList>

#include <memory>

class QGraphicsView;
class kuCandleStore;
class kuChartCore;
class kuChartToolBar;

namespace Ui {
class kuChart;
}

// The candle chart of one instrument. It asks the server for the candles its
// cache lacks, loads the cache on the global pool once the reply is stored,
// shows the newest candles of its time frame and follows live candles.
class kuChart : public kuWindowBase
{
    Q_OBJECT

public:
    // What subscribe() asks for: decimal seconds since the epoch.
    struct CandleRange
    {
        QString minuteStart;
        QString end;
        QString dailyStart;
    };

    explicit kuChart(QWidget* parent = nullptr);
    ~kuChart() override;

    // Lets the main window make charts.
    static void registerWithClient();

    // Binds the window to an instrument and asks for its candles.
    void setPaper(int paperID);
    WinType winType() const override { return wtChart; }
    void subscribe() override;
    // The base's object with "settings" (chart and volume descriptors) and "object".
    QJsonObject saveSettings() override;
    // Kept in the chart core until its first redraw with a series shown.
    void restoreSettings(QJsonObject settings) override;

    kuChartCore* chartCore() const { return m_core; }
    // Null for no window.
    static kuChartCore* chartCore(const kuChart* chart) { return chart ? chart->m_core : nullptr; }
    QGraphicsView* graphicsView() const;
    kuChartToolBar* toolBar() const;
    // Called from the scene's context menu; nothing before the toolbar exists.
    void setToolBarVisible(bool visible);
    // Refills the item pool and redraws: after the settings changed the chart's look.
    void rebuildChart();
    // A load runs and its result has not been taken in yet.
    bool isLoading() const { return m_loading; }

    // The request for what the cache lacks (its newest stored times, 0 for none) at the server's clock.
    static CandleRange candleRange(quint64 newestMinute, quint64 newestDay, const QDate& serverDate,
                                   const QTime& serverTime);
    // Applies live candles to the series; whether the shown candles changed.
    bool applyLiveCandles(const QJsonObject& update);
    // The store charts read, shared with the loads that still run.
    static QSharedPointer<kuCandleStore> candleStore();
    // The name a picture is saved under: ".png" added unless it ends so, in any letter case.
    static QString pngFileName(const QString& chosen);

public slots:
    // The settings dialog on page 0 (objects) or 1 (chart), with the entry of that name chosen.
    void showProperties(int numPage, QString objectName);
    void showIndicators();
    // Saves the view as a PNG file the user names.
    void chartPrint();
    // Switches to the instrument and loads it anew; the objects stay when it is the same one.
    void reloadChart(int paperID);
    void slot_changeToolBarOrientation(Qt::Orientation orientation);
    void slot_changeChartStyle(int style);
    void slot_changeTimeFrame(int type);
    // A new drawing object, handed to the mouse for placing.
    void slot_createObject(kuChartObjectType type);
    void slot_snapshotChartData(int PaperID, QVariant data);
    void slot_recevieLiveCandle(int PaperID, QVariant data);
    // Takes in a finished load: one for another instrument or an older load is dropped.
    void slot_afterLoadDataFromDB(kuChartLoad load);
    // true hides every chart object, false shows them.
    void slot_showHideDrawing(bool showHide);
    // Marks only; the next redraw removes.
    void slot_deleteObject(QString objectName);
    void slot_deleteAllObject();

private:
    void setUpConnections();
    void startLoad();
    void showLoadedSeries();

    std::unique_ptr<Ui::kuChart> ui;
    kuChartCore* m_core = nullptr;
    // Every load gets the next number; only the newest one is taken in.
    int m_loadGeneration = 0;
    bool m_loading = false;
    // A load dropped the damaged cache and the candles were asked for again.
    bool m_refillingDroppedCache = false;
    // Live updates that came while a load ran, applied again to its series.
    QVariantList m_liveDuringLoad;
};
