#include "kudemoreplies.h"

#include "kudemopacker.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

QByteArray koi8(const QString& text)
{
    return kuDemoMarket::koi8(text);
}

double cents(double value)
{
    return kuDemoMarket::cents(value);
}

QByteArray date(qint64 ms)
{
    return kuDemoMarket::serverTime(ms).toString(QStringLiteral("yyyy-MM-dd")).toLatin1();
}

QByteArray time(qint64 ms)
{
    return kuDemoMarket::serverTime(ms).toString(QStringLiteral("HH:mm:ss")).toLatin1();
}

// A candle's seven fields, in the order the terminal reads them.
void packCandle(kuDemoPacker& p, const kuDemoCandle& c)
{
    p.real(c.open).real(c.close).real(c.high).real(c.low).real(c.volume).integer(c.time).integer(c.timeFrame);
}

// The candles stamped after `since`, oldest first; stamps grow along the list.
QVector<const kuDemoCandle*> newest(const QVector<kuDemoCandle>& list, quint64 since)
{
    int first = list.size();
    while (first > 0 && list.at(first - 1).stamp > since)
        --first;
    QVector<const kuDemoCandle*> found;
    for (int i = first; i < list.size(); ++i)
        found.append(&list.at(i));
    return found;
}

} // namespace

void kuDemoReplies::packLogin(kuDemoPacker& p, const QString& login, const QString& session) const
{
    const QStringList names = m_market.accounts(login);
    p.map(quint32(1 + names.size()));
    // No session (a hostile server): the key is there, its value nil.
    if (session.isEmpty())
        p.str("session").array(1).nil();
    else
        p.str("session").array(1).str(session.toLatin1());
    int n = 0;
    for (const QString& name : names) {
        const kuDemoMarket::Account* a = m_market.account(name);
        p.str("account" + QByteArray::number(++n));
        p.array(quint32(3 + a->exchanges.size()));
        p.str(koi8(a->name)).integer(a->code).integer(a->isDefault ? 1 : 0);
        for (int exchange : a->exchanges)
            p.integer(exchange);
    }
}

void kuDemoReplies::packInstruments(kuDemoPacker& p) const
{
    p.array(quint32(m_market.m_papers.size() * 14));
    for (const kuDemoMarket::Paper& paper : m_market.m_papers) {
        const kuDemoInstrument& i = paper.info;
        p.integer(i.id).integer(i.type).integer(i.lot).integer(i.exchangeId).integer(i.spare).integer(i.marketAllowed);
        p.real(i.step).real(i.nominal).real(i.coupon);
        p.str(koi8(i.ticker)).str(koi8(i.issuer)).str(koi8(i.shortName));
        p.str(koi8(i.spareText)).str(koi8(i.exchangeName));
    }
}

void kuDemoReplies::packQuote(kuDemoPacker& p, int paperId, bool withKind) const
{
    const kuDemoMarket::Paper* q = m_market.paper(paperId);
    if (!q)
        return;
    int toBuy = 0, toSell = 0, toBuyTotal = 0, toSellTotal = 0;
    for (const kuDemoMarket::Level& l : q->book) {
        if (l.action == 1) {
            toSellTotal += l.amount;
            toSell = l.amount; // offers run down to the best one
        } else {
            toBuyTotal += l.amount;
            if (toBuy == 0)
                toBuy = l.amount;
        }
    }
    const double avg = q->lots > 0 ? m_market.round(*q, q->priceLots / double(q->lots)) : 0.0;
    p.array(withKind ? 20 : 18);
    if (withKind)
        p.integer(1).integer(paperId);
    p.integer(paperId).real(m_market.bestBid(paperId)).integer(toBuy).real(m_market.bestAsk(paperId)).integer(toSell);
    p.integer(toBuyTotal).integer(toSellTotal);
    p.real(q->open).real(q->high).real(q->low).real(q->last).real(avg);
    p.integer(q->pieces).integer(q->trades).real(q->money);
    p.real(q->bestBidSession).real(q->bestAskSession).real(q->prevClose);
}

void kuDemoReplies::packOrderBook(kuDemoPacker& p, int paperId, bool withKind) const
{
    const kuDemoMarket::Paper* q = m_market.paper(paperId);
    if (!q)
        return;
    const QVector<kuDemoMarket::Level> book = m_market.joinedBook(*q);
    p.array(quint32(book.size() * 4 + (withKind ? 2 : 0)));
    if (withKind)
        p.integer(10).integer(paperId);
    for (const kuDemoMarket::Level& l : book) {
        // A rough yield for bonds: coupon rate plus the pull to par.
        const double yield =
                q->info.type == 2 ? std::round(std::max(0.5, 9.0 + 0.8 * (100.0 - l.price)) * 100.0) / 100.0 : 0.0;
        p.integer(l.action).integer(l.amount).real(l.price).real(yield);
    }
}

