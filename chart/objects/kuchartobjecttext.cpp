#include "kuchartobjecttext.h"

#include "kuchartcore.h"
#include "kuchartgrabitems.h"
#include "kugraphicsscene.h"
#include "kutextobjectdialog.h"

#include <QGraphicsSceneMouseEvent>
#include <QGraphicsSimpleTextItem>
#include <QLabel>
#include <QPen>

kuChartObjectTextEventFilter::kuChartObjectTextEventFilter(kuChartObjectText* owner, QGraphicsItem* parent,
                                                           double hoverOpacity, double normalOpacity)
    : kuChartObjectEventFilter(owner, parent, hoverOpacity, normalOpacity), m_text(owner)
{}

bool kuChartObjectTextEventFilter::sceneEventFilter(QGraphicsItem* watched, QEvent* event)
{
    // Every event is the label's own, a move outside the plot included.
    kuChartObjectEventFilter::sceneEventFilter(watched, event);
    return true;
}

QPointF kuChartObjectTextEventFilter::placingPoint(const QPointF& pointer) const
{
    // Centred on the pointer: the text's box starts at its origin.
    const QRectF r = m_text->textItem()->boundingRect();
    return QPointF(pointer.x() - (r.x() > 0 ? 0 : r.width() / 2), pointer.y() - (r.y() > 0 ? 0 : r.height() / 2));
}

QPointF kuChartObjectTextEventFilter::anchorPoint(const QPointF&) const
{
    return m_text->anchorPoint(m_text->anchorDateTime(), m_text->price());
}

QPointF kuChartObjectTextEventFilter::clampedToPlot(const kuChartAnchorMove& move) const
{
    const kuChartCore* core = m_text->chartCore();
    const QRectF r = m_text->textItem()->boundingRect();
    double x = move.at.x();
    double y = move.at.y();
    const double left = double(core->plotLeft());
    const double right = double(core->plotRight());
    const double top = double(core->paneTop());
    const double bottom = double(core->paneBottom());
    if (x < left)
        x = left;
    else if (x + r.width() > right)
        x = right - r.width();
    if (y < top)
        y = top;
    else if (y + r.height() > bottom)
        y = bottom - r.height();
    return QPointF(x, y);
}

bool kuChartObjectTextEventFilter::followPointer(const kuChartAnchorMove& move)
{
    kuChartCore* core = m_text->chartCore();
    if (!core)
        return false;
    const QPointF at = clampedToPlot(move);
    rewind(move);
    if (move.y)
        m_text->setPrice(core->priceAtPointer(qint64(at.y())));
    if (move.x)
        m_text->setDateTimeFromX(at.x());
    m_text->repaint();
    core->showPriceMarker(qint64(at.y()));
    return true;
}

bool kuChartObjectTextEventFilter::takeAnchor(const kuChartAnchorMove& move)
{
    const kuChartCore* core = m_text->chartCore();
    if (!core)
        return false;
    // Where the moves showed the text, there it stays: the drop takes the same corner.
    const QPointF at = clampedToPlot(move);
    if (move.x && !m_text->dateTimeAtX(at.x()).isValid())
        return false;
    rewind(move);
    if (move.x)
        m_text->setDateTimeFromX(at.x());
    if (move.y)
        m_text->setPrice(core->priceAtPointer(qint64(at.y())));
    return true;
}

bool kuChartObjectTextEventFilter::hasAnchor() const
{
    return m_text->hasAnchor();
}

void kuChartObjectTextEventFilter::doubleClicked()
{
    kuTextObjectDialog dialog;
    if (!dialog.execEdit(m_text->textItem())) {
        m_text->textItem()->removeSceneEventFilter(this);
        m_text->setDeleted(true);
    }
}

kuChartObjectText::kuChartObjectText(kuChartCore* core, const QJsonObject& json)
    : kuChartObjectBase(core), m_textItem(new QGraphicsSimpleTextItem),
      m_eventFilter(new kuChartObjectTextEventFilter(this, m_textItem, hoverOpacity, normalOpacity))
{
    setObjectType(otText);
    setPricePane(1);
    setupItems();
    m_eventFilter->begin(json, 0.7);
}

kuChartObjectText::~kuChartObjectText()
{
    delete m_eventFilter;
    dropSceneItem(m_textItem);
}

void kuChartObjectText::setupItems()
{
    if (kuGraphicsScene* s = scene(); s && m_textItem->scene() != s)
        s->addItem(m_textItem);
    if (QGraphicsSimpleTextItem* c = caption()) {
        m_textItem->setFont(c->font());
        m_textItem->setPen(c->pen());
        c->setPos(0, 0);
        c->hide();
    }
    m_textItem->setAcceptHoverEvents(true);
    m_textItem->setCursor(kuChartGrab::dragCursor);
    m_textItem->setZValue(kuChartGrab::z);
    m_textItem->installSceneEventFilter(m_eventFilter);
}

