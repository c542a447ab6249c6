#pragma once

#include "kuobjectmodelabstractitem.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QSharedPointer>
#include <QStringList>
#include <QVariantMap>

class QAbstractItemModel;
class QModelIndex;
class QTreeView;
class kuCheckComboBox;
class kuTreeViewModel;

// What the orders and trades windows share: rows per account, the account
// check box, the remembered open rows and the settings group.
namespace kuAccountWindow {

using Rows = QList<QSharedPointer<kuObjectModelAbstractItem>>;

// The checked entries read from the box's items, so that a handler of the
// item model's dataChanged sees the change it reports.
QStringList checkedAccounts(const kuCheckComboBox* box);
// Every account of the session, all checked.
void fillAccountBox(kuCheckComboBox* box, const QStringList& accounts);
// The top row of the account in the model (exact text), or -1.
int accountRow(const QAbstractItemModel* model, const QString& account);
// Account code -> whether the view shows its row open, for every top row of the view's model.
QVariantMap openAccounts(const QTreeView* view);
// Opens the first top row of each listed account that the view's model shows.
void expandAccounts(QTreeView* view, const QStringList& accounts);
// The keys whose value is true, in key order.
QStringList trueKeys(const QVariantMap& accounts);
// "date" and "time" of a record ("yyyy-MM-dd", "HH:mm:ss"): the exchange's wall clock,
// held at its fixed UTC+3 so that times compare and print without the local time zone.
// Invalid when the texts do not fit.
QDateTime exchangeTime(const QString& date, const QString& time);
// {"name", "label", "value"}
QJsonObject param(const QString& name, const QString& label, const QJsonValue& value);

} // namespace kuAccountWindow
