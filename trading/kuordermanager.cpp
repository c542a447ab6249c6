#include "kuordermanager.h"

#include "ui_kuordermanager.h"

#include "kuabstractconn.h"
#include "kuabstractdataconverter.h"
#include "kuaccount.h"
#include "kuclient.h"
#include "kuconnectionmanager.h"
#include "kufunctions.h"
#include "kuinstrumentsproxymodel.h"
#include "kuobjectheaderitem.h"
#include "kupaperinfo.h"
#include "kupaperlist.h"
#include "kupaperlistform.h"
#include "kupaperlistitem.h"
#include "kupaperlistmodel.h"
#include "kurecordkeys.h"

#include <QAbstractTextDocumentLayout>
#include <QCompleter>
#include <QPainter>
#include <QSet>
#include <QSignalMapper>
#include <QStyle>
#include <QTextDocument>

#include <cfloat>
#include <climits>
#include <cmath>

namespace {
constexpr int paperIDRole = kuPaperListModel::PaperIDRole;
constexpr int tickerColumn = 2;

void setStyleClass(QWidget* widget, const char* styleClass)
{
    widget->setProperty("class", QString::fromLatin1(styleClass));
    widget->style()->unpolish(widget);
    widget->style()->polish(widget);
}

bool flagValue(const QJsonValue& value)
{
    return value.isBool() ? value.toBool() : value.toDouble() != 0;
}

QString sideText(int action)
{
    return action < 0 || action == 2 || action == 6 ? kuOrderManager::tr("продажа") : kuOrderManager::tr("покупка");
}
} // namespace

