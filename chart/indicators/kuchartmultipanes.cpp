#include "kuchartmultipanes.h"

#include "kutaadapters.h"

#include <QJsonObject>

#include <algorithm>

namespace {

const double adxLevels[] = {25, 50, 75};
const double aroonLevels[] = {30, 50, 70};
const double macdLevels[] = {0};
const double stochLevels[] = {20, 50, 80};

// Binds a stochastic adapter to the core's series, the period and the series' slowing period.
template <class Adapter>
void computeStoch(kuChartStochSeries* series, Adapter adapter)
{
    const int slow = series->slow();
    kuChartSubPane::computeHlc(series, [adapter, slow](kuTaInput high, kuTaInput low, kuTaInput close, int p) {
        return adapter(high, low, close, p, slow);
    });
}

} // namespace

// Series.

kuChartMultiPaneSeries::kuChartMultiPaneSeries(kuChartCore* core, Qt::GlobalColor color, const QString& prefix,
                                               const QString& colorLabel)
    : kuChartSubPaneSeries(core, color), m_prefix(prefix), m_colorLabel(colorLabel)
{}

QString kuChartMultiPaneSeries::valueText(int index)
{
    const QString value = valueAt(index);
    return value.isEmpty() ? value : m_prefix + value;
}

kuChartPropertyInfo kuChartMultiPaneSeries::propertyInfo(const QString& name)
{
    if (name == QLatin1String("color"))
        return kuChartPropertyInfo{m_colorLabel, false, QVariant(QJsonObject())};
    return kuChartSubPaneSeries::propertyInfo(name);
}

kuChart_TA_ADX_p::kuChart_TA_ADX_p(kuChartCore* core)
    : kuChartMultiPaneSeries(core, Qt::blue, QString(), kuChartAbstractTA::tr("Цвет DX"))
{
    setPeriod(13);
}

void kuChart_TA_ADX_p::recalculate()
{
    kuChartSubPane::computeHlc(this, taAdx);
}

kuChart_TA_DI_p::kuChart_TA_DI_p(kuChartCore* core, int lineSelector)
    : kuChartMultiPaneSeries(core, lineSelector == 0 ? Qt::green : Qt::red,
                             lineSelector == 0 ? QStringLiteral("+DI: ") : QStringLiteral("-DI: "),
                             lineSelector == 0 ? kuChartAbstractTA::tr("Цвет +DI") : kuChartAbstractTA::tr("Цвет -DI")),
      lineSelector(lineSelector)
{
    setPeriod(13);
}

void kuChart_TA_DI_p::recalculate()
{
    kuChartSubPane::computeHlc(this, lineSelector == 0 ? taPlusDi : taMinusDi);
}

kuChart_TA_AROON_p::kuChart_TA_AROON_p(kuChartCore* core, int lineSelector)
    : kuChartMultiPaneSeries(core, lineSelector == 0 ? Qt::green : Qt::blue,
                             lineSelector == 0 ? QStringLiteral("UP: ") : QStringLiteral("DOWN: "),
                             lineSelector == 0 ? kuChartAbstractTA::tr("UP Color")
                                               : kuChartAbstractTA::tr("Down Color")),
      lineSelector(lineSelector)
{
    setPeriod(25);
}

void kuChart_TA_AROON_p::recalculate()
{
    const auto adapter = lineSelector == 0 ? taAroonUp : taAroonDown;
    kuChartSubPane::computeHlc(
            this, [adapter](kuTaInput high, kuTaInput low, kuTaInput, int p) { return adapter(high, low, p); });
}

kuChart_TA_MACD_p::kuChart_TA_MACD_p(kuChartCore* core)
    : kuChartMultiPaneSeries(core, Qt::blue, QString(), kuChartAbstractTA::tr("Цвет MACD"))
{
    setPeriod(9);
}

QString kuChart_TA_MACD_p::valueText(int index)
{
    const QString value = valueAt(index);
    if (value.isEmpty())
        return value;
    return QStringLiteral("MACD (") + QString::number(double(period()), 'f', 0) + QStringLiteral(") ") + value;
}

void kuChart_TA_MACD_p::recalculate()
{
    kuChartSubPane::computeDataSet(this, taMacd);
}

kuChart_TA_MACD_SIGNAL_p::kuChart_TA_MACD_SIGNAL_p(kuChartCore* core)
    : kuChartMultiPaneSeries(core, Qt::red, QStringLiteral("SIGNAL "), kuChartAbstractTA::tr("Цвет сигнальной линии"))
{
    setPeriod(9);
}

void kuChart_TA_MACD_SIGNAL_p::recalculate()
{
    kuChartSubPane::computeDataSet(this, taMacdSignal);
}

