// The instrument chooser over 5,000 instruments: a refill of its rows and one
// keystroke of its search text, beside Qt's own QSortFilterProxyModel over a
// QStandardItemModel holding the same texts.

#include "kuobjectheaderitem.h"
#include "kupaperinfo.h"
#include "kupaperlist.h"
#include "kupaperlistitem.h"
#include "kupaperlistmodel.h"
#include "kupaperlistproxymodel.h"

#include <QCoreApplication>
#include <QStandardItemModel>

#include <benchmark/benchmark.h>

#include <random>

namespace {
constexpr int instrumentCount = 5000;
constexpr int tickerColumn = 2;
const QList<int> searchColumns{2, 3, 4, 5};
// Two texts typed in turn; each hits a few per cent of the rows, so most rows test every column.
const char* const typed[] = {"нов", "нове"};

QString word(std::mt19937& random, const QString& letters, int length)
{
    QString result;
    for (int i = 0; i < length; ++i)
        result += letters.at(int(random() % letters.size()));
    return result;
}

void fillRegistry()
{
    static bool filled = false;
    if (filled)
        return;
    filled = true;
    static const QString latin = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    static const QString cyrillic = QStringLiteral("абвгдежзиклмнопрстуфхцчшщэюя");
    static const QStringList exchanges{QString(), QStringLiteral("ВФБ"), QStringLiteral("ВСР"), QStringLiteral("ВВБ")};
    std::mt19937 random(19);
    for (int id = 1; id <= instrumentCount; ++id) {
        const int exchange = 1 + int(random() % 3);
        // No options: the chooser's main list holds none.
        const int drawn = int(random() % 10);
        const int type = drawn == 5 ? 4 : drawn;
        const QString issuer =
                QStringLiteral("ПАО \"%1 %2\"").arg(word(random, cyrillic, 8), word(random, cyrillic, 6));
        kuPaperList::instance()->addPaper(
                id, QSharedPointer<kuPaperInfo>::create(id, word(random, latin, 4 + int(random() % 3)), issuer, type, 1,
                                                        0.01, 0.0, 0, 0.0, true, word(random, cyrillic, 10), QString(),
                                                        exchange, exchanges.at(exchange)));
    }
}

QList<QSharedPointer<kuObjectHeaderItem>> columns()
{
    QList<QSharedPointer<kuObjectHeaderItem>> list{kuObjectHeaderItem::createHidden(QStringLiteral("Column #1"))};
    for (const char* title : {"Площадка", "Тикер", "Крат. наименование", "Эмитент", "Тип"})
        list << kuObjectHeaderItem::create(QString::fromUtf8(title));
    return list;
}

// The chooser's model and proxy: sorted by ticker, every exchange chosen.
struct Chooser
{
    Chooser()
    {
        fillRegistry();
        model.setColumns(columns());
        proxy.setSourceModel(&model);
        proxy.setDynamicSortFilter(true);
        proxy.setFilterCaseSensitivity(Qt::CaseInsensitive);
        proxy.sort(tickerColumn, Qt::AscendingOrder);
        proxy.setExchangeFilter({1, 2, 3});
    }
    kuPaperListModel model;
    kuPaperListProxyModel proxy;
};

// The same texts in Qt's models: ticker, short name, issuer and type name.
struct QtChooser
{
    QtChooser() : model(0, 4)
    {
        fillRegistry();
        for (const auto& paper : kuPaperList::instance()->papersTable())
            model.appendRow({new QStandardItem(paper->ticker()), new QStandardItem(paper->shortName()),
                             new QStandardItem(paper->issuer()), new QStandardItem(paper->typeName())});
        proxy.setSourceModel(&model);
        proxy.setDynamicSortFilter(true);
        proxy.setFilterKeyColumn(-1);
        proxy.setFilterCaseSensitivity(Qt::CaseInsensitive);
        proxy.sort(0, Qt::AscendingOrder);
    }
    QStandardItemModel model;
    QSortFilterProxyModel proxy;
};

void refill(benchmark::State& state)
{
    Chooser chooser;
    for (auto _ : state) {
        chooser.proxy.setItems(makeItems());
        benchmark::DoNotOptimize(chooser.proxy.rowCount());
    }
    state.counters["rows"] = chooser.proxy.rowCount();
}

void keystrokeOurs(benchmark::State& state)
{
    Chooser chooser;
    chooser.proxy.setItems(makeItems());
    int turn = 0;
    for (auto _ : state) {
        chooser.proxy.setColumnFilters(searchColumns, QString::fromUtf8(typed[turn++ % 2]));
        benchmark::DoNotOptimize(chooser.proxy.rowCount());
    }
    chooser.proxy.setColumnFilters(searchColumns, QString::fromUtf8(typed[0]));
    state.counters["shown"] = chooser.proxy.rowCount();
}

void keystrokeQt(benchmark::State& state)
{
    QtChooser chooser;
    int turn = 0;
    for (auto _ : state) {
        chooser.proxy.setFilterFixedString(QString::fromUtf8(typed[turn++ % 2]));
        benchmark::DoNotOptimize(chooser.proxy.rowCount());
    }
    chooser.proxy.setFilterFixedString(QString::fromUtf8(typed[0]));
    state.counters["shown"] = chooser.proxy.rowCount();
}
} // namespace

BENCHMARK(refill)->Unit(benchmark::kMillisecond);
BENCHMARK(keystrokeOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(keystrokeQt)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
