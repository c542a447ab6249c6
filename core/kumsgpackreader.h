#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

// Turns untrusted reply bytes into Qt values with msgpack-c.
// Arrays become QVariantList, maps QVariantMap, str and bin values QByteArray
// (raw bytes: the caller chooses the codec), integers int when they fit,
// otherwise qlonglong or qulonglong, floats double, nil and ext a null QVariant.
// Map keys are taken as Latin-1 text so that no two byte keys collapse into one.
class kuMsgPackReader
{
public:
    // Containers nested deeper than this are refused (msgpack-c's own stack holds 32).
    static constexpr int maxDepth = 24;
    // Largest decoded body accepted; hex text may be twice as long.
    static constexpr int maxBodyBytes = 16 * 1024 * 1024;
    // Values in one reply (about 570,000 candles); each costs some 80 bytes once built.
    static constexpr int maxValues = 4000000;

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
};
