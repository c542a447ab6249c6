#pragma once

#include "kukoi8r.h"
#include "kumsgpackreader.h"
#include "kurecordkeys.h"

#include <QLatin1String>
#include <QString>
#include <QVariant>
#include <QtGlobal>

#include <msgpack.h>

#include <cstring>
#include <limits>

// Values of a reply as the reader's objects, each converted as its Qt value would be.
// Inline: the record builders of every converter file run them once per field.
namespace dcMessagePackImpl {

// The code in a server's error reply.
inline constexpr QLatin1String errorCodeField = kuKeys::key("error_code");

inline const msgpack_object& nilObject()
{
    static const msgpack_object nil = [] {
        msgpack_object o;
        o.type = MSGPACK_OBJECT_NIL;
        return o;
    }();
    return nil;
}

inline const msgpack_object& emptyList()
{
    static const msgpack_object empty = [] {
        msgpack_object o;
        o.type = MSGPACK_OBJECT_ARRAY;
        o.via.array.size = 0;
        o.via.array.ptr = nullptr;
        return o;
    }();
    return empty;
}

// The elements of a list; none for any other value.
struct Elements
{
    const msgpack_object* ptr = nullptr;
    int size = 0;
    const msgpack_object& at(int i) const { return ptr[i]; }
};

inline Elements elementsOf(const msgpack_object& o)
{
    if (o.type != MSGPACK_OBJECT_ARRAY)
        return Elements();
    return {o.via.array.ptr, int(o.via.array.size)};
}

// Texts, lists and maps where a number is expected: rare, and converted as Qt converts them.
Q_NEVER_INLINE inline QVariant slowValue(const msgpack_object& o)
{
    return kuMsgPackReader::toVariant(o);
}

// A number the integer cannot hold (a float out of range, NaN, an infinity, an
// unsigned beyond 2^63) reads as 0, as any value that does not convert.
inline qlonglong roundedOrZero(double v)
{
    // 2^63 is exact as a double; NaN fails both comparisons.
    constexpr double limit = 9223372036854775808.0;
    return v >= -limit && v < limit ? qRound64(v) : 0;
}

inline qlonglong toLongLong(const msgpack_object& o)
{
    // The usual case first, a branch the processor learns rather than a jump table.
    if (Q_LIKELY(o.type == MSGPACK_OBJECT_POSITIVE_INTEGER))
        return o.via.u64 <= quint64(std::numeric_limits<qlonglong>::max()) ? qlonglong(o.via.u64) : 0;
    switch (o.type) {
    case MSGPACK_OBJECT_POSITIVE_INTEGER:
        return o.via.u64 <= quint64(std::numeric_limits<qlonglong>::max()) ? qlonglong(o.via.u64) : 0;
    case MSGPACK_OBJECT_NEGATIVE_INTEGER:
        return o.via.i64;
    case MSGPACK_OBJECT_FLOAT32:
    case MSGPACK_OBJECT_FLOAT64:
        return roundedOrZero(o.via.f64);
    case MSGPACK_OBJECT_BOOLEAN:
        return o.via.boolean ? 1 : 0;
    case MSGPACK_OBJECT_NIL:
    case MSGPACK_OBJECT_EXT:
        return 0;
    default:
        return slowValue(o).toLongLong();
    }
}

inline int toInt(const msgpack_object& o)
{
    const qlonglong v = toLongLong(o);
    return v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max() ? int(v) : 0;
}

inline qulonglong toULongLong(const msgpack_object& o)
{
    if (o.type == MSGPACK_OBJECT_POSITIVE_INTEGER)
        return o.via.u64;
    if (o.type == MSGPACK_OBJECT_STR || o.type == MSGPACK_OBJECT_BIN || o.type == MSGPACK_OBJECT_ARRAY ||
        o.type == MSGPACK_OBJECT_MAP)
        return slowValue(o).toULongLong();
    return qulonglong(toLongLong(o));
}

inline double toDouble(const msgpack_object& o)
{
    if (Q_LIKELY(o.type == MSGPACK_OBJECT_FLOAT64))
        return o.via.f64;
    switch (o.type) {
    case MSGPACK_OBJECT_FLOAT32:
    case MSGPACK_OBJECT_FLOAT64:
        return o.via.f64;
    case MSGPACK_OBJECT_POSITIVE_INTEGER:
        return double(o.via.u64);
    case MSGPACK_OBJECT_NEGATIVE_INTEGER:
        return double(o.via.i64);
    case MSGPACK_OBJECT_BOOLEAN:
        return o.via.boolean ? 1.0 : 0.0;
    case MSGPACK_OBJECT_NIL:
    case MSGPACK_OBJECT_EXT:
        return 0.0;
    default:
        return slowValue(o).toDouble();
    }
}

// KOI8-R text of the bytes (or of the value's text form).
inline QString koi8Text(const msgpack_object& o)
{
    if (o.type == MSGPACK_OBJECT_STR)
        return kuKoi8r::toUnicode(o.via.str.ptr, int(o.via.str.size));
    if (o.type == MSGPACK_OBJECT_BIN)
        return kuKoi8r::toUnicode(o.via.bin.ptr, int(o.via.bin.size));
    return kuKoi8r::toUnicode(slowValue(o).toByteArray());
}

inline QString koi8Text(const QVariant& value)
{
    return kuKoi8r::toUnicode(value.toByteArray());
}

// Text sent as it is (UTF-8 up to the first zero byte, as Qt reads bytes as text).
inline QString plainText(const msgpack_object& o)
{
    return slowValue(o).toString();
}

inline bool keyIs(const msgpack_object& k, QLatin1String key)
{
    switch (k.type) {
    case MSGPACK_OBJECT_STR:
    case MSGPACK_OBJECT_BIN:
        return int(k.via.str.size) == key.size() && std::memcmp(k.via.str.ptr, key.data(), size_t(key.size())) == 0;
    case MSGPACK_OBJECT_POSITIVE_INTEGER:
        return QString::number(k.via.u64) == key;
    case MSGPACK_OBJECT_NEGATIVE_INTEGER:
        return QString::number(k.via.i64) == key;
    default:
        return false;
    }
}

// The value under key (the last one when a key repeats); nil when missing or not a map.
inline const msgpack_object& mapValue(const msgpack_object& o, QLatin1String key)
{
    const msgpack_object* found = &nilObject();
    if (o.type != MSGPACK_OBJECT_MAP)
        return *found;
    for (uint32_t i = 0; i < o.via.map.size; ++i) {
        if (keyIs(o.via.map.ptr[i].key, key))
            found = &o.via.map.ptr[i].val;
    }
    return *found;
}

// Each decoding thread reuses the memory of one reader for all its replies.
inline kuMsgPackReader& threadReader()
{
    thread_local kuMsgPackReader reader;
    return reader;
}

} // namespace dcMessagePackImpl
