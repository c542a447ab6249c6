#pragma once

#include "kudemocandle.h"

#include <QVector>

// Groups closed minutes into the longer candles of the chart (5, 10, 15, 30 and 60 minutes,
// and days), the way the chart groups its cache: a bucket starts at time - time mod k*60
// (a day at the server's midnight), minutes without volume at its start do not count, and a
// bucket that never saw volume is never sent.
class kuDemoCandleFrames
{
public:
    static const QVector<int>& sizes(); // ascending, 1440 last
    static qint64 bucketStart(qint64 time, int size);

    // The next closed minute, oldest first.
    void addMinute(const kuDemoCandle& minute);
    // Candles of the buckets that end before the minute starting at `minuteTime`, ascending size;
    // their buckets start afresh.
    QVector<kuDemoCandle> closeBefore(qint64 minuteTime);
    // The bucket of every size as it stands with the forming minute, ascending size; sizes with no
    // volume yet are left out.
    QVector<kuDemoCandle> forming(const kuDemoCandle& minute) const;

private:
    static void add(kuDemoCandle& bucket, const kuDemoCandle& minute, int size);

    QVector<kuDemoCandle> m_buckets = QVector<kuDemoCandle>(sizes().size());
};
