#include "kuorders.h"

#include "ui_kuorders.h"

#include "kuabstractconn.h"
#include "kuabstractdataconverter.h"
#include "kuaccount.h"
#include "kuaccountwindow.h"
#include "kucheckcombobox.h"
#include "kuclient.h"
#include "kuobjectheaderitem.h"
#include "kuordersitem.h"
#include "kuordersmodel.h"
#include "kuordersproxymodel.h"
#include "kuordersview.h"
#include "kurecordkeys.h"

#include <QHeaderView>
#include <QJsonArray>
#include <QLineEdit>
#include <QMutexLocker>

namespace {
namespace ok = kuKeys::order;

int intOf(const QJsonObject& o, QLatin1String key)
{
    return o.value(key).toInt();
}

double doubleOf(const QJsonObject& o, QLatin1String key)
{
    return o.value(key).toDouble();
}

QString textOf(const QJsonObject& o, QLatin1String key)
{
    return o.value(key).toString();
}
} // namespace

kuOrders::kuOrders(QWidget* parent) : kuWindowBase(parent), ui(new Ui_kuOrders), m_proxy(new kuOrdersProxyModel(this))
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("kuOrders"));
    init();
}

kuOrders::~kuOrders()
{
    // The view goes with the window; it must not outlive its model's proxy in between.
    if (m_view)
        m_view->setModel(nullptr);
    delete m_proxy;
    delete ui;
}

void kuOrders::registerWithClient()
{
    kuClient::setWindowMaker(wtOrders, [](QWidget* parent, int) -> kuWindowBase* { return new kuOrders(parent); });
}

void kuOrders::init()
{
    m_view = ui->viewOrders;
    m_accountBox = ui->comboBoxAccount;
    m_searchLine = ui->lineSearch;

    const QList<QSharedPointer<kuObjectHeaderItem>> columns{
            kuObjectHeaderItem::create(tr("Дата и время"), tr("Дата и время выставления поручения"), true),
            kuObjectHeaderItem::create(tr("Инструмент"), tr("Тикер инструмента"), true),
            kuObjectHeaderItem::create(tr("Крат. \n наименование"), tr("Краткое наименование инструмента"), false),
            kuObjectHeaderItem::create(tr("Направление"), tr("(Покупка/Продажа)"), true),
            kuObjectHeaderItem::create(tr("Кол-во (шт.)"), tr("Количество (шт.)"), true),
            kuObjectHeaderItem::create(tr("Цена"), tr("Цена лимит"), true),
            kuObjectHeaderItem::create(tr("Сумма"), tr("Сумма поручения"), true),
            kuObjectHeaderItem::create(tr("Тип"), tr("Тип поручения"), true),
            kuObjectHeaderItem::create(tr("Статус"), tr("Текущий статус"), true),
            kuObjectHeaderItem::create(tr("Срок"), tr("Срок действия (день, месяц)"), true),
            kuObjectHeaderItem::create(tr("Причина \n отмены"), tr("Причина отмены поручения"), true)};

    m_model = new kuOrdersModel(this);
    m_proxy->setSourceModel(m_model);
    m_proxy->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_proxy->setDynamicSortFilter(true);

    m_view->buildColumns(columns);
    m_view->setModel(m_proxy);
    m_view->sortByColumn(1, m_view->header()->sortIndicatorOrder());

    subscribe();

    connect(m_model, &kuOrdersModel::on_showOrder, this, &kuOrders::on_showOrder);
    connect(m_model, &kuOrdersModel::on_hideOrder, this, &kuOrders::on_hideOrder);
    connect(m_accountBox->model(), &QAbstractItemModel::dataChanged, this, &kuOrders::slot_showAccounts);
    connect(m_searchLine, &QLineEdit::textEdited, this, &kuOrders::slot_filterAccepted);
}

void kuOrders::subscribe()
{
    const QPointer<kuAbstractDataConverter> source = converter();
    const QPointer<kuAbstractConn> conn = source ? streamConnection() : nullptr;
    if (source && conn) {
        // Unique: a new subscription must not apply every later reply twice.
        connect(source, &kuAbstractDataConverter::on_snapshotOrders, this, &kuOrders::slot_snapshotOrders,
                Qt::UniqueConnection);
        connect(source, &kuAbstractDataConverter::on_receviedError, this, &kuWindowBase::slot_showError,
                Qt::UniqueConnection);
        conn->getOrders();
    }
    const QSharedPointer<kuAccount> accounts = kuAccount::instance();
    kuAccountWindow::fillAccountBox(m_accountBox, accounts->accounts());
    const QString current = accounts->currentAccount();
    if (!current.isEmpty() && !m_expandList.contains(current))
        m_expandList.append(current);
}

kuOrders::ParsedRows kuOrders::parseOrders(const QJsonObject& jsonOrders)
{
    ParsedRows parsed;
    for (auto account = jsonOrders.constBegin(); account != jsonOrders.constEnd(); ++account) {
        kuAccountWindow::Rows rows;
        const QJsonArray list = account.value().toArray();
        rows.reserve(list.size());
        for (const QJsonValue& value : list) {
            const QJsonObject o = value.toObject();
            const QDateTime dateTime = kuAccountWindow::exchangeTime(textOf(o, ok::date), textOf(o, ok::time));
            rows << QSharedPointer<kuOrdersItem>::create(
                    intOf(o, ok::order_id), intOf(o, ok::paper_id), dateTime, intOf(o, ok::act), intOf(o, ok::amount),
                    doubleOf(o, ok::price), doubleOf(o, ok::balance), intOf(o, ok::status), intOf(o, ok::type),
                    intOf(o, ok::limitation), intOf(o, ok::fcond), intOf(o, ok::isMarket1), doubleOf(o, ok::ifPrice1),
                    doubleOf(o, ok::stopPrice1), intOf(o, ok::scond), intOf(o, ok::isMarket2),
                    doubleOf(o, ok::ifPrice2), doubleOf(o, ok::stopPrice2), textOf(o, ok::reason));
        }
        parsed.insert(account.key(), QVariant::fromValue(rows));
    }
    return parsed;
}

