#include "kuworkspacesettingproxymodel.h"

#include "kuworkspacesettingmodel.h"

kuWorkspaceSettingProxyModel::kuWorkspaceSettingProxyModel(QObject* parent) : kuTableViewProxyModel(parent)
{}

void kuWorkspaceSettingProxyModel::setItems(const QVector<QSharedPointer<kuObjectModelAbstractItem>>& items)
{
    if (auto* source = qobject_cast<kuWorkspaceSettingModel*>(sourceModel()))
        source->setItems(items);
}
