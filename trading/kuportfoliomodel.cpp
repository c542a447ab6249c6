#include "kuportfoliomodel.h"

#include "kufunctions.h"
#include "kuportfoliomoneyitem.h"
#include "kuportfoliopositionitem.h"

#include <QIcon>

kuPortfolioModel::kuPortfolioModel(QObject* parent) : kuTreeViewModel(parent)
{
    registerTypes();
}

void kuPortfolioModel::registerTypes()
{
    qRegisterMetaType<marginParam>("kuPortfolioModel::marginParam");
    qRegisterMetaType<LastPrice>("QPair<int,double>");
    qRegisterMetaType<Rows>("QList<QSharedPointer<kuObjectModelAbstractItem>>");
}

int kuPortfolioModel::appendTopItem(const QString& name)
{
    marginParams.append(marginParam());
    const int row = kuTreeViewModel::appendTopItem(name);
    if (row < 0)
        marginParams.removeLast();
    return row;
}

void kuPortfolioModel::removeTopRow(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    marginParams.remove(row);
    kuTreeViewModel::removeTopRow(row);
}

QVariant kuPortfolioModel::itemData(int topRow, int childRow, int column, int role) const
{
    if (role >= PaperIDRole && role <= LastPriceRole && topRow >= 0 && topRow < m_children.size()) {
        const auto* position =
                qobject_cast<const kuPortfolioPositionItem*>(m_children.at(topRow).value(childRow).data());
        if (position) {
            switch (role) {
            case PaperIDRole:
                return position->paperID();
            case PaperTypeRole:
                return position->type();
            case AmountRole:
                return position->amount();
            default:
                return position->lastPrice();
            }
        }
    }
    return kuTreeViewModel::itemData(topRow, childRow, column, role);
}

QVariant kuPortfolioModel::data(const QModelIndex& index, int role) const
{
    if (index.row() < 0 || index.column() < 0 || !index.model())
        return QVariant();
    if (index.parent().isValid())
        return itemData(topRowOf(index), index.row(), index.column(), role);
    const int top = index.row();
    if (top >= m_topNames.size() || top >= marginParams.size())
        return QVariant();
    const bool headerRole = role == TitleRole || role == AccountRole || role == SummaryRole;
    if (role == MarginRole || (headerRole && index.column() != 0))
        return QVariant::fromValue(marginParams.at(top));
    switch (role) {
    case TitleRole:
        return tr("Состояние счета %1").arg(m_topNames.at(top));
    case AccountRole:
        return m_topNames.at(top);
    case SummaryRole:
        return tr("Баланс. стоимость %1").arg(accountTotal(top));
    default:
        return QVariant();
    }
}

QString kuPortfolioModel::accountTotal(int top) const
{
    double total = 0;
    for (const auto& row : m_children.at(top)) {
        if (const auto* money = qobject_cast<const kuPortfolioMoneyItem*>(row.data()))
            total += money->balance();
        else if (const auto* position = qobject_cast<const kuPortfolioPositionItem*>(row.data()))
            total += position->marketValue();
    }
    return formatNumber(total, 2, QLatin1Char(' '));
}

bool kuPortfolioModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.model() != this || index.parent().isValid())
        return false;
    const int top = index.row();
    if (top >= m_children.size() || top >= marginParams.size())
        return false;
    switch (role) {
    case SetLastPriceRole:
        return setLastPrice(top, value);
    case SetRowsRole:
        return setRows(top, value);
    case SetMarginRole:
        return setMargin(top, value);
    default:
        return false;
    }
}

void kuPortfolioModel::rowChanged(const QModelIndex& parent, int row)
{
    const int last = qMax(0, columnCount() - 1);
    emit dataChanged(index(row, 0, parent), index(row, last, parent));
}

bool kuPortfolioModel::setLastPrice(int top, const QVariant& value)
{
    const LastPrice price = value.canConvert<LastPrice>() ? value.value<LastPrice>() : LastPrice(0, 0.0);
    const Rows& rows = m_children.at(top);
    QList<int> changed;
    double sum = 0;
    for (int row = 0; row < rows.size(); ++row) {
        auto* position = qobject_cast<kuPortfolioPositionItem*>(rows.at(row).data());
        if (!position)
            continue;
        // The same price again shows nothing new.
        if (position->paperID() == price.first && !(position->lastPrice() == price.second)) {
            position->updateLastPrice(price.first, price.second);
            changed << row;
        }
        sum += position->changeSum();
    }
    int moneyRow = -1;
    bool moneyChanged = false;
    for (int row = 0; row < rows.size() && moneyRow < 0; ++row) {
        if (auto* money = qobject_cast<kuPortfolioMoneyItem*>(rows.at(row).data())) {
            moneyChanged = !(money->positionsChange() == sum);
            money->setPositionsChange(sum);
            moneyRow = row;
        }
    }
    if (changed.isEmpty())
        return false;
    // The changed rows, the money row's change and the account's total repaint.
    const QModelIndex parent = index(top, 0);
    for (int row : qAsConst(changed))
        rowChanged(parent, row);
    if (moneyChanged)
        rowChanged(parent, moneyRow);
    rowChanged(QModelIndex(), top);
    return true;
}

