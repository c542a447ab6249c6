#include "kupluginmanagermodel.h"

#include "kupluginmanageritem.h"

#include <utility>

namespace {
constexpr quintptr noIndex = ~quintptr(0);
}

kuPluginManagerModel::kuPluginManagerModel(QObject* parent) : QAbstractItemModel(parent)
{}

kuPluginManagerModel::~kuPluginManagerModel()
{
    clear();
}

int kuPluginManagerModel::groupBits(int groups)
{
    return (groups + 1) / 2;
}

int kuPluginManagerModel::groupBits() const
{
    return groupBits(m_groups.size());
}

QModelIndex kuPluginManagerModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0)
        return QModelIndex();
    if (!parent.isValid())
        return row < m_groups.size() ? createIndex(row, 0, quintptr(row)) : QModelIndex();
    if (parent.internalId() >> groupBits() != 0 || parent.internalId() == noIndex)
        return QModelIndex();
    const int group = parent.row();
    if (group >= m_groups.size() || row >= m_groups.at(group).size())
        return QModelIndex();
    return createIndex(row, 0, (quintptr(row + 1) << groupBits()) | quintptr(group));
}

QModelIndex kuPluginManagerModel::parent(const QModelIndex& child) const
{
    if (!child.isValid() || child.internalId() == noIndex)
        return QModelIndex();
    const quintptr id = child.internalId();
    const int bits = groupBits();
    if (id >> bits == 0)
        return QModelIndex();
    const int group = int(id & ((quintptr(1) << bits) - 1));
    return group < m_groups.size() ? createIndex(group, 0, quintptr(group)) : QModelIndex();
}

int kuPluginManagerModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return m_groups.size();
    if (parent.internalId() >> groupBits() != 0 || parent.row() >= m_groups.size())
        return 0;
    return m_groups.at(parent.row()).size();
}

int kuPluginManagerModel::columnCount(const QModelIndex& parent) const
{
    Q_UNUSED(parent)
    return 1;
}

kuPluginManagerItem* kuPluginManagerModel::itemAt(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return nullptr;
    const QModelIndex group = index.parent();
    if (!group.isValid() || group.row() >= m_groups.size())
        return nullptr;
    return m_groups.at(group.row()).value(index.row()).data();
}

QString kuPluginManagerModel::summary(int group) const
{
    const auto& items = m_groups.at(group);
    int updates = 0;
    for (const auto& item : items) {
        if (item->stateFlags() & prUpdateAvailable)
            ++updates;
    }
    QString text = tr("Количество доступных модулей: %1").arg(items.size());
    if (updates > 0)
        text += QLatin1Char('\n') + tr("Количество доступных обновлений: %1").arg(updates);
    return text;
}

QVariant kuPluginManagerModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    if (const kuPluginManagerItem* item = itemAt(index)) {
        switch (role) {
        case Qt::DisplayRole:
            return item->title();
        case Qt::DecorationRole:
            return item->icon();
        case DescriptionRole:
            return item->description();
        case VersionRole:
            return item->version();
        case InstalledRole:
            return item->isInstalled();
        case EnabledRole:
            return item->isEnabled();
        case ReservedRole:
            return item->reservedFlag();
        case GuidRole:
            return item->guid();
        case ProgressRole:
            return item->downloadProgress();
        case PriceRole:
            return item->price();
        default:
            return QVariant();
        }
    }
    if (index.parent().isValid() || index.row() >= m_groups.size())
        return QVariant();
    if (role == Qt::DisplayRole)
        return m_titles.at(index.row());
    if (role == SummaryRole)
        return summary(index.row());
    return QVariant();
}

Qt::ItemFlags kuPluginManagerModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags result = QAbstractItemModel::flags(index);
    if (const kuPluginManagerItem* item = itemAt(index))
        result |= Qt::ItemFlags(int(item->stateFlags()));
    return result;
}

