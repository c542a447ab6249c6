#pragma once

#include "kuchartanchorpairfilter.h"
#include "kuchartobjectfibobase.h"

class QGraphicsLineItem;
class QGraphicsRectItem;
class kuChartObjectFibo;

// Mouse handling of a retracement: two clicks place it, its markers drag its prices.
class kuChartObjectFiboEventFilter : public kuChartAnchorPairEventFilter
{
public:
    enum DragState : quint8
    {
        AwaitingFirst = 0,
        PlacingSecond = 1,
        DraggingTop = 2,
        DraggingBottom = 3,
        Idle = 4
    };

    kuChartObjectFiboEventFilter(kuChartObjectFibo* owner, QGraphicsItem* parent, double hoverOpacity,
                                 double normalOpacity);

protected:
    void moved(const kuChartAnchorMove& move) override;
    QPointF gripPoint(quint8 dragState) const override;
    bool takesAnchorAt(const QPointF& point) const override;
    // A release moves no x.
    void takeAnchor(bool top, const kuChartAnchorMove& move) override;
    // The first click gives the segment's x too.
    void placeFirst(const kuChartAnchorMove& move) override;
    bool hasSecondAnchor() const override;

private:
    kuChartObjectFibo* m_owner;
};

// Fibonacci retracement: a vertical segment at a scene x between two prices,
// with a level line per ratio running to the right edge of the price pane.
class kuChartObjectFibo : public kuChartObjectFiboBase
{
    Q_OBJECT
    Q_PROPERTY(QColor lineColor READ lineColor WRITE setLineColor)
    Q_PROPERTY(int lineWidth READ lineWidth WRITE setLineWidth)
    Q_PROPERTY(int penStyle READ penStyle WRITE setPenStyle)
    Q_PROPERTY(double priceTop READ priceTop WRITE setPriceTop)
    Q_PROPERTY(double priceBottom READ priceBottom WRITE setPriceBottom)
    Q_PROPERTY(double x1 READ x1 WRITE setX1)

public:
    // An empty JSON object makes a new retracement awaiting its first click; a restored one is idle.
    kuChartObjectFibo(kuChartCore* core, const QJsonObject& json);

    void repaint() override;
    kuChartPropertyInfo propertyInfo(const QString& name) override;

    // NaN until placed.
    double priceTop() const { return m_priceTop; }
    void setPriceTop(double price);
    double priceBottom() const { return m_priceBottom; }
    void setPriceBottom(double price);
    double x1() const { return m_x1; }
    void setX1(double x);
    // The anchors' scene points: the segment's x at each price.
    QPointF topPoint() const;
    QPointF bottomPoint() const;
    // The price of the level with the ratio: measured up from the lower anchor.
    double levelPrice(double ratio) const;

    bool isPlaced() const override;

    kuChartObjectFiboEventFilter* eventFilter() const { return m_eventFilter; }
    QGraphicsLineItem* lineItem() const { return m_lineItem; }
    QGraphicsRectItem* topMarker() const { return m_topMarker; }
    QGraphicsRectItem* bottomMarker() const { return m_bottomMarker; }

private:
    void setupItems();
    // The segment at x between the anchors' ys; a missing anchor's y is 0.
    void layLine(double x);

    QGraphicsLineItem* m_lineItem;
    QGraphicsRectItem* m_topMarker;
    QGraphicsRectItem* m_bottomMarker;
    kuChartObjectFiboEventFilter* m_eventFilter;
    double m_priceTop;
    double m_priceBottom;
    // Kept apart from the segment so that it survives anchors without a y.
    double m_x1 = 0;
};
