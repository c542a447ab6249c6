#pragma once

#include <QMutex>
#include <QQueue>

// Poll replies handed to the converter and not yet decoded, oldest first. While
// a reply of a kind waits, no new poll of that kind goes out, so a server that
// answers faster than the replies can be decoded cannot pile them up. The
// converter decodes in arrival order, so each acknowledgement is for the oldest.
// Thread-safe: the polling thread hands over, the converter acknowledges.
class kuDecodeGate
{
public:
    // Off (the default) nothing waits: no receiver acknowledges.
    void setEnabled(bool enabled);
    bool isEnabled() const;
    bool isWaiting(int kind) const;
    void handedOver(int kind);
    void decoded();
    int waitingCount() const;

private:
    mutable QMutex m_lock;
    QQueue<int> m_kinds;
    bool m_enabled = false;
};
