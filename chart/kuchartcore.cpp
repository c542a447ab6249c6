// The chart core's life: construction, the scene with its fixed items, and the redraw
// cycle that brings the values, the objects and the drawing up to date.

#include "kuchartcore.h"

#include "kuchartgraphicsitem.h"
#include "kuchartmakers.h"
#include "kuchartobject.h"
#include "kugraphicsscene.h"
#include "kugraphicstextitem.h"

#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QGraphicsTextItem>
#include <QPen>

#include <cmath>
#include <utility>

namespace {

constexpr int reservedValues = 65536;

QFont styledFont(QFont font, int weight, int pixelSize)
{
    font.setWeight(weight);
    font.setFamily(QStringLiteral("Tahoma"));
    font.setStyle(QFont::StyleNormal);
    font.setPixelSize(pixelSize);
    return font;
}

} // namespace

kuChartCore::kuChartCore(QObject* parent) : QObject(parent)
{
    m_scene = new kuGraphicsScene(this);
    // In the scene before any object is made, so that objects can put their items into them.
    // Drawings lie over the candles and indicator lines, as the unclipped tools do, so that
    // a tool takes the mouse where it crosses them; the chart's own labels (1.0) stay on top.
    m_pricePaneClip = new kuChartClipItem(m_scene, 0.1);
    m_plotClip = new kuChartClipItem(m_scene, 0.95);
    m_hintItem = new QGraphicsTextItem;
    m_cursorLabel = new QGraphicsTextItem;
    m_priceLabel = new kuGraphicsTextItem;
    m_gridPool.reserve(1024);
    m_itemPool.reserve(2048);
    m_openValues.reserve(reservedValues);
    m_closeValues.reserve(reservedValues);
    m_highValues.reserve(reservedValues);
    m_lowValues.reserve(reservedValues);
    m_volumeValues.reserve(reservedValues);
    m_titleItem = new QGraphicsTextItem;
    m_subtitleItem = new QGraphicsTextItem;
    m_priceAxisLine = new QGraphicsLineItem;
    m_leftBorderLine = new QGraphicsLineItem;
    m_separatorLine = new QGraphicsLineItem;
    // Objects need the scene and the colours; the volume object is made last.
    m_foreColor = Qt::darkGray;
    if (const kuChartMakers::ObjectMaker make = kuChartMakers::volumeMaker())
        m_volumeObject = make(this, QJsonObject());
}

kuChartCore::~kuChartCore()
{
    QObject::disconnect(this, nullptr, nullptr, nullptr);
    const QVector<kuChartObject*> objects = std::exchange(m_objects, {});
    qDeleteAll(objects);
    delete m_volumeObject;
    m_volumeObject = nullptr;
    clearItemPool();
    clearGridPool();
    // Items still in a clip belong to whoever made them.
    for (QGraphicsRectItem* clip : {m_pricePaneClip, m_plotClip}) {
        for (QGraphicsItem* item : clip->childItems())
            item->setParentItem(nullptr);
        delete clip;
    }
    delete m_priceAxisLine;
    delete m_leftBorderLine;
    delete m_separatorLine;
    delete m_cursorLabel;
    delete m_priceLabel;
    delete m_hintItem;
    delete m_titleItem;
    delete m_subtitleItem;
    delete m_scene;
}

