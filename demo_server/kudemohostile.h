#pragma once

#include <QByteArray>
#include <QString>

// Bodies of a server that answers badly, for trying the terminal's defences.
namespace kuDemoHostile {

enum Mode
{
    None = 0,
    Oversized, // a valid reply of the given size (hex text), an array of doubles
    Gzip,      // the real reply, gzip-encoded
    GzipBomb,  // gzip of the given size of hex digits that never form one value
    CutOff,    // announces the whole body, sends half of it, then closes
    Slow,      // the head at once, the body in pieces spread over the given time
    Hang,      // never answers, keeps the connection open
    NoSession, // a login reply whose session is nil
    HugeIcon,  // the catalogue's icons are PNGs declaring 20000 x 20000 pixels
};

// "oversized", "gzip", ...; None for an unknown name.
Mode fromName(const QString& name);
QString name(Mode mode);
QString names(); // all of them, comma-separated, for --help

// A valid MessagePack array of doubles whose hex text is about hexBytes long.
QByteArray oversizedHex(int hexBytes);
// gzip of bytes (deflate with a gzip wrapper).
QByteArray gzip(const QByteArray& bytes);
// gzip of inflatedBytes hex zeros, made without holding them all; cached per size.
QByteArray gzipBomb(qint64 inflatedBytes);
// A well-formed 1-bit grey PNG of width x height (all black), small on the wire.
QByteArray hugePng(int width = 20000, int height = 20000);

} // namespace kuDemoHostile