void kuOrders::slot_snapshotOrders(QJsonObject jsonOrders)
{
    if (const QPointer<kuAbstractDataConverter> source = converter()) {
        disconnect(source, &kuAbstractDataConverter::on_snapshotOrders, this, &kuOrders::slot_snapshotOrders);
        disconnect(source, &kuAbstractDataConverter::on_receviedError, this, &kuWindowBase::slot_showError);
    }
    const ParsedRows parsed = parseOrders(jsonOrders);
    m_proxy->clear();
    for (auto account = parsed.constBegin(); account != parsed.constEnd(); ++account) {
        if (!account.value().canConvert<kuAccountWindow::Rows>())
            continue;
        const int row = m_proxy->appendTopItem(account.key());
        if (row >= 0)
            m_proxy->appendChildren(row, account.value().value<kuAccountWindow::Rows>());
    }
    expandRemembered();
    hideLightBox();
    if (const QPointer<kuAbstractDataConverter> source = converter())
        connect(source, &kuAbstractDataConverter::on_updateOrders, this, &kuOrders::slot_updateOrders,
                Qt::UniqueConnection);
}

void kuOrders::expandRemembered()
{
    kuAccountWindow::expandAccounts(m_view, m_expandList);
}

void kuOrders::slot_updateOrders(QJsonObject jsonOrders)
{
    QMutexLocker lock(mutex());
    applyOrders(parseOrders(jsonOrders), kuOrdersModel::UpdateRole);
}

void kuOrders::applyOrders(const ParsedRows& rows, int role)
{
    if (rows.isEmpty())
        return;
    m_view->setUpdatesEnabled(false);
    for (auto account = rows.constBegin(); account != rows.constEnd(); ++account) {
        // The source model: an account the checks hide must stay current too.
        const int row = kuAccountWindow::accountRow(m_model, account.key());
        if (row >= 0)
            m_model->setData(m_model->index(row, 0), account.value(), role);
    }
    m_view->setUpdatesEnabled(true);
}

QJsonArray kuOrders::activeOrders(QSet<int> paperIDs)
{
    QJsonArray active;
    // The source model: the order book's orders do not depend on this window's checks and search.
    for (const int status : {1, 2}) {
        for (int top = 0; top < m_model->rowCount(); ++top) {
            const QModelIndex account = m_model->index(top, 0);
            for (int row = 0; row < m_model->rowCount(account); ++row) {
                const QModelIndex order = m_model->index(row, 0, account);
                if (order.data(kuOrdersModel::StatusRole).toInt() != status)
                    continue;
                const int paperID = order.data(kuOrdersModel::PaperIDRole).toInt();
                if (!paperIDs.isEmpty() && !paperIDs.contains(paperID))
                    continue;
                active.append(QJsonObject{{QStringLiteral("paperID"), paperID},
                                          {QStringLiteral("orderID"), order.data(kuOrdersModel::OrderIDRole).toInt()},
                                          {QStringLiteral("amount"), order.data(kuOrdersModel::AmountRole).toInt()},
                                          {QStringLiteral("price"), order.data(kuOrdersModel::PriceRole).toDouble()}});
            }
        }
    }
    return active;
}

void kuOrders::slot_showAccounts(QModelIndex, QModelIndex)
{
    m_proxy->setAccounts(kuAccountWindow::checkedAccounts(m_accountBox));
}

void kuOrders::slot_filterAccepted(QString text)
{
    m_proxy->setColumnFilter(1, text.isEmpty() ? QString() : text);
}

QVariantMap kuOrders::chekedAccounts() const
{
    return kuAccountWindow::openAccounts(m_view);
}

void kuOrders::setChekedAccounts(const QVariantMap& accounts)
{
    m_view->setUpdatesEnabled(false);
    m_expandList = kuAccountWindow::trueKeys(accounts);
    m_accountBox->setCheckedItems(accounts.keys());
    m_view->setUpdatesEnabled(true);
}

QString kuOrders::searchLine() const
{
    return m_searchLine->text();
}

void kuOrders::setSearchLine(const QString& text)
{
    m_searchLine->setText(text);
    slot_filterAccepted(text);
}

QString kuOrders::columnState() const
{
    return m_view->columnState();
}

void kuOrders::setColumnState(const QString& state)
{
    m_view->setColumnState(state);
}

QJsonObject kuOrders::saveSettings()
{
    QJsonObject settings = kuWindowBase::saveSettings();
    const QJsonArray params{
            kuAccountWindow::param(QStringLiteral("chekedAccounts"), ui->labelAccount->text(),
                                   QJsonObject::fromVariantMap(chekedAccounts())),
            kuAccountWindow::param(QStringLiteral("searchLine"), ui->labelSearch->text(), searchLine()),
            kuAccountWindow::param(QStringLiteral("columnState"), QStringLiteral("columnState"), columnState())};
    settings.insert(QStringLiteral("settings"),
                    QJsonArray{QJsonObject{{QStringLiteral("name"), QStringLiteral("ordersSetting")},
                                           {QStringLiteral("label"), windowTitle()},
                                           {QStringLiteral("params"), params}}});
    return settings;
}

void kuOrders::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
    kuWindowBase::changeEvent(event);
}
