#pragma once

#include <QLatin1String>

// Keys of the JSON records the converter hands to the windows. Each constant is
// named as its key is spelled on the record, the server's own spellings
// included ("yeild", "comiss"), so a window that mistypes a key fails to build.
namespace kuKeys {

// Quote of one instrument.
namespace quote {
inline constexpr QLatin1String paperID{"paperID"};
inline constexpr QLatin1String buy{"buy"};
inline constexpr QLatin1String toBuy{"toBuy"};
inline constexpr QLatin1String sell{"sell"};
inline constexpr QLatin1String toSell{"toSell"};
inline constexpr QLatin1String toBuyTotal{"toBuyTotal"};
inline constexpr QLatin1String toSellTotal{"toSellTotal"};
inline constexpr QLatin1String open{"open"};
inline constexpr QLatin1String max{"max"};
inline constexpr QLatin1String min{"min"};
inline constexpr QLatin1String last{"last"};
inline constexpr QLatin1String avg{"avg"};
inline constexpr QLatin1String paperVol{"paperVol"};
inline constexpr QLatin1String volume{"volume"};
inline constexpr QLatin1String moneyVol{"moneyVol"};
inline constexpr QLatin1String bestBuy{"bestBuy"};
inline constexpr QLatin1String bestSell{"bestSell"};
inline constexpr QLatin1String price{"price"};
} // namespace quote

// One level of an order book.
namespace orderBook {
inline constexpr QLatin1String action{"action"};
inline constexpr QLatin1String amount{"amount"};
inline constexpr QLatin1String price{"price"};
// The yield, spelled as the server sends it.
inline constexpr QLatin1String yeild{"yeild"};
} // namespace orderBook

// One trade of the last-trades tape.
namespace lastTrade {
inline constexpr QLatin1String unixtime{"unixtime"};
inline constexpr QLatin1String amount{"amount"};
inline constexpr QLatin1String price{"price"};
inline constexpr QLatin1String dealID{"dealID"};
} // namespace lastTrade

// One candle of a live chart update, and the update message around the candles.
namespace candle {
inline constexpr QLatin1String Open{"Open"};
inline constexpr QLatin1String Close{"Close"};
inline constexpr QLatin1String High{"High"};
inline constexpr QLatin1String Low{"Low"};
inline constexpr QLatin1String Volume{"Volume"};
inline constexpr QLatin1String unixTime{"unixTime"};
inline constexpr QLatin1String timeFrame{"timeFrame"};
inline constexpr QLatin1String updateType{"updateType"};
inline constexpr QLatin1String candles{"candles"};
} // namespace candle

// Groups of the account records: the account's text, and what each account holds.
namespace account {
inline constexpr QLatin1String part_id{"part_id"};
inline constexpr QLatin1String orders{"orders"};
inline constexpr QLatin1String trades{"trades"};
inline constexpr QLatin1String position{"position"};
inline constexpr QLatin1String money{"money"};
inline constexpr QLatin1String margin{"margin"};
} // namespace account

// One order of an account.
namespace order {
inline constexpr QLatin1String order_id{"order_id"};
inline constexpr QLatin1String date{"date"};
inline constexpr QLatin1String time{"time"};
inline constexpr QLatin1String paper_id{"paper_id"};
inline constexpr QLatin1String act{"act"};
inline constexpr QLatin1String amount{"amount"};
inline constexpr QLatin1String price{"price"};
inline constexpr QLatin1String balance{"balance"};
inline constexpr QLatin1String status{"status"};
inline constexpr QLatin1String type{"type"};
inline constexpr QLatin1String limitation{"limitation"};
inline constexpr QLatin1String reason{"reason"};
inline constexpr QLatin1String fcond{"fcond"};
inline constexpr QLatin1String scond{"scond"};
inline constexpr QLatin1String isMarket1{"isMarket1"};
inline constexpr QLatin1String isMarket2{"isMarket2"};
inline constexpr QLatin1String ifPrice1{"ifPrice1"};
inline constexpr QLatin1String stopPrice1{"stopPrice1"};
inline constexpr QLatin1String ifPrice2{"ifPrice2"};
inline constexpr QLatin1String stopPrice2{"stopPrice2"};
} // namespace order

// One trade of an account.
namespace trade {
inline constexpr QLatin1String trade_id{"trade_id"};
inline constexpr QLatin1String date{"date"};
inline constexpr QLatin1String time{"time"};
inline constexpr QLatin1String paper_id{"paper_id"};
inline constexpr QLatin1String act{"act"};
inline constexpr QLatin1String amount{"amount"};
inline constexpr QLatin1String price{"price"};
inline constexpr QLatin1String total{"total"};
inline constexpr QLatin1String comiss{"comiss"};
inline constexpr QLatin1String account{"account"};
inline constexpr QLatin1String note{"note"};
} // namespace trade

// One position of an account.
namespace position {
inline constexpr QLatin1String paper_id{"paper_id"};
inline constexpr QLatin1String bdate{"bdate"};
inline constexpr QLatin1String amount{"amount"};
inline constexpr QLatin1String price{"price"};
inline constexpr QLatin1String balance{"balance"};
inline constexpr QLatin1String blocked{"blocked"};
inline constexpr QLatin1String expected{"expected"};
inline constexpr QLatin1String lastprice{"lastprice"};
} // namespace position

// Money of an account.
namespace money {
inline constexpr QLatin1String balance{"balance"};
inline constexpr QLatin1String blocked{"blocked"};
inline constexpr QLatin1String expected{"expected"};
inline constexpr QLatin1String go{"go"};
inline constexpr QLatin1String profit{"profit"};
inline constexpr QLatin1String pmarga{"pmarga"};
} // namespace money

// Margin of an account.
namespace margin {
inline constexpr QLatin1String marg_portfolio{"marg_portfolio"};
inline constexpr QLatin1String min_marga{"min_marga"};
inline constexpr QLatin1String init_marga{"init_marga"};
} // namespace margin

} // namespace kuKeys