kuOrderManager::kuOrderManager(QWidget* parent) : QDialog(parent), ui(new Ui_kuOrderManager)
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("kuOrderManager"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    ui->chkBoxExec->hide();

    setButtonFace(ui->btnBuyMkt, tr("КУПИТЬ"), tr("РЫН."));
    setButtonFace(ui->btnBuyLimit, tr("КУПИТЬ"), tr("ЛИМИТ."));
    setButtonFace(ui->btnSellMkt, tr("ПРОДАТЬ"), tr("РЫН."));
    setButtonFace(ui->btnSellLimit, tr("ПРОДАТЬ"), tr("ЛИМИТ."));
    for (QPushButton* button : {ui->btnBuyMkt, ui->btnBuyLimit})
        setStyleClass(button, "btnBuy");
    for (QPushButton* button : {ui->btnSellMkt, ui->btnSellLimit})
        setStyleClass(button, "btnSell");

    m_lotMapper = new QSignalMapper(this);
    const QList<QPair<QToolButton*, int>> lots{{ui->toolBtn_1, 1},     {ui->toolBtn_5, 5},     {ui->toolBtn_10, 10},
                                               {ui->toolBtn_50, 50},   {ui->toolBtn_100, 100}, {ui->toolBtn_500, 500},
                                               {ui->toolBtnDefault, 1}};
    for (const auto& lot : lots) {
        setStyleClass(lot.first, "lotButton");
        connect(lot.first, &QToolButton::clicked, m_lotMapper, qOverload<>(&QSignalMapper::map));
        m_lotMapper->setMapping(lot.first, lot.second);
    }
    connect(m_lotMapper, &QSignalMapper::mappedInt, this, [this](int lots) { setLotAmount(lots); });

    fillAccounts();

    m_paperModel = new kuPaperListModel(this);
    m_paperModel->setColumns(
            {kuObjectHeaderItem::createHidden(QStringLiteral("Column #1")), kuObjectHeaderItem::create(tr("Площадка")),
             kuObjectHeaderItem::create(tr("Тикер")),
             kuObjectHeaderItem::create(tr("Крат. \n наименование"), tr("Краткое наименование инструмента")),
             kuObjectHeaderItem::create(tr("Эмитент")), kuObjectHeaderItem::create(tr("Тип"))});
    fillInstruments();
    m_filter = new kuInstrumentsProxyModel(this);
    m_filter->setSourceModel(m_paperModel);
    m_filter->setDynamicSortFilter(false);
    m_filter->sort(tickerColumn, Qt::AscendingOrder);
    m_completer = new QCompleter(m_filter, this);
    m_completer->setCompletionMode(QCompleter::PopupCompletion);
    m_completer->setCaseSensitivity(Qt::CaseInsensitive);
    m_completer->setCompletionColumn(tickerColumn);
    m_completer->setCompletionRole(Qt::DisplayRole);
    m_completer->setMaxVisibleItems(20);
    ui->paperLineEdit->setCompleter(m_completer);

    connect(ui->chooseButton, &QToolButton::clicked, this, &kuOrderManager::slot_chooseInstrument);
    connect(ui->paperLineEdit, &QLineEdit::editingFinished, this, &kuOrderManager::slot_checkInstrument);
    connect(m_completer, qOverload<const QModelIndex&>(&QCompleter::activated), this,
            &kuOrderManager::slot_instrumentIndexChanged);
    connect(ui->comboBoxAccount, &QComboBox::currentTextChanged, this,
            &kuOrderManager::slot_accountComboBoxIndexChanged);
    selectCurrentAccount();

    connect(ui->spinBoxAmount, qOverload<double>(&QDoubleSpinBox::valueChanged), this, &kuOrderManager::amountTyped);
    connect(ui->spinBoxLotAmount, qOverload<double>(&QDoubleSpinBox::valueChanged), this,
            &kuOrderManager::setLotAmount);
    connect(ui->spinBoxPrice, qOverload<double>(&QDoubleSpinBox::valueChanged), this, &kuOrderManager::setTotalSum);
    connect(ui->btnBuyMkt, &QPushButton::clicked, this, [this] { createOrder(1, 1); });
    connect(ui->btnBuyLimit, &QPushButton::clicked, this, [this] { createOrder(1, 0); });
    connect(ui->btnSellMkt, &QPushButton::clicked, this, [this] { createOrder(-1, 1); });
    connect(ui->btnSellLimit, &QPushButton::clicked, this, [this] { createOrder(-1, 0); });

    // Stop tab: the radio pairs are kept exclusive here, not by Qt.
    setButtonFace(ui->btnBuyStop, tr("КУПИТЬ"), QString());
    setButtonFace(ui->btnSellStop, tr("ПРОДАТЬ"), QString());
    setStyleClass(ui->btnBuyStop, "btnBuy");
    setStyleClass(ui->btnSellStop, "btnSell");
    connect(ui->btnBuyStop, &QPushButton::clicked, this, [this] { createStopOrder(1); });
    connect(ui->btnSellStop, &QPushButton::clicked, this, [this] { createStopOrder(-1); });
    connect(ui->rbStopMktPrice_1, &QRadioButton::clicked, this, [this] { setStopMode(1, true); });
    connect(ui->rbStopPrice_1, &QRadioButton::clicked, this, [this] { setStopMode(1, false); });
    connect(ui->rbStopMktPrice_2, &QRadioButton::clicked, this, [this] { setStopMode(2, true); });
    connect(ui->rbStopPrice_2, &QRadioButton::clicked, this, [this] { setStopMode(2, false); });
    connect(ui->tabOrders, &QTabWidget::currentChanged, this, [this](int index) {
        for (QWidget* widget : {static_cast<QWidget*>(ui->spinBoxPrice), static_cast<QWidget*>(ui->rbGTC),
                                static_cast<QWidget*>(ui->rbDay)})
            widget->setEnabled(index == 0);
    });

    if (const QPointer<kuConnectionManager> manager = kuConnectionManager::instance())
        connect(manager, &kuConnectionManager::on_connStatusChange, this, [this](bool up) { m_connectionUp = up; });
    watchOutcomes();
}

kuOrderManager::~kuOrderManager() = default;

