// The orders and trades windows' model, proxy and view under a large snapshot
// and under updates. Compare in one run: the snapshot with building its rows
// alone (target at most 3x), and 100 updates on 20,000 rows with the same
// updates on 200 rows (target at most 2x).

#include "kuobjectheaderitem.h"
#include "kuordersitem.h"
#include "kuordersmodel.h"
#include "kuordersproxymodel.h"
#include "kuordersview.h"
#include "kupaperlist.h"
#include "kutradesitem.h"
#include "kutradesmodel.h"
#include "kutradesproxymodel.h"
#include "kutradesview.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <memory>
#include <random>

namespace {
using ItemList = QList<QSharedPointer<kuObjectModelAbstractItem>>;

constexpr int bigCount = 20000;
constexpr int smallCount = 200;
constexpr int updateCount = 100;
const QDateTime start(QDate(2026, 1, 5), QTime(10, 0), Qt::OffsetFromUTC, 10800);

void addPapers()
{
    for (int id = 1; id <= 50; ++id) {
        const QString ticker = QStringLiteral("T%1").arg(id);
        kuPaperList::instance()->addPaper(id, QSharedPointer<kuPaperInfo>::create(id, ticker, "Эмитент " + ticker, 1, 1,
                                                                                  0.01, 0, 0, 0.0, true, ticker, "", 1,
                                                                                  "ММВБ"));
    }
}

// An order's instrument, time, side and price follow from its id, so that an update
// carries the same order with another status and quantity, as the server sends it.
QSharedPointer<kuObjectModelAbstractItem> order(int id, int status, int amount)
{
    std::mt19937 fixed{quint32(id)};
    const int paper = int(fixed() % 50) + 1;
    const double price = (fixed() % 100000) / 100.0;
    const QDateTime placed = start.addSecs(int(fixed() % 30000000));
    return QSharedPointer<kuOrdersItem>::create(id, paper, placed, int(fixed() % 2) + 1, amount, price, price * amount,
                                                status, 0, 0, 0, 0, 0.0, 0.0, 0, 0, 0.0, 0.0, QString());
}

// A trade's instrument, time, kind and price follow from its id; an update brings the same trade
// with another balance and note.
QSharedPointer<kuObjectModelAbstractItem> trade(int id, double balance)
{
    std::mt19937 fixed{quint32(id)};
    const int paper = int(fixed() % 50) + 1;
    const double price = (fixed() % 100000) / 100.0;
    const QDateTime time = start.addSecs(int(fixed() % 30000000));
    return QSharedPointer<kuTradesItem>::create(id, paper, time, int(fixed() % 11) + 1, 10, price, price * 10, 1.5,
                                                balance, QStringLiteral("Сделка по поручению %1").arg(balance));
}

// Rows for two accounts, ids 1.. per account.
template <typename Make>
std::pair<ItemList, ItemList> rows(int count, Make make)
{
    std::mt19937 random(5);
    std::pair<ItemList, ItemList> made;
    for (int i = 0; i < count; ++i)
        (i % 2 ? made.second : made.first) << make(i / 2 + 1, random);
    return made;
}

QList<QSharedPointer<kuObjectHeaderItem>> columns(int count)
{
    QList<QSharedPointer<kuObjectHeaderItem>> made;
    for (int c = 1; c <= count; ++c)
        made << kuObjectHeaderItem::create(QString::number(c), QString(), c != 3);
    return made;
}

// Model, proxy sorted by column 1 and the view, shown offscreen with both accounts open.
template <typename Model, typename Proxy, typename View>
struct Window
{
    Model model;
    Proxy proxy;
    View view;
    explicit Window(int columnCount)
    {
        proxy.setSourceModel(&model);
        proxy.setDynamicSortFilter(true);
        view.buildColumns(columns(columnCount));
        view.setModel(&proxy);
        view.sortByColumn(1, Qt::DescendingOrder);
        view.resize(1000, 600);
        view.show();
    }
    void fill(const std::pair<ItemList, ItemList>& data)
    {
        proxy.clear();
        proxy.appendChildren(proxy.appendTopItem(QStringLiteral("Фондовый")), data.first);
        proxy.appendChildren(proxy.appendTopItem(QStringLiteral("Срочный")), data.second);
        view.expandAll();
        QCoreApplication::processEvents();
    }
};

using OrdersWindow = Window<kuOrdersModel, kuOrdersProxyModel, kuOrdersView>;
using TradesWindow = Window<kuTradesModel, kuTradesProxyModel, kuTradesView>;

auto makeOrder = [](int id, std::mt19937& random) { return order(id, int(random() % 7), 10); };
auto makeTrade = [](int id, std::mt19937&) { return trade(id, 1000000.0); };

void ordersRowsAlone(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(rows(bigCount, makeOrder));
}

void ordersSnapshot(benchmark::State& state)
{
    OrdersWindow window(11);
    for (auto _ : state)
        window.fill(rows(bigCount, makeOrder));
}

// 100 orders of the first account: partly filled, then filled, with their quantity left.
void ordersUpdate(benchmark::State& state)
{
    OrdersWindow window(11);
    const int count = int(state.range(0));
    window.fill(rows(count, makeOrder));
    std::mt19937 random(9);
    int turn = 0;
    for (auto _ : state) {
        ItemList update;
        const int status = turn++ % 2 ? 2 : 3;
        for (int i = 0; i < updateCount; ++i)
            update << order(int(random() % (count / 2)) + 1, status, int(random() % 10) + 1);
        window.model.setData(window.model.index(0, 0), QVariant::fromValue(update), kuOrdersModel::UpdateRole);
        QCoreApplication::processEvents();
    }
}

void tradesRowsAlone(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(rows(bigCount, makeTrade));
}

void tradesSnapshot(benchmark::State& state)
{
    TradesWindow window(10);
    for (auto _ : state)
        window.fill(rows(bigCount, makeTrade));
}

void tradesUpdate(benchmark::State& state)
{
    TradesWindow window(10);
    const int count = int(state.range(0));
    window.fill(rows(count, makeTrade));
    std::mt19937 random(9);
    for (auto _ : state) {
        ItemList update;
        for (int i = 0; i < updateCount; ++i)
            update << trade(int(random() % (count / 2)) + 1, double(random() % 1000000));
        window.model.setData(window.model.index(0, 0), QVariant::fromValue(update), kuTradesModel::UpdateRole);
        QCoreApplication::processEvents();
    }
}
} // namespace

BENCHMARK(ordersRowsAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(ordersSnapshot)->Unit(benchmark::kMillisecond);
BENCHMARK(ordersUpdate)->Arg(smallCount)->Arg(bigCount)->Unit(benchmark::kMicrosecond);
BENCHMARK(tradesRowsAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(tradesSnapshot)->Unit(benchmark::kMillisecond);
BENCHMARK(tradesUpdate)->Arg(smallCount)->Arg(bigCount)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    addPapers();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
