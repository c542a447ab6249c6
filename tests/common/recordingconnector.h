#pragma once

#include "connectplugininterface.h"
#include "recordingconn.h"

// A connection plug-in stand-in for kuConnectionManager: each connection it
// makes is a RecordingConn named after the connector and kept in 'made'.
class RecordingConnector : public ConnectPluginInterface
{
public:
    explicit RecordingConnector(QString name = QStringLiteral("recording"), quint8 priority = 10, int dataType = 3)
        : m_name(std::move(name)), m_priority(priority), m_dataType(dataType)
    {}

    QList<QPointer<RecordingConn>> made;

    int type() const override { return pkConnection; }
    QString pluginName() const override { return m_name; }
    QString description() const override { return m_name; }
    QString guid() const override { return QString(); }
    int version() const override { return 0; }
    QPointer<kuAbstractConn> create(QObject* parent) override
    {
        auto* conn = new RecordingConn(parent);
        conn->setObjectName(m_name);
        made << conn;
        return conn;
    }
    QString server() const override { return QString(); }
    int dataType() const override { return m_dataType; }
    quint8 priority() const override { return m_priority; }

private:
    QString m_name;
    quint8 m_priority;
    int m_dataType;
};
