#include "kuchartpropertyvalue.h"

#include <QColor>
#include <QDebug>
#include <QJsonObject>
#include <QObject>

#include <cmath>
#include <limits>

bool kuChartPropertyValue::convert(const QJsonValue& json, const QMetaProperty& property, QVariant* value)
{
    const int type = property.userType();
    switch (type) {
    case QMetaType::Bool:
        if (!json.isBool())
            return false;
        *value = json.toBool();
        return true;
    case QMetaType::Int: {
        if (!json.isDouble())
            return false;
        const double d = json.toDouble();
        if (!std::isfinite(d) || d != std::trunc(d) || d < std::numeric_limits<int>::min() ||
            d > std::numeric_limits<int>::max())
            return false;
        *value = int(d);
        return true;
    }
    case QMetaType::Double:
        if (!json.isDouble() || !std::isfinite(json.toDouble()))
            return false;
        *value = json.toDouble();
        return true;
    case QMetaType::QString:
        if (!json.isString())
            return false;
        *value = json.toString();
        return true;
    case QMetaType::QColor: {
        if (!json.isString() || !QColor::isValidColor(json.toString()))
            return false;
        *value = QColor(json.toString());
        return true;
    }
    default: {
        // Other kinds (enums and the like) only from a value Qt converts without loss.
        QVariant v = json.toVariant();
        if (!v.isValid() || !v.convert(type))
            return false;
        *value = v;
        return true;
    }
    }
}

bool kuChartPropertyValue::apply(QObject* object, const QString& name, const QJsonValue& json, bool allowed)
{
    const QByteArray key = name.toLatin1();
    const int index = allowed ? object->metaObject()->indexOfProperty(key.constData()) : -1;
    if (index < 0) {
        qWarning().noquote() << object->metaObject()->className() << "has no setting" << name << "- skipped";
        return false;
    }
    const QMetaProperty property = object->metaObject()->property(index);
    QVariant value;
    if (!property.isWritable() || !convert(json, property, &value)) {
        qWarning().noquote() << object->metaObject()->className() << "setting" << name
                             << "has a value of another kind - skipped";
        return false;
    }
    return property.write(object, value);
}

void kuChartPropertyValue::markWholeNumbers(const QObject* object, QJsonArray& params)
{
    if (!object)
        return;
    const QMetaObject* meta = object->metaObject();
    for (int i = 0; i < params.size(); ++i) {
        QJsonObject param = params.at(i).toObject();
        const QByteArray name = param.value(QStringLiteral("name")).toString().toLatin1();
        const int index = meta->indexOfProperty(name.constData());
        if (index < 0 || meta->property(index).userType() != QMetaType::Int)
            continue;
        param.insert(QStringLiteral("wholeNumber"), true);
        params.replace(i, param);
    }
}
