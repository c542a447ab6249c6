#include "kudemologline.h"

#include <QDateTime>
#include <QtTest>

#include <ctime>

class tst_DemoLogLine : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // A zone with summer time, so the hour changes under the line.
        qputenv("TZ", "Europe/Berlin");
        tzset();
    }

    void readsAsBefore_data()
    {
        QTest::addColumn<qint64>("msecs");
        const qint64 springForward = 1711846800000; // 2024-03-31 01:00 UTC
        const qint64 fallBack = 1729990800000;      // 2024-10-27 01:00 UTC
        QTest::newRow("epoch") << qint64(0);
        QTest::newRow("before the epoch") << qint64(-1);
        QTest::newRow("ordinary") << qint64(1765270800123);
        QTest::newRow("same second, later") << qint64(1765270800999);
        QTest::newRow("next second") << qint64(1765270801000);
        QTest::newRow("before summer time") << springForward - 1;
        QTest::newRow("summer time") << springForward;
        QTest::newRow("last summer hour") << fallBack - 500;
        QTest::newRow("winter time again") << fallBack + 1;
    }

    // The same text as the message pattern "%{time yyyy-MM-dd HH:mm:ss.zzz} %{message}" gave.
    void readsAsBefore()
    {
        QFETCH(qint64, msecs);
        const QString message = QStringLiteral("GET /Brenholt/vlmV1.6/kuGetDateTime?ID=x -> 200, 24 bytes");
        const QString before =
                QDateTime::fromMSecsSinceEpoch(msecs).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")) +
                QLatin1Char(' ') + message;
        QCOMPARE(QString::fromLocal8Bit(kuDemoLogLine::format(msecs, message)), before);
    }
};

QTEST_GUILESS_MAIN(tst_DemoLogLine)
#include "tst_demologline.moc"
