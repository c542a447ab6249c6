#pragma once

#include "wintype.h"

#include <QJsonObject>
#include <QMainWindow>
#include <QMutex>
#include <QPointer>
#include <QString>
#include <QTimer>

class QAbstractScrollArea;
class QLabel;
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
//
// A snapshot that the converter could not get (the request failed or timed out)
// is no empty snapshot: a window that shows failures (showFailedSnapshot) says so
// in place of its rows and asks again once the server answers a poll, waiting
// longer after each failure in a row.
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
    // True from a failed snapshot until the window asks again or a snapshot comes.
    bool snapshotFailed() const { return m_failed; }
    // The text that stands in place of the rows, empty when none is shown.
    QString failedText() const;
    // Whether the window waits out a pause before asking again.
    bool retryPending() const { return m_retry.isActive(); }
    // Pauses before asking again after failed snapshots in a row: none after the first,
    // then stepMs, doubled each time up to maxMs. Tests shorten them.
    static void setRetryPauses(int stepMs, int maxMs);
    static int retryPause(int failuresInRow);

public slots:
    virtual void slot_showError(WinType winType, QString msg, int paperID);
    // Hides the text of a failed snapshot: the window waits again.
    void showLightBox();
    void hideLightBox();
    // The converter got no snapshot of winType for paperID; taken when the window waits for it.
    void slot_snapshotFailed(WinType winType, int paperID);
    // The server answers polls again: a window whose snapshot failed asks once more.
    void slot_snapshotsWanted();

signals:
    void on_closeWindow();

protected:
    void changeEvent(QEvent* event) override;
    void setPaperID(int paperID) { m_paperID = paperID; }
    // For subscribe(): the connection to send the request on (the hold is counted), or null.
    QPointer<kuAbstractConn> streamConnection();
    // For subscribe(): the request is about to go; its snapshot or failure is awaited.
    void awaitSnapshot() { m_awaiting = true; }

    // For a window whose snapshot failed: its rows go and setFailedText() tells it. The
    // converter reports failed snapshots of the orders, positions and order book streams.
    virtual void showFailedSnapshot() {}
    // Sends the snapshot's request again; subscribe() may do more (refill the account box).
    virtual void askSnapshotAgain() { subscribe(); }
    // text stands in place of the rows of view until the window waits again or shows a snapshot.
    void setFailedText(QAbstractScrollArea* view, const QString& text);

    // For subscribe(): connects the converter's snapshot signal to the window's slot and its
    // errors to slot_showError (unique), then runs request(connection). Connected before the
    // request: a blocking request may deliver its reply while it runs. Nothing happens without
    // a converter or a connection to send on; whether the request went out.
    template <typename Window, typename Signal, typename Slot, typename Request>
    bool requestSnapshot(Window* window, Signal snapshot, Slot slot, Request request)
    {
        const QPointer<kuAbstractDataConverter> source = converter();
        const QPointer<kuAbstractConn> conn = source ? streamConnection() : nullptr;
        if (!source || !conn)
            return false;
        connect(source.data(), snapshot, window, slot, Qt::UniqueConnection);
        connectErrors(true);
        awaitSnapshot();
        request(conn.data());
        return true;
    }
    // For the snapshot's slot: cuts what requestSnapshot connected.
    template <typename Window, typename Signal, typename Slot>
    void endSnapshot(Window* window, Signal snapshot, Slot slot)
    {
        disconnectConverter(window, snapshot, slot);
        connectErrors(false);
    }
    // A converter signal to the window's slot (unique), when there is a converter.
    template <typename Window, typename Signal, typename Slot>
    void connectConverter(Window* window, Signal signal, Slot slot)
    {
        if (const QPointer<kuAbstractDataConverter> source = converter())
            connect(source.data(), signal, window, slot, Qt::UniqueConnection);
    }
    template <typename Window, typename Signal, typename Slot>
    void disconnectConverter(Window* window, Signal signal, Slot slot)
    {
        if (const QPointer<kuAbstractDataConverter> source = converter())
            disconnect(source.data(), signal, window, slot);
    }
    // The converter's errors to slot_showError and its failed snapshots to this window (unique),
    // or cut: cutting them means the snapshot came, and ends a failed state.
    void connectErrors(bool on);

private:
    void releaseStream();
    void askAgain();
    void hideFailedText();

    struct Stream
    {
        QPointer<kuAbstractConn> connection;
        QString session;
        int paperID = 0;
        int requests = 0;
    };

    QPointer<kuLightBoxWidget> m_lightBox;
    QPointer<QLabel> m_failedText;
    QTimer m_retry;
    QMutex m_mutex;
    Stream m_stream;
    int m_paperID = 0;
    int m_failures = 0; // failed snapshots in a row
    bool m_busy = true;
    bool m_awaiting = false;
    bool m_failed = false;
};
