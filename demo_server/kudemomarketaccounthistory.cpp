#include "kudemomarket.h"

#include <algorithm>
#include <cmath>

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

    money(at(14, 10, 0), 3, 0.0, QStringLiteral("Зачисление денежных средств на счет"));
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
                 QStringLiteral("Инструмент не торгуется на площадках счета"));
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
