#pragma once

#include "kudemocandle.h"
#include "kudemocandleframes.h"
#include "kudemoinstrument.h"

#include <QByteArray>
#include <QHash>
#include <QMap>
#include <QPair>
#include <QSet>
#include <QString>
#include <QVector>

#include <random>

class QDateTime;

// A stream a session follows: (kind, instrument id or 0).
using kuDemoStream = QPair<int, int>;

struct kuDemoOrderRequest
{
    int code = 0; // 1001 new, 1002 change, 1003 cancel, 1010 new stop, 1011 change stop, 1012 cancel stop
    QString account;
    int orderId = 0;
    int paperId = 0;
    int action = 0; // 1 buy, -1 sell
    int amount = 0;
    double price = 0;
    int isMarket = 0;
    int ordTime = 0;
    int execFlag = 0;
    int fcond = 0, scond = 0, isMarket1 = 0, isMarket2 = 0;
    double ifPrice1 = 0, stopPrice1 = 0, ifPrice2 = 0, stopPrice2 = 0;
};

// The simulated exchange: prices, books, tape, candles, orders and accounts.
// Nothing here reads the real clock; the owner advances it with step().
class kuDemoMarket
{
public:
    static constexpr int bookDepth = 25;
    static constexpr int tapeLength = 200;
    static constexpr int mskOffset = 10800;
    // After a partial fill the rest of an order waits this long for the next counterparty.
    static constexpr qint64 refillPauseMs = 2000;

    kuDemoMarket(quint64 seed, qint64 startMs);

    quint64 seed() const { return m_seed; }
    qint64 now() const { return m_now; }
    qint64 startTime() const { return m_start; }
    const QVector<kuDemoInstrument>& instruments() const { return m_instruments; }
    const kuDemoInstrument* instrument(int paperId) const;
    double lastPrice(int paperId) const;
    double bestBid(int paperId) const;
    double bestAsk(int paperId) const;

    // Advances the clock by ms and moves every instrument once.
    void step(qint64 ms);
    // Puts the price of one instrument at a value (on its grid) and runs the matching.
    void setLastPrice(int paperId, double price);

    // Users and their accounts.
    void addUser(const QString& login);
    bool hasUser(const QString& login) const;
    QStringList accounts(const QString& login) const;
    // The account whose KOI8-R name hashes (SHA-1, hex) to `hash`, or empty.
    QString accountByHash(const QString& login, const QString& hash) const;

    // Runs an order request; returns the order id, or a server error code as a negative number.
    int orderRequest(const QString& login, const kuDemoOrderRequest& request);

    // Text bytes as the terminal reads them; money to the kopeck; the server's wall clock (UTC+3).
    static QByteArray koi8(const QString& text);
    static double cents(double value);
    static QDateTime serverTime(qint64 ms);

    // Every change gets a stamp; a poll returns what is newer than the last one it saw.
    quint64 stamp() const { return m_stamp; }

    struct Order
    {
        int id = 0;
        QString account;
        qint64 placed = 0; // ms
        int paperId = 0;
        int act = 0;            // 1 buy, 2 sell, 5 stop buy, 6 stop sell
        int amount = 0;         // pieces ordered
        int filled = 0;         // pieces filled so far
        double filledValue = 0; // sum of price x pieces of the fills
        qint64 lastFill = 0;    // ms
        double price = 0;
        int status = 1;
        int type = 0; // 0 limit, 1 market
        int limitation = 0;
        QString reason;
        int fcond = 0, scond = 0, isMarket1 = 0, isMarket2 = 0;
        double ifPrice1 = 0, stopPrice1 = 0, ifPrice2 = 0, stopPrice2 = 0;
        quint64 stamp = 0;
        bool isActive() const { return status == 1 || status == 2; }
        bool isStop() const { return act == 5 || act == 6; }
        int remaining() const { return amount - filled; }
    };
    const Order* order(int orderId) const;

private:
    friend class kuDemoReplies;