namespace {
// The roles a view or a caller reads from a child row.
constexpr int shownRoles[] = {Qt::DisplayRole,        Qt::ToolTipRole,
                              Qt::TextAlignmentRole,  Qt::ForegroundRole,
                              kuTreeViewModel::SortRole, kuTreeViewModel::ItemTypeRole};

bool sameDecoration(const QVariant& a, const QVariant& b)
{
    if (a.isValid() != b.isValid() || a.userType() != b.userType())
        return false;
    if (a.userType() == QMetaType::QIcon)
        return a.value<QIcon>().cacheKey() == b.value<QIcon>().cacheKey();
    return a == b;
}
} // namespace

bool kuPortfolioModel::sameCell(int top, int row, const QSharedPointer<kuObjectModelAbstractItem>& other,
                                int column) const
{
    const kuObjectModelAbstractItem* item = m_children.at(top).at(row).data();
    for (const int role : shownRoles) {
        if (item->roleData(column, role, SortRole, ItemTypeRole) != other->roleData(column, role, SortRole, ItemTypeRole))
            return false;
    }
    return sameDecoration(item->decoration(column), other->decoration(column));
}

bool kuPortfolioModel::sameRowSet(int top, const Rows& rows) const
{
    const Rows& current = m_children.at(top);
    if (current.size() != rows.size())
        return false;
    for (int row = 0; row < rows.size(); ++row) {
        const kuObjectModelAbstractItem* was = current.at(row).data();
        const kuObjectModelAbstractItem* now = rows.at(row).data();
        if (!was || !now || was->itemType() != now->itemType())
            return false;
        const auto* wasPosition = qobject_cast<const kuPortfolioPositionItem*>(was);
        const auto* nowPosition = qobject_cast<const kuPortfolioPositionItem*>(now);
        if (bool(wasPosition) != bool(nowPosition) ||
            (wasPosition && wasPosition->paperID() != nowPosition->paperID()))
            return false;
    }
    return true;
}

bool kuPortfolioModel::setRows(int top, const QVariant& value)
{
    const Rows rows = value.value<Rows>();
    if (rows.isEmpty())
        return false;
    if (sameRowSet(top, rows)) {
        // The same rows again: the new items take their places and only the cells that
        // show something else repaint.
        const QString total = accountTotal(top);
        const QModelIndex parent = index(top, 0);
        const int columns = columnCount();
        for (int row = 0; row < rows.size(); ++row) {
            QVector<bool> changed(columns, false);
            for (int column = 0; column < columns; ++column)
                changed[column] = !sameCell(top, row, rows.at(row), column);
            m_children[top][row] = rows.at(row);
            for (int column = 0; column < columns;) {
                if (!changed.at(column)) {
                    ++column;
                    continue;
                }
                int last = column;
                while (last + 1 < columns && changed.at(last + 1))
                    ++last;
                emit dataChanged(index(row, column, parent), index(row, last, parent));
                column = last + 1;
            }
        }
        if (accountTotal(top) != total)
            rowChanged(QModelIndex(), top);
        return true;
    }
    const int count = m_children.at(top).size();
    if (count > 0) {
        beginRemoveRows(index(top, 0), 0, count - 1);
        m_children[top].clear();
        endRemoveRows();
    }
    appendChildren(top, rows);
    rowChanged(QModelIndex(), top);
    return true;
}

bool kuPortfolioModel::setMargin(int top, const QVariant& value)
{
    const marginParam margin =
            value.userType() == qMetaTypeId<marginParam>() ? value.value<marginParam>() : marginParam();
    marginParam& stored = marginParams[top];
    // The same figures again change nothing the account row shows.
    if (stored.initMargin == margin.initMargin && stored.marginPortfolio == margin.marginPortfolio &&
        stored.minMargin == margin.minMargin)
        return true;
    stored = margin;
    rowChanged(QModelIndex(), top);
    return true;
}
