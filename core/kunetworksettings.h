#pragma once

#include <QString>

// Proxy settings kept in the "network" block of the settings file.
struct kuNetworkSettings
{
    QString proxyHost;
    QString proxyUser;
    QString proxyPassword;
    quint16 proxyPort = 0;
    bool proxyEnabled = false;
};
