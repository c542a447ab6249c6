#pragma once

#include <QDate>
#include <QTime>

// The trading server's date and time as the program knows it: local date and
// time until the first server time reply, then the server's wall clock.
// Guarded, so the GUI clock and any reader may use it from any thread.
QDate serverDate();
QTime serverTime();
void setServerDate(const QDate& date);
void setServerTime(const QTime& time);
// Both or nothing: an unreadable reply must not leave a half-set or invalid clock.
bool setServerDateTime(const QDate& date, const QTime& time);
// Moves the clock on, turning the date over when the time passes midnight.
void advanceServerClock(int seconds);
