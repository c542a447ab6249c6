#include "serverclock.h"

#include <QDateTime>
#include <QMutex>

namespace {

struct Clock
{
    QMutex mutex;
    QDate date = QDate::currentDate();
    QTime time = QTime::currentTime();
};

Clock &serverClock()
{
    static Clock c;
    return c;
}

} // namespace

QDate serverDate()
{
    QMutexLocker lock(&serverClock().mutex);
    return serverClock().date;
}

QTime serverTime()
{
    QMutexLocker lock(&serverClock().mutex);
    return serverClock().time;
}

void setServerDate(const QDate &date)
{
    QMutexLocker lock(&serverClock().mutex);
    serverClock().date = date;
}

void setServerTime(const QTime &time)
{
    QMutexLocker lock(&serverClock().mutex);
    serverClock().time = time;
}
