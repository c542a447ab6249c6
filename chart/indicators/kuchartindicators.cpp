#include "kuchartindicators.h"

#include "kuchartcore.h"
#include "kuchartmakers.h"
#include "kuchartmultipanes.h"
#include "kuchartobjectvolume.h"
#include "kuchartoverlays.h"
#include "kuchartsubpanes.h"
#include "kufunctions.h"
#include "ui_kuchartindicators.h"

#include <QEvent>
#include <QLineEdit>
#include <QTableView>

// Catalogue.

kuChartIndicatorCatalogue& kuChartIndicators::catalogue()
{
    static kuChartIndicatorCatalogue entries;
    return entries;
}

void kuChartIndicators::registerIndicators()
{
    kuChartIndicatorCatalogue& entries = catalogue();
    if (!entries.isEmpty())
        return;
    auto add = [&entries](int kind, const char* code, const char* description, kuChartIndicatorEntry::Factory f) {
        entries.insert(kind, kuChartIndicatorEntry{QLatin1String(code), QLatin1String(description), f});
    };
    add(0, "ADX", "Average Directional Movement Index", createIndicator<kuChart_TA_ADX>);
    add(1, "AROON", "Aroon", createIndicator<kuChart_TA_AROON>);
    add(2, "ATR", "Average True Range", createIndicator<kuChart_TA_ATR>);
    add(3, "BB", "Bollinger Bands", createIndicator<kuChart_TA_BB>);
    add(4, "CCI", "Commodity Channel Index", createIndicator<kuChart_TA_CCI>);
    add(5, "DEMA", "Double Exponential Moving Average", createIndicator<kuChart_TA_DEMA>);
    add(6, "EMA", "Exponential Moving Average", createIndicator<kuChart_TA_EMA>);
    add(7, "KAMA", "Kaufman Adaptive Moving Average", createIndicator<kuChart_TA_KAMA>);
    add(8, "MACD", "Moving Average Convergence/Divergence", createIndicator<kuChart_TA_MACD>);
    add(9, "MFI", "Money Flow Index", createIndicator<kuChart_TA_MFI>);
    add(10, "MOM", "Momentum", createIndicator<kuChart_TA_MOM>);
    add(11, "Parabolic SAR", "Parabolic SAR", createIndicator<kuChart_TA_PSAR>);
    add(12, "ROC", "Rate of change : ((price/prevPrice)-1)*100", createIndicator<kuChart_TA_ROC>);
    add(13, "RSI", "Relative Strength Index", createIndicator<kuChart_TA_RSI>);
    add(14, "STDDEV", "Standard Deviation", createIndicator<kuChart_TA_STDDEV>);
    add(15, "STOCH", "Slow Stochastic", createIndicator<kuChart_TA_STOCH>);
    add(16, "STOCHF", "Stochastic Fast", createIndicator<kuChart_TA_STOCHF>);
    add(17, "SMA", "Simple Moving Average", createIndicator<kuChart_TA_SMA>);
    add(18, "WILLR", "Williams' %R", createIndicator<kuChart_TA_WILLR>);
}

kuChartAbstractTA* kuChartIndicators::createById(int kind, kuChartCore* parent, const QJsonObject& json)
{
    registerIndicators();
    const auto it = catalogue().constFind(kind);
    if (it == catalogue().constEnd() || !it->factory)
        return nullptr;
    return it->factory(parent, json);
}

void kuChartIndicators::registerWithChart()
{
    registerIndicators();
    // The type only routes a saved indicator here; its kind decides the class.
    const kuChartMakers::ObjectMaker make = [](kuChartCore* core, const QJsonObject& json) -> kuChartObject* {
        // Only a whole number names a kind: anything else would read as 0, which is ADX.
        const QJsonValue kind = json.value(QStringLiteral("indType"));
        if (!kind.isDouble() || kind.toDouble() != double(kind.toInt()))
            return nullptr;
        return createById(kind.toInt(), core, json);
    };
    for (kuChartObjectType type : {otIndicatorPane, otLineSeries, otDots})
        kuChartMakers::setObjectMaker(type, make);
    kuChartMakers::setIndicatorChooser([](kuChartCore* core, QWidget* parent) -> kuChartObject* {
        kuChartIndicators dialog(parent);
        if (dialog.exec() != QDialog::Accepted)
            return nullptr;
        return dialog.createSelected(core);
    });
    kuChartMakers::setVolumeMaker([](kuChartCore* core, const QJsonObject& json) -> kuChartObject* {
        return new kuChartObjectVolume(core, json);
    });
}