void kuDemoReplies::packTape(kuDemoPacker& p, int paperId, quint64 since, bool withKind) const
{
    const kuDemoMarket::Paper* q = m_market.paper(paperId);
    if (!q)
        return;
    QVector<const kuDemoMarket::TapeTrade*> trades;
    for (const kuDemoMarket::TapeTrade& t : q->tape) {
        if (t.stamp > since)
            trades.append(&t);
    }
    p.array(quint32(trades.size() * 4 + (withKind ? 2 : 0)));
    if (withKind)
        p.integer(13).integer(paperId);
    for (const kuDemoMarket::TapeTrade* t : qAsConst(trades))
        p.integer(t->time).integer(t->amount).real(t->price).integer(t->dealId);
}

void kuDemoReplies::packCandles(kuDemoPacker& p, int paperId, qint64 minuteFrom, qint64 to, qint64 dayFrom) const
{
    const kuDemoMarket::Paper* q = m_market.paper(paperId);
    if (!q)
        return;
    QVector<kuDemoCandle> candles = m_market.minuteHistory(*q, minuteFrom, to);
    for (const kuDemoCandle& c : q->closed) {
        if (c.time >= minuteFrom && c.time <= to)
            candles.append(c);
    }
    candles += m_market.dayHistory(*q, dayFrom, to);
    for (const kuDemoCandle& c : q->closedDays) {
        if (c.time >= dayFrom && c.time <= to)
            candles.append(c);
    }
    p.array(quint32(candles.size() * 7));
    for (const kuDemoCandle& c : qAsConst(candles))
        packCandle(p, c);
}

void kuDemoReplies::packOrder(kuDemoPacker& p, const kuDemoMarket::Order& o) const
{
    p.integer(o.id).str(date(o.placed)).str(time(o.placed));
    p.integer(o.paperId).integer(o.act).integer(o.amount).real(o.price);
    const kuDemoMarket::Paper* q = m_market.paper(o.paperId);
    p.real(q ? cents(q->info.value(o.price) * o.amount) : 0.0);
    p.integer(o.status).integer(o.type).integer(o.limitation).str(koi8(o.reason));
    p.integer(o.fcond).integer(o.scond).integer(o.isMarket1).integer(o.isMarket2);
    p.real(o.ifPrice1).real(o.stopPrice1).real(o.ifPrice2).real(o.stopPrice2);
}

void kuDemoReplies::packFill(kuDemoPacker& p, const kuDemoMarket::Fill& f) const
{
    p.integer(f.id).str(date(f.time)).str(time(f.time));
    p.integer(f.paperId)
            .integer(f.act)
            .integer(f.amount)
            .real(f.price)
            .real(cents(f.total))
            .real(f.comiss)
            .real(cents(f.money));
    p.str(koi8(f.note));
}

void kuDemoReplies::packAccount(kuDemoPacker& p, const kuDemoMarket::Account& a) const
{
    p.map(4);
    p.str("part_id").bin(koi8(a.name));
    p.str("position").array(quint32(a.positions.size() * 8));
    double holdings = 0;
    for (const kuDemoMarket::Position& pos : a.positions) {
        const kuDemoMarket::Paper* q = m_market.paper(pos.paperId);
        int blocked = 0, buying = 0;
        for (const kuDemoMarket::Order& o : m_market.m_orders) {
            if (o.account == a.name && o.paperId == pos.paperId && o.isActive() && !o.isStop())
                (o.act == 2 ? blocked : buying) += o.remaining();
        }
        const double last = q ? q->last : 0.0;
        if (q && !q->info.isDerivative())
            holdings += q->info.value(last) * pos.amount;
        p.integer(pos.paperId).str(date(pos.opened));
        // A future's book value is in price points, as the terminal values it by price step.
        double cost = 0;
        if (q)
            cost = q->info.isDerivative() ? pos.price * pos.amount : cents(q->info.value(pos.price) * pos.amount);
        p.integer(pos.amount).real(pos.price).real(cost);
        p.integer(blocked).integer(pos.amount + buying - blocked).real(last);
    }
    const double blocked = m_market.blockedMoney(a);
    const double go = m_market.guarantee(a);
    const double profit = m_market.unrealized(a);
    double derivativeProfit = 0;
    for (const kuDemoMarket::Position& pos : a.positions) {
        const kuDemoMarket::Paper* q = m_market.paper(pos.paperId);
        if (q && q->info.isDerivative())
            derivativeProfit += (q->info.value(q->last) - q->info.value(pos.price)) * pos.amount;
    }
    const double portfolio = a.money + holdings + derivativeProfit;
    p.str("money")
            .array(6)
            .real(cents(a.money))
            .real(cents(blocked))
            .real(cents(a.money - blocked))
            .real(cents(go))
            .real(cents(profit));
    p.real(go > 0 ? cents(portfolio / go * 100.0) : 0.0);
    p.str("margin").array(3).real(cents(portfolio)).real(cents(go * 0.5)).real(cents(go));
}

