// The indicator catalogue, the factory the chart core restores through, and
// the chooser dialog with its search filter.
#include <QtTest>

#include "indicatorfixture.h"
#include "kuchartindicators.h"
#include "kuchartmakers.h"
#include "kuchartoverlays.h"

#include <QLineEdit>
#include <QTableView>

namespace {

// All nineteen codes and descriptions, for the filter alone.
kuChartIndicatorCatalogue fullCatalogue()
{
    const char* rows[][2] = {{"ADX", "Average Directional Movement Index"},
                             {"AROON", "Aroon"},
                             {"ATR", "Average True Range"},
                             {"BB", "Bollinger Bands"},
                             {"CCI", "Commodity Channel Index"},
                             {"DEMA", "Double Exponential Moving Average"},
                             {"EMA", "Exponential Moving Average"},
                             {"KAMA", "Kaufman Adaptive Moving Average"},
                             {"MACD", "Moving Average Convergence/Divergence"},
                             {"MFI", "Money Flow Index"},
                             {"MOM", "Momentum"},
                             {"Parabolic SAR", "Parabolic SAR"},
                             {"ROC", "Rate of change : ((price/prevPrice)-1)*100"},
                             {"RSI", "Relative Strength Index"},
                             {"STDDEV", "Standard Deviation"},
                             {"STOCH", "Slow Stochastic"},
                             {"STOCHF", "Stochastic Fast"},
                             {"SMA", "Simple Moving Average"},
                             {"WILLR", "Williams' %R"}};
    kuChartIndicatorCatalogue catalogue;
    for (int i = 0; i < 19; ++i)
        catalogue.insert(i, kuChartIndicatorEntry{rows[i][0], rows[i][1], nullptr});
    return catalogue;
}

QStringList shownCodes(const QAbstractItemModel& model)
{
    QStringList codes;
    for (int r = 0; r < model.rowCount(); ++r)
        codes << model.index(r, 0).data().toString();
    return codes;
}

} // namespace

