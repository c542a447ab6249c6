#pragma once

#include "kuchartsubpanes.h"

// Indicators with two or three plots in a pane of their own. Each container
// takes the chart core and its saved JSON (empty: the defaults) and owns its
// series for its whole life. A line selector, fixed at construction, picks
// which of two plots a series is; it reaches the saved state only through
// the series' kind.

// A plot whose value text is a fixed prefix and the value, and whose colour
// entry carries a label of its own.
class kuChartMultiPaneSeries : public kuChartSubPaneSeries
{
public:
    QString valueText(int index) override;
    kuChartPropertyInfo propertyInfo(const QString& name) override;

protected:
    kuChartMultiPaneSeries(kuChartCore* core, Qt::GlobalColor color, const QString& prefix, const QString& colorLabel);

private:
    QString m_prefix;
    QString m_colorLabel;
};

class kuChart_TA_ADX_p : public kuChartMultiPaneSeries
{
public:
    explicit kuChart_TA_ADX_p(kuChartCore* core);
    void recalculate() override;
    QPair<double, double> valueRange() override { return {100.0, 0.0}; }
    int indicatorKind() const override { return 0; }
};

// +DI (selector 0) or -DI (selector 1).
class kuChart_TA_DI_p : public kuChartMultiPaneSeries
{
public:
    kuChart_TA_DI_p(kuChartCore* core, int lineSelector);
    void recalculate() override;
    QPair<double, double> valueRange() override { return {100.0, 0.0}; }
    int indicatorKind() const override { return lineSelector == 0 ? 1 : 2; }

private:
    int lineSelector;
};

// Aroon up (selector 0) or down (selector 1).
class kuChart_TA_AROON_p : public kuChartMultiPaneSeries
{
public:
    kuChart_TA_AROON_p(kuChartCore* core, int lineSelector);
    void recalculate() override;
    QPair<double, double> valueRange() override { return {100.0, 0.0}; }
    int indicatorKind() const override { return lineSelector == 0 ? 3 : 4; }

private:
    int lineSelector;
};

// The MACD line names itself: "MACD (9) 0.15".
class kuChart_TA_MACD_p : public kuChartMultiPaneSeries
{
public:
    explicit kuChart_TA_MACD_p(kuChartCore* core);
    QString valueText(int index) override;
    void recalculate() override;
    int indicatorKind() const override { return 9; }
};

class kuChart_TA_MACD_SIGNAL_p : public kuChartMultiPaneSeries
{
public:
    explicit kuChart_TA_MACD_SIGNAL_p(kuChartCore* core);
    void recalculate() override;
    int indicatorKind() const override { return 10; }
};

// Drawn as bars, so the pane always shows the zero level.
class kuChart_TA_MACD_HISTOGRAM_p : public kuChartMultiPaneSeries
{
public:
    explicit kuChart_TA_MACD_HISTOGRAM_p(kuChartCore* core);
    void recalculate() override;
    int indicatorKind() const override { return 11; }
};

// %K (selector 0) or %D (selector 1) of a stochastic, with a slowing period of its own.
class kuChartStochSeries : public kuChartMultiPaneSeries
{
    Q_OBJECT
    Q_PROPERTY(int slow READ slow WRITE setSlow)

public:
    static constexpr int maxSlow = 10000;

    int slow() const { return m_slow; }
    // Kept within 1..maxSlow; a changed value recalculates this series alone.
    void setSlow(int value);
    kuChartPropertyInfo propertyInfo(const QString& name) override;
    QPair<double, double> valueRange() override { return {100.0, 0.0}; }

protected:
    kuChartStochSeries(kuChartCore* core, int lineSelector, Qt::GlobalColor kColor, Qt::GlobalColor dColor);
    int lineSelector;

private:
    int m_slow = 3;
};

class kuChart_TA_STOCH_p : public kuChartStochSeries
{
public:
    kuChart_TA_STOCH_p(kuChartCore* core, int lineSelector);
    void recalculate() override;
    int indicatorKind() const override { return lineSelector == 0 ? 17 : 18; }
};

class kuChart_TA_STOCHF_p : public kuChartStochSeries
{
public:
    kuChart_TA_STOCHF_p(kuChartCore* core, int lineSelector);
    void recalculate() override;
    int indicatorKind() const override { return lineSelector == 0 ? 19 : 20; }
};

class kuChart_TA_ADX : public kuChartSubPaneIndicator
{
    Q_OBJECT

public:
    kuChart_TA_ADX(kuChartCore* core, const QJsonObject& json);
    QPair<double, double> valueRange() override { return {100.0, 0.0}; }
    int indicatorKind() const override { return 0; }
};

class kuChart_TA_AROON : public kuChartSubPaneIndicator
{
    Q_OBJECT

public:
    kuChart_TA_AROON(kuChartCore* core, const QJsonObject& json);
    QPair<double, double> valueRange() override { return {100.0, 0.0}; }
    int indicatorKind() const override { return 1; }
};

// The period is the signal period; the fast and slow averages stay 12 and 26.
class kuChart_TA_MACD : public kuChartSubPaneIndicator
{
    Q_OBJECT
    Q_PROPERTY(int chartDataSet READ chartDataSet WRITE setChartDataSet)

public:
    kuChart_TA_MACD(kuChartCore* core, const QJsonObject& json);
    int indicatorKind() const override { return 8; }
};

// The period is the fast-K period.
class kuChart_TA_STOCH : public kuChartSubPaneIndicator
{
    Q_OBJECT

public:
    kuChart_TA_STOCH(kuChartCore* core, const QJsonObject& json);
    int indicatorKind() const override { return 15; }
};

class kuChart_TA_STOCHF : public kuChartSubPaneIndicator
{
    Q_OBJECT

public:
    kuChart_TA_STOCHF(kuChartCore* core, const QJsonObject& json);
    int indicatorKind() const override { return 16; }
};
