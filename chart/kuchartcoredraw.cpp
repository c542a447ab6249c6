// Drawing of the chart core: the series from the item pool, the grid with its
// labels, the price marker and the last price.

#include "kuchartcore.h"

#include "kuchartgraphicsitem.h"
#include "kuchartlabels.h"
#include "kuchartobject.h"
#include "kuchartobjecttype.h"
#include "kufunctions.h"
#include "kugraphicsscene.h"
#include "kugraphicstextitem.h"

#include <QGraphicsLineItem>
#include <QGraphicsTextItem>
#include <QPen>
#include <QTextDocument>
#include <QVarLengthArray>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace {

const QChar blank(QLatin1Char(' '));
// Grid lines beyond the pool's reserve would be a broken scale, never a picture.
constexpr int maxGridLines = 1024;

bool isIntraday(int timeFrame)
{
    switch (timeFrame) {
    case 1:
    case 5:
    case 10:
    case 15:
    case 30:
    case 60:
        return true;
    default:
        return false;
    }
}

} // namespace

void kuChartCore::placeCaption()
{
    m_titleItem->setPos(double(m_plotLeft), 1.0);
    m_subtitleItem->setPos(double(m_plotLeft), 18.0);
}

void kuChartCore::placeFixedItems()
{
    m_axisLabelX = double(m_plotRight + 8);
    // Where showPriceMarker puts it, so that a redraw does not move it away and back.
    m_cursorLabel->setPos(m_axisLabelX, m_cursorY - 10);
    m_hintItem->setPos(double(m_plotLeft + 8), m_viewHeight - m_marginBottom);
    m_separatorLine->setLine(double(m_plotLeft), double(m_paneBottom + 5), m_viewWidth, double(m_paneBottom + 5));
    m_priceAxisLine->setLine(double(m_plotRight + 3), 0, double(m_plotRight + 3), m_viewHeight);
    m_leftBorderLine->setLine(double(m_plotLeft), 0, double(m_plotLeft), m_viewHeight);
    const double left = double(m_plotLeft);
    const double width = double(m_plotRight + 3 - m_plotLeft);
    const QRectF pane(left, double(m_paneTop), width, double(m_paneBottom - m_paneTop));
    const QRectF plot(left, double(m_paneTop), width, m_paneHeight);
    m_pricePaneClip->setRect(pane.isValid() ? pane : QRectF());
    m_plotClip->setRect(plot.isValid() ? plot : QRectF());
}

QGraphicsItem* kuChartCore::pricePaneClip() const
{
    return m_pricePaneClip;
}

QGraphicsItem* kuChartCore::plotClip() const
{
    return m_plotClip;
}

void kuChartCore::clipToPlot(QGraphicsItem* item)
{
    if (item && item->parentItem() != m_plotClip)
        item->setParentItem(m_plotClip);
}

// Item pool.

template <class Item>
Item* kuChartCore::pooledItem(int slot)
{
    if (slot < m_itemPool.size()) {
        kuChartGraphicsItem* held = m_itemPool.at(slot);
        if (held->graphicsItem()->type() == Item::Type)
            return static_cast<Item*>(held);
    }
    auto* item = new Item;
    item->setZValue(0.1);
    item->addToScene(m_scene);
    item->setParentItem(m_pricePaneClip);
    if (slot < m_itemPool.size()) {
        // Another class in the slot is replaced where it stands: nothing moves past the slots in use.
        delete m_itemPool.at(slot);
        m_itemPool[slot] = item;
    } else {
        m_itemPool.append(item);
    }
    return item;
}

namespace {

// Replaces the kept value only when it differs, so that the items holding it keep sharing it.
template <class T>
void keep(T& kept, const T& wanted)
{
    if (kept != wanted)
        kept = wanted;
}

} // namespace

