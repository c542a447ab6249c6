#include "kuquotes.h"
#include "ui_kuquotes.h"

#include "kuclient.h"
#include "kuconnectionmanager.h"
#include "kufunctions.h"
#include "kuiconmanager.h"
#include "kuordermanager.h"
#include "kuquotesmodel.h"
#include "kuquotesproxymodel.h"
#include "kuquotesview.h"

#include <QAction>
#include <QHeaderView>
#include <QJsonArray>
#include <QMenu>
#include <QMutexLocker>

namespace {
QPointer<kuAbstractConn> currentConnection()
{
    const QPointer<kuConnectionManager> manager = kuConnectionManager::instance();
    return manager ? manager->connection() : nullptr;
}
} // namespace

kuQuotes::kuQuotes(QWidget* parent)
    : kuWindowBase(parent), ui(new Ui::kuQuotes), m_proxy(std::make_unique<kuQuotesProxyModel>())
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("kuQuotes"));
    ui->setupUi(this);
    ui->quotesView->verticalHeader()->setVisible(false);
    setObjectName(QLatin1String(metaObject()->className()));
    init();
}

kuQuotes::~kuQuotes()
{
    // The view lets go of the proxy before it goes.
    if (m_view)
        m_view->setModel(nullptr);
}

void kuQuotes::registerWithClient()
{
    kuClient::setWindowMaker(wtQuotes, [](QWidget* parent, int) -> kuWindowBase* { return new kuQuotes(parent); });
}

void kuQuotes::init()
{
    m_view = ui->quotesView;
    const QList<QSharedPointer<kuObjectHeaderItem>> columns{
            kuObjectHeaderItem::create(tr("Инструмент"), tr("Тикер инструмента")),
            kuObjectHeaderItem::create(tr("Крат. \n наименование"), tr("Краткое наименование инструмента"), false),
            kuObjectHeaderItem::create(tr("Изменение %"), tr("Изменение цены в %")),
            kuObjectHeaderItem::create(tr("Покупка"),
                                       tr("Максимальная цена биржевой заявки на покупку, среди всех заявок, стоящих "
                                          "на бирже в настоящий момент.")),
            kuObjectHeaderItem::create(tr("На покупку"),
                                       tr("Количество (шт.) в заявках на покупку с максимальной ценой, стоящих на "
                                          "бирже в настоящий момент.")),
            kuObjectHeaderItem::create(tr("Продажа"),
                                       tr("Минимальная цена биржевой заявки на продажу, среди всех заявок, стоящих на "
                                          "бирже в настоящий момент.")),
            kuObjectHeaderItem::create(tr("На продажу"),
                                       tr("Количество (шт.) в заявках на продажу с минимальной ценой, стоящих на "
                                          "бирже в настоящий момент.")),
            kuObjectHeaderItem::create(tr("Всего\n на покуп."),
                                       tr("Общее количество заявок на покупку, стоящих на бирже в настоящий момент.")),
            kuObjectHeaderItem::create(tr("Всего\n на прод."),
                                       tr("Общее количество заявок на продажу, стоящих на бирже в настоящий момент.")),
            kuObjectHeaderItem::create(tr("Открытие"),
                                       tr("Цена открытия, вычисляемая биржей на основе заявок предторгового периода.")),
            kuObjectHeaderItem::create(tr("Максимум"), tr("Максимальная цена сделки данной биржевой сессии.")),
            kuObjectHeaderItem::create(tr("Минимум"), tr("Минимальная цена сделки данной биржевой сессии.")),
            kuObjectHeaderItem::create(tr("Последняя"), tr("Цена последней сделки данной биржевой сессии.")),
            kuObjectHeaderItem::create(tr("Средняя"),
                                       tr("Средневзвешенная цена по всем сделкам данной биржевой сессии.")),
            kuObjectHeaderItem::create(tr("Всего\n сделок"),
                                       tr("Количество сделок, заключенных на бирже в течение данной биржевой сессии.")),
            kuObjectHeaderItem::create(tr("Объем,\n бумаг"),
                                       tr("Количество бумаг, купленных - проданных в течение данной биржевой сессии.")),
            kuObjectHeaderItem::create(
                    tr("Объем,\n денег"),
                    tr("Суммарная стоимость всех сделок, заключенных на бирже в течение данной биржевой сессии.")),
            kuObjectHeaderItem::create(tr("Лучший\n спрос"),
                                       tr("Максимальная цена биржевой заявки на покупку, среди всех заявок, которые "
                                          "стояли на бирже в течение данной биржевой сессии")),
            kuObjectHeaderItem::create(tr("Лучшее\n предл."),
                                       tr("Минимальная цена биржевой заявки на продажу, среди всех заявок, которые "
                                          "стояли на бирже в течение данной биржевой сессии.")),
            kuObjectHeaderItem::create(tr("Закрытие"), tr("Цена закрытия предыдущей биржевой сессии")),
            kuObjectHeaderItem::create(tr("НКД"), tr("Накопленный купонный доход"), false),
            kuObjectHeaderItem::create(tr("Номинал"), tr("Номинал (для облигаций)"), false),
    };
    m_model = new kuQuotesModel(this);
    // A poll brings a record per instrument: one sort after them all, not a
    // layout change of the view for each.
    m_proxy->setDynamicSortFilter(false);
    m_proxy->setSourceModel(m_model);
    connect(m_model, &QAbstractItemModel::dataChanged, this, &kuQuotes::scheduleSort);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &kuQuotes::scheduleSort);
    // Records repaint the cells they change, after the sort, instead of the whole table each.
    m_view->setTrackedUpdates(true);
    m_view->buildColumns(columns);
    m_view->setModel(m_proxy.get());
    m_view->sortByColumn(kuQuotesItem::colTicker, Qt::AscendingOrder);
    createActions();
    fillToolBar();
    subscribe();
    hideLightBox();
    connect(m_view, &QWidget::customContextMenuRequested, this, &kuQuotes::slot_showContextMenu);
    connect(m_view, &QAbstractItemView::doubleClicked, this, &kuQuotes::slot_createOrder);
    connect(m_view, &kuTableView::on_dropPaperID, this, qOverload<int>(&kuQuotes::subscribe));
}

