#include "kuchartmakers.h"

#include <QHash>

namespace {

struct Makers
{
    QHash<int, kuChartMakers::ObjectMaker> objects;
    kuChartMakers::ObjectMaker volume;
    kuChartMakers::IndicatorChooser chooser;
};

Makers& makers()
{
    static Makers m;
    return m;
}

} // namespace

void kuChartMakers::setObjectMaker(kuChartObjectType type, ObjectMaker make)
{
    if (make)
        makers().objects.insert(int(type), std::move(make));
    else
        makers().objects.remove(int(type));
}

kuChartMakers::ObjectMaker kuChartMakers::objectMaker(int type)
{
    return makers().objects.value(type);
}

void kuChartMakers::setVolumeMaker(ObjectMaker make)
{
    makers().volume = std::move(make);
}

kuChartMakers::ObjectMaker kuChartMakers::volumeMaker()
{
    return makers().volume;
}

void kuChartMakers::setIndicatorChooser(IndicatorChooser choose)
{
    makers().chooser = std::move(choose);
}

kuChartMakers::IndicatorChooser kuChartMakers::indicatorChooser()
{
    return makers().chooser;
}
