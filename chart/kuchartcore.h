#pragma once

#include "kuchartobjecttype.h"
#include "kuchartpropertyinfo.h"
#include "kuchartseries.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QJsonArray>
#include <QJsonObject>
#include <QObject>
#include <QPen>
#include <QPointF>
#include <QVector>

#include <memory>
#include <vector>

class QGraphicsItem;
class QGraphicsLineItem;
class QGraphicsRectItem;
class QGraphicsTextItem;
class kuChartGraphicsItem;
class kuChartGraphicsLineItem;
class kuChartObject;
struct kuBarGeometry;
struct kuCandleGeometry;
struct kuLineGeometry;
class kuGraphicsScene;
class kuGraphicsTextItem;

// The engine of one chart window: the candle series of every time frame with
// the one shown, the value vectors indicators read, the scene with its fixed
// items, the chart objects and the volume object, and the user's chart
// settings as properties. GUI thread only.
class kuChartCore : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int chartStyle READ chartStyle WRITE setChartStyle)
    Q_PROPERTY(int timeFrame READ timeFrame WRITE setTimeFrame)
    Q_PROPERTY(bool showGrid READ showGrid WRITE setShowGrid)
    Q_PROPERTY(QColor backColor READ backColor WRITE setBackColor)
    Q_PROPERTY(QColor foreColor READ foreColor WRITE setForeColor)
    Q_PROPERTY(QColor gridColor READ gridColor WRITE setGridColor)
    Q_PROPERTY(QColor barColor READ barColor WRITE setBarColor)
    Q_PROPERTY(QColor lineColor READ lineColor WRITE setLineColor)
    Q_PROPERTY(QColor candleUpColor READ candleUpColor WRITE setCandleUpColor)
    Q_PROPERTY(QColor candleDownColor READ candleDownColor WRITE setCandleDownColor)
    Q_PROPERTY(QColor shadowUpColor READ shadowUpColor WRITE setShadowUpColor)
    Q_PROPERTY(QColor shadowDownColor READ shadowDownColor WRITE setShadowDownColor)
    Q_PROPERTY(int lineThickness READ lineThickness WRITE setLineThickness)

