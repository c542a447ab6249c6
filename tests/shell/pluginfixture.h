#pragma once

// Shared set-up of the plug-in manager tests: a fresh database and a demo
// server that offers plug-in files, with a session on it.

#include "demosession.h"
#include "pluginrows.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

// A demo server offering one plug-in file, "ku_offered", with a session of user
// DEMO on it. Its polls are far apart, so that the server's request record holds
// what the test asked for.
struct DemoPluginServer
{
    QTemporaryDir offerDir;
    DemoSession session;
    QByteArray content;
    const QString guid = QStringLiteral("0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef");

    kuDemoServer* server() const { return session.server(); }

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

        session.options.pluginDir = offerDir.path();
        session.connTimings = "marketPollMs=3600000,updatesPollMs=3600000,timePollMs=3600000";
        return session.start();
    }
};