void kuDemoReplies::packPortfolio(kuDemoPacker& p, const QString& login, quint64 since, bool withKind) const
{
    QVector<const kuDemoMarket::Account*> list;
    for (const kuDemoMarket::Account& a : m_market.m_accounts) {
        if (a.login == login && a.stamp > since)
            list.append(&a);
    }
    p.array(quint32(list.size() + (withKind ? 1 : 0)));
    if (withKind)
        p.integer(80);
    for (const kuDemoMarket::Account* a : qAsConst(list))
        packAccount(p, *a);
}

// Per account of the login, the entries that select() picks, packed under `key`.
template <typename Select, typename PackEntry>
void kuDemoReplies::packByAccount(kuDemoPacker& p, const QString& login, bool withKind, qint64 kind, const char* key,
                                  int fieldsPerEntry, Select select, PackEntry packEntry) const
{
    using Entries = decltype(select(std::declval<const kuDemoMarket::Account&>()));
    QVector<QPair<const kuDemoMarket::Account*, Entries>> groups;
    for (const kuDemoMarket::Account& a : m_market.m_accounts) {
        if (a.login != login)
            continue;
        const Entries entries = select(a);
        // A snapshot names every account, an update only those that changed.
        if (!withKind || !entries.isEmpty())
            groups.append({&a, entries});
    }
    p.array(quint32(groups.size() + (withKind ? 1 : 0)));
    if (withKind)
        p.integer(kind);
    for (const auto& g : qAsConst(groups)) {
        p.map(2).str("part_id").bin(koi8(g.first->name));
        p.str(key).array(quint32(g.second.size() * fieldsPerEntry));
        for (const auto* entry : g.second)
            packEntry(*entry);
    }
}

void kuDemoReplies::packOrders(kuDemoPacker& p, const QString& login, quint64 since, bool withKind) const
{
    const auto select = [this, since](const kuDemoMarket::Account& a) {
        QVector<const kuDemoMarket::Order*> orders;
        for (const kuDemoMarket::Order& o : m_market.m_orders) {
            if (o.account == a.name && o.stamp > since)
                orders.append(&o);
        }
        return orders;
    };
    packByAccount(p, login, withKind, 82, "orders", 20, select,
                  [this, &p](const kuDemoMarket::Order& o) { packOrder(p, o); });
}

void kuDemoReplies::packTrades(kuDemoPacker& p, const QString& login, quint64 since, bool withKind) const
{
    const auto select = [since](const kuDemoMarket::Account& a) {
        QVector<const kuDemoMarket::Fill*> fills;
        for (const kuDemoMarket::Fill& f : a.fills) {
            if (f.stamp > since)
                fills.append(&f);
        }
        return fills;
    };
    packByAccount(p, login, withKind, 83, "trades", 11, select,
                  [this, &p](const kuDemoMarket::Fill& f) { packFill(p, f); });
}

void kuDemoReplies::packReport(kuDemoPacker& p, const QString& accountName, const QString& login, qint64 fromSec,
                               qint64 toSec) const
{
    QVector<const kuDemoMarket::Fill*> fills;
    const kuDemoMarket::Account* a = m_market.account(accountName);
    if (a && a->login == login) {
        for (const kuDemoMarket::Fill& f : a->fills) {
            if (f.time / 1000 >= fromSec && f.time / 1000 <= toSec)
                fills.append(&f);
        }
    }
    p.array(quint32(fills.size() * 11));
    for (const kuDemoMarket::Fill* f : qAsConst(fills))
        packFill(p, *f);
}

