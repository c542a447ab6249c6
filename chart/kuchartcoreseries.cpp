// Series of the chart core: the candle series of every time frame, the one shown,
// and the caption that names it.

#include "kuchartcore.h"

#include <QGraphicsTextItem>

#include <memory>
#include <utility>

kuChartSeries* kuChartCore::series(int index) const
{
    if (index < 0 || index >= seriesCount())
        return nullptr;
    return m_series.at(size_t(index)).get();
}

void kuChartCore::appendSeries(kuChartSeries series)
{
    m_series.push_back(std::make_unique<kuChartSeries>(std::move(series)));
}

void kuChartCore::setSeries(QVector<kuChartSeries> series)
{
    pointAt(&m_noSeries);
    m_series.clear();
    m_series.reserve(size_t(series.size()));
    for (kuChartSeries& s : series)
        appendSeries(std::move(s));
}

void kuChartCore::clearSeries()
{
    setSeries({});
}

bool kuChartCore::showSeries(int index)
{
    kuChartSeries* s = series(index);
    if (!s)
        return false;
    pointAt(s);
    return true;
}

int kuChartCore::indexOfTimeFrame(int timeFrame) const
{
    for (size_t i = 0; i < m_series.size(); ++i) {
        if (m_series[i]->timeFrame == timeFrame)
            return int(i);
    }
    return -1;
}

void kuChartCore::pointAt(kuChartSeries* series)
{
    m_currentSeries = series ? series : &m_noSeries;
}

void kuChartCore::setCaption(const QString& title, const QString& subtitle)
{
    m_titleItem->setPlainText(title);
    m_titleItem->setDefaultTextColor(m_textColor);
    m_subtitleItem->setPlainText(subtitle);
    m_subtitleItem->setDefaultTextColor(m_textColor);
    m_subtitle = subtitle;
}
