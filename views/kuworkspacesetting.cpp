#include "kuworkspacesetting.h"

#include "ui_kuworkspacesetting.h"

#include "kuaccessdb.h"
#include "kuapplication.h"
#include "kuclient.h"
#include "kufunctions.h"
#include "kuobjectheaderitem.h"
#include "kusettingshash.h"
#include "kutableview.h"
#include "kuworkspacesavesetting.h"
#include "kuworkspacesettingitem.h"
#include "kuworkspacesettingmodel.h"
#include "kuworkspacesettingproxymodel.h"

#include <QFile>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QJsonObject>

namespace {
constexpr int shortNameColumn = 2;
constexpr int infoTimeout = 5000;
} // namespace

kuWorkspaceSetting::kuWorkspaceSetting(QWidget* parent)
    : QDialog(parent), ui(new Ui_kuWorkspaceSetting), m_proxy(new kuWorkspaceSettingProxyModel)
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("kuWorkspaceSetting"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    settingView = ui->settingView;
    btnAddSetting = ui->btnAddSetting;
    btnRemoveSetting = ui->btnRemoveSetting;
    btnLoadSetting = ui->btnLoadSetting;
    setupView();

    connect(btnAddSetting, &QPushButton::clicked, this, &kuWorkspaceSetting::appendSetting);
    connect(btnRemoveSetting, &QPushButton::clicked, this, &kuWorkspaceSetting::slot_removeSetting);
    connect(btnLoadSetting, &QPushButton::clicked, this, &kuWorkspaceSetting::slot_loadSetting);
    connect(settingView->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &kuWorkspaceSetting::slot_currentRowChanged);
}

kuWorkspaceSetting::~kuWorkspaceSetting()
{
    // The view lets go of the proxy before it goes.
    settingView->setModel(nullptr);
}

void kuWorkspaceSetting::registerWithClient()
{
    kuClient::setWorkspaceSettingCreator(
            [] {
                auto* dialog = new kuWorkspaceSetting();
                return std::make_pair(dialog, static_cast<QDialog*>(dialog));
            },
            [](kuWorkspaceSetting* dialog) { dialog->appendSetting(); },
            [](kuWorkspaceSetting* dialog) { return dialog->loadedPath(); });
}

void kuWorkspaceSetting::setupView()
{
    settingView->buildColumns(
            {kuObjectHeaderItem::create(tr("Акт."), tr("Какая настройка сейчас загружена")),
             kuObjectHeaderItem::create(tr("Крат. \n наименование"), tr("Краткое наименование сохраненной настройки")),
             kuObjectHeaderItem::create(tr("Файл"), tr("Расположение файла настроек")),
             kuObjectHeaderItem::create(tr("Описание"), tr("Краткое описание сохраненной настройки"))});
    m_model = new kuWorkspaceSettingModel(this);
    m_proxy->setSourceModel(m_model);
    m_proxy->setDynamicSortFilter(true);
    m_proxy->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_proxy->setSortCaseSensitivity(Qt::CaseInsensitive);
    settingView->setModel(m_proxy.get());
    settingView->horizontalHeader()->setSectionsMovable(false);
    settingView->sortByColumn(shortNameColumn, Qt::AscendingOrder);
}

QString kuWorkspaceSetting::loadedPath() const
{
    return m_loadedPath;
}

int kuWorkspaceSetting::exec()
{
    reloadRows();
    return QDialog::exec();
}

// Always refilled: a replaced row keeps the count but not its description or mark.
void kuWorkspaceSetting::reloadRows()
{
    kuAccessDB db;
    fillModel(db.execute(QStringLiteral("select d.path, d.description, d.active_flag from settings as d ")));
}

void kuWorkspaceSetting::fillModel(const QVariantList& rows)
{
    QVector<QSharedPointer<kuObjectModelAbstractItem>> items;
    for (int i = 0; i + 2 < rows.size(); i += 3)
        items.append(QSharedPointer<kuWorkspaceSettingItem>::create(rows.at(i).toString(), rows.at(i + 1).toString(),
                                                                    rows.at(i + 2).toInt() > 0));
    settingView->setUpdatesEnabled(false);
    m_proxy->setItems(items);
    settingView->setUpdatesEnabled(true);
}

