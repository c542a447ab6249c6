#pragma once

#include "kutableviewproxymodel.h"

#include <QVector>

class kuWorkspaceSettingProxyModel : public kuTableViewProxyModel
{
    Q_OBJECT
public:
    explicit kuWorkspaceSettingProxyModel(QObject* parent = nullptr);

    // Forwarded to a kuWorkspaceSettingModel source; nothing otherwise.
    void setItems(const QVector<QSharedPointer<kuObjectModelAbstractItem>>& items);
};
