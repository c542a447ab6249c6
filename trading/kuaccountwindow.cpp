#include "kuaccountwindow.h"

#include "kuaccount.h"
#include "kucheckcombobox.h"
#include "kutreeview.h"
#include "kutreeviewmodel.h"
#include "kutreeviewproxymodel.h"

#include <QHeaderView>
#include <QJsonArray>
#include <QTreeView>

namespace kuAccountWindow {

QStringList checkedAccounts(const kuCheckComboBox* box)
{
    QStringList checked;
    if (!box)
        return checked;
    for (int row = 0; row < box->count(); ++row) {
        if (box->itemData(row, Qt::CheckStateRole).toInt() == Qt::Checked)
            checked << box->itemText(row);
    }
    return checked;
}

void fillAccountBox(kuCheckComboBox* box, const QStringList& accounts)
{
    if (!box)
        return;
    box->clear();
    box->addItems(accounts);
    box->setCheckedItems(accounts);
}

void setUpView(kuTreeView* view, kuTreeViewProxyModel* proxy, kuTreeViewModel* model,
               const QList<QSharedPointer<kuObjectHeaderItem>>& columns)
{
    proxy->setSourceModel(model);
    proxy->setFilterCaseSensitivity(Qt::CaseInsensitive);
    proxy->setDynamicSortFilter(true);
    view->buildColumns(columns);
    view->setModel(proxy);
    view->sortByColumn(1, view->header()->sortIndicatorOrder());
}

void loadAccounts(kuCheckComboBox* box, kuTreeView* view)
{
    const QSharedPointer<kuAccount> accounts = kuAccount::instance();
    fillAccountBox(box, accounts->accounts());
    view->openAccountByDefault(accounts->currentAccount());
}

void showSnapshot(kuTreeViewProxyModel* proxy, const ParsedRows& rows)
{
    proxy->clear();
    for (auto account = rows.constBegin(); account != rows.constEnd(); ++account) {
        if (!account.value().canConvert<Rows>())
            continue;
        const int row = proxy->appendTopItem(account.key());
        if (row >= 0)
            proxy->appendChildren(row, account.value().value<Rows>());
    }
}

void applyRows(QTreeView* view, kuTreeViewModel* model, const ParsedRows& rows, int role)
{
    if (rows.isEmpty())
        return;
    view->setUpdatesEnabled(false);
    for (auto account = rows.constBegin(); account != rows.constEnd(); ++account) {
        // The source model: an account the checks hide must stay current too.
        const int row = accountRow(model, account.key());
        if (row >= 0)
            model->setData(model->index(row, 0), account.value(), role);
    }
    view->setUpdatesEnabled(true);
}

void restoreAccounts(kuTreeView* view, kuCheckComboBox* box, const QVariantMap& accounts)
{
    view->setUpdatesEnabled(false);
    view->setAccountStates(accounts);
    box->setCheckedItems(accounts.keys());
    view->setUpdatesEnabled(true);
}

int accountRow(const QAbstractItemModel* model, const QString& account)
{
    if (!model)
        return -1;
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->index(row, 0).data(kuTreeViewModel::AccountRole).toString() == account)
            return row;
    }
    return -1;
}

QVariantMap openAccounts(const QTreeView* view)
{
    QVariantMap accounts;
    const QAbstractItemModel* model = view ? view->model() : nullptr;
    if (!model)
        return accounts;
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, 0);
        accounts.insert(index.data(kuTreeViewModel::AccountRole).toString(), view->isExpanded(index));
    }
    return accounts;
}

QDateTime exchangeTime(const QString& date, const QString& time)
{
    QDateTime dateTime = QDateTime::fromString(date + QLatin1Char(' ') + time, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (dateTime.isValid())
        dateTime.setOffsetFromUtc(10800);
    return dateTime;
}

QJsonObject param(const QString& name, const QString& label, const QJsonValue& value)
{
    return QJsonObject{
            {QStringLiteral("name"), name}, {QStringLiteral("label"), label}, {QStringLiteral("value"), value}};
}

QJsonObject saveSettings(QJsonObject settings, const QString& group, const QString& title, const QString& accountLabel,
                         const QVariantMap& accounts, const QString& searchLabel, const QString& search,
                         const QString& columns)
{
    const QJsonArray params{
            param(QStringLiteral("chekedAccounts"), accountLabel, QJsonObject::fromVariantMap(accounts)),
            param(QStringLiteral("searchLine"), searchLabel, search),
            param(QStringLiteral("columnState"), QStringLiteral("columnState"), columns)};
    settings.insert(QStringLiteral("settings"), QJsonArray{QJsonObject{{QStringLiteral("name"), group},
                                                                       {QStringLiteral("label"), title},
                                                                       {QStringLiteral("params"), params}}});
    return settings;
}

} // namespace kuAccountWindow
