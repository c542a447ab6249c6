#pragma once

#include "kudemomarket.h"

class kuDemoPacker;

// Packs the market's state in the layouts the terminal reads, one MessagePack value per call.
class kuDemoReplies
{
public:
    explicit kuDemoReplies(const kuDemoMarket& market) : m_market(market) {}

    void packLogin(kuDemoPacker& p, const QString& login, const QString& session) const;
    void packInstruments(kuDemoPacker& p) const;
    // Snapshots without the kind and id; update entries (withKind) with them.
    void packQuote(kuDemoPacker& p, int paperId, bool withKind) const;
    void packOrderBook(kuDemoPacker& p, int paperId, bool withKind) const;
    void packTape(kuDemoPacker& p, int paperId, quint64 since, bool withKind) const;
    void packCandles(kuDemoPacker& p, int paperId, qint64 minuteFrom, qint64 to, qint64 dayFrom) const;
    void packPortfolio(kuDemoPacker& p, const QString& login, quint64 since, bool withKind) const;
    void packOrders(kuDemoPacker& p, const QString& login, quint64 since, bool withKind) const;
    void packTrades(kuDemoPacker& p, const QString& login, quint64 since, bool withKind) const;
    void packReport(kuDemoPacker& p, const QString& account, const QString& login, qint64 fromSec, qint64 toSec) const;
    void packTime(kuDemoPacker& p) const;
    // Entries of kinds 1, 7, 10, 13 and 14 changed after `since`.
    void packMarketUpdates(kuDemoPacker& p, const QSet<kuDemoStream>& streams, quint64 since) const;
    // Entries of kinds 80, 82 and 83 changed after `since`.
    void packAccountUpdates(kuDemoPacker& p, const QString& login, const QSet<kuDemoStream>& streams,
                            quint64 since) const;

private:
    void packOrder(kuDemoPacker& p, const kuDemoMarket::Order& o) const;
    void packFill(kuDemoPacker& p, const kuDemoMarket::Fill& f) const;
    void packAccount(kuDemoPacker& p, const kuDemoMarket::Account& a) const;
    template <typename Select, typename PackEntry>
    void packByAccount(kuDemoPacker& p, const QString& login, bool withKind, qint64 kind, const char* key,
                       int fieldsPerEntry, Select select, PackEntry packEntry) const;

    const kuDemoMarket& m_market;
};