void kuChartCore::initScene()
{
    m_foreColor = Qt::darkGray;
    m_textColor = Qt::darkGray;
    m_backColor = Qt::white;
    m_gridColor = Qt::darkGray;
    m_cursorLabelColor = Qt::darkGreen;
    m_lineColor = Qt::blue;
    m_barColor = Qt::green;
    m_candleUpColor = Qt::green;
    m_candleDownColor = Qt::red;
    m_shadowUpColor = Qt::black;
    m_shadowDownColor = Qt::black;

    m_candleWidth = 10;
    m_candleSpacing = 1.5;
    m_lineThickness = 2;
    m_plotLeft = 1;
    m_showGrid = true;
    m_redrawSuspended = false;
    m_priceTick = 0.1;
    m_seriesChanged = false;
    m_chartReady = false;
    m_timeFrame = -1;
    m_chartStyle = JapaneseCandles;
    m_marginRight = 70;
    m_marginGap = 10;
    m_marginBottom = 25;
    m_marginTop = 10;
    m_plotRight = qint64(m_viewWidth - m_marginRight);
    m_axisLabelX = m_cursorY = 200;

    if (m_volumeObject)
        m_volumeObject->setVisible(false);

    m_titleItem->setPlainText(QString());
    m_titleItem->setFont(styledFont(m_titleItem->font(), 75, 13));
    m_titleItem->setPos(m_plotLeft, 1);
    m_labelFont = m_titleItem->font();
    m_gridFont = m_labelFont;
    m_gridFont.setPixelSize(10);
    m_gridFont.setWeight(63);
    m_gridFont.setFamily(QStringLiteral("Tahoma"));
    m_subtitleItem->setPlainText(QString());
    m_subtitleItem->setFont(styledFont(m_titleItem->font(), 63, 11));
    m_subtitleItem->setPos(m_plotLeft, 18);
    m_hintItem->setFont(styledFont(m_hintItem->font(), 63, 13));
    m_hintItem->setPlainText(QString());
    m_hintItem->setPos(m_plotLeft, m_viewHeight - (5 + m_marginBottom));
    m_cursorLabel->setFont(styledFont(m_cursorLabel->font(), 63, 10));
    m_cursorLabel->setPos(m_axisLabelX, m_cursorY);
    m_cursorLabel->setDefaultTextColor(m_cursorLabelColor);
    // No price until the pointer is over the price pane.
    m_cursorLabel->setVisible(false);
    m_priceLabel->setFont(styledFont(m_priceLabel->font(), 63, 10));
    m_priceLabel->setPos(-100, -100);
    m_priceLabel->setDefaultTextColor(Qt::black);
    for (QGraphicsLineItem* line : {m_separatorLine, m_priceAxisLine, m_leftBorderLine}) {
        line->setLine(0, 0, 0, 0);
        line->setPen(QPen(m_gridColor));
    }

    m_scene->setItemIndexMethod(QGraphicsScene::NoIndex);
    m_scene->setBackgroundBrush(QBrush(m_backColor));
    m_scene->addItem(m_titleItem);
    m_scene->addItem(m_subtitleItem);
    m_scene->addItem(m_hintItem);
    m_scene->addItem(m_cursorLabel);
    m_scene->addItem(m_priceLabel);
    m_scene->addItem(m_separatorLine);
    m_scene->addItem(m_priceAxisLine);
    m_scene->addItem(m_leftBorderLine);
    m_scene->setObjectName(QStringLiteral("graphicsScene"));
}

// Redraw.

void kuChartCore::redraw()
{
    if (m_redrawSuspended)
        return;
    if (m_inRedraw) {
        m_redrawAgain = true;
        return;
    }
    m_inRedraw = true;
    do {
        m_redrawAgain = false;
        if (std::exchange(m_rebuildAgain, false))
            clearItemPool();
        redrawOnce();
    } while (m_redrawAgain && !m_redrawSuspended);
    m_inRedraw = false;
}

void kuChartCore::rebuild()
{
    if (m_inRedraw) {
        // The items of the running redraw stay until it is done.
        m_rebuildAgain = true;
        m_redrawAgain = true;
        return;
    }
    clearItemPool();
    redraw();
}

void kuChartCore::redrawOnce()
{
    dropDeletedObjects();
    if (m_seriesChanged) {
        m_priceTick = 1.0 / std::pow(10.0, m_priceDecimals);
        refillValues();
        if (m_volumeObject)
            m_volumeObject->recalculate();
        for (kuChartObject* object : qAsConst(m_objects)) {
            if (object->isIndicator())
                object->recalculate();
        }
        m_seriesChanged = false;
    }
    applyPendingState();
    if (!candles().isEmpty())
        computeLayout();
    for (kuChartObject* object : qAsConst(m_objects))
        object->repaint();
    if (m_volumeObject)
        m_volumeObject->repaint();
    placeFixedItems();
    if (m_showGrid)
        drawAxes();
    else
        hideGrid();
    switch (m_chartStyle) {
    case JapaneseCandles:
        drawCandles();
        break;
    case Bars:
        drawBars();
        break;
    case Line:
        drawLine();
        break;
    default:
        m_usedCount = 0;
        break;
    }
    hideUnusedItems();
    showPriceMarker(qint64(m_cursorY));
    showLastPrice(candles().isEmpty() ? kuChartCandle() : candles().first());
    // Scrolling, zoom, another time frame or a new candle put another candle under the pointer.
    if (m_pointerOver)
        showCursorInfo(m_scene->pointerX(m_pointerX));
}

void kuChartCore::dropDeletedObjects()
{
    for (int i = 0; i < m_objects.size();) {
        kuChartObject* object = m_objects.at(i);
        if (object->isDeleted()) {
            object->setVisible(false);
            i = removeObject(object);
        } else {
            ++i;
        }
    }
}

void kuChartCore::refillValues()
{
    m_openValues.clear();
    m_closeValues.clear();
    m_highValues.clear();
    m_lowValues.clear();
    m_volumeValues.clear();
    const QVector<kuChartCandle>& list = m_currentSeries->candles;
    for (int i = list.size() - 1; i >= 0; --i) {
        const kuChartCandle& c = list.at(i);
        m_openValues.append(c.open);
        m_closeValues.append(c.close);
        m_highValues.append(c.high);
        m_lowValues.append(c.low);
        m_volumeValues.append(c.volume);
    }
}
