#include "kuchartoverlays.h"

#include "kuchartcore.h"
#include "kutaadapters.h"

#include <QHash>

#include <algorithm>

namespace {

kuChartPropertyInfo labelled(const QString& label)
{
    return kuChartPropertyInfo{label, false, QVariant(QJsonObject())};
}

QString captionOf(const QString& code, int period)
{
    return code + QStringLiteral(" (") + QString::number(double(period), 'f', 0) + QLatin1Char(')');
}

// Clamps of the SAR's step and maximum.
double sarFactor(double v)
{
    return v <= 0 ? 0.1 : std::min(v, 100.0);
}

} // namespace

// Moving averages.

kuChartMovingAverage::kuChartMovingAverage(kuChartCore* core, const char* code, Adapter adapter)
    : kuChartAbstractTA(core), m_code(QLatin1String(code)), m_adapter(adapter)
{
    setObjectType(otLineSeries);
    setPricePane(1);
}

void kuChartMovingAverage::setUp(Qt::GlobalColor color, int period, const QJsonObject& json)
{
    setChartDataSet(dsClose);
    setColor(color);
    setPeriod(period);
    recalculate();
    fromJson(json);
}

QString kuChartMovingAverage::label()
{
    return captionOf(m_code, period());
}

kuChartPropertyInfo kuChartMovingAverage::propertyInfo(const QString& name)
{
    if (name == QLatin1String("color"))
        return labelled(tr("Цвет"));
    return kuChartAbstractTA::propertyInfo(name);
}

QPair<double, double> kuChartMovingAverage::valueRange()
{
    return {0.0, 0.0};
}

void kuChartMovingAverage::recalculate()
{
    const Adapter adapter = m_adapter;
    const QVector<double>* input = dataSetSeries();
    const int p = period();
    setSeries([=] { return adapter(input, p); });
}

kuChart_TA_SMA::kuChart_TA_SMA(kuChartCore* core, const QJsonObject& json) : kuChartMovingAverage(core, "SMA", taSma)
{
    setUp(Qt::darkMagenta, 14, json);
}

kuChart_TA_EMA::kuChart_TA_EMA(kuChartCore* core, const QJsonObject& json) : kuChartMovingAverage(core, "EMA", taEma)
{
    setUp(Qt::cyan, 14, json);
}

kuChart_TA_DEMA::kuChart_TA_DEMA(kuChartCore* core, const QJsonObject& json)
    : kuChartMovingAverage(core, "DEMA", taDema)
{
    setUp(Qt::magenta, 21, json);
}

kuChart_TA_KAMA::kuChart_TA_KAMA(kuChartCore* core, const QJsonObject& json)
    : kuChartMovingAverage(core, "KAMA", taKama)
{
    setUp(Qt::green, 10, json);
}

// Bollinger band.

kuChart_TA_BB_p::kuChart_TA_BB_p(kuChartCore* core, int line) : kuChartAbstractTA(core), m_line(line)
{
    setObjectType(otLineSeries);
    setPricePane(1);
    // Straight into the fields: the parent passes its own values on.
    setPeriod(10);
    setColor(Qt::blue);
}

kuChartPropertyInfo kuChart_TA_BB_p::propertyInfo(const QString& name)
{
    if (name == QLatin1String("color")) {
        if (m_line == 0)
            return labelled(kuChartAbstractTA::tr("Цвет верхней линии"));
        if (m_line == 1)
            return labelled(kuChartAbstractTA::tr("Цвет нижней линии"));
    }
    return kuChartAbstractTA::propertyInfo(name);
}

void kuChart_TA_BB_p::recalculate()
{
    using Band = QVector<double> (*)(const QVector<double>*, int, double);
    Band band = m_line == 0 ? taBbandsUpper : m_line == 1 ? taBbandsLower : nullptr;
    if (!band)
        return;
    const QVector<double>* input = dataSetSeries();
    const int p = period();
    const double deviation = m_variation;
    setSeries([=] { return band(input, p, deviation); });
}

