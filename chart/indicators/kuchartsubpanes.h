#pragma once

#include "kuchartabstractaddta.h"
#include "kuchartcore.h"

// Indicators with one line in a pane of their own. Each container takes the
// chart core and its saved JSON (empty: the defaults) and owns one series.

// The line of a single-line sub-pane indicator: a value per candle, newest first.
class kuChartSubPaneSeries : public kuChartAbstractTA
{
public:
    QString valueText(int index) override;
    kuChartPropertyInfo propertyInfo(const QString& name) override;

protected:
    kuChartSubPaneSeries(kuChartCore* core, Qt::GlobalColor color);
    // The value at the index with 2 decimals; empty outside the values.
    QString valueAt(int index) const;
};

class kuChart_TA_ATR_p : public kuChartSubPaneSeries
{
public:
    explicit kuChart_TA_ATR_p(kuChartCore* core);
    void recalculate() override;
    int indicatorKind() const override { return 5; }
};

class kuChart_TA_CCI_p : public kuChartSubPaneSeries
{
public:
    explicit kuChart_TA_CCI_p(kuChartCore* core);
    // Carries the name and period: "CCI (20) -120.50".
    QString valueText(int index) override;
    void recalculate() override;
    int indicatorKind() const override { return 8; }
};

class kuChart_TA_MFI_p : public kuChartSubPaneSeries
{
public:
    explicit kuChart_TA_MFI_p(kuChartCore* core);
    void recalculate() override;
    QPair<double, double> valueRange() override { return {100.0, 0.0}; }
    int indicatorKind() const override { return 12; }
};

class kuChart_TA_MOM_p : public kuChartSubPaneSeries
{
public:
    explicit kuChart_TA_MOM_p(kuChartCore* core);
    void recalculate() override;
    int indicatorKind() const override { return 13; }
};

class kuChart_TA_ROC_p : public kuChartSubPaneSeries
{
public:
    explicit kuChart_TA_ROC_p(kuChartCore* core);
    void recalculate() override;
    int indicatorKind() const override { return 14; }
};

class kuChart_TA_RSI_p : public kuChartSubPaneSeries
{
public:
    explicit kuChart_TA_RSI_p(kuChartCore* core);
    void recalculate() override;
    QPair<double, double> valueRange() override { return {100.0, 0.0}; }
    int indicatorKind() const override { return 15; }
};

class kuChart_TA_STDDEV_p : public kuChartSubPaneSeries
{
public:
    explicit kuChart_TA_STDDEV_p(kuChartCore* core);
    // One standard deviation over the period.
    void recalculate() override;
    int indicatorKind() const override { return 16; }
};

class kuChart_TA_WILLR_p : public kuChartSubPaneSeries
{
public:
    explicit kuChart_TA_WILLR_p(kuChartCore* core);
    void recalculate() override;
    QPair<double, double> valueRange() override { return {0.0, -100.0}; }
    int indicatorKind() const override { return 21; }
};

// Shared by the containers: the label, the value text and the set-up order.
namespace kuChartSubPane {
// Binds a high-low-close adapter to the core's series and the period.
template <class Adapter>
void computeHlc(kuChartAbstractTA* series, Adapter adapter)
{
    kuChartCore* core = series->chartCore();
    const int p = series->period();
    if (!core) {
        series->setSeries([] { return QVector<double>(); });
        return;
    }
    const QVector<double>* high = core->highSeries();
    const QVector<double>* low = core->lowSeries();
    const QVector<double>* close = core->closeSeries();
    series->setSeries([=] { return adapter(high, low, close, p); });
}

// Binds a one-series adapter to the data set and the period.
template <class Adapter>
void computeDataSet(kuChartAbstractTA* series, Adapter adapter)
{
    const QVector<double>* input = series->dataSetSeries();
    const int p = series->period();
    if (!input) {
        series->setSeries([] { return QVector<double>(); });
        return;
    }
    series->setSeries([=] { return adapter(input, p); });
}

void recalculateChildren(kuChartAbstractTA* container);
// "RSI (20)".
QString labelOf(const char* prefix, int period);
// The label (or nothing), then a space and each child's text.
QString valueTextOf(kuChartAbstractTA* container, const QString& start, int index);
// Type, series, buttons, data set, period, values; the levels and JSON follow.
void setUp(kuChartAbstractTA* container, kuChartAbstractTA* series, bool dataSet, int period);
// The same with several series, in list order, each keeping the object type it was made with.
void setUp(kuChartAbstractTA* container, const QList<kuChartAbstractTA*>& series, bool dataSet, int period);
// The pane's floor is 0 and its top is left to the series.
QPair<double, double> zeroFloor();
} // namespace kuChartSubPane

