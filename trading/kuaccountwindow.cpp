#include "kuaccountwindow.h"

#include "kucheckcombobox.h"
#include "kutreeviewmodel.h"

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

void expandAccounts(QTreeView* view, const QStringList& accounts)
{
    const QAbstractItemModel* model = view ? view->model() : nullptr;
    for (const QString& account : accounts) {
        const int row = accountRow(model, account);
        if (row >= 0)
            view->expand(model->index(row, 0));
    }
}

QStringList trueKeys(const QVariantMap& accounts)
{
    QStringList keys;
    for (auto it = accounts.cbegin(); it != accounts.cend(); ++it) {
        if (it.value().toBool())
            keys << it.key();
    }
    return keys;
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

} // namespace kuAccountWindow