kuChart_TA_MACD_HISTOGRAM_p::kuChart_TA_MACD_HISTOGRAM_p(kuChartCore* core)
    : kuChartMultiPaneSeries(core, Qt::gray, QStringLiteral("HISTOGRAM "), kuChartAbstractTA::tr("Цвет гистограммы"))
{
    setObjectType(otHistogram);
    setPeriod(9);
}

void kuChart_TA_MACD_HISTOGRAM_p::recalculate()
{
    kuChartSubPane::computeDataSet(this, taMacdHist);
}

kuChartStochSeries::kuChartStochSeries(kuChartCore* core, int lineSelector, Qt::GlobalColor kColor,
                                       Qt::GlobalColor dColor)
    : kuChartMultiPaneSeries(core, lineSelector == 0 ? kColor : dColor,
                             lineSelector == 0 ? QStringLiteral("%K: ") : QStringLiteral("%D: "),
                             lineSelector == 0 ? tr("Цвет %K") : tr("Цвет %D")),
      lineSelector(lineSelector)
{}

void kuChartStochSeries::setSlow(int value)
{
    value = std::clamp(value, 1, maxSlow);
    if (value == m_slow)
        return;
    m_slow = value;
    recalculate();
}

kuChartPropertyInfo kuChartStochSeries::propertyInfo(const QString& name)
{
    if (name == QLatin1String("slow"))
        return kuChartPropertyInfo{lineSelector == 0 ? tr("Замедление %K") : tr("Замедление %D"), false,
                                   QVariant(QJsonObject())};
    return kuChartMultiPaneSeries::propertyInfo(name);
}

kuChart_TA_STOCH_p::kuChart_TA_STOCH_p(kuChartCore* core, int lineSelector)
    : kuChartStochSeries(core, lineSelector, Qt::darkCyan, Qt::darkYellow)
{
    setPeriod(5);
}

void kuChart_TA_STOCH_p::recalculate()
{
    computeStoch(this, lineSelector == 0 ? taStochSlowK : taStochSlowD);
}

kuChart_TA_STOCHF_p::kuChart_TA_STOCHF_p(kuChartCore* core, int lineSelector)
    : kuChartStochSeries(core, lineSelector, Qt::darkGreen, Qt::darkRed)
{
    setPeriod(5);
}

void kuChart_TA_STOCHF_p::recalculate()
{
    computeStoch(this, lineSelector == 0 ? taStochFastK : taStochFastD);
}

// Containers.

kuChart_TA_ADX::kuChart_TA_ADX(kuChartCore* core, const QJsonObject& json) : kuChartSubPaneIndicator(core, "ADX (")
{
    kuChartSubPane::setUp(
            this, {new kuChart_TA_ADX_p(core), new kuChart_TA_DI_p(core, 0), new kuChart_TA_DI_p(core, 1)}, false, 13);
    addLevels(adxLevels, 3, 0);
    fromJson(json);
}

kuChart_TA_AROON::kuChart_TA_AROON(kuChartCore* core, const QJsonObject& json)
    : kuChartSubPaneIndicator(core, "AROON (")
{
    kuChartSubPane::setUp(this, {new kuChart_TA_AROON_p(core, 0), new kuChart_TA_AROON_p(core, 1)}, false, 25);
    addLevels(aroonLevels, 3, 0);
    fromJson(json);
}

kuChart_TA_MACD::kuChart_TA_MACD(kuChartCore* core, const QJsonObject& json)
    : kuChartSubPaneIndicator(core, "MACD (", true)
{
    kuChartSubPane::setUp(
            this,
            {new kuChart_TA_MACD_p(core), new kuChart_TA_MACD_SIGNAL_p(core), new kuChart_TA_MACD_HISTOGRAM_p(core)},
            true, 9);
    addLevels(macdLevels, 1, 0);
    fromJson(json);
}

kuChart_TA_STOCH::kuChart_TA_STOCH(kuChartCore* core, const QJsonObject& json)
    : kuChartSubPaneIndicator(core, "STOCH (")
{
    kuChartSubPane::setUp(this, {new kuChart_TA_STOCH_p(core, 0), new kuChart_TA_STOCH_p(core, 1)}, false, 5);
    addLevels(stochLevels, 3, 0);
    fromJson(json);
}

kuChart_TA_STOCHF::kuChart_TA_STOCHF(kuChartCore* core, const QJsonObject& json)
    : kuChartSubPaneIndicator(core, "STOCHF (")
{
    kuChartSubPane::setUp(this, {new kuChart_TA_STOCHF_p(core, 0), new kuChart_TA_STOCHF_p(core, 1)}, false, 5);
    addLevels(stochLevels, 3, 0);
    fromJson(json);
}
