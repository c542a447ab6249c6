#pragma once

#include <QString>

class kuRepeatedWarnings;

namespace dcMessagePackImpl {

// Rejected replies repeat with every poll: each kind is logged once a minute.
kuRepeatedWarnings& repeatedWarnings();

// Unreadable replies repeat with every poll too.
void warnUnreadable(const QString& error);

} // namespace dcMessagePackImpl
