#pragma once

// A small instrument catalogue in the registry: two exchanges of shares,
// bonds, currency and futures, and a third holding futures and options.

#include "kupaperinfo.h"
#include "kupaperlist.h"

#include <QSharedPointer>

namespace paper {
enum Id
{
    share = 11,    // VLMR, exchange 1
    bond = 12,     // BRNH-B3, exchange 1
    currency = 13, // USDVLM, exchange 1
    future = 21,   // VIX-3.27, exchange 2
    fortsFuture = 31,
    callOption = 32, // exchange 3 "FORTS"
    putOption = 22   // exchange 2
};
} // namespace paper

inline QSharedPointer<kuPaperInfo> makePaper(int id, const QString& ticker, const QString& issuer,
                                             const QString& shortName, int type, int exchange)
{
    static const QStringList names{QString(), "ВФБ", "ВСР", "FORTS"};
    return QSharedPointer<kuPaperInfo>::create(id, ticker, issuer, type, 1, 0.01, 0.0, 0, 0.0, true, shortName,
                                               QString(), exchange, names.value(exchange));
}

inline void addPaper(const QSharedPointer<kuPaperInfo>& paper)
{
    kuPaperList::instance()->addPaper(paper->id(), paper);
}

// Everything but the options.
inline void addTestPapers()
{
    addPaper(makePaper(paper::share, "VLMR", "ПАО \"Велморан\"", "Велморан", 1, 1));
    addPaper(makePaper(paper::bond, "BRNH-B3", "ПАО \"Бренхольт Банк\", 003Р", "Бренхольт 003Р", 2, 1));
    addPaper(makePaper(paper::currency, "USDVLM", "Доллар США / велморанский рубль", "USD/VLM", 7, 1));
    addPaper(makePaper(paper::future, "VIX-3.27", "Фьючерс на индекс ВФБ", "VIX-3.27", 4, 2));
    addPaper(makePaper(paper::fortsFuture, "RTS-3.27", "Фьючерс на индекс РТС", "RTS-3.27", 4, 3));
}

inline void addTestOptions()
{
    addPaper(makePaper(paper::callOption, "RTS120BC7", "Опцион колл на RTS-3.27", "RTS120BC7", 5, 3));
    addPaper(makePaper(paper::putOption, "VIX125BO7", "Опцион пут на VIX-3.27", "VIX125BO7", 5, 2));
}
