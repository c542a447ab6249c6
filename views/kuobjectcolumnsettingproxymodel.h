#pragma once

#include <QSortFilterProxyModel>

// Offers only the columns the user may show: always-hidden ones are left out.
class kuObjectColumnSettingProxyModel : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit kuObjectColumnSettingProxyModel(QObject* parent = nullptr);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
};
