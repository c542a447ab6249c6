#include "kuquotesproxymodel.h"

#include "kuquotesitem.h"
#include "kuquotesmodel.h"

kuQuotesProxyModel::kuQuotesProxyModel(QObject* parent) : kuTableViewProxyModel(parent)
{}

kuQuotesModel* kuQuotesProxyModel::quotesModel() const
{
    return qobject_cast<kuQuotesModel*>(sourceModel());
}

void kuQuotesProxyModel::appendQuote(const QJsonObject& quote)
{
    if (kuQuotesModel* model = quotesModel())
        model->appendQuote(quote);
}

void kuQuotesProxyModel::updateQuote(const QJsonObject& quote)
{
    if (kuQuotesModel* model = quotesModel())
        model->updateQuote(quote);
}

void kuQuotesProxyModel::removeQuote(const QModelIndex& index)
{
    if (kuQuotesModel* model = quotesModel())
        model->removeQuote(index);
}

void kuQuotesProxyModel::sortAgain()
{
    if (sortColumn() >= 0 && !inOrder())
        sort(sortColumn(), sortOrder());
}

bool kuQuotesProxyModel::inOrder() const
{
    // The sort is stable: rows in which none stands before its predecessor stay as they are.
    const int column = sortColumn();
    const bool descending = sortOrder() == Qt::DescendingOrder;
    const int rows = rowCount();
    QModelIndex previous;
    for (int row = 0; row < rows; ++row) {
        const QModelIndex current = mapToSource(index(row, column));
        if (row > 0 && (descending ? lessThan(previous, current) : lessThan(current, previous)))
            return false;
        previous = current;
    }
    return true;
}

bool kuQuotesProxyModel::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    const kuQuotesModel* model = quotesModel();
    if (model && left.model() == model && right.model() == model && left.column() == right.column()) {
        const kuQuotesItem* a = model->quoteAt(left.row());
        const kuQuotesItem* b = model->quoteAt(right.row());
        if (a && b)
            return kuQuotesItem::compareSortValues(*a, *b, left.column()) < 0;
    }
    return kuTableViewProxyModel::lessThan(left, right);
}
