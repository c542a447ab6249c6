#pragma once

#include <QByteArray>
#include <QString>

class kuMsgPackReader;
class kuRepeatedWarnings;

namespace dcMessagePackImpl {

// Rejected replies repeat with every poll: each kind is logged once a minute.
kuRepeatedWarnings& repeatedWarnings();

// Unreadable replies repeat with every poll too.
void warnUnreadable(const QString& error);

// Reads a reply into the reader; an unreadable one is warned of and false.
bool readReply(kuMsgPackReader& reader, const QByteArray& hexData);

} // namespace dcMessagePackImpl