int kuPluginManagerModel::addGroup(const QString& title)
{
    const int row = m_groups.size();
    // The ids of plug-in rows depend on the number of groups.
    const bool idsChange = groupBits(row + 1) != groupBits(row);
    if (idsChange)
        beginResetModel();
    else
        beginInsertRows(QModelIndex(), row, row);
    m_groups.append(QList<QSharedPointer<kuPluginManagerItem>>());
    m_titles.append(title);
    if (idsChange)
        endResetModel();
    else
        endInsertRows();
    return row;
}

void kuPluginManagerModel::removeGroup(int group)
{
    if (group < 0 || group >= m_groups.size())
        return;
    clearGroup(group);
    const int count = m_groups.size();
    const bool idsChange = groupBits(count - 1) != groupBits(count) || group != count - 1;
    if (idsChange)
        beginResetModel();
    else
        beginRemoveRows(QModelIndex(), group, group);
    m_groups.remove(group);
    m_titles.removeAt(group);
    if (idsChange)
        endResetModel();
    else
        endRemoveRows();
}

void kuPluginManagerModel::appendItems(int group, const QList<QSharedPointer<kuPluginManagerItem>>& items)
{
    for (const auto& item : items)
        appendItem(group, item);
}

bool kuPluginManagerModel::appendItem(int group, const QSharedPointer<kuPluginManagerItem>& item)
{
    if (!item || group < 0 || group >= m_groups.size())
        return false;
    const int row = m_groups.at(group).size();
    beginInsertRows(index(group, 0), row, row);
    m_groups[group].append(item);
    endInsertRows();
    connect(item.data(), &kuPluginManagerAbstractItem::needUpdate, this, &kuPluginManagerModel::slot_itemNeedUpdate);
    return true;
}

void kuPluginManagerModel::clearGroup(int group)
{
    if (group < 0 || group >= m_groups.size() || m_groups.at(group).isEmpty())
        return;
    beginRemoveRows(index(group, 0), 0, m_groups.at(group).size() - 1);
    const auto items = std::exchange(m_groups[group], {});
    for (const auto& item : items)
        disconnect(item.data(), nullptr, this, nullptr);
    endRemoveRows();
}

void kuPluginManagerModel::clear()
{
    beginResetModel();
    const auto groups = std::exchange(m_groups, {});
    m_titles.clear();
    for (const auto& group : groups) {
        for (const auto& item : group)
            disconnect(item.data(), nullptr, this, nullptr);
    }
    endResetModel();
    // The items go (and write their status) when groups goes out of scope.
}

void kuPluginManagerModel::invokeOnItem(const QModelIndex& index, const char* slot)
{
    if (kuPluginManagerItem* item = itemAt(index))
        QMetaObject::invokeMethod(item, slot);
}

void kuPluginManagerModel::install(const QModelIndex& index)
{
    invokeOnItem(index, "install");
}
void kuPluginManagerModel::update(const QModelIndex& index)
{
    invokeOnItem(index, "update");
}
void kuPluginManagerModel::enable(const QModelIndex& index)
{
    invokeOnItem(index, "enable");
}
void kuPluginManagerModel::disable(const QModelIndex& index)
{
    invokeOnItem(index, "disable");
}
void kuPluginManagerModel::remove(const QModelIndex& index)
{
    invokeOnItem(index, "remove");
}
void kuPluginManagerModel::cancel(const QModelIndex& index)
{
    invokeOnItem(index, "cancel");
}

void kuPluginManagerModel::cancelAll()
{
    for (const auto& group : qAsConst(m_groups)) {
        for (const auto& item : group)
            QMetaObject::invokeMethod(item.data(), "cancel");
    }
}

void kuPluginManagerModel::slot_itemNeedUpdate()
{
    const auto* changed = qobject_cast<kuPluginManagerItem*>(sender());
    if (!changed)
        return;
    for (int g = 0; g < m_groups.size(); ++g) {
        const auto& items = m_groups.at(g);
        for (int r = 0; r < items.size(); ++r) {
            if (items.at(r)->guid() == changed->guid()) {
                const QModelIndex row = index(r, 0, index(g, 0));
                emit dataChanged(row, row);
                emit needUpdate(row);
                return;
            }
        }
    }
}
