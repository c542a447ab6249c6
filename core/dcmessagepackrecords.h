#pragma once

#include "dcmessagepackvalues.h"
#include "kurecordkeys.h"

#include <QJsonArray>
#include <QJsonObject>

// The records the converter hands to the windows, as data: each record is a run of
// values, one field per position. The layouts are one each, shared by every file.
namespace dcMessagePackImpl {

enum class Kind
{
    Int,
    Int64,  // ids and times: exact in the record whatever their size
    Volume, // an Int64 that is a quantity: a record holding one that is not finite is dropped
    Real,   // prices, volumes and sums: a record holding one that is not finite is dropped
    Text, // plain text as sent
    Koi8  // bytes of KOI8-R text
};

struct Field
{
    QLatin1String key;
    Kind kind;
};

struct Layout
{
    const Field* fields;
    int width;
};

template <int N>
constexpr Layout layoutOf(const Field (&fields)[N])
{
    return {fields, N};
}

// One field per line, in wire order.
// clang-format off
namespace q = kuKeys::quote;
inline constexpr Field quoteFields[] = {
    {q::paperID, Kind::Int},
    {q::buy, Kind::Real},
    {q::toBuy, Kind::Volume},
    {q::sell, Kind::Real},
    {q::toSell, Kind::Volume},
    {q::toBuyTotal, Kind::Volume},
    {q::toSellTotal, Kind::Volume},
    {q::open, Kind::Real},
    {q::max, Kind::Real},
    {q::min, Kind::Real},
    {q::last, Kind::Real},
    {q::avg, Kind::Real},
    {q::paperVol, Kind::Volume},
    {q::volume, Kind::Volume},
    {q::moneyVol, Kind::Real},
    {q::bestBuy, Kind::Real},
    {q::bestSell, Kind::Real},
    {q::price, Kind::Real},
};

namespace ob = kuKeys::orderBook;
inline constexpr Field orderBookFields[] = {
    {ob::action, Kind::Int},
    {ob::amount, Kind::Volume},
    {ob::price, Kind::Real},
    {ob::yeild, Kind::Real},
};

namespace lt = kuKeys::lastTrade;
inline constexpr Field lastTradeFields[] = {
    {lt::unixtime, Kind::Int64},
    {lt::amount, Kind::Volume},
    {lt::price, Kind::Real},
    {lt::dealID, Kind::Int64},
};

// The same layout in candle snapshots and updates.
namespace cd = kuKeys::candle;
inline constexpr Field candleFields[] = {
    {cd::Open, Kind::Real},
    {cd::Close, Kind::Real},
    {cd::High, Kind::Real},
    {cd::Low, Kind::Real},
    {cd::Volume, Kind::Real},
    {cd::unixTime, Kind::Int64},
    {cd::timeFrame, Kind::Int},
};

namespace od = kuKeys::order;
inline constexpr Field orderFields[] = {
    {od::order_id, Kind::Int64},
    {od::date, Kind::Text},
    {od::time, Kind::Text},
    {od::paper_id, Kind::Int},
    {od::act, Kind::Int},
    {od::amount, Kind::Volume},
    {od::price, Kind::Real},
    {od::balance, Kind::Real},
    {od::status, Kind::Int},
    {od::type, Kind::Int},
    {od::limitation, Kind::Int},
    {od::reason, Kind::Koi8},
    {od::fcond, Kind::Int},
    {od::scond, Kind::Int},
    {od::isMarket1, Kind::Int},
    {od::isMarket2, Kind::Int},
    {od::ifPrice1, Kind::Real},
    {od::stopPrice1, Kind::Real},
    {od::ifPrice2, Kind::Real},
    {od::stopPrice2, Kind::Real},
};

namespace td = kuKeys::trade;
inline constexpr Field tradeFields[] = {
    {td::trade_id, Kind::Int64},
    {td::date, Kind::Text},
    {td::time, Kind::Text},
    {td::paper_id, Kind::Int},
    {td::act, Kind::Int},
    {td::amount, Kind::Volume},
    {td::price, Kind::Real},
    {td::total, Kind::Real},
    {td::comiss, Kind::Real},
    {td::account, Kind::Real},
    {td::note, Kind::Koi8},
};

namespace ps = kuKeys::position;
inline constexpr Field positionFields[] = {
    {ps::paper_id, Kind::Int},
    {ps::bdate, Kind::Text},
    {ps::amount, Kind::Volume},
    {ps::price, Kind::Real},
    {ps::balance, Kind::Real},
    {ps::blocked, Kind::Volume},
    {ps::expected, Kind::Volume},
    {ps::lastprice, Kind::Real},
};

namespace mn = kuKeys::money;
inline constexpr Field moneyFields[] = {
    {mn::balance, Kind::Real},
    {mn::blocked, Kind::Real},
    {mn::expected, Kind::Real},
    {mn::go, Kind::Real},
    {mn::profit, Kind::Real},
    {mn::pmarga, Kind::Real},
};

namespace mg = kuKeys::margin;
inline constexpr Field marginFields[] = {
    {mg::marg_portfolio, Kind::Real},
    {mg::min_marga, Kind::Real},
    {mg::init_marga, Kind::Real},
};
// clang-format on

inline constexpr Layout quoteLayout = layoutOf(quoteFields);
inline constexpr Layout orderBookLayout = layoutOf(orderBookFields);
inline constexpr Layout lastTradeLayout = layoutOf(lastTradeFields);
inline constexpr Layout candleLayout = layoutOf(candleFields);
inline constexpr Layout orderLayout = layoutOf(orderFields);
inline constexpr Layout tradeLayout = layoutOf(tradeFields);
inline constexpr Layout positionLayout = layoutOf(positionFields);
inline constexpr Layout moneyLayout = layoutOf(moneyFields);
inline constexpr Layout marginLayout = layoutOf(marginFields);

// A record's object with every key already in place.
struct PreparedRecord;
// The prepared record of one of the layouts above.
const PreparedRecord& prepared(const Layout& layout);

// The record whose values start at values into out; the caller checks that all of
// them are there. False, with out unusable, when a real value is not finite.
bool record(const PreparedRecord& prepared, const msgpack_object* values, QJsonObject& out);

// Groups of width values after start; a shorter rest is ignored.
inline int groupCount(const Elements& values, int start, int width)
{
    return start >= 0 && values.size > start ? (values.size - start) / width : 0;
}

// The complete records after start, in order; a shorter rest and records holding a
// real value that is not finite are left out.
QJsonArray records(const Layout& layout, const Elements& values, int start);

// One record when the list holds all of its values and its reals are finite, else an empty object.
QJsonObject recordIfComplete(const Layout& layout, const Elements& values);

} // namespace dcMessagePackImpl
