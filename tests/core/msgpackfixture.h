#pragma once

// Builds MessagePack replies for tests with msgpack-c itself.

#include <QByteArray>
#include <QString>
#include <QTextCodec>
#include <QVariant>

#include <msgpack.h>

// A byte string to be packed as bin instead of str.
struct Bin
{
    QByteArray data;
};
Q_DECLARE_METATYPE(Bin)

// A text in the server's code page.
inline QByteArray koi8(const QString& text)
{
    return QTextCodec::codecForName("KOI8-R")->fromUnicode(text);
}

class MsgPack
{
public:
    MsgPack()
    {
        msgpack_sbuffer_init(&buffer);
        msgpack_packer_init(&packer, &buffer, msgpack_sbuffer_write);
    }
    ~MsgPack() { msgpack_sbuffer_destroy(&buffer); }
    MsgPack(const MsgPack&) = delete;
    MsgPack& operator=(const MsgPack&) = delete;

    // int, qlonglong, qulonglong, uint, double, bool, QByteArray (str), QString
    // (UTF-8 str), Bin, QVariantList, QVariantMap; a null QVariant packs as nil.
    MsgPack& value(const QVariant& v)
    {
        switch (int(v.userType())) {
        case QMetaType::UnknownType:
            msgpack_pack_nil(&packer);
            break;
        case QMetaType::Bool:
            v.toBool() ? msgpack_pack_true(&packer) : msgpack_pack_false(&packer);
            break;
        case QMetaType::Int:
        case QMetaType::LongLong:
            msgpack_pack_int64(&packer, v.toLongLong());
            break;
        case QMetaType::UInt:
        case QMetaType::ULongLong:
            msgpack_pack_uint64(&packer, v.toULongLong());
            break;
        case QMetaType::Float:
            msgpack_pack_float(&packer, v.toFloat());
            break;
        case QMetaType::Double:
            msgpack_pack_double(&packer, v.toDouble());
            break;
        case QMetaType::QByteArray:
            str(v.toByteArray());
            break;
        case QMetaType::QString:
            str(v.toString().toUtf8());
            break;
        case QMetaType::QVariantList: {
            const QVariantList list = v.toList();
            msgpack_pack_array(&packer, size_t(list.size()));
            for (const QVariant& item : list)
                value(item);
            break;
        }
        case QMetaType::QVariantMap: {
            const QVariantMap map = v.toMap();
            msgpack_pack_map(&packer, size_t(map.size()));
            for (auto it = map.cbegin(); it != map.cend(); ++it) {
                str(it.key().toUtf8());
                value(it.value());
            }
            break;
        }
        default:
            if (v.canConvert<Bin>()) {
                const QByteArray data = v.value<Bin>().data;
                msgpack_pack_bin(&packer, size_t(data.size()));
                msgpack_pack_bin_body(&packer, data.constData(), size_t(data.size()));
            } else {
                qWarning("MsgPack: unsupported fixture value %s, packed as nil", v.typeName());
                msgpack_pack_nil(&packer);
            }
        }
        return *this;
    }

    MsgPack& str(const QByteArray& bytes)
    {
        msgpack_pack_str(&packer, size_t(bytes.size()));
        msgpack_pack_str_body(&packer, bytes.constData(), size_t(bytes.size()));
        return *this;
    }

    QByteArray bytes() const { return QByteArray(buffer.data, int(buffer.size)); }
    QByteArray hex() const { return bytes().toHex(); }

private:
    msgpack_sbuffer buffer;
    msgpack_packer packer;
};

inline QByteArray packHex(const QVariant& v)
{
    MsgPack pack;
    pack.value(v);
    return pack.hex();
}

inline QVariant bin(const QByteArray& data)
{
    return QVariant::fromValue(Bin{data});
}
