#pragma once

#include <QJsonObject>
#include <QString>
#include <QVariant>

// How one property of a chart object shows in its parameter list.
struct kuChartPropertyInfo
{
    // "unknown" marks a property that is no parameter.
    QString label;
    bool hidden = false;
    // A QJsonObject of choices, display text -> value; empty when the value is free.
    QVariant availableValue;
};
