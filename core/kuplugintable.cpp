#include "kuplugintable.h"

#include <QDebug>
#include <QRegularExpression>

namespace {

const char* const catalogueQuery = "select guid, title, description, version, icon, price, status from plugins;";

// The database hands back one flat list; a row is `columns` values in the order of the select.
template <typename F>
void forEachRow(const QVariantList& values, int columns, F&& f)
{
    for (int i = 0; i + columns <= values.size(); i += columns)
        f([&values, i](int column) -> const QVariant& { return values.at(i + column); });
}

} // namespace

bool kuPluginTable::isValidPluginName(const QString& pluginName)
{
    // Anchored at both ends: "$" alone would also match before a final line feed.
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(QStringLiteral("ku_[A-Za-z0-9_]+")));
    return pattern.match(pluginName).hasMatch();
}

QString kuPluginTable::pluginFileName(const QString& pluginName)
{
#if defined(Q_OS_WIN)
    return pluginName + QStringLiteral(".dll");
#elif defined(Q_OS_MACOS)
    return pluginName + QStringLiteral(".dylib");
#else
    return pluginName + QStringLiteral(".so");
#endif
}

QString kuPluginTable::insertSql()
{
    return QStringLiteral(
            "insert or replace into plugins (guid, title, description, icon, plugin_name, price, version, "
            "status) values (?1, ?2, ?3, ?4, ?5, ?6, ?7, coalesce((select status from plugins "
            "where guid = ?1), 0x1));");
}

QVariantList kuPluginTable::insertValues(const Row& row)
{
    return {row.guid, row.title, row.description, row.icon, row.pluginName, row.price, qlonglong(row.version)};
}

QVector<kuPluginTable::Row> kuPluginTable::catalogue()
{
    const QString sql = QLatin1String(catalogueQuery);
    const QVariantList values = m_db.execute(sql);
    if (values.isEmpty())
        qWarning().noquote() << "Can't executed sql: " + sql;
    QVector<Row> rows;
    forEachRow(values, 7, [&rows](auto v) {
        Row row;
        row.guid = v(0).toString();
        row.title = v(1).toString();
        row.description = v(2).toString();
        row.version = v(3).toUInt();
        row.icon = v(4).toString();
        row.price = v(5).toDouble();
        row.status = v(6).toInt();
        rows.append(row);
    });
    return rows;
}

QHash<QString, bool> kuPluginTable::enabledPlugins()
{
    QHash<QString, bool> enabled;
    forEachRow(m_db.execute(QStringLiteral("select guid, status & 0x1 from plugins where not status & 0x8;")), 2,
               [&enabled](auto v) { enabled.insert(v(0).toString(), v(1).toInt() != 0); });
    return enabled;
}

QString kuPluginTable::pluginName(const QString& guid)
{
    return m_db.execute(QStringLiteral("select plugin_name from plugins where guid = ?1;"), {guid}).value(0).toString();
}

bool kuPluginTable::setStatus(const QString& guid, int status)
{
    return m_db.executeNonQuery(QStringLiteral("update plugins set status = ?1 where guid = ?2;"),
                                {status & ~runOnlyBits, guid});
}

bool kuPluginTable::dropRowsExcept(const QSet<QString>& kept)
{
    QVector<QVariantList> gone;
    forEachRow(m_db.execute(QStringLiteral("select guid, status from plugins;")), 2, [&](auto v) {
        const QString guid = v(0).toString();
        if (!kept.contains(guid) && !(v(1).toInt() & pendingBits))
            gone.append({guid});
    });
    return gone.isEmpty() || m_db.executeBatch(QStringLiteral("delete from plugins where guid = ?1;"), gone);
}

QStringList kuPluginTable::pendingNames(kuPluginStatus bit)
{
    QStringList names;
    forEachRow(m_db.execute(QStringLiteral("select plugin_name from plugins where status & ?1;"), {int(bit)}), 1,
               [&names](auto v) {
                   const QString name = v(0).toString();
                   if (!isValidPluginName(name))
                       qWarning().noquote() << "Plug-in name not usable as a file name:" << name;
                   else if (!names.contains(name))
                       names << name;
               });
    return names;
}

bool kuPluginTable::clearPending(kuPluginStatus bit, const QString& pluginName)
{
    return m_db.executeNonQuery(QStringLiteral("update plugins set status = status & ~?1 where plugin_name = ?2;"),
                                {int(bit), pluginName});
}

void kuPluginTable::clearUnusablePending(kuPluginStatus bit)
{
    forEachRow(m_db.execute(QStringLiteral("select distinct plugin_name from plugins where status & ?1;"), {int(bit)}),
               1, [this, bit](auto v) {
                   if (!isValidPluginName(v(0).toString()))
                       clearPending(bit, v(0).toString());
               });
}