void kuDemoReplies::packTime(kuDemoPacker& p) const
{
    // The clock reply has its own date format.
    const QByteArray day = kuDemoMarket::serverTime(m_market.now()).toString(QStringLiteral("dd.MM.yyyy")).toLatin1();
    p.array(2).str(day).str(time(m_market.now()));
}

void kuDemoReplies::packMarketUpdates(kuDemoPacker& p, const QSet<kuDemoStream>& streams, quint64 since) const
{
    QList<kuDemoStream> sorted = streams.values();
    std::sort(sorted.begin(), sorted.end());
    QVector<QByteArray> entries;
    QVector<int> prices;
    for (const kuDemoStream& s : qAsConst(sorted)) {
        const kuDemoMarket::Paper* q = m_market.paper(s.second);
        if (!q)
            continue;
        kuDemoPacker e;
        switch (s.first) {
        case 1:
            if (q->quoteStamp > since) {
                packQuote(e, s.second, true);
                entries.append(e.bytes());
            }
            break;
        case 10:
            if (q->bookStamp > since) {
                packOrderBook(e, s.second, true);
                entries.append(e.bytes());
            }
            break;
        case 13:
            if (!q->tape.isEmpty() && q->tape.constLast().stamp > since) {
                packTape(e, s.second, since, true);
                entries.append(e.bytes());
            }
            break;
        case 7: {
            // Closed candles by time frame, each oldest first: minutes, the longer ones, then days.
            QVector<const kuDemoCandle*> closed = newest(q->closed, since);
            const QVector<const kuDemoCandle*> frames = newest(q->closedFrames, since);
            for (int size : kuDemoCandleFrames::sizes()) {
                for (const kuDemoCandle* k : frames) {
                    if (k->timeFrame == size)
                        closed.append(k);
                }
            }
            closed += newest(q->closedDays, since);
            if (!closed.isEmpty()) {
                kuDemoPacker c;
                c.array(quint32(3 + closed.size() * 7)).integer(7).integer(s.second).integer(1);
                for (const kuDemoCandle* k : qAsConst(closed))
                    packCandle(c, *k);
                entries.append(c.bytes());
            }
            // The forming minute, then the forming candle of every longer frame.
            if (q->formingStamp > since) {
                const QVector<kuDemoCandle> forming = q->frames.forming(q->forming);
                e.array(quint32(3 + (1 + forming.size()) * 7)).integer(7).integer(s.second).integer(2);
                packCandle(e, q->forming);
                for (const kuDemoCandle& k : forming)
                    packCandle(e, k);
                entries.append(e.bytes());
            }
            break;
        }
        case 14:
            if (q->priceStamp > since)
                prices.append(s.second);
            break;
        default:
            break;
        }
    }
    if (!prices.isEmpty()) {
        kuDemoPacker e;
        e.array(quint32(1 + prices.size() * 2)).integer(14);
        for (int id : qAsConst(prices))
            e.integer(id).real(m_market.lastPrice(id));
        entries.append(e.bytes());
    }
    p.array(quint32(entries.size()));
    for (const QByteArray& e : qAsConst(entries))
        p.raw(e);
}

void kuDemoReplies::packAccountUpdates(kuDemoPacker& p, const QString& login, const QSet<kuDemoStream>& streams,
                                       quint64 since) const
{
    QVector<QByteArray> entries;
    auto changed = [&](auto&& test) {
        for (const kuDemoMarket::Account& a : m_market.m_accounts) {
            if (a.login == login && test(a))
                return true;
        }
        return false;
    };
    if (streams.contains({80, 0}) && changed([&](const kuDemoMarket::Account& a) { return a.stamp > since; })) {
        kuDemoPacker e;
        packPortfolio(e, login, since, true);
        entries.append(e.bytes());
    }
    if (streams.contains({82, 0}) &&
        std::any_of(m_market.m_orders.cbegin(), m_market.m_orders.cend(), [&](const kuDemoMarket::Order& o) {
            const kuDemoMarket::Account* a = m_market.account(o.account);
            return o.stamp > since && a && a->login == login;
        })) {
        kuDemoPacker e;
        packOrders(e, login, since, true);
        entries.append(e.bytes());
    }
    const auto newFills = [&](const kuDemoMarket::Account& a) {
        return !a.fills.isEmpty() && a.fills.constLast().stamp > since;
    };
    if (streams.contains({83, 0}) && changed(newFills)) {
        kuDemoPacker e;
        packTrades(e, login, since, true);
        entries.append(e.bytes());
    }
    p.array(quint32(entries.size()));
    for (const QByteArray& e : qAsConst(entries))
        p.raw(e);
}
