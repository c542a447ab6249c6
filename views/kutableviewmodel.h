#pragma once

#include "kuobjectheaderitem.h"
#include "kuobjectmodelabstractitem.h"

#include <QAbstractTableModel>
#include <QList>
#include <QSharedPointer>
#include <QVector>

// The flat list model behind every table window: one item per row, one
// column descriptor per column. Windows derive from it and add their own
// update and removal operations.
class kuTableViewModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Role
    {
        SortRole = Qt::UserRole + 1,
        ItemTypeRole = Qt::UserRole + 2
    };

    explicit kuTableViewModel(QObject* parent = nullptr);
    ~kuTableViewModel() override;

    virtual void setColumns(const QList<QSharedPointer<kuObjectHeaderItem>>& columns);
    // The new row's number.
    virtual int appendItem(const QSharedPointer<kuObjectModelAbstractItem>& item);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Header data of a column list, shared with the tree model.
    static QVariant columnHeaderData(const QList<QSharedPointer<kuObjectHeaderItem>>& columns, int section,
                                     Qt::Orientation orientation, int role);

protected:
    QList<QSharedPointer<kuObjectHeaderItem>> m_columns;
    QVector<QSharedPointer<kuObjectModelAbstractItem>> m_items;
};
