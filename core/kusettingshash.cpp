#include "kusettingshash.h"

#include <QCryptographicHash>

QString settingsHash(const QString& path)
{
    return QString::fromLatin1(QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex());
}
