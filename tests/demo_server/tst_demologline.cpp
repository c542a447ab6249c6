#include "kudemologline.h"
#include "kudemoserver.h"

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

    // What a request line shows of its secrets: no password, no more of a session id than tells it apart.
    void maskedTarget_data()
    {
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<QByteArray>("logged");
        const QByteArray base = "/Brenholt/vlmV1.6/";
        const QByteArray session = "3f9a0c1d2e4b5a6978800112233445566778899a";
        QTest::newRow("poll") << base + "kuGetUpdates?ID=" + session << base + "kuGetUpdates?ID=3f9a***";
        QTest::newRow("id not first") << base + "kuGetQuotes?PID=1&ID=" + session + "&WT=1"
                                      << base + "kuGetQuotes?PID=1&ID=3f9a***&WT=1";
        QTest::newRow("short id kept") << base + "kuGetDateTime?ID=abcd" << base + "kuGetDateTime?ID=abcd";
        QTest::newRow("empty id") << base + "kuGetDateTime?ID=&X=1" << base + "kuGetDateTime?ID=&X=1";
        QTest::newRow("other names left")
                << base + "kuGetOrders?PID=123456&XID=123456" << base + "kuGetOrders?PID=123456&XID=123456";
        QTest::newRow("login: name kept, password masked")
                << base + "kuAuthorized?ID=TRADER01&PW=secret&VER=10603000&OS=Linux"
                << base + "kuAuthorized?ID=TRADER01&PW=***&VER=10603000&OS=Linux";
        QTest::newRow("password of another script")
                << base + "kuChangePassword?ID=" + session + "&PW=new" << base + "kuChangePassword?ID=3f9a***&PW=***";
        QTest::newRow("no query") << base + "kuGetUpdates" << base + "kuGetUpdates";
    }
    void maskedTarget()
    {
        QFETCH(QByteArray, target);
        QFETCH(QByteArray, logged);
        QCOMPARE(kuDemoServer::maskedTarget(target), logged);
    }
};

QTEST_GUILESS_MAIN(tst_DemoLogLine)
#include "tst_demologline.moc"
