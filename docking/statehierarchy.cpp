#include "statehierarchy.h"

#include <QDataStream>
#include <QDebug>
#include <QIODevice>
#include <QtEndian>

namespace ads {

namespace {

qint64 remaining(QDataStream& in)
{
    return in.device()->bytesAvailable();
}

bool ok(QDataStream& in)
{
    return in.status() == QDataStream::Ok;
}

// A count that claims more records than the bytes could hold is damage.
bool readCount(QDataStream& in, qint32& count, int minRecordSize)
{
    in >> count;
    return ok(in) && count >= 0 && count <= remaining(in) / minRecordSize;
}

bool readString(QDataStream& in, QString& s)
{
    quint32 bytes = 0;
    in >> bytes;
    if (!ok(in))
        return false;
    if (bytes == 0xFFFFFFFFu) {
        s = QString();
        return true;
    }
    if ((bytes & 1) || bytes > remaining(in))
        return false;
    QByteArray raw(int(bytes), Qt::Uninitialized);
    if (in.readRawData(raw.data(), int(bytes)) != int(bytes))
        return false;
    s.resize(int(bytes / 2));
    for (int i = 0; i < s.size(); ++i)
        s[i] = QChar(qFromBigEndian<quint16>(raw.constData() + 2 * i));
    return true;
}

bool readBytes(QDataStream& in, QByteArray& b)
{
    quint32 bytes = 0;
    in >> bytes;
    if (!ok(in))
        return false;
    if (bytes == 0xFFFFFFFFu) {
        b = QByteArray();
        return true;
    }
    if (bytes > remaining(in))
        return false;
    b.resize(int(bytes));
    return in.readRawData(b.data(), int(bytes)) == int(bytes);
}

bool readIntList(QDataStream& in, QList<int>& list)
{
    quint32 count = 0;
    in >> count;
    if (!ok(in) || count > remaining(in) / 4)
        return false;
    list.clear();
    list.reserve(int(count));
    for (quint32 i = 0; i < count; ++i) {
        qint32 v = 0;
        in >> v;
        list.append(v);
    }
    return ok(in);
}

} // namespace

bool StateHierarchy::parse(const QByteArray& data)
{
    *this = StateHierarchy();
    QDataStream in(data);
    in.setVersion(QDataStream::Qt_4_5);

    qint32 magic = 0;
    qint32 version = 0;
    in >> magic >> version;
    if (!ok(in) || magic != Magic || version != Version)
        return true;
    _isHierarchy = true;

    // Name, geometry and flag take at least 9 bytes.
    qint32 floatingCount = 0;
    if (!readCount(in, floatingCount, 9)) {
        qWarning("Damaged docking state: floating count");
        return false;
    }
    for (qint32 i = 0; i < floatingCount; ++i) {
        FloatingRecord rec;
        if (!readString(in, rec.uniqueName) || !readBytes(in, rec.geometry)) {
            qWarning("Damaged docking state: floating record");
            return false;
        }
        in >> rec.visible;
        if (!ok(in)) {
            qWarning("Damaged docking state: floating record");
            return false;
        }
        floatings.append(rec);
    }

    in >> mainItemCount;
    if (!ok(in)) {
        qWarning("Damaged docking state: main item count");
        return false;
    }
    if (mainItemCount != 0 && mainItemCount != 1)
        return true;
    if (mainItemCount == 1 && !readNode(in, root, 0))
        return false;

    qint32 hiddenCount = 0;
    if (!readCount(in, hiddenCount, 4)) {
        qWarning("Damaged docking state: hidden count");
        return false;
    }
    for (qint32 i = 0; i < hiddenCount; ++i) {
        QString name;
        if (!readString(in, name)) {
            qWarning("Damaged docking state: hidden name");
            return false;
        }
        hiddenNames.append(name);
    }
    return true;
}

bool StateHierarchy::readNode(QDataStream& in, HierarchyNode& node, int depth)
{
    if (depth > MaxDepth) {
        qWarning("Damaged docking state: splitters nested too deep");
        return false;
    }
    if (in.atEnd()) {
        node.kind = HierarchyNode::Missing;
        return true;
    }
    in >> node.kind;
    if (!ok(in))
        return false;

    if (node.kind == HierarchyNode::Splitter) {
        qint32 childCount = 0;
        in >> node.orientation;
        if (!ok(in) || (node.orientation != Qt::Horizontal && node.orientation != Qt::Vertical) ||
            !readCount(in, childCount, 4) || !readIntList(in, node.sizes)) {
            qWarning("Damaged docking state: splitter");
            return false;
        }
        for (qint32 i = 0; i < childCount; ++i) {
            HierarchyNode child;
            if (!readNode(in, child, depth + 1))
                return false;
            node.children.append(child);
        }
        return true;
    }

    if (node.kind == HierarchyNode::Section) {
        qint32 count = 0;
        in >> node.currentIndex;
        // Name, flag and index take at least 9 bytes.
        if (!ok(in) || !readCount(in, count, 9)) {
            qWarning("Damaged docking state: section");
            return false;
        }
        for (qint32 i = 0; i < count; ++i) {
            SectionIndexItem item;
            if (!readString(in, item.uniqueName)) {
                qWarning("Damaged docking state: section item");
                return false;
            }
            in >> item.visible >> item.index;
            if (!ok(in)) {
                qWarning("Damaged docking state: section item");
                return false;
            }
            node.items.append(item);
        }
        return true;
    }
    return true;
}

} // namespace ads
