#include "kutrades.h"

#include "ui_kutrades.h"

#include "kuabstractconn.h"
#include "kuabstractdataconverter.h"
#include "kuclient.h"
#include "kuobjectheaderitem.h"
#include "kurecordkeys.h"
#include "kutradesitem.h"
#include "kutradesmodel.h"
#include "kutradesproxymodel.h"
#include "kutradesview.h"

namespace {
namespace tk = kuKeys::trade;
} // namespace

kuTrades::kuTrades(QWidget* parent)
    : kuAccountWindowBase(parent), ui(new Ui_kuTrades), m_proxy(new kuTradesProxyModel(this))
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("kuTrades"));
    init();
}

kuTrades::~kuTrades()
{
    delete ui;
}

void kuTrades::registerWithClient()
{
    kuClient::setWindowMaker(wtTrades, [](QWidget* parent, int) -> kuWindowBase* { return new kuTrades(parent); });
}

void kuTrades::init()
{
    m_view = ui->viewTrades;

    const QList<QSharedPointer<kuObjectHeaderItem>> columns{
            kuObjectHeaderItem::create(tr("Дата и время"), tr("Дата и время сделки"), true),
            kuObjectHeaderItem::create(tr("Инструмент"), tr("Тикер инструмента"), true),
            kuObjectHeaderItem::create(tr("Крат. \n наименование"), tr("Краткое наименование инструмента"), false),
            kuObjectHeaderItem::create(tr("Направление"), tr("(Покупка/Продажа)"), true),
            kuObjectHeaderItem::create(tr("Кол-во (шт.)"), tr("Количество (шт.)"), true),
            kuObjectHeaderItem::create(tr("Цена"), tr("Цена сделки"), true),
            kuObjectHeaderItem::create(tr("Сумма"), tr("Сумма сделки"), true),
            kuObjectHeaderItem::create(tr("Комиссии"), tr("Комиссии биржи/брокера"), true),
            kuObjectHeaderItem::create(tr("Остаток"), tr("Остаток свободных денежных средств на счете"), true),
            kuObjectHeaderItem::create(tr("Примечание"), tr("Примечание к сделке"), true)};

    m_model = new kuTradesModel(this);
    setUpAccountTree(m_view, m_proxy, m_model, ui->comboBoxAccount, ui->lineSearch, columns);

    subscribe();

    connectAccountWidgets();
}

void kuTrades::subscribe()
{
    askSnapshotAgain();
    loadAccounts();
}

void kuTrades::askSnapshotAgain()
{
    requestSnapshot(this, &kuAbstractDataConverter::on_snapshotTrades, &kuTrades::slot_snapshotTrades,
                    [](kuAbstractConn* conn) { conn->getTrades(); });
}

void kuTrades::showFailedSnapshot()
{
    // No rows would read as "no trades": they go and the window says why.
    m_proxy->clear();
    setFailedText(m_view, tr("Не удалось загрузить сделки."));
}

kuTrades::ParsedRows kuTrades::parseTrades(const QJsonObject& jsonTrades)
{
    return kuAccountWindow::parseRows(jsonTrades, [](const QJsonObject& o) {
        const QDateTime dateTime =
                kuAccountWindow::exchangeTime(o.value(tk::date).toString(), o.value(tk::time).toString());
        return QSharedPointer<kuTradesItem>::create(
                kuKeys::wholeNumber(o.value(tk::trade_id)), o.value(tk::paper_id).toInt(), dateTime,
                o.value(tk::act).toInt(), kuKeys::wholeNumber(o.value(tk::amount)), o.value(tk::price).toDouble(),
                o.value(tk::total).toDouble(), o.value(tk::comiss).toDouble(), o.value(tk::account).toDouble(),
                o.value(tk::note).toString());
    });
}

void kuTrades::slot_snapshotTrades(QJsonObject jsonTrades)
{
    endSnapshot(this, &kuAbstractDataConverter::on_snapshotTrades, &kuTrades::slot_snapshotTrades);
    showAccountRows(parseTrades(jsonTrades));
    connectConverter(this, &kuAbstractDataConverter::on_updateTrades, &kuTrades::slot_updateTrades);
}

void kuTrades::slot_updateTrades(QJsonObject jsonTrades)
{
    applyTrades(parseTrades(jsonTrades), kuTradesModel::UpdateRole);
}

void kuTrades::applyTrades(const ParsedRows& rows, int role)
{
    applyAccountRows(rows, role);
}

QJsonObject kuTrades::saveSettings()
{
    return saveAccountSettings(QStringLiteral("tradesSetting"), ui->labelAccount->text(), ui->labelSearch->text());
}

void kuTrades::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
    kuAccountWindowBase::changeEvent(event);
}
