#include "kuorderbookproxymodel.h"

#include "kuorderbookmodel.h"

kuOrderBookProxyModel::kuOrderBookProxyModel(QObject* parent) : kuTableViewProxyModel(parent)
{}

kuOrderBookProxyModel::~kuOrderBookProxyModel() = default;

kuOrderBookModel* kuOrderBookProxyModel::bookModel() const
{
    return qobject_cast<kuOrderBookModel*>(sourceModel());
}

void kuOrderBookProxyModel::setOrderBook(const QJsonArray& orderBook, int lot, int decimals)
{
    if (kuOrderBookModel* model = bookModel())
        model->setOrderBook(orderBook, lot, decimals);
}

void kuOrderBookProxyModel::showOrder(int orderID, double price, int amount)
{
    if (kuOrderBookModel* model = bookModel())
        model->showOrder(orderID, price, amount);
}

void kuOrderBookProxyModel::hideOrder(int orderID)
{
    if (kuOrderBookModel* model = bookModel())
        model->hideOrder(orderID);
}

void kuOrderBookProxyModel::clearOrders()
{
    if (kuOrderBookModel* model = bookModel())
        model->clearOrders();
}

int kuOrderBookProxyModel::depth() const
{
    const kuOrderBookModel* model = bookModel();
    return model ? model->depth() : 20;
}

void kuOrderBookProxyModel::setDepth(int depth)
{
    if (kuOrderBookModel* model = bookModel())
        model->setDepth(depth);
}

QColor kuOrderBookProxyModel::bidColor() const
{
    const kuOrderBookModel* model = bookModel();
    return model ? model->bidColor() : QColor(Qt::green);
}

void kuOrderBookProxyModel::setBidColor(const QColor& color)
{
    if (kuOrderBookModel* model = bookModel())
        model->setBidColor(color);
}

QColor kuOrderBookProxyModel::offerColor() const
{
    const kuOrderBookModel* model = bookModel();
    return model ? model->offerColor() : QColor(Qt::red);
}

void kuOrderBookProxyModel::setOfferColor(const QColor& color)
{
    if (kuOrderBookModel* model = bookModel())
        model->setOfferColor(color);
}
