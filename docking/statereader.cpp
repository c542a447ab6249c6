#include "statereader.h"

#include <QDataStream>
#include <QDebug>

namespace ads {

StateReader::StateReader(const QByteArray& data) : _data(data)
{}

bool StateReader::readHeader()
{
    _entryCount = 0;
    _entries.clear();

    QDataStream in(_data);
    in.setVersion(QDataStream::Qt_4_5);
    StateHeader header;
    in >> header.magic >> header.majorVersion >> header.minorVersion;
    if (in.status() != QDataStream::Ok) {
        qWarning("invalid format (state too short)");
        return false;
    }
    if (header.magic != StateHeader::Magic) {
        qWarning().noquote() << QString::fromLatin1("invalid format (magic=%1)").arg(header.magic);
        return false;
    }
    if (header.majorVersion != StateHeader::MajorVersion) {
        qWarning().noquote() << QString::fromLatin1("format is too new (major=%1; minor=%2)")
                                        .arg(header.majorVersion)
                                        .arg(header.minorVersion);
        return false;
    }

    qint64 count = 0;
    in >> count;
    const qint64 remaining = in.device()->bytesAvailable();
    if (in.status() != QDataStream::Ok || count < 0 || count > remaining / StateIndexEntry::Size) {
        qWarning().noquote() << "invalid format (entry count" << count << "with" << remaining << "bytes left)";
        return false;
    }

    QList<StateIndexEntry> entries;
    for (qint64 i = 0; i < count; ++i) {
        StateIndexEntry e;
        in >> e.type >> e.offset >> e.length;
        if (in.status() != QDataStream::Ok)
            return false;
        if (e.offset < 0 || e.length < 0 || e.offset > _data.size() || e.length > _data.size() - e.offset) {
            qWarning().noquote() << "invalid format (entry" << e.type << "at" << e.offset << "length" << e.length
                                 << "outside" << _data.size() << "bytes)";
            return false;
        }
        entries.append(e);
    }
    _entryCount = count;
    _entries = entries;
    return !in.atEnd();
}

bool StateReader::readEntry(qint32 type, QByteArray& out) const
{
    for (const StateIndexEntry& e : _entries) {
        if (e.type != type)
            continue;
        if (e.offset == 0)
            return false;
        // Bounds were checked by readHeader.
        out.append(_data.constData() + e.offset, int(e.length));
        return true;
    }
    return false;
}

} // namespace ads
