#pragma once

// Order rows and an orders model as compact text, for the orders tests and the bench.

#include "kuobjectheaderitem.h"
#include "kuordersitem.h"
#include "kuordersmodel.h"

#include <QStringList>

using ItemList = QList<QSharedPointer<kuObjectModelAbstractItem>>;

// A plain limit order placed on 9.12.2026 at 10:00 plus id minutes.
inline QSharedPointer<kuObjectModelAbstractItem> orderRow(int id, int status, int amount = 10, double price = 100.5,
                                                          int act = 1, int paperID = 101)
{
    return QSharedPointer<kuOrdersItem>::create(
            id, paperID, QDateTime(QDate(2026, 12, 9), QTime(10, 0)).addSecs(60 * id), act, amount, price,
            amount * price, status, 0, 0, 0, 0, 0.0, 0.0, 0, 0, 0.0, 0.0, QString());
}

// "5/1" or "5/2/20": id, status and, optionally, amount; rows split by blanks.
inline ItemList orderRows(const QString& text)
{
    ItemList rows;
    for (const QString& row : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList parts = row.split(QLatin1Char('/'));
        rows << orderRow(parts.value(0).toInt(), parts.value(1).toInt(), parts.size() > 2 ? parts.at(2).toInt() : 10);
    }
    return rows;
}

// The eleven columns of the orders window after the placeholder.
inline void setOrderColumns(kuTreeViewModel* model)
{
    QList<QSharedPointer<kuObjectHeaderItem>> columns{kuObjectHeaderItem::createHidden(QStringLiteral("Column #1"))};
    for (int c = 1; c <= 11; ++c)
        columns << kuObjectHeaderItem::create(QString::number(c));
    model->setColumns(columns);
}

// "ACC1: 5/1/10 6/0/10 | ACC2: ..." in the model's row order.
inline QString ordersState(const QAbstractItemModel* model)
{
    QStringList accounts;
    for (int top = 0; top < model->rowCount(); ++top) {
        const QModelIndex account = model->index(top, 0);
        QStringList rows{account.data(kuTreeViewModel::AccountRole).toString() + QLatin1Char(':')};
        for (int r = 0; r < model->rowCount(account); ++r) {
            const QModelIndex row = model->index(r, 0, account);
            rows << QStringLiteral("%1/%2/%3")
                            .arg(row.data(kuOrdersModel::OrderIDRole).toLongLong())
                            .arg(row.data(kuOrdersModel::StatusRole).toInt())
                            .arg(row.data(kuOrdersModel::AmountRole).toLongLong());
        }
        accounts << rows.join(QLatin1Char(' '));
    }
    return accounts.join(QStringLiteral(" | "));
}
