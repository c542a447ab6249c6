// The data path side by side with what it is measured against, in one run:
// - reply conversion from hex text to signal arguments, and hex text to values
//   alone, beside msgpack-c's own unpack of the same bytes;
// - the candle store beside a plain sqlite3 insert loop on the same table;
// - the per-candle cost of a conversion at 10,000 and at 100,000 candles.
// Run with --benchmark_repetitions=N: the "min" rows are the figures to compare.

#include "dcmessagepack.h"
#include "kucandlestore.h"
#include "kumigration.h"
#include "kumsgpackreader.h"
#include "queryworker.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTextCodec>

#include <benchmark/benchmark.h>
#include <msgpack.h>
#include <sqlite3.h>

#include <sys/resource.h>

#include <algorithm>

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

QByteArray candles(int count)
{
    Packer p;
    p.array(size_t(count) * 7);
    for (int i = 0; i < count; ++i) {
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

enum Case
{
    OrderBook,
    Candles,
    Instruments,
    Candles10k,
    Candles100k
};

struct Fixture
{
    explicit Fixture(const QByteArray& bytes) : bytes(bytes), hex(bytes.toHex()), upperHex(hex.toUpper()) {}
    QByteArray bytes;
    QByteArray hex;
    QByteArray upperHex;
};

const Fixture& fixture(int which)
{
    static const Fixture fixtures[] = {Fixture(orderBook()), Fixture(candles(50000)), Fixture(instruments()),
                                       Fixture(candles(10000)), Fixture(candles(100000))};
    return fixtures[which];
}

const char* const names[] = {"order book 10000 levels", "candles 50000", "instruments 5000", "candles 10000",
                             "candles 100000"};

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

long minorFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// Page faults per iteration: fresh memory on every call shows here.
class FaultCounter
{
public:
    FaultCounter() : start(minorFaults()) {}
    void report(benchmark::State& state) const
    {
        state.counters["faults"] =
                benchmark::Counter(double(minorFaults() - start), benchmark::Counter::kAvgIterations);
    }

private:
    long start;
};

double minimum(const std::vector<double>& v)
{
    return *std::min_element(v.begin(), v.end());
}

// msgpack-c's own unpack of the bytes, fresh memory each time as its API gives it.
void rawUnpack(benchmark::State& state)
{
    const Fixture& f = fixture(int(state.range(0)));
    state.SetLabel(names[state.range(0)]);
    FaultCounter faults;
    for (auto _ : state) {
        msgpack_unpacked result;
        msgpack_unpacked_init(&result);
        size_t off = 0;
        msgpack_unpack_next(&result, f.bytes.constData(), size_t(f.bytes.size()), &off);
        benchmark::DoNotOptimize(result.data.via.array.size);
        msgpack_unpacked_destroy(&result);
    }
    faults.report(state);
    state.SetBytesProcessed(int64_t(state.iterations()) * f.bytes.size());
}

// Hex text to checked values (no records), lower or upper case digits.
void hexToValues(benchmark::State& state)
{
    const Fixture& f = fixture(int(state.range(0)));
    const QByteArray& hex = state.range(1) ? f.upperHex : f.hex;
    state.SetLabel(QByteArray(names[state.range(0)]).append(state.range(1) ? ", upper case" : ", lower case").data());
    kuMsgPackReader reader;
    FaultCounter faults;
    for (auto _ : state) {
        const bool ok = reader.readHex(hex);
        benchmark::DoNotOptimize(ok);
    }
    faults.report(state);
    state.SetBytesProcessed(int64_t(state.iterations()) * f.bytes.size());
}

// Hex text to what the converter hands on: JSON records, candle rows, instruments.
void wholeConversion(benchmark::State& state)
{
    const int which = int(state.range(0));
    const Fixture& f = fixture(which);
    state.SetLabel(names[which]);
    NoDatabaseConverter converter;
    // The decoding thread's reader, kept from reply to reply.
    kuMsgPackReader reader;
    FaultCounter faults;
    for (auto _ : state) {
        switch (which) {
        case OrderBook:
            benchmark::DoNotOptimize(converter.buildOrderBook(converter.decodeList(reader, wtOrderBook, f.hex, 7), 0));
            break;
        case Instruments:
            benchmark::DoNotOptimize(
                    converter.buildPapers(converter.decodeList(reader, wtInitInfo, f.hex, dcMessagePack::noPaper)));
            break;
        default:
            converter.storeCandles(7, converter.decodeList(reader, wtChart, f.hex, 7));
            break;
        }
    }
    faults.report(state);
    if (which == Candles10k || which == Candles100k) {
        const int candles = which == Candles10k ? 10000 : 100000;
        state.counters["per_candle"] = benchmark::Counter(
                double(candles), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * f.bytes.size());
}

// ---- the candle store against a plain loop

const int storedPaper = 7;
const int storedCandles = 50000;

QVector<kuCandleStore::Candle> storeRows()
{
    QVector<kuCandleStore::Candle> rows;
    for (int i = 0; i < storedCandles; ++i) {
        kuCandleStore::Candle c;
        c.open = 100.25 + i;
        c.close = 101.5 + i;
        c.high = 102.75 + i;
        c.low = 99.125 + i;
        c.volume = 1000 + i;
        c.start = 1700000000ULL + 60ULL * quint64(i);
        c.timeFrame = 1;
        rows.append(c);
    }
    return rows;
}

void candleStore(benchmark::State& state)
{
    const QVector<kuCandleStore::Candle> rows = storeRows();
    kuCandleStore store;
    store.createTables(storedPaper);
    // Both sides replace rows the table already holds.
    store.insert(storedPaper, rows);
    for (auto _ : state)
        benchmark::DoNotOptimize(store.insert(storedPaper, rows));
    state.SetItemsProcessed(int64_t(state.iterations()) * storedCandles);
}

// The same rows into the same table, on a connection with the same pragmas: one
// prepared statement, typed binds and the same 500-row transactions.
void plainSqliteLoop(benchmark::State& state)
{
    const QVector<kuCandleStore::Candle> rows = storeRows();
    {
        kuCandleStore store;
        store.createTables(storedPaper);
        store.insert(storedPaper, rows);
    }
    QString error;
    sqlite3* db = QueryWorker::openConnection(&error);
    const QByteArray sql = QStringLiteral("insert or replace into \"%1\" (open, high, low, close, volume, min) "
                                          "values (?, ?, ?, ?, ?, ?);")
                                   .arg(kuCandleStore::tableName(storedPaper))
                                   .toUtf8();
    for (auto _ : state) {
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, sql.constData(), sql.size(), &s, nullptr);
        for (int i = 0; i < rows.size(); ++i) {
            if (i % kuCandleStore::batchSize == 0)
                sqlite3_exec(db, "begin immediate transaction;", nullptr, nullptr, nullptr);
            const kuCandleStore::Candle& c = rows.at(i);
            sqlite3_bind_double(s, 1, c.open);
            sqlite3_bind_double(s, 2, c.high);
            sqlite3_bind_double(s, 3, c.low);
            sqlite3_bind_double(s, 4, c.close);
            sqlite3_bind_double(s, 5, c.volume);
            sqlite3_bind_int64(s, 6, sqlite3_int64(c.start));
            sqlite3_step(s);
            sqlite3_reset(s);
            if ((i + 1) % kuCandleStore::batchSize == 0 || i + 1 == rows.size())
                sqlite3_exec(db, "commit;", nullptr, nullptr, nullptr);
        }
        sqlite3_finalize(s);
    }
    sqlite3_close_v2(db);
    state.SetItemsProcessed(int64_t(state.iterations()) * storedCandles);
}

BENCHMARK(rawUnpack)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", minimum);
BENCHMARK(hexToValues)
        ->ArgsProduct({{OrderBook, Candles, Instruments}, {0, 1}})
        ->Unit(benchmark::kMillisecond)
        ->ComputeStatistics("min", minimum);
BENCHMARK(wholeConversion)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", minimum);
BENCHMARK(candleStore)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", minimum);
BENCHMARK(plainSqliteLoop)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", minimum);

} // namespace

int main(int argc, char** argv)
{
    // The store's database goes to a folder of this run, never the user's.
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    QCoreApplication app(argc, argv);
    if (!updateDatabaseSchema())
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
