#pragma once

// Trading windows for the main window's factory: each subscribes as a real one
// does (through the base's stream bookkeeping) and counts it.

#include "clienttestmain.h"
#include "dcmessagepack.h"
#include "kuabstractconn.h"
#include "kuabstractdataconverter.h"
#include "kuapplication.h"
#include "kuclient.h"
#include "kuconnectionmanager.h"
#include "kuwindowbase.h"
#include "recordingconnector.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

// The manager of a test while it lives: recording connections, the program's converter.
struct RecordingSession
{
    RecordingSession()
        : connector(new RecordingConnector),
          manager(kuConnectionManager::Connectors{connector}, kuConnectionManager::Converters{{3, &converter}})
    {
        manager.connection();
        previous = kuConnectionManager::setInstanceForTests(&manager);
    }
    ~RecordingSession() { kuConnectionManager::setInstanceForTests(previous); }
    RecordingConn* conn() { return dynamic_cast<RecordingConn*>(manager.connection().data()); }

    dcMessagePack converter;
    QSharedPointer<RecordingConnector> connector;
    kuConnectionManager manager;
    kuConnectionManager* previous = nullptr;
};

class StreamWindow : public kuWindowBase
{
    Q_OBJECT
public:
    StreamWindow(WinType type, QWidget* parent) : kuWindowBase(parent), m_type(type) {}

    WinType winType() const override { return m_type; }
    void setPaper(int paper)
    {
        setPaperID(paper);
        subscribe();
    }
    void subscribe() override
    {
        ++subscribed;
        const QPointer<kuAbstractConn> conn = streamConnection();
        if (!conn)
            return;
        connect(converter(), &kuAbstractDataConverter::on_snapshotOrderBook, this, &StreamWindow::snapshot,
                Qt::UniqueConnection);
        conn->getOrderBook(paperID());
    }
    void snapshot(int paper, const QJsonArray&)
    {
        if (paper == paperID())
            hideLightBox();
    }

    int subscribed = 0;

private:
    WinType m_type;
};

// The single windows are docked under their class names.
class kuQuotes : public StreamWindow
{
    Q_OBJECT
public:
    explicit kuQuotes(QWidget* parent) : StreamWindow(wtQuotes, parent) {}
};

class kuOrders : public StreamWindow
{
    Q_OBJECT
public:
    explicit kuOrders(QWidget* parent) : StreamWindow(wtOrders, parent) {}
};

class kuTrades : public StreamWindow
{
    Q_OBJECT
public:
    explicit kuTrades(QWidget* parent) : StreamWindow(wtTrades, parent) {}
};

inline void registerStreamWindowMakers(std::initializer_list<WinType> types)
{
    for (WinType type : types) {
        kuClient::setWindowMaker(type, [type](QWidget* parent, int paper) -> kuWindowBase* {
            StreamWindow* window = nullptr;
            if (type == wtQuotes)
                window = new kuQuotes(parent);
            else if (type == wtOrders)
                window = new kuOrders(parent);
            else if (type == wtTrades)
                window = new kuTrades(parent);
            else
                window = new StreamWindow(type, parent);
            window->setPaper(paper);
            return window;
        });
    }
}

// While it lives, answers every modal message box: the one whose text is
// 'question' with 'answer', any other with its first button, keeping its text.
class BoxAnswers
{
public:
    BoxAnswers(QString question, QMessageBox::StandardButton answer)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this, question, answer] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            if (box->text() == question) {
                asked = true;
                box->button(answer)->click();
            } else {
                others << box->text().trimmed();
                box->buttons().value(0)->click();
            }
        });
        m_timer.start(5);
    }

    bool asked = false;
    QStringList others;

private:
    QTimer m_timer;
};
