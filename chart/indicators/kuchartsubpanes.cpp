#include "kuchartsubpanes.h"

#include "kuchartcore.h"
#include "kufunctions.h"
#include "kutaadapters.h"

#include <QJsonObject>

#include <limits>

namespace {

const double cciLevels[] = {-100, 100};
const double mfiLevels[] = {20, 50, 80};
const double zeroLevel[] = {0};
const double rsiLevels[] = {30, 70};
const double willrLevels[] = {-20, -80};

} // namespace

// Shared container helpers.

void kuChartSubPane::recalculateChildren(kuChartAbstractTA* container)
{
    for (kuChartAbstractTA* child : container->children())
        child->recalculate();
}

QString kuChartSubPane::labelOf(const char* prefix, int period)
{
    return QLatin1String(prefix) + QString::number(double(period), 'f', 0) + QLatin1Char(')');
}

QString kuChartSubPane::valueTextOf(kuChartAbstractTA* container, const QString& start, int index)
{
    QString text = start;
    for (kuChartAbstractTA* child : container->children())
        text += QLatin1Char(' ') + child->valueText(index);
    return text;
}

void kuChartSubPane::setUp(kuChartAbstractTA* container, kuChartAbstractTA* series, bool dataSet, int period)
{
    series->setObjectType(otLineSeries);
    setUp(container, QList<kuChartAbstractTA*>{series}, dataSet, period);
}

void kuChartSubPane::setUp(kuChartAbstractTA* container, const QList<kuChartAbstractTA*>& series, bool dataSet,
                           int period)
{
    container->setObjectType(otIndicatorPane);
    container->setPricePane(0);
    for (kuChartAbstractTA* child : series) {
        child->setPricePane(container->isPricePane());
        container->appendChild(child);
    }
    container->createHeaderButtons();
    if (dataSet)
        container->setChartDataSet(dsClose);
    container->setPeriod(period);
    container->recalculate();
}

QPair<double, double> kuChartSubPane::zeroFloor()
{
    return {std::numeric_limits<double>::min(), 0.0};
}

// Series.

kuChartSubPaneSeries::kuChartSubPaneSeries(kuChartCore* core, Qt::GlobalColor color) : kuChartAbstractTA(core)
{
    setObjectType(otLineSeries);
    setPricePane(0);
    setColor(color);
}

QString kuChartSubPaneSeries::valueAt(int index) const
{
    if (index < 0 || index >= series().size())
        return QString();
    return fixedNumber(series().at(index), 2);
}

QString kuChartSubPaneSeries::valueText(int index)
{
    return valueAt(index);
}

kuChartPropertyInfo kuChartSubPaneSeries::propertyInfo(const QString& name)
{
    if (name == QLatin1String("color"))
        return kuChartPropertyInfo{kuChartAbstractTA::tr("Цвет"), false, QVariant(QJsonObject())};
    return kuChartAbstractTA::propertyInfo(name);
}

kuChart_TA_ATR_p::kuChart_TA_ATR_p(kuChartCore* core) : kuChartSubPaneSeries(core, Qt::magenta)
{
    setPeriod(14);
}

void kuChart_TA_ATR_p::recalculate()
{
    kuChartSubPane::computeHlc(this, taAtr);
}

kuChart_TA_CCI_p::kuChart_TA_CCI_p(kuChartCore* core) : kuChartSubPaneSeries(core, Qt::cyan)
{
    setPeriod(20);
}

QString kuChart_TA_CCI_p::valueText(int index)
{
    const QString value = valueAt(index);
    if (value.isEmpty())
        return value;
    return QStringLiteral("CCI (") + QString::number(double(period()), 'f', 0) + QStringLiteral(") ") + value;
}

void kuChart_TA_CCI_p::recalculate()
{
    kuChartSubPane::computeHlc(this, taCci);
}

kuChart_TA_MFI_p::kuChart_TA_MFI_p(kuChartCore* core) : kuChartSubPaneSeries(core, Qt::green)
{
    setPeriod(14);
}

void kuChart_TA_MFI_p::recalculate()
{
    kuChartCore* core = chartCore();
    const int p = period();
    if (!core) {
        setSeries([] { return QVector<double>(); });
        return;
    }
    const QVector<double>* high = core->highSeries();
    const QVector<double>* low = core->lowSeries();
    const QVector<double>* close = core->closeSeries();
    const QVector<double>* volume = core->volumeSeries();
    setSeries([=] { return taMfi(high, low, close, volume, p); });
}

kuChart_TA_MOM_p::kuChart_TA_MOM_p(kuChartCore* core) : kuChartSubPaneSeries(core, Qt::blue)
{
    setPeriod(12);
}

void kuChart_TA_MOM_p::recalculate()
{
    kuChartSubPane::computeDataSet(this, taMom);
}

kuChart_TA_ROC_p::kuChart_TA_ROC_p(kuChartCore* core) : kuChartSubPaneSeries(core, Qt::cyan)
{
    setPeriod(10);
}

void kuChart_TA_ROC_p::recalculate()
{
    kuChartSubPane::computeDataSet(this, taRoc);
}

