#pragma once

#include <QByteArray>
#include <QString>

// The server's texts are KOI8-R. One table for all 256 bytes, so a text
// costs no converter object (QTextCodec opens one for every call).
namespace kuKoi8r {

QString toUnicode(const char* data, int size);

inline QString toUnicode(const QByteArray& bytes)
{
    return toUnicode(bytes.constData(), bytes.size());
}

} // namespace kuKoi8r
