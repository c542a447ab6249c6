#include "kudemohostile.h"

#include <QHash>
#include <QMutex>
#include <QStringList>
#include <QtEndian>

#include <zlib.h>

#include <cstring>

namespace kuDemoHostile {

namespace {

const char* const modeNames[] = {"none", "oversized", "gzip",      "gzipbomb", "cutoff",
                                 "slow", "hang",      "nosession", "hugeicon"};

// Deflates what feed() hands over, chunk by chunk; windowBits 15 + 16 writes the gzip wrapper.
class Deflater
{
public:
    explicit Deflater(int windowBits)
    {
        std::memset(&m_stream, 0, sizeof m_stream);
        deflateInit2(&m_stream, Z_BEST_COMPRESSION, Z_DEFLATED, windowBits, 9, Z_DEFAULT_STRATEGY);
    }
    ~Deflater() { deflateEnd(&m_stream); }

    void feed(const char* data, size_t size, bool last)
    {
        m_stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
        m_stream.avail_in = uInt(size);
        char chunk[64 * 1024];
        int result = Z_OK;
        do {
            m_stream.next_out = reinterpret_cast<Bytef*>(chunk);
            m_stream.avail_out = sizeof chunk;
            result = deflate(&m_stream, last ? Z_FINISH : Z_NO_FLUSH);
            m_out.append(chunk, int(sizeof chunk - m_stream.avail_out));
        } while (m_stream.avail_out == 0 || (last && result != Z_STREAM_END));
    }
    QByteArray result() const { return m_out; }

private:
    z_stream m_stream;
    QByteArray m_out;
};

void appendChunk(QByteArray& png, const char* type, const QByteArray& data)
{
    uchar length[4];
    qToBigEndian(quint32(data.size()), length);
    png.append(reinterpret_cast<const char*>(length), 4);
    const QByteArray typed = QByteArray(type, 4) + data;
    png.append(typed);
    uchar crc[4];
    qToBigEndian(quint32(crc32(0, reinterpret_cast<const Bytef*>(typed.constData()), uInt(typed.size()))), crc);
    png.append(reinterpret_cast<const char*>(crc), 4);
}

} // namespace

Mode fromName(const QString& text)
{
    for (int i = 1; i < int(sizeof modeNames / sizeof *modeNames); ++i) {
        if (text == QLatin1String(modeNames[i]))
            return Mode(i);
    }
    return None;
}

QString name(Mode mode)
{
    return QString::fromLatin1(modeNames[mode]);
}

QString names()
{
    QStringList all;
    for (int i = 1; i < int(sizeof modeNames / sizeof *modeNames); ++i)
        all << QString::fromLatin1(modeNames[i]);
    return all.join(QStringLiteral(", "));
}

QByteArray oversizedHex(int hexBytes)
{
    static QMutex lock;
    static QHash<int, QByteArray> cache;
    QMutexLocker locker(&lock);
    if (cache.contains(hexBytes))
        return cache.value(hexBytes);
    // array 32 header, then float64 values of 9 bytes (18 hex digits) each: 123.456.
    const int count = qMax(1, (hexBytes - 10) / 18);
    const QByteArray hex = "dd" + QByteArray::number(count, 16).rightJustified(8, '0') +
                           QByteArray("cb405edd2f1a9fbe77").repeated(count);
    cache.clear(); // one size at a time is what the modes use
    cache.insert(hexBytes, hex);
    return hex;
}

QByteArray gzip(const QByteArray& bytes)
{
    Deflater deflater(15 + 16);
    deflater.feed(bytes.constData(), size_t(bytes.size()), true);
    return deflater.result();
}

QByteArray gzipBomb(qint64 inflatedBytes)
{
    static QMutex lock;
    static QHash<qint64, QByteArray> cache;
    QMutexLocker locker(&lock);
    if (cache.contains(inflatedBytes))
        return cache.value(inflatedBytes);
    Deflater deflater(15 + 16);
    const QByteArray zeros(1024 * 1024, '0');
    for (qint64 left = inflatedBytes; left > 0;) {
        const qint64 piece = qMin<qint64>(left, zeros.size());
        left -= piece;
        deflater.feed(zeros.constData(), size_t(piece), left == 0);
    }
    cache.insert(inflatedBytes, deflater.result());
    return cache.value(inflatedBytes);
}

QByteArray hugePng(int width, int height)
{
    static QMutex lock;
    static QHash<quint64, QByteArray> cache;
    QMutexLocker locker(&lock);
    const quint64 key = quint64(quint32(width)) << 32 | quint32(height);
    if (cache.contains(key))
        return cache.value(key);
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    uchar header[13] = {};
    qToBigEndian(quint32(width), header);
    qToBigEndian(quint32(height), header + 4);
    header[8] = 1; // bit depth
    header[9] = 0; // grey
    appendChunk(png, "IHDR", QByteArray(reinterpret_cast<const char*>(header), 13));
    // Every row: filter byte 0 and width bits of black.
    const QByteArray row(1 + (width + 7) / 8, '\0');
    Deflater deflater(15);
    for (int y = 0; y < height; ++y)
        deflater.feed(row.constData(), size_t(row.size()), y == height - 1);
    appendChunk(png, "IDAT", deflater.result());
    appendChunk(png, "IEND", QByteArray());
    cache.insert(key, png);
    return png;
}

} // namespace kuDemoHostile
