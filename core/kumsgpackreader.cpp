#include "kumsgpackreader.h"

#include "kumsgpackcheck.h"

#include <msgpack.h>

#include <climits>
#include <cstring>

namespace {

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

QString keyText(const msgpack_object& o, bool* ok)
{
    *ok = true;
    switch (o.type) {
    case MSGPACK_OBJECT_STR:
        return QString::fromLatin1(o.via.str.ptr, int(o.via.str.size));
    case MSGPACK_OBJECT_BIN:
        return QString::fromLatin1(o.via.bin.ptr, int(o.via.bin.size));
    case MSGPACK_OBJECT_POSITIVE_INTEGER:
        return QString::number(o.via.u64);
    case MSGPACK_OBJECT_NEGATIVE_INTEGER:
        return QString::number(o.via.i64);
    default:
        *ok = false;
        return QString();
    }
}

bool toVariant(const msgpack_object& o, QVariant* out, QString* error)
{
    switch (o.type) {
    case MSGPACK_OBJECT_NIL:
    case MSGPACK_OBJECT_EXT:
        *out = QVariant();
        return true;
    case MSGPACK_OBJECT_BOOLEAN:
        *out = bool(o.via.boolean);
        return true;
    case MSGPACK_OBJECT_POSITIVE_INTEGER:
        if (o.via.u64 <= quint64(INT_MAX))
            *out = int(o.via.u64);
        else if (o.via.u64 <= quint64(LLONG_MAX))
            *out = qlonglong(o.via.u64);
        else
            *out = qulonglong(o.via.u64);
        return true;
    case MSGPACK_OBJECT_NEGATIVE_INTEGER:
        if (o.via.i64 >= INT_MIN)
            *out = int(o.via.i64);
        else
            *out = qlonglong(o.via.i64);
        return true;
    case MSGPACK_OBJECT_FLOAT32:
    case MSGPACK_OBJECT_FLOAT64:
        *out = o.via.f64;
        return true;
    case MSGPACK_OBJECT_STR:
        *out = QByteArray(o.via.str.ptr, int(o.via.str.size));
        return true;
    case MSGPACK_OBJECT_BIN:
        *out = QByteArray(o.via.bin.ptr, int(o.via.bin.size));
        return true;
    case MSGPACK_OBJECT_ARRAY: {
        QVariantList list;
        list.reserve(int(o.via.array.size));
        for (uint32_t i = 0; i < o.via.array.size; ++i) {
            QVariant item;
            if (!toVariant(o.via.array.ptr[i], &item, error))
                return false;
            list.append(item);
        }
        *out = list;
        return true;
    }
    case MSGPACK_OBJECT_MAP: {
        QVariantMap map;
        for (uint32_t i = 0; i < o.via.map.size; ++i) {
            const msgpack_object_kv& kv = o.via.map.ptr[i];
            bool ok;
            const QString key = keyText(kv.key, &ok);
            if (!ok) {
                setError(error, QStringLiteral("unsupported map key"));
                return false;
            }
            QVariant item;
            if (!toVariant(kv.val, &item, error))
                return false;
            map.insert(key, item);
        }
        *out = map;
        return true;
    }
    }
    setError(error, QStringLiteral("unknown object type"));
    return false;
}

} // namespace

bool kuMsgPackReader::fromHex(const QByteArray& hex, QByteArray* bytes, QString* error)
{
    return kuMsgPackCheck::fromHex(hex, bytes, error);
}

bool kuMsgPackReader::validate(const char* data, size_t size, QString* error)
{
    return kuMsgPackCheck::validate(data, size, error);
}

bool kuMsgPackReader::unpack(const QByteArray& bytes, QVariant* value, QString* error)
{
    *value = QVariant();
    if (bytes.isEmpty()) {
        setError(error, QStringLiteral("empty body"));
        return false;
    }
    if (bytes.size() > maxBodyBytes) {
        setError(error, QStringLiteral("body larger than %1 bytes").arg(maxBodyBytes));
        return false;
    }
    // msgpack-c allocates what each header declares; only hand it checked bytes.
    if (!validate(bytes.constData(), size_t(bytes.size()), error))
        return false;

    msgpack_unpacked result;
    msgpack_unpacked_init(&result);
    size_t off = 0;
    const msgpack_unpack_return ret = msgpack_unpack_next(&result, bytes.constData(), size_t(bytes.size()), &off);
    bool ok = false;
    if (ret == MSGPACK_UNPACK_SUCCESS && off == size_t(bytes.size()))
        ok = toVariant(result.data, value, error);
    else
        setError(error, QStringLiteral("msgpack-c refused the value (%1)").arg(int(ret)));
    msgpack_unpacked_destroy(&result);
    if (!ok)
        *value = QVariant();
    return ok;
}

bool kuMsgPackReader::unpackHex(const QByteArray& hex, QVariant* value, QString* error)
{
    QByteArray bytes;
    if (!fromHex(hex, &bytes, error)) {
        *value = QVariant();
        return false;
    }
    return unpack(bytes, value, error);
}
