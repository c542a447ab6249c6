#include "kudemopacker.h"

#include <msgpack.h>

kuDemoPacker::kuDemoPacker()
    : m_buffer(msgpack_sbuffer_new()), m_packer(msgpack_packer_new(m_buffer, msgpack_sbuffer_write))
{}

kuDemoPacker::~kuDemoPacker()
{
    msgpack_packer_free(m_packer);
    msgpack_sbuffer_free(m_buffer);
}

kuDemoPacker& kuDemoPacker::array(quint32 size)
{
    msgpack_pack_array(m_packer, size);
    return *this;
}

kuDemoPacker& kuDemoPacker::map(quint32 size)
{
    msgpack_pack_map(m_packer, size);
    return *this;
}

kuDemoPacker& kuDemoPacker::integer(qint64 value)
{
    msgpack_pack_int64(m_packer, value);
    return *this;
}

kuDemoPacker& kuDemoPacker::real(double value)
{
    msgpack_pack_double(m_packer, value);
    return *this;
}

kuDemoPacker& kuDemoPacker::str(const QByteArray& bytes)
{
    msgpack_pack_str(m_packer, size_t(bytes.size()));
    msgpack_pack_str_body(m_packer, bytes.constData(), size_t(bytes.size()));
    return *this;
}

kuDemoPacker& kuDemoPacker::bin(const QByteArray& bytes)
{
    msgpack_pack_bin(m_packer, size_t(bytes.size()));
    msgpack_pack_bin_body(m_packer, bytes.constData(), size_t(bytes.size()));
    return *this;
}

kuDemoPacker& kuDemoPacker::nil()
{
    msgpack_pack_nil(m_packer);
    return *this;
}

kuDemoPacker& kuDemoPacker::raw(const QByteArray& packed)
{
    msgpack_sbuffer_write(m_buffer, packed.constData(), size_t(packed.size()));
    return *this;
}

QByteArray kuDemoPacker::bytes() const
{
    return QByteArray(m_buffer->data, int(m_buffer->size));
}

QByteArray kuDemoPacker::hex() const
{
    return bytes().toHex();
}

QByteArray kuDemoPacker::errorReply(int code)
{
    kuDemoPacker p;
    p.map(1).str("error_code").integer(code);
    return p.hex();
}
