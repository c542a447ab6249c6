#pragma once

#include <QAbstractTableModel>
#include <QDialog>
#include <QJsonObject>
#include <QMap>
#include <QSortFilterProxyModel>

#include <memory>

class QLineEdit;
class QTableView;
class kuChartAbstractTA;
class kuChartCore;

namespace Ui {
class kuChartIndicators;
}

// One indicator the catalogue offers: its code, its English name and how it is made.
struct kuChartIndicatorEntry
{
    using Factory = kuChartAbstractTA* (*)(kuChartCore* parent, const QJsonObject& json);

    QString code;
    QString description;
    Factory factory = nullptr;
};

// A new indicator of the class; the caller owns it.
template <class Indicator>
kuChartAbstractTA* createIndicator(kuChartCore* parent, const QJsonObject& json)
{
    return new Indicator(parent, json);
}

using kuChartIndicatorCatalogue = QMap<int, kuChartIndicatorEntry>;

// The catalogue as a two-column table: code, description; the kind id at Qt::UserRole + 1.
class kuChartIndicatorModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int kindRole = Qt::UserRole + 1;

    kuChartIndicatorModel(const kuChartIndicatorCatalogue* catalogue, QObject* parent);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const kuChartIndicatorCatalogue* m_catalogue;
};

// Shows a row when one of the filtered columns holds its filter text, ignoring case.
class kuChartIndicatorProxyModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit kuChartIndicatorProxyModel(QObject* parent);
    void setFilter(int column, const QString& text);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QMap<int, QString> m_filters;
};

// The indicator chooser, "Индикаторы тех. анализа", and the process-wide
// catalogue of indicators by kind id.
class kuChartIndicators : public QDialog
{
    Q_OBJECT

public:
    explicit kuChartIndicators(QWidget* parent = nullptr);
    ~kuChartIndicators() override;

    static kuChartIndicatorCatalogue& catalogue();
    // Fills the catalogue once.
    static void registerIndicators();
    // The indicator of the kind from its JSON, or null for a kind not in the catalogue.
    static kuChartAbstractTA* createById(int kind, kuChartCore* parent, const QJsonObject& json);
    // Start-up: makes the chart core build indicators, its volume pane and run this chooser.
    static void registerWithChart();

    // The chosen indicator with its defaults, or null; the caller owns it.
    kuChartAbstractTA* createSelected(kuChartCore* parent) const;

    QTableView* tableView() const { return m_table; }
    QLineEdit* searchField() const { return m_search; }
    kuChartIndicatorProxyModel* proxy() const { return m_proxy; }

public slots:
    void accept() override;
    void slot_filterAccepted(const QString& text);

protected:
    void changeEvent(QEvent* event) override;

private:
    std::unique_ptr<Ui::kuChartIndicators> m_ui;
    kuChartIndicatorCatalogue::const_iterator m_chosen;
    QTableView* m_table = nullptr;
    QLineEdit* m_search = nullptr;
    kuChartIndicatorProxyModel* m_proxy = nullptr;
};
