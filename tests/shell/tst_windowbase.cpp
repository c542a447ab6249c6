#include <QJsonArray>
#include <QSignalSpy>
#include <QtTest>

#include "fakesession.h"
#include "kuabstractdataconverter.h"
#include "kuwindowbase.h"
#include "testwindow.h"

namespace {

// An order book as the base sees it: two saved parameters, one stream.
class BookWindow : public kuWindowBase
{
    Q_OBJECT
    Q_PROPERTY(int depth MEMBER depth)
    Q_PROPERTY(QString columnState MEMBER columnState)
public:
    explicit BookWindow(int paper) { setPaperID(paper); }
    WinType winType() const override { return wtOrderBook; }
    QJsonObject saveSettings() override
    {
        QJsonObject o = kuWindowBase::saveSettings();
        QJsonArray params;
        params << QJsonObject{{"name", "depth"}, {"label", "Глубина"}, {"value", depth}}
               << QJsonObject{{"name", "columnState"}, {"label", ""}, {"value", columnState}};
        o.insert("settings", QJsonArray{QJsonObject{{"name", "bookSetting"}, {"label", ""}, {"params", params}}});
        return o;
    }
    void subscribe() override
    {
        const QPointer<kuAbstractConn> conn = streamConnection();
        if (!conn)
            return;
        connect(converter(), &kuAbstractDataConverter::on_snapshotOrderBook, this, &BookWindow::snapshot,
                Qt::UniqueConnection);
        conn->getOrderBook(paperID());
    }
    void snapshot(int paper, QJsonArray)
    {
        if (paper == paperID()) {
            ++snapshots;
            hideLightBox();
        }
    }
    void setPaper(int paper) { setPaperID(paper); }

    int depth = 10;
    QString columnState = "A";
    int snapshots = 0;
};

QJsonObject group(const QJsonArray& params)
{
    return QJsonObject{{"name", "g"}, {"label", ""}, {"params", params}};
}

QJsonObject param(const QString& name, const QJsonValue& value)
{
    return QJsonObject{{"name", name}, {"label", ""}, {"value", value}};
}

} // namespace

class tst_WindowBase : public QObject
{
    Q_OBJECT

private slots:
    void restoreSettings_data()
    {
        QTest::addColumn<QJsonObject>("saved");
        QTest::addColumn<int>("depth");
        QTest::addColumn<QString>("columnState");
        QTest::newRow("empty object") << QJsonObject{} << 10 << "A";
        QTest::newRow("no groups") << QJsonObject{{"settings", QJsonArray{}}} << 10 << "A";
        QTest::newRow("group without params") << QJsonObject{{"settings", QJsonArray{group({})}}} << 10 << "A";
        QTest::newRow("not an array") << QJsonObject{{"settings", "depth"}} << 10 << "A";
        QTest::newRow("number for an int")
                << QJsonObject{{"settings", QJsonArray{group({param("depth", 20)})}}} << 20 << "A";
        QTest::newRow("string") << QJsonObject{{"settings", QJsonArray{group({param("columnState", "QkFT")})}}} << 10
                                << "QkFT";
        QTest::newRow("only the first of two groups")
                << QJsonObject{{"settings", QJsonArray{group({param("depth", 5)}),
                                                       group({param("depth", 7), param("columnState", "B")})}}}
                << 5 << "A";
        QTest::newRow("foreign names beside own ones")
                << QJsonObject{{"settings",
                                QJsonArray{group({param("objectName", "evil"), param("enabled", false),
                                                  param("windowTitle", "x"), param("styleSheet", "* {color: red}"),
                                                  param("invented", 1), param("depth", 30)})}}}
                << 30 << "A";
    }