void kuQuotes::createActions()
{
    auto make = [this](const QString& text, const QString& toolTip, const QString& icon) {
        auto* action = new QAction(text, this);
        action->setToolTip(toolTip);
        if (!icon.isEmpty())
            action->setIcon(kuIconManager::icon(icon));
        return action;
    };
    m_addAction = make(tr("Добавить"), tr("Добавить инструмент"), QStringLiteral("append.png"));
    connect(m_addAction, &QAction::triggered, this, &kuQuotes::append);
    m_removeAction = make(tr("Удалить"), tr("Удалить выделенный инструмент"), QStringLiteral("remove.png"));
    m_removeAction->setShortcut(QKeySequence::Delete);
    // Only while the focus is in this window, and whether or not the tool bar shows.
    m_removeAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(m_removeAction);
    connect(m_removeAction, &QAction::triggered, this, &kuQuotes::remove);
    m_chartAction = make(tr("График"), tr("График"), QStringLiteral("chart.png"));
    connect(m_chartAction, &QAction::triggered, this, &kuQuotes::slot_createChart);
    m_orderBookAction = make(tr("Бирж. заявки"), tr("Бирж. заявки"), QStringLiteral("orderbook.png"));
    connect(m_orderBookAction, &QAction::triggered, this, &kuQuotes::slot_createOrderBook);
    m_lastTradesAction = make(tr("Все сделки"), tr("Все сделки"), QStringLiteral("all.trades.png"));
    connect(m_lastTradesAction, &QAction::triggered, this, &kuQuotes::slot_createLastTrades);
    m_controlPanelAction = make(tr("Панель управления"), tr("Панель управления"), QString());
    m_controlPanelAction->setCheckable(true);
    m_controlPanelAction->setChecked(true);
    connect(m_controlPanelAction, &QAction::toggled, ui->quotesToolBar, &QWidget::setVisible);
}

void kuQuotes::fillToolBar()
{
    const QList<QAction*> actions{m_addAction, m_removeAction, m_chartAction, m_orderBookAction, m_lastTradesAction};
    for (QAction* action : actions) {
        if (action != actions.first())
            ui->quotesToolBar->addSeparator();
        ui->quotesToolBar->addAction(action);
    }
}

QList<QAction*> kuQuotes::windowActions() const
{
    return {m_addAction, m_removeAction, m_chartAction, m_orderBookAction, m_lastTradesAction, m_controlPanelAction};
}

// ---- settings ----

