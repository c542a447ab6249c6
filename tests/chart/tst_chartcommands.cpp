#include "chartfixture.h"
#include "chartrows.h"
#include "chartscenefixture.h"
#include "fakesession.h"
#include "kuaccessdb.h"
#include "kuaccount.h"
#include "kuchart.h"
#include "kuchartdialogs.h"
#include "kuchartgraphicsitem.h"
#include "kuchartmakers.h"
#include "kuchartsettingmodel.h"
#include "kuchartsettings.h"
#include "kucharttoolbar.h"
#include "kuclient.h"
#include "kuordermanager.h"
#include "kupaperlist.h"

#include <QFile>
#include <QFileInfo>
#include <QGraphicsView>
#include <QImage>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace chartfixture;
using Rows = QVector<kuCandleStore::Candle>;

namespace {

int newPaper()
{
    static int next = 300;
    const int id = ++next;
    kuPaperList::instance()->addPaper(id, QSharedPointer<kuPaperInfo>::create(
                                                  id, QStringLiteral("T%1").arg(id),
                                                  QStringLiteral("Issuer %1").arg(id), 1, 1, 0.01, 0, 0, 0, true,
                                                  QStringLiteral("T%1").arg(id), QString(), 1, QStringLiteral("MOEX")));
    return id;
}

const Rows someMinutes{chartrows::minute(0, 10), chartrows::minute(1, 20), chartrows::minute(2, 30),
                       chartrows::day(-1, 5)};

bool loaded(kuChart* chart)
{
    return QTest::qWaitFor([chart] { return !chart->isLoading() && chart->chartCore()->isChartReady(); }, 10000);
}

// A chart of a new instrument whose cache holds a few candles, loaded as the terminal loads it.
std::unique_ptr<kuChart> loadedChart(FakeSession& session, int paper)
{
    if (!kuChart::candleStore()->createTables(paper) || !kuChart::candleStore()->insert(paper, someMinutes))
        return nullptr;
    auto chart = std::make_unique<kuChart>();
    chart->setPaper(paper);
    session.converter()->snapshotChart(paper);
    if (!loaded(chart.get()))
        return nullptr;
    return chart;
}

// Answers every modal dialog of the chart; restores the real ones when it goes.
struct Answers
{
    explicit Answers(std::function<int(QDialog*)> run) { kuChartDialogs::setExec(std::move(run)); }
    ~Answers()
    {
        kuChartDialogs::setExec({});
        kuChartDialogs::setSaveFileName({});
        kuChartDialogs::setWarning({});
    }
};

} // namespace