    void restoreSettings()
    {
        QFETCH(QJsonObject, saved);
        QFETCH(int, depth);
        QFETCH(QString, columnState);
        BookWindow window(5);
        window.setObjectName("book");
        window.restoreSettings(saved);
        QCOMPARE(window.depth, depth);
        QCOMPARE(window.columnState, columnState);
        QCOMPARE(window.objectName(), QString("book"));
        QVERIFY(window.isEnabled());
        QVERIFY(window.windowTitle().isEmpty());
        QVERIFY(window.styleSheet().isEmpty());
        QVERIFY(window.dynamicPropertyNames().isEmpty());
    }

    // One record in the connection and one handler, however often the window subscribes on a session.
    void repeatedSubscribe()
    {
        FakeSession test;
        test.conn()->session = "S1";
        BookWindow window(5);
        window.subscribe();
        window.subscribe(); // still waiting: asked again
        QCOMPARE(test.conn()->requests, QStringList({"getOrderBook 5", "getOrderBook 5"}));
        emit window.converter()->on_snapshotOrderBook(5, {});
        QCOMPARE(window.snapshots, 1);

        window.subscribe(); // live on this session: nothing
        QCOMPARE(test.conn()->requests.size(), 2);
        emit window.converter()->on_snapshotOrderBook(5, {});
        QCOMPARE(window.snapshots, 2);

        test.conn()->session = "S2"; // logged in again: the server forgot the stream
        window.subscribe();
        QCOMPARE(test.conn()->requests.size(), 3);
        QCOMPARE(window.heldRequests(), 3);

        test.conn()->requests.clear();
        window.unsubscribe();
        window.unsubscribe();
        QCOMPARE(test.conn()->requests, QStringList({"unsubscribe 10 5", "unsubscribe 10 5", "unsubscribe 10 5"}));
        QCOMPARE(window.heldRequests(), 0);
    }

    void anotherInstrument()
    {
        FakeSession test;
        test.conn()->session = "S1";
        BookWindow window(5);
        window.subscribe();
        window.setPaper(6);
        window.subscribe();
        window.unsubscribe();
        QCOMPARE(test.conn()->requests,
                 QStringList({"getOrderBook 5", "unsubscribe 10 5", "getOrderBook 6", "unsubscribe 10 6"}));
    }

    void replacedConnection()
    {
        FakeSession test;
        test.conn()->session = "S1";
        BookWindow window(5);
        window.subscribe();
        QPointer<RecordingConn> first = test.conn();
        // A hand-over to a new connection of the same plug-in.
        test.manager()->setRetryPause(0);
        test.manager()->slot_brokenConnection();
        QTRY_VERIFY(test.conn() && test.conn() != first);
        window.unsubscribe();
        QVERIFY(test.conn()->requests.isEmpty());
        if (first)
            QCOMPARE(first->requests, QStringList({"getOrderBook 5"}));

        window.subscribe();
        QCOMPARE(test.conn()->requests, QStringList({"getOrderBook 5"}));
    }

    // The error path gives the stream back, with the mutex free; the close that follows sends nothing more.
    void errorThenClose()
    {
        FakeSession test;
        test.conn()->session = "S1";
        BookWindow window(5);
        QSignalSpy closing(&window, &kuWindowBase::on_closeWindow);
        window.subscribe();
        bool mutexFree = false;
        test.conn()->onRequest = [&](const QString&) {
            mutexFree = window.mutex()->tryLock();
            if (mutexFree)
                window.mutex()->unlock();
        };
        {
            BoxAnswer answer(QMessageBox::Close);
            window.slot_showError(wtOrderBook, "Нет такого инструмента", 5);
            QVERIFY(answer.asked);
        }
        QCOMPARE(closing.count(), 1);
        QVERIFY(mutexFree);
        emit window.converter()->on_snapshotOrderBook(5, {});
        QCOMPARE(window.snapshots, 0);

        window.disconnectAll();
        window.unsubscribe();
        QCOMPARE(test.conn()->requests, QStringList({"getOrderBook 5", "unsubscribe 10 5"}));
    }
};

QTEST_MAIN(tst_WindowBase)
#include "tst_windowbase.moc"
