#include "kuchartloader.h"

#include <QDebug>

#include <algorithm>
#include <array>

namespace {

// One bucket size's candle being summed and the candles it has given, oldest first.
struct Bucket
{
    quint64 seconds = 0;
    kuChartCandle sum;
    QVector<kuChartCandle> out;

    void emitSum()
    {
        out.append(sum);
        sum = kuChartCandle();
    }
};

kuChartSeries seriesOf(QVector<kuChartCandle>&& oldestFirst, int timeFrame)
{
    std::reverse(oldestFirst.begin(), oldestFirst.end());
    kuChartSeries s;
    s.candles = std::move(oldestFirst);
    s.name = kuChartSeries::nameOf(timeFrame);
    s.timeFrame = timeFrame;
    return s;
}

} // namespace

kuChartLoad kuChartLoader::load(kuCandleStore& store, int paperId, int generation)
{
    kuChartLoad result;
    result.paperId = paperId;
    result.generation = generation;
    const QVector<kuCandleStore::Candle> rows = store.load(paperId, kuCandleStore::loadedMinutes, &result.cacheDropped);
    if (rows.isEmpty()) {
        qWarning().noquote() << "Can't executed sql: no candles of" << kuCandleStore::tableName(paperId);
        result.failed = true;
        return result;
    }
    result.series = buildSeries(rows);
    result.failed = result.series.isEmpty();
    return result;
}

QVector<kuChartSeries> kuChartLoader::buildSeries(const QVector<kuCandleStore::Candle>& rows)
{
    std::array<Bucket, std::size(bucketMinutes)> buckets;
    for (size_t i = 0; i < buckets.size(); ++i)
        buckets[i].seconds = quint64(bucketMinutes[i]) * 60;
    QVector<kuChartCandle> minutes;
    QVector<kuChartCandle> days;
    minutes.reserve(rows.size());
    for (Bucket& b : buckets)
        b.out.reserve(rows.size() / int(b.seconds / 60) + 2);

    quint64 lastMinute = 0;
    int dropped = 0;
    for (const kuCandleStore::Candle& row : rows) {
        kuChartCandle c;
        c.time = row.start;
        c.open = row.open;
        c.high = row.high;
        c.low = row.low;
        c.close = row.close;
        c.volume = row.volume;
        if (!c.isValid()) {
            ++dropped;
            continue;
        }
        if (row.timeFrame == 1440) {
            days.append(c);
            continue;
        }
        minutes.append(c);
        lastMinute = c.time;
        for (Bucket& b : buckets) {
            kuChartCandle& a = b.sum;
            const quint64 start = c.time - c.time % b.seconds;
            if (a.time != start && a.volume > 0)
                b.emitSum();
            else if (a.time != start)
                a = kuChartCandle();
            // Minutes without volume before the first traded one do not open the bucket.
            if (a.volume == 0) {
                a.time = start;
                a.open = c.open;
                a.high = c.high;
                a.low = c.low;
            } else {
                a.high = std::max(a.high, c.high);
                a.low = std::min(a.low, c.low);
            }
            a.close = c.close;
            a.volume += c.volume;
        }
    }
    if (dropped > 0)
        qWarning() << "Candle cache:" << dropped << "rows with missing or impossible values dropped";

    for (Bucket& b : buckets) {
        if (b.sum.volume > 0) {
            // A bucket that the newest cached minute had not ended is still forming.
            b.sum.provisional = b.sum.time + b.seconds > lastMinute + 60;
            b.emitSum();
        }
    }

    QVector<kuChartSeries> series;
    if (!minutes.isEmpty())
        series.append(seriesOf(std::move(minutes), 1));
    for (size_t i = 0; i < buckets.size(); ++i) {
        if (!buckets[i].out.isEmpty())
            series.append(seriesOf(std::move(buckets[i].out), bucketMinutes[i]));
    }
    if (!days.isEmpty())
        series.append(seriesOf(std::move(days), 1440));
    return series;
}
