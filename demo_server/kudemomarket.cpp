#include "kudemomarket.h"

#include "kudemorandom.h"

#include <QDateTime>
#include <QTextCodec>

#include <algorithm>
#include <cmath>
#include <limits>

using kuDemoRandom::mix;
using kuDemoRandom::unit;

double kuDemoMarket::cents(double value)
{
    return std::round(value * 100.0) / 100.0;
}

QByteArray kuDemoMarket::koi8(const QString& text)
{
    static QTextCodec* codec = QTextCodec::codecForName("KOI8-R");
    return codec->fromUnicode(text);
}

QDateTime kuDemoMarket::serverTime(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::OffsetFromUTC, mskOffset);
}

kuDemoMarket::kuDemoMarket(quint64 seed, qint64 startMs)
    : m_seed(seed), m_start(startMs), m_now(startMs), m_day(dayOf(startMs)), m_random(mix(seed ^ 0x5eedULL)),
      m_instruments(kuDemoInstrument::catalogue(seed))
{
    for (const kuDemoInstrument& info : qAsConst(m_instruments)) {
        Paper p;
        p.info = info;
        p.last = p.open = p.high = p.low = info.firstPrice;
        p.prevClose =
                std::max(info.step,
                         round(p, info.firstPrice * (1.0 + 0.03 * (unit(mix(seed ^ quint64(info.id) * 7919)) - 0.5))));
        p.forming.time = m_now / 60000 * 60;
        p.forming.open = p.forming.close = p.forming.high = p.forming.low = p.last;
        // The longer candles of today start with the history minutes before the start.
        for (const kuDemoCandle& c : minuteHistory(p, dayAnchor(), p.forming.time - 60))
            p.frames.addMinute(c);
        m_paperIndex.insert(info.id, m_papers.size());
        m_papers.append(p);
    }
    for (Paper& p : m_papers)
        rebuildBook(p);
}

const kuDemoInstrument* kuDemoMarket::instrument(int paperId) const
{
    const Paper* p = paper(paperId);
    return p ? &p->info : nullptr;
}

double kuDemoMarket::lastPrice(int paperId) const
{
    const Paper* p = paper(paperId);
    return p ? p->last : 0.0;
}

double kuDemoMarket::bestBid(int paperId) const
{
    const Paper* p = paper(paperId);
    return p ? std::max(p->info.step, round(*p, p->last - p->info.step)) : 0.0;
}

double kuDemoMarket::bestAsk(int paperId) const
{
    const Paper* p = paper(paperId);
    return p ? round(*p, p->last + p->info.step) : 0.0;
}

kuDemoMarket::Paper* kuDemoMarket::paper(int paperId)
{
    const auto it = m_paperIndex.constFind(paperId);
    return it == m_paperIndex.constEnd() ? nullptr : &m_papers[*it];
}

const kuDemoMarket::Paper* kuDemoMarket::paper(int paperId) const
{
    const auto it = m_paperIndex.constFind(paperId);
    return it == m_paperIndex.constEnd() ? nullptr : &m_papers[*it];
}

double kuDemoMarket::round(const Paper& p, double price) const
{
    const double steps = std::round(price / p.info.step);
    // Keep the decimals of the step so that 245.3 is not sent as 245.29999.
    const double scale = std::pow(10.0, 10);
    return std::round(steps * p.info.step * scale) / scale;
}

double kuDemoMarket::noise(int paperId, qint64 t, quint64 salt) const
{
    quint64 h = mix(m_seed ^ mix(quint64(paperId) * 0x100000001b3ULL ^ mix(quint64(t) ^ (salt << 56))));
    // Sum of four uniforms: close enough to a normal draw and fully reproducible.
    double sum = 0;
    for (int i = 0; i < 4; ++i) {
        h = mix(h);
        sum += unit(h);
    }
    return (sum - 2.0) * std::sqrt(3.0);
}

void kuDemoMarket::step(qint64 ms)
{
    m_now += std::max<qint64>(0, ms);
    const qint64 day = dayOf(m_now);
    for (Paper& p : m_papers) {
        if (day != m_day)
            rollDay(p);
        rollCandle(p);
        movePaper(p, true, 0.0);
    }
    m_day = day;
    for (const Paper& p : qAsConst(m_papers))
        matchOrders(p.info.id);
}

void kuDemoMarket::setLastPrice(int paperId, double price)
{
    Paper* p = paper(paperId);
    if (!p)
        return;
    rollCandle(*p);
    movePaper(*p, false, price);
    matchOrders(paperId);
}

