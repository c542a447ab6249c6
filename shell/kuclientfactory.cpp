#include "kuclient.h"

#include "kuclientmakers.h"
#include "kupaperlist.h"
#include "kutabwidget.h"
#include "kuwindowbase.h"
#include "kuworkspace.h"

#include <QDebug>
#include <QUuid>

void kuClient::setWindowMaker(WinType winType, WindowMaker make)
{
    if (make)
        clientMakers().windowMakers.insert(winType, std::move(make));
    else
        clientMakers().windowMakers.remove(winType);
    if (liveInstance())
        liveInstance()->updateMakerActions();
}

bool kuClient::hasWindowMaker(WinType winType)
{
    return clientMakers().windowMakers.contains(winType);
}

kuWindowBase* kuClient::singleWindow(WinType winType)
{
    QPointer<kuWindowBase>& window = m_singleWindows[winType];
    if (window)
        return window;
    const WindowMaker make = clientMakers().windowMakers.value(winType);
    if (!make)
        return nullptr;
    window = make(this, 0);
    if (!window)
        return nullptr;
    // Docked and found again under its class name.
    if (window->objectName().isEmpty())
        window->setObjectName(QLatin1String(window->metaObject()->className()));
    if (winType == wtQuotes)
        window->setWindowTitle(tr("Котировки"));
    else if (winType == wtOrders)
        window->setWindowTitle(tr("Поручения"));
    else
        window->setWindowTitle(tr("Сделки"));
    return window;
}

kuWindowBase* kuClient::quotesWindow()
{
    return singleWindow(wtQuotes);
}

kuWindowBase* kuClient::ordersWindow()
{
    return singleWindow(wtOrders);
}

kuWindowBase* kuClient::tradesWindow()
{
    return singleWindow(wtTrades);
}

void kuClient::addSingleWindow(WinType winType, kuWorkSpace* workSpace, const QJsonObject& windowObject)
{
    if (!workSpace)
        return;
    kuWindowBase* window = singleWindow(winType);
    if (!window)
        return;
    const QString name = QLatin1String(window->metaObject()->className());
    // Docked elsewhere already (a layout naming it in two tabs): a second dock would tear it from the first.
    const kuWorkSpace* holder = workSpaceHolding(name);
    if (holder && holder != workSpace)
        return;
    if (!windowObject.isEmpty())
        window->restoreSettings(windowObject);
    workSpace->addWindow(window, name, window->windowTitle());
}

kuWorkSpace* kuClient::workSpaceHolding(const QString& name)
{
    kuTabWidget* tabs = tabWidget();
    for (int i = 0; i < tabs->count(); ++i) {
        kuWorkSpace* page = tabs->workSpace(i);
        if (page && page->containsWindow(name))
            return page;
    }
    return nullptr;
}

bool kuClient::dockWindow(kuWindowBase* window, kuWorkSpace* workSpace, const QString& name, const QString& title)
{
    if (workSpace->addWindow(window, name, title))
        return true;
    // Left undocked it would stay subscribed and invisible for good.
    qWarning().noquote() << "Window not docked, dropped:" << name;
    window->disconnectAll();
    window->unsubscribe();
    delete window;
    return false;
}

void kuClient::addQuotesWindow(kuWorkSpace* workSpace, const QJsonObject& windowObject)
{
    addSingleWindow(wtQuotes, workSpace, windowObject);
}

void kuClient::addOrdersWindow(kuWorkSpace* workSpace, const QJsonObject& windowObject)
{
    addSingleWindow(wtOrders, workSpace, windowObject);
}

void kuClient::addTradesWindow(kuWorkSpace* workSpace, const QJsonObject& windowObject)
{
    addSingleWindow(wtTrades, workSpace, windowObject);
}

void kuClient::addPortfolioWindow(kuWorkSpace* workSpace, const QString& name, const QJsonObject& windowObject)
{
    // A name taken in its tab comes only from a broken layout: that window is not made.
    if (!workSpace || (!name.isEmpty() && workSpace->containsWindow(name)))
        return;
    const WindowMaker make = clientMakers().windowMakers.value(wtPortfolio);
    kuWindowBase* window = make ? make(this, 0) : nullptr;
    if (!window)
        return;
    window->restoreSettings(windowObject);
    const QString title = tr("Состояние счета");
    window->setWindowTitle(title);
    dockWindow(window, workSpace, name.isEmpty() ? QUuid::createUuid().toString() : name, title);
}

