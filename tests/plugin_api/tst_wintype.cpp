#include <QThread>
#include <QtTest>

#include "wintype.h"

class Emitter : public QObject
{
    Q_OBJECT
signals:
    void sent(WinType type);
};

class Receiver : public QObject
{
    Q_OBJECT
public:
    WinType got = WinType(0);
public slots:
    void take(WinType type) { got = type; }
};

class tst_WinType : public QObject
{
    Q_OBJECT
private slots:
    // Queued signals carry WinType by value only once it is registered by name.
    void queuedAcrossThreads()
    {
        registerWinType();
        registerWinType();
        QCOMPARE(QMetaType::type("WinType"), qMetaTypeId<WinType>());

        QThread worker;
        Emitter emitter;
        emitter.moveToThread(&worker);
        Receiver receiver;
        connect(&emitter, &Emitter::sent, &receiver, &Receiver::take, Qt::QueuedConnection);
        worker.start();
        QMetaObject::invokeMethod(&emitter, [&emitter] { emit emitter.sent(wtOrderBook); });
        QTRY_COMPARE(receiver.got, wtOrderBook);
        worker.quit();
        worker.wait();
    }
};

QTEST_GUILESS_MAIN(tst_WinType)
#include "tst_wintype.moc"
