#pragma once

#include "kuchartobject.h"

#include <QGraphicsItem>
#include <QList>
#include <QPair>
#include <QPen>
#include <QVector>

#include <algorithm>
#include <functional>

class QGraphicsLineItem;
class QGraphicsProxyWidget;
class QGraphicsRectItem;
class QToolButton;
class kuChartAbstractTA;
class kuChartGraphicsItem;
class kuChartGraphicsRectItem;

// Codes of the value series an indicator reads.
enum kuChartDataSet
{
    dsOpen = 3001,
    dsClose = 3002,
    dsHigh = 3003,
    dsLow = 3004,
    dsVolume = 3005
};

// Sits under an overlay's caption: hovering dims the indicator, a double
// click opens its settings. Takes every event, so the caption gets none.
class kuChartObjectAbstractTAEventFilter : public QGraphicsItem
{
public:
    kuChartObjectAbstractTAEventFilter(kuChartAbstractTA* indicator, QGraphicsItem* parent);
    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

protected:
    bool sceneEventFilter(QGraphicsItem* watched, QEvent* event) override;

private:
    kuChartAbstractTA* m_indicator;
};

// Base of every indicator and of every series an indicator owns. It keeps the
// computed series (newest candle first), the period, the data set and the
// colour, and draws by object type: a price-pane overlay, a sub-pane container
// with its separator, caption and header buttons, or a child series as lines,
// bars or dots. Graphics items are pooled across redraws. GUI thread only.
class kuChartAbstractTA : public kuChartObject
{
    Q_OBJECT
    Q_PROPERTY(QColor color READ color WRITE setColor)

public:
    // What valueRange gives when there is nothing to scale: (max, min).
    static const QPair<double, double> noDataRange;
    static constexpr int maxPeriod = 100000;

    explicit kuChartAbstractTA(kuChartCore* core);
    ~kuChartAbstractTA() override;

    void repaint() override;
    void setOpacity(double opacity) override;
    // The hover opacity while the mouse is over the caption, else the normal one.
    void setHovered(bool hovered);
    QJsonObject toJson() override;
    void fromJson(const QJsonObject& json) override;
    void markWholeNumbers(QJsonObject& json) const override;
    void setVisible(bool visible) override;
    kuChartPropertyInfo propertyInfo(const QString& name) override;
    bool isIndicator() const override { return true; }

    void recalculate() override = 0;
    // A null parent is ignored.
    virtual void setParentIndicator(kuChartAbstractTA* parent);
    // (max, min) of the value axis over the visible candles.
    virtual QPair<double, double> valueRange();
    virtual void createHeaderButtons();
    // The catalogue key of an indicator; for a series the id its parent saves it under.
    virtual int indicatorKind() const = 0;

    int period() const { return m_period; }
    // Kept within 1..maxPeriod; a new value goes to every child first.
    void setPeriod(int period);
    int chartDataSet() const { return m_chartDataSet; }
    // Codes other than the five data sets are ignored.
    void setChartDataSet(int dataSet);
    QColor color() const { return m_pen.color(); }
    void setColor(const QColor& color);
    const QPen& pen() const { return m_pen; }

    // The core's value vector of the data set, oldest first; null without a core.
    const QVector<double>* dataSetSeries() const;
    // Runs the computation and keeps its result; the old one stays until then.
    void setSeries(const std::function<QVector<double>()>& compute);
    const QVector<double>& series() const { return m_series; }

    kuChartAbstractTA* parentIndicator() const { return m_parent; }
    const QList<kuChartAbstractTA*>& children() const { return m_children; }
    // Takes ownership.
    void appendChild(kuChartAbstractTA* child);

    double paneHeight() const { return m_paneHeight; }
    void setPaneHeight(double height) { m_paneHeight = height; }
    double paneTop() const { return m_paneTop; }
    void setPaneTop(double top) { m_paneTop = top; }
    void setRange(double max, double min)
    {
        m_max = max;
        m_min = min;
    }
    // Scene y of a value in the pane: the range fills the pane but 25 pixels at the top and 10 at
    // the bottom, or the same shares of a pane lower than 70 pixels; never outside the pane.
    double valueToY(double value) const;
    // Whether the value's y lies in the pane, unlike one valueToY had to keep in.
    bool isValueInPane(double value) const;
    // The item that clips what this object draws to its pane: a container's own, the
    // container's for its series, the core's for the price pane. Null without a scene.
    QGraphicsItem* paneClip();

    // The pool's items and how many of them a pass may have drawn.
    const QVector<kuChartGraphicsItem*>& itemPool() const { return m_pool; }
    int usedCount() const { return m_usedCount; }
    QGraphicsLineItem* separator() const { return m_separator; }
    const QList<QGraphicsProxyWidget*>& headerWidgets() const { return m_headerWidgets; }

public slots:
    void slot_onClose(bool checked = false);
    void slot_onEdit(bool checked = false);

protected:
    // Collapses the drawn items (and an overlay's caption), the children's too.
    void clearDrawing();
    // Collapses the items a pass may have drawn.
    void collapsePool();
    // The pool's rect item at the slot, or a new one put there.
    kuChartGraphicsRectItem* pooledRect(int slot);
    // After a pass that drew `drawn` items: the slots past them that an earlier pass drew
    // are collapsed; the used count never shrinks. A pass sets its slots over the old
    // picture rather than collapsing them first, so a slot that keeps its place is not touched.
    void finishPass(int drawn);
    // A header button in the scene, placed after the existing ones; null without a scene.
    QToolButton* addHeaderButton(const char* name, const char* icon, const QString& tip);

private:
    struct Point
    {
        double x;
        double y;
    };

    template <class Item>
    Item* pooledItem(int slot);
    // Unclamped y of a value by the pane's margins and the range.
    double mappedY(double value) const;
    void repaintPane();
    bool repaintSeries();
    QVector<Point> points() const;
    void placeCaption(const QVector<Point>& points);
    void drawLines(const QVector<Point>& points);
    void drawBars(const QVector<Point>& points);
    void drawDots(const QVector<Point>& points);

    QVector<double> m_series;
    int m_period = 2;
    QPen m_pen;
    kuChartAbstractTA* m_parent = nullptr;
    QList<kuChartAbstractTA*> m_children;
    QVector<kuChartGraphicsItem*> m_pool;
    int m_usedCount = 0;
    // Items put in between during the running pass: the ones drawn before moved up past them.
    int m_insertedInPass = 0;
    // The histogram's pen (the colour's at the bars' width), kept so that its items share it.
    QPen m_barPen;
    QGraphicsLineItem* m_separator = nullptr;
    QList<QGraphicsProxyWidget*> m_headerWidgets;
    kuChartObjectAbstractTAEventFilter* m_captionFilter = nullptr;
    int m_chartDataSet = dsClose;
    double m_right = 0;
    double m_paneHeight = 0;
    double m_min = 0;
    double m_max = 0;
    double m_left = 0;
    double m_paneTop = 0;
    // A container's pane, clipping the items drawn in it; null until first needed.
    QGraphicsRectItem* m_clip = nullptr;
};