void kuOrderManager::registerWithClient()
{
    kuClient::setOrderManagerCreator(
            [] {
                auto* dialog = new kuOrderManager;
                return std::make_pair(dialog, static_cast<QDialog*>(dialog));
            },
            [](kuOrderManager* dialog) { dialog->resetForm(); });
}

QAbstractItemModel* kuOrderManager::instruments() const
{
    return m_filter;
}

void kuOrderManager::setButtonFace(QAbstractButton* button, const QString& title, const QString& subtitle)
{
    if (!button)
        return;
    QTextDocument document;
    document.setDocumentMargin(0);
    document.setHtml(QStringLiteral("<h2>%1 <sub>%2</sub></h2>").arg(title.toHtmlEscaped(), subtitle.toHtmlEscaped()));
    const QSize size = document.size().toSize().expandedTo(QSize(1, 1));
    QPixmap face(size);
    face.fill(Qt::transparent);
    {
        QPainter painter(&face);
        document.drawContents(&painter);
    }
    button->setIcon(QIcon(face));
    button->setIconSize(face.size());
    button->style()->unpolish(button);
    button->style()->polish(button);
}

// ---- accounts and instruments ----

void kuOrderManager::fillAccounts()
{
    const QStringList accounts = kuAccount::instance()->accounts();
    QStringList shown;
    for (int i = 0; i < ui->comboBoxAccount->count(); ++i)
        shown << ui->comboBoxAccount->itemText(i);
    if (shown == accounts)
        return;
    const QSignalBlocker blocker(ui->comboBoxAccount);
    ui->comboBoxAccount->clear();
    ui->comboBoxAccount->addItems(accounts);
}

void kuOrderManager::fillInstruments()
{
    // Options too: the chooser offers them to an account that trades them, and they must be found here.
    m_paperModel->setItems(makeItems() + makeOptionItems());
    if (m_filter)
        m_filter->sort(tickerColumn, Qt::AscendingOrder);
    m_papersFilledAt = kuPaperList::instance()->changeCount();
}

void kuOrderManager::selectCurrentAccount()
{
    const QSignalBlocker blocker(ui->comboBoxAccount);
    const QString current = kuAccount::instance()->currentAccount();
    ui->comboBoxAccount->setCurrentIndex(
            ui->comboBoxAccount->findText(current, Qt::MatchExactly | Qt::MatchCaseSensitive));
    applyExchanges(current);
}

void kuOrderManager::applyExchanges(const QString& account)
{
    m_filter->setFilter(kuAccount::instance()->accountData(account));
}

void kuOrderManager::watchOutcomes()
{
    const QPointer<kuConnectionManager> manager = kuConnectionManager::instance();
    const QPointer<kuAbstractDataConverter> converter = manager ? manager->dataConverter() : nullptr;
    if (converter == m_outcomeSource)
        return;
    if (m_outcomeSource)
        disconnect(m_outcomeSource, nullptr, this, nullptr);
    m_outcomeSource = converter;
    if (!converter)
        return;
    connect(converter, &kuAbstractDataConverter::on_orderOutcome, this, &kuOrderManager::showOutcome);
}

void kuOrderManager::resetForm()
{
    ui->chkBoxExec->hide();
    watchOutcomes();
    fillAccounts();
    selectCurrentAccount();
    // Rows made before the registry replaced records would be blank.
    if (m_papersFilledAt != kuPaperList::instance()->changeCount())
        fillInstruments();
    ui->paperLineEdit->clear();
    ui->paperLineEdit->setToolTip(QString());
    m_paperID = 0;
    setOrderID(0);
    ui->spinBoxAmount->setValue(1);
    ui->spinBoxPrice->setValue(0);
    ui->rbDay->setChecked(true);
    ui->chkBoxExec->setChecked(false);
    ui->tabOrders->setCurrentIndex(0);
    resetStopTab();
    for (kuDoubleSpinBox* box : numberBoxes())
        box->clearEntryRefused();
}

