#include "kutreeviewmodel.h"

#include "kutableviewmodel.h"

#include <QDebug>

#include <climits>

kuTreeViewModel::kuTreeViewModel(QObject* parent) : QAbstractItemModel(parent)
{}

kuTreeViewModel::~kuTreeViewModel() = default;

int kuTreeViewModel::bitsFor(int topRows)
{
    return (topRows + 1) / 2;
}

quint32 kuTreeViewModel::maskFor(int bits)
{
    return bits < 2 ? 1u : (quint32(1) << bits) - 1;
}

bool kuTreeViewModel::childId(int childRow, int topRow, int bits, quint32* id)
{
    if (childRow < 0 || topRow < 0 || bits > 31)
        return false;
    const quint64 shifted = quint64(childRow) + 1;
    if (shifted >= (quint64(1) << (32 - bits)))
        return false;
    const quint32 value = (quint32(shifted) << bits) | quint32(topRow);
    if (value == 0xffffffffu)
        return false;
    *id = value;
    return true;
}

int kuTreeViewModel::topRowBits() const
{
    return m_bits;
}

quint32 kuTreeViewModel::topRowMask() const
{
    return maskFor(m_bits);
}

bool kuTreeViewModel::isTopRow(const QModelIndex& index) const
{
    return index.isValid() && (quint32(index.internalId()) >> m_bits) == 0;
}

int kuTreeViewModel::roomUnder(int topRow) const
{
    if (topRow < 0 || topRow >= m_children.size() || m_bits > 31)
        return 0;
    // Child ids are ((row + 1) << bits) | top, all ones excluded.
    const quint64 rows = (quint64(1) << (32 - m_bits)) - 2;
    const quint64 used = quint64(m_children.at(topRow).size());
    return used >= rows ? 0 : int(qMin<quint64>(rows - used, quint64(INT_MAX)));
}

int kuTreeViewModel::topRowOf(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return -1;
    const quint32 id = quint32(index.internalId());
    const int top = (id >> m_bits) == 0 ? int(id) : int(id & topRowMask());
    return top < m_children.size() ? top : -1;
}

void kuTreeViewModel::reencode(int newBits, int removedTop)
{
    const int oldBits = m_bits;
    const quint32 oldMask = maskFor(oldBits);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& index : from) {
        const quint32 id = quint32(index.internalId());
        if ((id >> oldBits) == 0) {
            // Top rows already carry their new row number.
            to << createIndex(index.row(), index.column(), quintptr(index.row()));
            continue;
        }
        int top = int(id & oldMask);
        if (removedTop >= 0 && top > removedTop)
            --top;
        quint32 newId = 0;
        if (top < m_children.size() && childId(index.row(), top, newBits, &newId))
            to << createIndex(index.row(), index.column(), quintptr(newId));
        else
            to << QModelIndex();
    }
    m_bits = newBits;
    // Listeners that store persistent indexes on the announcement get the new encoding.
    changePersistentIndexList(from, to);
    emit layoutAboutToBeChanged();
    emit layoutChanged();
}

int kuTreeViewModel::appendTopItem(const QString& name)
{
    const int row = m_children.size();
    if (row >= maxTopRows) {
        qWarning() << "kuTreeViewModel: no room for another top row" << name;
        return -1;
    }
    const int bits = bitsFor(row + 1);
    if (bits != m_bits)
        reencode(bits, -1);
    beginInsertRows(QModelIndex(), row, row);
    m_children.append(QList<QSharedPointer<kuObjectModelAbstractItem>>());
    m_topNames.append(name);
    endInsertRows();
    return row;
}

void kuTreeViewModel::removeTopRow(int row)
{
    if (row < 0 || row >= m_children.size())
        return;
    const int childCount = m_children.at(row).size();
    if (childCount > 0) {
        beginRemoveRows(index(row, 0), 0, childCount - 1);
        m_children[row].clear();
        endRemoveRows();
    }
    const int count = m_children.size();
    beginRemoveRows(QModelIndex(), row, row);
    m_children.remove(row);
    m_topNames.removeAt(row);
    endRemoveRows();
    const int bits = bitsFor(count - 1);
    if (bits != m_bits || row != count - 1)
        reencode(bits, row);
}

void kuTreeViewModel::appendChildren(int topRow, const QList<QSharedPointer<kuObjectModelAbstractItem>>& items)
{
    for (const auto& item : items)
        appendChild(topRow, item);
}

bool kuTreeViewModel::appendChild(int topRow, const QSharedPointer<kuObjectModelAbstractItem>& item)
{
    if (!item)
        return false;
    if (topRow < 0 || topRow >= m_children.size()) {
        qWarning() << "kuTreeViewModel: no top row" << topRow;
        return false;
    }
    const int row = m_children.at(topRow).size();
    quint32 id = 0;
    if (!childId(row, topRow, m_bits, &id)) {
        qWarning() << "kuTreeViewModel: no room for another row under top row" << topRow;
        return false;
    }
    beginInsertRows(index(topRow, 0), row, row);
    m_children[topRow].append(item);
    endInsertRows();
    return true;
}

void kuTreeViewModel::clear()
{
    beginResetModel();
    m_children.clear();
    m_topNames.clear();
    m_bits = 0;
    endResetModel();
}

QVariant kuTreeViewModel::itemData(int topRow, int childRow, int column, int role) const
{
    if (topRow < 0 || topRow >= m_children.size())
        return QVariant();
    const auto& children = m_children.at(topRow);
    if (childRow < 0 || childRow >= children.size())
        return QVariant();
    const kuObjectModelAbstractItem* item = children.at(childRow).data();
    if (!item)
        return QVariant();
    return item->roleData(column, role, SortRole, ItemTypeRole);
}

QModelIndex kuTreeViewModel::index(int row, int column, const QModelIndex& parent) const
{
    if (!hasIndex(row, column, parent))
        return QModelIndex();
    if (!parent.isValid())
        return createIndex(row, column, quintptr(row));
    quint32 id = 0;
    if (!childId(row, parent.row(), m_bits, &id))
        return QModelIndex();
    return createIndex(row, column, quintptr(id));
}

QModelIndex kuTreeViewModel::parent(const QModelIndex& child) const
{
    if (isTopRow(child))
        return QModelIndex();
    const int top = topRowOf(child);
    return top < 0 ? QModelIndex() : createIndex(top, 0, quintptr(top));
}

int kuTreeViewModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return m_children.size();
    // Only column 0 of a top row has children.
    if (parent.column() != 0 || !isTopRow(parent))
        return 0;
    const int top = topRowOf(parent);
    return top < 0 ? 0 : m_children.at(top).size();
}

int kuTreeViewModel::columnCount(const QModelIndex& parent) const
{
    Q_UNUSED(parent)
    return m_columns.size();
}

QVariant kuTreeViewModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || isTopRow(index))
        return QVariant();
    const int top = topRowOf(index);
    return top < 0 ? QVariant() : itemData(top, index.row(), index.column(), role);
}

QVariant kuTreeViewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    return kuTableViewModel::columnHeaderData(m_columns, section, orientation, role);
}

void kuTreeViewModel::setColumns(const QList<QSharedPointer<kuObjectHeaderItem>>& columns)
{
    beginResetModel();
    m_columns = columns;
    endResetModel();
}
