#include "kudemocandleframes.h"

#include "kudemomarket.h"

#include <algorithm>

const QVector<int>& kuDemoCandleFrames::sizes()
{
    static const QVector<int> list{5, 10, 15, 30, 60, 1440};
    return list;
}

qint64 kuDemoCandleFrames::bucketStart(qint64 time, int size)
{
    if (size == 1440) {
        const qint64 local = time + kuDemoMarket::mskOffset;
        return local - local % 86400 - kuDemoMarket::mskOffset;
    }
    return time - time % (qint64(size) * 60);
}

void kuDemoCandleFrames::add(kuDemoCandle& bucket, const kuDemoCandle& minute, int size)
{
    const qint64 start = bucketStart(minute.time, size);
    if (bucket.time != start)
        bucket = kuDemoCandle();
    if (bucket.volume <= 0) {
        bucket.time = start;
        bucket.timeFrame = size;
        bucket.open = minute.open;
        bucket.high = minute.high;
        bucket.low = minute.low;
    } else {
        bucket.high = std::max(bucket.high, minute.high);
        bucket.low = std::min(bucket.low, minute.low);
    }
    bucket.close = minute.close;
    bucket.volume += minute.volume;
}

void kuDemoCandleFrames::addMinute(const kuDemoCandle& minute)
{
    for (int i = 0; i < m_buckets.size(); ++i)
        add(m_buckets[i], minute, sizes().at(i));
}

QVector<kuDemoCandle> kuDemoCandleFrames::closeBefore(qint64 minuteTime)
{
    QVector<kuDemoCandle> closed;
    for (int i = 0; i < m_buckets.size(); ++i) {
        kuDemoCandle& bucket = m_buckets[i];
        if (bucket.time == bucketStart(minuteTime, sizes().at(i)))
            continue;
        if (bucket.volume > 0)
            closed.append(bucket);
        bucket = kuDemoCandle();
    }
    return closed;
}

QVector<kuDemoCandle> kuDemoCandleFrames::forming(const kuDemoCandle& minute) const
{
    QVector<kuDemoCandle> list;
    for (int i = 0; i < m_buckets.size(); ++i) {
        kuDemoCandle bucket = m_buckets.at(i);
        add(bucket, minute, sizes().at(i));
        if (bucket.volume > 0)
            list.append(bucket);
    }
    return list;
}
