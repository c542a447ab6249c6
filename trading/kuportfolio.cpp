#include "kuportfolio.h"

#include "kuabstractconn.h"
#include "kuabstractdataconverter.h"
#include "kuaccountwindow.h"
#include "kucheckcombobox.h"
#include "kuclient.h"
#include "kuconnectionmanager.h"
#include "kuportfoliomargin.h"
#include "kuportfoliomoneyitem.h"
#include "kuportfoliopositionitem.h"
#include "kuportfolioproxymodel.h"
#include "kuportfolioview.h"
#include "kurecordkeys.h"
#include "ui_kuportfolio.h"

#include <QAction>
#include <QGraphicsScene>
#include <QHeaderView>
#include <QJsonArray>
#include <QResizeEvent>

namespace {
// Top row of the model named so; the comparison ignores case.
QModelIndex accountRow(const QAbstractItemModel* model, const QString& account)
{
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, 0);
        if (index.data(kuTreeViewModel::AccountRole).toString().compare(account, Qt::CaseInsensitive) == 0)
            return index;
    }
    return QModelIndex();
}
} // namespace

kuPortfolio::kuPortfolio(QWidget* parent)
    : kuWindowBase(parent), ui(new Ui_kuPortfolio), m_proxy(new kuPortfolioProxyModel(this)),
      m_margin(new kuPortfolioMarginChart(this))
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("kuPortfolio"));
    init();
}

kuPortfolio::~kuPortfolio()
{
    // The view goes with the form before the proxy it shows; its selection no longer reaches this window.
    disconnect(ui->viewPortfolio->selectionModel(), nullptr, this, nullptr);
    ui->viewPortfolio->setModel(nullptr);
}

void kuPortfolio::registerWithClient()
{
    kuClient::setWindowMaker(wtPortfolio,
                             [](QWidget* parent, int) -> kuWindowBase* { return new kuPortfolio(parent); });
}

void kuPortfolio::init()
{
    m_view = ui->viewPortfolio;
    m_accountBox = ui->comboBoxAccount;
    m_search = ui->lineSearch;

    QList<QSharedPointer<kuObjectHeaderItem>> columns;
    columns << kuObjectHeaderItem::createHidden(tr("Тип инструмента"))
            << kuObjectHeaderItem::create(tr("Инструмент"), tr("Тикер инструмента"), true)
            << kuObjectHeaderItem::create(tr("Объем"), tr("Количество (шт.)"), true)
            << kuObjectHeaderItem::create(tr("Дата сделки"), tr("Дата сделки по позиции"), true)
            << kuObjectHeaderItem::create(tr("Цена"), tr("Средневзвешенная цена покупки"), true)
            << kuObjectHeaderItem::create(tr("Рын.цена"), tr("Цена последней сделки по данному инструменту"), true)
            << kuObjectHeaderItem::create(tr("Сумма"), tr("Стоимость позиции"), true)
            << kuObjectHeaderItem::create(tr("Рын.сумма"), tr("Стоимость позиции, оцененная по цене последней сделки"),
                                          true)
            << kuObjectHeaderItem::create(tr("Изменение \n суммы"),
                                          tr("Разница между стоимостью позиции и стоимостью позиции, оцененной по "
                                             "цене последней сделки в рублях"),
                                          true)
            << kuObjectHeaderItem::create(tr("Изменение в %"),
                                          tr("Разница между стоимостью позиции и стоимостью позиции, оцененной по "
                                             "цене последней сделки в %"),
                                          true)
            << kuObjectHeaderItem::create(tr("Блокировано"),
                                          tr("Блокированные ресурсы, которые появляются в результате подачи поручения"),
                                          true)
            << kuObjectHeaderItem::create(tr("Ожидается"),
                                          tr("Ожидаемые ресурсы, которые появляются в результате подачи поручения"),
                                          true);

    m_model = new kuPortfolioModel(this);
    m_proxy->setSourceModel(m_model);
    m_proxy->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_proxy->setDynamicSortFilter(true);
    m_proxy->setSortColumn(1, true);
    m_proxy->setSortColumn(2, true);

    m_view->buildColumns(columns);
    m_view->setModel(m_proxy);

    subscribe();

    ui->graphicsView->setScene(m_margin->scene());
    ui->graphicsView->installEventFilter(this);
    m_margin->clearValues();

    connect(m_accountBox->model(), &QAbstractItemModel::dataChanged, this, &kuPortfolio::slot_showAccounts);
    connect(m_search, &QLineEdit::textEdited, this, &kuPortfolio::slot_filterAccepted);
    connect(m_view, &QAbstractItemView::clicked, this, &kuPortfolio::slot_changeSelection);
    // Keys move the selection too; a row gone with an update selects nothing new.
    connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    slot_changeSelection(current);
            });
    connect(m_view, &kuPortfolioView::on_showHideMarginPanel, this, &kuPortfolio::slot_showHideMarginPanel);
}

