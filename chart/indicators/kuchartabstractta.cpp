#include "kuchartabstractta.h"

#include "kuapplication.h"
#include "kuchartcore.h"
#include "kuchartgraphicsitem.h"
#include "kugraphicsscene.h"
#include "kuiconmanager.h"

#include <QEvent>
#include <QGraphicsLineItem>
#include <QGraphicsProxyWidget>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QHash>
#include <QPointer>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace {

// The core's fixed margins: top, bottom and the gap between panes.
constexpr double marginTop = 10.0;
constexpr double marginBottom = 25.0;
constexpr double marginGap = 10.0;
constexpr double poolZ = 0.9;
// Inside a sub-pane: room for the caption above the values, and a little below them.
constexpr double paneMarginTop = 25.0;
constexpr double paneMarginBottom = 10.0;

const QString childrenKey = QStringLiteral("childrenObject");
const QString kindKey = QStringLiteral("indType");

} // namespace

const QPair<double, double> kuChartAbstractTA::noDataRange{std::numeric_limits<double>::min(),
                                                           std::numeric_limits<double>::max()};

// Caption filter.

kuChartObjectAbstractTAEventFilter::kuChartObjectAbstractTAEventFilter(kuChartAbstractTA* indicator,
                                                                       QGraphicsItem* parent)
    : QGraphicsItem(parent), m_indicator(indicator)
{}

QRectF kuChartObjectAbstractTAEventFilter::boundingRect() const
{
    return QRectF(0, 0, 0, 0);
}

void kuChartObjectAbstractTAEventFilter::paint(QPainter*, const QStyleOptionGraphicsItem*, QWidget*)
{}

bool kuChartObjectAbstractTAEventFilter::sceneEventFilter(QGraphicsItem*, QEvent* event)
{
    switch (event->type()) {
    case QEvent::GraphicsSceneHoverEnter:
        m_indicator->setHovered(true);
        break;
    case QEvent::GraphicsSceneHoverLeave:
        m_indicator->setHovered(false);
        break;
    case QEvent::GraphicsSceneMouseDoubleClick:
        m_indicator->slot_onEdit(false);
        break;
    default:
        break;
    }
    return true;
}

// Indicator.

kuChartAbstractTA::kuChartAbstractTA(kuChartCore* core) : kuChartObject(core), m_separator(new QGraphicsLineItem)
{
    m_pool.reserve(2048);
    m_separator->setVisible(true);
    m_separator->setLine(0, 0, 0, 0);
    if (kuGraphicsScene* s = scene(); s && m_separator->scene() != s)
        s->addItem(m_separator);
}

kuChartAbstractTA::~kuChartAbstractTA()
{
    // Pooled items would stay drawn in the scene otherwise.
    qDeleteAll(m_pool);
    m_pool.clear();
    delete m_separator;
    qDeleteAll(m_headerWidgets);
    qDeleteAll(m_children);
    delete m_captionFilter;
    if (m_clip) {
        // What is left in the pane (the caption) goes with its owner.
        for (QGraphicsItem* item : m_clip->childItems())
            item->setParentItem(nullptr);
        delete m_clip;
    }
}

void kuChartAbstractTA::setParentIndicator(kuChartAbstractTA* parent)
{
    if (parent)
        m_parent = parent;
}

void kuChartAbstractTA::appendChild(kuChartAbstractTA* child)
{
    if (!child || m_children.contains(child))
        return;
    child->setParentIndicator(this);
    m_children.append(child);
}

void kuChartAbstractTA::setPeriod(int period)
{
    period = std::max(1, std::min(period, maxPeriod));
    if (period == m_period)
        return;
    m_period = period;
    for (kuChartAbstractTA* child : qAsConst(m_children))
        child->setPeriod(period);
    recalculate();
}

void kuChartAbstractTA::setChartDataSet(int dataSet)
{
    if (dataSet < dsOpen || dataSet > dsVolume || dataSet == m_chartDataSet)
        return;
    m_chartDataSet = dataSet;
    for (kuChartAbstractTA* child : qAsConst(m_children))
        child->setChartDataSet(dataSet);
    recalculate();
}

void kuChartAbstractTA::setColor(const QColor& color)
{
    if (color != m_pen.color())
        m_pen.setColor(color);
}

const QVector<double>* kuChartAbstractTA::dataSetSeries() const
{
    const kuChartCore* core = chartCore();
    if (!core)
        return nullptr;
    switch (m_chartDataSet) {
    case dsOpen:
        return core->openSeries();
    case dsClose:
        return core->closeSeries();
    case dsHigh:
        return core->highSeries();
    case dsLow:
        return core->lowSeries();
    case dsVolume:
        return core->volumeSeries();
    default:
        return nullptr;
    }
}

