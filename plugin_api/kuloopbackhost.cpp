#include "kuloopbackhost.h"

#include <QHostAddress>

bool isLoopbackHost(const QString& host)
{
    QString name = host.trimmed().toLower();
    if (name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']')))
        name = name.mid(1, name.size() - 2);
    if (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    if (name == QLatin1String("localhost"))
        return true;
    QHostAddress address;
    return address.setAddress(name) && address.isLoopback();
}
