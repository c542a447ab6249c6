#pragma once

#include "wintype.h"

#include <QJsonObject>
#include <QMainWindow>
#include <QMutex>
#include <QPointer>
#include <QString>

class kuAbstractConn;
class kuAbstractDataConverter;
class kuLightBoxWidget;

// Base of every trading window: reports its stream, subscribes to it, and
// starts covered by the busy overlay until its first data is shown.
//
// It remembers the stream a window holds: on which connection and session,
// for which instrument and how many requests went out. A derived subscribe()
// asks streamConnection() for the connection to send on; null means there is
// none or the stream is already live on that session, and nothing is sent.
// Derived windows connect the converter's signals with Qt::UniqueConnection,
// so a repeated subscribe() adds no second handler.
class kuWindowBase : public QMainWindow
{
    Q_OBJECT

public:
    explicit kuWindowBase(QWidget* parent = nullptr);
    ~kuWindowBase() override;

    // At least "winType" and "paperID".
    virtual QJsonObject saveSettings();
    // Applies the first settings group, only the parameters saveSettings() writes.
    virtual void restoreSettings(QJsonObject settings);
    // Gives back what the window holds, once; nothing for a connection since replaced.
    virtual void unsubscribe();
    virtual WinType winType() const = 0;
    // Connects the converter's signals of the window's stream and sends its request.
    virtual void subscribe() = 0;

    // Blocks the window's signals and cuts its connections; whether any was cut.
    bool disconnectAll();

    // 0 until the window has an instrument.
    int paperID() const { return m_paperID; }
    // True from construction or showLightBox until hideLightBox.
    bool isBusy() const { return m_busy; }
    // Requests the window holds on its stream's connection (0 when none).
    int heldRequests() const { return m_stream.requests; }
    // Guards the derived windows' own updates; never held across a request,
    // since blocking requests run a nested event loop where queued slots run.
    QMutex* mutex() { return &m_mutex; }
    // The converter of the current connection, or null.
    static QPointer<kuAbstractDataConverter> converter();

public slots:
    virtual void slot_showError(WinType winType, QString msg, int paperID);
    void showLightBox();
    void hideLightBox();

signals:
    void on_closeWindow();

protected:
    void changeEvent(QEvent* event) override;
    void setPaperID(int paperID) { m_paperID = paperID; }
    // For subscribe(): the connection to send the request on (the hold is counted), or null.
    QPointer<kuAbstractConn> streamConnection();

private:
    void releaseStream();

    struct Stream
    {
        QPointer<kuAbstractConn> connection;
        QString session;
        int paperID = 0;
        int requests = 0;
    };

    QPointer<kuLightBoxWidget> m_lightBox;
    QMutex m_mutex;
    Stream m_stream;
    int m_paperID = 0;
    bool m_busy = true;
};