void kuPortfolio::subscribe()
{
    askSnapshotAgain();
    // Filled anew each time, so a reconnection lists every account once.
    kuAccountWindow::loadAccounts(m_accountBox, m_view);
}

void kuPortfolio::askSnapshotAgain()
{
    requestSnapshot(this, &kuAbstractDataConverter::on_snapshotPositions, &kuPortfolio::slot_snapshotPosition,
                    [this](kuAbstractConn* connection) {
                        // A new stream or session: the server knows none of our last-price requests.
                        for (auto it = m_lastPriceAsked.begin(); it != m_lastPriceAsked.end(); ++it)
                            it.value() = false;
                        connection->getPortfolio();
                    });
}

void kuPortfolio::showFailedSnapshot()
{
    // No positions is not "nothing held": the rows go and the window says why.
    ui->graphicsView->hide();
    m_selection = QPersistentModelIndex();
    m_proxy->clear();
    setFailedText(m_view, tr("Не удалось загрузить состояние счета."));
}

void kuPortfolio::slot_snapshotPosition(QJsonObject jsonPositions)
{
    endSnapshot(this, &kuAbstractDataConverter::on_snapshotPositions, &kuPortfolio::slot_snapshotPosition);
    ui->graphicsView->hide();
    const QMap<QString, QVariant> rows = parsePositions(jsonPositions);
    m_selection = QPersistentModelIndex();
    m_proxy->clear();
    for (auto it = rows.constBegin(); it != rows.constEnd(); ++it) {
        const int top = m_proxy->appendTopItem(it.key());
        if (top >= 0)
            m_proxy->appendChildren(top, it.value().value<kuPortfolioModel::Rows>());
    }
    applyToAccounts(parseMargin(jsonPositions), kuPortfolioModel::SetMarginRole);
    // Every account open or closed as the user left it.
    m_view->applyAccountStates();
    // The account selected before stays selected; a new window selects its first open one.
    QModelIndex selected = m_selectedAccount.isEmpty() ? QModelIndex() : accountRow(m_proxy, m_selectedAccount);
    const QStringList open = m_view->openAccountList();
    for (auto account = open.cbegin(); !selected.isValid() && account != open.cend(); ++account)
        selected = accountRow(m_proxy, *account);
    m_selectedAccount.clear();
    if (selected.isValid())
        slot_changeSelection(selected);
    m_proxy->applySort();
    hideLightBox();
    requestLastPrices();
    if (const QPointer<kuAbstractDataConverter> source = converter()) {
        connect(source, &kuAbstractDataConverter::on_updatePositions, this, &kuPortfolio::slot_updatePosition,
                Qt::UniqueConnection);
        connect(source, &kuAbstractDataConverter::on_updateLastPrice, this, &kuPortfolio::updateLastPrice,
                Qt::UniqueConnection);
    }
}

void kuPortfolio::slot_updatePosition(QJsonObject jsonPositions)
{
    const QMap<QString, QVariant> margin = parseMargin(jsonPositions);
    const QMap<QString, QVariant> rows = parsePositions(jsonPositions);
    // The rows are replaced: the user's current row is found again by account, kind and paper,
    // or a position order would find no row.
    const QModelIndex current = m_view->currentIndex();
    const bool child = current.isValid() && current.parent().isValid();
    const QString account = child ? current.parent().data(kuTreeViewModel::AccountRole).toString() : QString();
    const int kind = child ? current.data(kuTreeViewModel::ItemTypeRole).toInt() : 0;
    const int paper = child ? current.data(kuPortfolioModel::PaperIDRole).toInt() : 0;
    const int column = current.column();
    applyToAccounts(rows, kuPortfolioModel::SetRowsRole);
    applyToAccounts(margin, kuPortfolioModel::SetMarginRole);
    m_proxy->applySort();
    if (child && !m_view->currentIndex().parent().isValid()) {
        const QModelIndex top = accountRow(m_proxy, account);
        for (int row = 0; row < m_proxy->rowCount(top); ++row) {
            const QModelIndex index = m_proxy->index(row, column, top);
            if (index.data(kuTreeViewModel::ItemTypeRole).toInt() == kind &&
                index.data(kuPortfolioModel::PaperIDRole).toInt() == paper) {
                m_view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                                         QItemSelectionModel::Rows);
                break;
            }
        }
    }
    if (!margin.isEmpty() && !ui->graphicsView->isHidden())
        showSelectedMargin();
    requestLastPrices();
}

