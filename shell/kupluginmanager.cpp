#include "kupluginmanager.h"
#include "ui_kupluginmanager.h"

#include "kuabstractconn.h"
#include "kuabstractdataconverter.h"
#include "kuaccessdb.h"
#include "kuapplication.h"
#include "kulightboxwidget.h"
#include "kupluginloader.h"
#include "kupluginmanagerdownloader.h"
#include "kupluginmanageritem.h"
#include "kupluginmanagermodel.h"
#include "kupluginmanagersources.h"
#include "kupluginmanagerview.h"
#include "widgetplugininterface.h"

#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QSysInfo>

namespace {

const char* const catalogueQuery = "select guid, title, description, version, icon, price, status from plugins;";

// Distinct valid names of the rows that carry a pending bit.
QStringList pendingNames(kuAccessDB& db, int bit)
{
    const QVariantList rows = db.execute(QStringLiteral("select plugin_name from plugins where status & ?1;"), {bit});
    QStringList names;
    for (const QVariant& value : rows) {
        const QString name = value.toString();
        if (!kuPluginManager::isValidPluginName(name))
            qWarning().noquote() << "Plug-in name not usable as a file name:" << name;
        else if (!names.contains(name))
            names << name;
    }
    return names;
}

void clearPending(kuAccessDB& db, int bit, const QString& name)
{
    db.executeNonQuery(QStringLiteral("update plugins set status = status & ~?1 where plugin_name = ?2;"), {bit, name});
}

// Rows with a name nothing can be done for lose their bit as well.
void clearUnusable(kuAccessDB& db, int bit)
{
    const QVariantList rows =
            db.execute(QStringLiteral("select distinct plugin_name from plugins where status & ?1;"), {bit});
    for (const QVariant& value : rows) {
        if (!kuPluginManager::isValidPluginName(value.toString()))
            clearPending(db, bit, value.toString());
    }
}

} // namespace

