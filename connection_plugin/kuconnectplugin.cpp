#include "kuconnectplugin.h"

#include "kuloopbackhost.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QUrl>

kuConnectPlugin::kuConnectPlugin(const QString& name, const QByteArray& idString, quint8 priority,
                                 const QString& serverUrl, QObject* parent)
    : QObject(parent), m_name(name), m_idString(idString), m_priority(priority), m_serverUrl(serverUrl)
{}

QString kuConnectPlugin::pluginName() const
{
    return m_name;
}

QString kuConnectPlugin::description() const
{
    return m_name;
}

QString kuConnectPlugin::guid() const
{
    return QString::fromLatin1(QCryptographicHash::hash(m_idString, QCryptographicHash::Keccak_256).toHex());
}

int kuConnectPlugin::type() const
{
    return pkConnection;
}

int kuConnectPlugin::version() const
{
    return 10601000;
}

QString kuConnectPlugin::server() const
{
    return m_serverUrl;
}

int kuConnectPlugin::dataType() const
{
    return 3;
}

quint8 kuConnectPlugin::priority() const
{
    return m_priority;
}

QString kuConnectPlugin::serverUrlFor(const char* host, const char* overrideVariable)
{
    QString server = QString::fromLatin1(host);
    const QString replacement = qEnvironmentVariable(overrideVariable);
    if (!replacement.isEmpty()) {
        const QUrl probe(QStringLiteral("https://") + replacement);
        if (probe.isValid() && isLoopbackHost(probe.host()))
            server = replacement;
        else
            qWarning() << "Ignored" << overrideVariable << ": not a host on this machine";
    }
    return QStringLiteral("https://") + server + QStringLiteral("/Brenholt/vlmV1.6");
}
