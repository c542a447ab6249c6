// Replacing an order book: the model's setOrderBook of a 2,000-level book beside
// a plain parse of the same QJsonArray into structs and a sort (the floor any
// model pays), and the window's whole update at depth 20, rendered offscreen.

#include "kuorderbook.h"
#include "kuorderbookmodel.h"
#include "kutableview.h"

#include <QApplication>
#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace {
// A window given no instrument subscribes to nothing; its books come under id 0.
constexpr int paperID = 0;

// levels per side around 100.00, shuffled as a server need not sort them.
QJsonArray makeBook(int perSide, unsigned seed)
{
    std::mt19937 random(seed);
    QJsonArray book;
    QVector<QJsonObject> levels;
    for (int i = 0; i < perSide; ++i) {
        levels.append(QJsonObject{
                {"action", 1}, {"price", 100.01 + i * 0.01}, {"amount", int(random() % 5000) + 1}, {"yeild", 0.0}});
        levels.append(QJsonObject{
                {"action", 2}, {"price", 100.0 - i * 0.01}, {"amount", int(random() % 5000) + 1}, {"yeild", 0.0}});
    }
    std::shuffle(levels.begin(), levels.end(), random);
    for (const QJsonObject& level : qAsConst(levels))
        book.append(level);
    return book;
}

struct PlainLevel
{
    qint64 amount;
    double price;
    double yield;
    int side;
    qint64 ticks;
};

void parseAndSortBaseline(benchmark::State& state)
{
    const QJsonArray book = makeBook(1000, 1);
    for (auto _ : state) {
        QVector<PlainLevel> levels;
        levels.reserve(book.size());
        for (const QJsonValue& element : book) {
            const QJsonObject record = element.toObject();
            const double price = record.value(QLatin1String("price")).toDouble();
            levels.append({qint64(record.value(QLatin1String("amount")).toDouble()), price,
                           record.value(QLatin1String("yeild")).toDouble(),
                           record.value(QLatin1String("action")).toInt() == 1 ? 101 : 100,
                           qint64(std::round(price * 100))});
        }
        std::sort(levels.begin(), levels.end(), [](const PlainLevel& a, const PlainLevel& b) {
            return a.side != b.side ? a.side > b.side : a.ticks > b.ticks;
        });
        benchmark::DoNotOptimize(levels.data());
    }
}

void setOrderBook(benchmark::State& state)
{
    const QJsonArray book = makeBook(1000, 1);
    kuOrderBookModel model;
    for (auto _ : state) {
        model.setOrderBook(book, 10, 2);
        benchmark::DoNotOptimize(model.rowCount());
    }
    state.counters["rows"] = model.rowCount();
}

// What every poll costs a live window: the book replaced, the proxy sorted, the table drawn.
void wholeUpdateDepth20(benchmark::State& state)
{
    const QJsonArray books[2] = {makeBook(20, 1), makeBook(20, 2)};
    kuOrderBook window;
    window.slot_snapshotOrderBook(paperID, books[0]);
    window.show();
    QImage image(window.tableView()->size(), QImage::Format_ARGB32_Premultiplied);
    int turn = 0;
    for (auto _ : state) {
        window.slot_updateOrderBook(paperID, books[++turn % 2]);
        QPainter painter(&image);
        window.tableView()->render(&painter);
    }
    state.counters["rows"] = window.tableView()->model()->rowCount();
}

BENCHMARK(parseAndSortBaseline)->Unit(benchmark::kMicrosecond);
BENCHMARK(setOrderBook)->Unit(benchmark::kMicrosecond);
BENCHMARK(wholeUpdateDepth20)->Unit(benchmark::kMicrosecond);
} // namespace

int main(int argc, char** argv)
{
    // The main window the order book reaches keeps its files in a folder of this run.
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
