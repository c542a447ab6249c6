// Reply decoding from hex text to signal arguments, beside msgpack-c's own
// unpack of the same bytes: the ratio is the converter's overhead.

#include "dcmessagepack.h"
#include "kucandlestore.h"
#include "kumsgpackreader.h"

#include <QCoreApplication>
#include <QTextCodec>

#include <benchmark/benchmark.h>
#include <msgpack.h>

namespace {

class Packer
{
public:
    Packer()
    {
        msgpack_sbuffer_init(&buffer);
        msgpack_packer_init(&pk, &buffer, msgpack_sbuffer_write);
    }
    ~Packer() { msgpack_sbuffer_destroy(&buffer); }
    void array(size_t n) { msgpack_pack_array(&pk, n); }
    void i(int64_t v) { msgpack_pack_int64(&pk, v); }
    void d(double v) { msgpack_pack_double(&pk, v); }
    void s(const QByteArray& v)
    {
        msgpack_pack_str(&pk, size_t(v.size()));
        msgpack_pack_str_body(&pk, v.constData(), size_t(v.size()));
    }
    QByteArray bytes() const { return QByteArray(buffer.data, int(buffer.size)); }

private:
    msgpack_sbuffer buffer;
    msgpack_packer pk;
};

QByteArray orderBook()
{
    Packer p;
    p.array(10000 * 4);
    for (int i = 0; i < 10000; ++i) {
        p.i(i % 2 ? 1 : 2);
        p.i(100 + i);
        p.d(250.0 + i * 0.01);
        p.d(0.0);
    }
    return p.bytes();
}

QByteArray candles()
{
    Packer p;
    p.array(50000 * 7);
    for (int i = 0; i < 50000; ++i) {
        p.d(100.25 + i);
        p.d(101.5 + i);
        p.d(102.75 + i);
        p.d(99.125 + i);
        p.d(1000 + i);
        p.i(1700000000LL + 60LL * i);
        p.i(1);
    }
    return p.bytes();
}

QByteArray instruments()
{
    QTextCodec* koi8 = QTextCodec::codecForName("KOI8-R");
    const QByteArray issuer = koi8->fromUnicode(QStringLiteral("ПАО Сбербанк России"));
    const QByteArray shortName = koi8->fromUnicode(QStringLiteral("Сбербанк"));
    const QByteArray exchange = koi8->fromUnicode(QStringLiteral("ММВБ"));
    Packer p;
    p.array(5000 * 14);
    for (int i = 0; i < 5000; ++i) {
        p.i(i + 1);
        p.i(1);
        p.i(10);
        p.i(3);
        p.i(0);
        p.i(1);
        p.d(0.01);
        p.d(1000.0);
        p.d(0.0);
        p.s("TCK" + QByteArray::number(i));
        p.s(issuer);
        p.s(shortName);
        p.s(QByteArray());
        p.s(exchange);
    }
    return p.bytes();
}

struct Fixture
{
    QByteArray bytes;
    QByteArray hex;
};

const Fixture& fixture(int which)
{
    static const Fixture fixtures[] = {
            {orderBook(), orderBook().toHex()},
            {candles(), candles().toHex()},
            {instruments(), instruments().toHex()},
    };
    return fixtures[which];
}

const char* const names[] = {"order book 10000 levels", "candles 50000", "instruments 5000"};

// Builds the candle rows but leaves the database out.
class NoDatabaseStore : public kuCandleStore
{
protected:
    bool writeBatch(int, const QVector<Candle>& minutes, const QVector<Candle>& days) override
    {
        benchmark::DoNotOptimize(minutes.size() + days.size());
        return true;
    }
};

class NoDatabaseConverter : public dcMessagePack
{
public:
    NoDatabaseConverter() { setCandleStore(std::make_unique<NoDatabaseStore>()); }
};

void rawUnpack(benchmark::State& state)
{
    const Fixture& f = fixture(int(state.range(0)));
    state.SetLabel(names[state.range(0)]);
    for (auto _ : state) {
        msgpack_unpacked result;
        msgpack_unpacked_init(&result);
        size_t off = 0;
        msgpack_unpack_next(&result, f.bytes.constData(), size_t(f.bytes.size()), &off);
        benchmark::DoNotOptimize(result.data.via.array.size);
        msgpack_unpacked_destroy(&result);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * f.bytes.size());
}

void readerToVariant(benchmark::State& state)
{
    const Fixture& f = fixture(int(state.range(0)));
    state.SetLabel(names[state.range(0)]);
    for (auto _ : state) {
        QVariant value;
        kuMsgPackReader::unpackHex(f.hex, &value);
        benchmark::DoNotOptimize(value);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * f.bytes.size());
}

void wholePath(benchmark::State& state)
{
    const int which = int(state.range(0));
    const Fixture& f = fixture(which);
    state.SetLabel(names[which]);
    NoDatabaseConverter converter;
    for (auto _ : state) {
        switch (which) {
        case 0: {
            const QVariantList list = converter.decode(wtOrderBook, f.hex, dcMessagePack::noPaper);
            benchmark::DoNotOptimize(converter.buildOrderBook(list, 0));
            break;
        }
        case 1:
            converter.storeCandles(7, converter.decode(wtChart, f.hex, dcMessagePack::noPaper));
            break;
        default: {
            const QVariantList list = converter.decode(wtInitInfo, f.hex, dcMessagePack::noPaper);
            benchmark::DoNotOptimize(converter.buildPapers(list));
            break;
        }
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * f.bytes.size());
}

BENCHMARK(rawUnpack)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(readerToVariant)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(wholePath)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
