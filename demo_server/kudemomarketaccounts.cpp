#include "kudemomarket.h"

#include <QCryptographicHash>

#include <algorithm>
#include <cmath>

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

void kuDemoMarket::touchHolders(int paperId)
{
    for (Account& a : m_accounts) {
        if (a.positions.contains(paperId))
            a.stamp = nextStamp();
    }
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
