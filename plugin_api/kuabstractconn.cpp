#include "kuabstractconn.h"

#include <QDebug>

kuAbstractConn::kuAbstractConn(QObject* parent) : QObject(parent)
{
    // The signals carry WinType across threads.
    registerWinType();
}

kuAbstractConn::~kuAbstractConn() = default;

void kuAbstractConn::fail(const QString& text)
{
    qCritical().noquote() << text;
    emit on_connStatusChange(false);
}

void kuAbstractConn::authorize(const QString&, const QString&, const QString&, const QString&)
{
    fail(tr("Не удалось подключиться к выбранному серверу. Пожалуйста, выберите другой сервер..."));
}

int kuAbstractConn::unAuthorize(const QString&)
{
    return 0;
}

void kuAbstractConn::getInitInfo()
{
    fail(tr("Не удалось получить список доступных инструментов"));
}

void kuAbstractConn::getCandles(int, const QString&, const QString&, const QString&)
{
    fail(tr("Не удалось получить свечи по данному инструменту"));
}

void kuAbstractConn::getOrderBook(int)
{
    fail(tr("Не удалось получить очередь заявок по данному инструменту"));
}

void kuAbstractConn::getLastTrades(int)
{
    fail(tr("Не удалось получить очередь сделок по данному инструменту"));
}

void kuAbstractConn::getQuotes(int)
{
    fail(tr("Не удалось получить котировку по данному инструменту"));
}

void kuAbstractConn::getDateTime()
{
    fail(tr("Не удалось получить время сервера"));
}

void kuAbstractConn::getPortfolio()
{
    fail(tr("Не удалось получить информацию о состоянии счетов"));
}

void kuAbstractConn::getOrders()
{
    fail(tr("Не удалось получить информацию о поручениях"));
}

void kuAbstractConn::getTrades()
{
    fail(tr("Не удалось получить информацию о сделках"));
}

void kuAbstractConn::getReportData(int, const QString&, const QString&, const QString&)
{}
void kuAbstractConn::getPluginList(const QString&, const QString&)
{}
void kuAbstractConn::unsubscribe(WinType, int)
{}
void kuAbstractConn::newOrder(const QJsonObject&)
{}
void kuAbstractConn::modifyOrder(const QJsonObject&)
{}
void kuAbstractConn::cancelOrder(const QJsonObject&)
{}
void kuAbstractConn::newStopOrder(const QJsonObject&)
{}
void kuAbstractConn::modifyStopOrder(const QJsonObject&)
{}
void kuAbstractConn::cancelStopOrder(const QJsonObject&)
{}
void kuAbstractConn::requestLastPrice(int)
{}

QString kuAbstractConn::sessionId() const
{
    return QString();
}

QString kuAbstractConn::serverUrl() const
{
    return QString();
}

void kuAbstractConn::statusAuthorization(const QVariantList&)
{
    emit on_connStatusChange(false);
}