void kuClient::addPaperWindow(WinType winType, kuWorkSpace* workSpace, int paperID, const QString& name,
                              const QJsonObject& windowObject)
{
    const QSharedPointer<kuPaperInfo> paper =
            paperID != 0 ? kuPaperList::instance()->paper(paperID) : QSharedPointer<kuPaperInfo>();
    // A name taken in its tab comes only from a broken layout: that window is not made.
    if (!workSpace || !paper || (!name.isEmpty() && workSpace->containsWindow(name)))
        return;
    const WindowMaker make = clientMakers().windowMakers.value(winType);
    if (!make)
        return;
    const QString title = winType == wtChart ? tr("График %1").arg(paper->issuer())
                                             : paper->ticker() + QStringLiteral(" - ") + paper->issuer();
    kuWindowBase* window = make(this, paperID);
    if (!window)
        return;
    window->restoreSettings(windowObject);
    window->setWindowTitle(title);
    dockWindow(window, workSpace, name.isEmpty() ? QUuid::createUuid().toString() : name, title);
}

void kuClient::addChartWindow(kuWorkSpace* workSpace, int paperID, const QString& name, const QJsonObject& windowObject)
{
    addPaperWindow(wtChart, workSpace, paperID, name, windowObject);
}

void kuClient::addOrderBookWindow(kuWorkSpace* workSpace, int paperID, const QString& name,
                                  const QJsonObject& windowObject)
{
    addPaperWindow(wtOrderBook, workSpace, paperID, name, windowObject);
}

void kuClient::addLastTradesWindow(kuWorkSpace* workSpace, int paperID, const QString& name,
                                   const QJsonObject& windowObject)
{
    addPaperWindow(wtLastTrades, workSpace, paperID, name, windowObject);
}

void kuClient::createChart(int paperID)
{
    addChartWindow(currentWorkSpace(), paperID, QString(), QJsonObject());
}

void kuClient::createOrderBook(int paperID)
{
    addOrderBookWindow(currentWorkSpace(), paperID, QString(), QJsonObject());
}

void kuClient::createLastTrades(int paperID)
{
    addLastTradesWindow(currentWorkSpace(), paperID, QString(), QJsonObject());
}

kuWorkSpace* kuClient::currentWorkSpace()
{
    return tabWidget()->currentWorkSpace();
}

kuWorkSpace* kuClient::workSpace(int index)
{
    return tabWidget()->workSpace(index);
}

bool kuClient::activateWindowTab(QWidget* window)
{
    if (!window)
        return false;
    kuTabWidget* tabs = tabWidget();
    for (int i = 0; i < tabs->count(); ++i) {
        kuWorkSpace* page = tabs->workSpace(i);
        if (page && page->containsWindow(window->objectName())) {
            tabs->setCurrentIndex(i);
            return true;
        }
    }
    return false;
}

void kuClient::openSingleWindow(WinType winType)
{
    activateWindowTab(singleWindow(winType));
    addSingleWindow(winType, currentWorkSpace(), QJsonObject());
}

void kuClient::choosePaperWindow(WinType winType)
{
    // Without a maker the choice would lead nowhere.
    if (!hasWindowMaker(winType))
        return;
    const int paperID = choosePaper();
    if (paperID != 0)
        addPaperWindow(winType, currentWorkSpace(), paperID, QString(), QJsonObject());
}

void kuClient::slot_createChart()
{
    choosePaperWindow(wtChart);
}

void kuClient::slot_createOrderBook()
{
    choosePaperWindow(wtOrderBook);
}

void kuClient::slot_createLastTrades()
{
    choosePaperWindow(wtLastTrades);
}

void kuClient::slot_createQuotes()
{
    openSingleWindow(wtQuotes);
}

void kuClient::slot_openWinPositions()
{
    addPortfolioWindow(currentWorkSpace(), QString(), QJsonObject());
}

void kuClient::slot_openWinOrders()
{
    openSingleWindow(wtOrders);
}

void kuClient::slot_openWinTrades()
{
    openSingleWindow(wtTrades);
}
