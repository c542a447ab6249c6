#pragma once

#include "kuchartanchorpair.h"
#include "kuchartanchorpairfilter.h"
#include "kuchartobjectfibobase.h"

class QGraphicsLineItem;
class QGraphicsRectItem;
class kuChartObjectFiboArcs;

// Mouse handling of the arcs: two clicks place the centre and the right anchor,
// the markers drag them.
class kuChartObjectFiboArcsEventFilter : public kuChartAnchorPairEventFilter
{
public:
    enum DragState : quint8
    {
        AwaitingFirst = 80,
        PlacingRight = 81,
        DraggingLeft = 82,
        DraggingRight = 83,
        Idle = 84
    };

    kuChartObjectFiboArcsEventFilter(kuChartObjectFiboArcs* owner, QGraphicsItem* parent, double hoverOpacity,
                                     double normalOpacity);

protected:
    void moved(const kuChartAnchorMove& move) override;
    QPointF gripPoint(quint8 dragState) const override;
    // A candle inside the plot.
    bool takesAnchorAt(const QPointF& point) const override;
    // The anchor's candle and price take the axes the pointer travelled along.
    void takeAnchor(bool left, const kuChartAnchorMove& move) override;
    bool hasSecondAnchor() const override;

private:
    kuChartObjectFiboArcs* m_owner;
};

// Fibonacci arcs: a circle per ratio around the left anchor, the circle of
// ratio 1 through the right anchor; both anchors sit on candles.
class kuChartObjectFiboArcs : public kuChartObjectFiboBase, public kuChartAnchorPair
{
    Q_OBJECT
    Q_PROPERTY(QColor lineColor READ lineColor WRITE setLineColor)
    Q_PROPERTY(int lineWidth READ lineWidth WRITE setLineWidth)
    Q_PROPERTY(int penStyle READ penStyle WRITE setPenStyle)
    Q_PROPERTY(double priceRight READ priceRight WRITE setPriceRight)
    Q_PROPERTY(double priceLeft READ priceLeft WRITE setPriceLeft)
    Q_PROPERTY(QString candleDateTimeRight READ candleDateTimeRight WRITE setCandleDateTimeRight)
    Q_PROPERTY(QString candleDateTimeLeft READ candleDateTimeLeft WRITE setCandleDateTimeLeft)

public:
    // The figure keeps clear of the price axis by this many pixels.
    static constexpr double rightClearance = 75;

    // An empty JSON object makes new arcs awaiting their first click; restored ones are idle.
    kuChartObjectFiboArcs(kuChartCore* core, const QJsonObject& json);

    void repaint() override;
    kuChartPropertyInfo propertyInfo(const QString& name) override;

    // A price off the scale leaves the line's end where it was.
    void setPriceRight(double price);
    void setPriceLeft(double price);
    // The candle under x; over no candle the anchor keeps its date-time. False then.
    bool setRightDateTimeFromX(double x);
    bool setLeftDateTimeFromX(double x);
    bool hasRightAnchor() const;
    // The anchors' scene points.
    QPointF leftPoint() const { return anchorPoint(m_left); }
    QPointF rightPoint() const { return anchorPoint(m_right); }
    // The level's price: up from the centre's price by the ratio of the anchors' distance.
    double levelPrice(double ratio) const;

    bool isPlaced() const override;

    kuChartObjectFiboArcsEventFilter* eventFilter() const { return m_eventFilter; }
    QGraphicsLineItem* lineItem() const { return m_lineItem; }
    QGraphicsRectItem* leftMarker() const { return m_leftMarker; }
    QGraphicsRectItem* rightMarker() const { return m_rightMarker; }

private:
    void setupItems();

    QGraphicsLineItem* m_lineItem;
    QGraphicsRectItem* m_rightMarker;
    QGraphicsRectItem* m_leftMarker;
    kuChartObjectFiboArcsEventFilter* m_eventFilter;
};
