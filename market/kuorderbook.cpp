#include "kuorderbook.h"

#include "kuabstractconn.h"
#include "kuabstractdataconverter.h"
#include "kuclient.h"
#include "kuintegerdialog.h"
#include "kuobjectheaderitem.h"
#include "kuorderbookmodel.h"
#include "kuorderbookproxymodel.h"
#include "kuorderbooksetting.h"
#include "kuordermanager.h"
#include "kupaperlist.h"
#include "kurecordkeys.h"
#include "kutableview.h"

#include <QAction>
#include <QDebug>
#include <QHeaderView>
#include <QJsonObject>
#include <QMenu>
#include <QMutexLocker>
#include <QSet>
#include <QVBoxLayout>

namespace {
constexpr int yieldBidColumn = 1;
constexpr int priceColumn = 3;
constexpr int yieldOfferColumn = 5;
constexpr int minDepth = 1;
constexpr int maxDepth = 20;

QJsonObject param(const QString& name, const QString& label, const QJsonValue& value)
{
    return QJsonObject{
            {QStringLiteral("name"), name}, {QStringLiteral("label"), label}, {QStringLiteral("value"), value}};
}
} // namespace

kuOrderBook::kuOrderBook(QWidget* parent)
    : kuWindowBase(parent), ui(new Form), m_proxy(new kuOrderBookProxyModel), m_menu(new QMenu)
{
    setObjectName(QStringLiteral("kuOrderBook"));
    resize(301, 528);
    setContextMenuPolicy(Qt::NoContextMenu);
    setupForm();
    setWindowTitle(tr("Стакан"));
    setupView();

    kuTableView* table = ui->tableOrderBookView;
    connect(table, &QWidget::customContextMenuRequested, this, &kuOrderBook::slot_showContextMenu);
    connect(table, &QAbstractItemView::doubleClicked, this, &kuOrderBook::slot_createOrder);
    connect(table, &kuTableView::on_dropPaperID, this, &kuOrderBook::slot_reloadOrderBook);
    ordersWindowContact(OrdersContact::Follow);
}

kuOrderBook::~kuOrderBook()
{
    delete m_menu;
    delete m_proxy;
}

void kuOrderBook::registerWithClient()
{
    kuClient::setWindowMaker(wtOrderBook, [](QWidget* parent, int paperID) -> kuWindowBase* {
        auto* book = new kuOrderBook(parent);
        book->setPaper(paperID);
        return book;
    });
}

void kuOrderBook::setupForm()
{
    ui->centralwidget = new QWidget(this);
    ui->centralwidget->setObjectName(QStringLiteral("centralwidget"));
    ui->centralwidget->setContextMenuPolicy(Qt::NoContextMenu);
    ui->verticalLayout = new QVBoxLayout(ui->centralwidget);
    ui->verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    ui->verticalLayout->setContentsMargins(3, 3, 3, 3);
    kuTableView* table = new kuTableView(ui->centralwidget);
    ui->tableOrderBookView = table;
    table->setObjectName(QStringLiteral("tableOrderBookView"));
    table->setFocusPolicy(Qt::NoFocus);
    table->setContextMenuPolicy(Qt::CustomContextMenu);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    table->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    table->setAutoScroll(false);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setTabKeyNavigation(false);
    table->setDragDropOverwriteMode(false);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setWordWrap(false);
    table->setCornerButtonEnabled(false);
    table->verticalHeader()->setVisible(false);
    ui->verticalLayout->addWidget(table);
    setCentralWidget(ui->centralwidget);
}

void kuOrderBook::createMenu()
{
    m_menu->addAction(tr("Глубина стакана"), this, &kuOrderBook::slot_changeDepth);
    m_menu->addAction(tr("Цвета стакана"), this, &kuOrderBook::slot_changeColors);
    m_menu->addSeparator();
    m_reverseOrderAction = m_menu->addAction(tr("Обратный порядок"));
    m_reverseOrderAction->setCheckable(true);
    m_reverseOrderAction->setChecked(false);
    connect(m_reverseOrderAction, &QAction::toggled, this,
            [this](bool checked) { slot_sortOrder(checked ? Qt::DescendingOrder : Qt::AscendingOrder); });
    m_menu->addSeparator();
    m_showOrdersAction = m_menu->addAction(tr("Показывать свои поручения"));
    m_showOrdersAction->setCheckable(true);
    m_showOrdersAction->setChecked(true);
    connect(m_showOrdersAction, &QAction::toggled, this, &kuOrderBook::slot_showOpenedOrders);
}