QPair<double, double> kuChart_TA_BB_p::valueRange()
{
    return {0.0, 0.0};
}

void kuChart_TA_BB_p::setVariation(double variation)
{
    variation = variation < 0 ? 1.0 : std::min(variation, 10.0);
    if (variation == m_variation)
        return;
    m_variation = variation;
    recalculate();
}

// Bollinger Bands.

kuChart_TA_BB::kuChart_TA_BB(kuChartCore* core, const QJsonObject& json) : kuChartAbstractTA(core)
{
    setObjectType(otLineSeries);
    setPricePane(1);
    for (int line : {0, 1}) {
        auto* band = new kuChart_TA_BB_p(core, line);
        band->setPricePane(isPricePane());
        band->setObjectType(otLineSeries);
        appendChild(band);
    }
    setChartDataSet(dsClose);
    setColor(Qt::blue);
    setPeriod(10);
    setVariation(2.0);
    recalculate();
    fromJson(json);
}

QString kuChart_TA_BB::label()
{
    return captionOf(QStringLiteral("BB"), period());
}

kuChartPropertyInfo kuChart_TA_BB::propertyInfo(const QString& name)
{
    if (name == QLatin1String("color"))
        return labelled(tr("Цвет средней линии"));
    if (name == QLatin1String("variation"))
        return labelled(tr("Отклонение"));
    return kuChartAbstractTA::propertyInfo(name);
}

void kuChart_TA_BB::recalculate()
{
    const QVector<double>* input = dataSetSeries();
    const int p = period();
    const double deviation = m_variation;
    setSeries([=] { return taBbandsMiddle(input, p, deviation); });
    for (kuChartAbstractTA* child : children())
        child->recalculate();
}

QPair<double, double> kuChart_TA_BB::valueRange()
{
    return {0.0, 0.0};
}

void kuChart_TA_BB::setVariation(double variation)
{
    variation = variation < 0 ? 1.0 : std::min(variation, 10.0);
    if (variation == m_variation)
        return;
    m_variation = variation;
    for (kuChartAbstractTA* child : children()) {
        if (auto* band = dynamic_cast<kuChart_TA_BB_p*>(child))
            band->setVariation(variation);
    }
    recalculate();
}

// Parabolic SAR.

kuChart_TA_PSAR::kuChart_TA_PSAR(kuChartCore* core, const QJsonObject& json) : kuChartAbstractTA(core)
{
    setObjectType(otDots);
    setPricePane(1);
    setColor(Qt::red);
    recalculate();
    fromJson(json);
}

QString kuChart_TA_PSAR::label()
{
    return QStringLiteral("PSAR (%1, %2)").arg(QString::number(m_step), QString::number(m_maximum));
}

kuChartPropertyInfo kuChart_TA_PSAR::propertyInfo(const QString& name)
{
    static const QHash<QString, const char*> labels{{QStringLiteral("color"), QT_TR_NOOP("Цвет")},
                                                    {QStringLiteral("step"), QT_TR_NOOP("Шаг")},
                                                    {QStringLiteral("maximum"), QT_TR_NOOP("Максимум")}};
    if (const char* text = labels.value(name))
        return labelled(tr(text));
    return kuChartAbstractTA::propertyInfo(name);
}

void kuChart_TA_PSAR::recalculate()
{
    const kuChartCore* core = chartCore();
    const QVector<double>* high = core ? core->highSeries() : nullptr;
    const QVector<double>* low = core ? core->lowSeries() : nullptr;
    const double step = m_step;
    const double maximum = m_maximum;
    setSeries([=] { return taSar(high, low, step, maximum); });
}

QPair<double, double> kuChart_TA_PSAR::valueRange()
{
    return {0.0, 0.0};
}

void kuChart_TA_PSAR::setStep(double step)
{
    step = sarFactor(step);
    if (step == m_step)
        return;
    m_step = step;
    recalculate();
}

void kuChart_TA_PSAR::setMaximum(double maximum)
{
    maximum = sarFactor(maximum);
    if (maximum == m_maximum)
        return;
    m_maximum = maximum;
    recalculate();
}
