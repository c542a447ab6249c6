#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>

// The limits and structure check of reply bodies (hex text of one MessagePack
// value), shared by the connection plug-ins, which judge a reply while it is
// fetched, and the converter, which decodes it.
class kuMsgPackCheck
{
public:
    // Containers nested deeper than this are refused (msgpack-c's own stack holds 32).
    static constexpr int maxDepth = 24;
    // Largest decoded body accepted; hex text may be twice as long.
    static constexpr int maxBodyBytes = 16 * 1024 * 1024;
    // Largest hex text a request takes in (white space around the digits included).
    static constexpr int maxHexBytes = 2 * maxBodyBytes + 4096;
    // Values in one reply (about 570,000 candles); each costs some 80 bytes once built.
    static constexpr int maxValues = 4000000;

    // Strict hex decoding: even length and hex digits only, surrounding
    // white space aside. Returns false and leaves bytes empty otherwise.
    static bool fromHex(const QByteArray& hex, QByteArray* bytes, QString* error = nullptr);

    // Checks the structure without building anything: every count fits in the
    // bytes left, nesting stays within maxDepth, at most maxValues values,
    // nothing is cut short or left over.
    static bool validate(const char* data, size_t size, QString* error = nullptr);

    // A body that decodes to a list, the shape of every reply that carries data
    // (a map is the server's error).
    static bool isDataReply(const QByteArray& hex, QString* error = nullptr);
};
