#include "kupluginmanager.h"
#include "ui_kupluginmanager.h"

#include "kuabstractconn.h"
#include "kuabstractdataconverter.h"
#include "kuconnectionmanager.h"
#include "kulightboxwidget.h"
#include "kupluginloader.h"
#include "kupluginmanagerdelegate.h"
#include "kupluginmanageritem.h"
#include "kupluginmanagermodel.h"
#include "kupluginmanagerview.h"
#include "kuplugintable.h"
#include "widgetplugininterface.h"

#include <QSet>
#include <QSysInfo>

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

kuPluginManager::~kuPluginManager() = default;

kuPluginManagerModel* kuPluginManager::model() const
{
    return m_model;
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
    const QPointer<kuConnectionManager> manager = kuConnectionManager::instance();
    const QPointer<kuAbstractConn> conn = manager ? manager->connection() : nullptr;
    if (!conn)
        return;
    if (const QPointer<kuAbstractDataConverter> converter = manager->dataConverter())
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
    QSet<QString> kept(listed.cbegin(), listed.cend());
    for (const auto& plugin : loadPlugins<WidgetPluginInterface>(pkWidget))
        kept.insert(plugin->guid());
    kuPluginTable().dropRowsExcept(kept);
}

void kuPluginManager::slot_serverPluginSync(WinType winType, QVariantList dataList, QVariantMap args)
{
    Q_UNUSED(dataList)
    if (winType != wtPluginList)
        return;
    // The items write their statuses as they go, so the read below sees them.
    m_model->clear();
    dropVanishedRows(args);

    ItemMap items;
    for (const kuPluginTable::Row& row : kuPluginTable().catalogue()) {
        const QImage icon = kuPluginManagerDelegate::catalogueIcon(QByteArray::fromHex(row.icon.toLatin1()));
        items.insert(row.guid,
                     QSharedPointer<kuPluginManagerItem>::create(row.title, row.description, row.guid, int(row.version),
                                                                 row.status, row.price, icon));
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
