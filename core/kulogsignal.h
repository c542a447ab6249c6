#pragma once

#include <QObject>

// Carries every log line from INFO up to whoever shows the log (windows connect here).
// Emitted on the thread that logged; receivers in other threads get it queued.
class kuLogSignal : public QObject
{
    Q_OBJECT
public:
    static kuLogSignal* instance();

signals:
    void on_message(QString line);

private:
    kuLogSignal() = default;
};
