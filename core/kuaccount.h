#pragma once

#include "kuabstractaccount.h"
#include "kuaccountrecord.h"

#include <QMap>
#include <QObject>
#include <QSet>
#include <QSharedPointer>
#include <QString>

// The user's trading accounts, filled from the login reply on the GUI thread.
class kuAccount : public QObject, public kuAbstractAccount
{
    Q_OBJECT
public:
    static QSharedPointer<kuAccount> instance();

    QString currentAccount() const override;
    QStringList accounts() const override;

    void addAccount(const QString& name, bool isDefault, int code, const QSet<int>& exchanges);
    bool contains(const QString& name) const { return m_records.contains(name); }
    QSet<int> accountData(const QString& name) const;
    void clear();

private:
    kuAccount() = default;

    QMap<QString, kuAccountRecord> m_records;
    QString m_current;
};