kuPluginManager::kuPluginManager(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::kuPluginManager>())
{
    m_model = new kuPluginManagerModel(this);
    m_lightBox = new kuLightBoxWidget(this);
    ui->setupUi(this);
    setObjectName(QStringLiteral("kuPluginManager"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    m_lightBox->show();
    refreshPlugins();
}

kuPluginManager::~kuPluginManager()
{
    if (m_model)
        delete m_model.data();
    if (m_lightBox)
        delete m_lightBox.data();
}

kuPluginManagerModel* kuPluginManager::model() const
{
    return m_model;
}

QString kuPluginManager::pluginFileName(const QString& pluginName)
{
#if defined(Q_OS_WIN)
    return pluginName + QStringLiteral(".dll");
#elif defined(Q_OS_MACOS)
    return pluginName + QStringLiteral(".dylib");
#else
    return pluginName + QStringLiteral(".so");
#endif
}

bool kuPluginManager::isValidPluginName(const QString& pluginName)
{
    static const QRegularExpression pattern(QStringLiteral("^ku_[A-Za-z0-9_]+$"));
    return pattern.match(pluginName).hasMatch();
}

void kuPluginManager::refreshPlugins()
{
    m_view = ui->viewPluginManager;
    m_view->setModel(m_model);
    // The table is not emptied here: the catalogue writer keeps each row's status.
    serverPluginSync();
}

void kuPluginManager::serverPluginSync()
{
    kuAbstractConn* conn = kuPluginManagerSources::connection();
    if (!conn)
        return;
    if (kuAbstractDataConverter* converter = kuPluginManagerSources::converter())
        connect(converter, &kuAbstractDataConverter::on_snapshotAdditionalData, this,
                &kuPluginManager::slot_serverPluginSync, Qt::UniqueConnection);
    conn->getPluginList(QSysInfo::kernelType(), QSysInfo::currentCpuArchitecture());
}

void kuPluginManager::dropVanishedRows(const QVariantMap& args)
{
    // Without the list of what the catalogue held (an empty or failed reply) nothing is dropped.
    if (!args.contains(QStringLiteral("guids")))
        return;
    const QStringList listed = args.value(QStringLiteral("guids")).toStringList();
    const QSet<QString> catalogue(listed.cbegin(), listed.cend());
    QSet<QString> installed;
    for (const auto& plugin : loadPlugins<WidgetPluginInterface>(pkWidget))
        installed.insert(plugin->guid());

    kuAccessDB db;
    const QVariantList rows = db.execute(QStringLiteral("select guid, status from plugins;"));
    QVector<QVariantList> gone;
    for (int i = 0; i + 1 < rows.size(); i += 2) {
        const QString guid = rows.at(i).toString();
        const int status = rows.at(i + 1).toInt();
        if (!catalogue.contains(guid) && !installed.contains(guid) && !(status & (psRemovePending | psInstallPending)))
            gone.append({guid});
    }
    if (!gone.isEmpty())
        db.executeBatch(QStringLiteral("delete from plugins where guid = ?1;"), gone);
}

void kuPluginManager::slot_serverPluginSync(WinType winType, QVariantList dataList, QVariantMap args)
{
    Q_UNUSED(dataList)
    if (winType != wtPluginList)
        return;
    // The items write their statuses as they go, so the read below sees them.
    m_model->clear();
    dropVanishedRows(args);

    kuAccessDB db;
    const QString sql = QLatin1String(catalogueQuery);
    const QVariantList rows = db.execute(sql);
    if (rows.isEmpty())
        qWarning().noquote() << "Can't executed sql: " + sql;
    ItemMap items;
    for (int i = 0; i + 6 < rows.size(); i += 7) {
        const QString guid = rows.at(i).toString();
        const QByteArray iconBytes = QByteArray::fromHex(rows.at(i + 4).toByteArray());
        const QImage icon = iconBytes.isEmpty() ? QImage() : QImage::fromData(iconBytes);
        items.insert(guid, QSharedPointer<kuPluginManagerItem>::create(
                                   rows.at(i + 1).toString(), rows.at(i + 2).toString(), guid, rows.at(i + 3).toInt(),
                                   rows.at(i + 6).toInt(), rows.at(i + 5).toDouble(), icon));
    }
    markLoadedPlugins(items);

    const int group = m_model->addGroup(tr("Доступные модули"));
    for (const auto& item : qAsConst(items))
        m_model->appendItem(group, item);
    if (m_view)
        m_view->expandAll();
    if (m_lightBox)
        m_lightBox->hide();
}

void kuPluginManager::markLoadedPlugins(ItemMap& items)
{
    for (const auto& plugin : loadPlugins<WidgetPluginInterface>(pkWidget)) {
        const QString guid = plugin->guid();
        const auto found = items.find(guid);
        if (found != items.end()) {
            (*found)->setInstalled(true);
            if (quint32((*found)->version()) > quint32(plugin->version()))
                (*found)->setUpdateAvailable(true);
        } else {
            items.insert(guid, QSharedPointer<kuPluginManagerItem>::create(
                                       plugin->pluginName(), plugin->description(), guid, plugin->version(),
                                       psEnabled | psInstalled, 0.0, plugin->icon().toImage()));
        }
    }
}

void kuPluginManager::reject()
{
    if (m_model)
        m_model->cancelAll();
    QDialog::reject();
}

void kuPluginManager::removePendingPlugins()
{
    kuAccessDB db;
    clearUnusable(db, psRemovePending);
    const QStringList names = pendingNames(db, psRemovePending);
    if (names.isEmpty())
        return;
    const QStringList folders = kuApplication::pluginPaths();
    for (const QString& name : names) {
        const QString fileName = pluginFileName(name);
        bool removedAll = true;
        for (const QString& folder : folders) {
            // Exact names only: a name is never used as a pattern.
            QDirIterator it(QDir(folder).absolutePath(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                it.next();
                if (it.fileName() != fileName)
                    continue;
                QFile file(it.filePath());
                if (!file.remove()) {
                    removedAll = false;
                    qWarning().noquote() << QObject::tr("Не удалось удалить модуль: ") + it.fileName() +
                                                    QLatin1Char(' ') + file.errorString();
                }
            }
        }
        // A failed removal is tried again at the next start.
        if (removedAll)
            clearPending(db, psRemovePending, name);
    }
}

void kuPluginManager::installPendingPlugins()
{
    kuAccessDB db;
    clearUnusable(db, psInstallPending);
    const QStringList names = pendingNames(db, psInstallPending);
    if (names.isEmpty())
        return;
    const QString downloads = kuPluginManagerDownloader::downloadFolder();
    if (downloads.isEmpty()) {
        qWarning() << "The plug-in download folder is missing or not private; nothing installed";
        return;
    }
    const QString target = QDir(kuApplication::configPath()).filePath(QStringLiteral("plugins"));
    QDir().mkpath(target);
    for (const QString& name : names) {
        const QString fileName = pluginFileName(name);
        const QString source = QDir(downloads).filePath(fileName);
        if (!QFile::exists(source)) {
            clearPending(db, psInstallPending, name);
            continue;
        }
        const QString destination = QDir(target).filePath(fileName);
        QFile file(source);
        bool ok = true;
        if (QFile::exists(destination)) {
            QFile old(destination);
            ok = old.remove();
            if (!ok)
                qWarning().noquote() << QObject::tr("Не удалось установить модуль: ") + fileName + QLatin1Char(' ') +
                                                old.errorString();
        }
        if (ok && !file.copy(destination)) {
            ok = false;
            qWarning().noquote() << QObject::tr("Не удалось установить модуль: ") + fileName + QLatin1Char(' ') +
                                            file.errorString();
        }
        if (ok) {
            QFile::remove(source);
            clearPending(db, psInstallPending, name);
        }
    }
}
