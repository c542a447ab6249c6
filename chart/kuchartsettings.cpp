#include "kuchartsettings.h"

#include "kuchartsettingmodel.h"
#include "ui_kuchartsettings.h"

#include <QEvent>
#include <QHeaderView>
#include <QJsonArray>

#include <algorithm>

namespace {

const QString keySettings = QStringLiteral("settings");
const QString keyObject = QStringLiteral("object");

} // namespace

kuChartSettings::kuChartSettings(QWidget* parent) : QDialog(parent), ui(new Ui::kuChartSettings)
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("kuChartSettings"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    connect(ui->viewSettings, &QListView::clicked, ui->tablePropertiesSetter, &QTableView::setRootIndex);
    connect(ui->viewChartSettings, &QListView::clicked, ui->tableChartPropertiesSetter, &QTableView::setRootIndex);
    connect(ui->btnDelete, &QPushButton::clicked, this, &kuChartSettings::slot_deleteObject);
    connect(ui->btnDeleteAll, &QPushButton::clicked, this, &kuChartSettings::slot_deleteAllObject);
    enableDeleteButtons();
}

kuChartSettings::~kuChartSettings() = default;

QTabWidget* kuChartSettings::tabWidget() const
{
    return ui->kuTabWidgetChartSettings;
}

QListView* kuChartSettings::objectList() const
{
    return ui->viewSettings;
}

QTableView* kuChartSettings::objectTable() const
{
    return ui->tablePropertiesSetter;
}

QListView* kuChartSettings::descriptorList() const
{
    return ui->viewChartSettings;
}

QTableView* kuChartSettings::descriptorTable() const
{
    return ui->tableChartPropertiesSetter;
}

void kuChartSettings::setSettings(const QJsonObject& json)
{
    m_json = json;
    if (m_json.contains(keySettings)) {
        auto* model = new kuChartSettingModel(m_json.value(keySettings).toArray(), this);
        auto* delegate = new kuChartSettingDelegate(this);
        ui->viewChartSettings->setModel(model);
        ui->tableChartPropertiesSetter->setModel(model);
        ui->tableChartPropertiesSetter->setItemDelegateForColumn(1, delegate);
        ui->tableChartPropertiesSetter->setRootIndex(model->index(0, 0));
    }
    if (m_json.contains(keyObject)) {
        auto* model = new kuChartSettingModel(m_json.value(keyObject).toArray(), this);
        auto* proxy = new kuChartSettingProxyModel(this);
        proxy->setSourceModel(model);
        proxy->setDynamicSortFilter(false);
        proxy->sort(0, Qt::AscendingOrder);
        auto* delegate = new kuChartSettingDelegate(this);
        ui->viewSettings->setModel(proxy);
        ui->tablePropertiesSetter->setModel(proxy);
        ui->tablePropertiesSetter->setItemDelegateForColumn(1, delegate);
        ui->tablePropertiesSetter->setRootIndex(proxy->index(0, 0));
        ui->tablePropertiesSetter->sortByColumn(0, Qt::AscendingOrder);
        // The parameters shown are always those of the row the list shows as
        // current, however it became current (keys, a deletion, a click).
        connect(ui->viewSettings->selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this](const QModelIndex& current) {
                    if (current.isValid())
                        ui->tablePropertiesSetter->setRootIndex(current.sibling(current.row(), 0));
                });
    }
    // The names are read whole: their column takes the width of the longest.
    for (QTableView* table : {ui->tablePropertiesSetter, ui->tableChartPropertiesSetter}) {
        if (table->model() && table->horizontalHeader()->count() > 0)
            table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    }
    enableDeleteButtons();
}

void kuChartSettings::setCurrentTab(int numPage)
{
    ui->kuTabWidgetChartSettings->setCurrentIndex(numPage == 1 ? 1 : 0);
}

