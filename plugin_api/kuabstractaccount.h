#pragma once

#include <QString>
#include <QStringList>

// Account lookups that plug-in windows are given.
class kuAbstractAccount
{
public:
    virtual ~kuAbstractAccount() = default;
    virtual QString currentAccount() const = 0;
    virtual QStringList accounts() const = 0;
};
