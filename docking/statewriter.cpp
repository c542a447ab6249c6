#include "statewriter.h"

#include <QDataStream>

namespace ads {

StateWriter::StateWriter()
{
    _buffer.open(QIODevice::ReadWrite);
}

bool StateWriter::writeEntry(qint32 type, const QByteArray& data)
{
    StateIndexEntry entry;
    entry.type = type;
    entry.offset = _buffer.pos();
    entry.length = data.size();
    _buffer.write(data);
    _entries.append(entry);
    ++_entryCount;
    return true;
}

bool StateWriter::writeSectionIndex(const QList<SectionIndexRecord>& records)
{
    StateIndexEntry entry;
    entry.type = StateIndexEntry::SectionIndexEntry;
    entry.offset = _buffer.pos();

    QDataStream out(&_buffer);
    out.setVersion(QDataStream::Qt_4_5);
    out << qint32(records.size());
    for (const SectionIndexRecord& r : records) {
        out << r.x << r.y << r.width << r.height << r.currentIndex << qint32(r.items.size());
        for (const SectionIndexItem& item : r.items)
            out << item.uniqueName << item.visible << item.index;
    }
    entry.length = _buffer.size() - entry.offset;
    _entries.append(entry);
    ++_entryCount;
    return true;
}

QByteArray StateWriter::toByteArray() const
{
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_5);
    out << StateHeader::Magic << StateHeader::MajorVersion << StateHeader::MinorVersion;

    const qint64 indexPos = out.device()->pos();
    auto writeIndex = [&](qint64 shift) {
        out << _entryCount;
        for (const StateIndexEntry& e : _entries)
            out << e.type << qint64(e.offset + shift) << e.length;
    };
    writeIndex(0);
    // Offsets are absolute: they start after the header and the index.
    const qint64 dataPos = out.device()->pos();
    out.device()->seek(indexPos);
    writeIndex(dataPos);
    out.device()->seek(dataPos);
    out.writeRawData(_buffer.data().constData(), _buffer.data().size());
    return data;
}

} // namespace ads