QMap<QString, QVariant> kuPortfolio::parsePositions(const QJsonObject& jsonPositions)
{
    QMap<QString, QVariant> accounts;
    for (auto it = jsonPositions.constBegin(); it != jsonPositions.constEnd(); ++it) {
        kuPortfolioModel::Rows rows;
        double change = 0;
        const QJsonObject account = it.value().toObject();
        if (account.contains(QStringLiteral("position"))) {
            for (const QJsonValue& value : account.value(QStringLiteral("position")).toArray()) {
                const QJsonObject position = value.toObject();
                const int paperID = position.value(QStringLiteral("paper_id")).toInt();
                const double price = position.value(QStringLiteral("price")).toDouble();
                const QDate date = QDate::fromString(position.value(QStringLiteral("bdate")).toString(),
                                                     QStringLiteral("yyyy-MM-dd"));
                auto row = QSharedPointer<kuPortfolioPositionItem>::create(
                        paperID, kuKeys::wholeNumber(position.value(QStringLiteral("amount"))), price, price,
                        position.value(QStringLiteral("balance")).toDouble(),
                        double(kuKeys::wholeNumber(position.value(QStringLiteral("blocked")))),
                        double(kuKeys::wholeNumber(position.value(QStringLiteral("expected")))), date);
                row->updateLastPrice(paperID, position.value(QStringLiteral("lastprice")).toDouble());
                change += row->changeSum();
                rows.append(row);
                if (!m_lastPriceAsked.contains(paperID))
                    m_lastPriceAsked.insert(paperID, false);
            }
        }
        if (account.contains(QStringLiteral("money"))) {
            const QJsonObject money = account.value(QStringLiteral("money")).toObject();
            auto value = [&money](const char* key) { return money.value(QLatin1String(key)).toDouble(); };
            auto row = QSharedPointer<kuPortfolioMoneyItem>::create(value("balance"), value("blocked") + value("go"),
                                                                    value("expected"), value("profit"));
            row->setPositionsChange(change);
            rows.append(row);
        }
        accounts.insert(it.key(), QVariant::fromValue(rows));
    }
    return accounts;
}

QMap<QString, QVariant> kuPortfolio::parseMargin(const QJsonObject& jsonPositions)
{
    kuPortfolioModel::registerTypes();
    QMap<QString, QVariant> margins;
    for (auto it = jsonPositions.constBegin(); it != jsonPositions.constEnd(); ++it) {
        const QJsonObject account = it.value().toObject();
        if (!account.contains(QStringLiteral("margin")))
            continue;
        const QJsonObject margin = account.value(QStringLiteral("margin")).toObject();
        kuPortfolioModel::marginParam param;
        param.initMargin = margin.value(QStringLiteral("init_marga")).toDouble();
        param.marginPortfolio = margin.value(QStringLiteral("marg_portfolio")).toDouble();
        param.minMargin = margin.value(QStringLiteral("min_marga")).toDouble();
        margins.insert(it.key(), QVariant::fromValue(param));
    }
    return margins;
}

void kuPortfolio::applyToAccounts(const QMap<QString, QVariant>& values, int role)
{
    if (values.isEmpty())
        return;
    // No pause of the view's repaints: resuming them repaints the whole window, while the
    // model reports only what changed and the view draws it once, later.
    for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
        // Accounts hidden by the selector are kept current too.
        const QModelIndex top = accountRow(m_model, it.key());
        if (top.isValid())
            m_model->setData(top, it.value(), role);
    }
}

void kuPortfolio::requestLastPrices()
{
    const QPointer<kuConnectionManager> manager = kuConnectionManager::instance();
    const QPointer<kuAbstractConn> connection = manager ? manager->connection() : nullptr;
    if (!connection)
        return;
    for (auto it = m_lastPriceAsked.begin(); it != m_lastPriceAsked.end(); ++it) {
        if (it.value())
            continue;
        connection->requestLastPrice(it.key());
        it.value() = true;
    }
}

void kuPortfolio::updateLastPrice(int paperID, double lastPrice)
{
    if (!m_lastPriceAsked.contains(paperID))
        return;
    const QVariant value = QVariant::fromValue(kuPortfolioModel::LastPrice(paperID, lastPrice));
    bool changed = false;
    for (int row = 0; row < m_model->rowCount(); ++row)
        changed = m_model->setData(m_model->index(row, 0), value, kuPortfolioModel::SetLastPriceRole) || changed;
    if (changed)
        m_proxy->applySort();
}

