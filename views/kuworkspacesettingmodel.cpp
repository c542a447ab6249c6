#include "kuworkspacesettingmodel.h"

#include "kuworkspacesettingitem.h"

#include <QColor>

kuWorkspaceSettingModel::kuWorkspaceSettingModel(QObject* parent) : kuTableViewModel(parent)
{}

QVariant kuWorkspaceSettingModel::data(const QModelIndex& index, int role) const
{
    if (index.isValid() && index.row() < m_items.size()) {
        if (const auto* item = qobject_cast<const kuWorkspaceSettingItem*>(m_items.at(index.row()).data())) {
            switch (role) {
            case PathRole:
                return item->path();
            case DescriptionRole:
                return item->description();
            case ActiveRole:
                return item->isActive();
            case ExistsRole:
                return item->exists();
            case Qt::BackgroundRole:
                return QColor(Qt::transparent);
            default:
                break;
            }
        }
    }
    return kuTableViewModel::data(index, role);
}

void kuWorkspaceSettingModel::setItems(const QVector<QSharedPointer<kuObjectModelAbstractItem>>& items)
{
    beginResetModel();
    m_items = items;
    endResetModel();
}
