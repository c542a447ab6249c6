#pragma once

#include <QList>
#include <QString>

namespace ads {

struct SectionIndexItem
{
    QString uniqueName;
    bool visible = true;
    qint32 index = 0;
};

// Where a section sat and what it showed; saved for readers of the state, not restored.
struct SectionIndexRecord
{
    qint32 x = 0;
    qint32 y = 0;
    qint32 width = 0;
    qint32 height = 0;
    qint32 currentIndex = 0;
    QList<SectionIndexItem> items;
};

} // namespace ads
