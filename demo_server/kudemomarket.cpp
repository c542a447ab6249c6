#include "kudemomarket.h"

#include "kudemorandom.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QTextCodec>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

const qint64 minuteHistoryDays = 30;
const qint64 dayHistoryDays = 5 * 365;
const double minuteSigma = 0.0007;
const double daySigma = 0.018;
// Share of a derivative's value blocked as guarantee.
const double guaranteeShare = 0.1;

} // namespace

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

void kuDemoMarket::touchHolders(int paperId)
{
    for (Account& a : m_accounts) {
        if (a.positions.contains(paperId))
            a.stamp = nextStamp();
    }
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

void kuDemoMarket::addUser(const QString& login)
{
    if (hasUser(login))
        return;
    const int code = 100 + m_accounts.size() + 1;
    const qint64 opened = m_start - 14 * 86400000LL;

    Account stock;
    stock.login = login;
    stock.name = QStringLiteral("Фондовый-") + login;
    stock.code = code;
    stock.isDefault = true;
    stock.exchanges = {1};
    stock.money = 1000000.0;
    auto hold = [&](Account& a, int paperId, int amount, double factor) {
        const Paper* p = paper(paperId);
        if (!p)
            return;
        Position pos;
        pos.paperId = paperId;
        pos.opened = opened;
        pos.amount = amount;
        pos.price = round(*p, p->info.firstPrice * factor);
        a.positions.insert(paperId, pos);
    };
    hold(stock, 1, 100, 0.93);
    hold(stock, 3, 5, 1.02);
    hold(stock, 13, 20, 0.99);
    hold(stock, 18, 2000, 0.98);

    Account futures;
    futures.login = login;
    futures.name = QStringLiteral("Срочный-") + login;
    futures.code = code + 1;
    futures.isDefault = false;
    futures.exchanges = {2};
    futures.money = 500000.0;
    hold(futures, 22, 2, 0.99);
    hold(futures, 24, -3, 1.01);

    seedHistory(stock);
    seedHistory(futures);
    stock.stamp = nextStamp();
    futures.stamp = nextStamp();
    m_accounts.append(stock);
    m_accounts.append(futures);
}

// Two weeks of an account's past, so that a new user finds orders of every kind and operations
// of every act: the trades that opened its positions, a round trip, refused and cancelled orders,
// money operations, and an active limit and stop order far enough from the market to stay.
// Balances run forward from an opening deposit and end at the account's money.
void kuDemoMarket::seedHistory(Account& a)
{
    const bool derivatives = a.exchanges.contains(2);
    const qint64 midnight = dayAnchor() * 1000; // the start day at the server, ms
    auto at = [&](int daysBack, int hour, int minute) {
        return midnight - daysBack * 86400000LL + (hour * 60 + minute) * 60000LL;
    };
    auto priceOf = [&](int paperId, double factor) {
        const Paper* p = paper(paperId);
        return std::max(p->info.step, round(*p, p->info.firstPrice * factor));
    };
    QVector<double> effects; // the money each operation moved, in the order of a.fills
    auto addOrder = [&](qint64 time, int paperId, int act, int amount, double price, int status,
                        const QString& reason) -> Order& {
        Order o;
        o.id = m_nextOrderId++;
        o.account = a.name;
        o.placed = time;
        o.paperId = paperId;
        o.act = act;
        o.amount = amount;
        o.price = price;
        o.status = status;
        o.reason = reason;
        o.stamp = nextStamp();
        return *m_orders.insert(o.id, o);
    };
    auto addFill = [&](qint64 time, int paperId, int act, int amount, double price, double total, double comiss,
                       double effect, const QString& note) {
        Fill f;
        f.id = m_nextFillId++;
        f.time = time;
        f.paperId = paperId;
        f.act = act;
        f.amount = amount;
        f.price = price;
        f.total = total;
        f.comiss = comiss;
        f.note = note;
        f.stamp = nextStamp();
        a.fills.append(f);
        effects.append(effect);
    };
    auto trade = [&](qint64 time, int paperId, int act, int amount, double factor) {
        const Paper* p = paper(paperId);
        const double price = priceOf(paperId, factor);
        Order& o = addOrder(time - 60000, paperId, act, amount, price, 3, QString());
        o.filled = amount;
        o.filledValue = price * amount;
        o.lastFill = time;
        const double total = p->info.value(price) * amount;
        const double comiss = derivatives ? 2.0 * amount : std::round(total * 0.0005 * 100.0) / 100.0;
        const double effect = (derivatives ? 0.0 : act == 1 ? -total : total) - comiss;
        addFill(time, paperId, act, amount, price, total, comiss, effect,
                QStringLiteral("Сделка по поручению %1").arg(o.id));
    };
    // Acts 3, 6 and 10 credit, 4, 7, 9 and 11 debit; 5 (revaluation) and 8 (interest) carry their sign.
    auto money = [&](qint64 time, int act, double sum, const QString& note, int paperId = 0, int amount = 0) {
        const bool debit = act == 4 || act == 7 || act == 9 || act == 11;
        addFill(time, paperId, act, amount, amount ? cents(sum / amount) : 0.0, sum, 0.0, debit ? -sum : sum, note);
    };
    auto stop = [&](qint64 time, int paperId, int act, int amount, double if1, double stop1, double if2, double stop2) {
        // A stop price of 0 executes at the market.
        Order& o = addOrder(time, paperId, act, amount, 0.0, 1, QString());
        o.fcond = o.scond = 1;
        o.ifPrice1 = priceOf(paperId, if1);
        o.isMarket1 = stop1 > 0 ? 0 : 1;
        o.stopPrice1 = stop1 > 0 ? priceOf(paperId, stop1) : 0.0;
        o.ifPrice2 = priceOf(paperId, if2);
        o.isMarket2 = stop2 > 0 ? 0 : 1;
        o.stopPrice2 = stop2 > 0 ? priceOf(paperId, stop2) : 0.0;
    };
    const QString byClient = QStringLiteral("Снято по запросу клиента");
    const QString noMoney = QStringLiteral("Недостаточно средств");

    money(at(14, 10, 0), 3, 0.0, QStringLiteral("Зачисление денежных средств на счёт"));
    if (!derivatives) {
        int hour = 11;
        for (const Position& pos : qAsConst(a.positions))
            trade(at(14, hour++, 15), pos.paperId, 1, pos.amount, pos.price / paper(pos.paperId)->info.firstPrice);
        addOrder(at(12, 12, 10), 1, 1, 5, priceOf(1, 0.97), 5,
                 QStringLiteral("Количество должно быть кратно лоту (10)"));
        Order& market = addOrder(at(11, 13, 20), 12, 1, 3, 0.0, 5,
                                 QStringLiteral("Рыночные поручения по инструменту запрещены"));
        market.type = 1;
        trade(at(10, 10, 45), 2, 1, 1000, 0.96);
        addOrder(at(10, 16, 30), 4, 2, 50, priceOf(4, 1.08), 6, byClient).limitation = 1;
        trade(at(8, 11, 0), 2, 2, 1000, 0.99);
        addOrder(at(8, 14, 0), 10, 1, 30, priceOf(10, 0.9), 6, QStringLiteral("Снято по окончании торговой сессии"));
        const double coupon = paper(13)->info.coupon * a.positions.value(13).amount;
        money(at(7, 9, 0), 6, cents(coupon), QStringLiteral("Выплата купона VG26238"), 13,
              a.positions.value(13).amount);
        money(at(7, 9, 1), 7, cents(coupon * 0.13), QStringLiteral("Удержание налога с купона VG26238"), 13);
        money(at(6, 23, 0), 8, 312.45, QStringLiteral("Проценты на остаток денежных средств"));
        money(at(5, 23, 30), 9, 150.0, QStringLiteral("Депозитарный сбор за ноябрь"));
        money(at(4, 9, 0), 10, 12.5 * a.positions.value(1).amount, QStringLiteral("Дивиденды VLMR"), 1,
              a.positions.value(1).amount);
        money(at(3, 15, 0), 4, 50000.0, QStringLiteral("Вывод денежных средств"));
        money(at(3, 23, 0), 11, 500.0, QStringLiteral("Вознаграждение брокера за ноябрь"));
        addOrder(at(2, 11, 40), 3, 1, 500, priceOf(3, 1.0), 5, noMoney);
        addOrder(at(1, 15, 0), 4, 1, 100, priceOf(4, 0.85), 1, QString()).limitation = 1;
        stop(at(1, 15, 10), 3, 6, 5, 0.9, 0.0, 1.12, 1.115);
    } else {
        int hour = 11;
        for (const Position& pos : qAsConst(a.positions))
            trade(at(14, hour++, 20), pos.paperId, pos.amount > 0 ? 1 : 2, std::abs(pos.amount),
                  pos.price / paper(pos.paperId)->info.firstPrice);
        money(at(13, 19, 0), 5, 1830.5, QStringLiteral("Вариационная маржа"));
        addOrder(at(12, 11, 0), 23, 1, 1000, priceOf(23, 1.0), 5, noMoney);
        addOrder(at(11, 12, 30), 21, 1, 1, priceOf(21, 1.0) + 0.5, 5, QStringLiteral("Цена не кратна шагу цены (1)"));
        money(at(10, 19, 0), 5, -2410.0, QStringLiteral("Вариационная маржа"));
        addOrder(at(9, 14, 15), 25, 2, 2, priceOf(25, 1.05), 6, byClient);
        addOrder(at(8, 10, 30), 1, 1, 10, priceOf(1, 1.0), 5,
                 QStringLiteral("Инструмент не торгуется на площадках счёта"));
        money(at(7, 19, 0), 5, 955.25, QStringLiteral("Вариационная маржа"));
        money(at(6, 23, 0), 11, 120.0, QStringLiteral("Биржевой сбор"));
        money(at(4, 19, 0), 5, -640.75, QStringLiteral("Вариационная маржа"));
        addOrder(at(1, 12, 0), 23, 1, 1, priceOf(23, 0.95), 1, QString()).limitation = 1;
        stop(at(1, 12, 5), 21, 5, 1, 0.9, 0.905, 1.1, 0.0);
        money(at(1, 19, 0), 5, 1275.0, QStringLiteral("Вариационная маржа"));
    }
    // The opening deposit is what the later operations leave for the money the account has now.
    double later = 0;
    for (int i = 1; i < effects.size(); ++i)
        later += effects.at(i);
    a.fills[0].total = effects[0] = cents(a.money - later);
    double balance = 0;
    for (int i = 0; i < a.fills.size(); ++i) {
        balance += effects.at(i);
        a.fills[i].money = balance;
    }
}

bool kuDemoMarket::hasUser(const QString& login) const
{
    return std::any_of(m_accounts.cbegin(), m_accounts.cend(), [&](const Account& a) { return a.login == login; });
}

QStringList kuDemoMarket::accounts(const QString& login) const
{
    QStringList names;
    for (const Account& a : m_accounts) {
        if (a.login == login)
            names << a.name;
    }
    return names;
}

QString kuDemoMarket::accountByHash(const QString& login, const QString& hash) const
{
    for (const Account& a : m_accounts) {
        if (a.login == login &&
            QCryptographicHash::hash(koi8(a.name), QCryptographicHash::Sha1).toHex() == hash.toLatin1().toLower())
            return a.name;
    }
    return QString();
}

kuDemoMarket::Account* kuDemoMarket::account(const QString& name)
{
    for (Account& a : m_accounts) {
        if (a.name == name)
            return &a;
    }
    return nullptr;
}

const kuDemoMarket::Account* kuDemoMarket::account(const QString& name) const
{
    for (const Account& a : m_accounts) {
        if (a.name == name)
            return &a;
    }
    return nullptr;
}

const kuDemoMarket::Order* kuDemoMarket::order(int orderId) const
{
    const auto it = m_orders.constFind(orderId);
    return it == m_orders.constEnd() ? nullptr : &*it;
}

double kuDemoMarket::blockedMoney(const Account& a) const
{
    double sum = 0;
    for (const Order& o : m_orders) {
        if (o.account != a.name || !o.isActive() || o.isStop())
            continue;
        const Paper* q = paper(o.paperId);
        if (!q)
            continue;
        if (q->info.isDerivative())
            sum += q->info.value(o.type ? q->last : o.price) * o.remaining() * guaranteeShare;
        else if (o.act == 1)
            sum += q->info.value(o.type ? bestAsk(o.paperId) : o.price) * o.remaining();
    }
    return sum;
}

double kuDemoMarket::guarantee(const Account& a) const
{
    double sum = 0;
    for (const Position& pos : a.positions) {
        const Paper* q = paper(pos.paperId);
        if (q && q->info.isDerivative())
            sum += q->info.value(q->last) * std::abs(pos.amount) * guaranteeShare;
    }
    return sum;
}

double kuDemoMarket::unrealized(const Account& a) const
{
    double sum = 0;
    for (const Position& pos : a.positions) {
        const Paper* q = paper(pos.paperId);
        if (q)
            sum += (q->info.value(q->last) - q->info.value(pos.price)) * pos.amount;
    }
    return sum;
}

int kuDemoMarket::reject(Order& o, const QString& reason)
{
    o.status = 5;
    o.reason = reason;
    o.stamp = nextStamp();
    m_orders.insert(o.id, o);
    return o.id;
}

int kuDemoMarket::orderRequest(const QString& login, const kuDemoOrderRequest& r)
{
    const bool isCancel = r.code == 1003 || r.code == 1012;
    const bool isChange = r.code == 1002 || r.code == 1011;
    const bool isStop = r.code == 1010 || r.code == 1011 || r.code == 1012;

    if (isCancel || isChange) {
        auto it = m_orders.find(r.orderId);
        const Account* owner = it == m_orders.end() ? nullptr : account(it->account);
        if (!owner || owner->login != login || it->isStop() != isStop)
            return -3;
        if (!it->isActive())
            return -10;
        if (isCancel) {
            // What was filled stays filled: a partly filled order closes as such.
            it->status = it->filled > 0 ? 4 : 6;
            it->reason = QStringLiteral("Снято по запросу клиента");
            it->stamp = nextStamp();
            account(it->account)->stamp = nextStamp();
            if (!it->isStop())
                touchBook(it->paperId);
            return it->id;
        }
    }

    const Account* a = account(r.account);
    if (!a || a->login != login)
        return -12;
    const Paper* q = paper(r.paperId);
    if (!q)
        return -3;
    if (isChange && (m_orders.value(r.orderId).account != r.account || m_orders.value(r.orderId).paperId != r.paperId))
        return -3;

    Order o = isChange ? m_orders.value(r.orderId) : Order();
    if (!isChange) {
        o.id = m_nextOrderId++;
        o.account = r.account;
        o.placed = m_now;
        o.paperId = r.paperId;
    }
    const int side = r.action < 0 ? -1 : 1;
    o.amount = r.amount;
    if (isStop) {
        o.act = side > 0 ? 5 : 6;
        o.fcond = r.fcond ? 1 : 0;
        o.scond = r.scond ? 1 : 0;
        o.isMarket1 = r.isMarket1 ? 1 : 0;
        o.isMarket2 = r.isMarket2 ? 1 : 0;
        o.ifPrice1 = r.ifPrice1;
        o.stopPrice1 = r.stopPrice1;
        o.ifPrice2 = r.ifPrice2;
        o.stopPrice2 = r.stopPrice2;
    } else {
        o.act = side > 0 ? 1 : 2;
        o.price = r.price;
        o.type = r.isMarket ? 1 : 0;
        o.limitation = r.ordTime == 2 ? 1 : 0;
    }
    const double step = q->info.step;
    // A refused change leaves the order as it was; a refused new order is kept as rejected.
    auto refuse = [&](const QString& reason) { return isChange ? -3 : reject(o, reason); };
    auto offGrid = [&](double price) { return std::fabs(price / step - std::round(price / step)) > 1e-6; };

    if (!a->exchanges.contains(q->info.exchangeId))
        return refuse(QStringLiteral("Инструмент не торгуется на площадках счёта"));
    if (o.amount <= 0 || o.amount % q->info.lot != 0)
        return refuse(QStringLiteral("Количество должно быть кратно лоту (%1)").arg(q->info.lot));
    if (o.amount <= o.filled)
        return refuse(QStringLiteral("Количество должно быть больше исполненного (%1)").arg(o.filled));
    if (isStop) {
        if (!o.fcond && !o.scond)
            return refuse(QStringLiteral("Не задано ни одно условие"));
        if ((o.fcond && o.ifPrice1 <= 0) || (o.scond && o.ifPrice2 <= 0))
            return refuse(QStringLiteral("Неверная цена срабатывания"));
        if ((o.fcond && o.isMarket1 && !q->info.marketAllowed) || (o.scond && o.isMarket2 && !q->info.marketAllowed))
            return refuse(QStringLiteral("Рыночные поручения по инструменту запрещены"));
    } else {
        if (o.type == 1 && !q->info.marketAllowed)
            return refuse(QStringLiteral("Рыночные поручения по инструменту запрещены"));
        if (o.type == 0 && (o.price <= 0 || offGrid(o.price)))
            return refuse(QStringLiteral("Цена не кратна шагу цены (%1)").arg(step));
        const double price = o.type ? bestAsk(o.paperId) : o.price;
        double need = q->info.value(price) * o.remaining();
        if (q->info.isDerivative())
            need *= guaranteeShare;
        else if (o.act == 2)
            need = 0;
        const Order previous = isChange ? m_orders.value(o.id) : Order();
        const double free = a->money - blockedMoney(*a);
        const double released =
                isChange && previous.isActive() ? q->info.value(previous.price) * previous.remaining() : 0.0;
        if (need > free + released)
            return refuse(QStringLiteral("Недостаточно средств"));
    }
    o.status = o.filled > 0 ? 2 : 1;
    o.reason.clear();
    o.stamp = nextStamp();
    m_orders.insert(o.id, o);
    account(o.account)->stamp = nextStamp();
    if (!o.isStop())
        touchBook(o.paperId);
    matchOrders(o.paperId);
    return o.id;
}

void kuDemoMarket::matchOrders(int paperId)
{
    Paper* q = paper(paperId);
    if (!q)
        return;
    // Orders placed by triggered stops are matched in the next round.
    for (int pass = 0; pass < 3; ++pass) {
        QVector<int> ids;
        for (const Order& o : qAsConst(m_orders)) {
            if (o.paperId == paperId && o.isActive())
                ids.append(o.id);
        }
        bool placed = false;
        for (int id : qAsConst(ids)) {
            Order& o = m_orders[id];
            const double bid = bestBid(paperId);
            const double ask = bestAsk(paperId);
            if (o.isStop()) {
                const bool first = o.fcond && q->last <= o.ifPrice1 + 1e-9;
                const bool second = o.scond && q->last >= o.ifPrice2 - 1e-9;
                if (!first && !second)
                    continue;
                const int condition = first ? 1 : 2;
                o.status = 3;
                o.stamp = nextStamp();
                const Order stop = o;
                placeChild(stop, condition == 1 ? stop.isMarket1 : stop.isMarket2,
                           condition == 1 ? stop.stopPrice1 : stop.stopPrice2, condition);
                placed = true;
            } else if (o.status == 2 && m_now - o.lastFill < refillPauseMs) {
                continue;
            } else if (o.act == 1 && (o.type == 1 || ask <= o.price + 1e-9)) {
                fillOrder(o, o.type == 1 ? ask : std::min(o.price, ask),
                          std::min(o.remaining(), crossingPieces(*q, 1)));
            } else if (o.act == 2 && (o.type == 1 || bid >= o.price - 1e-9)) {
                fillOrder(o, o.type == 1 ? bid : std::max(o.price, bid),
                          std::min(o.remaining(), crossingPieces(*q, -1)));
            }
        }
        if (!placed)
            break;
    }
}

void kuDemoMarket::placeChild(const Order& stop, bool market, double price, int condition)
{
    Order child;
    child.id = m_nextOrderId++;
    child.account = stop.account;
    child.placed = m_now;
    child.paperId = stop.paperId;
    child.act = stop.act == 5 ? 1 : 2;
    child.amount = stop.amount;
    child.type = market || price <= 0 ? 1 : 0;
    child.price = child.type ? 0.0 : price;
    child.status = 1;
    child.stamp = nextStamp();
    m_orders.insert(child.id, child);
    if (child.type == 0)
        touchBook(child.paperId);
    Order& s = m_orders[stop.id];
    s.reason = QStringLiteral("Условие %1 выполнено, выставлено поручение %2").arg(condition).arg(child.id);
    s.stamp = nextStamp();
    if (Account* a = account(stop.account))
        a->stamp = nextStamp();
}

// What the best level on the other side holds, in pieces: the most one fill can take.
int kuDemoMarket::crossingPieces(const Paper& p, int side) const
{
    const Level* best = nullptr;
    for (const Level& l : p.book) {
        if (l.action != (side > 0 ? 1 : 2))
            continue;
        if (!best || (side > 0 ? l.price < best->price : l.price > best->price))
            best = &l;
    }
    return best ? best->amount * p.info.lot : std::numeric_limits<int>::max();
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

void kuDemoMarket::fillOrder(Order& o, double price, int pieces)
{
    Account* a = account(o.account);
    Paper* q = paper(o.paperId);
    if (!a || !q)
        return;
    const kuDemoInstrument& info = q->info;
    if (pieces <= 0)
        return;
    const int signedAmount = o.act == 1 ? pieces : -pieces;
    const double total = info.value(price) * pieces;
    const double comiss = info.isDerivative() ? 2.0 * pieces : std::round(total * 0.0005 * 100.0) / 100.0;

    Position& pos = a->positions[o.paperId];
    if (pos.paperId == 0) {
        pos.paperId = o.paperId;
        pos.opened = m_now;
    }
    const int old = pos.amount;
    const int now = old + signedAmount;
    if (info.isDerivative()) {
        if (old != 0 && (old > 0) != (signedAmount > 0)) {
            const int closed = std::min(std::abs(old), std::abs(signedAmount));
            a->money += (info.value(price) - info.value(pos.price)) * closed * (old > 0 ? 1 : -1);
        }
    } else {
        a->money -= signedAmount * info.value(price);
    }
    a->money -= comiss;
    if (old == 0 || (old > 0) == (signedAmount > 0))
        pos.price = (pos.price * std::abs(old) + price * std::abs(signedAmount)) / std::abs(now);
    else if (now != 0 && (now > 0) != (old > 0))
        pos.price = price;
    pos.amount = now;
    if (now == 0)
        a->positions.remove(o.paperId);

    o.filled += pieces;
    o.filledValue += price * pieces;
    o.lastFill = m_now;
    o.status = o.filled >= o.amount ? 3 : 2;
    // A market order shows what it was filled at, on average over its fills.
    if (o.type == 1)
        o.price = std::round(o.filledValue / o.filled * 1e8) / 1e8;
    o.stamp = nextStamp();
    if (o.type == 0)
        touchBook(o.paperId);
    Fill f;
    f.id = m_nextFillId++;
    f.time = m_now;
    f.paperId = o.paperId;
    f.act = o.act;
    f.amount = pieces;
    f.price = price;
    f.total = total;
    f.comiss = comiss;
    f.money = a->money;
    f.note = QStringLiteral("Сделка по поручению %1").arg(o.id);
    f.stamp = nextStamp();
    a->fills.append(f);
    a->stamp = nextStamp();
    printTrade(*q, std::max(1, pieces / std::max(1, info.lot)), price);
}
