#include "kumsgpackcheck.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

// Value of each hex digit; badDigit marks every other byte.
constexpr unsigned char badDigit = 0x10;

struct HexTable
{
    unsigned char value[256];
    constexpr HexTable() : value()
    {
        for (int c = 0; c < 256; ++c)
            value[c] = badDigit;
        for (int c = '0'; c <= '9'; ++c)
            value[c] = (unsigned char)(c - '0');
        for (int c = 'a'; c <= 'f'; ++c)
            value[c] = (unsigned char)(c - 'a' + 10);
        for (int c = 'A'; c <= 'F'; ++c)
            value[c] = (unsigned char)(c - 'A' + 10);
    }
};
constexpr HexTable hexTable;

#if defined(__SSE2__)
// 16 digits to their values; lanes that are no hex digit are set in *bad.
inline __m128i digitValues(__m128i text, __m128i* bad)
{
    // x - lo <= hi - lo, unsigned, holds exactly for lo <= x <= hi.
    const __m128i digit = _mm_sub_epi8(text, _mm_set1_epi8('0'));
    const __m128i isDigit = _mm_cmpeq_epi8(_mm_min_epu8(digit, _mm_set1_epi8(9)), digit);
    const __m128i letter = _mm_sub_epi8(_mm_or_si128(text, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
    const __m128i isLetter = _mm_cmpeq_epi8(_mm_min_epu8(letter, _mm_set1_epi8(5)), letter);
    *bad = _mm_or_si128(*bad, _mm_andnot_si128(_mm_or_si128(isDigit, isLetter), _mm_set1_epi8(-1)));
    return _mm_or_si128(_mm_and_si128(isDigit, digit),
                        _mm_and_si128(isLetter, _mm_add_epi8(letter, _mm_set1_epi8(10))));
}

// Pairs of values (high digit first) to 8 bytes in the low halves of 16-bit lanes.
inline __m128i pairBytes(__m128i values)
{
    const __m128i high = _mm_slli_epi16(_mm_and_si128(values, _mm_set1_epi16(0xff)), 4);
    return _mm_or_si128(high, _mm_srli_epi16(values, 8));
}
#endif

// Decodes len (even) digits into len / 2 bytes; bad digits are looked for only
// once, at the end. The index of the first bad digit, or -1.
int decodeHex(const unsigned char* src, int len, char* dst)
{
    unsigned bad = 0;
    int i = 0;
#if defined(__SSE2__)
    __m128i badLanes = _mm_setzero_si128();
    for (; i + 32 <= len; i += 32) {
        const __m128i a = digitValues(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i)), &badLanes);
        const __m128i b = digitValues(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i + 16)), &badLanes);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i / 2), _mm_packus_epi16(pairBytes(a), pairBytes(b)));
    }
    if (_mm_movemask_epi8(badLanes) != 0)
        bad = badDigit;
#endif
    for (; i < len; i += 2) {
        const unsigned hi = hexTable.value[src[i]];
        const unsigned lo = hexTable.value[src[i + 1]];
        bad |= hi | lo;
        dst[i / 2] = char((hi << 4) | lo);
    }
    if (!(bad & badDigit))
        return -1;
    for (i = 0; i < len; ++i) {
        if (hexTable.value[src[i]] & badDigit)
            return i;
    }
    return -1;
}

// Bytes of a value that has a fixed size by its type byte; 0 for the rest.
struct FixedWidth
{
    unsigned char bytes[256];
    constexpr FixedWidth() : bytes()
    {
        for (int t = 0x00; t <= 0x7f; ++t)
            bytes[t] = 1;
        for (int t = 0xe0; t <= 0xff; ++t)
            bytes[t] = 1;
        for (int t = 0xa0; t <= 0xbf; ++t)
            bytes[t] = (unsigned char)(1 + (t & 0x1f));
        bytes[0xc0] = bytes[0xc2] = bytes[0xc3] = 1;
        bytes[0xca] = 5;
        bytes[0xcb] = 9;
        bytes[0xcc] = bytes[0xd0] = 2;
        bytes[0xcd] = bytes[0xd1] = 3;
        bytes[0xce] = bytes[0xd2] = 5;
        bytes[0xcf] = bytes[0xd3] = 9;
        bytes[0xd4] = 3;
        bytes[0xd5] = 4;
        bytes[0xd6] = 6;
        bytes[0xd7] = 10;
        bytes[0xd8] = 18;
    }
};
constexpr FixedWidth fixedWidth;

