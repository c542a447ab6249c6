#pragma once

#include "kuchartanchorpair.h"
#include "kuchartanchorpairfilter.h"
#include "kuchartlinetool.h"

#include <QColor>

class QGraphicsRectItem;
class QGraphicsSimpleTextItem;
class kuChartObjectTLine;

// Mouse handling of a trend line: two clicks place it, its markers drag its ends.
class kuChartObjectTLineEventFilter : public kuChartAnchorPairEventFilter
{
public:
    enum DragState : quint8
    {
        AwaitingFirst = 90,
        PlacingRight = 91,
        DraggingLeft = 92,
        DraggingRight = 93,
        Idle = 94
    };

    kuChartObjectTLineEventFilter(kuChartObjectTLine* owner, QGraphicsItem* parent, double hoverOpacity,
                                  double normalOpacity);

protected:
    void moved(const kuChartAnchorMove& move) override;
    QPointF gripPoint(quint8 dragState) const override;
    // A point over the data inside the price pane.
    bool takesAnchorAt(const QPointF& point) const override;
    // The end's price and candle take the axes the pointer travelled along.
    void takeAnchor(bool left, const kuChartAnchorMove& move) override;
    bool hasSecondAnchor() const override;

private:
    kuChartObjectTLine* m_owner;
};

// A segment between two anchors (price and candle), with the price beside each end.
class kuChartObjectTLine : public kuChartLineTool, public kuChartAnchorPair
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
    // An empty JSON object makes a new line awaiting its first click; a restored one is idle.
    kuChartObjectTLine(kuChartCore* core, const QJsonObject& json);
    ~kuChartObjectTLine() override;

    void repaint() override;
    void setOpacity(double opacity) override;
    void setVisible(bool visible) override;
    QString label() override;
    kuChartPropertyInfo propertyInfo(const QString& name) override;

    // Recolours the drawn line at once, not only at the next repaint.
    void setLineColor(const QColor& color);
    void setPriceRight(double price);
    void setPriceLeft(double price);
    // The candle under x; outside the data the anchor keeps its date-time. False then.
    bool setCandleDateTimeRightAtX(double x);
    bool setCandleDateTimeLeftAtX(double x);
    bool hasLeftAnchor() const { return m_left.isPlaced(); }
    bool hasRightAnchor() const { return m_right.isPlaced(); }
    // The anchors' scene points.
    QPointF leftPoint() const { return anchorPoint(m_left); }
    QPointF rightPoint() const { return anchorPoint(m_right); }

    bool isPlaced() const override;

    kuChartObjectTLineEventFilter* eventFilter() const { return m_eventFilter; }
    QGraphicsRectItem* leftMarker() const { return m_leftMarker; }
    QGraphicsRectItem* rightMarker() const { return m_rightMarker; }
    QGraphicsSimpleTextItem* rightPriceText() const { return m_rightPriceText; }

protected:
    kuHeldCursor& heldCursor() override;

private:
    void setupItems();

    QGraphicsRectItem* m_rightMarker;
    QGraphicsRectItem* m_leftMarker;
    QGraphicsSimpleTextItem* m_rightPriceText;
    kuChartObjectTLineEventFilter* m_eventFilter;
    int m_priceDecimals = 2;
};