void kuOrderBook::setupView()
{
    createMenu();
    const QList<QSharedPointer<kuObjectHeaderItem>> columns{
            kuObjectHeaderItem::create(tr("Дох."), tr("Доходность (для облигаций)"), false),
            kuObjectHeaderItem::create(tr("Покупка"), tr("Количество (шт.) на покупку"), true),
            kuObjectHeaderItem::create(tr("Цена"), tr("Цена"), true),
            kuObjectHeaderItem::create(tr("Продажа"), tr("Количество (шт.) на продажу"), true),
            kuObjectHeaderItem::create(tr("Дох."), tr("Доходность (для облигаций)"), false)};
    m_model = new kuOrderBookModel(this);
    m_proxy->setSourceModel(m_model);
    m_proxy->setBidColor(defaultBidColor);
    m_proxy->setOfferColor(defaultOfferColor);
    kuTableView* table = ui->tableOrderBookView;
    table->buildColumns(columns);
    table->setModel(m_proxy);
    table->horizontalHeader()->setSectionsMovable(false);
    table->verticalHeader()->setDefaultSectionSize(18);
    setSortOrder(0);
    slot_changeHiddenYield(true);
}

kuTableView* kuOrderBook::tableView() const
{
    return ui->tableOrderBookView;
}

// ---- properties ----

int kuOrderBook::depth() const
{
    return m_proxy->depth();
}

void kuOrderBook::setDepth(int depth)
{
    m_proxy->setDepth(qBound(minDepth, depth, maxDepth));
}

int kuOrderBook::sortOrder() const
{
    return m_reverseOrderAction->isChecked() ? 1 : 0;
}

void kuOrderBook::setSortOrder(int order)
{
    m_reverseOrderAction->setChecked(order == 1);
    slot_sortOrder(order == 1 ? Qt::DescendingOrder : Qt::AscendingOrder);
}

QString kuOrderBook::bidColor() const
{
    return m_proxy->bidColor().name();
}

void kuOrderBook::setBidColor(const QString& name)
{
    const QColor color(name);
    if (!color.isValid())
        return;
    m_proxy->setBidColor(color);
    repaintRows();
}

QString kuOrderBook::offerColor() const
{
    return m_proxy->offerColor().name();
}

void kuOrderBook::setOfferColor(const QString& name)
{
    const QColor color(name);
    if (!color.isValid())
        return;
    m_proxy->setOfferColor(color);
    repaintRows();
}

bool kuOrderBook::showOrders() const
{
    return m_showOrdersAction->isChecked();
}

void kuOrderBook::setShowOrders(bool show)
{
    m_showOrdersAction->setChecked(show);
}

// ---- instrument and stream ----

void kuOrderBook::setPaper(int paperID)
{
    setPaperID(paperID);
    if (const QSharedPointer<kuPaperInfo> paper = kuPaperList::instance()->paper(paperID)) {
        m_decimals = paper->decimals();
        m_lot = paper->lot();
        slot_changeHiddenYield(paper->type() != 2 && paper->type() != 9);
        setWindowTitle(paper->ticker() + QStringLiteral(" - ") + paper->issuer());
    }
    subscribe();
}

void kuOrderBook::subscribe()
{
    const int paper = paperID();
    requestSnapshot(this, &kuAbstractDataConverter::on_snapshotOrderBook, &kuOrderBook::slot_snapshotOrderBook,
                    [paper](kuAbstractConn* conn) { conn->getOrderBook(paper); });
}

