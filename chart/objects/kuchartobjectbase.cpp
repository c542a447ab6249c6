#include "kuchartobjectbase.h"

#include "kuchartcore.h"
#include "kugraphicsscene.h"

#include <QGraphicsItem>

kuChartObjectBase::kuChartObjectBase(kuChartCore* core) : kuChartObject(core)
{}

double kuChartObjectBase::xForDateTime(const QDateTime& dateTime) const
{
    return kuChartAnchor::xForDateTime(chartCore(), dateTime);
}

QDateTime kuChartObjectBase::dateTimeAtX(double x) const
{
    return kuChartAnchor::dateTimeAtX(chartCore(), x);
}

bool kuChartObjectBase::takeDateTimeAtX(double x, QDateTime& anchor) const
{
    const QDateTime at = dateTimeAtX(x);
    if (at.isValid())
        anchor = at;
    return at.isValid();
}

QPointF kuChartObjectBase::anchorPoint(const QDateTime& dateTime, double price) const
{
    const kuChartCore* core = chartCore();
    return QPointF(xForDateTime(dateTime), core ? core->priceToY(price) : 0.0);
}

QString kuChartObjectBase::dateTimeToText(const QDateTime& dateTime)
{
    return kuChartAnchor::toText(dateTime);
}

QDateTime kuChartObjectBase::dateTimeFromText(const QString& text)
{
    return kuChartAnchor::fromText(text);
}

void dropSceneItem(QGraphicsItem* item)
{
    if (!item)
        return;
    if (item->scene())
        item->scene()->removeItem(item);
    delete item;
}
