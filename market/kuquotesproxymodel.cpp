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