QList<kuDoubleSpinBox*> kuOrderManager::numberBoxes() const
{
    return {ui->spinBoxAmount,      ui->spinBoxLotAmount, ui->spinBoxPrice,      ui->spinBoxIfPrice_1,
            ui->spinBoxStopPrice_1, ui->spinBoxIfPrice_2, ui->spinBoxStopPrice_2};
}

bool kuOrderManager::takeEntries(std::initializer_list<kuDoubleSpinBox*> boxes)
{
    bool refused = false;
    for (kuDoubleSpinBox* box : boxes) {
        box->commitEntry();
        refused |= box->entryRefused();
    }
    if (!refused)
        return true;
    for (kuDoubleSpinBox* box : numberBoxes())
        box->clearEntryRefused();
    showMessage(tr("Введённое значение не принято: в поле осталось прежнее. Проверьте поручение и отправьте его "
                   "ещё раз."));
    return false;
}

void kuOrderManager::slot_accountComboBoxIndexChanged(QString account)
{
    resetForm();
    setAccount(account);
}

bool kuOrderManager::setAccount(const QString& account)
{
    QComboBox* combo = ui->comboBoxAccount;
    const int index = combo->findText(account, Qt::MatchExactly | Qt::MatchCaseSensitive);
    {
        const QSignalBlocker blocker(combo);
        // Another account left selected would receive the order.
        combo->setCurrentIndex(index);
    }
    applyExchanges(account);
    return index >= 0;
}

void kuOrderManager::slot_instrumentIndexChanged(QModelIndex modelIndex)
{
    ui->paperLineEdit->setToolTip(modelIndex.data(Qt::ToolTipRole).toString());
    m_paperID = modelIndex.data(paperIDRole).toInt();
    const QSharedPointer<kuPaperInfo> paper = currentPaper();
    if (!paper)
        return;
    const double step = paper->priceStep();
    const int decimals = paper->decimals();
    for (kuDoubleSpinBox* box : {ui->spinBoxPrice, ui->spinBoxIfPrice_1, ui->spinBoxStopPrice_1, ui->spinBoxIfPrice_2,
                                 ui->spinBoxStopPrice_2}) {
        box->setDecimals(decimals);
        box->setSingleStep(step);
    }
    ui->chkBoxExec->setVisible(paper->isCurrencyContract());
    ui->spinBoxAmount->setSingleStep(paper->lot());
    setLotAmount(1);
}

void kuOrderManager::selectRow(int row)
{
    const QModelIndex index = m_filter->index(row, tickerColumn);
    ui->paperLineEdit->setText(index.data(Qt::DisplayRole).toString());
    ui->paperLineEdit->setToolTip(index.data(Qt::ToolTipRole).toString());
    slot_instrumentIndexChanged(index);
}

void kuOrderManager::setInstrument(int paperID)
{
    for (int row = 0; row < m_filter->rowCount(); ++row) {
        if (m_filter->index(row, tickerColumn).data(paperIDRole).toInt() == paperID && paperID != 0) {
            selectRow(row);
            return;
        }
    }
    m_paperID = 0;
}

void kuOrderManager::slot_checkInstrument()
{
    const QString text = ui->paperLineEdit->text();
    if (text.isEmpty())
        return;
    for (int row = 0; row < m_filter->rowCount(); ++row) {
        if (m_filter->index(row, tickerColumn).data(Qt::DisplayRole).toString().compare(text, Qt::CaseInsensitive) ==
            0) {
            selectRow(row);
            return;
        }
    }
    m_paperID = 0;
    ui->paperLineEdit->clear();
}

void kuOrderManager::slot_chooseInstrument()
{
    const QPointer<kuClient> client = kuClient::instance();
    if (!client)
        return;
    const QPointer<kuPaperListForm> chooser = client->paperListForm();
    if (!chooser)
        return;
    chooser->setFilterExchange(kuAccount::instance()->accountData(ui->comboBoxAccount->currentText()));
    if (chooser->exec() != QDialog::Accepted || !chooser)
        return;
    // Nothing chosen keeps the instrument already entered.
    if (const int chosen = chooser->currentPaperID())
        setInstrument(chosen);
}