class tst_IndicatorCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { kuChartIndicators::registerWithChart(); }

    void filter_data()
    {
        QTest::addColumn<QStringList>("typed"); // one search text after the other
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("sar") << QStringList{"sar"} << QStringList{"Parabolic SAR"};
        QTest::newRow("average") << QStringList{"average"}
                                 << QStringList{"ADX", "ATR", "DEMA", "EMA", "KAMA", "MACD", "SMA"};
        QTest::newRow("%r") << QStringList{"%r"} << QStringList{"WILLR"};
        QTest::newRow("STOCH") << QStringList{"STOCH"} << QStringList{"STOCH", "STOCHF"};
        QTest::newRow("Cyrillic") << QStringList{"сар"} << QStringList{};
        QTest::newRow("space counts") << QStringList{" sar"} << QStringList{"Parabolic SAR"};
        QStringList all;
        for (const kuChartIndicatorEntry& e : fullCatalogue())
            all << e.code;
        QTest::newRow("erased") << QStringList{"sar", ""} << all;
    }
    void filter()
    {
        QFETCH(QStringList, typed);
        QFETCH(QStringList, shown);
        const kuChartIndicatorCatalogue catalogue = fullCatalogue();
        kuChartIndicatorModel model(&catalogue, nullptr);
        kuChartIndicatorProxyModel proxy(nullptr);
        proxy.setSourceModel(&model);
        QCOMPARE(proxy.rowCount(), 19);
        for (const QString& text : typed) {
            proxy.setFilter(0, text.isEmpty() ? QString() : text);
            proxy.setFilter(1, text.isEmpty() ? QString() : text);
        }
        QCOMPARE(shownCodes(proxy), shown);
    }

    void model()
    {
        const kuChartIndicatorCatalogue catalogue = fullCatalogue();
        kuChartIndicatorModel model(&catalogue, nullptr);
        QCOMPARE(model.rowCount(), 19);
        QCOMPARE(model.columnCount(), 2);
        QCOMPARE(model.rowCount(model.index(0, 0)), 0);
        QCOMPARE(model.index(11, 0).data().toString(), QString("Parabolic SAR"));
        QCOMPARE(model.index(12, 1).data().toString(), QString("Rate of change : ((price/prevPrice)-1)*100"));
        QCOMPARE(model.index(17, 1).data(Qt::UserRole + 1).toInt(), 17);
        QVERIFY(!model.index(3, 0).data(Qt::ToolTipRole).isValid());
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QString("Обозначение"));
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QString("Название"));
        QVERIFY(!model.headerData(0, Qt::Vertical).isValid());
    }

    void catalogue()
    {
        const kuChartIndicatorCatalogue& c = kuChartIndicators::catalogue();
        QCOMPARE(c.keys(), (QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}));
        QCOMPARE(c.value(11).code, QString("Parabolic SAR"));
        QCOMPARE(c.value(5).description, QString("Double Exponential Moving Average"));
        kuChartIndicators::registerIndicators();
        QCOMPARE(c.size(), 19);
    }

    void createById_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("className"); // empty: none
        QTest::newRow("SAR") << 11 << QByteArray("kuChart_TA_PSAR");
        QTest::newRow("BB") << 3 << QByteArray("kuChart_TA_BB");
        QTest::newRow("SMA") << 17 << QByteArray("kuChart_TA_SMA");
        QTest::newRow("ATR") << 2 << QByteArray("kuChart_TA_ATR");
        QTest::newRow("CCI") << 4 << QByteArray("kuChart_TA_CCI");
        QTest::newRow("MFI") << 9 << QByteArray("kuChart_TA_MFI");
        QTest::newRow("MOM") << 10 << QByteArray("kuChart_TA_MOM");
        QTest::newRow("ROC") << 12 << QByteArray("kuChart_TA_ROC");
        QTest::newRow("RSI") << 13 << QByteArray("kuChart_TA_RSI");
        QTest::newRow("STDDEV") << 14 << QByteArray("kuChart_TA_STDDEV");
        QTest::newRow("WILLR") << 18 << QByteArray("kuChart_TA_WILLR");
        QTest::newRow("19") << 19 << QByteArray();
        QTest::newRow("-1") << -1 << QByteArray();
    }
    void createById()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, className);
        auto core = indicatorfixture::coreOver(makeBars(40));
        std::unique_ptr<kuChartAbstractTA> ta(kuChartIndicators::createById(kind, core.get(), QJsonObject()));
        QCOMPARE(ta ? QByteArray(ta->metaObject()->className()) : QByteArray(), className);
        if (ta)
            QCOMPARE(ta->indicatorKind(), kind);
    }

    // The saved "type" only routes the JSON here; "indType" decides the class.
    void restoredByKind_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QJsonObject>("json");
        QTest::addColumn<QByteArray>("className");
        for (int type : {int(otIndicatorPane), int(otLineSeries), int(otDots)}) {
            const QByteArray t = QByteArray::number(type);
            QTest::newRow("BB as " + t) << type << QJsonObject{{"indType", 3}} << QByteArray("kuChart_TA_BB");
            QTest::newRow("no kind as " + t) << type << QJsonObject{{"type", type}} << QByteArray();
        }
        QTest::newRow("kind not a number") << int(otLineSeries) << QJsonObject{{"indType", "3"}} << QByteArray();
        // Kind 0 is ADX: a kind that is not a whole number must not read as 0.
        QTest::newRow("kind a fraction") << int(otIndicatorPane) << QJsonObject{{"indType", 0.5}} << QByteArray();
        QTest::newRow("kind null") << int(otIndicatorPane) << QJsonObject{{"indType", QJsonValue()}} << QByteArray();
        QTest::newRow("ADX") << int(otIndicatorPane) << QJsonObject{{"indType", 0}} << QByteArray("kuChart_TA_ADX");
        QTest::newRow("unknown kind") << int(otLineSeries) << QJsonObject{{"indType", 42}} << QByteArray();
        QTest::newRow("drawing type") << int(otHistogram) << QJsonObject{{"indType", 3}} << QByteArray();
    }
    void restoredByKind()
    {
        QFETCH(int, type);
        QFETCH(QJsonObject, json);
        QFETCH(QByteArray, className);
        auto core = indicatorfixture::coreOver(makeBars(40));
        std::unique_ptr<kuChartObject> object(core->createObject(kuChartObjectType(type), json));
        QCOMPARE(object ? QByteArray(object->metaObject()->className()) : QByteArray(), className);
    }

    void savedLayoutComesBack()
    {
        auto core = indicatorfixture::coreOver(makeBars(60));
        auto* sar = new kuChart_TA_PSAR(core.get(), QJsonObject());
        sar->setStep(0.05);
        core->appendObject(sar);
        const QJsonObject saved = sar->toJson();
        auto other = indicatorfixture::coreOver(makeBars(60));
        other->restoreObjects(QJsonArray{saved});
        QCOMPARE(other->objects().size(), 1);
        auto* back = qobject_cast<kuChart_TA_PSAR*>(other->objects().first());
        QVERIFY(back);
        QCOMPARE(back->step(), 0.05);
    }

    void acceptWithoutRow()
    {
        kuChartIndicators dialog;
        QCOMPARE(dialog.windowTitle(), QString("Индикаторы тех. анализа"));
        QCOMPARE(dialog.tableView()->model()->rowCount(), 19);
        dialog.tableView()->setCurrentIndex(QModelIndex());
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.createSelected(nullptr));
    }

    void rejectCreatesNothing()
    {
        kuChartIndicators dialog;
        dialog.tableView()->setCurrentIndex(dialog.tableView()->model()->index(0, 0));
        dialog.reject();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!dialog.createSelected(nullptr));
    }

    void doubleClickAccepts()
    {
        auto core = indicatorfixture::coreOver(makeBars(40));
        kuChartIndicators dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        // Typed text filters; a programmatic change does not.
        dialog.searchField()->setText("sar");
        QCOMPARE(dialog.tableView()->model()->rowCount(), 19);
        QTest::keyClicks(dialog.searchField(), "average");
        dialog.searchField()->clear();
        QTest::keyClicks(dialog.searchField(), "simple");
        QCOMPARE(dialog.tableView()->model()->rowCount(), 1);
        QTableView* view = dialog.tableView();
        const QModelIndex index = view->model()->index(0, 1);
        const QPoint at = view->visualRect(index).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        std::unique_ptr<kuChartAbstractTA> ta(dialog.createSelected(core.get()));
        QVERIFY(qobject_cast<kuChart_TA_SMA*>(ta.get()));
        QCOMPARE(ta->label(), QString("SMA (14)"));
    }
};

QTEST_MAIN(tst_IndicatorCatalogue)
#include "tst_indicatorcatalogue.moc"
