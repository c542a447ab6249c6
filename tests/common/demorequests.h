#pragma once

#include "kudemoserver.h"

#include <QLatin1Char>
#include <QLatin1String>
#include <QString>
#include <QStringList>

// Reading the demo server's request record.

// The script a recorded request target asks for.
inline QString script(const QString& target)
{
    const QString prefix = QLatin1String(kuDemoServer::basePath) + QLatin1Char('/');
    return target.mid(prefix.size()).section(QLatin1Char('?'), 0, 0);
}

// How many recorded targets ask for the script name.
inline int countOf(const QStringList& targets, const QString& name)
{
    int n = 0;
    for (const QString& t : targets)
        n += script(t) == name ? 1 : 0;
    return n;
}
