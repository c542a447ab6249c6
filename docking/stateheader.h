#pragma once

#include <QtGlobal>

namespace ads {

// Outer frame of saved docking state bytes (QDataStream version 11, big-endian).
struct StateHeader
{
    static constexpr qint32 Magic = 0x1337;
    static constexpr qint32 MajorVersion = 2;
    static constexpr qint32 MinorVersion = 0;
    static constexpr int Size = 12;

    qint32 magic = Magic;
    qint32 majorVersion = MajorVersion;
    qint32 minorVersion = MinorVersion;
};

struct StateIndexEntry
{
    enum Type
    {
        HierarchyEntry = 1,
        SectionIndexEntry = 2
    };
    static constexpr int Size = 20;

    qint32 type = 0;
    qint64 offset = 0;
    qint64 length = 0;
};

} // namespace ads