// Single pass over the bytes; no allocation, recursion bounded by maxDepth.
// It also counts the elements and containers a decoder will allocate for.
class Scanner
{
public:
    Scanner(const unsigned char* data, size_t size, bool anyKey) : p(data), n(size), anyKey(anyKey) {}

    bool value(int depth)
    {
        if (off >= n)
            return fail(QStringLiteral("truncated value"));
        if (++values > quint64(kuMsgPackCheck::maxValues))
            return fail(QStringLiteral("more than %1 values").arg(kuMsgPackCheck::maxValues));
        const unsigned char t = p[off++];
        if (t <= 0x7f || t >= 0xe0 || t == 0xc0 || t == 0xc2 || t == 0xc3)
            return true;
        if (t >= 0x80 && t <= 0x8f)
            return container(t & 0x0f, true, depth);
        if (t >= 0x90 && t <= 0x9f)
            return container(t & 0x0f, false, depth);
        if (t >= 0xa0 && t <= 0xbf)
            return skip(t & 0x1f);
        switch (t) {
        case 0xc4:
        case 0xd9:
            return sized(1, 0);
        case 0xc5:
        case 0xda:
            return sized(2, 0);
        case 0xc6:
        case 0xdb:
            return sized(4, 0);
        case 0xc7:
            return sized(1, 1);
        case 0xc8:
            return sized(2, 1);
        case 0xc9:
            return sized(4, 1);
        case 0xca:
            return skip(4);
        case 0xcb:
            return skip(8);
        case 0xcc:
        case 0xd0:
            return skip(1);
        case 0xcd:
        case 0xd1:
            return skip(2);
        case 0xce:
        case 0xd2:
            return skip(4);
        case 0xcf:
        case 0xd3:
            return skip(8);
        case 0xd4:
            return skip(2);
        case 0xd5:
            return skip(3);
        case 0xd6:
            return skip(5);
        case 0xd7:
            return skip(9);
        case 0xd8:
            return skip(17);
        case 0xdc: {
            quint64 c;
            return length(2, &c) && container(c, false, depth);
        }
        case 0xdd: {
            quint64 c;
            return length(4, &c) && container(c, false, depth);
        }
        case 0xde: {
            quint64 c;
            return length(2, &c) && container(c, true, depth);
        }
        case 0xdf: {
            quint64 c;
            return length(4, &c) && container(c, true, depth);
        }
        default:
            return fail(QStringLiteral("invalid type byte 0x%1").arg(t, 2, 16, QLatin1Char('0')));
        }
    }

    size_t offset() const { return off; }
    QString error;
    kuMsgPackCheck::Layout layout;

private:
    bool fail(const QString& text)
    {
        error = text + QStringLiteral(" at byte %1").arg(off);
        return false;
    }

    bool skip(quint64 count)
    {
        if (count > n - off)
            return fail(QStringLiteral("truncated value"));
        off += count;
        return true;
    }

    bool length(int width, quint64* value)
    {
        if (size_t(width) > n - off)
            return fail(QStringLiteral("truncated length"));
        quint64 v = 0;
        for (int i = 0; i < width; ++i)
            v = (v << 8) | p[off++];
        *value = v;
        return true;
    }

    // str/bin (extra 0) and ext (extra 1: the type byte)
    bool sized(int width, int extra)
    {
        quint64 len;
        return length(width, &len) && skip(len + quint64(extra));
    }

    // Keys are text or integers: what a Qt map can be keyed by.
    bool isKey(unsigned char t) const
    {
        return t <= 0x7f || t >= 0xe0 || (t >= 0xa0 && t <= 0xbf) || (t >= 0xc4 && t <= 0xc6) ||
               (t >= 0xcc && t <= 0xd3) || (t >= 0xd9 && t <= 0xdb);
    }

