#pragma once

#include <QByteArray>
#include <QString>

// The server's log line: local time to the millisecond, a blank, the message.
// It reads as the message pattern "%{time yyyy-MM-dd HH:mm:ss.zzz} %{message}"
// printed it, but looks the time zone up once a second instead of once a line.
class kuDemoLogLine
{
public:
    // Every message of the process goes to stderr as one such line.
    static void install();
    // The line of a message logged at msecs since the epoch, without the line feed.
    static QByteArray format(qint64 msecsSinceEpoch, const QString& message);
};
