#pragma once

#include "kucolumnfilter.h"
#include "kuobjectheaderitem.h"
#include "kuobjectmodelabstractitem.h"

#include <QSortFilterProxyModel>
#include <QStringList>

// Proxy of the account windows: shows the chosen accounts, filters item rows
// by texts typed per column, sorts accounts by name and rows by sort value.
class kuTreeViewProxyModel : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit kuTreeViewProxyModel(QObject* parent = nullptr);

    // Accounts to show; an empty list shows all.
    virtual void setAccounts(const QList<QString>& accounts);
    virtual void setColumnFilter(int column, const QString& text);
    // Forwarded to a kuTreeViewModel source; nothing otherwise.
    virtual void setColumns(const QList<QSharedPointer<kuObjectHeaderItem>>& columns);
    virtual void clear();

    // Forwarded to a kuTreeViewModel source; -1 and false without one.
    int appendTopItem(const QString& name);
    void removeTopRow(int row);
    void appendChildren(int topRow, const QList<QSharedPointer<kuObjectModelAbstractItem>>& items);
    bool appendChild(int topRow, const QSharedPointer<kuObjectModelAbstractItem>& item);

    QList<QString> accounts() const;

protected:
    virtual bool acceptsAccount(int sourceRow, const QModelIndex& sourceParent) const;
    virtual bool acceptsText(int sourceRow, const QModelIndex& sourceParent) const;
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    QList<QString> m_accounts;
    kuColumnFilter m_filter;
};
