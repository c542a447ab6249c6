#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "sectionindexrecord.h"

class QDataStream;

namespace ads {

// One node of the saved splitter tree.
struct HierarchyNode
{
    enum Kind
    {
        Missing = -1,
        Empty = 0,
        Splitter = 1,
        Section = 2
    };

    qint32 kind = Missing;
    qint32 orientation = 0;
    QList<int> sizes;
    QList<HierarchyNode> children;
    qint32 currentIndex = 0;
    QList<SectionIndexItem> items;
};

struct FloatingRecord
{
    QString uniqueName;
    QByteArray geometry;
    bool visible = false;
};

// The hierarchy entry of a saved state, decoded in full before anything is
// rebuilt, so that damaged bytes change nothing. Every count and length is
// checked against the bytes that remain.
class StateHierarchy
{
public:
    static constexpr qint32 Magic = 0x1337;
    static constexpr qint32 Version = 1;
    // Deeper trees are no layout a person made; refusing them keeps the stack safe.
    static constexpr int MaxDepth = 64;

    // False for damaged bytes. Bytes of another magic or version parse as
    // "not a hierarchy" (isHierarchy false).
    bool parse(const QByteArray& data);

    bool isHierarchy() const { return _isHierarchy; }
    QList<FloatingRecord> floatings;
    qint32 mainItemCount = 0;
    HierarchyNode root;
    QStringList hiddenNames;

private:
    bool readNode(QDataStream& in, HierarchyNode& node, int depth);
    bool _isHierarchy = false;
};

} // namespace ads