QSharedPointer<kuPaperInfo> kuOrderManager::currentPaper() const
{
    return m_paperID == 0 ? QSharedPointer<kuPaperInfo>() : kuPaperList::instance()->paper(m_paperID);
}

// ---- quantity, price and total ----

double kuOrderManager::amount() const
{
    return ui->spinBoxAmount->value();
}

double kuOrderManager::lotAmount() const
{
    return ui->spinBoxLotAmount->value();
}

double kuOrderManager::price() const
{
    return ui->spinBoxPrice->value();
}

void kuOrderManager::setAmount(double amount)
{
    const QSharedPointer<kuPaperInfo> paper = currentPaper();
    if (!paper)
        return;
    const qint64 lot = paper->lot();
    const qint64 whole = qint64(std::trunc(std::max(amount, 0.0)));
    {
        const QSignalBlocker a(ui->spinBoxAmount);
        const QSignalBlocker b(ui->spinBoxLotAmount);
        ui->spinBoxAmount->setValue(double(whole - whole % lot));
        ui->spinBoxLotAmount->setValue(double(whole / lot));
    }
    setTotalSum();
}

void kuOrderManager::amountTyped(double amount)
{
    // The quantity goes out as typed or is refused: cut to whole lots it would be another order.
    const QSharedPointer<kuPaperInfo> paper = currentPaper();
    if (!paper)
        return;
    {
        const QSignalBlocker blocker(ui->spinBoxLotAmount);
        ui->spinBoxLotAmount->setValue(std::trunc(std::max(amount, 0.0) / double(paper->lot())));
    }
    setTotalSum();
}

void kuOrderManager::setLotAmount(double amount)
{
    const QSharedPointer<kuPaperInfo> paper = currentPaper();
    if (!paper)
        return;
    const double lots = std::max(amount, 0.0);
    {
        const QSignalBlocker a(ui->spinBoxAmount);
        const QSignalBlocker b(ui->spinBoxLotAmount);
        ui->spinBoxLotAmount->setValue(lots);
        ui->spinBoxAmount->setValue(lots * paper->lot());
    }
    setTotalSum();
}

bool kuOrderManager::priceOnStep(double price) const
{
    const QSharedPointer<kuPaperInfo> paper = currentPaper();
    const double step = paper ? paper->priceStep() : 1.0;
    // Scaling by 1e10 into 64 bits overflowed above 9.2e8; compare in steps instead,
    // allowing for the rounding of large prices.
    const double steps = std::round(price / step);
    const double tolerance = std::max(step * 1e-9, std::fabs(price) * 1e-14);
    return std::fabs(price - steps * step) <= tolerance;
}

void kuOrderManager::setPrice(double price)
{
    if (!currentPaper())
        return;
    price = std::fabs(price);
    if (priceOnStep(price))
        ui->spinBoxPrice->setValue(price);
}

void kuOrderManager::setTotalSum()
{
    const QSharedPointer<kuPaperInfo> paper = currentPaper();
    double total = price() * amount();
    if (paper && paper->type() == 2)
        total = paper->nominal() * price() / 100 * amount();
    ui->spinBoxTotalSum->setValue(total);
}

// ---- orders ----