void kuChartSettings::selectObject(const QString& objectName)
{
    if (objectName.isEmpty())
        return;
    QListView* list = ui->kuTabWidgetChartSettings->currentIndex() == 1 ? ui->viewChartSettings : ui->viewSettings;
    QAbstractItemModel* model = list->model();
    if (!model || model->rowCount() == 0)
        return;
    const QModelIndexList hits =
            model->match(model->index(0, 0), kuChartSettingModel::NameRole, objectName, 1, Qt::MatchFixedString);
    if (hits.isEmpty())
        return;
    list->setFocus(Qt::OtherFocusReason);
    list->setCurrentIndex(hits.first());
    emit list->clicked(hits.first());
}

QJsonObject kuChartSettings::settings() const
{
    return m_accepted ? m_json : QJsonObject();
}

bool kuChartSettings::showRefused()
{
    // A cell that refused what was typed in it is shown, with its text to mend, before anything is saved.
    struct Page
    {
        int tab;
        QListView* list;
        QTableView* table;
    };
    for (const Page& page : {Page{1, ui->viewChartSettings, ui->tableChartPropertiesSetter},
                             Page{0, ui->viewSettings, ui->tablePropertiesSetter}}) {
        QAbstractItemModel* shown = page.table->model();
        auto* proxy = qobject_cast<QSortFilterProxyModel*>(shown);
        auto* model = qobject_cast<kuChartSettingModel*>(proxy ? proxy->sourceModel() : shown);
        if (!model)
            continue;
        QModelIndex cell = model->firstRefused();
        if (!cell.isValid())
            continue;
        if (proxy)
            cell = proxy->mapFromSource(cell);
        if (!cell.isValid())
            continue;
        ui->kuTabWidgetChartSettings->setCurrentIndex(page.tab);
        page.list->setCurrentIndex(cell.parent());
        page.table->setRootIndex(cell.parent());
        page.table->setCurrentIndex(cell);
        page.table->setFocus(Qt::OtherFocusReason);
        page.table->edit(cell);
        return true;
    }
    return false;
}

void kuChartSettings::accept()
{
    if (showRefused())
        return;
    if (auto* model = qobject_cast<kuChartSettingModel*>(ui->tableChartPropertiesSetter->model()))
        m_json.insert(keySettings, model->toJson());
    if (auto* proxy = qobject_cast<kuChartSettingProxyModel*>(ui->tablePropertiesSetter->model())) {
        if (auto* model = qobject_cast<kuChartSettingModel*>(proxy->sourceModel()))
            m_json.insert(keyObject, model->toJson());
    }
    m_accepted = true;
    QDialog::accept();
}

void kuChartSettings::reject()
{
    m_accepted = false;
    QDialog::reject();
}

void kuChartSettings::slot_deleteObject()
{
    QAbstractItemModel* proxy = ui->viewSettings->model();
    const QModelIndex current = ui->viewSettings->currentIndex();
    if (!proxy || !current.isValid())
        return;
    const QString name = current.data(kuChartSettingModel::NameRole).toString();
    const int row = current.row();
    proxy->removeRows(row, 1);
    // The row that took the deleted one's place (the last one when the last
    // went) is shown in the list and in the table alike.
    const QModelIndex next = proxy->index(std::min(row, proxy->rowCount() - 1), 0);
    ui->viewSettings->setCurrentIndex(next);
    ui->tablePropertiesSetter->setRootIndex(next);
    if (!name.isEmpty())
        emit on_deleteObject(name);
    enableDeleteButtons();
}

void kuChartSettings::slot_deleteAllObject()
{
    QAbstractItemModel* proxy = ui->viewSettings->model();
    if (proxy) {
        proxy->removeRows(0, proxy->rowCount());
        ui->tablePropertiesSetter->setRootIndex(proxy->index(0, 0));
    }
    ui->btnDelete->setEnabled(false);
    ui->btnDeleteAll->setEnabled(false);
    emit on_deleteAllObject();
}

void kuChartSettings::enableDeleteButtons()
{
    const QAbstractItemModel* proxy = ui->viewSettings->model();
    const bool any = proxy && proxy->rowCount() > 0;
    ui->btnDelete->setEnabled(any);
    ui->btnDeleteAll->setEnabled(any);
}

void kuChartSettings::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
}