kuChart_TA_RSI_p::kuChart_TA_RSI_p(kuChartCore* core) : kuChartSubPaneSeries(core, Qt::green)
{
    setPeriod(20);
}

void kuChart_TA_RSI_p::recalculate()
{
    kuChartSubPane::computeDataSet(this, taRsi);
}

kuChart_TA_STDDEV_p::kuChart_TA_STDDEV_p(kuChartCore* core) : kuChartSubPaneSeries(core, Qt::darkGray)
{
    setPeriod(20);
}

void kuChart_TA_STDDEV_p::recalculate()
{
    // One deviation: the period as the factor would plot period times the deviation.
    kuChartSubPane::computeDataSet(this, [](const QVector<double>* input, int p) { return taStddev(input, p, 1.0); });
}

kuChart_TA_WILLR_p::kuChart_TA_WILLR_p(kuChartCore* core) : kuChartSubPaneSeries(core, Qt::darkBlue)
{
    setPeriod(14);
}

void kuChart_TA_WILLR_p::recalculate()
{
    kuChartSubPane::computeHlc(this, taWillr);
}

// Containers.

kuChartSubPaneIndicator::kuChartSubPaneIndicator(kuChartCore* core, const char* prefix, bool namedByFirstPlot)
    : kuChartAbstractAddTA(core), m_prefix(prefix), m_namedByFirstPlot(namedByFirstPlot)
{}

QString kuChartSubPaneIndicator::valueText(int index)
{
    return kuChartSubPane::valueTextOf(this, m_namedByFirstPlot ? QString() : label(), index);
}

QString kuChartSubPaneIndicator::label()
{
    return kuChartSubPane::labelOf(m_prefix, period());
}

void kuChartSubPaneIndicator::recalculate()
{
    kuChartSubPane::recalculateChildren(this);
}

kuChart_TA_ATR::kuChart_TA_ATR(kuChartCore* core, const QJsonObject& json) : kuChartAbstractTA(core)
{
    kuChartSubPane::setUp(this, new kuChart_TA_ATR_p(core), false, 14);
    fromJson(json);
}

QString kuChart_TA_ATR::valueText(int index)
{
    return kuChartSubPane::valueTextOf(this, label(), index);
}

QString kuChart_TA_ATR::label()
{
    return kuChartSubPane::labelOf("ATR (", period());
}

void kuChart_TA_ATR::recalculate()
{
    kuChartSubPane::recalculateChildren(this);
}

kuChart_TA_CCI::kuChart_TA_CCI(kuChartCore* core, const QJsonObject& json)
    : kuChartSubPaneIndicator(core, "CCI (", true)
{
    kuChartSubPane::setUp(this, new kuChart_TA_CCI_p(core), false, 20);
    addLevels(cciLevels, 2, 0);
    fromJson(json);
}

kuChart_TA_MFI::kuChart_TA_MFI(kuChartCore* core, const QJsonObject& json) : kuChartSubPaneIndicator(core, "MFI (")
{
    kuChartSubPane::setUp(this, new kuChart_TA_MFI_p(core), false, 14);
    addLevels(mfiLevels, 3, 0);
    fromJson(json);
}

kuChart_TA_MOM::kuChart_TA_MOM(kuChartCore* core, const QJsonObject& json) : kuChartSubPaneIndicator(core, "MOM (")
{
    kuChartSubPane::setUp(this, new kuChart_TA_MOM_p(core), true, 12);
    addLevels(zeroLevel, 1, 0);
    fromJson(json);
}

kuChart_TA_ROC::kuChart_TA_ROC(kuChartCore* core, const QJsonObject& json) : kuChartSubPaneIndicator(core, "ROC (")
{
    kuChartSubPane::setUp(this, new kuChart_TA_ROC_p(core), true, 10);
    addLevels(zeroLevel, 1, 0);
    fromJson(json);
}

kuChart_TA_RSI::kuChart_TA_RSI(kuChartCore* core, const QJsonObject& json) : kuChartSubPaneIndicator(core, "RSI (")
{
    kuChartSubPane::setUp(this, new kuChart_TA_RSI_p(core), true, 20);
    addLevels(rsiLevels, 2, 0);
    fromJson(json);
}

kuChart_TA_STDDEV::kuChart_TA_STDDEV(kuChartCore* core, const QJsonObject& json) : kuChartAbstractTA(core)
{
    kuChartSubPane::setUp(this, new kuChart_TA_STDDEV_p(core), true, 20);
    fromJson(json);
}

QString kuChart_TA_STDDEV::valueText(int index)
{
    return kuChartSubPane::valueTextOf(this, label(), index);
}

QString kuChart_TA_STDDEV::label()
{
    return kuChartSubPane::labelOf("STDDEV (", period());
}

void kuChart_TA_STDDEV::recalculate()
{
    kuChartSubPane::recalculateChildren(this);
}

kuChart_TA_WILLR::kuChart_TA_WILLR(kuChartCore* core, const QJsonObject& json)
    : kuChartSubPaneIndicator(core, "WILLR (")
{
    kuChartSubPane::setUp(this, new kuChart_TA_WILLR_p(core), false, 14);
    addLevels(willrLevels, 2, 0);
    fromJson(json);
}
