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

    // Which map keys the walk takes.
    enum class Keys
    {
        Any,
        TextOrInteger
    };

    // What the walk counted, for a decoder that sizes its memory up front.
    struct Layout
    {
        // Array elements plus map keys and values.
        quint64 elements = 0;
        quint64 containers = 0;
    };

    // Strict hex decoding: even length and hex digits only, surrounding
    // white space aside. Returns false and leaves bytes empty otherwise.
    static bool fromHex(const QByteArray& hex, QByteArray* bytes, QString* error = nullptr);

    // fromHex into a buffer that is resized to fit, its memory reused; its
    // contents are undefined after a failure.
    static bool decodeHexInto(const QByteArray& hex, QByteArray* out, QString* error = nullptr);

    // Checks the structure without building anything: every count fits in the
    // bytes left, nesting stays within maxDepth, at most maxValues values,
    // nothing is cut short or left over. Keys::TextOrInteger also refuses map
    // keys a Qt map cannot be keyed by.
    static bool validate(const char* data, size_t size, QString* error = nullptr, Keys keys = Keys::Any,
                         Layout* layout = nullptr);

    // A body that decodes to a list, the shape of every reply that carries data
    // (a map is the server's error).
    static bool isDataReply(const QByteArray& hex, QString* error = nullptr);
};
