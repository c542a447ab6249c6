#include "kuobjectcolumnsettingmodel.h"

#include "kulook.h"

kuObjectColumnSettingModel::kuObjectColumnSettingModel(kuObjectView::ColumnMap* columns, QObject* parent)
    : QAbstractListModel(parent), m_columns(columns)
{}

kuObjectHeaderItem* kuObjectColumnSettingModel::columnAt(int row) const
{
    if (!m_columns || row < 0 || row >= m_columns->size())
        return nullptr;
    return std::next(m_columns->constBegin(), row).value().data();
}

int kuObjectColumnSettingModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_columns ? 0 : m_columns->size();
}

QVariant kuObjectColumnSettingModel::data(const QModelIndex& index, int role) const
{
    const kuObjectHeaderItem* column = index.isValid() ? columnAt(index.row()) : nullptr;
    if (!column)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole: {
        // A two-line column title shows on one line.
        QString title = column->title();
        title.remove(QLatin1Char('\n'));
        title.remove(QLatin1Char('\r'));
        return title;
    }
    case Qt::ToolTipRole:
        return column->toolTip();
    case Qt::FontRole:
        return kuLook::masterFont();
    case Qt::CheckStateRole:
        return column->isVisible() ? Qt::Checked : Qt::Unchecked;
    case AlwaysHiddenRole:
        return column->isAlwaysHidden();
    default:
        return QVariant();
    }
}

Qt::ItemFlags kuObjectColumnSettingModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags result = QAbstractListModel::flags(index);
    if (index.isValid())
        result |= Qt::ItemIsUserCheckable;
    return result;
}

bool kuObjectColumnSettingModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    kuObjectHeaderItem* column = index.isValid() ? columnAt(index.row()) : nullptr;
    if (!column || role != Qt::CheckStateRole)
        return false;
    column->setVisible(value.toInt() == Qt::Checked);
    emit dataChanged(index, index);
    return true;
}
