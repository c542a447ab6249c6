// Geometry of the chart core: the price pane, the price scale, candle slots,
// scrolling and zoom.

#include "kuchartcore.h"

#include <QGraphicsTextItem>
#include <QTextDocument>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The literal the scale was always worked out with, a hair above ln 10.
constexpr double ln10 = 2.302585;
// Ticks beyond this hold no fraction in a double; a cast past it is undefined.
constexpr double maxTicks = 9007199254740992.0;

qint64 truncated(double value)
{
    if (!(value == value))
        return 0;
    return qint64(std::max(-maxTicks, std::min(maxTicks, value)));
}

} // namespace

const int kuChartCore::leftKeySteps[10] = {3, 5, 8, 13, 21, 34, 55, 89, 233, 610};
const int kuChartCore::rightKeySteps[10] = {3, 5, 8, 13, 21, 34, 55, 89, 233, 610};
const int kuChartCore::dateLabelSteps[10] = {3, 5, 8, 13, 21, 34, 55, 89, 233, 610};

void kuChartCore::computeLayout()
{
    kuChartSeries* s = m_currentSeries;
    m_plotWidth = double(m_plotRight) - s->rightSpace - double(m_plotLeft);
    const int subPanes = visibleSubPaneCount();
    const double share = subPanes < 1 ? 1.0 : std::max(0.45, 1.0 - 0.175 * subPanes);
    // The pane starts below the caption: candles at the top of the scale never run into it.
    m_paneTop = std::max(qint64(m_marginTop), captionBottom());
    m_paneHeight = (m_viewHeight - (double(m_paneTop) + m_marginTop + m_marginGap + m_marginBottom)) * share;
    m_paneBottom = qint64(m_paneHeight + double(m_paneTop) + m_marginGap);
    // A view narrower than its margins has no slot rather than a negative count.
    m_visibleCount = std::max(0, int(m_plotWidth / (m_candleWidth * m_candleSpacing)));
    clampFirstVisible();

    // The price range of the visible candles and the one or two beyond them.
    const QVector<kuChartCandle>& list = s->candles;
    const int first = s->firstVisible;
    double hi = std::numeric_limits<double>::min();
    double lo = std::numeric_limits<double>::max();
    bool scanned = false;
    for (int i = first; i < list.size() && i <= first + m_visibleCount + 1; ++i) {
        hi = std::max(hi, list.at(i).high);
        lo = std::min(lo, list.at(i).low);
        scanned = true;
    }
    if (!scanned) {
        // Nothing on screen: the last scale stays.
        if (m_topTicks > m_bottomTicks)
            m_pixelsPerTick = m_paneHeight / double(m_topTicks - m_bottomTicks);
        return;
    }
    if (hi == lo && hi == 0) {
        lo = 0.001;
        hi = 0.006;
    } else {
        if (hi == lo) {
            hi = 2 * hi;
            lo = lo * 0.5;
        }
        lo = std::max(lo, 0.001);
        if (hi - lo < 0.005)
            hi = lo + 0.005;
    }
    const qint64 top0 = truncated(hi / m_priceTick);
    const qint64 bottom0 = truncated(lo / m_priceTick);

    // Grid step and the scale aligned to it.
    const qint64 e = top0 == bottom0 ? 0 : qint64(std::ceil(std::log(double(top0 - bottom0)) / ln10));
    qint64 step = std::max<qint64>(1, qint64(std::pow(10.0, double(e))));
    qint64 top = (top0 / step) * step;
    if (top < top0)
        top += step;
    qint64 bottom = (bottom0 / step) * step;
    if (bottom < 1) {
        qint64 m = step;
        if (bottom0 < step && step > 4) {
            while (m > bottom0 && m > 4)
                m >>= 1;
        }
        qint64 p = qint64(std::pow(10.0, std::ceil(std::log(double(m)) / ln10 - 1)));
        if (p == 0)
            p = step;
        bottom = (qint64(std::ceil(double(bottom0) / double(p))) * p) / 2;
        if (bottom <= 0)
            bottom = 1;
    }
    const qint64 d = truncated(hi / m_priceTick) - bottom;
    while (d / step < 4) {
        step /= 2;
        if (step == 0) {
            step = 1;
            break;
        }
    }
    while ((top - bottom) / step > 15)
        step *= 2;
    while (top >= top0 && std::abs(double(top - top0)) / double(step) >= 2.0)
        top -= step;
    while (bottom <= bottom0 && std::abs(double(bottom0 - bottom)) / double(step) >= 2.0)
        bottom += step;
    // Truncation can close the range or turn it over (all-zero candles): one step at least.
    if (top - bottom < step)
        top = bottom + step;

    m_topTicks = top;
    m_bottomTicks = bottom;
    m_gridStep = int(std::min<qint64>(step, std::numeric_limits<int>::max()));
    m_pixelsPerTick = m_paneHeight / double(m_topTicks - m_bottomTicks);
}

