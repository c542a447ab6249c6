#pragma once

#include "kuchartanchor.h"
#include "kuchartobject.h"

#include <QDateTime>
#include <QPointF>

class QGraphicsItem;

// Base of the drawing tools: the candle date-times and scene points of their anchors.
class kuChartObjectBase : public kuChartObject
{
    Q_OBJECT

public:
    explicit kuChartObjectBase(kuChartCore* core);

    double xForDateTime(const QDateTime& dateTime) const;
    QDateTime dateTimeAtX(double x) const;
    // Sets the anchor to the candle at x; an x off the candles leaves it as it was.
    bool takeDateTimeAtX(double x, QDateTime& anchor) const;
    static QString dateTimeToText(const QDateTime& dateTime);
    static QDateTime dateTimeFromText(const QString& text);
    // Scene point of an anchor: its candle's centre and its price's y.
    QPointF anchorPoint(const QDateTime& dateTime, double price) const;
    QPointF anchorPoint(const kuChartCandleAnchor& anchor) const { return anchorPoint(anchor.dateTime, anchor.price); }

protected:
    qint8 anchorMarkerSize = 4;
};

// Takes an item of a drawing object out of its scene and deletes it (with its
// children); nothing for null.
void dropSceneItem(QGraphicsItem* item);
