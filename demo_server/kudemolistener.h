#pragma once

#include <QTcpServer>

// Hands each accepted socket descriptor on, so that the server can wrap it in TLS.
class kuDemoListener : public QTcpServer
{
    Q_OBJECT
public:
    using QTcpServer::QTcpServer;

signals:
    void descriptorReady(qintptr descriptor);

protected:
    void incomingConnection(qintptr descriptor) override { emit descriptorReady(descriptor); }
};