    bool container(quint64 count, bool isMap, int depth)
    {
        if (depth + 1 > kuMsgPackCheck::maxDepth)
            return fail(QStringLiteral("nesting deeper than %1").arg(kuMsgPackCheck::maxDepth));
        const quint64 items = isMap ? count * 2 : count;
        // Every element takes at least one byte.
        if (items > n - off)
            return fail(QStringLiteral("element count %1 exceeds the bytes left").arg(count));
        layout.elements += items;
        ++layout.containers;
        for (quint64 i = 0; i < items; ++i) {
            if (isMap && !anyKey) {
                if (i % 2 == 0 && off < n && !isKey(p[off]))
                    return fail(QStringLiteral("unsupported map key"));
            } else {
                i = skipFixed(i, items);
                if (i == items)
                    break;
            }
            // Numbers and short texts inline; everything else, and every fault, through value().
            if (off < n && values < quint64(kuMsgPackCheck::maxValues)) {
                const size_t width = fixedWidth.bytes[p[off]];
                if (width != 0 && width <= n - off) {
                    off += width;
                    ++values;
                    continue;
                }
            }
            if (!value(depth + 1))
                return false;
        }
        return true;
    }

    // Steps over the run of numbers and short texts from element i on; the index
    // of the first element left to value(). The offset and count stay in registers,
    // and doubles and small integers go by a branch the processor predicts, so that
    // reading the next element does not wait for the table.
    quint64 skipFixed(quint64 i, quint64 items)
    {
        size_t o = off;
        quint64 count = values;
        while (i < items && o < n && count < quint64(kuMsgPackCheck::maxValues)) {
            const unsigned char t = p[o];
            if (t == 0xcb && n - o >= 9) {
                o += 9;
            } else if (t <= 0x7f || t >= 0xe0) {
                ++o;
            } else {
                const size_t width = fixedWidth.bytes[t];
                if (width == 0 || width > n - o)
                    break;
                o += width;
            }
            ++count;
            ++i;
        }
        off = o;
        values = count;
        return i;
    }

    const unsigned char* p;
    size_t n;
    size_t off = 0;
    quint64 values = 0;
    bool anyKey;
};

} // namespace

bool kuMsgPackCheck::decodeHexInto(const QByteArray& hex, QByteArray* out, QString* error)
{
    int begin = 0;
    int end = hex.size();
    while (begin < end && isBlank(hex.at(begin)))
        ++begin;
    while (end > begin && isBlank(hex.at(end - 1)))
        --end;
    const int len = end - begin;
    if (len % 2 != 0) {
        setError(error, QStringLiteral("odd number of hex digits"));
        return false;
    }
    if (len / 2 > maxBodyBytes) {
        setError(error, QStringLiteral("body larger than %1 bytes").arg(maxBodyBytes));
        return false;
    }
    out->resize(len / 2);
    const int bad = decodeHex(reinterpret_cast<const unsigned char*>(hex.constData()) + begin, len, out->data());
    if (bad >= 0) {
        setError(error, QStringLiteral("non-hex character at %1").arg(begin + bad));
        return false;
    }
    return true;
}

bool kuMsgPackCheck::fromHex(const QByteArray& hex, QByteArray* bytes, QString* error)
{
    QByteArray out;
    const bool ok = decodeHexInto(hex, &out, error);
    *bytes = ok ? out : QByteArray();
    return ok;
}

bool kuMsgPackCheck::validate(const char* data, size_t size, QString* error, Keys keys, Layout* layout)
{
    Scanner scanner(reinterpret_cast<const unsigned char*>(data), size, keys == Keys::Any);
    if (!scanner.value(0)) {
        setError(error, scanner.error);
        return false;
    }
    if (scanner.offset() != size) {
        setError(error, QStringLiteral("%1 bytes after the value").arg(size - scanner.offset()));
        return false;
    }
    if (layout)
        *layout = scanner.layout;
    return true;
}

bool kuMsgPackCheck::isDataReply(const QByteArray& hex, QString* error)
{
    QByteArray bytes;
    if (!fromHex(hex, &bytes, error))
        return false;
    if (bytes.isEmpty()) {
        setError(error, QStringLiteral("empty body"));
        return false;
    }
    if (!validate(bytes.constData(), size_t(bytes.size()), error))
        return false;
    const auto first = quint8(bytes.at(0));
    if (!((first >= 0x90 && first <= 0x9f) || first == 0xdc || first == 0xdd)) {
        setError(error, QStringLiteral("not a list"));
        return false;
    }
    return true;
}
