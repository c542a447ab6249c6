// Settings of the chart core: the descriptors the settings dialog shows and the
// kept state a chart window hands back (settings first, then the objects).

#include "kuchartcore.h"

#include "kuchartobject.h"
#include "kuchartpropertyvalue.h"

#include <QDebug>
#include <QHash>
#include <QSet>

#include <utility>

namespace {

const QString chartSettingName = QStringLiteral("chartSetting");
const QString volumeSettingName = QStringLiteral("volumeSetting");

// The core's settings: its readable properties but the object name.
QSet<QString> settingNames(const QObject* object)
{
    QSet<QString> names;
    kuChartPropertyValue::forEachSettingProperty(
            object, [&names](const QString& name, const QMetaProperty&) { names.insert(name); });
    return names;
}

} // namespace

kuChartPropertyInfo kuChartCore::propertyInfo(const QString& name)
{
    static const QHash<QString, kuChartPropertyInfo> table = [] {
        auto row = [](const QString& label, const QJsonObject& choices = {}) {
            return kuChartPropertyInfo{label, false, QVariant(choices)};
        };
        const QJsonObject yesNo{{tr("Да"), true}, {tr("Нет"), false}};
        QHash<QString, kuChartPropertyInfo> t;
        t.insert(QStringLiteral("chartStyle"),
                 row(tr("Тип графика"),
                     {{tr("Бары"), Bars}, {tr("Линия"), Line}, {tr("Японские свечи"), JapaneseCandles}}));
        t.insert(QStringLiteral("timeFrame"), row(tr("Таймфрейм"), {{tr("1 минута"), 1},
                                                                    {tr("5 минут"), 5},
                                                                    {tr("10 минут"), 10},
                                                                    {tr("15 минут"), 15},
                                                                    {tr("30 минут"), 30},
                                                                    {tr("час"), 60},
                                                                    {tr("день"), 1440}}));
        t.insert(QStringLiteral("showGrid"), row(tr("Показывать сетку"), yesNo));
        t.insert(QStringLiteral("showRuller"), row(tr("Показывать курсор"), yesNo));
        t.insert(QStringLiteral("backColor"), row(tr("Цвет заднего фона")));
        t.insert(QStringLiteral("foreColor"), row(tr("Цвет переднего фона")));
        t.insert(QStringLiteral("gridColor"), row(tr("Цвет сетки")));
        t.insert(QStringLiteral("cursorColor"), row(tr("Цвет курсора")));
        t.insert(QStringLiteral("barColor"), row(tr("Цвет бара")));
        t.insert(QStringLiteral("lineColor"), row(tr("Цвет линии")));
        t.insert(QStringLiteral("candleUpColor"), row(tr("Цвет растущей свечи")));
        t.insert(QStringLiteral("candleDownColor"), row(tr("Цвет падающей свечи")));
        t.insert(QStringLiteral("shadowUpColor"), row(tr("Цвет тени растущей свечи")));
        t.insert(QStringLiteral("shadowDownColor"), row(tr("Цвет тени падающей свечи")));
        t.insert(QStringLiteral("lineThickness"), row(tr("Толщина линии")));
        return t;
    }();
    return table.value(name, kuChartPropertyInfo{tr("Свойство"), false, QVariant(QJsonObject())});
}

QJsonObject kuChartCore::settingsDescriptor() const
{
    QJsonArray params;
    kuChartPropertyValue::forEachSetting(this, [&](const QString& name, const QVariant& value) {
        const kuChartPropertyInfo info = propertyInfo(name);
        params.append(QJsonObject{{QStringLiteral("availableValue"), info.availableValue.toJsonObject()},
                                  {QStringLiteral("label"), info.label},
                                  {QStringLiteral("hidden"), false},
                                  {QStringLiteral("name"), name},
                                  {QStringLiteral("value"), QJsonValue::fromVariant(value)}});
    });
    return QJsonObject{{QStringLiteral("name"), chartSettingName},
                       {QStringLiteral("label"), tr("Настройка графика")},
                       {QStringLiteral("params"), params}};
}

QJsonObject kuChartCore::volumeSettings() const
{
    QJsonObject json = m_volumeObject ? m_volumeObject->toJson() : QJsonObject();
    json.insert(QStringLiteral("name"), volumeSettingName);
    json.insert(QStringLiteral("label"), tr("Настройка объема"));
    return json;
}

void kuChartCore::setPendingState(const QJsonObject& state)
{
    m_pendingState = state;
}

void kuChartCore::applyPendingState()
{
    // Before the first series is shown a kept time frame would find nothing: it waits.
    if (m_pendingState.isEmpty() || !m_chartReady)
        return;
    const QJsonObject state = std::exchange(m_pendingState, QJsonObject());
    if (state.contains(QStringLiteral("settings")))
        applySettings(state.value(QStringLiteral("settings")).toArray());
    if (state.contains(QStringLiteral("object")))
        restoreObjects(state.value(QStringLiteral("object")).toArray());
}

void kuChartCore::applySettings(const QJsonArray& settings)
{
    if (settings.isEmpty())
        return;
    auto find = [&settings](const QString& name) {
        for (const QJsonValue& element : settings) {
            const QJsonObject object = element.toObject();
            if (object.value(QStringLiteral("name")).toString() == name)
                return object;
        }
        return QJsonObject();
    };
    const QJsonObject chart = find(chartSettingName);
    if (!chart.isEmpty()) {
        const QSet<QString> names = settingNames(this);
        for (const QJsonValue& element : chart.value(QStringLiteral("params")).toArray()) {
            const QJsonObject param = element.toObject();
            const QString name = param.value(QStringLiteral("name")).toString();
            kuChartPropertyValue::apply(this, name, param.value(QStringLiteral("value")), names.contains(name));
        }
    }
    const QJsonObject volume = find(volumeSettingName);
    if (!volume.isEmpty() && m_volumeObject)
        m_volumeObject->fromJson(volume);
}

void kuChartCore::restoreObjects(const QJsonArray& objects)
{
    for (const QJsonValue& element : objects) {
        const QJsonObject json = element.toObject();
        const QString name = json.value(QStringLiteral("name")).toString();
        if (name.isEmpty())
            continue;
        if (kuChartObject* existing = objectByName(name)) {
            existing->fromJson(json);
            continue;
        }
        // The file is outside data: a type is checked before it becomes one.
        const QJsonValue type = json.value(QStringLiteral("type"));
        const int value = type.toInt(otNone);
        if (value <= otNone || value > otDots) {
            qWarning() << "Chart object" << name << "of unknown type" << type << "not restored";
            continue;
        }
        kuChartObject* object = createObject(kuChartObjectType(value), json);
        if (object && !object->isPlaced()) {
            // Drawn nowhere, it would only come back at every save.
            qWarning() << "Chart object" << name << "of type" << value << "has no valid anchor - not restored";
            delete object;
            continue;
        }
        if (object)
            appendObject(object);
    }
}