// Model.

kuChartIndicatorModel::kuChartIndicatorModel(const kuChartIndicatorCatalogue* catalogue, QObject* parent)
    : QAbstractTableModel(parent), m_catalogue(catalogue)
{}

int kuChartIndicatorModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_catalogue ? 0 : m_catalogue->size();
}

int kuChartIndicatorModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant kuChartIndicatorModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !index.model() || !m_catalogue || m_catalogue->isEmpty() || index.row() < 0 ||
        index.row() >= m_catalogue->size())
        return QVariant();
    const auto it = m_catalogue->constBegin() + index.row();
    if (role == kindRole)
        return it.key();
    if (role == Qt::DisplayRole) {
        if (index.column() == 0)
            return it->code;
        if (index.column() == 1)
            return it->description;
    }
    return QVariant();
}

QVariant kuChartIndicatorModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    if (section == 0)
        return tr("Обозначение");
    if (section == 1)
        return tr("Название");
    return QVariant();
}

// Proxy.

kuChartIndicatorProxyModel::kuChartIndicatorProxyModel(QObject* parent) : QSortFilterProxyModel(parent)
{}

void kuChartIndicatorProxyModel::setFilter(int column, const QString& text)
{
    m_filters.insert(column, text);
    invalidate();
}

bool kuChartIndicatorProxyModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    if (m_filters.isEmpty())
        return true;
    const QAbstractItemModel* source = sourceModel();
    for (auto it = m_filters.constBegin(); it != m_filters.constEnd(); ++it) {
        if (it->isEmpty())
            return true;
        if (!source)
            continue;
        const QString text = source->index(sourceRow, it.key(), sourceParent).data(Qt::DisplayRole).toString();
        if (findSubstring(text.toLower(), 0, it->toLower()) >= 0)
            return true;
    }
    return false;
}

// Dialog.

kuChartIndicators::kuChartIndicators(QWidget* parent)
    : QDialog(parent), m_ui(new Ui::kuChartIndicators), m_proxy(new kuChartIndicatorProxyModel(this))
{
    m_ui->setupUi(this);
    m_table = m_ui->tableIndicatorsTA;
    m_search = m_ui->lineEditSearch;
    registerIndicators();
    m_chosen = catalogue().constEnd();
    auto* model = new kuChartIndicatorModel(&catalogue(), this);
    m_proxy->setSourceModel(model);
    m_proxy->setDynamicSortFilter(true);
    m_table->setModel(m_proxy);
    connect(m_search, &QLineEdit::textEdited, this, &kuChartIndicators::slot_filterAccepted);
    connect(m_table, &QTableView::doubleClicked, this, &kuChartIndicators::accept);
}

kuChartIndicators::~kuChartIndicators()
{
    // The view goes with the form after the proxy: detach it first.
    if (m_table)
        m_table->setModel(nullptr);
    delete m_proxy;
}

void kuChartIndicators::accept()
{
    const QModelIndex current = m_table ? m_table->currentIndex() : QModelIndex();
    if (current.isValid() && current.model()) {
        const QVariant kind = current.data(kuChartIndicatorModel::kindRole);
        m_chosen = kind.isValid() ? catalogue().constFind(kind.toInt()) : catalogue().constEnd();
    }
    QDialog::accept();
}

void kuChartIndicators::slot_filterAccepted(const QString& text)
{
    const QString filter = text.isEmpty() ? QString() : text;
    m_proxy->setFilter(0, filter);
    m_proxy->setFilter(1, filter);
}

kuChartAbstractTA* kuChartIndicators::createSelected(kuChartCore* parent) const
{
    if (m_chosen == catalogue().constEnd() || !m_chosen->factory)
        return nullptr;
    return m_chosen->factory(parent, QJsonObject());
}

void kuChartIndicators::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        setWindowTitle(tr("Индикаторы тех. анализа"));
        m_ui->labelSearch->setText(tr("Поиск"));
        m_ui->kuTabWidgetChartSettings->setTabText(0, tr("Индикаторы"));
    }
}
