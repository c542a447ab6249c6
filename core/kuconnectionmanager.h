#pragma once

#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QSharedPointer>
#include <QStringList>
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

public slots:
    // Records the choice; a connection without a session is dropped so that the next one is built on it.
    void changeConnector(int index);
    void slot_brokenConnection();

signals:
    void connectError(QString msg);
    void on_syncDateTime();
    void on_connStatusChange(bool status);

private:
    QPointer<kuAbstractConn> createConnection();
    QPointer<kuAbstractConn> fallback(const QString& message);
    void replaceConnection(int index);

    Connectors m_connectors;
    int m_currentIndex = 0;
    int m_currentDataType = 3;
    QPointer<kuAbstractConn> m_connection;
    Converters m_converters;
    QPointer<QObject> m_reloginReceiver;
    QByteArray m_reloginSlot;
    int m_retryPauseMs = defaultRetryPauseMs;
};
