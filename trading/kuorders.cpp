#include "kuorders.h"

#include "ui_kuorders.h"

#include "kuabstractconn.h"
#include "kuabstractdataconverter.h"
#include "kuclient.h"
#include "kuobjectheaderitem.h"
#include "kuordersitem.h"
#include "kuordersmodel.h"
#include "kuordersproxymodel.h"
#include "kuordersview.h"
#include "kurecordkeys.h"

#include <QMutexLocker>

namespace {
namespace ok = kuKeys::order;

int intOf(const QJsonObject& o, QLatin1String key)
{
    return o.value(key).toInt();
}

qint64 wholeOf(const QJsonObject& o, QLatin1String key)
{
    return kuKeys::wholeNumber(o.value(key));
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

kuOrders::kuOrders(QWidget* parent)
    : kuAccountWindowBase(parent), ui(new Ui_kuOrders), m_proxy(new kuOrdersProxyModel(this))
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("kuOrders"));
    init();
}

kuOrders::~kuOrders()
{
    delete ui;
}

void kuOrders::registerWithClient()
{
    kuClient::setWindowMaker(wtOrders, [](QWidget* parent, int) -> kuWindowBase* { return new kuOrders(parent); });
}

void kuOrders::init()
{
    m_view = ui->viewOrders;

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
    setUpAccountTree(m_view, m_proxy, m_model, ui->comboBoxAccount, ui->lineSearch, columns);

    subscribe();

    connect(m_model, &kuOrdersModel::on_showOrder, this, &kuOrders::on_showOrder);
    connect(m_model, &kuOrdersModel::on_hideOrder, this, &kuOrders::on_hideOrder);
    connectAccountWidgets();
}

void kuOrders::subscribe()
{
    askSnapshotAgain();
    loadAccounts();
}

void kuOrders::askSnapshotAgain()
{
    requestSnapshot(this, &kuAbstractDataConverter::on_snapshotOrders, &kuOrders::slot_snapshotOrders,
                    [](kuAbstractConn* conn) { conn->getOrders(); });
}

void kuOrders::showFailedSnapshot()
{
    // No rows would read as "no orders": they go and the window says why.
    m_proxy->clear();
    setFailedText(m_view, tr("Не удалось загрузить поручения."));
}

kuOrders::ParsedRows kuOrders::parseOrders(const QJsonObject& jsonOrders)
{
    return kuAccountWindow::parseRows(jsonOrders, [](const QJsonObject& o) {
        const QDateTime dateTime = kuAccountWindow::exchangeTime(textOf(o, ok::date), textOf(o, ok::time));
        return QSharedPointer<kuOrdersItem>::create(
                wholeOf(o, ok::order_id), intOf(o, ok::paper_id), dateTime, intOf(o, ok::act), wholeOf(o, ok::amount),
                doubleOf(o, ok::price), doubleOf(o, ok::balance), intOf(o, ok::status), intOf(o, ok::type),
                intOf(o, ok::limitation), intOf(o, ok::fcond), intOf(o, ok::isMarket1), doubleOf(o, ok::ifPrice1),
                doubleOf(o, ok::stopPrice1), intOf(o, ok::scond), intOf(o, ok::isMarket2), doubleOf(o, ok::ifPrice2),
                doubleOf(o, ok::stopPrice2), textOf(o, ok::reason));
    });
}

void kuOrders::slot_snapshotOrders(QJsonObject jsonOrders)
{
    endSnapshot(this, &kuAbstractDataConverter::on_snapshotOrders, &kuOrders::slot_snapshotOrders);
    showAccountRows(parseOrders(jsonOrders));
    connectConverter(this, &kuAbstractDataConverter::on_updateOrders, &kuOrders::slot_updateOrders);
}

void kuOrders::slot_updateOrders(QJsonObject jsonOrders)
{
    QMutexLocker lock(mutex());
    applyOrders(parseOrders(jsonOrders), kuOrdersModel::UpdateRole);
}

void kuOrders::applyOrders(const ParsedRows& rows, int role)
{
    applyAccountRows(rows, role);
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
                                          {QStringLiteral("orderID"),
                                           kuKeys::wholeValue(order.data(kuOrdersModel::OrderIDRole).toLongLong())},
                                          {QStringLiteral("amount"),
                                           kuKeys::wholeValue(order.data(kuOrdersModel::AmountRole).toLongLong())},
                                          {QStringLiteral("price"), order.data(kuOrdersModel::PriceRole).toDouble()}});
            }
        }
    }
    return active;
}

QJsonObject kuOrders::saveSettings()
{
    return saveAccountSettings(QStringLiteral("ordersSetting"), ui->labelAccount->text(), ui->labelSearch->text());
}

void kuOrders::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
    kuAccountWindowBase::changeEvent(event);
}