void kuChartCore::keepSeriesPens()
{
    keep(m_upPen, QPen(m_shadowUpColor, 1, Qt::SolidLine));
    keep(m_downPen, QPen(m_shadowDownColor, 1, Qt::SolidLine));
    keep(m_upBrush, QBrush(m_candleUpColor, Qt::SolidPattern));
    keep(m_downBrush, QBrush(m_candleDownColor, Qt::SolidPattern));
    keep(m_barPen, QPen(QBrush(m_barColor), 0.2 * m_candleWidth, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    keep(m_linePen, QPen(QBrush(m_lineColor), m_lineThickness, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
}

void kuChartCore::placeCandle(const kuCandleGeometry& candle, int slot)
{
    auto* item = pooledItem<kuChartGraphicsCandleItem>(slot);
    item->setCandle(candle);
    item->setPen(candle.isDown ? m_downPen : m_upPen);
    item->setBrush(candle.isDown ? m_downBrush : m_upBrush);
    item->setVisible(true);
}

void kuChartCore::placeBar(const kuBarGeometry& bar, int slot)
{
    auto* item = pooledItem<kuChartGraphicsBarItem>(slot);
    item->setBar(bar);
    item->setPen(m_barPen);
    item->setVisible(true);
}

void kuChartCore::placeLine(const kuLineGeometry& line, int slot)
{
    auto* item = pooledItem<kuChartGraphicsLineItem>(slot);
    item->setLine(line);
    item->setPen(m_linePen);
    item->setVisible(true);
}

void kuChartCore::finishDrawing(int placed)
{
    m_usedCount = placed;
    m_poolSize = std::max(m_poolSize, m_usedCount);
}

void kuChartCore::drawCandles()
{
    keepSeriesPens();
    const QVector<kuChartCandle>& list = candles();
    const int first = firstVisible();
    const double slot = m_candleWidth * m_candleSpacing;
    int k = 0;
    for (int i = first; i < first + m_visibleCount && i < list.size(); ++i, ++k) {
        const kuChartCandle& c = list.at(i);
        kuCandleGeometry g;
        const double yOpen = priceToY(c.open);
        const double yClose = priceToY(c.close);
        g.x = double(m_plotLeft) + m_plotWidth - (k + 1) * slot + 1.0;
        g.width = m_candleWidth;
        g.height = std::abs(yOpen - yClose);
        if (g.height == 0)
            g.height = 1.0;
        g.close = c.close;
        g.isDown = c.open >= c.close;
        if (g.isDown) {
            g.y = yOpen;
            g.upperShadow = yOpen - priceToY(c.high);
            g.lowerShadow = priceToY(c.low) - yClose;
        } else {
            g.y = yClose;
            g.upperShadow = yClose - priceToY(c.high);
            g.lowerShadow = priceToY(c.low) - yOpen;
        }
        placeCandle(g, k);
    }
    finishDrawing(k);
}

void kuChartCore::drawBars()
{
    keepSeriesPens();
    const QVector<kuChartCandle>& list = candles();
    const int first = firstVisible();
    const double slot = m_candleWidth * m_candleSpacing;
    const double penWidth = 0.2 * m_candleWidth;
    int k = 0;
    for (int i = first; i < first + m_visibleCount && i < list.size(); ++i, ++k) {
        const kuChartCandle& c = list.at(i);
        kuBarGeometry g;
        g.x = double(m_plotLeft) + m_plotWidth - (k + 1) * slot + 1.0 + (m_candleWidth - penWidth) * 0.5;
        g.y = priceToY(c.high);
        g.penWidth = penWidth;
        g.height = std::abs(priceToY(c.high) - priceToY(c.low));
        if (g.height == 0)
            g.height = 1.0;
        g.openY = priceToY(c.open);
        g.closeY = priceToY(c.close);
        placeBar(g, k);
    }
    finishDrawing(k);
}

void kuChartCore::drawLine()
{
    keepSeriesPens();
    const QVector<kuChartCandle>& list = candles();
    const int first = firstVisible();
    if (first >= list.size()) {
        finishDrawing(0);
        return;
    }
    const double slot = m_candleWidth * m_candleSpacing;
    const double middle = double(m_plotLeft) + m_plotWidth + 1.0 + m_candleWidth / 2;
    kuLineGeometry g;
    g.x0 = middle - slot;
    g.y0 = priceToY(list.at(first).close);
    int k = 0;
    for (int i = first + 1; i < list.size() && i < first + m_visibleCount; ++i, ++k) {
        g.x1 = middle - (k + 2) * slot;
        g.y1 = priceToY(list.at(i).close);
        placeLine(g, k);
        g.x0 = g.x1;
        g.y0 = g.y1;
    }
    finishDrawing(k);
}

void kuChartCore::hideUnusedItems()
{
    for (int i = m_usedCount; i < m_poolSize && i < m_itemPool.size(); ++i) {
        kuChartGraphicsItem* item = m_itemPool.at(i);
        item->setGeometry(0, 0, 0, 0);
        item->graphicsItem()->setVisible(false);
    }
}

void kuChartCore::clearItemPool()
{
    qDeleteAll(std::exchange(m_itemPool, {}));
    m_itemPool.reserve(2048);
    m_poolSize = 0;
    m_usedCount = 0;
}

// Grid and axes.

kuChartCore::GridEntry& kuChartCore::gridEntry(int n, bool withTopLabel)
{
    if (n >= m_gridPool.size()) {
        GridEntry entry;
        entry.line = new kuChartGraphicsLineItem;
        entry.line->setZValue(0);
        entry.line->addToScene(m_scene);
        entry.label = new QGraphicsTextItem(entry.line);
        entry.label->setFont(m_gridFont);
        entry.label->setDefaultTextColor(m_textColor);
        m_gridPool.append(entry);
    }
    GridEntry& entry = m_gridPool[n];
    if (withTopLabel && !entry.topLabel) {
        entry.topLabel = new QGraphicsTextItem(entry.line);
        entry.topLabel->setFont(m_gridFont);
        entry.topLabel->setDefaultTextColor(m_textColor);
    }
    return entry;
}

void kuChartCore::hideGrid()
{
    m_priceGridLines = 0;
    m_gridLinesDrawn = 0;
    for (int i = 0; i < m_gridCount && i < m_gridPool.size(); ++i) {
        const GridEntry& entry = m_gridPool.at(i);
        entry.line->setGeometry(0, 0, 0, 0);
        entry.line->setVisible(false);
        entry.label->setVisible(false);
    }
}

void kuChartCore::clearGridPool()
{
    // The labels are children of their lines.
    for (const GridEntry& entry : qAsConst(m_gridPool))
        delete entry.line;
    m_gridPool.clear();
    m_gridCount = 0;
}

namespace {

// Whether it shows is left to fitAxisLabels: shown, hidden and shown again in one
// redraw, a label would repaint though nothing changed.
void setLabel(QGraphicsTextItem* label, const QString& text, const QColor& color, double x, double y)
{
    label->setDefaultTextColor(color);
    if (label->toPlainText() != text)
        label->setPlainText(text);
    label->setPos(x, y);
}

} // namespace

void kuChartCore::drawAxes()
{
    const QVector<kuChartCandle>& list = candles();
    const int count = list.size();
    if (count < 2) {
        hideGrid();
        return;
    }
    const QPen gridPen(QBrush(m_gridColor), 1.0, Qt::DotLine, Qt::SquareCap, Qt::BevelJoin);
    // Lines and labels are set where they go; only those left over are hidden afterwards,
    // so that a redraw that changes nothing moves nothing.

    // Price grid: up to the value a gap below the pane's top, from the first step at or above the scale's bottom.
    int n = 0;
    const double limitTicks = yToPrice(m_paneTop + qint64(m_marginGap)) / m_priceTick;
    const qint64 step = std::max(1, m_gridStep);
    if (std::isfinite(limitTicks)) {
        const qint64 limit = qint64(std::max(-9.0e15, std::min(9.0e15, limitTicks)));
        qint64 v = m_bottomTicks <= step ? step : ((m_bottomTicks + step - 1) / step) * step;
        for (; v < limit && n < maxGridLines; v += step, ++n) {
            const double price = double(v) * m_priceTick;
            const double y = priceToY(price);
            GridEntry& entry = gridEntry(n, n == 0);
            entry.line->setPen(gridPen);
            entry.line->setLine(double(m_plotLeft), y, double(m_plotRight), y);
            entry.line->setVisible(true);
            setLabel(entry.label, formatNumber(price, m_priceDecimals, blank), m_textColor, m_axisLabelX, y - 10);
            entry.labelFits = true;
        }
    }
    // The scale's top value rides on the first price line, and goes with it.
    if (!m_gridPool.isEmpty() && m_gridPool.first().topLabel) {
        GridEntry& first = m_gridPool.first();
        first.topLabelFits = n > 0;
        if (n > 0) {
            const double price = double(m_topTicks) * m_priceTick;
            setLabel(first.topLabel, formatNumber(price, m_priceDecimals, blank), m_textColor, m_axisLabelX,
                     priceToY(price) - 10);
        } else {
            first.topLabel->setVisible(false);
        }
    }
    thinPriceLabels(n);
    m_priceGridLines = n;

    // Date grid: a line and a label where the period of the older neighbour changes.
    const int first = firstVisible();
    QVarLengthArray<DateLabel, 128> dateLabels;
    if (first < count) {
        const double slot = m_candleWidth * m_candleSpacing;
        const int labelStep = std::max(1, scrollStep(dateLabelSteps, 10));
        const bool intraday = isIntraday(m_timeFrame);
        bool timeLabels = true;
        QDateTime newer = dateTimeFromUnix(qint64(list.at(first).time));
        for (int i = first + 1; i < count && i < first + m_visibleCount; ++i) {
            const int j = i - first;
            const QDateTime older = dateTimeFromUnix(qint64(list.at(i).time));
            const double xb = double(m_plotRight) - j * slot - (rightSpace() + 1.0);
            const double xc = xb + int((m_candleWidth - 1) / 2);
            const QDate p = newer.date();
            const QDate c = older.date();
            QString text;
            double x = 0;
            // Labels of a new period win over the times between them.
            bool period = true;
            if (intraday) {
                if (p.day() != c.day()) {
                    text = newer.toString(QStringLiteral("dd/MM"));
                    x = xc;
                    timeLabels = false;
                } else if (j % labelStep == 0) {
                    if (timeLabels) {
                        text = newer.toString(QStringLiteral("HH:mm"));
                        x = xc;
                        period = false;
                    } else {
                        timeLabels = true;
                    }
                }
            } else if (m_timeFrame == 1440) {
                if (p.month() != c.month()) {
                    text = newer.toString(QStringLiteral("MMM yyyy"));
                    x = xb;
                }
            } else if (m_timeFrame == 10080) {
                if (p.year() != c.year()) {
                    text = newer.toString(QStringLiteral("yyyy"));
                    x = xb;
                }
            } else if (m_timeFrame == 90) {
                if (c.month() == 12 && (c.year() + 1) % 5 == 0) {
                    text = newer.toString(QStringLiteral("yyyy"));
                    x = xb;
                }
            }
            if (!text.isEmpty() && n < maxGridLines) {
                GridEntry& entry = gridEntry(n, false);
                entry.line->setPen(gridPen);
                entry.line->setLine(x, double(m_paneTop), x, m_viewHeight - (m_marginBottom + m_marginTop) - 5);
                entry.line->setVisible(true);
                setLabel(entry.label, text, m_textColor, x, double(m_paneBottom - 15));
                entry.labelFits = x <= double(m_plotRight) - entry.label->boundingRect().width();
                if (entry.labelFits)
                    dateLabels.append({n, period});
                ++n;
            }
            newer = older;
        }
    }
    hideOverlappingLabels(dateLabels.data(), dateLabels.size());
    m_gridLinesDrawn = n;
    for (int i = n; i < m_gridCount && i < m_gridPool.size(); ++i) {
        GridEntry& entry = m_gridPool[i];
        entry.line->setGeometry(0, 0, 0, 0);
        entry.line->setVisible(false);
        entry.label->setVisible(false);
        entry.labelFits = false;
    }
    m_gridCount = std::max(m_gridCount, n);
    fitAxisLabels();
}

void kuChartCore::thinPriceLabels(int lines)
{
    // In a low pane the labels of close lines would print over each other: from the scale's
    // top down, a label that would overlap the one above it is not drawn (its line stays).
    auto textSpan = [](const QGraphicsTextItem* label) {
        const QRectF r = label->sceneBoundingRect();
        const double margin = label->document()->documentMargin();
        return std::make_pair(r.top() + margin, r.bottom() - margin);
    };
    double above = -std::numeric_limits<double>::infinity();
    if (lines > 0 && m_gridPool.first().topLabel && m_gridPool.first().topLabelFits)
        above = textSpan(m_gridPool.first().topLabel).second;
    for (int i = lines - 1; i >= 0; --i) {
        GridEntry& entry = m_gridPool[i];
        const auto span = textSpan(entry.label);
        if (span.first < above)
            entry.labelFits = false;
        else
            above = span.second;
    }
}

void kuChartCore::hideOverlappingLabels(const DateLabel* labels, int count)
{
    // Period labels first, then the times, each right to left: a label that would
    // overlap one already kept is not drawn (its grid line stays).
    QVarLengthArray<QRectF, 128> kept;
    for (const bool period : {true, false}) {
        for (int i = 0; i < count; ++i) {
            if (labels[i].period != period)
                continue;
            GridEntry& entry = m_gridPool[labels[i].entry];
            const QRectF r = entry.label->sceneBoundingRect();
            const bool overlaps =
                    std::any_of(kept.cbegin(), kept.cend(), [&r](const QRectF& k) { return k.intersects(r); });
            if (overlaps)
                entry.labelFits = false;
            else
                kept.append(r);
        }
    }
}

// Markers.

bool kuChartCore::showPriceMarker(qint64 y)
{
    y = std::max(m_paneTop, std::min(m_paneBottom, y));
    const double price = yToPrice(y);
    if (price < 0)
        return false;
    m_cursorY = double(y);
    const QString text = formatNumber(price, m_priceDecimals, blank);
    if (m_cursorLabel->toPlainText() != text)
        m_cursorLabel->setPlainText(text);
    m_cursorLabel->setPos(m_axisLabelX, double(y) - 10);
    fitAxisLabels();
    return true;
}

void kuChartCore::followPointer(const QPointF& scenePos)
{
    // Over a sub-pane, the caption or nothing at all a price would read as a real level.
    const bool overPricePane = scenePos.x() >= 0 && scenePos.x() <= m_viewWidth && scenePos.y() >= double(m_paneTop) &&
                               scenePos.y() <= double(m_paneBottom) && !candles().isEmpty();
    m_cursorWanted = overPricePane && showPriceMarker(qint64(scenePos.y()));
    fitAxisLabels();
}

void kuChartCore::hidePriceMarker()
{
    m_cursorWanted = false;
    fitAxisLabels();
}

void kuChartCore::fitAxisLabels()
{
    using kuChartLabels::overlapsAny;
    using kuChartLabels::textRect;
    QVector<QRectF> kept;
    if (m_priceLabel->isVisible())
        kept.append(m_priceLabel->mapRectToScene(m_priceLabel->boxRect()));
    const bool cursor = m_cursorWanted && !overlapsAny(textRect(m_cursorLabel), kept);
    m_cursorLabel->setVisible(cursor);
    if (cursor)
        kept.append(textRect(m_cursorLabel));
    const int priceLines = std::min(m_priceGridLines, int(m_gridPool.size()));
    for (int i = 0; i < priceLines; ++i) {
        const GridEntry& entry = m_gridPool.at(i);
        entry.label->setVisible(entry.labelFits && !overlapsAny(textRect(entry.label), kept));
        if (entry.topLabel)
            entry.topLabel->setVisible(entry.topLabelFits && !overlapsAny(textRect(entry.topLabel), kept));
    }
    QVector<QRectF> dates;
    for (const kuChartObject* object : qAsConst(m_objects)) {
        const QGraphicsSimpleTextItem* caption = object->caption();
        if (object->objectType() == otVerticalLine && caption && caption->isVisible())
            dates.append(caption->sceneBoundingRect());
    }
    const int drawn = std::min(m_gridLinesDrawn, int(m_gridPool.size()));
    for (int i = priceLines; i < drawn; ++i) {
        const GridEntry& entry = m_gridPool.at(i);
        entry.label->setVisible(entry.labelFits && !overlapsAny(textRect(entry.label), dates));
    }
}

void kuChartCore::showLastPrice(const kuChartCandle& candle)
{
    const double y = priceToY(candle.close);
    m_priceLabel->setLineLength(int(m_plotLeft - m_plotRight));
    m_priceLabel->setPos(m_axisLabelX + 5, y - 10);
    const QString text = formatNumber(candle.close, m_priceDecimals, blank);
    if (m_priceLabel->toPlainText() != text)
        m_priceLabel->setPlainText(text);
    fitAxisLabels();
}

QColor kuChartCore::contrastColor() const
{
    const quint32 a = m_backColor.rgba();
    const quint32 b = m_foreColor.rgba();
    const quint32 d = quint32(a - b) >> 2;
    const quint32 rgb = a >= b ? b - d : b + d;
    return QColor(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

QString kuChartCore::candleHintAt(int x) const
{
    const int index = xToCandleIndex(x);
    if (index < 0 || index >= candles().size())
        return QStringLiteral(" ");
    return candleHint(candles().at(index), m_timeFrame, m_priceDecimals);
}

void kuChartCore::showCursorInfo(int x)
{
    m_pointerOver = true;
    m_pointerX = x;
    const QString hint = candleHintAt(x);
    if (m_hintItem->toPlainText() != hint)
        m_hintItem->setPlainText(hint);
    m_hintItem->setDefaultTextColor(m_textColor);
    for (kuChartObject* object : qAsConst(m_objects))
        object->updateCaption(x);
    if (m_volumeObject)
        m_volumeObject->updateCaption(x);
}

void kuChartCore::pointerLeft()
{
    m_pointerOver = false;
    m_hintItem->setPlainText(QStringLiteral(" "));
    hidePriceMarker();
}

void kuChartCore::editObject(kuChartObject* object)
{
    if (object)
        emit signal_onModifyObject(0, object->objectName());
}
