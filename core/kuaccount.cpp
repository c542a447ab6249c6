#include "kuaccount.h"

QSharedPointer<kuAccount> kuAccount::instance()
{
    static QSharedPointer<kuAccount> registry(new kuAccount);
    return registry;
}

QString kuAccount::currentAccount() const
{
    if (!m_current.isEmpty() || m_records.isEmpty())
        return m_current;
    return m_records.lastKey();
}

QStringList kuAccount::accounts() const
{
    return m_records.keys();
}

void kuAccount::addAccount(const QString& name, bool isDefault, int /*code*/, const QSet<int>& exchanges)
{
    kuAccountRecord record;
    record.exchanges = exchanges;
    record.isDefault = isDefault;
    if (isDefault)
        m_current = name;
    m_records.insert(name, record);
}

QSet<int> kuAccount::accountData(const QString& name) const
{
    auto it = m_records.constFind(name);
    if (it == m_records.constEnd())
        return QSet<int>{0};
    return it->exchanges;
}

void kuAccount::clear()
{
    m_records.clear();
}