void kuChartObjectText::applyLabel(QLabel* label)
{
    if (!label)
        return;
    label->ensurePolished();
    m_textItem->setFont(label->font());
    m_textItem->setText(label->text());
    m_textItem->setPen(QPen(label->palette().color(QPalette::WindowText)));
}

bool kuChartObjectText::setDateTimeFromX(double x)
{
    return takeDateTimeAtX(x, m_anchor.dateTime);
}

void kuChartObjectText::repaint()
{
    kuChartCore* core = chartCore();
    if (!core || !isVisible())
        return;
    if (m_textItem->isVisible())
        m_textItem->hide();
    if (isDeleted() || objectType() != otText)
        return;
    const double x = xForDateTime(m_anchor.dateTime);
    const double y = core->priceToY(m_anchor.price);
    const double w = m_textItem->boundingRect().width();
    // NaN fails every test.
    if (y >= double(core->paneTop()) && y <= double(core->paneBottom()) && x >= double(core->plotLeft()) &&
        x <= double(core->plotRight()) - w) {
        m_textItem->setPos(x, y);
        m_textItem->show();
    }
}

QGraphicsItem* kuChartObjectText::graphicsItem()
{
    return m_textItem;
}

void kuChartObjectText::setOpacity(double opacity)
{
    m_textItem->setOpacity(opacity);
    kuChartObject::setOpacity(opacity);
}

void kuChartObjectText::setVisible(bool visible)
{
    m_textItem->setVisible(visible);
    kuChartObject::setVisible(visible);
    // The caption is never shown.
    if (caption())
        caption()->hide();
    if (!visible)
        m_eventFilter->cursor().release();
}

QString kuChartObjectText::label()
{
    return m_textItem->text();
}

kuChartPropertyInfo kuChartObjectText::propertyInfo(const QString& name)
{
    for (const char* own : {"text", "textColor", "textFontFamily", "textFontSize", "textFontStyle", "textFontWeight",
                            "textDecoration", "price", "candleDateTime"}) {
        if (name == QLatin1String(own))
            return {name, true, QVariant(QJsonObject())};
    }
    return kuChartObject::propertyInfo(name);
}

QString kuChartObjectText::text() const
{
    return m_textItem->text();
}

void kuChartObjectText::setText(const QString& text)
{
    m_textItem->setText(text);
}

QColor kuChartObjectText::textColor() const
{
    return m_textItem->pen().color();
}

void kuChartObjectText::setTextColor(const QColor& color)
{
    QPen pen = m_textItem->pen();
    pen.setColor(color);
    m_textItem->setPen(pen);
}

QString kuChartObjectText::textFontFamily() const
{
    return m_textItem->font().family();
}

void kuChartObjectText::setTextFontFamily(const QString& family)
{
    QFont font = m_textItem->font();
    font.setFamily(family);
    m_textItem->setFont(font);
}

int kuChartObjectText::textFontSize() const
{
    return kuTextObjectDialog::pointSizeOf(m_textItem->font());
}

void kuChartObjectText::setTextFontSize(int size)
{
    if (size <= 0)
        return;
    QFont font = m_textItem->font();
    font.setPointSize(size);
    m_textItem->setFont(font);
}

QString kuChartObjectText::textFontStyle() const
{
    return m_textItem->font().style() != QFont::StyleNormal ? QStringLiteral("italic") : QStringLiteral("normal");
}

void kuChartObjectText::setTextFontStyle(const QString& style)
{
    if (style != QLatin1String("italic"))
        return;
    QFont font = m_textItem->font();
    font.setItalic(true);
    m_textItem->setFont(font);
}

QString kuChartObjectText::textFontWeight() const
{
    return m_textItem->font().weight() < 58 ? QStringLiteral("normal") : QStringLiteral("bold");
}

void kuChartObjectText::setTextFontWeight(const QString& weight)
{
    if (weight != QLatin1String("bold"))
        return;
    QFont font = m_textItem->font();
    font.setWeight(QFont::Bold);
    m_textItem->setFont(font);
}

QString kuChartObjectText::textDecoration() const
{
    return m_textItem->font().underline() ? QStringLiteral("underline") : QStringLiteral("none");
}

void kuChartObjectText::setTextDecoration(const QString& decoration)
{
    if (decoration != QLatin1String("underline"))
        return;
    QFont font = m_textItem->font();
    font.setUnderline(true);
    m_textItem->setFont(font);
}

bool kuChartObjectText::isPlaced() const
{
    return m_eventFilter->isPlaced();
}
