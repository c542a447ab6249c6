#include "kuchartcandle.h"

#include "kufunctions.h"
#include "kurecordkeys.h"

#include <cmath>

namespace cd = kuKeys::candle;

bool kuChartCandle::isValid() const
{
    const double values[] = {high, low, open, close, volume};
    for (double v : values) {
        if (!std::isfinite(v))
            return false;
    }
    return time > 0 && high > 0 && low > 0 && open > 0 && close > 0 && high >= low;
}

kuChartCandle kuChartCandle::fromJson(const QJsonObject& candle, bool* valid)
{
    kuChartCandle c;
    bool complete = true;
    auto number = [&](QLatin1String key) {
        const QJsonValue value = candle.value(key);
        complete = complete && value.isDouble();
        return value.toDouble();
    };
    c.open = number(cd::Open);
    c.high = number(cd::High);
    c.low = number(cd::Low);
    c.close = number(cd::Close);
    c.volume = number(cd::Volume);
    const double time = number(cd::unixTime);
    // Truncated toward zero; a time that does not fit is no time.
    c.time = std::isfinite(time) && time > 0 && time < 9.0e18 ? quint64(time) : 0;
    if (valid)
        *valid = complete && c.isValid();
    return c;
}

QString candleHint(const kuChartCandle& candle, int timeFrame, int decimals)
{
    const QString date =
            dateTimeFromUnix(qint64(candle.time))
                    .toString(timeFrame == 1440 ? QStringLiteral("yyyy-MM-dd") : QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const QChar blank(QLatin1Char(' '));
    return QStringLiteral("D: ") + date + QStringLiteral("  O: ") + formatNumber(candle.open, decimals, blank) +
           QStringLiteral("  C: ") + formatNumber(candle.close, decimals, blank) + QStringLiteral("  H: ") +
           formatNumber(candle.high, decimals, blank) + QStringLiteral("  L: ") +
           formatNumber(candle.low, decimals, blank);
}
