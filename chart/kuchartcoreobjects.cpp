// Objects of the chart core: the drawings and indicators it owns, found by name,
// shown, hidden, removed and made from their JSON.

#include "kuchartcore.h"

#include "kuchartmakers.h"
#include "kuchartobject.h"

void kuChartCore::appendObject(kuChartObject* object)
{
    if (object && !m_objects.contains(object))
        m_objects.append(object);
}

kuChartObject* kuChartCore::objectByName(const QString& name) const
{
    for (kuChartObject* object : m_objects) {
        if (object->objectName() == name)
            return object;
    }
    return nullptr;
}

int kuChartCore::removeObject(kuChartObject* object)
{
    const int index = object ? m_objects.indexOf(object) : -1;
    if (index < 0)
        return m_objects.size();
    m_objects.removeAt(index);
    delete object;
    return index;
}

void kuChartCore::showAllObjects()
{
    for (kuChartObject* object : qAsConst(m_objects)) {
        if (!object->isDeleted())
            object->setVisible(true);
    }
}

void kuChartCore::hideAllObjects()
{
    for (kuChartObject* object : qAsConst(m_objects)) {
        if (!object->isDeleted())
            object->setVisible(false);
    }
}

int kuChartCore::visibleSubPaneCount() const
{
    int count = m_volumeObject && m_volumeObject->isVisible() ? 1 : 0;
    for (const kuChartObject* object : m_objects) {
        if (!object->isDeleted() && object->isVisible() && object->objectType() == otIndicatorPane)
            ++count;
    }
    return count;
}

kuChartObject* kuChartCore::createObject(kuChartObjectType type, const QJsonObject& json)
{
    switch (type) {
    case otText:
    case otVerticalLine:
    case otHorizontalLine:
    case otTrendLine:
    case otFibo:
    case otFiboArcs:
    case otFiboChannel:
        break;
    case otIndicatorPane:
    case otLineSeries:
    case otDots:
        // Indicators are made by their kind.
        if (!json.contains(QStringLiteral("indType")))
            return nullptr;
        break;
    default:
        return nullptr;
    }
    const kuChartMakers::ObjectMaker make = kuChartMakers::objectMaker(type);
    return make ? make(this, json) : nullptr;
}
