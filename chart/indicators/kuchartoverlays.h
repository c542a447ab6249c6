#pragma once

#include "kuchartabstractta.h"

// Indicators drawn over the candles in the price scale. Each takes the chart
// core and its saved JSON (empty: the defaults).

// A moving average of the data set: one line.
class kuChartMovingAverage : public kuChartAbstractTA
{
    Q_OBJECT
    Q_PROPERTY(int period READ period WRITE setPeriod)
    Q_PROPERTY(int chartDataSet READ chartDataSet WRITE setChartDataSet)

public:
    QString label() override;
    kuChartPropertyInfo propertyInfo(const QString& name) override;
    QPair<double, double> valueRange() override;

protected:
    using Adapter = QVector<double> (*)(const QVector<double>*, int);
    kuChartMovingAverage(kuChartCore* core, const char* code, Adapter adapter);
    // The defaults, then the saved settings.
    void setUp(Qt::GlobalColor color, int period, const QJsonObject& json);
    void recalculate() override;

private:
    QString m_code;
    Adapter m_adapter;
};

class kuChart_TA_SMA : public kuChartMovingAverage
{
    Q_OBJECT

public:
    kuChart_TA_SMA(kuChartCore* core, const QJsonObject& json);
    int indicatorKind() const override { return 17; }
};

class kuChart_TA_EMA : public kuChartMovingAverage
{
    Q_OBJECT

public:
    kuChart_TA_EMA(kuChartCore* core, const QJsonObject& json);
    int indicatorKind() const override { return 6; }
};

class kuChart_TA_DEMA : public kuChartMovingAverage
{
    Q_OBJECT

public:
    kuChart_TA_DEMA(kuChartCore* core, const QJsonObject& json);
    int indicatorKind() const override { return 5; }
};

class kuChart_TA_KAMA : public kuChartMovingAverage
{
    Q_OBJECT

public:
    kuChart_TA_KAMA(kuChartCore* core, const QJsonObject& json);
    int indicatorKind() const override { return 7; }
};

// One Bollinger band (line 0 upper, 1 lower), a child of kuChart_TA_BB.
class kuChart_TA_BB_p : public kuChartAbstractTA
{
public:
    kuChart_TA_BB_p(kuChartCore* core, int line);

    kuChartPropertyInfo propertyInfo(const QString& name) override;
    void recalculate() override;
    QPair<double, double> valueRange() override;
    // Saved under 6 (upper) and 7 (lower) in the parent's children.
    int indicatorKind() const override { return m_line == 0 ? 6 : 7; }

    int line() const { return m_line; }
    double variation() const { return m_variation; }
    void setVariation(double variation);

private:
    int m_line;
    double m_variation = 2.0;
};

// Bollinger Bands: draws the middle band, owns the upper and lower ones.
class kuChart_TA_BB : public kuChartAbstractTA
{
    Q_OBJECT
    Q_PROPERTY(int period READ period WRITE setPeriod)
    Q_PROPERTY(int chartDataSet READ chartDataSet WRITE setChartDataSet)
    Q_PROPERTY(double variation READ variation WRITE setVariation)

public:
    kuChart_TA_BB(kuChartCore* core, const QJsonObject& json);

    QString label() override;
    kuChartPropertyInfo propertyInfo(const QString& name) override;
    void recalculate() override;
    QPair<double, double> valueRange() override;
    int indicatorKind() const override { return 3; }

    double variation() const { return m_variation; }
    // Below 0 gives 1, above 10 gives 10.
    void setVariation(double variation);

private:
    double m_variation = 2.0;
};

// Parabolic SAR over the high and low prices: a row of dots.
class kuChart_TA_PSAR : public kuChartAbstractTA
{
    Q_OBJECT
    Q_PROPERTY(double step READ step WRITE setStep)
    Q_PROPERTY(double maximum READ maximum WRITE setMaximum)

public:
    kuChart_TA_PSAR(kuChartCore* core, const QJsonObject& json);

    // Shows the step and the maximum: the SAR has no period.
    QString label() override;
    kuChartPropertyInfo propertyInfo(const QString& name) override;
    void recalculate() override;
    QPair<double, double> valueRange() override;
    int indicatorKind() const override { return 11; }

    double step() const { return m_step; }
    // 0 or below gives 0.1, above 100 gives 100.
    void setStep(double step);
    double maximum() const { return m_maximum; }
    void setMaximum(double maximum);

private:
    double m_step = 0.1;
    double m_maximum = 0.1;
};
