#include "kutrades.h"

#include "ui_kutrades.h"

#include "kuabstractconn.h"
#include "kuabstractdataconverter.h"
#include "kuaccount.h"
#include "kuaccountwindow.h"
#include "kucheckcombobox.h"
#include "kuclient.h"
#include "kuobjectheaderitem.h"
#include "kurecordkeys.h"
#include "kutradesitem.h"
#include "kutradesmodel.h"
#include "kutradesproxymodel.h"
#include "kutradesview.h"

#include <QHeaderView>
#include <QJsonArray>
#include <QLineEdit>

namespace {
namespace tk = kuKeys::trade;
} // namespace

kuTrades::kuTrades(QWidget* parent) : kuWindowBase(parent), ui(new Ui_kuTrades), m_proxy(new kuTradesProxyModel(this))
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("kuTrades"));
    init();
}

kuTrades::~kuTrades()
{
    if (m_view)
        m_view->setModel(nullptr);
    delete m_proxy;
    delete ui;
}

void kuTrades::registerWithClient()
{
    kuClient::setWindowMaker(wtTrades, [](QWidget* parent, int) -> kuWindowBase* { return new kuTrades(parent); });
}

void kuTrades::init()
{
    m_view = ui->viewTrades;
    m_accountBox = ui->comboBoxAccount;
    m_searchLine = ui->lineSearch;

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
    m_proxy->setSourceModel(m_model);
    m_proxy->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_proxy->setDynamicSortFilter(true);

    m_view->buildColumns(columns);
    m_view->setModel(m_proxy);
    m_view->sortByColumn(1, m_view->header()->sortIndicatorOrder());

    subscribe();

    connect(m_accountBox->model(), &QAbstractItemModel::dataChanged, this, &kuTrades::slot_showAccounts);
    connect(m_searchLine, &QLineEdit::textEdited, this, &kuTrades::slot_filterAccepted);
}

void kuTrades::subscribe()
{
    const QPointer<kuAbstractDataConverter> source = converter();
    const QPointer<kuAbstractConn> conn = source ? streamConnection() : nullptr;
    if (source && conn) {
        // Unique: a new subscription must not apply every later reply twice.
        connect(source, &kuAbstractDataConverter::on_snapshotTrades, this, &kuTrades::slot_snapshotTrades,
                Qt::UniqueConnection);
        connect(source, &kuAbstractDataConverter::on_receviedError, this, &kuWindowBase::slot_showError,
                Qt::UniqueConnection);
        conn->getTrades();
    }
    const QSharedPointer<kuAccount> accounts = kuAccount::instance();
    kuAccountWindow::fillAccountBox(m_accountBox, accounts->accounts());
    const QString current = accounts->currentAccount();
    if (!current.isEmpty() && !m_expandList.contains(current))
        m_expandList.append(current);
}

kuTrades::ParsedRows kuTrades::parseTrades(const QJsonObject& jsonTrades)
{
    ParsedRows parsed;
    for (auto account = jsonTrades.constBegin(); account != jsonTrades.constEnd(); ++account) {
        kuAccountWindow::Rows rows;
        const QJsonArray list = account.value().toArray();
        rows.reserve(list.size());
        for (const QJsonValue& value : list) {
            const QJsonObject o = value.toObject();
            const QDateTime dateTime =
                    kuAccountWindow::exchangeTime(o.value(tk::date).toString(), o.value(tk::time).toString());
            rows << QSharedPointer<kuTradesItem>::create(
                    o.value(tk::trade_id).toInt(), o.value(tk::paper_id).toInt(), dateTime, o.value(tk::act).toInt(),
                    o.value(tk::amount).toInt(), o.value(tk::price).toDouble(), o.value(tk::total).toDouble(),
                    o.value(tk::comiss).toDouble(), o.value(tk::account).toDouble(), o.value(tk::note).toString());
        }
        parsed.insert(account.key(), QVariant::fromValue(rows));
    }
    return parsed;
}

void kuTrades::slot_snapshotTrades(QJsonObject jsonTrades)
{
    if (const QPointer<kuAbstractDataConverter> source = converter()) {
        disconnect(source, &kuAbstractDataConverter::on_snapshotTrades, this, &kuTrades::slot_snapshotTrades);
        disconnect(source, &kuAbstractDataConverter::on_receviedError, this, &kuWindowBase::slot_showError);
    }
    const ParsedRows parsed = parseTrades(jsonTrades);
    m_proxy->clear();
    for (auto account = parsed.constBegin(); account != parsed.constEnd(); ++account) {
        if (!account.value().canConvert<kuAccountWindow::Rows>())
            continue;
        const int row = m_proxy->appendTopItem(account.key());
        if (row >= 0)
            m_proxy->appendChildren(row, account.value().value<kuAccountWindow::Rows>());
    }
    kuAccountWindow::expandAccounts(m_view, m_expandList);
    hideLightBox();
    if (const QPointer<kuAbstractDataConverter> source = converter())
        connect(source, &kuAbstractDataConverter::on_updateTrades, this, &kuTrades::slot_updateTrades,
                Qt::UniqueConnection);
}

void kuTrades::slot_updateTrades(QJsonObject jsonTrades)
{
    applyTrades(parseTrades(jsonTrades), kuTradesModel::UpdateRole);
}

void kuTrades::applyTrades(const ParsedRows& rows, int role)
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

void kuTrades::slot_showAccounts(QModelIndex, QModelIndex)
{
    m_proxy->setAccounts(kuAccountWindow::checkedAccounts(m_accountBox));
}

void kuTrades::slot_filterAccepted(QString text)
{
    m_proxy->setColumnFilter(1, text.isEmpty() ? QString() : text);
}

QVariantMap kuTrades::chekedAccounts() const
{
    return kuAccountWindow::openAccounts(m_view);
}

void kuTrades::setChekedAccounts(const QVariantMap& accounts)
{
    m_view->setUpdatesEnabled(false);
    m_accountBox->setCheckedItems(accounts.keys());
    m_expandList = kuAccountWindow::trueKeys(accounts);
    m_view->setUpdatesEnabled(true);
}

QString kuTrades::searchLine() const
{
    return m_searchLine->text();
}

void kuTrades::setSearchLine(const QString& text)
{
    m_searchLine->setText(text);
    slot_filterAccepted(text);
}

QString kuTrades::columnState() const
{
    return m_view->columnState();
}

void kuTrades::setColumnState(const QString& state)
{
    m_view->setColumnState(state);
}

QJsonObject kuTrades::saveSettings()
{
    QJsonObject settings = kuWindowBase::saveSettings();
    const QJsonArray params{
            kuAccountWindow::param(QStringLiteral("chekedAccounts"), ui->labelAccount->text(),
                                   QJsonObject::fromVariantMap(chekedAccounts())),
            kuAccountWindow::param(QStringLiteral("searchLine"), ui->labelSearch->text(), searchLine()),
            kuAccountWindow::param(QStringLiteral("columnState"), QStringLiteral("columnState"), columnState())};
    settings.insert(QStringLiteral("settings"),
                    QJsonArray{QJsonObject{{QStringLiteral("name"), QStringLiteral("tradesSetting")},
                                           {QStringLiteral("label"), windowTitle()},
                                           {QStringLiteral("params"), params}}});
    return settings;
}

void kuTrades::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
    kuWindowBase::changeEvent(event);
}
