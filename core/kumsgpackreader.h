#pragma once

#include "kumsgpackcheck.h"

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
    // The limits of kuMsgPackCheck.
    static constexpr int maxDepth = kuMsgPackCheck::maxDepth;
    static constexpr int maxBodyBytes = kuMsgPackCheck::maxBodyBytes;
    static constexpr int maxValues = kuMsgPackCheck::maxValues;

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
