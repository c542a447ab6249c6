// Properties of the chart core: the chart settings the user edits and the view's
// own state (price decimals, redraw suspension, view size).

#include "kuchartcore.h"

#include "kugraphicsscene.h"

#include <QBrush>
#include <QGraphicsLineItem>
#include <QGraphicsTextItem>
#include <QPen>

#include <cmath>

void kuChartCore::setChartStyle(int style)
{
    if (style == m_chartStyle || style < JapaneseCandles || style > Line)
        return;
    m_chartStyle = style;
    emit signal_onChangeChartStyle(style);
    rebuild();
}

void kuChartCore::setTimeFrame(int timeFrame)
{
    if (timeFrame == m_timeFrame)
        return;
    const int index = indexOfTimeFrame(timeFrame);
    if (index < 0)
        return;
    kuChartSeries* s = m_series.at(size_t(index)).get();
    pointAt(s);
    setCaption(m_title + QStringLiteral(" - ") + s->name, m_subtitle);
    m_timeFrame = timeFrame;
    m_seriesChanged = true;
    emit signal_onChangeTimeFrame(timeFrame);
    rebuild();
}

void kuChartCore::setShowGrid(bool show)
{
    m_showGrid = show;
}

bool kuChartCore::storeColor(QColor& member, const QColor& color)
{
    if (!color.isValid() || color == member)
        return false;
    member = color;
    return true;
}

void kuChartCore::setBackColor(const QColor& color)
{
    if (storeColor(m_backColor, color))
        m_scene->setBackgroundBrush(QBrush(m_backColor));
}

void kuChartCore::setForeColor(const QColor& color)
{
    if (!storeColor(m_foreColor, color))
        return;
    m_gridColor = color;
    m_textColor = m_gridColor;
    m_titleItem->setDefaultTextColor(m_textColor);
    m_subtitleItem->setDefaultTextColor(m_textColor);
    for (QGraphicsLineItem* line : {m_separatorLine, m_leftBorderLine, m_priceAxisLine})
        line->setPen(QPen(m_gridColor));
}

void kuChartCore::setGridColor(const QColor& color)
{
    storeColor(m_gridColor, color);
}

void kuChartCore::setBarColor(const QColor& color)
{
    storeColor(m_barColor, color);
}

void kuChartCore::setLineColor(const QColor& color)
{
    storeColor(m_lineColor, color);
}

void kuChartCore::setCandleUpColor(const QColor& color)
{
    storeColor(m_candleUpColor, color);
}

void kuChartCore::setCandleDownColor(const QColor& color)
{
    storeColor(m_candleDownColor, color);
}

void kuChartCore::setShadowUpColor(const QColor& color)
{
    storeColor(m_shadowUpColor, color);
}

void kuChartCore::setShadowDownColor(const QColor& color)
{
    storeColor(m_shadowDownColor, color);
}

void kuChartCore::setLineThickness(int thickness)
{
    if (thickness < 0)
        thickness = 2;
    else if (thickness > 5)
        thickness = 5;
    m_lineThickness = thickness;
}

void kuChartCore::setPriceDecimals(int decimals)
{
    m_priceDecimals = decimals;
}

void kuChartCore::setPriceStep(double step)
{
    m_priceStep = std::isfinite(step) && step > 0 ? step : 0.0;
}

double kuChartCore::roundToPriceStep(double price) const
{
    const double scale = std::pow(10.0, m_priceDecimals);
    const double step = m_priceStep > 0 ? m_priceStep : 1.0 / scale;
    if (!std::isfinite(price) || !std::isfinite(scale) || !(step > 0))
        return price;
    // A step that is no binary fraction leaves a tail on its multiples: the decimals cut it off.
    return std::round(std::round(price / step) * step * scale) / scale;
}

void kuChartCore::setRedrawSuspended(bool suspended)
{
    m_redrawSuspended = suspended;
}

void kuChartCore::setViewSize(int width, int height)
{
    m_viewWidth = width;
    m_viewHeight = height;
    m_plotRight = qint64(m_viewWidth - m_marginRight);
}