bool kuOrderManager::validateOrderInput(int isMarket)
{
    const QSharedPointer<kuPaperInfo> paper = currentPaper();
    QString refusal;
    const double quantity = amount();
    if (ui->comboBoxAccount->currentText().isEmpty())
        refusal = tr("Вы не указали счет!");
    else if (!paper)
        refusal = tr("Вы не указали код ценной бумаги!");
    else if (quantity <= 0 || quantity > double(INT_MAX)) // the request carries a 32-bit quantity
        refusal = tr("Вы указали неправильное количество ценных бумаг!");
    else if (qint64(std::trunc(quantity)) % paper->lot() != 0)
        refusal = tr("Количество бумаг не кратно биржевому лоту!");
    else if (isMarket == 0 && price() <= 0)
        refusal = tr("Вы указали неправильную цену одной бумаги!");
    else if (isMarket == 0 && !priceOnStep(price()))
        refusal = tr("Вы указали неправильный шаг цены!");
    if (refusal.isEmpty())
        return true;
    showMessage(refusal);
    return false;
}

QPointer<kuAbstractConn> kuOrderManager::orderConnection()
{
    const QPointer<kuConnectionManager> manager = kuConnectionManager::instance();
    QPointer<kuAbstractConn> connection = manager ? manager->connection() : nullptr;
    // The inert fallback has no session either: it would only log the order.
    if (!connection || connection->sessionId().isEmpty() || !m_connectionUp) {
        showError(tr("Нет связи с сервером: поручение не отправлено. Проверьте подключение и повторите."));
        return nullptr;
    }
    watchOutcomes();
    return connection;
}

// What an order and a stop order both carry.
QJsonObject kuOrderManager::orderHead(int buySell) const
{
    QJsonObject order;
    order.insert(QStringLiteral("paperID"), m_paperID);
    order.insert(QStringLiteral("orderID"), kuKeys::wholeValue(m_orderID));
    order.insert(QStringLiteral("partID"), ui->comboBoxAccount->currentText());
    order.insert(QStringLiteral("action"), buySell);
    order.insert(QStringLiteral("amount"), amount());
    return order;
}

void kuOrderManager::createOrder(int buySell, int isMarket)
{
    if (!takeEntries({ui->spinBoxAmount, ui->spinBoxLotAmount, ui->spinBoxPrice}) || !validateOrderInput(isMarket))
        return;
    if (isMarket != 0 && !currentPaper()->isMarketAllowed()) {
        showMessage(tr("Запрещены рыночные поручения по малоликвидным бумагам!"));
        return;
    }
    QJsonObject order = orderHead(buySell);
    order.insert(QStringLiteral("price"), price());
    order.insert(QStringLiteral("isMarket"), isMarket);
    order.insert(QStringLiteral("ordTime"), ui->rbDay->isChecked() ? 1 : 2);
    order.insert(QStringLiteral("execFlag"), ui->chkBoxExec->isChecked() ? 1 : 0);

    const QPointer<kuAbstractConn> connection = orderConnection();
    if (!connection)
        return; // kept open with its values
    if (m_orderID == 0)
        connection->newOrder(order);
    else
        connection->modifyOrder(order);
    accept();
}

