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

QString keyText(const msgpack_object& o)
{
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
        // Refused by the scanner.
        return QString();
    }
}

} // namespace

kuMsgPackReader::kuMsgPackReader() : m_root(new msgpack_object)
{
    m_root->type = MSGPACK_OBJECT_NIL;
}

kuMsgPackReader::~kuMsgPackReader()
{
    if (m_zone)
        msgpack_zone_free(m_zone);
    delete m_root;
}

const msgpack_object& kuMsgPackReader::root() const
{
    return *m_root;
}

void kuMsgPackReader::clear()
{
    m_root->type = MSGPACK_OBJECT_NIL;
    m_held = QByteArray();
}

bool kuMsgPackReader::readHex(const QByteArray& hex, QString* error)
{
    clear();
    if (!kuMsgPackCheck::decodeHexInto(hex, &m_buffer, error))
        return false;
    return readChecked(m_buffer.constData(), size_t(m_buffer.size()), error);
}

bool kuMsgPackReader::read(const QByteArray& bytes, QString* error)
{
    clear();
    m_held = bytes;
    return readChecked(m_held.constData(), size_t(m_held.size()), error);
}

bool kuMsgPackReader::readChecked(const char* data, size_t size, QString* error)
{
    if (size == 0) {
        setError(error, QStringLiteral("empty body"));
        return false;
    }
    if (size > size_t(maxBodyBytes)) {
        setError(error, QStringLiteral("body larger than %1 bytes").arg(maxBodyBytes));
        return false;
    }
    // msgpack-c allocates what each header declares; only hand it checked bytes.
    kuMsgPackCheck::Layout layout;
    if (!kuMsgPackCheck::validate(data, size, error, kuMsgPackCheck::Keys::TextOrInteger, &layout))
        return false;

    // One chunk holds every object: its pages are touched once and reused by later replies.
    // Each container's array of objects (a pair of them per map entry), aligned.
    const quint64 objectBytes = layout.elements * sizeof(msgpack_object) + layout.containers * MSGPACK_ZONE_ALIGN;
    const size_t need = qMax(size_t(objectBytes) + MSGPACK_ZONE_ALIGN, size_t(MSGPACK_ZONE_CHUNK_SIZE));
    if (m_zone && (m_zoneSize < need || (m_zoneSize > keptObjectBytes && need < m_zoneSize))) {
        msgpack_zone_free(m_zone);
        m_zone = nullptr;
    }
    if (!m_zone) {
        m_zone = msgpack_zone_new(need);
        m_zoneSize = need;
        if (!m_zone) {
            setError(error, QStringLiteral("out of memory"));
            return false;
        }
    } else {
        msgpack_zone_clear(m_zone);
    }

    size_t off = 0;
    const msgpack_unpack_return ret = msgpack_unpack(data, size, &off, m_zone, m_root);
    if (ret != MSGPACK_UNPACK_SUCCESS || off != size) {
        m_root->type = MSGPACK_OBJECT_NIL;
        setError(error, QStringLiteral("msgpack-c refused the value (%1)").arg(int(ret)));
        return false;
    }
    return true;
}

QVariant kuMsgPackReader::toVariant(const msgpack_object& o)
{
    switch (o.type) {
    case MSGPACK_OBJECT_NIL:
    case MSGPACK_OBJECT_EXT:
        return QVariant();
    case MSGPACK_OBJECT_BOOLEAN:
        return bool(o.via.boolean);
    case MSGPACK_OBJECT_POSITIVE_INTEGER:
        if (o.via.u64 <= quint64(INT_MAX))
            return int(o.via.u64);
        if (o.via.u64 <= quint64(LLONG_MAX))
            return qlonglong(o.via.u64);
        return qulonglong(o.via.u64);
    case MSGPACK_OBJECT_NEGATIVE_INTEGER:
        if (o.via.i64 >= INT_MIN)
            return int(o.via.i64);
        return qlonglong(o.via.i64);
    case MSGPACK_OBJECT_FLOAT32:
    case MSGPACK_OBJECT_FLOAT64:
        return o.via.f64;
    case MSGPACK_OBJECT_STR:
        return QByteArray(o.via.str.ptr, int(o.via.str.size));
    case MSGPACK_OBJECT_BIN:
        return QByteArray(o.via.bin.ptr, int(o.via.bin.size));
    case MSGPACK_OBJECT_ARRAY: {
        QVariantList list;
        list.reserve(int(o.via.array.size));
        for (uint32_t i = 0; i < o.via.array.size; ++i)
            list.append(toVariant(o.via.array.ptr[i]));
        return list;
    }
    case MSGPACK_OBJECT_MAP: {
        QVariantMap map;
        for (uint32_t i = 0; i < o.via.map.size; ++i) {
            const msgpack_object_kv& kv = o.via.map.ptr[i];
            map.insert(keyText(kv.key), toVariant(kv.val));
        }
        return map;
    }
    }
    return QVariant();
}

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
    kuMsgPackReader reader;
    const bool ok = reader.read(bytes, error);
    *value = ok ? toVariant(reader.root()) : QVariant();
    return ok;
}

bool kuMsgPackReader::unpackHex(const QByteArray& hex, QVariant* value, QString* error)
{
    kuMsgPackReader reader;
    const bool ok = reader.readHex(hex, error);
    *value = ok ? toVariant(reader.root()) : QVariant();
    return ok;
}
