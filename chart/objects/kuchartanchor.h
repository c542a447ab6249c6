#pragma once

#include <QDateTime>
#include <QPointF>
#include <QString>

#include <cmath>
#include <limits>

class kuChartCore;

// Anchors of drawing objects: a price and the open time of a candle. Candle
// times live at the fixed offset of +03:00; the saved text is that wall time,
// so an anchor finds its candle whatever the machine's time zone.
namespace kuChartAnchor {
// "yyyy-MM-dd HH:mm" at +03:00; empty for an invalid date-time.
QString toText(const QDateTime& dateTime);
// The text read as wall time at +03:00; invalid when it does not match.
QDateTime fromText(const QString& text);
// Scene x of the centre of the visible position i (0 = the newest visible candle).
double slotCentre(const kuChartCore* core, int position);
// Centre of the visible candle that opens at the date-time, or -10.0.
double xForDateTime(const kuChartCore* core, const QDateTime& dateTime);
// The candle's date-time under a scene x, or an invalid one.
QDateTime dateTimeAtX(const kuChartCore* core, double x);
// lo <= v <= hi; false for NaN.
bool inside(double v, double lo, double hi);
// The point lies in the plot of the price pane (edges included).
bool inPlot(const kuChartCore* core, const QPointF& p);
// The point lies over a candle, between the price pane's top and bottom.
bool overData(const kuChartCore* core, const QPointF& p);
} // namespace kuChartAnchor

// An anchor on a candle: a price and the candle's open time, NaN and invalid
// until placed. Saved files hold the date-time as text.
struct kuChartCandleAnchor
{
    double price = std::numeric_limits<double>::quiet_NaN();
    QDateTime dateTime;

    bool isPlaced() const { return dateTime.isValid() && !std::isnan(price); }
    QString dateTimeText() const { return kuChartAnchor::toText(dateTime); }
    void setDateTimeText(const QString& text) { dateTime = kuChartAnchor::fromText(text); }
};

// Where the pointer puts an anchor being placed or dragged, and the axes along
// which it moves it: on an axis where the pointer is at its press coordinate
// the anchor keeps its press value exactly (see kuChartDrag::rewind).
struct kuChartAnchorMove
{
    QPointF at;
    bool x = true;
    bool y = true;
};
