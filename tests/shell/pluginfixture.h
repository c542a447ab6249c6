#pragma once

// Shared set-up of the plug-in manager tests: a fresh database and a demo
// server that offers plug-in files, with a connection pointed at it.

#include "../common/pluginrows.h"
#include "kuabstractconn.h"
#include "kuabstractconnectionmanager.h"
#include "kudemoserver.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>

class FakeConn : public kuAbstractConn
{
public:
    QString url;
    QString session;
    int pluginListRequests = 0;
    QString serverUrl() const override { return url; }
    QString sessionId() const override { return session; }
    void getPluginList(const QString&, const QString&) override { ++pluginListRequests; }
};

class FakeManager : public kuAbstractConnectionManager
{
public:
    QPointer<kuAbstractConn> conn;
    QPointer<kuAbstractDataConverter> converter;
    QPointer<kuAbstractConn> connection() override { return conn; }
    QPointer<kuAbstractDataConverter> dataConverter() override { return converter; }
};

// A demo server offering one plug-in file, "ku_offered", with a session of user DEMO.
struct DemoPluginServer
{
    QTemporaryDir dataDir;
    QTemporaryDir offerDir;
    std::unique_ptr<kuDemoServer> server;
    QString session;
    QByteArray content;
    const QString guid = QStringLiteral("0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef");

    bool start(int size = 300000)
    {
        content.resize(size);
        for (int i = 0; i < size; ++i)
            content[i] = char(i * 7 + i / 251);
        QFile file(QDir(offerDir.path()).filePath(QStringLiteral("ku_offered.so")));
        QFile json(QDir(offerDir.path()).filePath(QStringLiteral("ku_offered.json")));
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != size || !json.open(QIODevice::WriteOnly))
            return false;
        json.write(QJsonDocument(QJsonObject{{"guid", guid},
                                             {"name", "ku_offered"},
                                             {"title", "Offered"},
                                             {"description", "d"},
                                             {"version", 10602000},
                                             {"price", 10}})
                           .toJson());
        file.close();
        json.close();

        kuDemoServer::Options options;
        options.dataDir = dataDir.path();
        options.tickMs = 0;
        options.pluginDir = offerDir.path();
        server = std::make_unique<kuDemoServer>(options);
        if (!server->start({0}))
            return false;
        session = login();
        return !session.isEmpty();
    }

    QString login()
    {
        QNetworkAccessManager network;
        QNetworkReply* reply = network.get(
                QNetworkRequest(QUrl(server->baseUrl() + QStringLiteral("/kuAuthorized?ID=DEMO&PW=demo&VER=1&OS=x"))));
        QObject::connect(reply, &QNetworkReply::sslErrors, reply, [reply] { reply->ignoreSslErrors(); });
        QSignalSpy done(reply, &QNetworkReply::finished);
        if (!done.wait(10000))
            return QString();
        const QByteArray bytes = QByteArray::fromHex(reply->readAll());
        reply->deleteLater();
        // The session is the only run of 40 hex digits in the login reply.
        const QRegularExpressionMatch match =
                QRegularExpression(QStringLiteral("[0-9a-f]{40}")).match(QString::fromLatin1(bytes));
        return match.captured(0);
    }
};