QVariantList kuQuotes::paperList() const
{
    QVariantList list;
    for (int paperID : m_paperSet)
        list << paperID;
    return list;
}

void kuQuotes::setPaperList(const QVariantList& list)
{
    for (const QVariant& value : list) {
        bool ok = false;
        const int paperID = value.toInt(&ok);
        if (ok)
            subscribe(paperID);
    }
}

QString kuQuotes::columnState() const
{
    return m_view->columnState();
}

void kuQuotes::setColumnState(const QString& state)
{
    m_view->setColumnState(state);
}

bool kuQuotes::showHideControlPanel() const
{
    return m_controlPanelAction->isChecked();
}

void kuQuotes::setShowHideControlPanel(bool show)
{
    m_controlPanelAction->setChecked(show);
}

QJsonObject kuQuotes::saveSettings()
{
    QJsonObject settings = kuWindowBase::saveSettings();
    auto param = [](const QString& name, const QJsonValue& value) {
        return QJsonObject{
                {QStringLiteral("name"), name}, {QStringLiteral("label"), name}, {QStringLiteral("value"), value}};
    };
    const QJsonArray params{param(QStringLiteral("paperList"), QJsonArray::fromVariantList(paperList())),
                            param(QStringLiteral("columnState"), columnState()),
                            param(QStringLiteral("showHideControlPanel"), showHideControlPanel())};
    const QJsonObject group{{QStringLiteral("name"), QStringLiteral("quotesSetting")},
                            {QStringLiteral("label"), windowTitle()},
                            {QStringLiteral("params"), params}};
    settings.insert(QStringLiteral("settings"), QJsonArray{group});
    return settings;
}

// ---- streams ----

void kuQuotes::scheduleSort()
{
    if (m_sortPending)
        return;
    m_sortPending = true;
    QMetaObject::invokeMethod(
            this,
            [this] {
                m_sortPending = false;
                m_view->refreshAfter([this] { m_proxy->sortAgain(); });
            },
            Qt::QueuedConnection);
}

void kuQuotes::connectConverter()
{
    const QPointer<kuAbstractDataConverter> source = converter();
    if (!source)
        return;
    // Unique: the window subscribes again after every reconnection.
    connect(source, &kuAbstractDataConverter::on_snapshotQuotes, this, &kuQuotes::slot_snapshotQuotes,
            Qt::UniqueConnection);
    connect(source, &kuAbstractDataConverter::on_updateQuotes, this, &kuQuotes::slot_updateQuotes,
            Qt::UniqueConnection);
    connect(source, &kuAbstractDataConverter::on_receviedError, this, &kuWindowBase::slot_showError,
            Qt::UniqueConnection);
}

void kuQuotes::subscribe()
{
    connectConverter();
    const QList<int> ids = m_paperSet.values();
    for (int paperID : ids)
        subscribe(paperID);
}

void kuQuotes::subscribe(int paperID)
{
    const QPointer<kuAbstractConn> connection = currentConnection();
    if (!connection || paperID == 0)
        return;
    m_proxy->appendQuote(QJsonObject{{QStringLiteral("paperID"), paperID}});
    m_paperSet.insert(paperID);
    // A window closed and shown again was cut from the converter.
    connectConverter();
    Stream& stream = m_streams[paperID];
    const QString session = connection->sessionId();
    if (stream.connection != connection) {
        // A replaced connection forgot what the old one held.
        stream = Stream{connection, session, 0};
    } else if (stream.requests > 0 && stream.session == session) {
        return; // live on this session: the data flows already
    }
    // Records of an earlier session stay counted in the connection: keep counting them.
    stream.session = session;
    ++stream.requests;
    connection->getQuotes(paperID);
}

void kuQuotes::unsubscribePaper(int paperID)
{
    const QPointer<kuAbstractConn> connection = currentConnection();
    if (!connection || paperID == 0)
        return;
    m_paperSet.remove(paperID);
    endStream(paperID, connection);
}

void kuQuotes::endStream(int paperID, const QPointer<kuAbstractConn>& connection)
{
    const Stream held = m_streams.take(paperID);
    if (!connection || held.connection != connection)
        return; // nothing held on this connection: an unsubscribe would end another's stream
    // Blocking requests: the connection may go while one runs.
    for (int i = 0; i < held.requests && held.connection; ++i)
        held.connection->unsubscribe(winType(), paperID);
}

