#include <QtTest>

#include <QFile>
#include <QTemporaryDir>

#include "kulogging.h"
#include "kulogsignal.h"

class tst_Logging : public QObject
{
    Q_OBJECT
private slots:
    void messageText_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("function");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("expected");
        QTest::newRow("debug") << int(QtDebugMsg) << QByteArray("f") << 12 << "(f:12) x";
        QTest::newRow("info") << int(QtInfoMsg) << QByteArray("f") << 12 << "(f:12) x";
        QTest::newRow("warning") << int(QtWarningMsg) << QByteArray("f") << 12 << "x >>> (f:12) ";
        QTest::newRow("critical") << int(QtCriticalMsg) << QByteArray("f") << 12 << "x >>> (f:12) ";
        QTest::newRow("fatal") << int(QtFatalMsg) << QByteArray("f") << 12 << "x >>> (f:12) ";
        QTest::newRow("no context") << int(QtDebugMsg) << QByteArray() << 0 << "(:0) x";
        QTest::newRow("signature") << int(QtInfoMsg) << QByteArray("void A::b(int)") << 7 << "(void A::b(int):7) x";
    }
    void messageText()
    {
        QFETCH(int, type);
        QFETCH(QByteArray, function);
        QFETCH(int, line);
        QFETCH(QString, expected);
        const QMessageLogContext context("file.cpp", line, function.isNull() ? nullptr : function.constData(), nullptr);
        QCOMPARE(logMessageText(QtMsgType(type), context, QStringLiteral("x")), expected);
    }

    // Debug reaches only the console; info and above also the signal and the file.
    void outputs()
    {
        QTemporaryDir dir;
        QSignalSpy lines(kuLogSignal::instance(), &kuLogSignal::on_message);
        installMessageLogging(dir.filePath("logs"));
        const QtMessageHandler previous = qInstallMessageHandler(messageHandler);
        qDebug("hidden-debug");
        qInfo("shown-info");
        qWarning("shown-warning");
        qInstallMessageHandler(previous);
        shutdownLogging();

        QCOMPARE(lines.count(), 2);
        // Every build type names the place: the function and its line.
        QVERIFY(lines.at(0).first().toString().contains(
                QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} \\[\\d+\\] info Velmoran - "
                                   "\\(void tst_Logging::outputs\\(\\):[1-9]\\d*\\) shown-info$")));
        QVERIFY(lines.at(1).first().toString().contains(
                QRegularExpression("warning Velmoran - shown-warning >>> \\(")));

        QFile file(logFilePath(dir.filePath("logs"), QDate::currentDate()));
        QVERIFY(file.fileName().endsWith(QDate::currentDate().toString("/'Velmoran'_yyyyMMdd'.log'")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString content = QString::fromUtf8(file.readAll());
        QVERIFY(content.contains("shown-info"));
        QVERIFY(content.contains(
                QRegularExpression("shown-warning >>> \\(void tst_Logging::outputs\\(\\):[1-9]\\d*\\) ")));
        QVERIFY(!content.contains("hidden-debug"));
        // The log holds account data: the user's alone.
        QCOMPARE(file.permissions() & 0x0777, QFile::ReadUser | QFile::WriteUser);
    }

    void unwritableFolder()
    {
        QTemporaryDir dir;
        const QString blocked = dir.filePath("logs");
        QFile blocker(blocked);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();

        QSignalSpy lines(kuLogSignal::instance(), &kuLogSignal::on_message);
        installMessageLogging(blocked);
        const QtMessageHandler previous = qInstallMessageHandler(messageHandler);
        qInfo("still-shown");
        qInstallMessageHandler(previous);
        shutdownLogging();
        QCOMPARE(lines.count(), 1);
        QVERIFY(lines.first().first().toString().endsWith("still-shown"));
        // The file goes to the user's own log folder instead.
        QFile file(logFilePath(userLogFolder(), QDate::currentDate()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("still-shown"));
    }
};

QTEST_GUILESS_MAIN(tst_Logging)
#include "tst_logging.moc"
