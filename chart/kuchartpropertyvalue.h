#pragma once

#include <QJsonArray>
#include <QJsonValue>
#include <QMetaObject>
#include <QMetaProperty>
#include <QObject>
#include <QString>
#include <QVariant>

// Saved and edited chart states are outside data: a value is set on a property
// only when it is of the property's kind (a number for an int, true or false for
// a bool, a colour name for a colour, text for text).
class kuChartPropertyValue
{
public:
    // The value as the property's type, or false when it does not convert.
    static bool convert(const QJsonValue& json, const QMetaProperty& property, QVariant* value);
    // Sets the named property of `object` when `allowed` and the value converts;
    // otherwise logs and leaves it. Returns whether it was set.
    static bool apply(QObject* object, const QString& name, const QJsonValue& json, bool allowed);

    // JSON numbers do not tell whole ones: each parameter ("name", "value") of the list that
    // is an int property of `object` gets "wholeNumber" true, for the settings dialog to refuse
    // a fraction that the object would skip.
    static void markWholeNumbers(const QObject* object, QJsonArray& params);

    // Calls f(name, property) for every readable property the settings show
    // ("objectName" is never one of them).
    template <typename F>
    static void forEachSettingProperty(const QObject* object, F f)
    {
        const QMetaObject* meta = object->metaObject();
        for (int i = 0; i < meta->propertyCount(); ++i) {
            const QMetaProperty property = meta->property(i);
            const QString name = QString::fromLatin1(property.name());
            if (property.isReadable() && name != QLatin1String("objectName"))
                f(name, property);
        }
    }

    // Calls f(name, value) for the same properties.
    template <typename F>
    static void forEachSetting(const QObject* object, F f)
    {
        forEachSettingProperty(
                object, [&](const QString& name, const QMetaProperty& property) { f(name, property.read(object)); });
    }
};