void kuChartAbstractTA::setSeries(const std::function<QVector<double>()>& compute)
{
    if (!compute)
        return;
    QVector<double> next = compute();
    m_series.swap(next);
}

QPair<double, double> kuChartAbstractTA::valueRange()
{
    const kuChartCore* core = chartCore();
    if (!core)
        return noDataRange;
    const int first = std::max(0, core->firstVisible());
    const int end = std::min<qint64>(m_series.size(), qint64(first) + std::max(0, core->visibleCount()));
    double mx = -std::numeric_limits<double>::infinity();
    double mn = std::numeric_limits<double>::infinity();
    bool any = false;
    for (int i = first; i < end; ++i) {
        const double v = m_series.at(i);
        // A value that is no number would make the whole axis meaningless.
        if (!std::isfinite(v))
            continue;
        mx = std::max(mx, v);
        mn = std::min(mn, v);
        any = true;
    }
    if (!any)
        return noDataRange;
    if (objectType() == otHistogram || objectType() == otVolumeBars) {
        if (mx > 0 && mn > 0)
            return {1.05 * mx, 0.0};
        if (mx < 0 && mn < 0)
            return {0.0, 1.05 * mn};
    }
    return {1.05 * mx, 1.05 * mn};
}

double kuChartAbstractTA::mappedY(double value) const
{
    // A pane lower than 70 pixels keeps half of itself for the values, the margins their shares
    // of the rest: many panes in a low view keep their lines inside and upright.
    const double height = std::max(0.0, m_paneHeight);
    const double share = std::min(1.0, height / (2 * (paneMarginTop + paneMarginBottom)));
    const double band = height - share * (paneMarginTop + paneMarginBottom);
    const double bottom = m_paneTop + height - share * paneMarginBottom;
    if (!std::isfinite(m_max) || !std::isfinite(m_min) || !std::isfinite(value))
        return bottom;
    double scale = band > 0 ? std::fabs(m_max - m_min) / band : 0;
    if (scale == 0 || !std::isfinite(scale))
        scale = 1.0;
    return bottom - (value - m_min) / scale;
}

double kuChartAbstractTA::valueToY(double value) const
{
    const double y = mappedY(value);
    const double top = m_paneTop;
    const double bottom = m_paneTop + std::max(0.0, m_paneHeight);
    return std::max(top, std::min(bottom, y));
}

bool kuChartAbstractTA::isValueInPane(double value) const
{
    const double y = mappedY(value);
    return m_paneHeight > 0 && y >= m_paneTop && y <= m_paneTop + m_paneHeight;
}

QGraphicsItem* kuChartAbstractTA::paneClip()
{
    if (isPricePane()) {
        const kuChartCore* core = chartCore();
        return core ? core->pricePaneClip() : nullptr;
    }
    if (m_parent)
        return m_parent->paneClip();
    if (!m_clip) {
        kuGraphicsScene* s = scene();
        if (!s)
            return nullptr;
        m_clip = new kuChartClipItem(s, poolZ);
    }
    return m_clip;
}

void kuChartAbstractTA::createHeaderButtons()
{
    if (!scene() || !m_headerWidgets.isEmpty())
        return;
    if (QToolButton* close = addHeaderButton("subChartCloseBtn", "chart.subchart.close.png", tr("Закрыть")))
        connect(close, &QToolButton::clicked, this, &kuChartAbstractTA::slot_onClose);
    if (QToolButton* edit = addHeaderButton("subChartEditBtn", "chart.subchart.edit.png", tr("Настройка")))
        connect(edit, &QToolButton::clicked, this, &kuChartAbstractTA::slot_onEdit);
}

QToolButton* kuChartAbstractTA::addHeaderButton(const char* name, const char* icon, const QString& tip)
{
    kuGraphicsScene* s = scene();
    if (!s)
        return nullptr;
    const QPointer<kuApplication> app = kuApplication::instance();
    const QString theme = app ? app->themePath() : QString();
    auto* button = new QToolButton;
    button->setObjectName(QLatin1String(name));
    button->setIcon(kuIconManager::icon(QLatin1String(icon), theme));
    button->setToolTip(tip);
    button->setFixedSize(22, 22);
    button->setIconSize(QSize(16, 16));
    button->setStyleSheet(QStringLiteral("background: transparent;color: white;font: 11px;"));
    button->setFocusPolicy(Qt::NoFocus);
    QGraphicsProxyWidget* proxy = s->addWidget(button);
    // Rendering a widget into the scene is costly; the button repaints it when it changes.
    proxy->setCacheMode(QGraphicsItem::DeviceCoordinateCache);
    if (QGraphicsItem* clip = paneClip())
        proxy->setParentItem(clip);
    m_headerWidgets.append(proxy);
    return button;
}

