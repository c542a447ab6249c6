#include "kusortvalue.h"

#include <QDateTime>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <limits>

// The order of sort values: numbers as numbers, date-times by time, texts as
// texts, invalid values and NaN first, and one fixed order across kinds.
class tst_SortValue : public QObject
{
    Q_OBJECT

private slots:
    void pairs_data();
    void pairs();
    void strictWeakOrderOverMixedValues();
};

void tst_SortValue::pairs_data()
{
    QTest::addColumn<QVariant>("left");
    QTest::addColumn<QVariant>("right");
    QTest::addColumn<int>("expected");

    const double nan = std::nan("");
    const QDateTime morning(QDate(2026, 3, 12), QTime(10, 0), Qt::UTC);
    QTest::newRow("9 before 10") << QVariant(9) << QVariant(10) << -1;
    QTest::newRow("2.5 before 10") << QVariant(2.5) << QVariant(10) << -1;
    QTest::newRow("10 after 9.99") << QVariant(10) << QVariant(9.99) << 1;
    QTest::newRow("int equals double") << QVariant(3) << QVariant(3.0) << 0;
    QTest::newRow("float and double") << QVariant(1.5f) << QVariant(1.25) << 1;
    QTest::newRow("negative before unsigned") << QVariant(qint64(-1)) << QVariant(quint64(0)) << -1;
    QTest::newRow("unsigned 64-bit keys")
            << QVariant(quint64(18446744073709551615ull)) << QVariant(quint64(18446744073709551614ull)) << 1;
    QTest::newRow("unsigned beyond signed range")
            << QVariant(quint64(9223372036854775808ull)) << QVariant(qint64(9223372036854775807ll)) << 1;
    QTest::newRow("large integers exactly against a double")
            << QVariant(qint64(9007199254740993ll)) << QVariant(9007199254740992.0) << 1;
    QTest::newRow("bool as number") << QVariant(true) << QVariant(0.5) << 1;
    QTest::newRow("date-times by time") << QVariant(morning) << QVariant(morning.addSecs(1)) << -1;
    QTest::newRow("same instant in two zones") << QVariant(morning) << QVariant(morning.toOffsetFromUtc(10800)) << 0;
    QTest::newRow("date against date-time") << QVariant(QDate(2026, 3, 11)) << QVariant(morning) << -1;
    QTest::newRow("texts as texts") << QVariant("10") << QVariant("9") << -1;
    QTest::newRow("texts case-sensitive") << QVariant("SBER") << QVariant("sber") << -1;
    QTest::newRow("equal texts") << QVariant("ГАЗП") << QVariant("ГАЗП") << 0;
    QTest::newRow("invalid first") << QVariant() << QVariant(-1e300) << -1;
    QTest::newRow("invalid against text") << QVariant("") << QVariant() << 1;
    QTest::newRow("two invalid tie") << QVariant() << QVariant() << 0;
    QTest::newRow("invalid date-time is invalid") << QVariant(QDateTime()) << QVariant() << 0;
    QTest::newRow("NaN after invalid") << QVariant(nan) << QVariant() << 1;
    QTest::newRow("NaN before numbers") << QVariant(nan) << QVariant(-std::numeric_limits<double>::infinity()) << -1;
    QTest::newRow("NaN ties NaN") << QVariant(nan) << QVariant(float(nan)) << 0;
    QTest::newRow("numbers before date-times") << QVariant(1e18) << QVariant(morning) << -1;
    QTest::newRow("date-times before times") << QVariant(morning) << QVariant(QTime(1, 0)) << -1;
    QTest::newRow("times before texts") << QVariant(QTime(23, 0)) << QVariant("a") << -1;
    QTest::newRow("text after number") << QVariant("1") << QVariant(2) << 1;
}

void tst_SortValue::pairs()
{
    QFETCH(QVariant, left);
    QFETCH(QVariant, right);
    QFETCH(int, expected);
    const int forward = kuSortValue::compare(left, right);
    const int backward = kuSortValue::compare(right, left);
    QCOMPARE(forward < 0 ? -1 : (forward > 0 ? 1 : 0), expected);
    QCOMPARE(backward < 0 ? -1 : (backward > 0 ? 1 : 0), -expected);
}

// Every triple of a mixed list: irreflexive, asymmetric, transitive, and ties transitive.
void tst_SortValue::strictWeakOrderOverMixedValues()
{
    const double nan = std::nan("");
    const QDateTime t(QDate(2026, 1, 2), QTime(3, 4), Qt::UTC);
    const QVariantList values = {QVariant(),
                                 QVariant(nan),
                                 QVariant(-1),
                                 QVariant(0),
                                 QVariant(-0.0),
                                 QVariant(2.5),
                                 QVariant(10),
                                 QVariant(quint64(1) << 63),
                                 QVariant(std::numeric_limits<double>::infinity()),
                                 QVariant(t),
                                 QVariant(t.date()),
                                 QVariant(QTime(5, 6)),
                                 QVariant("10"),
                                 QVariant("9"),
                                 QVariant(QByteArray("9")),
                                 QVariant(QSize(1, 2)),
                                 QVariant(QPoint(1, 2))};
    auto less = [](const QVariant& a, const QVariant& b) { return kuSortValue::compare(a, b) < 0; };
    auto tie = [&](const QVariant& a, const QVariant& b) { return !less(a, b) && !less(b, a); };
    for (const QVariant& a : values) {
        QVERIFY(!less(a, a));
        for (const QVariant& b : values) {
            QVERIFY(!(less(a, b) && less(b, a)));
            for (const QVariant& c : values) {
                if (less(a, b) && less(b, c))
                    QVERIFY(less(a, c));
                if (tie(a, b) && tie(b, c))
                    QVERIFY(tie(a, c));
            }
        }
    }
    QVariantList sorted = values;
    std::stable_sort(sorted.begin(), sorted.end(), less);
    QVERIFY(!sorted.first().isValid());
    QVERIFY(std::isnan(sorted.at(1).toDouble()));
    QCOMPARE(sorted.at(2), QVariant(-1));
}

QTEST_MAIN(tst_SortValue)
#include "tst_sortvalue.moc"
