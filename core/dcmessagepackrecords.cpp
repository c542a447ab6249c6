#include "dcmessagepackrecords.h"

#include <cmath>
#include <cstring>

using namespace dcMessagePackImpl;

namespace dcMessagePackImpl {

// A record's object with every key already in place: filling a copy sets the
// values by position, and no key is looked up or inserted per record.
struct PreparedRecord
{
    static constexpr int maxFields = 24;

    explicit PreparedRecord(const Layout& layout) : layout(layout)
    {
        Q_ASSERT(layout.width <= maxFields);
        for (int k = 0; k < layout.width; ++k)
            object.insert(layout.fields[k].key, QJsonValue(QJsonValue::Null));
        // The object keeps its keys sorted: find each field's place once.
        int index = 0;
        for (auto it = object.constBegin(); it != object.constEnd(); ++it, ++index) {
            for (int k = 0; k < layout.width; ++k) {
                if (it.key() == layout.fields[k].key)
                    slot[k] = index;
            }
        }
    }

    Layout layout;
    QJsonObject object;
    int slot[maxFields] = {};
};

const PreparedRecord& prepared(const Layout& layout)
{
    static const PreparedRecord all[] = {
            PreparedRecord(quoteLayout),    PreparedRecord(orderBookLayout), PreparedRecord(lastTradeLayout),
            PreparedRecord(candleLayout),   PreparedRecord(orderLayout),     PreparedRecord(tradeLayout),
            PreparedRecord(positionLayout), PreparedRecord(moneyLayout),     PreparedRecord(marginLayout),
    };
    for (const PreparedRecord& record : all) {
        if (record.layout.fields == layout.fields)
            return record;
    }
    Q_UNREACHABLE();
    return all[0];
}

namespace {

// Whether value gives what the object already holds from held: a number of the
// same type and bits converts the same way in the same field.
inline bool sameNumber(const msgpack_object* held, const msgpack_object& value)
{
    if (!held || held->type != value.type)
        return false;
    switch (value.type) {
    case MSGPACK_OBJECT_POSITIVE_INTEGER:
        return held->via.u64 == value.via.u64;
    case MSGPACK_OBJECT_NEGATIVE_INTEGER:
        return held->via.i64 == value.via.i64;
    case MSGPACK_OBJECT_FLOAT32:
    case MSGPACK_OBJECT_FLOAT64:
        // Bits, so that 0 and -0 stay apart.
        return std::memcmp(&held->via.f64, &value.via.f64, sizeof(double)) == 0;
    case MSGPACK_OBJECT_BOOLEAN:
        return held->via.boolean == value.via.boolean;
    case MSGPACK_OBJECT_NIL:
        return true;
    default:
        return false;
    }
}

// Sets the fields of out from values. With held (one entry per field: the value
// each field was last set from), a field whose value is the one it holds is left
// as it is, and held follows every field set.
bool fill(const PreparedRecord& prepared, const msgpack_object* values, QJsonObject& out, const msgpack_object** held)
{
    QJsonObject::iterator first = out.begin();
    for (int k = 0; k < prepared.layout.width; ++k) {
        const msgpack_object& value = values[k];
        if (held && sameNumber(held[k], value))
            continue;
        QJsonValueRef slot = first[prepared.slot[k]];
        switch (prepared.layout.fields[k].kind) {
        case Kind::Int:
            slot = toInt(value);
            break;
        case Kind::Volume:
            if ((value.type == MSGPACK_OBJECT_FLOAT32 || value.type == MSGPACK_OBJECT_FLOAT64) &&
                !std::isfinite(value.via.f64))
                return false;
            Q_FALLTHROUGH();
        case Kind::Int64:
            slot = kuKeys::wholeValue(toLongLong(value));
            break;
        case Kind::Real: {
            // NaN or an infinity is no figure: shown or summed, it would spoil what the window shows.
            const double d = toDouble(value);
            if (!std::isfinite(d))
                return false;
            slot = d;
            break;
        }
        case Kind::Text:
            slot = plainText(value);
            break;
        case Kind::Koi8:
            slot = koi8Text(value);
            break;
        }
        if (held)
            held[k] = &value;
    }
    return true;
}

} // namespace

bool record(const PreparedRecord& prepared, const msgpack_object* values, QJsonObject& out)
{
    out = prepared.object;
    return fill(prepared, values, out, nullptr);
}

QJsonArray records(const Layout& layout, const Elements& values, int start)
{
    QJsonArray out;
    const int n = groupCount(values, start, layout.width);
    if (n == 0)
        return out;
    const PreparedRecord& prepared = ::prepared(layout);
    // Each record starts as a copy of the one before: fields that repeat (the side of
    // a run of levels, a zero yield, the time frame) are not set again.
    QJsonObject one = prepared.object;
    const msgpack_object* held[PreparedRecord::maxFields] = {};
    for (int i = 0; i < n; ++i) {
        if (fill(prepared, values.ptr + start + i * layout.width, one, held))
            out.append(one);
    }
    return out;
}

QJsonObject recordIfComplete(const Layout& layout, const Elements& values)
{
    QJsonObject out;
    if (values.size < layout.width || !record(prepared(layout), values.ptr, out))
        return QJsonObject();
    return out;
}

} // namespace dcMessagePackImpl