class tst_ChartCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(kuAccessDB::databasePath() + QLatin1String(suffix));
    }

    void pngName_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("saved");
        QTest::newRow("no extension") << "/tmp/chart"
                                      << "/tmp/chart.png";
        QTest::newRow("lower case") << "/tmp/chart.png"
                                    << "/tmp/chart.png";
        QTest::newRow("upper case") << "/tmp/chart.PNG"
                                    << "/tmp/chart.PNG";
        QTest::newRow("mixed case") << "/tmp/chart.pNg"
                                    << "/tmp/chart.pNg";
        QTest::newRow("other extension") << "/tmp/chart.jpg"
                                         << "/tmp/chart.jpg.png";
        QTest::newRow("cancelled") << ""
                                   << "";
    }

    void pngName()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, saved);
        QCOMPARE(kuChart::pngFileName(chosen), saved);
    }

    void print_data()
    {
        QTest::addColumn<QString>("chosen"); // below the temporary folder; empty: cancelled
        QTest::addColumn<QString>("file");   // the picture written, empty: none
        QTest::addColumn<bool>("warned");
        QTest::newRow("saved") << "chart"
                               << "chart.png" << false;
        QTest::newRow("cancelled") << ""
                                   << "" << false;
        QTest::newRow("folder missing") << "none/chart.png"
                                        << "" << true;
    }

    // The view is saved as PNG; a failed save is told to the user.
    void print()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, file);
        QFETCH(bool, warned);
        QTemporaryDir dir;
        Answers answers([](QDialog*) { return int(QDialog::Rejected); });
        QString caption;
        kuChartDialogs::setSaveFileName([&](QWidget*, const QString& c, const QString& filter) {
            caption = c + " " + filter;
            return chosen.isEmpty() ? QString() : dir.filePath(chosen);
        });
        QStringList warnings;
        kuChartDialogs::setWarning([&](const QString& text) { warnings << text; });
        kuChart chart;
        chart.resize(300, 200);
        chart.toolBar()->findChild<QToolButton*>("kuButtonChartPrint")->click();
        QCOMPARE(caption, QString("Сохранить график Изображение (*.png)"));
        if (!file.isEmpty())
            QVERIFY(!QImage(dir.filePath(file)).isNull());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), file.isEmpty() ? 0 : 1);
        QCOMPARE(warnings.size(), warned ? 1 : 0);
        if (warned)
            QCOMPARE(warnings.first(), QString("Не удалось сохранить график в файл %1").arg(dir.filePath(chosen)));
    }

    void propertiesDelete_data()
    {
        QTest::addColumn<bool>("hiddenBefore");
        QTest::addColumn<bool>("save");
        QTest::addColumn<bool>("kept");
        QTest::newRow("Cancel gives it back") << false << false << true;
        QTest::newRow("Save removes it") << false << true << false;
        QTest::newRow("hidden, Cancel keeps it deleted") << true << false << false;
    }

    // An object deleted in the dialog is back after Cancel and gone after Save; the others stay.
    void propertiesDelete()
    {
        QFETCH(bool, hiddenBefore);
        QFETCH(bool, save);
        QFETCH(bool, kept);
        FakeSession session;
        auto chart = loadedChart(session, newPaper());
        QVERIFY(chart);
        kuChartCore* core = chart->chartCore();
        QPointer<Probe> victim = addProbe(core);
        QPointer<Probe> other = addProbe(core);
        if (hiddenBefore)
            chart->slot_showHideDrawing(true);
        int page = -1;
        Answers answers([&](QDialog* d) {
            auto* dialog = qobject_cast<kuChartSettings*>(d);
            page = dialog->tabWidget()->currentIndex();
            dialog->selectObject(victim->objectName());
            dialog->slot_deleteObject();
            // The mark is there at once, the object still in its place.
            if (!victim->isDeleted() || !core->objects().contains(victim))
                return -1;
            save ? dialog->accept() : dialog->reject();
            return dialog->result();
        });
        chart->showProperties(0, other->objectName());
        QCOMPARE(page, 0);
        QVERIFY(!core->isRedrawSuspended());
        core->redraw();
        QCOMPARE(bool(victim), kept);
        if (kept)
            QVERIFY(victim->isVisible() && !victim->isDeleted());
        QVERIFY(other);
        QCOMPARE(other->isVisible(), !hiddenBefore);
    }

    // Settings saved in the dialog reach the chart; the toolbar follows the new style.
    void propertiesSave()
    {
        FakeSession session;
        auto chart = loadedChart(session, newPaper());
        QVERIFY(chart);
        Answers answers([](QDialog* d) {
            auto* dialog = qobject_cast<kuChartSettings*>(d);
            QAbstractItemModel* model = dialog->descriptorTable()->model();
            const QModelIndex chart = model->index(0, 0);
            for (int i = 0; i < model->rowCount(chart); ++i) {
                if (model->index(i, 0, chart).data(kuChartSettingModel::NameRole).toString() == "chartStyle")
                    model->setData(model->index(i, 1, chart), QVariant::fromValue(QJsonValue(202)));
            }
            dialog->accept();
            return dialog->result();
        });
        chart->toolBar()->findChild<QToolButton*>("kuButtonChartProperties")->click();
        QCOMPARE(chart->chartCore()->chartStyle(), 202);
        QCOMPARE(chart->toolBar()->chartTypeButton()->defaultAction()->text(), QString("Линия"));
    }

    // The dialog knows the whole-number parameters (an int property) and refuses a fraction for
    // them; the saved state is left without the mark.
    void propertiesMarkWholeNumbers()
    {
        FakeSession session;
        auto chart = loadedChart(session, newPaper());
        QVERIFY(chart);
        QMap<QString, bool> whole;
        bool refused = false;
        Answers answers([&](QDialog* d) {
            auto* dialog = qobject_cast<kuChartSettings*>(d);
            QAbstractItemModel* model = dialog->descriptorTable()->model();
            const QModelIndex settings = model->index(0, 0);
            for (int i = 0; i < model->rowCount(settings); ++i) {
                const QModelIndex name = model->index(i, 0, settings);
                whole.insert(name.data(kuChartSettingModel::NameRole).toString(),
                             name.sibling(i, 1).data(kuChartSettingModel::WholeNumberRole).toBool());
                if (name.data(kuChartSettingModel::NameRole).toString() == "lineThickness")
                    refused = !model->setData(name.sibling(i, 1), 2.5);
            }
            dialog->reject();
            return dialog->result();
        });
        chart->showProperties(1, QString());
        QCOMPARE(whole.value("lineThickness"), true);
        QCOMPARE(whole.value("chartStyle"), true);
        QCOMPARE(whole.value("backColor"), false);
        QVERIFY(refused);
        QVERIFY(!QJsonDocument(chart->saveSettings()).toJson().contains("wholeNumber"));
    }

    // A new drawing after hiding the drawings is shown and has the mouse; showing again shows all.
    void hideThenCreate()
    {
        kuChartMakers::setObjectMaker(
                otTrendLine, [](kuChartCore* core, const QJsonObject&) { return new chartscene::PlacedObject(core); });
        kuChart chart;
        kuChartCore* core = chart.chartCore();
        Probe* old = addProbe(core);
        chart.slot_showHideDrawing(true);
        QVERIFY(!old->isVisible());
        chart.slot_createObject(otTrendLine);
        QCOMPARE(core->objects().size(), 2);
        kuChartObject* created = core->objects().last();
        QVERIFY(created->isVisible());
        QCOMPARE(core->scene()->grabbedObject(), created);
        chart.slot_showHideDrawing(false);
        QVERIFY(old->isVisible());
        // A type without a maker adds nothing.
        chart.slot_createObject(otFiboArcs);
        QCOMPARE(core->objects().size(), 2);
        kuChartMakers::setObjectMaker(otTrendLine, {});
    }

    void deleteByName()
    {
        kuChart chart;
        kuChartCore* core = chart.chartCore();
        Probe* first = addProbe(core);
        Probe* second = addProbe(core);
        second->setObjectName(first->objectName());
        chart.slot_deleteObject(first->objectName().toUpper());
        QVERIFY(!first->isDeleted());
        chart.slot_deleteObject(first->objectName());
        QVERIFY(first->isDeleted());
        QVERIFY(!second->isDeleted());
    }

    void reload_data()
    {
        QTest::addColumn<bool>("same");
        QTest::newRow("same instrument") << true;
        QTest::newRow("another instrument") << false;
    }

    // The same instrument keeps its objects, another drops them with the mouse's grab;
    // the toolbar still follows the chart afterwards.
    void reload()
    {
        QFETCH(bool, same);
        FakeSession session;
        const int paper = newPaper();
        auto chart = loadedChart(session, paper);
        QVERIFY(chart);
        const int next = same ? paper : newPaper();
        QVERIFY(kuChart::candleStore()->createTables(next));
        QVERIFY(kuChart::candleStore()->insert(next, someMinutes));
        kuChartCore* core = chart->chartCore();
        QPointer<Probe> kept = addProbe(core);
        auto* placed = new chartscene::PlacedObject(core);
        core->appendObject(placed);
        core->scene()->setActiveObject(placed);
        QPointer<kuChartObject> placedGuard = placed;
        emit core->scene()->on_reloadPaperID(next);
        QCOMPARE(chart->paperID(), next);
        QVERIFY(!chart->graphicsView()->isEnabled());
        QCOMPARE(bool(kept), same);
        QCOMPARE(bool(placedGuard), same);
        QCOMPARE(core->scene()->grabbedObject(), same ? placed : nullptr);
        chartscene::press(core->scene(), {100, 100});
        chartscene::release(core->scene(), {100, 100});
        session.converter()->snapshotChart(next);
        QVERIFY(loaded(chart.get()));
        QVERIFY(chart->graphicsView()->isEnabled());
        core->setChartStyle(201);
        QCOMPARE(chart->toolBar()->chartTypeButton()->defaultAction()->text(), QString("Бары"));
    }

    // A load still running when the chart reloads is dropped.
    void reloadWhileLoading()
    {
        FakeSession session;
        const int paper = newPaper();
        QVERIFY(kuChart::candleStore()->createTables(paper));
        QVERIFY(kuChart::candleStore()->insert(paper, someMinutes));
        kuChart chart;
        chart.setPaper(paper);
        session.converter()->snapshotChart(paper);
        QVERIFY(chart.isLoading());
        chart.reloadChart(paper);
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents();
        QVERIFY(!chart.chartCore()->isChartReady());
        QVERIFY(!chart.graphicsView()->isEnabled());
        session.converter()->snapshotChart(paper);
        QVERIFY(loaded(&chart));
    }

    void orderFromCandle_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<bool>("opened");
        QTest::newRow("candles") << 200 << true;
        QTest::newRow("bars") << 201 << false;
        QTest::newRow("line") << 202 << false;
    }

    // A double click on a candle opens order entry with one lot at its close.
    void orderFromCandle()
    {
        QFETCH(int, style);
        QFETCH(bool, opened);
        FakeSession session;
        kuAccount::instance()->clear();
        kuAccount::instance()->addAccount("ACC1", true, 1, {1});
        kuOrderManager::registerWithClient();
        QVERIFY(kuClient::instance());
        auto chart = loadedChart(session, newPaper());
        QVERIFY(chart);
        kuGraphicsScene* scene = chart->chartCore()->scene();
        kuChartGraphicsCandleItem* candle = nullptr;
        for (QGraphicsItem* item : scene->items()) {
            if (item->type() == kuChartGraphicsCandleItem::Type && item->isVisible() &&
                topItemAt(scene, item->sceneBoundingRect().center()) == item)
                candle = static_cast<kuChartGraphicsCandleItem*>(item);
        }
        QVERIFY(candle);
        const QPointF at = candle->sceneBoundingRect().center();
        const double close = candle->closePrice();
        chart->chartCore()->setChartStyle(style);
        int paper = -1;
        double lots = 0;
        double price = 0;
        Answers answers([&](QDialog* d) {
            auto* dialog = qobject_cast<kuOrderManager*>(d);
            paper = dialog ? dialog->paperID() : -2;
            lots = dialog ? dialog->lotAmount() : 0;
            price = dialog ? dialog->price() : 0;
            return int(QDialog::Rejected);
        });
        chartscene::mouse(scene, QEvent::GraphicsSceneMouseDoubleClick, at);
        if (!opened) {
            QCOMPARE(paper, -1);
            return;
        }
        QCOMPARE(paper, chart->paperID());
        QCOMPARE(lots, 1.0);
        QCOMPARE(price, close);
    }
};

QTEST_MAIN(tst_ChartCommands)
#include "tst_chartcommands.moc"
