#pragma once

#include "kuchartobjectfibobase.h"

#include <QPointF>

class QGraphicsLineItem;
class QGraphicsRectItem;
class kuChartObjectFiboChanel;

// Mouse handling of a Fibonacci channel: three clicks place bottom-left,
// bottom-right and top-left; its markers drag the anchors.
class kuChartObjectFiboChanelEventFilter : public kuChartToolEventFilter
{
public:
    enum DragState : quint8
    {
        AwaitingBottomLeft = 70,
        PlacingBottomRight = 71,
        PlacingTopLeft = 72,
        DraggingBottomLeft = 73,
        DraggingBottomRight = 74,
        DraggingTopLeft = 75,
        Idle = 76
    };

    kuChartObjectFiboChanelEventFilter(kuChartObjectFiboChanel* owner, QGraphicsItem* parent, double hoverOpacity,
                                       double normalOpacity);

protected:
    void moved(const kuChartAnchorMove& move) override;
    void released(const kuChartAnchorMove& move) override;
    QPointF gripPoint(quint8 dragState) const override;

private:
    kuChartObjectFiboChanel* m_owner;
};

// Fibonacci channel: a base line from bottom-left to bottom-right and, across
// the left side up to top-left, one parallel line per ratio running on to the
// chart's axes. Every anchor is a price and a candle.
class kuChartObjectFiboChanel : public kuChartObjectFiboBase
{
    Q_OBJECT
    Q_PROPERTY(QColor lineColor READ lineColor WRITE setLineColor)
    Q_PROPERTY(int lineWidth READ lineWidth WRITE setLineWidth)
    Q_PROPERTY(int penStyle READ penStyle WRITE setPenStyle)
    Q_PROPERTY(double priceBottomRight READ priceBottomRight WRITE setPriceBottomRight)
    Q_PROPERTY(double priceBottomLeft READ priceBottomLeft WRITE setPriceBottomLeft)
    Q_PROPERTY(double priceTopLeft READ priceTopLeft WRITE setPriceTopLeft)
    Q_PROPERTY(QString candleDateTimeBottomRight READ candleDateTimeBottomRight WRITE setCandleDateTimeBottomRight)
    Q_PROPERTY(QString candleDateTimeBottomLeft READ candleDateTimeBottomLeft WRITE setCandleDateTimeBottomLeft)
    Q_PROPERTY(QString candleDateTimeTopLeft READ candleDateTimeTopLeft WRITE setCandleDateTimeTopLeft)

public:
    // Codes of guideLine().
    enum GuideCode
    {
        BaseGuide = 10,
        DiagonalGuide = 11
    };

    // An empty JSON object makes a new channel awaiting its first click; a restored one is idle.
    kuChartObjectFiboChanel(kuChartCore* core, const QJsonObject& json);

    void repaint() override;
    kuChartPropertyInfo propertyInfo(const QString& name) override;

    // NaN until placed.
    double priceBottomRight() const { return m_bottomRight.price; }
    void setPriceBottomRight(double price);
    double priceBottomLeft() const { return m_bottomLeft.price; }
    void setPriceBottomLeft(double price);
    double priceTopLeft() const { return m_topLeft.price; }
    void setPriceTopLeft(double price);
    QString candleDateTimeBottomRight() const { return m_bottomRight.dateTimeText(); }
    void setCandleDateTimeBottomRight(const QString& text) { m_bottomRight.setDateTimeText(text); }
    QString candleDateTimeBottomLeft() const { return m_bottomLeft.dateTimeText(); }
    void setCandleDateTimeBottomLeft(const QString& text) { m_bottomLeft.setDateTimeText(text); }
    QString candleDateTimeTopLeft() const { return m_topLeft.dateTimeText(); }
    void setCandleDateTimeTopLeft(const QString& text) { m_topLeft.setDateTimeText(text); }
    // The candle under x; outside the data the anchor keeps its date-time. False then.
    bool setBottomRightDateTimeFromX(double x);
    bool setBottomLeftDateTimeFromX(double x);
    bool setTopLeftDateTimeFromX(double x);
    bool hasBottomLeft() const { return m_bottomLeft.isPlaced(); }
    bool hasBottomRight() const { return m_bottomRight.isPlaced(); }
    bool hasTopLeft() const { return m_topLeft.isPlaced(); }
    // The anchors' scene points.
    QPointF bottomLeftPoint() const { return anchorPoint(m_bottomLeft); }
    QPointF bottomRightPoint() const { return anchorPoint(m_bottomRight); }
    QPointF topLeftPoint() const { return anchorPoint(m_topLeft); }

    // The line the mouse stretches, shown: the base (level 0's line) for
    // BaseGuide, the diagonal for DiagonalGuide; any other code gives the
    // diagonal without showing it.
    QGraphicsLineItem* guideLine(int code);
    // Where the line through p1 and p2 meets the price axis above the time
    // axis, else the time axis, else x = 0; p2 when it meets none of them.
    QPointF extendToAxis(const QPointF& p1, const QPointF& p2) const;
    // "price (ratio)", the ratio as a fraction with two decimals.
    QString levelText(double price, double ratio) const;

    bool isPlaced() const override;

    kuChartObjectFiboChanelEventFilter* eventFilter() const { return m_eventFilter; }
    QGraphicsLineItem* lineItem() const { return m_lineItem; }
    QGraphicsRectItem* bottomRightMarker() const { return m_bottomRightMarker; }
    QGraphicsRectItem* bottomLeftMarker() const { return m_bottomLeftMarker; }
    QGraphicsRectItem* topLeftMarker() const { return m_topLeftMarker; }
    QGraphicsLineItem* levelLine(int level) const;

private:
    void setupItems();

    QGraphicsLineItem* m_lineItem;
    QGraphicsRectItem* m_bottomRightMarker;
    QGraphicsRectItem* m_bottomLeftMarker;
    QGraphicsRectItem* m_topLeftMarker;
    kuChartObjectFiboChanelEventFilter* m_eventFilter;
    kuChartCandleAnchor m_bottomRight;
    kuChartCandleAnchor m_bottomLeft;
    kuChartCandleAnchor m_topLeft;
};