void kuOrderManager::createStopOrder(int buySell)
{
    if (!takeEntries({ui->spinBoxAmount, ui->spinBoxLotAmount, ui->spinBoxIfPrice_1, ui->spinBoxStopPrice_1,
                      ui->spinBoxIfPrice_2, ui->spinBoxStopPrice_2}) ||
        !validateOrderInput(1))
        return;
    const bool first = ui->checkBoxFirstCondition->isChecked();
    const bool second = ui->checkBoxSecondCondition->isChecked();
    if (!first && !second) {
        showMessage(tr("Вы не указали ни одного условия срабатывания стоп-поручения!"));
        return;
    }
    struct Condition
    {
        double ifPrice = 0;
        double stopPrice = 0;
        int isMarket = 0;
    };
    const bool marketAllowed = currentPaper()->isMarketAllowed();
    auto read = [&](bool used, QDoubleSpinBox* ifBox, QDoubleSpinBox* stopBox, QRadioButton* market,
                    const QString& noTrigger, const QString& noPrice, Condition* c) {
        if (!used)
            return true;
        c->ifPrice = ifBox->value();
        c->stopPrice = stopBox->value();
        c->isMarket = market->isChecked() ? 1 : 0;
        QString refusal;
        if (c->ifPrice <= 0)
            refusal = noTrigger;
        else if (c->stopPrice <= 0 && !c->isMarket)
            refusal = noPrice;
        else if (c->isMarket && !marketAllowed)
            refusal = tr("Запрещены рыночные поручения по малоликвидным бумагам!");
        if (refusal.isEmpty())
            return true;
        showMessage(refusal);
        return false;
    };
    Condition c1;
    Condition c2;
    if (!read(first, ui->spinBoxIfPrice_1, ui->spinBoxStopPrice_1, ui->rbStopMktPrice_1,
              tr("Вы не указали цену срабатывания для первого условия!"),
              tr("Вы не указали цену продажи для первого условия!"), &c1))
        return;
    if (!read(second, ui->spinBoxIfPrice_2, ui->spinBoxStopPrice_2, ui->rbStopMktPrice_2,
              tr("Вы не указали цену срабатывания для второго условия!"),
              tr("Вы не указали цену продажи для второго условия!"), &c2))
        return;
    if (first && second && !(c2.ifPrice > c1.ifPrice)) {
        showMessage(tr("Цена срабатывания второго условия должна быть выше цены первого условия!"));
        return;
    }

    QJsonObject order = orderHead(buySell);
    order.insert(QStringLiteral("fcond"), first ? 1 : 0);
    order.insert(QStringLiteral("ifPrice1"), c1.ifPrice);
    order.insert(QStringLiteral("stopPrice1"), c1.stopPrice);
    order.insert(QStringLiteral("isMarket1"), c1.isMarket);
    order.insert(QStringLiteral("scond"), second ? 1 : 0);
    order.insert(QStringLiteral("ifPrice2"), c2.ifPrice);
    order.insert(QStringLiteral("stopPrice2"), c2.stopPrice);
    order.insert(QStringLiteral("isMarket2"), c2.isMarket);
    order.insert(QStringLiteral("execFlag"), ui->chkBoxExec->isChecked() ? 1 : 0);

    const QPointer<kuAbstractConn> connection = orderConnection();
    if (!connection)
        return;
    if (m_orderID == 0)
        connection->newStopOrder(order);
    else
        connection->modifyStopOrder(order);
    accept();
}

void kuOrderManager::cancelOrder(QJsonObject orderObject)
{
    const QPointer<kuConnectionManager> manager = kuConnectionManager::instance();
    if (const QPointer<kuAbstractConn> connection = manager ? manager->connection() : nullptr) {
        watchOutcomes();
        connection->cancelOrder(orderObject);
    }
}

void kuOrderManager::cancelStopOrder(QJsonObject stopOrderObject)
{
    const QPointer<kuConnectionManager> manager = kuConnectionManager::instance();
    if (const QPointer<kuAbstractConn> connection = manager ? manager->connection() : nullptr) {
        watchOutcomes();
        connection->cancelStopOrder(stopOrderObject);
    }
}

void kuOrderManager::showOutcome(const QJsonObject& order, int outcome, const QString& text)
{
    if (outcome == kuAbstractDataConverter::ooConfirmed)
        return; // the converter's confirmation goes to the message bar
    const int type = order.value(QStringLiteral("type")).toInt();
    const bool cancel = type == 1003 || type == 1012;
    const QString ticker = kuPaperList::instance()->ticker(order.value(QStringLiteral("paperID")).toInt());
    const QString what = tr("Инструмент: %1, %2, количество %3.")
                                 .arg(ticker.isEmpty() ? tr("неизвестен") : ticker,
                                      sideText(order.value(QStringLiteral("action")).toInt()),
                                      QString::number(qint64(order.value(QStringLiteral("amount")).toDouble())));
    if (outcome == kuAbstractDataConverter::ooRefused) {
        showError((cancel ? tr("Сервер отклонил запрос на отмену поручения: %1") : tr("Сервер отклонил поручение: %1"))
                          .arg(text) +
                  QLatin1Char('\n') + what);
    } else {
        showError((cancel ? tr("Подтверждение запроса на отмену поручения не получено.")
                          : tr("Подтверждение поручения не получено.")) +
                  QLatin1Char('\n') + what + QLatin1Char('\n') + tr("Проверьте список поручений."));
    }
}

