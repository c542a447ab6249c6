#pragma once

#include "kutableviewmodel.h"

// The rows of the saved settings dialog.
class kuWorkspaceSettingModel : public kuTableViewModel
{
    Q_OBJECT
public:
    enum Role
    {
        PathRole = 458,
        DescriptionRole = 459,
        ActiveRole = 460,
        ExistsRole = 461
    };

    explicit kuWorkspaceSettingModel(QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // Replaces every row in one reset.
    void setItems(const QVector<QSharedPointer<kuObjectModelAbstractItem>>& items);
};