void kuWorkspaceSetting::slot_currentRowChanged(QModelIndex current, QModelIndex previous)
{
    Q_UNUSED(previous)
    if (current.isValid())
        btnLoadSetting->setEnabled(current.data(kuWorkspaceSettingModel::ExistsRole).toBool());
}

void kuWorkspaceSetting::slot_loadSetting()
{
    const QModelIndex index = settingView->currentIndex();
    if (!index.isValid())
        return;
    const QString path = index.data(kuWorkspaceSettingModel::PathRole).toString();
    if (!askQuestion(tr("Будет загружена выбранная настройка. Продолжить?")))
        return;
    // Checked now, not when the list was read: the file may have gone or be damaged.
    QString problem;
    if (!kuApplication::readLayoutFile(path, nullptr, &problem)) {
        showError(problem);
        reloadRows();
        return;
    }
    const QString key = settingsHash(path);
    kuAccessDB db;
    // The table's trigger clears the other rows' flags.
    const bool updated = db.executeNonQuery(
            QStringLiteral("begin immediate transaction;update settings set active_flag=1 where hash=?1;commit;"),
            {key});
    const QVariantList active =
            db.execute(QStringLiteral("select count(*) from settings where hash=?1 and active_flag=1;"), {key});
    if (!updated || active.value(0).toInt() != 1) {
        showError(tr("Не удалось выбрать настройку %1").arg(path));
        reloadRows();
        return;
    }
    m_loadedPath = path;
    accept();
}

void kuWorkspaceSetting::slot_removeSetting()
{
    const QModelIndex index = settingView->currentIndex();
    if (!index.isValid())
        return;
    const QString path = index.data(kuWorkspaceSettingModel::PathRole).toString();
    if (!askQuestion(tr("Вы уверены, что хотите удалить выбранные настройки?")))
        return;
    kuAccessDB db;
    if (db.executeNonQuery(QStringLiteral("begin immediate transaction;delete from settings where hash=?1;commit;"),
                           {settingsHash(path)}))
        reloadRows();
}

void kuWorkspaceSetting::appendSetting()
{
    const std::unique_ptr<kuWorkspaceSaveSetting> save(new kuWorkspaceSaveSetting());
    if (save->exec() != QDialog::Accepted)
        return;
    const QString path = save->filePath();
    const QString description = save->description();
    const QPointer<kuClient> client = kuClient::instance();
    const QPointer<kuApplication> app = kuApplication::instance();
    QString reason;
    if (!app || !app->saveSettings(client ? client->saveState() : QJsonObject(), path, &reason)) {
        if (client)
            client->showErrorMessage(reason.isEmpty() ? tr("Не удалось сохранить настройки")
                                                      : tr("Не удалось сохранить настройки: %1").arg(reason),
                                     infoTimeout);
        return;
    }
    QFile file(path);
    const QByteArray content = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    file.close();

    // An inserted row does not fire the trigger that clears the others: the update does.
    kuAccessDB db;
    const bool stored = db.executeNonQuery(
            QStringLiteral("begin immediate transaction;"
                           "insert or replace into settings( path, description, hash, content, active_flag) "
                           "values( ?1, ?2, ?3, ?4, 0);"
                           "update settings set active_flag=1 where hash=?3;"
                           "commit;"),
            {path, description, settingsHash(path), QString::fromLatin1(content.toHex())});
    if (!stored)
        return;
    // The saved file is the one in use now: the next close with Yes writes there, the next start reads it.
    app->setAppSettings(app->loadSettings(path));
    if (client) {
        client->setTitle(app->settingsFilePath());
        client->showInfoMessage(tr("Настройки успешно сохранены"), infoTimeout);
    }
    reloadRows();
}
