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

Clock& serverClock()
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

void setServerDate(const QDate& date)
{
    QMutexLocker lock(&serverClock().mutex);
    serverClock().date = date;
}

void setServerTime(const QTime& time)
{
    QMutexLocker lock(&serverClock().mutex);
    serverClock().time = time;
}

bool setServerDateTime(const QDate& date, const QTime& time)
{
    if (!date.isValid() || !time.isValid())
        return false;
    QMutexLocker lock(&serverClock().mutex);
    serverClock().date = date;
    serverClock().time = time;
    return true;
}

void advanceServerClock(int seconds)
{
    QMutexLocker lock(&serverClock().mutex);
    Clock& c = serverClock();
    if (!c.date.isValid() || !c.time.isValid())
        return;
    // UTC has no daylight-saving gaps, so every day has 86400 seconds here.
    const QDateTime moved = QDateTime(c.date, c.time, Qt::UTC).addSecs(seconds);
    c.date = moved.date();
    c.time = moved.time();
}
