#include "kuchartanchor.h"

#include "kuchartcore.h"

namespace {
const char* const textFormat = "yyyy-MM-dd HH:mm";
// Candle times are kept at this offset from UTC.
const int candleOffset = 10800;
} // namespace

namespace kuChartAnchor {

QString toText(const QDateTime& dateTime)
{
    if (!dateTime.isValid())
        return QString();
    return dateTime.toOffsetFromUtc(candleOffset).toString(QLatin1String(textFormat));
}

QDateTime fromText(const QString& text)
{
    const QDateTime local = QDateTime::fromString(text, QLatin1String(textFormat));
    if (!local.isValid())
        return QDateTime();
    return QDateTime(local.date(), local.time(), Qt::OffsetFromUTC, candleOffset);
}

double slotCentre(const kuChartCore* core, int position)
{
    const double slot = core->candleSpacing() * core->candleWidth();
    return double(core->plotLeft() + 2) + core->plotWidth() - slot * (position + 1) + 1 +
           0.8 * core->candleWidth() * 0.5;
}

double xForDateTime(const kuChartCore* core, const QDateTime& dateTime)
{
    if (!core || !dateTime.isValid())
        return -10.0;
    // Seconds against seconds: no date-time is built per candle.
    const qint64 seconds = dateTime.toSecsSinceEpoch();
    const QVector<kuChartCandle>& candles = core->candles();
    const int first = core->firstVisible();
    const int count = core->visibleCount();
    for (int i = 0; i < count; ++i) {
        const int k = first + i;
        if (k < 0 || k >= candles.size())
            break;
        if (qint64(candles.at(k).time) == seconds)
            return slotCentre(core, i);
    }
    return -10.0;
}

QDateTime dateTimeAtX(const kuChartCore* core, double x)
{
    if (!core || !std::isfinite(x))
        return QDateTime();
    const int k = core->xToCandleIndex(int(x));
    if (k < 0 || k >= core->candles().size())
        return QDateTime();
    return QDateTime::fromSecsSinceEpoch(qint64(core->candles().at(k).time), Qt::OffsetFromUTC, candleOffset);
}

bool inside(double v, double lo, double hi)
{
    return v >= lo && v <= hi;
}

bool inPlot(const kuChartCore* core, const QPointF& p)
{
    return inside(p.x(), double(core->plotLeft()), double(core->plotRight())) &&
           inside(p.y(), double(core->paneTop()), double(core->paneBottom()));
}

bool overData(const kuChartCore* core, const QPointF& p)
{
    return inside(p.y(), double(core->paneTop()), double(core->paneBottom())) && dateTimeAtX(core, p.x()).isValid();
}

} // namespace kuChartAnchor