void kuOrderBook::showFailedSnapshot()
{
    // An empty book would read as "nobody trades": the levels go and the window says why.
    m_proxy->setOrderBook(QJsonArray(), m_lot, m_decimals);
    setFailedText(ui->tableOrderBookView, tr("Не удалось загрузить стакан."));
}

void kuOrderBook::slot_snapshotOrderBook(int PaperID, QJsonArray orderBook)
{
    if (PaperID != paperID())
        return;
    endSnapshot(this, &kuAbstractDataConverter::on_snapshotOrderBook, &kuOrderBook::slot_snapshotOrderBook);
    m_proxy->setOrderBook(orderBook, m_lot, m_decimals);
    slot_showOpenedOrders(true);
    hideLightBox();
    connectConverter(this, &kuAbstractDataConverter::on_updateOrderBook, &kuOrderBook::slot_updateOrderBook);
}

void kuOrderBook::slot_updateOrderBook(int PaperID, QJsonArray orderBook)
{
    QMutexLocker lock(mutex());
    if (PaperID != paperID())
        return;
    // No pause of the table's repaints: resuming them repaints the whole window, while the
    // model reports only the rows that changed and the table draws them once, later.
    m_proxy->setOrderBook(orderBook, m_lot, m_decimals);
}

void kuOrderBook::slot_reloadOrderBook(int paperID)
{
    if (m_reloading) {
        qInfo() << "Order book: a drop during a reload is ignored," << paperID;
        return;
    }
    const QPointer<kuOrderBook> self(this);
    m_reloading = true;
    showLightBox();
    disconnectConverter(this, &kuAbstractDataConverter::on_updateOrderBook, &kuOrderBook::slot_updateOrderBook);
    // A blocking request with a nested event loop, in which queued books arrive:
    // no lock is held across it, and books of another instrument are dropped.
    unsubscribe();
    if (!self)
        return;
    {
        QMutexLocker lock(mutex());
        setPaperID(0);
        m_lot = 1;
        m_decimals = 2;
        // The previous instrument's orders would mark equal prices of the new one.
        m_proxy->clearOrders();
    }
    setPaper(paperID);
    if (self)
        m_reloading = false;
}

// ---- menu ----

void kuOrderBook::slot_changeHiddenYield(bool hidden)
{
    kuTableView* table = ui->tableOrderBookView;
    for (int column : {yieldBidColumn, yieldOfferColumn}) {
        if (const QSharedPointer<kuObjectHeaderItem> descriptor = table->columnMap().value(column))
            descriptor->setVisible(!hidden);
        table->setColumnHidden(column, hidden);
    }
    table->fitColumns();
}

void kuOrderBook::slot_changeDepth()
{
    bool ok = false;
    const int value = askInteger(this, tr("Глубина стакана"), tr("Глубина стакана"), depth(), minDepth, maxDepth, &ok);
    if (ok)
        m_proxy->setDepth(qBound(minDepth, value, maxDepth));
}

void kuOrderBook::slot_changeColors()
{
    const QPointer<kuOrderBookSetting> dialog = new kuOrderBookSetting(this);
    dialog->setBidColor(m_proxy->bidColor());
    dialog->setOfferColor(m_proxy->offerColor());
    const int result = dialog->exec();
    if (!dialog)
        return; // went with the window while it ran
    if (result == QDialog::Accepted) {
        m_proxy->setBidColor(dialog->bidColor());
        m_proxy->setOfferColor(dialog->offerColor());
        repaintRows();
    }
    delete dialog.data();
}

void kuOrderBook::slot_createOrder(QModelIndex index)
{
    if (!index.isValid())
        return;
    const qint64 amount = index.data(kuOrderBookModel::AmountRole).toLongLong();
    const double price = index.data(kuOrderBookModel::PriceRole).toDouble();
    const QPointer<kuClient> client = kuClient::instance();
    kuOrderManager* dialog = client ? client->orderManager() : nullptr;
    if (!dialog)
        return;
    dialog->setInstrument(paperID());
    dialog->setAmount(double(amount));
    dialog->setPrice(price);
    dialog->exec();
}

void kuOrderBook::slot_showContextMenu(QPoint pos)
{
    m_menu->popup(ui->tableOrderBookView->viewport()->mapToGlobal(pos));
}

