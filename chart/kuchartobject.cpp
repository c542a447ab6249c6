#include "kuchartobject.h"

#include "kuchartcore.h"
#include "kuchartpropertyvalue.h"
#include "kugraphicsscene.h"

#include <QGraphicsSimpleTextItem>
#include <QMetaProperty>
#include <QPen>
#include <QSet>
#include <QUuid>

namespace {
const QString unknownLabel = QStringLiteral("unknown");
}

kuChartObject::kuChartObject(kuChartCore* core) : QObject(nullptr), m_core(core), m_caption(new QGraphicsSimpleTextItem)
{
    createCaption();
}

kuChartObject::~kuChartObject()
{
    if (m_caption && m_caption->scene())
        m_caption->scene()->removeItem(m_caption);
    delete m_caption;
}

void kuChartObject::createCaption()
{
    setObjectName(QUuid::createUuid().toString());
    if (!m_caption)
        return;
    QFont font = m_caption->font();
    font.setPixelSize(11);
    font.setFamily(QStringLiteral("Tahoma"));
    m_caption->setFont(font);
    if (m_core)
        m_caption->setPen(QPen(m_core->foreColor()));
    // An outlined text is costly to paint: kept as a picture until the text or its pen changes.
    m_caption->setCacheMode(QGraphicsItem::DeviceCoordinateCache);
    if (kuGraphicsScene* s = scene(); s && m_caption->scene() != s)
        s->addItem(m_caption);
}

void kuChartObject::updateCaption(int x)
{
    const QString text = valueText(m_core ? m_core->xToCandleIndex(x) : -1);
    if (!text.isEmpty() && m_caption)
        m_caption->setText(text);
}

QGraphicsItem* kuChartObject::graphicsItem()
{
    return nullptr;
}

void kuChartObject::setOpacity(double opacity)
{
    if (m_caption)
        m_caption->setOpacity(opacity);
}

QJsonObject kuChartObject::toJson()
{
    return QJsonObject{{QStringLiteral("type"), m_objectType},
                       {QStringLiteral("name"), objectName()},
                       {QStringLiteral("label"), label()},
                       {QStringLiteral("params"), params()}};
}

void kuChartObject::fromJson(const QJsonObject& json)
{
    const QJsonValue params = json.value(QStringLiteral("params"));
    if (!params.isArray())
        return;
    QSet<QString> listed;
    for (const QJsonValue& p : this->params())
        listed.insert(p.toObject().value(QStringLiteral("name")).toString());
    for (const QJsonValue& element : params.toArray()) {
        const QJsonObject param = element.toObject();
        const QString name = param.value(QStringLiteral("name")).toString();
        kuChartPropertyValue::apply(this, name, param.value(QStringLiteral("value")),
                                    listed.contains(name) && name != QLatin1String("objectName"));
    }
}

void kuChartObject::setObjectType(int type)
{
    m_objectType = type;
}

void kuChartObject::setPricePane(int pricePane)
{
    m_pricePane = pricePane;
}

void kuChartObject::setVisible(bool visible)
{
    m_visible = visible;
    if (m_caption)
        m_caption->setVisible(visible);
}

QString kuChartObject::valueText(int)
{
    return QString();
}

QJsonArray kuChartObject::params()
{
    QJsonArray list;
    kuChartPropertyValue::forEachSetting(this, [&](const QString& name, const QVariant& value) {
        const kuChartPropertyInfo info = propertyInfo(name);
        if (info.label == unknownLabel)
            return;
        list.append(QJsonObject{{QStringLiteral("name"), name},
                                {QStringLiteral("label"), info.label},
                                {QStringLiteral("value"), QJsonValue::fromVariant(value)},
                                {QStringLiteral("hidden"), info.hidden},
                                {QStringLiteral("availableValue"), info.availableValue.toJsonObject()}});
    });
    return list;
}

void kuChartObject::markWholeNumbers(QJsonObject& json) const
{
    if (!json.value(QStringLiteral("params")).isArray())
        return;
    QJsonArray list = json.value(QStringLiteral("params")).toArray();
    kuChartPropertyValue::markWholeNumbers(this, list);
    json.insert(QStringLiteral("params"), list);
}

QString kuChartObject::label()
{
    return QStringLiteral("chartObject");
}

kuChartPropertyInfo kuChartObject::propertyInfo(const QString&)
{
    return kuChartPropertyInfo{unknownLabel, true, QVariant(QJsonObject())};
}

bool kuChartObject::isIndicator() const
{
    return false;
}

void kuChartObject::recalculate()
{}

kuGraphicsScene* kuChartObject::scene() const
{
    return m_core ? m_core->scene() : nullptr;
}

bool kuChartObject::isPlaced() const
{
    return true;
}
