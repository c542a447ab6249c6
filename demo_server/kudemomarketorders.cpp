#include "kudemomarket.h"

#include <cmath>

const kuDemoMarket::Order* kuDemoMarket::order(int orderId) const
{
    const auto it = m_orders.constFind(orderId);
    return it == m_orders.constEnd() ? nullptr : &*it;
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
        return refuse(QStringLiteral("Инструмент не торгуется на площадках счета"));
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
