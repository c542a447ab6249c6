#pragma once

#include "kucolumnfilter.h"
#include "kuobjectheaderitem.h"
#include "kuobjectmodelabstractitem.h"

#include <QSortFilterProxyModel>

// Sort and filter proxy of every table window: sorts by the items' raw sort
// values, filters rows by texts typed per column (joined by OR).
class kuTableViewProxyModel : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit kuTableViewProxyModel(QObject* parent = nullptr);

    // Forwarded to a kuTableViewModel source; nothing otherwise.
    virtual void setColumns(const QList<QSharedPointer<kuObjectHeaderItem>>& columns);
    virtual void setColumnFilter(int column, const QString& text);
    // One text on several columns, filtered once.
    void setColumnFilters(const QList<int>& columns, const QString& text);
    // The source row of the new item, or -1 without a kuTableViewModel source.
    virtual int appendItem(const QSharedPointer<kuObjectModelAbstractItem>& item);

    const QMap<int, QString>& columnFilters() const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    kuColumnFilter m_filter;
};
