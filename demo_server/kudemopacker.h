#pragma once

#include <QByteArray>

struct msgpack_sbuffer;
struct msgpack_packer;

// Writes one MessagePack value; the reply body is its hex text.
class kuDemoPacker
{
public:
    kuDemoPacker();
    ~kuDemoPacker();
    kuDemoPacker(const kuDemoPacker&) = delete;
    kuDemoPacker& operator=(const kuDemoPacker&) = delete;

    kuDemoPacker& array(quint32 size);
    kuDemoPacker& map(quint32 size);
    kuDemoPacker& integer(qint64 value);
    kuDemoPacker& real(double value);
    // Texts go out as raw bytes (KOI8-R or ASCII), never re-encoded.
    kuDemoPacker& str(const QByteArray& bytes);
    kuDemoPacker& bin(const QByteArray& bytes);
    kuDemoPacker& nil();
    // Appends values packed elsewhere.
    kuDemoPacker& raw(const QByteArray& packed);

    QByteArray bytes() const;
    QByteArray hex() const;

    static QByteArray errorReply(int code);

private:
    msgpack_sbuffer* m_buffer;
    msgpack_packer* m_packer;
};
