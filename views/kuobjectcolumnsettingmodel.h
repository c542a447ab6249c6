#pragma once

#include "kuobjectview.h"

#include <QAbstractListModel>

// The descriptors of a view as a list of tickable column titles.
class kuObjectColumnSettingModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role
    {
        AlwaysHiddenRole = Qt::UserRole + 1
    };

    explicit kuObjectColumnSettingModel(kuObjectView::ColumnMap* columns, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    kuObjectHeaderItem* columnAt(int row) const;

    kuObjectView::ColumnMap* m_columns;
};