public:
    enum ChartStyle
    {
        JapaneseCandles = 200,
        Bars = 201,
        Line = 202
    };

    explicit kuChartCore(QObject* parent = nullptr);
    ~kuChartCore() override;

    // Second step of construction, once viewWidth and viewHeight are set.
    void initScene();

    // Properties.
    int chartStyle() const { return m_chartStyle; }
    void setChartStyle(int style);
    int timeFrame() const { return m_timeFrame; }
    void setTimeFrame(int timeFrame);
    bool showGrid() const { return m_showGrid; }
    void setShowGrid(bool show);
    QColor backColor() const { return m_backColor; }
    void setBackColor(const QColor& color);
    QColor foreColor() const { return m_foreColor; }
    void setForeColor(const QColor& color);
    QColor gridColor() const { return m_gridColor; }
    void setGridColor(const QColor& color);
    QColor barColor() const { return m_barColor; }
    void setBarColor(const QColor& color);
    QColor lineColor() const { return m_lineColor; }
    void setLineColor(const QColor& color);
    QColor candleUpColor() const { return m_candleUpColor; }
    void setCandleUpColor(const QColor& color);
    QColor candleDownColor() const { return m_candleDownColor; }
    void setCandleDownColor(const QColor& color);
    QColor shadowUpColor() const { return m_shadowUpColor; }
    void setShadowUpColor(const QColor& color);
    QColor shadowDownColor() const { return m_shadowDownColor; }
    void setShadowDownColor(const QColor& color);
    int lineThickness() const { return m_lineThickness; }
    void setLineThickness(int thickness);
    QColor textColor() const { return m_textColor; }

    kuGraphicsScene* scene() const { return m_scene; }
    int priceDecimals() const { return m_priceDecimals; }
    void setPriceDecimals(int decimals);
    // The paper's price step; 0 (the start) stands for one unit of the last decimal.
    double priceStep() const { return m_priceStep; }
    void setPriceStep(double step);
    // The price nearest to it on the price step, cut to the price decimals.
    double roundToPriceStep(double price) const;
    double priceTick() const { return m_priceTick; }
    bool isRedrawSuspended() const { return m_redrawSuspended; }
    void setRedrawSuspended(bool suspended);

    // Series, in the order they were given; each keeps its address while it is held.
    int seriesCount() const { return int(m_series.size()); }
    kuChartSeries* series(int index) const;
    void appendSeries(kuChartSeries series);
    // Replaces every series; the shown series is the empty one until one is chosen.
    void setSeries(QVector<kuChartSeries> series);
    void clearSeries();
    // The shown series: an empty series of the core's own until one is chosen. Never null.
    kuChartSeries* currentSeries() const { return m_currentSeries; }
    const QVector<kuChartCandle>& candles() const { return m_currentSeries->candles; }
    // Shows the series at index without a redraw; false for an index out of range.
    bool showSeries(int index);
    // Index of the first series of the time frame, or -1.
    int indexOfTimeFrame(int timeFrame) const;

    QString title() const { return m_title; }
    void setTitle(const QString& title) { m_title = title; }
    QString subtitle() const { return m_subtitle; }
    void setCaption(const QString& title, const QString& subtitle);
    // The caption's two lines at the plot's top left.
    void placeCaption();
    QGraphicsTextItem* titleItem() const { return m_titleItem; }
    QGraphicsTextItem* subtitleItem() const { return m_subtitleItem; }
    // Scene y just below the caption's lines that have text; 0 without a caption.
    qint64 captionBottom() const;

    bool isChartReady() const { return m_chartReady; }
    void setChartReady(bool ready) { m_chartReady = ready; }
    bool isSeriesChanged() const { return m_seriesChanged; }
    // Added to a change not yet redrawn: a pending refresh is never wiped.
    void markSeriesChanged(bool changed = true) { m_seriesChanged = m_seriesChanged || changed; }

    int viewWidth() const { return m_viewWidth; }
    int viewHeight() const { return m_viewHeight; }
    void setViewSize(int width, int height);

    // Value vectors of the shown series, oldest candle first.
    const QVector<double>* openSeries() const { return &m_openValues; }
    const QVector<double>* closeSeries() const { return &m_closeValues; }
    const QVector<double>* highSeries() const { return &m_highValues; }
    const QVector<double>* lowSeries() const { return &m_lowValues; }
    const QVector<double>* volumeSeries() const { return &m_volumeValues; }

    // Geometry: the price pane, the price scale and the candle slots.
    void computeLayout();
    double priceToY(double price) const;
    double yToPrice(qint64 y) const;
    // The price the user picks with the mouse at a scene y: on the paper's price step.
    double priceAtPointer(qint64 y) const { return roundToPriceStep(yToPrice(y)); }
    // The candle under a scene x (0 = newest), or -1 outside the plot or the data.
    int xToCandleIndex(int x) const;
    int firstVisible() const { return m_currentSeries->firstVisible; }
    double rightSpace() const { return m_currentSeries->rightSpace; }
    int visibleCount() const { return m_visibleCount; }
    int candleWidth() const { return m_candleWidth; }
    double candleSpacing() const { return m_candleSpacing; }
    double marginGap() const { return m_marginGap; }
    double plotWidth() const { return m_plotWidth; }
    qint64 plotLeft() const { return m_plotLeft; }
    qint64 plotRight() const { return m_plotRight; }
    qint64 paneTop() const { return m_paneTop; }
    qint64 paneBottom() const { return m_paneBottom; }
    double paneHeight() const { return m_paneHeight; }
    qint64 topTicks() const { return m_topTicks; }
    qint64 bottomTicks() const { return m_bottomTicks; }
    int gridStep() const { return m_gridStep; }
    double pixelsPerTick() const { return m_pixelsPerTick; }
    double axisLabelX() const { return m_axisLabelX; }
    double cursorY() const { return m_cursorY; }

    // Scrolling and zoom; each redraws when it changed something.
    void scrollBack(int n);
    void scrollForward(int n);
    void scrollToOldest();
    void scrollToNewest();
    void pageBack();
    void pageForward();
    void zoomIn();
    void zoomOut();
    // Steps of the Left and Right keys and the spacing of intraday date labels.
    static const int leftKeySteps[10];
    static const int rightKeySteps[10];
    static const int dateLabelSteps[10];
    // The table's step for the visible candles: entry i for 2^(i+4) <= visible < 2^(i+5), else 1.
    int scrollStep(const int* table, int length) const;
    static int scrollStep(const int* table, int length, int visibleCount);

    // The whole picture from the state. Inside a redraw, a redraw asked for (by a
    // setter applying a kept state) runs once after it, never nested.
    void redraw();
    // The item pool is cleared and the chart redrawn.
    void rebuild();
    void clearItemPool();

    // Series items from the pool, slot k for the k-th visible candle.
    void drawCandles();
    void drawBars();
    void drawLine();
    // The series' pens and brushes from the colours; placeCandle, placeBar and placeLine use them.
    void keepSeriesPens();
    void placeCandle(const kuCandleGeometry& candle, int slot);
    void placeBar(const kuBarGeometry& bar, int slot);
    void placeLine(const kuLineGeometry& line, int slot);
    // Collapses the slots past the last drawing's.
    void hideUnusedItems();
    const QVector<kuChartGraphicsItem*>& itemPool() const { return m_itemPool; }
    int poolSize() const { return m_poolSize; }
    int usedCount() const { return m_usedCount; }

    // Grid lines with their labels: price lines first, then the date lines.
    struct GridEntry
    {
        kuChartGraphicsLineItem* line = nullptr;
        QGraphicsTextItem* label = nullptr;
        QGraphicsTextItem* topLabel = nullptr; // entry 0 only: the scale's top value
        // Whether the label (the top label) found room among the grid's own labels.
        bool labelFits = false;
        bool topLabelFits = false;
    };
    void drawAxes();
    void hideGrid();
    void clearGridPool();
    const QVector<GridEntry>& gridPool() const { return m_gridPool; }
    int gridCount() const { return m_gridCount; }

    // The price at a scene y at the price axis, kept within the price pane; false for a
    // price below zero, which leaves the marker as it was.
    bool showPriceMarker(qint64 y);
    // The price marker shows while the pointer is over the price pane, at its price.
    void followPointer(const QPointF& scenePos);
    void hidePriceMarker();
    // A grid label is not drawn under a label that matters more: a price under the last price
    // or the pointer's price, a time under a vertical line's date; the pointer's price gives
    // way to the last price. Runs after every redraw and every move of the pointer's price.
    void fitAxisLabels();
    // The close at the price axis with a dashed line across the plot.
    void showLastPrice(const kuChartCandle& candle);
    // A colour that stands out on the background, for drawing objects.
    QColor contrastColor() const;
    QGraphicsTextItem* hintItem() const { return m_hintItem; }
    QGraphicsTextItem* cursorLabel() const { return m_cursorLabel; }
    kuGraphicsTextItem* priceLabel() const { return m_priceLabel; }
    QGraphicsLineItem* separatorLine() const { return m_separatorLine; }
    QGraphicsLineItem* priceAxisLine() const { return m_priceAxisLine; }
    QGraphicsLineItem* leftBorderLine() const { return m_leftBorderLine; }
    // Candles and price-pane series are clipped to the price pane, from below the caption down
    // to the axis under it, between the left border and the price axis.
    QGraphicsItem* pricePaneClip() const;
    // Drawing objects that could run out of the pane are clipped to its price scale, so that they
    // cover neither the caption, the time axis labels nor the panes below.
    QGraphicsItem* plotClip() const;
    void clipToPlot(QGraphicsItem* item);

    // Hint text of the candle under x; " " where there is none.
    QString candleHintAt(int x) const;
    // The hint and every object's value for the candle under x; x is kept, so that
    // every redraw shows them anew for the candle then under the pointer.
    void showCursorInfo(int x);
    // The pointer has left the chart: the hint shows no candle.
    void pointerLeft();
    // Asks the chart window to open the settings on the object.
    void editObject(kuChartObject* object);

    // Settings descriptors and the kept state.
    QJsonObject settingsDescriptor() const;
    QJsonObject volumeSettings() const;
    static kuChartPropertyInfo propertyInfo(const QString& name);
    // Replaces what is kept; the first redraw once the chart is ready applies it.
    void setPendingState(const QJsonObject& state);
    QJsonObject pendingState() const { return m_pendingState; }
    void applyPendingState();
    void applySettings(const QJsonArray& settings);
    void restoreObjects(const QJsonArray& objects);

    // Chart objects, in creation order; owned.
    const QVector<kuChartObject*>& objects() const { return m_objects; }
    void appendObject(kuChartObject* object);
    kuChartObject* objectByName(const QString& name) const;
    // Removes and deletes the object; the position after it, or the end when it was not held.
    int removeObject(kuChartObject* object);
    void showAllObjects();
    void hideAllObjects();
    int visibleSubPaneCount() const;
    kuChartObject* volumeObject() const { return m_volumeObject; }
    // A new object of the type from its JSON (empty: one the user places); the caller owns it.
    kuChartObject* createObject(kuChartObjectType type, const QJsonObject& json);

