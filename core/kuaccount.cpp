#include "kuaccount.h"

QSharedPointer<kuAccount> kuAccount::instance()
{
    static QSharedPointer<kuAccount> registry(new kuAccount);
    return registry;
}

QString kuAccount::currentAccount() const
{
    if (!current.isEmpty() || records.isEmpty())
        return current;
    return records.lastKey();
}

QStringList kuAccount::accounts() const
{
    return records.keys();
}

void kuAccount::addAccount(const QString& name, bool isDefault, int /*code*/, const QSet<int>& exchanges)
{
    kuAccountRecord record;
    record.exchanges = exchanges;
    record.isDefault = isDefault;
    if (isDefault)
        current = name;
    records.insert(name, record);
}

QSet<int> kuAccount::accountData(const QString& name) const
{
    auto it = records.constFind(name);
    if (it == records.constEnd())
        return QSet<int>{0};
    return it->exchanges;
}

void kuAccount::clear()
{
    records.clear();
}
