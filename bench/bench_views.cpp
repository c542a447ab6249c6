// The table proxy over 10,000 rows beside Qt's own QSortFilterProxyModel over a
// QStandardItemModel holding the same values: the ratio is the framework's cost.

#include "kuobjectheaderitem.h"
#include "kuobjectmodelabstractitem.h"
#include "kutableviewmodel.h"
#include "kutableviewproxymodel.h"

#include <QCoreApplication>
#include <QStandardItemModel>

#include <benchmark/benchmark.h>

#include <random>

namespace {
constexpr int rowCount = 10000;
constexpr int updateCount = 1000;
constexpr int priceColumn = 3;
constexpr int valueRole = kuTableViewModel::SortRole;

struct Row
{
    QString ticker;
    QString name;
    double price;
    int volume;
};

QString text(std::mt19937& random, int length)
{
    static const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyzабвгдежзиклмнопрстуфхцчшщэюя");
    QString result;
    for (int i = 0; i < length; ++i)
        result += letters.at(int(random() % letters.size()));
    return result;
}

const QVector<Row>& rows()
{
    static const QVector<Row> data = [] {
        std::mt19937 random(7);
        QVector<Row> result;
        for (int i = 0; i < rowCount; ++i)
            result.append({text(random, 4).toUpper(), text(random, 18), (random() % 10000000) / 100.0,
                           int(random() % 100000)});
        return result;
    }();
    return data;
}

class BenchItem : public kuObjectModelAbstractItem
{
public:
    explicit BenchItem(const Row& row) : m_row(row) { setPrice(row.price); }
    void setPrice(double price)
    {
        m_row.price = price;
        m_priceText = QString::number(price, 'f', 2);
    }
    QString displayText(int column) const override
    {
        switch (column) {
        case 1:
            return m_row.ticker;
        case 2:
            return m_row.name;
        case 3:
            return m_priceText;
        default:
            return QString();
        }
    }
    QVariant decoration(int) const override { return QVariant(); }
    int alignment(int) const override { return Qt::AlignLeft | Qt::AlignVCenter; }
    QColor color(int) const override { return QColor(); }
    QString toolTip(int) const override { return QString(); }
    QVariant sortValue(int column) const override
    {
        switch (column) {
        case 3:
            return m_row.price;
        case 4:
            return m_row.volume;
        default:
            return displayText(column);
        }
    }
    int itemType() const override { return itQuotes; }

private:
    Row m_row;
    QString m_priceText;
};

class BenchModel : public kuTableViewModel
{
public:
    BenchModel()
    {
        QList<QSharedPointer<kuObjectHeaderItem>> columns{kuObjectHeaderItem::createHidden("Column #1")};
        for (const char* title : {"Код", "Наименование", "Цена", "Объём"})
            columns << kuObjectHeaderItem::create(QString::fromUtf8(title));
        setColumns(columns);
        for (const Row& row : rows())
            appendItem(QSharedPointer<BenchItem>::create(row));
    }
    void setPrice(int row, double price)
    {
        static_cast<BenchItem*>(m_items.at(row).data())->setPrice(price);
        emit dataChanged(index(row, 1), index(row, 4));
    }
};

class QtModel : public QStandardItemModel
{
public:
    QtModel() : QStandardItemModel(0, 5)
    {
        for (const Row& row : rows()) {
            QList<QStandardItem*> items{new QStandardItem, new QStandardItem(row.ticker), new QStandardItem(row.name),
                                        new QStandardItem(QString::number(row.price, 'f', 2)),
                                        new QStandardItem(QString::number(row.volume))};
            items.at(1)->setData(row.ticker, valueRole);
            items.at(2)->setData(row.name, valueRole);
            items.at(3)->setData(row.price, valueRole);
            items.at(4)->setData(row.volume, valueRole);
            appendRow(items);
        }
    }
};

struct Updates
{
    Updates()
    {
        std::mt19937 random(11);
        for (int i = 0; i < updateCount; ++i) {
            rows.append(int(random() % rowCount));
            prices.append((random() % 10000000) / 100.0);
        }
    }
    QVector<int> rows;
    QVector<double> prices;
};

// Filter texts that hit a few per cent of the rows, so most rows test both columns.
const char* const filterTexts[] = {"аб", "ко"};

void sortOurs(benchmark::State& state)
{
    BenchModel model;
    for (auto _ : state) {
        kuTableViewProxyModel proxy;
        proxy.setSourceModel(&model);
        proxy.sort(priceColumn, Qt::AscendingOrder);
        benchmark::DoNotOptimize(proxy.rowCount());
    }
}

void sortQt(benchmark::State& state)
{
    QtModel model;
    for (auto _ : state) {
        QSortFilterProxyModel proxy;
        proxy.setSourceModel(&model);
        proxy.setSortRole(valueRole);
        proxy.sort(priceColumn, Qt::AscendingOrder);
        benchmark::DoNotOptimize(proxy.rowCount());
    }
}

void filterOurs(benchmark::State& state)
{
    BenchModel model;
    kuTableViewProxyModel proxy;
    proxy.setSourceModel(&model);
    int turn = 0;
    proxy.setColumnFilter(2, QString::fromUtf8(filterTexts[0]));
    for (auto _ : state) {
        // One pass over the rows per changed text, both filtered columns read.
        const QString text = QString::fromUtf8(filterTexts[turn++ % 2]);
        proxy.setColumnFilter(1, text);
        benchmark::DoNotOptimize(proxy.rowCount());
    }
}

// keyColumn 1: Qt tests one column; -1: every column, Qt's only way to look at more than one.
void filterQt(benchmark::State& state)
{
    QtModel model;
    QSortFilterProxyModel proxy;
    proxy.setSourceModel(&model);
    proxy.setFilterKeyColumn(int(state.range(0)));
    proxy.setFilterCaseSensitivity(Qt::CaseInsensitive);
    int turn = 0;
    for (auto _ : state) {
        proxy.setFilterFixedString(QString::fromUtf8(filterTexts[turn++ % 2]));
        benchmark::DoNotOptimize(proxy.rowCount());
    }
}

void updatesOurs(benchmark::State& state)
{
    BenchModel model;
    kuTableViewProxyModel proxy;
    proxy.setSourceModel(&model);
    proxy.setDynamicSortFilter(true);
    proxy.sort(priceColumn, Qt::AscendingOrder);
    const Updates updates;
    for (auto _ : state) {
        for (int i = 0; i < updateCount; ++i)
            model.setPrice(updates.rows.at(i), updates.prices.at(i));
    }
}

void updatesQt(benchmark::State& state)
{
    QtModel model;
    QSortFilterProxyModel proxy;
    proxy.setSourceModel(&model);
    proxy.setSortRole(valueRole);
    proxy.setDynamicSortFilter(true);
    proxy.sort(priceColumn, Qt::AscendingOrder);
    const Updates updates;
    for (auto _ : state) {
        for (int i = 0; i < updateCount; ++i)
            model.item(updates.rows.at(i), priceColumn)->setData(updates.prices.at(i), valueRole);
    }
}
} // namespace

BENCHMARK(sortOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(sortQt)->Unit(benchmark::kMillisecond);
BENCHMARK(filterOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(filterQt)->Arg(1)->Arg(-1)->Unit(benchmark::kMillisecond);
BENCHMARK(updatesOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(updatesQt)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
