#pragma once

#include <QJsonValue>
#include <QLatin1String>
#include <QString>

// Keys of the JSON records the converter hands to the windows. Each constant is
// named as its key is spelled on the record, the server's own spellings
// included ("yeild", "comiss"), so a window that mistypes a key fails to build.
namespace kuKeys {

// Sized at compile time: the one-argument constructor calls strlen, which clang
// does not take in a constant expression.
template <int N>
constexpr QLatin1String key(const char (&text)[N])
{
    return QLatin1String(text, N - 1);
}

// Whole numbers of the records (volumes, ids) are JSON numbers as long as a double
// holds them exactly, up to 2^53; beyond, the record carries their decimal digits.
inline constexpr qint64 exactInDouble = qint64(1) << 53;

// A whole number as a record carries it.
inline QJsonValue wholeValue(qint64 n)
{
    return n >= -exactInDouble && n <= exactInDouble ? QJsonValue(double(n)) : QJsonValue(QString::number(n));
}

// A whole number of a record, in either form; 0 for anything else.
inline qint64 wholeNumber(const QJsonValue& value)
{
    if (value.isString()) {
        bool ok = false;
        const qint64 n = value.toString().toLongLong(&ok);
        return ok ? n : 0;
    }
    // 2^63 is exact as a double; NaN fails both comparisons, and a fraction is no whole number.
    const double d = value.toDouble();
    return d >= -9223372036854775808.0 && d < 9223372036854775808.0 && qint64(d) == d ? qint64(d) : 0;
}

// Quote of one instrument.
namespace quote {
inline constexpr QLatin1String paperID = key("paperID");
inline constexpr QLatin1String buy = key("buy");
inline constexpr QLatin1String toBuy = key("toBuy");
inline constexpr QLatin1String sell = key("sell");
inline constexpr QLatin1String toSell = key("toSell");
inline constexpr QLatin1String toBuyTotal = key("toBuyTotal");
inline constexpr QLatin1String toSellTotal = key("toSellTotal");
inline constexpr QLatin1String open = key("open");
inline constexpr QLatin1String max = key("max");
inline constexpr QLatin1String min = key("min");
inline constexpr QLatin1String last = key("last");
inline constexpr QLatin1String avg = key("avg");
inline constexpr QLatin1String paperVol = key("paperVol");
inline constexpr QLatin1String volume = key("volume");
inline constexpr QLatin1String moneyVol = key("moneyVol");
inline constexpr QLatin1String bestBuy = key("bestBuy");
inline constexpr QLatin1String bestSell = key("bestSell");
inline constexpr QLatin1String price = key("price");
} // namespace quote

// One level of an order book.
namespace orderBook {
inline constexpr QLatin1String action = key("action");
inline constexpr QLatin1String amount = key("amount");
inline constexpr QLatin1String price = key("price");
// The yield, spelled as the server sends it.
inline constexpr QLatin1String yeild = key("yeild");
} // namespace orderBook

// One trade of the last-trades tape.
namespace lastTrade {
inline constexpr QLatin1String unixtime = key("unixtime");
inline constexpr QLatin1String amount = key("amount");
inline constexpr QLatin1String price = key("price");
inline constexpr QLatin1String dealID = key("dealID");
} // namespace lastTrade

// One candle of a live chart update, and the update message around the candles.
namespace candle {
inline constexpr QLatin1String Open = key("Open");
inline constexpr QLatin1String Close = key("Close");
inline constexpr QLatin1String High = key("High");
inline constexpr QLatin1String Low = key("Low");
inline constexpr QLatin1String Volume = key("Volume");
inline constexpr QLatin1String unixTime = key("unixTime");
inline constexpr QLatin1String timeFrame = key("timeFrame");
inline constexpr QLatin1String updateType = key("updateType");
inline constexpr QLatin1String candles = key("candles");
} // namespace candle

// Groups of the account records: the account's text, and what each account holds.
namespace account {
inline constexpr QLatin1String part_id = key("part_id");
inline constexpr QLatin1String orders = key("orders");
inline constexpr QLatin1String trades = key("trades");
inline constexpr QLatin1String position = key("position");
inline constexpr QLatin1String money = key("money");
inline constexpr QLatin1String margin = key("margin");
} // namespace account

// One order of an account.
namespace order {
inline constexpr QLatin1String order_id = key("order_id");
inline constexpr QLatin1String date = key("date");
inline constexpr QLatin1String time = key("time");
inline constexpr QLatin1String paper_id = key("paper_id");
inline constexpr QLatin1String act = key("act");
inline constexpr QLatin1String amount = key("amount");
inline constexpr QLatin1String price = key("price");
inline constexpr QLatin1String balance = key("balance");
inline constexpr QLatin1String status = key("status");
inline constexpr QLatin1String type = key("type");
inline constexpr QLatin1String limitation = key("limitation");
inline constexpr QLatin1String reason = key("reason");
inline constexpr QLatin1String fcond = key("fcond");
inline constexpr QLatin1String scond = key("scond");
inline constexpr QLatin1String isMarket1 = key("isMarket1");
inline constexpr QLatin1String isMarket2 = key("isMarket2");
inline constexpr QLatin1String ifPrice1 = key("ifPrice1");
inline constexpr QLatin1String stopPrice1 = key("stopPrice1");
inline constexpr QLatin1String ifPrice2 = key("ifPrice2");
inline constexpr QLatin1String stopPrice2 = key("stopPrice2");
} // namespace order

// One trade of an account.
namespace trade {
inline constexpr QLatin1String trade_id = key("trade_id");
inline constexpr QLatin1String date = key("date");
inline constexpr QLatin1String time = key("time");
inline constexpr QLatin1String paper_id = key("paper_id");
inline constexpr QLatin1String act = key("act");
inline constexpr QLatin1String amount = key("amount");
inline constexpr QLatin1String price = key("price");
inline constexpr QLatin1String total = key("total");
inline constexpr QLatin1String comiss = key("comiss");
inline constexpr QLatin1String account = key("account");
inline constexpr QLatin1String note = key("note");
} // namespace trade

// One position of an account.
namespace position {
inline constexpr QLatin1String paper_id = key("paper_id");
inline constexpr QLatin1String bdate = key("bdate");
inline constexpr QLatin1String amount = key("amount");
inline constexpr QLatin1String price = key("price");
inline constexpr QLatin1String balance = key("balance");
inline constexpr QLatin1String blocked = key("blocked");
inline constexpr QLatin1String expected = key("expected");
inline constexpr QLatin1String lastprice = key("lastprice");
} // namespace position

// Money of an account.
namespace money {
inline constexpr QLatin1String balance = key("balance");
inline constexpr QLatin1String blocked = key("blocked");
inline constexpr QLatin1String expected = key("expected");
inline constexpr QLatin1String go = key("go");
inline constexpr QLatin1String profit = key("profit");
inline constexpr QLatin1String pmarga = key("pmarga");
} // namespace money

// Margin of an account.
namespace margin {
inline constexpr QLatin1String marg_portfolio = key("marg_portfolio");
inline constexpr QLatin1String min_marga = key("min_marga");
inline constexpr QLatin1String init_marga = key("init_marga");
} // namespace margin

} // namespace kuKeys
