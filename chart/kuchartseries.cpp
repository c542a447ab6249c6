#include "kuchartseries.h"

#include <QCoreApplication>

QString kuChartSeries::nameOf(int timeFrame)
{
    switch (timeFrame) {
    case 1:
        // The last letter is a Latin "a": the name users know.
        return QCoreApplication::translate("kuChart", "1 минута");
    case 5:
        return QCoreApplication::translate("kuChart", "5 минут");
    case 10:
        return QCoreApplication::translate("kuChart", "10 минут");
    case 15:
        return QCoreApplication::translate("kuChart", "15 минут");
    case 30:
        return QCoreApplication::translate("kuChart", "30 минут");
    case 60:
        return QCoreApplication::translate("kuChart", "час");
    case 90:
        return QCoreApplication::translate("kuChart", "месяц");
    case 1440:
        return QCoreApplication::translate("kuChart", "день");
    case 10080:
        return QCoreApplication::translate("kuChart", "неделя");
    default:
        return QString();
    }
}
