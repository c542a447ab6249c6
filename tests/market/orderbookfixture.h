#pragma once

// Instruments, accounts and a stand-in orders window for the order book tests.

#include "kuaccount.h"
#include "kuclient.h"
#include "kupaperinfo.h"
#include "kupaperlist.h"
#include "kuwindowbase.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSet>

namespace paper {
enum Id
{
    share = 301,    // VLMR, lot 10, step 0.01
    bond = 302,     // type 2
    eurobond = 303, // type 9
    fine = 304      // lot 1, step 0.5
};
} // namespace paper

inline void addTestPapers()
{
    auto add = [](int id, const QString& ticker, int type, int lot, double step) {
        kuPaperList::instance()->addPaper(id, QSharedPointer<kuPaperInfo>::create(id, ticker, "Эмитент " + ticker, type,
                                                                                  lot, step, 1000.0, 0, 0.0, true,
                                                                                  ticker, "", 1, "ММВБ"));
    };
    add(paper::share, "VLMR", 1, 10, 0.01);
    add(paper::bond, "OBL", 2, 1, 0.01);
    add(paper::eurobond, "EURO", 9, 1, 0.01);
    add(paper::fine, "FINE", 1, 1, 0.5);
}

inline void addTestAccounts()
{
    kuAccount::instance()->clear();
    kuAccount::instance()->addAccount("ACC1", true, 1, {1});
}

// The orders window as the order book reaches it: two signals and an invokable query.
class FakeOrders : public kuWindowBase
{
    Q_OBJECT
public:
    explicit FakeOrders(QWidget* parent = nullptr) : kuWindowBase(parent) {}
    WinType winType() const override { return wtOrders; }
    void subscribe() override {}

    Q_INVOKABLE QJsonArray activeOrders(QSet<int> paperIDs)
    {
        asked << paperIDs;
        QJsonArray result;
        for (const QJsonValue& order : qAsConst(orders)) {
            if (paperIDs.isEmpty() || paperIDs.contains(order.toObject().value("paperID").toInt()))
                result.append(order);
        }
        return result;
    }
    int handlers(const char* signal) const { return receivers(signal); }
    void addOrder(int paperID, int orderID, double price, int amount)
    {
        orders.append(QJsonObject{{"paperID", paperID}, {"orderID", orderID}, {"price", price}, {"amount", amount}});
    }

    QJsonArray orders;
    QList<QSet<int>> asked;

signals:
    void on_showOrder(int paperID, qint64 orderID, double price, qint64 amount);
    void on_hideOrder(int paperID, qint64 orderID);
};

inline void registerFakeOrders()
{
    kuClient::setWindowMaker(wtOrders, [](QWidget* parent, int) -> kuWindowBase* { return new FakeOrders(parent); });
}

inline FakeOrders* fakeOrders()
{
    return qobject_cast<FakeOrders*>(kuClient::instance()->ordersWindow());
}

// How many handlers a signal of any object has (QObject::receivers is protected).
struct ReceiverCount : QObject
{
    using QObject::receivers;
};
inline int handlers(const QObject* sender, const char* signal)
{
    int (QObject::*count)(const char*) const = &ReceiverCount::receivers;
    return (sender->*count)(signal);
}
