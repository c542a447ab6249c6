#pragma once

#include "kumsgpackcheck.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

struct msgpack_object;
struct msgpack_zone;

// Turns untrusted reply bytes into values with msgpack-c, after checking them.
// A reader object keeps its buffers between reads, so the large replies of one
// decoding thread reuse the same memory; the records are built straight from
// its objects (root()).
// As Qt values: arrays become QVariantList, maps QVariantMap, str and bin values
// QByteArray (raw bytes: the caller chooses the codec), integers int when they
// fit, otherwise qlonglong or qulonglong, floats double, nil and ext a null
// QVariant. Map keys are taken as Latin-1 text so that no two byte keys collapse.
class kuMsgPackReader
{
public:
    // The limits of kuMsgPackCheck.
    static constexpr int maxDepth = kuMsgPackCheck::maxDepth;
    static constexpr int maxBodyBytes = kuMsgPackCheck::maxBodyBytes;
    static constexpr int maxValues = kuMsgPackCheck::maxValues;
    // Object memory kept for the next read; a larger reply's is given back after it.
    static constexpr size_t keptObjectBytes = 32 * 1024 * 1024;

    kuMsgPackReader();
    ~kuMsgPackReader();
    kuMsgPackReader(const kuMsgPackReader&) = delete;
    kuMsgPackReader& operator=(const kuMsgPackReader&) = delete;

    // Strict hex text (see fromHex) or bytes to objects, valid until the next
    // read; false with the reason otherwise, and root() is then nil.
    bool readHex(const QByteArray& hex, QString* error = nullptr);
    bool read(const QByteArray& bytes, QString* error = nullptr);
    // The value read last.
    const msgpack_object& root() const;

    // The Qt value of an object, as described above.
    static QVariant toVariant(const msgpack_object& object);

    // Strict hex decoding: even length and hex digits only, surrounding
    // white space aside. Returns false and leaves bytes empty otherwise.
    static bool fromHex(const QByteArray& hex, QByteArray* bytes, QString* error = nullptr);

    // Decodes exactly one value that fills the whole buffer.
    static bool unpack(const QByteArray& bytes, QVariant* value, QString* error = nullptr);

    // fromHex followed by unpack.
    static bool unpackHex(const QByteArray& hex, QVariant* value, QString* error = nullptr);

    // Checks the structure without building anything: every count fits in the
    // bytes left, nesting stays within maxDepth, at most maxValues values,
    // nothing is cut short or left over.
    static bool validate(const char* data, size_t size, QString* error = nullptr);

private:
    bool readChecked(const char* data, size_t size, QString* error);
    void clear();

    // Hex replies are decoded into this buffer, kept between reads.
    QByteArray m_buffer;
    // Bytes read as they came (objects point into them).
    QByteArray m_held;
    msgpack_zone* m_zone = nullptr;
    size_t m_zoneSize = 0;
    msgpack_object* m_root = nullptr;
};
