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

void kuOrderBookProxyModel::showOrder(qint64 orderID, double price, qint64 amount)
{
    if (kuOrderBookModel* model = bookModel())
        model->showOrder(orderID, price, amount);
}

void kuOrderBookProxyModel::hideOrder(qint64 orderID)
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
