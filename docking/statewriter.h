#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QList>

#include "sectionindexrecord.h"
#include "stateheader.h"

namespace ads {

// Collects typed entries and frames them with the header and an index.
class StateWriter
{
public:
    StateWriter();

    bool writeEntry(qint32 type, const QByteArray& data);
    bool writeSectionIndex(const QList<SectionIndexRecord>& records);
    QByteArray toByteArray() const;

private:
    QBuffer _buffer;
    qint64 _entryCount = 0;
    QList<StateIndexEntry> _entries;
};

} // namespace ads