    struct Level
    {
        int action; // 1 offer, 2 bid
        int amount; // lots
        double price;
    };
    struct TapeTrade
    {
        qint64 dealId;
        qint64 time;
        int amount; // lots
        double price;
        quint64 stamp;
    };
    struct Paper
    {
        kuDemoInstrument info;
        double last = 0, open = 0, high = 0, low = 0, prevClose = 0;
        double bestBidSession = 0, bestAskSession = 0;
        qint64 trades = 0, pieces = 0, lots = 0;
        double money = 0, priceLots = 0;
        QVector<Level> book;
        QVector<TapeTrade> tape;
        kuDemoCandle forming;
        QVector<kuDemoCandle> closed;       // live minute candles since the start
        QVector<kuDemoCandle> closedFrames; // live candles of 5 to 60 minutes, as they closed
        QVector<kuDemoCandle> closedDays;   // live day candles since the start
        kuDemoCandleFrames frames;          // the longer candles the minutes are building
        quint64 quoteStamp = 0, bookStamp = 0, priceStamp = 0, formingStamp = 0;
    };
    struct Position
    {
        int paperId = 0;
        qint64 opened = 0; // ms
        int amount = 0;
        double price = 0;
    };
    struct Fill
    {
        int id = 0;
        qint64 time = 0; // ms
        int paperId = 0;
        int act = 0;
        int amount = 0;
        double price = 0, total = 0, comiss = 0, money = 0;
        QString note;
        quint64 stamp = 0;
    };
    struct Account
    {
        QString login;
        QString name;
        int code = 0;
        bool isDefault = false;
        QVector<int> exchanges;
        double money = 0;
        QMap<int, Position> positions;
        QVector<Fill> fills;
        quint64 stamp = 0;
    };

    // Share of a derivative's value blocked as guarantee.
    static constexpr double guaranteeShare = 0.1;

    // Prices, the book, the tape and the trading day.
    quint64 nextStamp() { return ++m_stamp; }
    Paper* paper(int paperId);
    const Paper* paper(int paperId) const;
    double round(const Paper& p, double price) const;
    double noise(int paperId, qint64 t, quint64 salt) const;
    void movePaper(Paper& p, bool randomMove, double target);
    void rebuildBook(Paper& p);
    void printTrade(Paper& p, int lots, double price);
    void rollDay(Paper& p);
    static qint64 dayOf(qint64 ms);
    // The book as traders see it: the market's levels with every resting limit order joined in.
    QVector<Level> joinedBook(const Paper& p) const;
    void touchBook(int paperId);

    // Candles: the forming minute, and history made up backwards from the start.
    void rollCandle(Paper& p);
    QVector<kuDemoCandle> minuteHistory(const Paper& p, qint64 from, qint64 to) const;
    QVector<kuDemoCandle> dayHistory(const Paper& p, qint64 from, qint64 to) const;
    struct HistoryFrame;
    QVector<kuDemoCandle> history(const Paper& p, qint64 from, qint64 to, qint64 anchor, double close,
                                  const HistoryFrame& frame) const;
    qint64 minuteAnchor() const { return m_start / 60000 * 60; }
    qint64 dayAnchor() const { return dayOf(m_start); }

    // Accounts, their money and their past.
    Account* account(const QString& name);
    const Account* account(const QString& name) const;
    void touchHolders(int paperId);
    double blockedMoney(const Account& a) const;
    double guarantee(const Account& a) const;
    double unrealized(const Account& a) const;
    void seedHistory(Account& a);

    // Orders: requests, matching and fills.
    int reject(Order& o, const QString& reason);
    void matchOrders(int paperId);
    void placeChild(const Order& stop, bool market, double price, int condition);
    int crossingPieces(const Paper& p, int side) const;
    void fillOrder(Order& o, double price, int pieces);

    quint64 m_seed;
    qint64 m_start;
    qint64 m_now;
    qint64 m_day; // start of the trading day at the server, seconds
    quint64 m_stamp = 0;
    std::mt19937_64 m_random;
    QVector<kuDemoInstrument> m_instruments;
    QVector<Paper> m_papers;
    QHash<int, int> m_paperIndex;
    QVector<Account> m_accounts;
    QMap<int, Order> m_orders;
    int m_nextOrderId = 1001;
    int m_nextFillId = 5001;
    qint64 m_nextDealId = 3000000001LL;
};