void kuChartAbstractTA::slot_onClose(bool)
{
    setVisible(false);
    if (kuChartCore* core = chartCore())
        core->redraw();
    setDeleted(true);
}

void kuChartAbstractTA::slot_onEdit(bool)
{
    if (kuChartCore* core = chartCore())
        core->editObject(this);
}

void kuChartAbstractTA::setVisible(bool visible)
{
    kuChartObject::setVisible(visible);
    m_separator->setVisible(visible);
    for (QGraphicsProxyWidget* proxy : qAsConst(m_headerWidgets))
        proxy->setVisible(visible);
    collapsePool();
    for (kuChartAbstractTA* child : qAsConst(m_children))
        child->setVisible(visible);
}

void kuChartAbstractTA::setHovered(bool hovered)
{
    setOpacity(hovered ? hoverOpacity : normalOpacity);
}

void kuChartAbstractTA::setOpacity(double opacity)
{
    for (kuChartGraphicsItem* item : qAsConst(m_pool))
        item->setOpacity(opacity);
    for (kuChartAbstractTA* child : qAsConst(m_children))
        child->setOpacity(opacity);
}

QJsonObject kuChartAbstractTA::toJson()
{
    QJsonObject json = kuChartObject::toJson();
    QJsonArray children;
    for (kuChartAbstractTA* child : qAsConst(m_children))
        children.append(child->toJson());
    if (!children.isEmpty())
        json.insert(childrenKey, children);
    json.insert(kindKey, indicatorKind());
    return json;
}

void kuChartAbstractTA::fromJson(const QJsonObject& json)
{
    const QJsonValue saved = json.value(childrenKey);
    if (saved.isArray()) {
        for (const QJsonValue& element : saved.toArray()) {
            const QJsonObject childJson = element.toObject();
            const int kind = childJson.value(kindKey).toInt(0);
            for (kuChartAbstractTA* child : qAsConst(m_children)) {
                if (child->indicatorKind() == kind)
                    child->fromJson(childJson);
            }
        }
    }
    kuChartObject::fromJson(json);
}

void kuChartAbstractTA::markWholeNumbers(QJsonObject& json) const
{
    kuChartObject::markWholeNumbers(json);
    const QJsonValue saved = json.value(childrenKey);
    if (!saved.isArray())
        return;
    // Each child's parameters, found as fromJson finds them.
    QJsonArray children = saved.toArray();
    for (int i = 0; i < children.size(); ++i) {
        QJsonObject childJson = children.at(i).toObject();
        const int kind = childJson.value(kindKey).toInt(0);
        for (const kuChartAbstractTA* child : m_children) {
            if (child->indicatorKind() == kind)
                child->markWholeNumbers(childJson);
        }
        children.replace(i, childJson);
    }
    json.insert(childrenKey, children);
}

kuChartPropertyInfo kuChartAbstractTA::propertyInfo(const QString& name)
{
    static const QHash<QString, kuChartPropertyInfo> table{
            {QStringLiteral("period"), {tr("Период"), false, QVariant(QJsonObject())}},
            {QStringLiteral("chartDataSet"),
             {tr("Применить к"), false,
              QVariant(QJsonObject{
                      {tr("Open"), dsOpen}, {tr("High"), dsHigh}, {tr("Low"), dsLow}, {tr("Close"), dsClose}})}}};
    const auto it = table.constFind(name);
    return it != table.constEnd() ? *it : kuChartObject::propertyInfo(name);
}

// Drawing.

void kuChartAbstractTA::collapsePool()
{
    for (int i = 0; i < m_usedCount && i < m_pool.size(); ++i)
        m_pool.at(i)->setGeometry(0, 0, 0, 0);
}

void kuChartAbstractTA::finishPass(int drawn)
{
    const int end = m_usedCount + std::exchange(m_insertedInPass, 0);
    for (int i = drawn; i < end && i < m_pool.size(); ++i)
        m_pool.at(i)->setGeometry(0, 0, 0, 0);
    m_usedCount = std::max(m_usedCount, drawn);
}

void kuChartAbstractTA::clearDrawing()
{
    collapsePool();
    if (!m_parent && isPricePane() && caption())
        caption()->setVisible(false);
    for (kuChartAbstractTA* child : qAsConst(m_children))
        child->clearDrawing();
}