void kuPortfolio::slot_showAccounts(QModelIndex, QModelIndex)
{
    // Read from the items: the box's own list follows only after this change is reported.
    m_proxy->setAccounts(kuAccountWindow::checkedAccounts(m_accountBox));
    m_view->applyAccountStates();
    // A selected account the checks hide has no figures to show.
    if (!ui->graphicsView->isHidden())
        showSelectedMargin();
}

void kuPortfolio::slot_filterAccepted(QString text)
{
    // Column 2, "Инструмент": the placeholder column 0 shows no text.
    m_proxy->setColumnFilter(2, text.isEmpty() ? QString() : text);
}

void kuPortfolio::slot_changeSelection(QModelIndex index)
{
    if (index == QModelIndex(m_selection))
        return;
    m_selection = index;
    // A position or money row stands for its account: the panel shows that account's figures.
    const QModelIndex account = index.parent().isValid() ? index.parent() : index;
    m_selectedAccount = account.sibling(account.row(), 0).data(kuTreeViewModel::AccountRole).toString();
    slot_showHideMarginPanel(m_view->marginAction()->isChecked());
}

void kuPortfolio::showSelectedMargin()
{
    const QModelIndex account = m_selectedAccount.isEmpty() ? QModelIndex() : accountRow(m_proxy, m_selectedAccount);
    const QVariant value = account.data(kuPortfolioModel::MarginRole);
    if (value.userType() != qMetaTypeId<kuPortfolioModel::marginParam>()) {
        m_margin->clearValues();
        return;
    }
    // Zeros are the account's figures too: an account without margin never keeps another's.
    const auto margin = value.value<kuPortfolioModel::marginParam>();
    if (!m_margin->setValues(margin.marginPortfolio, margin.initMargin, margin.minMargin))
        m_margin->clearValues();
}

void kuPortfolio::slot_showHideMarginPanel(bool showHide)
{
    if (showHide)
        showSelectedMargin();
    layoutMarginPanel();
    ui->graphicsView->setVisible(showHide);
}

void kuPortfolio::layoutMarginPanel()
{
    m_margin->scene()->setSceneRect(0, 0, ui->graphicsView->width(), ui->graphicsView->height());
    m_margin->relayout();
}

void kuPortfolio::resizeEvent(QResizeEvent* event)
{
    if (event->size() == event->oldSize())
        return;
    layoutMarginPanel();
    QWidget::resizeEvent(event);
}

bool kuPortfolio::eventFilter(QObject* watched, QEvent* event)
{
    // The layout sizes the graphics view after the window's own resize.
    if (watched == ui->graphicsView && event->type() == QEvent::Resize)
        layoutMarginPanel();
    return kuWindowBase::eventFilter(watched, event);
}

QVariantMap kuPortfolio::chekedAccounts() const
{
    return kuAccountWindow::openAccounts(m_view);
}

void kuPortfolio::setChekedAccounts(const QVariantMap& accounts)
{
    kuAccountWindow::restoreAccounts(m_view, m_accountBox, accounts);
}

QString kuPortfolio::searchLine() const
{
    return m_search->text();
}

void kuPortfolio::setSearchLine(const QString& text)
{
    m_search->setText(text);
    slot_filterAccepted(text);
}

QString kuPortfolio::columnState() const
{
    return m_view->columnState();
}

void kuPortfolio::setColumnState(const QString& state)
{
    m_view->setColumnState(state);
}

bool kuPortfolio::showHideMarginPanel() const
{
    return m_view->marginAction()->isChecked();
}

void kuPortfolio::setShowHideMarginPanel(bool show)
{
    m_view->marginAction()->setChecked(show);
}

QJsonObject kuPortfolio::saveSettings()
{
    QJsonObject settings = kuWindowBase::saveSettings();
    auto param = [](const QString& name, const QString& label, const QJsonValue& value) {
        return QJsonObject{
                {QStringLiteral("name"), name}, {QStringLiteral("label"), label}, {QStringLiteral("value"), value}};
    };
    const QJsonArray params{
            param(QStringLiteral("chekedAccounts"), ui->labelAccount->text(),
                  QJsonObject::fromVariantMap(chekedAccounts())),
            param(QStringLiteral("searchLine"), ui->labelSearch->text(), searchLine()),
            param(QStringLiteral("columnState"), QStringLiteral("columnState"), columnState()),
            param(QStringLiteral("showHideMarginPanel"), QStringLiteral("showHideMarginPanel"), showHideMarginPanel())};
    const QJsonObject group{{QStringLiteral("name"), QStringLiteral("positionSetting")},
                            {QStringLiteral("label"), windowTitle()},
                            {QStringLiteral("params"), params}};
    settings.insert(QStringLiteral("settings"), QJsonArray{group});
    return settings;
}
