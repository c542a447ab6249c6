#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QSharedPointer>
#include <QStringList>
#include <QTimer>
#include <QVector>

#include "connectplugininterface.h"
#include "kuabstractconnectionmanager.h"

// Owner of the server connection: orders the connection plug-ins, builds the
// current connection from the chosen one on first use, wires it to the
// converter of its data type, and moves on to the next plug-in when the
// connection reports itself broken. GUI thread only.
//
// Re-login after a hand-over: core knows no window, so the login form
// registers itself with setReloginReceiver (its slot "onAcceptButtonPressed"
// logs in again with the stored name and password on the new connection).
class kuConnectionManager : public QObject, public kuAbstractConnectionManager
{
    Q_OBJECT

public:
    using Connectors = QVector<QSharedPointer<ConnectPluginInterface>>;
    // Converters by the data type of the connectors they serve.
    using Converters = QMap<int, QPointer<kuAbstractDataConverter>>;

    // Pause before a single plug-in's connection is built anew after it broke.
    static constexpr int defaultRetryPauseMs = 30000;
    // A re-login that failed for a network reason is tried again after a pause
    // that doubles up to the longest one, until the restore window has passed.
    static constexpr int defaultReloginPauseMs = 2000;
    static constexpr int defaultReloginMaxPauseMs = 60000;
    static constexpr int defaultRestoreWindowMs = 600000;

    // The process-wide manager over the plug-ins in the application's plug-in folders.
    static QPointer<kuConnectionManager> createInstance(QObject* parent = nullptr);
    static QPointer<kuConnectionManager> instance();
    // What instance() hands out while set (not owned); null returns to the process-wide
    // manager. Returns the one set before, so that fixtures can nest.
    static kuConnectionManager* setInstanceForTests(kuConnectionManager* manager);

    // A manager of its own over the given connectors (ordered here by priority).
    explicit kuConnectionManager(const Connectors& connectors, QObject* parent = nullptr);
    // The same with the given converters (not owned) in place of the program's own.
    kuConnectionManager(const Connectors& connectors, const Converters& converters, QObject* parent = nullptr);
    ~kuConnectionManager() override;

    QPointer<kuAbstractConn> connection() override;
    QPointer<kuAbstractDataConverter> dataConverter() override;

    QStringList connectorNames() const;
    int currentIndex() const;
    // Blocks or unblocks the connection, the converter and the manager; the manager's previous state.
    bool blockAllSignals(bool block);

    // Invoked by name (no arguments) once a new connection replaces a broken one.
    void setReloginReceiver(QObject* receiver, const QByteArray& slotName = QByteArrayLiteral("onAcceptButtonPressed"));
    void setRetryPause(int ms);
    void setReloginTimings(int firstPauseMs, int maxPauseMs, int restoreWindowMs);

    // From a broken connection until a login succeeds, is refused or cancelled,
    // or the restore window has passed.
    bool isRestoring() const;
    bool isReloginScheduled() const;
    // The re-login failed for a network reason: the next one is scheduled on the
    // other plug-in (true), unless the restore window has passed, which ends restoring.
    bool retryRelogin();

public slots:
    // Records the choice; a connection without a session is dropped so that the next one is built on it.
    void changeConnector(int index);
    void slot_brokenConnection();
    // A refusal, the user's cancel or a log-out: no re-login follows.
    void endRestoring();

signals:
    void connectError(QString msg);
    void on_syncDateTime();
    void on_connStatusChange(bool status);
    // Restoring the connection: the next re-login in nextTryMs, -1 while one is under way.
    // restoring false: over, whichever way.
    void restoringStatus(bool restoring, int nextTryMs);
    // The current connection's login was not sent: the server's certificate was refused.
    void certificateRefused(QString host, QString reason);

private:
    QPointer<kuAbstractConn> createConnection();
    QPointer<kuAbstractConn> fallback(const QString& message);
    void replaceConnection(int index);
    void beginRestoring();
    void reloginAgain();

    Connectors m_connectors;
    int m_currentIndex = 0;
    int m_currentDataType = 3;
    QPointer<kuAbstractConn> m_connection;
    Converters m_converters;
    QPointer<QObject> m_reloginReceiver;
    QByteArray m_reloginSlot;
    int m_retryPauseMs = defaultRetryPauseMs;
    int m_reloginPauseMs = defaultReloginPauseMs;
    int m_reloginMaxPauseMs = defaultReloginMaxPauseMs;
    int m_restoreWindowMs = defaultRestoreWindowMs;
    bool m_restoring = false;
    int m_reloginRetries = 0;
    QElapsedTimer m_restoreClock;
    QTimer m_reloginTimer;
};
