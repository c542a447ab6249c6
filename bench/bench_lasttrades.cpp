// The last-trades window with its view shown: a snapshot of 10,000 trades
// beside building the 10,000 items alone (goal: at most 3x), and an update of
// 20 trades on a full tape of 5,000 rows beside one of 500 rows (goal: at most 2x).

#include "kulasttrades.h"
#include "kulasttradesitem.h"
#include "kulasttradesmodel.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonObject>

#include <benchmark/benchmark.h>

#include <random>

namespace {
constexpr int snapshotSize = 10000;
constexpr int updateSize = 20;

QJsonObject trade(std::mt19937& random, qint64 deal)
{
    return QJsonObject{{"dealID", double(deal)},
                       {"unixtime", 1700000000 + deal},
                       {"price", 100.0 + int(random() % 200) / 100.0},
                       {"amount", 1 + int(random() % 500)}};
}

// Newest first, as the server sends them.
QJsonArray trades(qint64 first, int count)
{
    std::mt19937 random{quint32(first)};
    QJsonArray result;
    for (qint64 deal = first + count - 1; deal >= first; --deal)
        result.append(trade(random, deal));
    return result;
}

void showWindow(kuLastTrades& window)
{
    window.resize(250, 405);
    window.show();
    QCoreApplication::processEvents();
}

void snapshotIntoWindow(benchmark::State& state)
{
    const QJsonArray snapshot = trades(1, snapshotSize);
    kuLastTrades window;
    showWindow(window);
    for (auto _ : state) {
        state.PauseTiming();
        window.model()->clear();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        window.appendTrades(snapshot);
        QCoreApplication::processEvents();
    }
}

void itemsAlone(benchmark::State& state)
{
    QVector<QJsonObject> snapshot;
    for (const QJsonValue& value : trades(1, snapshotSize))
        snapshot.append(value.toObject());
    for (auto _ : state) {
        for (const QJsonObject& record : qAsConst(snapshot))
            benchmark::DoNotOptimize(kuLastTradesItem::create(record, 2, 1));
    }
}

// range(0): the rows of the full tape.
void updateFullTape(benchmark::State& state)
{
    const int rows = int(state.range(0));
    kuLastTrades window;
    window.model()->setRowLimit(rows);
    window.appendTrades(trades(1, rows));
    showWindow(window);
    qint64 next = rows + 1;
    QVector<QJsonArray> updates;
    for (int i = 0; i < 2000; ++i, next += updateSize)
        updates.append(trades(next, updateSize));
    int turn = 0;
    for (auto _ : state) {
        if (turn == updates.size()) {
            state.PauseTiming();
            for (int i = 0; i < updates.size(); ++i, next += updateSize)
                updates[i] = trades(next, updateSize);
            turn = 0;
            state.ResumeTiming();
        }
        window.appendTrades(updates.at(turn++));
        QCoreApplication::processEvents();
    }
}
} // namespace

BENCHMARK(snapshotIntoWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(itemsAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(updateFullTape)->Arg(500)->Arg(5000)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
