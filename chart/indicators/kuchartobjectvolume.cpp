#include "kuchartobjectvolume.h"

#include "kuchartcore.h"
#include "kuchartgraphicsitem.h"
#include "kufunctions.h"

#include <QGraphicsSimpleTextItem>
#include <QJsonObject>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

const QString volumePage = QStringLiteral("volumeSetting");

// Saved but not offered for editing: neither pane draws in its base colour.
kuChartPropertyInfo hiddenColor()
{
    return kuChartPropertyInfo{QStringLiteral("color"), true, QVariant(QJsonObject())};
}

} // namespace

// Bars.

kuChartObjectVolume_p::kuChartObjectVolume_p(kuChartCore* core) : kuChartAbstractTA(core)
{
    m_upColor = Qt::green;
    m_downColor = Qt::red;
    setObjectType(otVolumeBars);
    setPricePane(0);
    setChartDataSet(dsVolume);
}

void kuChartObjectVolume_p::recalculate()
{
    const kuChartCore* core = chartCore();
    const QVector<double>* volumes = core ? core->volumeSeries() : nullptr;
    setSeries([volumes] {
        if (!volumes)
            return QVector<double>();
        QVector<double> newestFirst(volumes->crbegin(), volumes->crend());
        return newestFirst;
    });
}

void kuChartObjectVolume_p::repaint()
{
    kuChartCore* core = chartCore();
    if (!core || !isVisible() || objectType() != otVolumeBars)
        return;
    if (kuChartAbstractTA* pane = parentIndicator()) {
        setPaneTop(pane->paneTop());
        setPaneHeight(pane->paneHeight());
    }
    const QVector<double>& volumes = series();
    QVector<kuVolumeBar> bars;
    // Too few values or no room for the pane: the bars of an earlier drawing go too.
    if (volumes.size() < 2 || !(paneHeight() > 0)) {
        drawBars(bars);
        return;
    }
    bars.reserve(4096);
    const double y0 = valueToY(0);
    const int first = std::max(0, core->firstVisible());
    const qint64 end = std::min<qint64>(volumes.size(), qint64(first) + std::max(0, core->visibleCount()));
    const double left = double(core->plotLeft());
    const double right = core->plotWidth();
    const int width = core->candleWidth();
    const double slot = core->candleSpacing() * width;
    int k = 1;
    for (int i = first; i < end; ++i, ++k) {
        const double volume = volumes.at(i);
        const double y = valueToY(volume);
        const double x = right - slot * k + 1 + left;
        // Against the next older candle; the oldest has none and stays up.
        const bool down = i + 1 < volumes.size() && volume < volumes.at(i + 1);
        bars.append({QRectF(x, std::min(y0, y), width, std::fabs(y - y0)), down});
    }
    drawBars(bars);
}

void kuChartObjectVolume_p::drawBars(const QVector<kuVolumeBar>& bars)
{
    const kuChartCore* core = chartCore();
    QPen outline = pen();
    if (core)
        outline.setColor(core->foreColor());
    int drawn = 0;
    if (isDeleted()) {
        finishPass(drawn);
        return;
    }
    if (outline != m_outline)
        m_outline = outline;
    if (m_upBrush.color() != m_upColor || m_upBrush.style() != Qt::SolidPattern)
        m_upBrush = QBrush(m_upColor, Qt::SolidPattern);
    if (m_downBrush.color() != m_downColor || m_downBrush.style() != Qt::SolidPattern)
        m_downBrush = QBrush(m_downColor, Qt::SolidPattern);
    for (const kuVolumeBar& bar : bars) {
        kuChartGraphicsRectItem* item = pooledRect(drawn++);
        item->setGeometry(bar.rect.x(), bar.rect.y(), bar.rect.width(), bar.rect.height());
        item->setPen(m_outline);
        item->setBrush(bar.down ? m_downBrush : m_upBrush);
        item->setVisible(true);
    }
    finishPass(drawn);
}

QString kuChartObjectVolume_p::valueText(int index)
{
    if (index < 0 || index >= series().size())
        return QString();
    return tr("Объем: ") + formatNumber(series().at(index), 0, QLatin1Char(' '));
}

QPair<double, double> kuChartObjectVolume_p::valueRange()
{
    return {kuChartAbstractTA::valueRange().first, 0.0};
}

kuChartPropertyInfo kuChartObjectVolume_p::propertyInfo(const QString& name)
{
    if (name == QLatin1String("volumeUpColor"))
        return kuChartPropertyInfo{tr("Up volume"), false, QVariant(QJsonObject())};
    if (name == QLatin1String("volumeDownColor"))
        return kuChartPropertyInfo{tr("Down volume"), false, QVariant(QJsonObject())};
    if (name == QLatin1String("color"))
        return hiddenColor();
    return kuChartAbstractTA::propertyInfo(name);
}

// Pane.

kuChartObjectVolume::kuChartObjectVolume(kuChartCore* core, const QJsonObject& json) : kuChartAbstractTA(core)
{
    setObjectType(otIndicatorPane);
    setPricePane(0);
    createSeries();
    createHeaderButtons();
    recalculate();
    fromJson(json);
}

void kuChartObjectVolume::createSeries()
{
    auto* bars = new kuChartObjectVolume_p(chartCore());
    bars->setPricePane(isPricePane());
    bars->setObjectType(otVolumeBars);
    bars->setParentIndicator(this);
    appendChild(bars);
}

void kuChartObjectVolume::recalculate()
{
    for (kuChartAbstractTA* child : children())
        child->recalculate();
}

void kuChartObjectVolume::repaint()
{
    // The caption waits for the pointer's value rather than showing a name.
    if (caption() && caption()->text().isEmpty())
        caption()->setText(QStringLiteral(" "));
    kuChartAbstractTA::repaint();
}

void kuChartObjectVolume::createHeaderButtons()
{
    if (!headerWidgets().isEmpty())
        return;
    if (QToolButton* edit = addHeaderButton("subChartEditBtn", "chart.subchart.edit.png", tr("Настройка")))
        connect(edit, &QToolButton::clicked, this, &kuChartObjectVolume::slot_onSettings);
}

void kuChartObjectVolume::slot_onSettings(bool)
{
    if (kuChartCore* core = chartCore())
        QMetaObject::invokeMethod(core, "signal_onModifyObject", Qt::DirectConnection, Q_ARG(int, 1),
                                  Q_ARG(QString, volumePage));
}

QPair<double, double> kuChartObjectVolume::valueRange()
{
    return {std::numeric_limits<double>::min(), 0.0};
}

QString kuChartObjectVolume::valueText(int index)
{
    QString text;
    for (kuChartAbstractTA* child : children())
        text += QLatin1Char(' ') + child->valueText(index);
    return text;
}

kuChartPropertyInfo kuChartObjectVolume::propertyInfo(const QString& name)
{
    if (name == QLatin1String("isVisible"))
        return kuChartPropertyInfo{tr("Показать объем"), false,
                                   QVariant(QJsonObject{{tr("Да"), true}, {tr("Нет"), false}})};
    if (name == QLatin1String("color"))
        return hiddenColor();
    return kuChartAbstractTA::propertyInfo(name);
}
