#include "serverclock.h"

#include <QtTest>

class tst_ServerClock : public QObject
{
    Q_OBJECT

private slots:
    void advance_data();
    void advance();
    void invalidValuesAreRefused_data();
    void invalidValuesAreRefused();
};

void tst_ServerClock::advance_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QDate>("expectedDate");
    QTest::addColumn<QTime>("expectedTime");

    QTest::newRow("within the day") << QDate(2026, 12, 9) << QTime(14, 5, 0) << 1 << QDate(2026, 12, 9)
                                    << QTime(14, 5, 1);
    QTest::newRow("midnight") << QDate(2026, 12, 9) << QTime(23, 59, 59) << 1 << QDate(2026, 12, 10) << QTime(0, 0, 0);
    QTest::newRow("new year") << QDate(2026, 12, 31) << QTime(23, 59, 59) << 1 << QDate(2027, 1, 1) << QTime(0, 0, 0);
    QTest::newRow("leap day") << QDate(2028, 2, 28) << QTime(23, 59, 30) << 45 << QDate(2028, 2, 29) << QTime(0, 0, 15);
    // Local daylight-saving changes must not shift the exchange clock.
    QTest::newRow("european clock change night")
            << QDate(2026, 3, 29) << QTime(1, 59, 59) << 1 << QDate(2026, 3, 29) << QTime(2, 0, 0);
}

void tst_ServerClock::advance()
{
    QFETCH(QDate, date);
    QFETCH(QTime, time);
    QFETCH(int, seconds);
    QVERIFY(setServerDateTime(date, time));
    advanceServerClock(seconds);
    QTEST(serverDate(), "expectedDate");
    QTEST(serverTime(), "expectedTime");
}

void tst_ServerClock::invalidValuesAreRefused_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QTime>("time");
    QTest::newRow("no date") << QDate() << QTime(10, 0, 0);
    QTest::newRow("no time") << QDate(2026, 1, 2) << QTime();
    QTest::newRow("neither") << QDate() << QTime();
}

void tst_ServerClock::invalidValuesAreRefused()
{
    QFETCH(QDate, date);
    QFETCH(QTime, time);
    QVERIFY(setServerDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)));
    QVERIFY(!setServerDateTime(date, time));
    QCOMPARE(serverDate(), QDate(2001, 2, 3));
    QCOMPARE(serverTime(), QTime(4, 5, 6));
}

QTEST_APPLESS_MAIN(tst_ServerClock)
#include "tst_serverclock.moc"