qint64 kuChartCore::captionBottom() const
{
    double bottom = 0;
    for (const QGraphicsTextItem* item : {m_titleItem, m_subtitleItem}) {
        if (item && !item->document()->isEmpty())
            bottom = std::max(bottom, item->y() + item->boundingRect().height());
    }
    return qint64(std::ceil(bottom));
}

double kuChartCore::priceToY(double price) const
{
    if (price == 0.0)
        return double(m_paneBottom);
    return (double(m_topTicks) - price / m_priceTick) * m_pixelsPerTick + double(m_paneTop);
}

double kuChartCore::yToPrice(qint64 y) const
{
    if (m_pixelsPerTick == 0.0)
        return double(m_topTicks) * m_priceTick;
    return (double(m_topTicks) - double(y - m_paneTop) / m_pixelsPerTick) * m_priceTick;
}

int kuChartCore::xToCandleIndex(int x) const
{
    if (m_visibleCount == 0 || x < m_plotLeft || x > m_plotRight)
        return -1;
    const double slot = std::floor((m_plotWidth - double(x - m_plotLeft)) / (m_candleWidth * m_candleSpacing));
    if (slot < 0)
        return -1;
    const double index = slot + firstVisible();
    return index < candles().size() ? int(index) : -1;
}

void kuChartCore::clampFirstVisible()
{
    int& first = m_currentSeries->firstVisible;
    first = std::max(0, std::min(first, int(candles().size())));
}

void kuChartCore::scrollBack(int n)
{
    n = std::max(1, n);
    kuChartSeries* s = m_currentSeries;
    if (s->rightSpace > 0) {
        s->rightSpace = std::max(0.0, s->rightSpace - m_candleWidth * m_candleSpacing * n);
        redraw();
        return;
    }
    const int limit = std::max(0, int(s->candles.size()) - m_visibleCount);
    if (s->firstVisible >= limit)
        return;
    s->firstVisible = std::min(limit, s->firstVisible + n);
    redraw();
}

void kuChartCore::scrollForward(int n)
{
    n = std::max(1, n);
    kuChartSeries* s = m_currentSeries;
    if (s->firstVisible > 0) {
        s->firstVisible = std::max(0, s->firstVisible - n);
        redraw();
    } else if (s->rightSpace < 0.5 * m_plotWidth) {
        s->rightSpace += m_candleWidth * m_candleSpacing * n;
        redraw();
    }
}

void kuChartCore::scrollToOldest()
{
    kuChartSeries* s = m_currentSeries;
    const int count = s->candles.size();
    s->rightSpace = 0;
    // One empty slot stays at the left; never past the oldest candle.
    s->firstVisible = std::min(count, std::max(0, count - m_visibleCount + 1));
    redraw();
}

void kuChartCore::scrollToNewest()
{
    kuChartSeries* s = m_currentSeries;
    if (m_visibleCount > s->candles.size() && s->rightSpace == 0.0)
        return;
    s->rightSpace = 0;
    s->firstVisible = 0;
    redraw();
}

void kuChartCore::pageForward()
{
    kuChartSeries* s = m_currentSeries;
    if (s->rightSpace > 0) {
        s->firstVisible = 0;
        s->rightSpace = 0;
        redraw();
    } else if (s->firstVisible != 0) {
        // A narrow view still pages by one candle.
        scrollForward(std::max(1, m_visibleCount - 1));
    }
}

void kuChartCore::pageBack()
{
    kuChartSeries* s = m_currentSeries;
    if (s->rightSpace > 0) {
        s->rightSpace = 0;
        redraw();
    } else {
        scrollBack(std::max(1, m_visibleCount - 1));
    }
}

void kuChartCore::zoomIn()
{
    if (m_candleWidth < 25) {
        ++m_candleWidth;
        redraw();
    }
}

void kuChartCore::zoomOut()
{
    if (m_candleWidth > 2) {
        --m_candleWidth;
        redraw();
    }
}

int kuChartCore::scrollStep(const int* table, int length) const
{
    return scrollStep(table, length, m_visibleCount);
}

int kuChartCore::scrollStep(const int* table, int length, int visibleCount)
{
    if (!table || length <= 0)
        return 1;
    int result = 1;
    for (int i = 0; i < length && i + 5 < 31; ++i) {
        if ((1 << (i + 4)) <= visibleCount && visibleCount < (1 << (i + 5))) {
            result = table[i];
            break;
        }
    }
    if (result < 0 || result > table[length - 1])
        result = 1;
    return result;
}