void kuQuotes::unsubscribe()
{
    // The requests below run a nested event loop: no lock is held across
    // them, the updates are cut first, and a call from inside returns.
    if (m_unsubscribing)
        return;
    m_unsubscribing = true;
    const QPointer<kuQuotes> self(this);
    // Only the converter is cut: the window's own signals still serve the workspace
    // when it is shown again, and the instruments stay for subscribe() to ask for anew.
    if (const QPointer<kuAbstractDataConverter> source = converter())
        QObject::disconnect(source, nullptr, this, nullptr);
    const QPointer<kuAbstractConn> connection = currentConnection();
    const QList<int> ids = m_paperSet.values();
    for (int paperID : ids) {
        endStream(paperID, connection);
        if (!self)
            return;
    }
    m_unsubscribing = false;
}

void kuQuotes::slot_snapshotQuotes(int PaperID, QJsonObject quotes)
{
    if (m_paperSet.contains(PaperID))
        m_proxy->updateQuote(quotes);
}

void kuQuotes::slot_updateQuotes(int PaperID, QJsonObject quotes)
{
    QMutexLocker lock(mutex());
    if (!m_paperSet.contains(PaperID))
        return;
    m_proxy->updateQuote(quotes);
}

void kuQuotes::slot_showError(WinType winType, QString msg, int paperID)
{
    if (winType != this->winType() || !m_paperSet.contains(paperID))
        return;
    const QPointer<kuQuotes> self(this);
    showError(msg);
    if (!self)
        return;
    hideLightBox();
    emit on_closeWindow();
}

// ---- commands ----

void kuQuotes::append()
{
    const QPointer<kuClient> client = kuClient::instance();
    if (!client)
        return;
    const int paperID = client->choosePaper();
    if (paperID != 0)
        subscribe(paperID);
}

int kuQuotes::currentPaperID() const
{
    const QModelIndex index = m_view->currentIndex();
    return index.isValid() ? index.data(kuQuotesModel::PaperIDRole).toInt() : 0;
}

void kuQuotes::remove()
{
    const QModelIndex index = m_view->currentIndex();
    if (!index.isValid())
        return;
    const int paperID = index.data(kuQuotesModel::PaperIDRole).toInt();
    m_proxy->removeQuote(index);
    unsubscribePaper(paperID);
}

void kuQuotes::slot_createChart()
{
    const int paperID = currentPaperID();
    if (const QPointer<kuClient> client = kuClient::instance(); client && paperID != 0)
        client->createChart(paperID);
}

void kuQuotes::slot_createOrderBook()
{
    const int paperID = currentPaperID();
    if (const QPointer<kuClient> client = kuClient::instance(); client && paperID != 0)
        client->createOrderBook(paperID);
}

void kuQuotes::slot_createLastTrades()
{
    const int paperID = currentPaperID();
    if (const QPointer<kuClient> client = kuClient::instance(); client && paperID != 0)
        client->createLastTrades(paperID);
}

void kuQuotes::slot_createOrder(QModelIndex index)
{
    if (!index.isValid())
        return;
    const double price = index.data(kuQuotesModel::PriceRole).toDouble();
    const int paperID = index.data(kuQuotesModel::PaperIDRole).toInt();
    const QPointer<kuClient> client = kuClient::instance();
    kuOrderManager* dialog = client ? client->orderManager() : nullptr;
    if (!dialog)
        return;
    dialog->setInstrument(paperID);
    dialog->setLotAmount(1.0);
    dialog->setPrice(price);
    dialog->exec();
}

QMenu* kuQuotes::buildContextMenu(const QPoint& pos)
{
    const QModelIndex index = m_view->indexAt(pos);
    auto* menu = new QMenu;
    QAction* columns = menu->addAction(tr("Настройка столбцов"));
    columns->setParent(menu);
    connect(columns, &QAction::triggered, m_view, &kuTableView::columnSetting);
    menu->addSeparator();
    menu->addAction(m_controlPanelAction);
    menu->addSeparator();
    menu->addAction(m_addAction);
    if (index.isValid())
        menu->addActions({m_removeAction, m_chartAction, m_orderBookAction, m_lastTradesAction});
    return menu;
}

void kuQuotes::slot_showContextMenu(QPoint pos)
{
    const QPoint global = m_view->viewport()->mapToGlobal(pos);
    QMenu* menu = buildContextMenu(pos);
    menu->exec(global);
    delete menu;
}
