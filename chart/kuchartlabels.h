#pragma once

#include <QRectF>
#include <QVector>

class QGraphicsItem;

// Labels that share a place are kept apart rather than printed over one another.
namespace kuChartLabels {

// The scene rectangle of a label's text: a text item's document margin is left out,
// so that labels set one under another do not count as touching.
QRectF textRect(const QGraphicsItem* label);

// Goes through the labels in the order given, the one that matters most first: a shown
// label is hidden when its text would overlap one in `kept` or would not lie wholly within
// `bounds` (a null rectangle sets no bounds); otherwise it stays and joins `kept`.
// `kept` may come holding places taken by labels that matter more.
void keepApart(QGraphicsItem* const* labels, int count, const QRectF& bounds, QVector<QRectF>& kept);

// keepApart for one label's text rectangle: true when it stays, and then it joins `kept`.
bool keepOne(const QRectF& rect, const QRectF& bounds, QVector<QRectF>& kept);

// Whether the rectangle overlaps any of those kept.
bool overlapsAny(const QRectF& rect, const QVector<QRectF>& kept);

} // namespace kuChartLabels
