#include "kupaperlistform.h"

#include "ui_kupaperlistform.h"

#include "kuclient.h"
#include "kuexchangelistmodel.h"
#include "kuobjectheaderitem.h"
#include "kupaperlist.h"
#include "kupaperlistitem.h"
#include "kupaperlistmodel.h"
#include "kupaperlistproxymodel.h"
#include "kupaperlistview.h"

#include <QHeaderView>
#include <QSignalMapper>

namespace {
constexpr int tickerColumn = 2;
const QList<int> searchColumns{2, 3, 4, 5};
} // namespace

kuPaperListForm::kuPaperListForm(QWidget* parent) : QDialog(parent), ui(new Ui_kuPaperListForm)
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("kuPaperListForm"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    comboExchange = ui->comboExchange;
    linePaperSearch = ui->linePaperSearch;
    paperTableView = ui->paperTableView;
    checkShowOptions = ui->checkShowOptions;

    comboExchange->setModel(new kuExchangeListModel(comboExchange));
    paperTableView->buildColumns(
            {kuObjectHeaderItem::create(tr("Площадка")), kuObjectHeaderItem::create(tr("Тикер")),
             kuObjectHeaderItem::create(tr("Крат. \n наименование"), tr("Краткое наименование инструмента")),
             kuObjectHeaderItem::create(tr("Эмитент")), kuObjectHeaderItem::create(tr("Тип"))});
    m_model = new kuPaperListModel(this);
    m_proxy = new kuPaperListProxyModel(this);
    m_proxy->setSourceModel(m_model);
    m_proxy->setDynamicSortFilter(true);
    m_proxy->setFilterCaseSensitivity(Qt::CaseInsensitive);
    paperTableView->setModel(m_proxy);
    paperTableView->horizontalHeader()->setSectionsMovable(false);
    paperTableView->sortByColumn(tickerColumn, Qt::AscendingOrder);

    m_mapper = new QSignalMapper(this);
    connect(comboExchange, qOverload<int>(&QComboBox::currentIndexChanged), m_mapper, qOverload<>(&QSignalMapper::map));
    m_mapper->setMapping(comboExchange, QStringLiteral("comboExchange"));
    connect(linePaperSearch, &QLineEdit::textEdited, m_mapper, qOverload<>(&QSignalMapper::map));
    m_mapper->setMapping(linePaperSearch, QStringLiteral("linePaperSearch"));
    connect(m_mapper, &QSignalMapper::mappedString, this, qOverload<QString>(&kuPaperListForm::slot_filterAccepted));
    checkShowOptions->setChecked(false);
    connect(checkShowOptions, &QCheckBox::stateChanged, this, &kuPaperListForm::slot_showOptions);
}

kuPaperListForm::~kuPaperListForm() = default;

void kuPaperListForm::registerWithClient()
{
    kuClient::setPaperListFormCreator(
            [](QWidget* parent) {
                auto* form = new kuPaperListForm(parent);
                return std::make_pair(form, static_cast<QDialog*>(form));
            },
            [](kuPaperListForm* form) { form->loadingComplete(); },
            [](kuPaperListForm* form) { return form->currentPaperID(); });
}

void kuPaperListForm::fillRows(bool options)
{
    const quint64 count = kuPaperList::instance()->changeCount();
    if (m_filled && m_filledAt == count && m_filledOptions == options)
        return;
    m_proxy->setItems(options ? makeOptionItems() : makeItems());
    m_filled = true;
    m_filledAt = count;
    m_filledOptions = options;
}

void kuPaperListForm::loadingComplete()
{
    // The full list is shown: a switch left on from the last run would say otherwise.
    if (checkShowOptions->isChecked()) {
        const QSignalBlocker blocker(checkShowOptions);
        checkShowOptions->setChecked(false);
    }
    fillRows(false);
    comboExchange->setEnabled(true);
    const QSharedPointer<kuPaperList> registry = kuPaperList::instance();
    checkShowOptions->setEnabled(!registry->optionsEmpty());
    m_noExchange = false;
    {
        const QSignalBlocker blocker(comboExchange);
        if (auto* exchanges = qobject_cast<kuExchangeListModel*>(comboExchange->model()))
            exchanges->setExchanges(registry->exchanges());
        comboExchange->setCurrentIndex(0);
    }
    slot_filterAccepted();
}

void kuPaperListForm::setFilterExchange(QSet<qint32> exchangeList)
{
    // Rows made before the registry changed would be blank.
    fillRows(m_filledOptions);
    const QSharedPointer<kuPaperList> registry = kuPaperList::instance();
    checkShowOptions->setEnabled(!registry->optionsEmpty());
    {
        const QSignalBlocker blocker(comboExchange);
        if (auto* exchanges = qobject_cast<kuExchangeListModel*>(comboExchange->model())) {
            QMap<int, QString> known = registry->exchanges();
            for (auto it = known.begin(); it != known.end();)
                it = exchangeList.contains(it.key()) ? std::next(it) : known.erase(it);
            // "Все" of no exchange would let every instrument through.
            m_noExchange = known.isEmpty();
            exchanges->setExchanges(known);
        }
        comboExchange->setCurrentIndex(0);
    }
    slot_filterAccepted();
}

void kuPaperListForm::slot_filterAccepted(QString)
{
    slot_filterAccepted();
}

void kuPaperListForm::slot_filterAccepted()
{
    const QSet<int> exchanges = comboExchange->currentData(kuExchangeListModel::ExchangesRole).value<QSet<int>>();
    m_proxy->setHideAll(m_noExchange);
    m_proxy->setExchangeFilter(exchanges);
    m_proxy->setColumnFilters(searchColumns, linePaperSearch->text());
    // A search that filtered the current row away would make Ok choose nothing.
    if (!paperTableView->currentIndex().isValid() && m_proxy->rowCount() > 0)
        paperTableView->setCurrentIndex(m_proxy->index(0, 0));
}

void kuPaperListForm::slot_showOptions(int state)
{
    if (state == 0) {
        loadingComplete();
        return;
    }
    fillRows(true);
    // Without that exchange among the entries (an account that trades none) the entry stays
    // on "Все" of the entries: no entry at all would let every option through.
    const int derivatives = comboExchange->findText(QStringLiteral("FORTS"), Qt::MatchExactly | Qt::MatchCaseSensitive);
    comboExchange->setCurrentIndex(qMax(derivatives, 0));
    comboExchange->setEnabled(false);
}

void kuPaperListForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    paperTableView->setCurrentIndex(m_proxy->index(0, 0));
    paperTableView->setFocus();
}

int kuPaperListForm::currentPaperID() const
{
    const QModelIndex index = paperTableView->currentIndex();
    return index.isValid() ? index.data(kuPaperListModel::PaperIDRole).toInt() : 0;
}
