// The quotes window under a second of live data: 500 instruments sorted by
// their change, shown at 1200x800, ten polls of 500 records each (what the
// updater brings in a second), beside the same records into the bare model.
// The goal is at most 50 ms CPU per simulated second (5 % of a core).

#include "fakesession.h"
#include "kupaperinfo.h"
#include "kupaperlist.h"
#include "kuquotes.h"
#include "kuquotesitem.h"
#include "kuquotesmodel.h"
#include "kuquotesview.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <random>

namespace {
constexpr int instrumentCount = 500;
constexpr int pollsPerSecond = 10;
constexpr int firstID = 1001;

void fillRegistry()
{
    static bool filled = false;
    if (filled)
        return;
    filled = true;
    std::mt19937 random(23);
    for (int i = 0; i < instrumentCount; ++i) {
        const int id = firstID + i;
        const int type = i % 10 == 0 ? 2 : 1;
        const QString ticker = QStringLiteral("T%1").arg(i, 4, 10, QLatin1Char('0'));
        kuPaperList::instance()->addPaper(
                id, QSharedPointer<kuPaperInfo>::create(id, ticker, QStringLiteral("Эмитент ") + ticker, type,
                                                        1 + int(random() % 100), 0.01, type == 2 ? 1000.0 : 0.0, 0,
                                                        type == 2 ? 12.5 : 0.0, true, ticker, QString(), 1,
                                                        QStringLiteral("ВФБ")));
    }
}

// Ten polls of a record per instrument, prices walking around 100.
const QVector<QVector<QJsonObject>>& polls()
{
    static const QVector<QVector<QJsonObject>> data = [] {
        std::mt19937 random(29);
        std::uniform_real_distribution<double> step(-0.5, 0.5);
        QVector<double> last(instrumentCount, 100.0);
        QVector<QVector<QJsonObject>> result;
        for (int poll = 0; poll < pollsPerSecond; ++poll) {
            QVector<QJsonObject> records;
            for (int i = 0; i < instrumentCount; ++i) {
                last[i] += step(random);
                const double p = last[i];
                records.append(QJsonObject{{"paperID", firstID + i},
                                           {"buy", p - 0.01},
                                           {"toBuy", int(random() % 1000)},
                                           {"sell", p + 0.01},
                                           {"toSell", int(random() % 1000)},
                                           {"toBuyTotal", 50000},
                                           {"toSellTotal", 60000},
                                           {"open", 100.0},
                                           {"max", p + 1},
                                           {"min", p - 1},
                                           {"last", p},
                                           {"avg", 100.0},
                                           {"volume", 1200 + poll},
                                           {"paperVol", 250000},
                                           {"moneyVol", 25000000.5},
                                           {"bestBuy", p - 0.5},
                                           {"bestSell", p + 0.5},
                                           {"price", 100.0}});
            }
            result.append(records);
        }
        return result;
    }();
    return data;
}

void quotesWindow(benchmark::State& state)
{
    fillRegistry();
    FakeSession session;
    kuQuotes window;
    for (int i = 0; i < instrumentCount; ++i)
        window.subscribe(firstID + i);
    window.view()->sortByColumn(kuQuotesItem::colChange, Qt::DescendingOrder);
    window.resize(1200, 800);
    window.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        for (const QVector<QJsonObject>& poll : polls()) {
            for (const QJsonObject& record : poll)
                window.slot_updateQuotes(record.value("paperID").toInt(), record);
            QCoreApplication::processEvents();
        }
    }
    state.SetLabel("one simulated second");
}

void bareModel(benchmark::State& state)
{
    fillRegistry();
    kuQuotesModel model;
    QList<QSharedPointer<kuObjectHeaderItem>> columns;
    for (int column = 0; column <= kuQuotesItem::columnCount; ++column)
        columns << kuObjectHeaderItem::create(QString::number(column));
    model.setColumns(columns);
    for (int i = 0; i < instrumentCount; ++i)
        model.appendQuote({{"paperID", firstID + i}});
    for (auto _ : state) {
        for (const QVector<QJsonObject>& poll : polls()) {
            for (const QJsonObject& record : poll)
                model.updateQuote(record);
        }
    }
    state.SetLabel("one simulated second");
}
} // namespace

BENCHMARK(quotesWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(bareModel)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
