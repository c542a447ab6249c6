// A chart's load of its candle cache (18,000 minutes and 1,825 days: read and
// grouping into the seven time frames) beside a raw sqlite3 read of the same rows.

#include "kuaccessdb.h"
#include "kucandlestore.h"
#include "kuchartloader.h"
#include "queryworker.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <vector>

namespace {

constexpr int paper = 1;
constexpr int days = 1825;
constexpr quint64 firstMinute = 1709287200; // 2024-03-01 13:00 at the exchange

struct Cache
{
    QTemporaryDir home;
    kuCandleStore store;

    Cache()
    {
        qputenv("HOME", home.path().toUtf8());
        store.createTables(paper);
        QVector<kuCandleStore::Candle> rows;
        double price = 250.0;
        for (int i = 0; i < kuCandleStore::loadedMinutes; ++i) {
            price += (i * 7919 % 13) * 0.01 - 0.06;
            kuCandleStore::Candle c;
            c.open = price;
            c.close = price + 0.03;
            c.high = price + 0.05;
            c.low = price - 0.04;
            c.volume = 1 + i % 50;
            c.start = firstMinute + quint64(i) * 60;
            c.timeFrame = 1;
            rows.append(c);
        }
        for (int i = 0; i < days; ++i) {
            kuCandleStore::Candle c;
            c.open = 200 + i % 30;
            c.close = c.open + 1;
            c.high = c.open + 3;
            c.low = c.open - 2;
            c.volume = 10000 + i;
            c.start = firstMinute - quint64(days - i) * 86400;
            c.timeFrame = 1440;
            rows.append(c);
        }
        store.insert(paper, rows);
    }
};

Cache& cache()
{
    static Cache c;
    return c;
}

struct Row
{
    double open, high, low, close, volume;
    qint64 start;
    int timeFrame;
};

// The load query as the store runs it, each row read into a plain record.
void BM_RawSqliteRead(benchmark::State& state)
{
    cache();
    sqlite3* db = nullptr;
    if (state.range(0)) {
        QString error;
        db = QueryWorker::openConnection(&error);
    } else {
        sqlite3_open_v2(QFile::encodeName(kuAccessDB::databasePath()).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    }
    const QByteArray sql =
            QStringLiteral(
                    "select tbl.open, tbl.high, tbl.low, tbl.close, tbl.volume, tbl.min, tbl.tf from "
                    "(select d.open, d.high, d.low, d.close, d.volume, d.min, 1 as tf from \"%1\" as d "
                    "order by d.min desc limit ?1) as tbl "
                    "union all select tbl.open, tbl.high, tbl.low, tbl.close, tbl.volume, tbl.min, tbl.tf from "
                    "(select dd.open, dd.high, dd.low, dd.close, dd.volume, dd.min, 1440 as tf from \"%2\" as dd "
                    "order by dd.min asc) as tbl order by tbl.tf asc, tbl.min asc")
                    .arg(kuCandleStore::tableName(paper), kuCandleStore::tableName(paper, kuCandleStore::Table::Day))
                    .toUtf8();
    std::vector<Row> rows;
    for (auto _ : state) {
        rows.clear();
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, sql.constData(), sql.size(), &s, nullptr);
        sqlite3_bind_int(s, 1, kuCandleStore::loadedMinutes);
        while (sqlite3_step(s) == SQLITE_ROW) {
            rows.push_back(Row{sqlite3_column_double(s, 0), sqlite3_column_double(s, 1), sqlite3_column_double(s, 2),
                               sqlite3_column_double(s, 3), sqlite3_column_double(s, 4), sqlite3_column_int64(s, 5),
                               sqlite3_column_int(s, 6)});
        }
        sqlite3_finalize(s);
        benchmark::DoNotOptimize(rows.data());
    }
    sqlite3_close_v2(db);
    state.counters["rows"] = double(rows.size());
}
BENCHMARK(BM_RawSqliteRead)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// What the chart's pool job does: the store's read and the grouping.
void BM_ChartLoad(benchmark::State& state)
{
    Cache& c = cache();
    int candles = 0;
    for (auto _ : state) {
        const kuChartLoad load = kuChartLoader::load(c.store, paper, 1);
        candles = 0;
        for (const kuChartSeries& s : load.series)
            candles += s.candles.size();
        benchmark::DoNotOptimize(candles);
    }
    state.counters["candles"] = candles;
}
BENCHMARK(BM_ChartLoad)->Unit(benchmark::kMillisecond);

// The store's read alone (its speed is the data path's).
void BM_StoreLoad(benchmark::State& state)
{
    Cache& c = cache();
    for (auto _ : state) {
        const QVector<kuCandleStore::Candle> rows = c.store.load(paper);
        benchmark::DoNotOptimize(rows.constData());
    }
}
BENCHMARK(BM_StoreLoad)->Unit(benchmark::kMillisecond);

// The grouping alone, from rows already read.
void BM_Grouping(benchmark::State& state)
{
    Cache& c = cache();
    const QVector<kuCandleStore::Candle> rows = c.store.load(paper);
    for (auto _ : state) {
        const QVector<kuChartSeries> series = kuChartLoader::buildSeries(rows);
        benchmark::DoNotOptimize(series.constData());
    }
}
BENCHMARK(BM_Grouping)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
