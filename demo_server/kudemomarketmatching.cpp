#include "kudemomarket.h"

#include <algorithm>
#include <cmath>
#include <limits>

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
