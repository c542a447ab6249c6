#pragma once

#include <QVariant>

// Total order of the sort values of list rows: invalid values, then NaN, then
// numbers of any type (compared exactly, unsigned 64-bit included), then
// dates and date-times by time, then times of day, then texts, then anything
// else by type and text. A strict weak ordering for every input.
class kuSortValue
{
public:
    // Negative when left sorts before right, 0 when they tie, positive otherwise.
    static int compare(const QVariant& left, const QVariant& right);
};