signals:
    void signal_onModifyObject(int numPage, QString objectName);
    void signal_onChangeChartStyle(int type);
    void signal_onChangeTimeFrame(int type);

private:
    void redrawOnce();
    void placeFixedItems();
    // The pool's item at the slot when it is of the class, else a new one put there.
    template <class Item>
    Item* pooledItem(int slot);
    GridEntry& gridEntry(int n, bool withTopLabel);
    // A time-axis label and whether it names a new period (day, month, year) or a time.
    struct DateLabel
    {
        int entry; // in the grid pool
        bool period;
    };
    void hideOverlappingLabels(const DateLabel* labels, int count);
    void thinPriceLabels(int lines);
    void finishDrawing(int placed);
    void clampFirstVisible();
    void dropDeletedObjects();
    void refillValues();
    void pointAt(kuChartSeries* series);
    bool storeColor(QColor& member, const QColor& color);

    QVector<kuChartObject*> m_objects;
    QVector<GridEntry> m_gridPool;
    QVector<kuChartGraphicsItem*> m_itemPool;
    QGraphicsTextItem* m_titleItem = nullptr;
    QGraphicsTextItem* m_subtitleItem = nullptr;
    QGraphicsLineItem* m_separatorLine = nullptr;
    QGraphicsLineItem* m_leftBorderLine = nullptr;
    QGraphicsLineItem* m_priceAxisLine = nullptr;
    QGraphicsRectItem* m_pricePaneClip = nullptr;
    QGraphicsRectItem* m_plotClip = nullptr;
    // What the shown series is before one is chosen and after the series go.
    kuChartSeries m_noSeries;
    kuChartSeries* m_currentSeries = &m_noSeries;
    std::vector<std::unique_ptr<kuChartSeries>> m_series;
    QString m_title;
    QString m_subtitle;
    double m_priceTick = 0.1;
    double m_priceStep = 0.0;
    double m_pixelsPerTick = 1.0;
    double m_paneHeight = 0.0;
    double m_plotWidth = 0.0;
    double m_marginTop = 10.0;
    double m_marginGap = 10.0;
    double m_marginBottom = 25.0;
    double m_marginRight = 70.0;
    double m_axisLabelX = 200.0;
    double m_cursorY = 200.0;
    double m_candleSpacing = 1.5;
    qint64 m_plotLeft = 1;
    qint64 m_topTicks = 1;
    qint64 m_bottomTicks = 0;
    qint64 m_plotRight = 0;
    qint64 m_paneTop = 0;
    qint64 m_paneBottom = 0;
    int m_viewWidth = 0;
    int m_viewHeight = 0;
    int m_visibleCount = 0;
    int m_candleWidth = 10;
    int m_gridStep = 1;
    int m_poolSize = 0;
    int m_gridCount = 0;
    // Grid entries of the last drawing: the price lines, then the date lines up to the end.
    int m_priceGridLines = 0;
    int m_gridLinesDrawn = 0;
    // The pointer is over the price pane: its price shows unless the last price is there.
    bool m_cursorWanted = false;
    bool m_seriesChanged = false;
    bool m_chartReady = false;
    QVector<double> m_openValues;
    QVector<double> m_closeValues;
    QVector<double> m_highValues;
    QVector<double> m_lowValues;
    QVector<double> m_volumeValues;
    kuGraphicsScene* m_scene = nullptr;
    QJsonObject m_pendingState;
    kuChartObject* m_volumeObject = nullptr;
    QGraphicsTextItem* m_hintItem = nullptr;
    QGraphicsTextItem* m_cursorLabel = nullptr;
    kuGraphicsTextItem* m_priceLabel = nullptr;
    QFont m_labelFont;
    QFont m_gridFont;
    QColor m_backColor;
    QColor m_foreColor;
    QColor m_gridColor;
    QColor m_barColor;
    QColor m_lineColor;
    QColor m_candleUpColor;
    QColor m_candleDownColor;
    QColor m_shadowUpColor;
    QColor m_shadowDownColor;
    QColor m_textColor;
    QColor m_cursorLabelColor;
    int m_chartStyle = JapaneseCandles;
    int m_lineThickness = 2;
    // The pens and brushes of the series' items, kept from one drawing to the next so that
    // every item shares them and an unchanged one compares at once.
    QPen m_upPen;
    QPen m_downPen;
    QBrush m_upBrush;
    QBrush m_downBrush;
    QPen m_barPen;
    QPen m_linePen;
    int m_usedCount = 0;
    int m_timeFrame = -1;
    int m_priceDecimals = 2;
    bool m_showGrid = true;
    bool m_redrawSuspended = false;
    // The pointer's last x over the chart, while it is there.
    bool m_pointerOver = false;
    int m_pointerX = 0;
    // A redraw runs; a redraw or rebuild asked for meanwhile runs after it.
    bool m_inRedraw = false;
    bool m_redrawAgain = false;
    bool m_rebuildAgain = false;
};
