#include "kuchartlabels.h"

#include <QGraphicsItem>
#include <QGraphicsTextItem>
#include <QTextDocument>

#include <algorithm>

namespace kuChartLabels {

namespace {
constexpr double edgeSlack = 1e-3;
} // namespace

QRectF textRect(const QGraphicsItem* label)
{
    const QRectF r = label->sceneBoundingRect();
    if (const auto* text = qgraphicsitem_cast<const QGraphicsTextItem*>(label)) {
        const double margin = text->document()->documentMargin();
        return r.adjusted(margin, margin, -margin, -margin);
    }
    return r;
}

bool overlapsAny(const QRectF& rect, const QVector<QRectF>& kept)
{
    return std::any_of(kept.cbegin(), kept.cend(), [&rect](const QRectF& k) { return k.intersects(rect); });
}

bool keepOne(const QRectF& r, const QRectF& bounds, QVector<QRectF>& kept)
{
    // A label moved onto the bounds' edge may miss it by a rounding.
    const QRectF within = bounds.adjusted(-edgeSlack, -edgeSlack, edgeSlack, edgeSlack);
    if (overlapsAny(r, kept) || (!bounds.isNull() && !within.contains(r)))
        return false;
    kept.append(r);
    return true;
}

void keepApart(QGraphicsItem* const* labels, int count, const QRectF& bounds, QVector<QRectF>& kept)
{
    for (int i = 0; i < count; ++i) {
        QGraphicsItem* label = labels[i];
        if (!label || !label->isVisible())
            continue;
        if (!keepOne(textRect(label), bounds, kept))
            label->setVisible(false);
    }
}

} // namespace kuChartLabels
