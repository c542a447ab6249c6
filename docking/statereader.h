#pragma once

#include <QByteArray>
#include <QList>

#include "stateheader.h"

namespace ads {

// Reads the header and index of saved state bytes. The bytes come from the
// user's settings file: every count and offset is checked against them.
class StateReader
{
public:
    explicit StateReader(const QByteArray& data);

    bool readHeader();
    bool readEntry(qint32 type, QByteArray& out) const;
    QList<StateIndexEntry> entries() const { return _entries; }

private:
    QByteArray _data;
    qint64 _entryCount = 0;
    QList<StateIndexEntry> _entries;
};

} // namespace ads
