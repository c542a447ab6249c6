#include "kuquotesproxymodel.h"

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
