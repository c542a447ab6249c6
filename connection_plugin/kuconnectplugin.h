#pragma once

#include <QObject>

#include "connectplugininterface.h"

// Base URL of a build's server: VELMORAN_SERVER_HOST is set per build, and
// VELMORAN_HOST_VARIABLE names the environment variable that may replace it by
// a loopback host:port (tests point the plug-ins at a local demo server).
#define VELMORAN_SERVER_URL kuConnectPlugin::serverUrlFor(VELMORAN_SERVER_HOST, VELMORAN_HOST_VARIABLE)

// What the two builds share of their plug-in class: everything but the
// values that tell them apart and the connection class they make.
class kuConnectPlugin : public QObject, public ConnectPluginInterface
{
    Q_OBJECT
    Q_INTERFACES(ConnectPluginInterface)

public:
    QString pluginName() const override;
    QString description() const override;
    QString guid() const override;
    int type() const override;
    int version() const override;
    QString server() const override;
    int dataType() const override;
    quint8 priority() const override;

    // "https://" + host + the server path; the variable's value replaces the
    // host only when it names this machine, so no setting sends a password elsewhere.
    static QString serverUrlFor(const char* host, const char* overrideVariable);

protected:
    // idString is hashed into guid(); it is the stable key of the plug-in.
    kuConnectPlugin(const QString& name, const QByteArray& idString, quint8 priority, const QString& serverUrl,
                    QObject* parent);

private:
    QString m_name;
    QByteArray m_idString;
    quint8 m_priority;
    QString m_serverUrl;
};