void kuDemoMarket::movePaper(Paper& p, bool randomMove, double target)
{
    const double old = p.last;
    const double step = p.info.step;
    bool trade = false;
    int lots = 1;
    if (randomMove) {
        if (unit(m_random()) < 0.45) {
            const int maxSteps = std::max(1, int(p.last * 0.0003 / step));
            const int k = 1 + int(m_random() % quint64(maxSteps));
            const int direction = unit(m_random()) < 0.5 ? -1 : 1;
            p.last = std::max(step, round(p, p.last + direction * k * step));
        }
        trade = unit(m_random()) < 0.35;
        lots = 1 + int(m_random() % 50);
    } else {
        p.last = std::max(step, round(p, target));
        trade = true;
    }
    const bool moved = !qFuzzyCompare(old, p.last);
    if (moved || unit(m_random()) < 0.3)
        rebuildBook(p);
    if (moved) {
        p.high = std::max(p.high, p.last);
        p.low = std::min(p.low, p.last);
        p.priceStamp = nextStamp();
        p.forming.close = p.last;
        p.forming.high = std::max(p.forming.high, p.last);
        p.forming.low = std::min(p.forming.low, p.last);
        p.formingStamp = nextStamp();
        touchHolders(p.info.id);
    }
    if (trade)
        printTrade(p, lots, p.last);
    if (moved || trade)
        p.quoteStamp = nextStamp();
}

void kuDemoMarket::rebuildBook(Paper& p)
{
    p.book.clear();
    const double step = p.info.step;
    const double bid = std::max(step, round(p, p.last - step));
    const double ask = round(p, p.last + step);
    for (int k = bookDepth - 1; k >= 0; --k)
        p.book.append({1, 5 + int(m_random() % 300), round(p, ask + k * step)});
    for (int k = 0; k < bookDepth; ++k) {
        const double price = round(p, bid - k * step);
        if (price < step / 2)
            break;
        p.book.append({2, 5 + int(m_random() % 300), price});
    }
    p.bestBidSession = std::max(p.bestBidSession, bid);
    p.bestAskSession = p.bestAskSession > 0 ? std::min(p.bestAskSession, ask) : ask;
    p.bookStamp = nextStamp();
}

void kuDemoMarket::printTrade(Paper& p, int lots, double price)
{
    p.tape.append({m_nextDealId++, m_now / 1000, lots, price, nextStamp()});
    if (p.tape.size() > tapeLength)
        p.tape.remove(0, p.tape.size() - tapeLength);
    const qint64 pieces = qint64(lots) * p.info.lot;
    ++p.trades;
    p.lots += lots;
    p.pieces += pieces;
    p.priceLots += price * lots;
    p.money += p.info.value(price) * double(pieces);
    p.forming.volume += double(pieces);
    p.formingStamp = nextStamp();
    p.quoteStamp = nextStamp();
}

qint64 kuDemoMarket::dayOf(qint64 ms)
{
    const qint64 local = ms / 1000 + mskOffset;
    return local / 86400 * 86400 - mskOffset;
}

void kuDemoMarket::rollDay(Paper& p)
{
    // The session figures start afresh; the day's candle closes with its last minute.
    p.prevClose = p.open = p.high = p.low = p.last;
    p.trades = p.lots = p.pieces = 0;
    p.money = p.priceLots = 0;
    p.bestBidSession = p.bestAskSession = 0;
    rebuildBook(p);
    p.quoteStamp = nextStamp();
}

QVector<kuDemoMarket::Level> kuDemoMarket::joinedBook(const Paper& p) const
{
    QVector<Level> own;
    double highestBuy = 0, lowestSell = std::numeric_limits<double>::max();
    for (const Order& o : m_orders) {
        if (o.paperId != p.info.id || !o.isActive() || o.isStop() || o.type != 0)
            continue;
        const int lots = o.remaining() / std::max(1, p.info.lot);
        own.append({o.act == 1 ? 2 : 1, lots, o.price});
        if (o.act == 1)
            highestBuy = std::max(highestBuy, o.price);
        else
            lowestSell = std::min(lowestSell, o.price);
    }
    if (own.isEmpty())
        return p.book;
    // A rest that is waiting after a partial fill has taken the market's levels it reached.
    const double tolerance = p.info.step / 2;
    QVector<Level> book;
    for (const Level& l : p.book) {
        if ((l.action == 1 && l.price > highestBuy + tolerance) || (l.action == 2 && l.price < lowestSell - tolerance))
            book.append(l);
    }
    for (const Level& o : qAsConst(own)) {
        auto same = std::find_if(book.begin(), book.end(), [&](const Level& l) {
            return l.action == o.action && std::fabs(l.price - o.price) < tolerance;
        });
        if (same != book.end())
            same->amount += o.amount;
        else
            book.append(o);
    }
    // Offers from the highest down to the best, then bids from the best down.
    std::stable_sort(book.begin(), book.end(), [](const Level& a, const Level& b) {
        return a.action != b.action ? a.action < b.action : a.price > b.price;
    });
    return book;
}

void kuDemoMarket::touchBook(int paperId)
{
    if (Paper* p = paper(paperId))
        p->bookStamp = nextStamp();
}