// ---- tabs and stop conditions ----

void kuOrderManager::setOrderID(qint64 orderID)
{
    m_orderID = orderID;
    showTitle();
}

void kuOrderManager::showTitle()
{
    // A change replaces an order on the server: the window says which one.
    setWindowTitle(m_orderID == 0 ? tr("Ввод поручения") : tr("Изменение поручения № %1").arg(m_orderID));
}

void kuOrderManager::setCurrentTab(int index)
{
    ui->tabOrders->setCurrentIndex(index < 0 || index >= ui->tabOrders->count() ? 0 : index);
}

void kuOrderManager::setStopMode(int condition, bool market)
{
    QRadioButton* marketButton = condition == 1 ? ui->rbStopMktPrice_1 : ui->rbStopMktPrice_2;
    QRadioButton* priceButton = condition == 1 ? ui->rbStopPrice_1 : ui->rbStopPrice_2;
    QDoubleSpinBox* stopPrice = condition == 1 ? ui->spinBoxStopPrice_1 : ui->spinBoxStopPrice_2;
    marketButton->setChecked(market);
    priceButton->setChecked(!market);
    stopPrice->setEnabled(!market);
}

void kuOrderManager::resetStopTab()
{
    ui->checkBoxFirstCondition->setChecked(true);
    ui->checkBoxSecondCondition->setChecked(false);
    for (kuDoubleSpinBox* box :
         {ui->spinBoxIfPrice_1, ui->spinBoxStopPrice_1, ui->spinBoxIfPrice_2, ui->spinBoxStopPrice_2})
        box->setValue(0);
    ui->rbStopMktPrice_1->click();
    ui->rbStopMktPrice_2->click();
    m_firstConditionFilled = false;
}

void kuOrderManager::fillCondition(const QJsonObject& order, int condition)
{
    if (order.isEmpty())
        return;
    const QString n = QString::number(condition);
    (condition == 1 ? ui->checkBoxFirstCondition : ui->checkBoxSecondCondition)->setChecked(true);
    const QJsonValue ifPrice = order.value(QStringLiteral("ifPrice") + n);
    if (!ifPrice.isUndefined())
        (condition == 1 ? ui->spinBoxIfPrice_1 : ui->spinBoxIfPrice_2)->setValue(ifPrice.toDouble());
    const QJsonValue stopPrice = order.value(QStringLiteral("stopPrice") + n);
    if (!stopPrice.isUndefined()) {
        (condition == 1 ? ui->spinBoxStopPrice_1 : ui->spinBoxStopPrice_2)->setValue(stopPrice.toDouble());
        if (stopPrice.toDouble() > 0)
            (condition == 1 ? ui->rbStopPrice_1 : ui->rbStopPrice_2)->click();
    }
    // Orders carry the flag as a boolean or as a number.
    const QJsonValue market = order.value(QStringLiteral("isMarket") + n);
    if (!market.isUndefined() && flagValue(market))
        (condition == 1 ? ui->rbStopMktPrice_1 : ui->rbStopMktPrice_2)->click();
}

void kuOrderManager::setFirstCondition(const QJsonObject& order)
{
    fillCondition(order, 1);
    if (!order.isEmpty())
        m_firstConditionFilled = true;
}

void kuOrderManager::setSecondCondition(const QJsonObject& order)
{
    fillCondition(order, 2);
    // A stop with only its second condition must not keep the first one checked.
    if (!order.isEmpty() && !m_firstConditionFilled)
        ui->checkBoxFirstCondition->setChecked(false);
}

void kuOrderManager::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        showTitle();
    }
    QDialog::changeEvent(event);
}
