#include "kumsgpackcheck.h"

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

// Single pass over the bytes; no allocation, recursion bounded by maxDepth.
class Scanner
{
public:
    Scanner(const unsigned char* data, size_t size) : p(data), n(size) {}

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

    bool container(quint64 count, bool isMap, int depth)
    {
        if (depth + 1 > kuMsgPackCheck::maxDepth)
            return fail(QStringLiteral("nesting deeper than %1").arg(kuMsgPackCheck::maxDepth));
        const quint64 items = isMap ? count * 2 : count;
        // Every element takes at least one byte.
        if (items > n - off)
            return fail(QStringLiteral("element count %1 exceeds the bytes left").arg(count));
        for (quint64 i = 0; i < items; ++i) {
            if (!value(depth + 1))
                return false;
        }
        return true;
    }

    const unsigned char* p;
    size_t n;
    size_t off = 0;
    quint64 values = 0;
};

} // namespace

bool kuMsgPackCheck::fromHex(const QByteArray& hex, QByteArray* bytes, QString* error)
{
    bytes->clear();
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
    QByteArray out(len / 2, Qt::Uninitialized);
    const char* src = hex.constData() + begin;
    char* dst = out.data();
    for (int i = 0; i < len; i += 2) {
        const int hi = hexDigit(src[i]);
        const int lo = hexDigit(src[i + 1]);
        if (hi < 0 || lo < 0) {
            setError(error, QStringLiteral("non-hex character at %1").arg(begin + (hi < 0 ? i : i + 1)));
            return false;
        }
        dst[i / 2] = char((hi << 4) | lo);
    }
    *bytes = out;
    return true;
}

bool kuMsgPackCheck::validate(const char* data, size_t size, QString* error)
{
    Scanner scanner(reinterpret_cast<const unsigned char*>(data), size);
    if (!scanner.value(0)) {
        setError(error, scanner.error);
        return false;
    }
    if (scanner.offset() != size) {
        setError(error, QStringLiteral("%1 bytes after the value").arg(size - scanner.offset()));
        return false;
    }
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
