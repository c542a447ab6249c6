#pragma once

// Instruments of the market windows' tests, in the process-wide registry.

#include "kupaperinfo.h"
#include "kupaperlist.h"

#include <QSharedPointer>

namespace paper {
enum Id
{
    share = 5,      // VLMR, lot 10, two decimals
    sevn = 12,      // SEVN, lot 1
    bond = 123,     // VG26238, nominal 1000, accrued coupon 12.5
    bigLot = 7,     // a lot of a million pieces
    fourDigits = 8, // step 0.0001
    unknown = 999   // not in the registry
};
} // namespace paper

inline void addMarketPapers()
{
    auto add = [](int id, const QString& ticker, int type, int lot, double step, double nominal, double coupon) {
        kuPaperList::instance()->addPaper(id, QSharedPointer<kuPaperInfo>::create(id, ticker, "Эмитент " + ticker, type,
                                                                                  lot, step, nominal, 0, coupon, true,
                                                                                  ticker + " ао", QString(), 1, "ВФБ"));
    };
    add(paper::share, "VLMR", 1, 10, 0.01, 0, 0);
    add(paper::sevn, "SEVN", 1, 1, 0.01, 1000, 3.5); // a share's nominal and coupon are not shown
    add(paper::bond, "VG26238", 2, 1, 0.01, 1000, 12.5);
    add(paper::bigLot, "BIGL", 1, 1000000, 0.01, 0, 0);
    add(paper::fourDigits, "USDVLM", 7, 1, 0.0001, 0, 0);
}
