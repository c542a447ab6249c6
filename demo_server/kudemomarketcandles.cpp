#include "kudemomarket.h"

#include "kudemorandom.h"

#include <algorithm>
#include <cmath>

namespace {

const qint64 minuteHistoryDays = 30;
const qint64 dayHistoryDays = 5 * 365;
const double minuteSigma = 0.0007;
const double daySigma = 0.018;

} // namespace

using kuDemoRandom::mix;

void kuDemoMarket::rollCandle(Paper& p)
{
    const qint64 minute = m_now / 60000 * 60;
    if (minute == p.forming.time)
        return;
    p.forming.stamp = nextStamp();
    p.closed.append(p.forming);
    // Minutes older than the history a chart can ask for are let go.
    if (p.closed.size() > minuteHistoryDays * 1440)
        p.closed.remove(0, p.closed.size() - int(minuteHistoryDays * 1440));
    p.frames.addMinute(p.forming);
    for (kuDemoCandle c : p.frames.closeBefore(minute)) {
        c.stamp = nextStamp();
        (c.timeFrame == 1440 ? p.closedDays : p.closedFrames).append(c);
    }
    const int framesKept = int(minuteHistoryDays) * 600; // 288 + 144 + 96 + 48 + 24 a day
    if (p.closedFrames.size() > framesKept)
        p.closedFrames.remove(0, p.closedFrames.size() - framesKept);
    p.forming = kuDemoCandle();
    p.forming.time = minute;
    p.forming.open = p.forming.close = p.forming.high = p.forming.low = p.last;
    p.formingStamp = nextStamp();
}

// How one kind of history candle is made up.
struct kuDemoMarket::HistoryFrame
{
    qint64 seconds;     // length of a candle
    qint64 days;        // how far back history reaches
    double sigma;       // scale of the move from one candle to the next
    double spreadShare; // share of sigma that sets the high-low spread
    quint64 openSalt;
    quint64 spreadSalt;
    quint64 leastLots; // volume in lots: leastLots + (hash % lotsRange)
    quint64 lotsRange;
};

QVector<kuDemoCandle> kuDemoMarket::minuteHistory(const Paper& p, qint64 from, qint64 to) const
{
    static const HistoryFrame minutes{60, minuteHistoryDays, minuteSigma, 0.3, 1, 2, 1, 200};
    // Walk back from the opening price so that history joins the live market.
    return history(p, from, to, minuteAnchor(), p.info.firstPrice, minutes);
}

QVector<kuDemoCandle> kuDemoMarket::dayHistory(const Paper& p, qint64 from, qint64 to) const
{
    static const HistoryFrame days{86400, dayHistoryDays, daySigma, 0.5, 3, 4, 1000, 100000};
    return history(p, from, to, dayAnchor(), p.prevClose, days);
}

// Candles from 'from' to 'to', made backwards from 'anchor', where the last one closes at 'close'.
QVector<kuDemoCandle> kuDemoMarket::history(const Paper& p, qint64 from, qint64 to, qint64 anchor, double close,
                                            const HistoryFrame& frame) const
{
    QVector<kuDemoCandle> out;
    const qint64 first = anchor - frame.days * 86400;
    from = std::max(from, first);
    to = std::min(to, anchor - frame.seconds);
    if (from > to)
        return out;
    for (qint64 t = anchor - frame.seconds; t >= from; t -= frame.seconds) {
        const double open =
                std::max(p.info.step, round(p, close * std::exp(-frame.sigma * noise(p.info.id, t, frame.openSalt))));
        if (t <= to) {
            kuDemoCandle c;
            c.open = open;
            c.close = close;
            const double spread =
                    1.0 + frame.spreadShare * frame.sigma * std::fabs(noise(p.info.id, t, frame.spreadSalt));
            c.high = round(p, std::max(open, close) * spread);
            c.low = std::max(p.info.step, round(p, std::min(open, close) / spread));
            c.volume = double(p.info.lot) *
                       double(frame.leastLots + (mix(m_seed ^ quint64(t) ^ quint64(p.info.id)) % frame.lotsRange));
            c.time = t;
            c.timeFrame = int(frame.seconds / 60);
            out.append(c);
        }
        close = open;
    }
    std::reverse(out.begin(), out.end());
    return out;
}