template <class Item>
Item* kuChartAbstractTA::pooledItem(int slot)
{
    if (slot < m_pool.size()) {
        if (auto* item = dynamic_cast<Item*>(m_pool.at(slot)))
            return item;
    }
    auto* item = new Item;
    item->setZValue(poolZ);
    item->addToScene(scene());
    if (QGraphicsItem* clip = paneClip())
        item->setParentItem(clip);
    m_pool.insert(std::min<int>(slot, m_pool.size()), item);
    ++m_insertedInPass;
    return item;
}

kuChartGraphicsRectItem* kuChartAbstractTA::pooledRect(int slot)
{
    return pooledItem<kuChartGraphicsRectItem>(slot);
}

void kuChartAbstractTA::repaint()
{
    kuChartCore* core = chartCore();
    if (!core || !isVisible())
        return;
    m_left = double(core->plotLeft());
    m_right = core->plotWidth();
    switch (objectType()) {
    case otIndicatorPane:
        repaintPane();
        break;
    case otHistogram:
    case otLineSeries:
    case otDots:
        if (!repaintSeries())
            return;
        break;
    default:
        break;
    }
    for (kuChartAbstractTA* child : qAsConst(m_children))
        child->repaint();
}

void kuChartAbstractTA::repaintPane()
{
    kuChartCore* core = chartCore();
    setPricePane(false);
    const int panes = std::max(1, core->visibleSubPaneCount());
    // The sub-panes share what is left below the price pane, down to the bottom margins.
    const double areaTop = double(core->paneTop()) + core->paneHeight() + marginGap;
    const double height = (core->viewHeight() - (areaTop + marginBottom + marginTop)) / panes;
    paneClip();
    if (!(height > 0)) {
        // No room for the pane: nothing of it is drawn.
        m_paneHeight = 0;
        if (m_clip)
            m_clip->setRect(QRectF());
        m_separator->setLine(0, 0, 0, 0);
        for (QGraphicsProxyWidget* proxy : qAsConst(m_headerWidgets))
            proxy->setGeometry(QRectF(0, 0, 0, 0));
        for (kuChartAbstractTA* child : qAsConst(m_children))
            child->clearDrawing();
        return;
    }
    m_paneHeight = height;

    QPair<double, double> range = valueRange();
    for (kuChartAbstractTA* child : qAsConst(m_children)) {
        const int type = child->objectType();
        if (type != otHistogram && type != otVolumeBars && type != otLineSeries)
            continue;
        const QPair<double, double> r = child->valueRange();
        range.first = std::max(range.first, r.first);
        range.second = std::min(range.second, r.second);
    }
    m_max = range.first;
    m_min = range.second;
    for (kuChartAbstractTA* child : qAsConst(m_children))
        child->setRange(range.first, range.second);

    int index = 0;
    for (kuChartObject* object : core->objects()) {
        if (object == this)
            break;
        if (object->objectType() == otIndicatorPane && object->isVisible() && !object->isDeleted())
            ++index;
    }
    m_paneTop = areaTop + index * height;

    const double bottom = m_paneTop + height;
    if (m_clip)
        m_clip->setRect(QRectF(m_left, m_paneTop, std::max(0.0, core->viewWidth() - m_left), height));
    QPen pen(core->foreColor(), 1, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
    m_separator->setPen(pen);
    m_separator->setLine(m_left + 1, bottom, core->viewWidth(), bottom);
    if (caption()) {
        if (m_clip && caption()->parentItem() != m_clip)
            caption()->setParentItem(m_clip);
        // Until the pointer gives a value, the pane still says what it shows.
        if (caption()->text().isEmpty())
            caption()->setText(label());
        caption()->setPos(m_left + 8, m_paneTop + 5);
        // A caption cut by its pane's edge would be half a text: a pane too low for it shows none.
        caption()->setVisible(caption()->sceneBoundingRect().bottom() <= bottom);
    }
    int i = 0;
    for (QGraphicsProxyWidget* proxy : qAsConst(m_headerWidgets)) {
        if (!proxy)
            continue;
        ++i;
        proxy->setGeometry(QRectF(double(core->plotRight()) - (20 * i + 4), m_paneTop + 4, 22, 22));
    }
}

QVector<kuChartAbstractTA::Point> kuChartAbstractTA::points() const
{
    const kuChartCore* core = chartCore();
    QVector<Point> result;
    const int first = std::max(0, core->firstVisible());
    const qint64 end = std::min<qint64>(m_series.size(), qint64(first) + std::max(0, core->visibleCount()));
    const double w = core->candleWidth();
    const double slot = core->candleSpacing() * w;
    result.reserve(int(std::max<qint64>(0, end - first)));
    int k = 1;
    for (int i = first; i < end; ++i, ++k) {
        const double v = m_series.at(i);
        const double x = m_right - slot * k + 1 + 0.4 * w + m_left;
        double y;
        if (isPricePane())
            y = v == 0 ? 0 : core->priceToY(v);
        else
            y = valueToY(v);
        result.append({x, y});
    }
    return result;
}

bool kuChartAbstractTA::repaintSeries()
{
    kuChartCore* core = chartCore();
    if (isPricePane()) {
        m_paneTop = double(core->paneTop());
        m_paneHeight = core->paneHeight();
    } else if (m_parent) {
        m_paneTop = m_parent->paneTop();
        m_paneHeight = m_parent->paneHeight();
    }
    const QVector<Point> pts = points();
    if (objectType() == otHistogram) {
        drawBars(pts);
        return true;
    }
    if (!m_parent) {
        if (pts.isEmpty()) {
            // Nothing to show: neither the caption nor the children keep an old picture.
            clearDrawing();
            return false;
        }
        placeCaption(pts);
    }
    if (objectType() == otLineSeries)
        drawLines(pts);
    else
        drawDots(pts);
    return true;
}

void kuChartAbstractTA::placeCaption(const QVector<Point>& pts)
{
    QGraphicsSimpleTextItem* text = caption();
    if (!text)
        return;
    if (!m_captionFilter) {
        text->setAcceptHoverEvents(true);
        m_captionFilter = new kuChartObjectAbstractTAEventFilter(this, text);
        text->installSceneEventFilter(m_captionFilter);
    }
    text->setText(label());
    // Shown only beside the newest candle and where it fits; set once, so that an unchanged
    // caption is not hidden and shown again.
    const kuChartCore* core = chartCore();
    const Point newest = pts.first();
    const double x = newest.x + 5;
    const bool shown =
            core->firstVisible() == 0 && x + text->boundingRect().width() < double(core->plotRight());
    if (shown) {
        text->setPos(x, newest.y - 12);
        text->setPen(m_pen);
    }
    text->setVisible(shown);
}

void kuChartAbstractTA::drawLines(const QVector<Point>& pts)
{
    int drawn = 0;
    if (isDeleted() || pts.size() < 2 || pts.first().y == 0) {
        finishPass(drawn);
        return;
    }
    const double top = m_paneTop;
    const double bottom = m_paneTop + m_paneHeight;
    auto inside = [&](const Point& p) { return p.x > m_left && p.y > top && p.y < bottom; };
    for (int i = 1; i < pts.size(); ++i) {
        const Point& a = pts.at(i - 1);
        const Point& b = pts.at(i);
        if (b.y == 0)
            break;
        if (!inside(a) || !inside(b))
            continue;
        auto* item = pooledItem<kuChartGraphicsLineItem>(drawn++);
        item->setGeometry(a.x, a.y, b.x, b.y);
        item->setPen(m_pen);
        item->setVisible(true);
    }
    finishPass(drawn);
}

void kuChartAbstractTA::drawBars(const QVector<Point>& pts)
{
    int drawn = 0;
    if (isDeleted()) {
        finishPass(drawn);
        return;
    }
    const double y0 = valueToY(0);
    const int w = chartCore()->candleWidth() / 4;
    QPen pen = m_pen;
    pen.setWidth(w);
    if (pen != m_barPen)
        m_barPen = pen;
    const QBrush none(Qt::NoBrush);
    for (const Point& p : pts) {
        auto* item = pooledItem<kuChartGraphicsRectItem>(drawn++);
        item->setGeometry(p.x, std::min(y0, p.y), w, std::fabs(p.y - y0));
        item->setPen(m_barPen);
        item->setBrush(none);
        item->setVisible(true);
    }
    finishPass(drawn);
}

void kuChartAbstractTA::drawDots(const QVector<Point>& pts)
{
    int drawn = 0;
    if (isDeleted() || pts.size() < 2) {
        finishPass(drawn);
        return;
    }
    const double right = double(chartCore()->plotRight());
    const double top = m_paneTop;
    const double bottom = m_paneTop + m_paneHeight;
    const QBrush fill(Qt::black, Qt::SolidPattern);
    for (const Point& p : pts) {
        if (p.y == 0)
            break;
        if (!(p.x > m_left && p.x < right && p.y > top && p.y < bottom))
            continue;
        auto* item = pooledItem<kuChartGraphicsEllipseItem>(drawn++);
        item->setGeometry(p.x, p.y, 3, 3);
        item->setBrush(fill);
        item->setPen(m_pen);
        item->setVisible(true);
    }
    finishPass(drawn);
}
