#pragma once

#include "kuobjectmodelabstractitem.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QSharedPointer>
#include <QStringList>
#include <QVariantMap>

class QAbstractItemModel;
class QModelIndex;
class QTreeView;
class kuCheckComboBox;
class kuObjectHeaderItem;
class kuTreeView;
class kuTreeViewModel;
class kuTreeViewProxyModel;

// What the orders and trades windows share: rows per account, the account
// check box, the remembered open rows and the settings group.
namespace kuAccountWindow {

using Rows = QList<QSharedPointer<kuObjectModelAbstractItem>>;
// Account code -> QVariant holding Rows.
using ParsedRows = QMap<QString, QVariant>;

// The proxy over the model (search without case, sorted as rows change) and the
// view over the proxy with the columns, sorted by the first column.
void setUpView(kuTreeView* view, kuTreeViewProxyModel* proxy, kuTreeViewModel* model,
               const QList<QSharedPointer<kuObjectHeaderItem>>& columns);
// The session's accounts in the box, all checked; the current account opens unless the user closed it.
void loadAccounts(kuCheckComboBox* box, kuTreeView* view);
// A record (account code -> array of objects) as rows: makeRow(const QJsonObject&) makes the
// row of one object. An account whose array is empty, or is no array, gets an empty list.
template <typename MakeRow>
ParsedRows parseRows(const QJsonObject& record, MakeRow makeRow)
{
    ParsedRows parsed;
    for (auto account = record.constBegin(); account != record.constEnd(); ++account) {
        Rows rows;
        const QJsonArray list = account.value().toArray();
        rows.reserve(list.size());
        for (const QJsonValue& value : list)
            rows << makeRow(value.toObject());
        parsed.insert(account.key(), QVariant::fromValue(rows));
    }
    return parsed;
}
// A snapshot replaces every account row and its rows.
void showSnapshot(kuTreeViewProxyModel* proxy, const ParsedRows& rows);
// Hands each account's rows to the source model's account row with the role, in one repaint.
void applyRows(QTreeView* view, kuTreeViewModel* model, const ParsedRows& rows, int role);
// Restored checks: the box checks the listed accounts, the open ones open and the others close.
void restoreAccounts(kuTreeView* view, kuCheckComboBox* box, const QVariantMap& accounts);

// The checked entries read from the box's items, so that a handler of the
// item model's dataChanged sees the change it reports.
QStringList checkedAccounts(const kuCheckComboBox* box);
// Every account of the session, all checked.
void fillAccountBox(kuCheckComboBox* box, const QStringList& accounts);
// The top row of the account in the model (exact text), or -1.
int accountRow(const QAbstractItemModel* model, const QString& account);
// Account code -> whether the view shows its row open, for every top row of the view's model.
QVariantMap openAccounts(const QTreeView* view);
// "date" and "time" of a record ("yyyy-MM-dd", "HH:mm:ss"): the exchange's wall clock,
// held at its fixed UTC+3 so that times compare and print without the local time zone.
// Invalid when the texts do not fit.
QDateTime exchangeTime(const QString& date, const QString& time);
// {"name", "label", "value"}
QJsonObject param(const QString& name, const QString& label, const QJsonValue& value);
// The window's settings with its one group: "chekedAccounts", "searchLine" and "columnState".
QJsonObject saveSettings(QJsonObject settings, const QString& group, const QString& title, const QString& accountLabel,
                         const QVariantMap& accounts, const QString& searchLabel, const QString& search,
                         const QString& columns);

} // namespace kuAccountWindow