void kuOrderBook::slot_sortOrder(Qt::SortOrder order)
{
    ui->tableOrderBookView->sortByColumn(priceColumn, order);
}

// ---- own orders ----

QJsonArray kuOrderBook::ordersWindowContact(OrdersContact contact)
{
    const QPointer<kuClient> client = kuClient::instance();
    kuWindowBase* orders = client ? client->ordersWindow() : nullptr;
    if (!orders)
        return {};
    if (contact == OrdersContact::Leave) {
        disconnect(orders, SIGNAL(on_showOrder(int, qint64, double, qint64)), this,
                   SLOT(slot_showOrder(int, qint64, double, qint64)));
        disconnect(orders, SIGNAL(on_hideOrder(int, qint64)), this, SLOT(slot_hideOrder(int, qint64)));
        return {};
    }
    QJsonArray active;
    if (contact == OrdersContact::FollowAndAsk) {
        const QSet<int> ids{paperID()};
        if (!QMetaObject::invokeMethod(orders, "activeOrders", Qt::DirectConnection, Q_RETURN_ARG(QJsonArray, active),
                                       Q_ARG(QSet<int>, ids)))
            qWarning() << "Order book: the orders window gives no active orders";
    }
    // Unique: a snapshot after every (re)subscription must not add a second handler.
    connect(orders, SIGNAL(on_showOrder(int, qint64, double, qint64)), this,
            SLOT(slot_showOrder(int, qint64, double, qint64)), Qt::UniqueConnection);
    connect(orders, SIGNAL(on_hideOrder(int, qint64)), this, SLOT(slot_hideOrder(int, qint64)), Qt::UniqueConnection);
    return active;
}

void kuOrderBook::slot_showOpenedOrders(bool cheked)
{
    if (!cheked) {
        ordersWindowContact(OrdersContact::Leave);
        m_proxy->clearOrders();
        repaintRows();
        return;
    }
    const QJsonArray active = ordersWindowContact(OrdersContact::FollowAndAsk);
    for (const QJsonValue& value : active) {
        const QJsonObject order = value.toObject();
        if (order.value(QStringLiteral("paperID")).toInt() != paperID() || !m_showOrdersAction->isChecked())
            continue;
        m_proxy->showOrder(kuKeys::wholeNumber(order.value(QStringLiteral("orderID"))),
                           order.value(QStringLiteral("price")).toDouble(),
                           kuKeys::wholeNumber(order.value(QStringLiteral("amount"))));
    }
    repaintRows();
}

void kuOrderBook::slot_showOrder(int paperID, qint64 orderID, double price, qint64 amount)
{
    if (paperID != this->paperID() || !m_showOrdersAction->isChecked())
        return;
    m_proxy->showOrder(orderID, price, amount);
    repaintRows();
}

void kuOrderBook::slot_hideOrder(int paperID, qint64 orderID)
{
    if (paperID != this->paperID() || !m_showOrdersAction->isChecked())
        return;
    m_proxy->hideOrder(orderID);
    repaintRows();
}

void kuOrderBook::repaintRows()
{
    ui->tableOrderBookView->viewport()->update();
}

QJsonObject kuOrderBook::saveSettings()
{
    QJsonObject settings = kuWindowBase::saveSettings();
    const QJsonArray params{param(QStringLiteral("depth"), tr("Глубина стакана"), depth()),
                            param(QStringLiteral("sortOrder"), tr("Сортировка"), sortOrder()),
                            param(QStringLiteral("bidColor"), tr("Цвет бида"), bidColor()),
                            param(QStringLiteral("offerColor"), tr("Цвет офера"), offerColor()),
                            param(QStringLiteral("showOrders"), tr("Показывать свои поручения"), showOrders())};
    const QJsonObject group{{QStringLiteral("name"), QStringLiteral("orderBookSetting")},
                            {QStringLiteral("label"), windowTitle()},
                            {QStringLiteral("params"), params}};
    settings.insert(QStringLiteral("settings"), QJsonArray{group});
    return settings;
}