// A container with level lines: its label is the prefix and the period, its
// text that label (or nothing, where its first plot names itself) and each
// plot's text; it recalculates its plots.
class kuChartSubPaneIndicator : public kuChartAbstractAddTA
{
    Q_OBJECT
    Q_PROPERTY(int period READ period WRITE setPeriod)

public:
    QString valueText(int index) override;
    QString label() override;
    void recalculate() override;

protected:
    kuChartSubPaneIndicator(kuChartCore* core, const char* prefix, bool namedByFirstPlot = false);

private:
    const char* m_prefix;
    bool m_namedByFirstPlot;
};

// Average true range: no levels, no data set.
class kuChart_TA_ATR : public kuChartAbstractTA
{
    Q_OBJECT
    Q_PROPERTY(int period READ period WRITE setPeriod)

public:
    kuChart_TA_ATR(kuChartCore* core, const QJsonObject& json);
    QString valueText(int index) override;
    QString label() override;
    void recalculate() override;
    QPair<double, double> valueRange() override { return kuChartSubPane::zeroFloor(); }
    int indicatorKind() const override { return 2; }
};

class kuChart_TA_CCI : public kuChartSubPaneIndicator
{
    Q_OBJECT

public:
    kuChart_TA_CCI(kuChartCore* core, const QJsonObject& json);
    int indicatorKind() const override { return 4; }
};

class kuChart_TA_MFI : public kuChartSubPaneIndicator
{
    Q_OBJECT

public:
    kuChart_TA_MFI(kuChartCore* core, const QJsonObject& json);
    QPair<double, double> valueRange() override { return {100.0, 0.0}; }
    int indicatorKind() const override { return 9; }
};

class kuChart_TA_MOM : public kuChartSubPaneIndicator
{
    Q_OBJECT
    Q_PROPERTY(int chartDataSet READ chartDataSet WRITE setChartDataSet)

public:
    kuChart_TA_MOM(kuChartCore* core, const QJsonObject& json);
    int indicatorKind() const override { return 10; }
};

class kuChart_TA_ROC : public kuChartSubPaneIndicator
{
    Q_OBJECT
    Q_PROPERTY(int chartDataSet READ chartDataSet WRITE setChartDataSet)

public:
    kuChart_TA_ROC(kuChartCore* core, const QJsonObject& json);
    int indicatorKind() const override { return 12; }
};

class kuChart_TA_RSI : public kuChartSubPaneIndicator
{
    Q_OBJECT
    Q_PROPERTY(int chartDataSet READ chartDataSet WRITE setChartDataSet)

public:
    kuChart_TA_RSI(kuChartCore* core, const QJsonObject& json);
    int indicatorKind() const override { return 13; }
};

// Standard deviation of the data set: no levels.
class kuChart_TA_STDDEV : public kuChartAbstractTA
{
    Q_OBJECT
    Q_PROPERTY(int period READ period WRITE setPeriod)
    Q_PROPERTY(int chartDataSet READ chartDataSet WRITE setChartDataSet)

public:
    kuChart_TA_STDDEV(kuChartCore* core, const QJsonObject& json);
    QString valueText(int index) override;
    QString label() override;
    void recalculate() override;
    QPair<double, double> valueRange() override { return kuChartSubPane::zeroFloor(); }
    int indicatorKind() const override { return 14; }
};

class kuChart_TA_WILLR : public kuChartSubPaneIndicator
{
    Q_OBJECT

public:
    kuChart_TA_WILLR(kuChartCore* core, const QJsonObject& json);
    QPair<double, double> valueRange() override { return {0.0, -100.0}; }
    int indicatorKind() const override { return 18; }
};
