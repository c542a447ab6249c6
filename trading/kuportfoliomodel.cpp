#include "kuportfoliomodel.h"

#include "kufunctions.h"
#include "kuportfoliomoneyitem.h"
#include "kuportfoliopositionitem.h"

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
        if (position->paperID() == price.first) {
            position->updateLastPrice(price.first, price.second);
            changed << row;
        }
        sum += position->changeSum();
    }
    int moneyRow = -1;
    for (int row = 0; row < rows.size() && moneyRow < 0; ++row) {
        if (auto* money = qobject_cast<kuPortfolioMoneyItem*>(rows.at(row).data())) {
            money->setPositionsChange(sum);
            moneyRow = row;
        }
    }
    if (changed.isEmpty())
        return false;
    // The changed cells, the money row's change and the account's total all repaint.
    const QModelIndex parent = index(top, 0);
    for (int row : qAsConst(changed))
        rowChanged(parent, row);
    if (moneyRow >= 0)
        rowChanged(parent, moneyRow);
    rowChanged(QModelIndex(), top);
    return true;
}

bool kuPortfolioModel::setRows(int top, const QVariant& value)
{
    const Rows rows = value.value<Rows>();
    if (rows.isEmpty())
        return false;
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
    marginParams[top] = value.userType() == qMetaTypeId<marginParam>() ? value.value<marginParam>() : marginParam();
    rowChanged(QModelIndex(), top);
    return true;
}
