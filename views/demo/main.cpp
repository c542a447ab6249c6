// Shows a table of quotes and a tree of positions per account: signed values
// in the up and down colours, a filter line over two columns, sorting by
// header clicks, the column settings dialog and account rows as one line.
// --columns opens the table's column settings dialog once the window shows.

#include "kuclient.h"
#include "kuobjectheaderitem.h"
#include "kuobjectmodelabstractitem.h"
#include "kutableview.h"
#include "kutableviewmodel.h"
#include "kutableviewproxymodel.h"
#include "kutreeview.h"
#include "kutreeviewmodel.h"
#include "kutreeviewproxymodel.h"

#include <QApplication>
#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

namespace {
struct Quote
{
    QString ticker;
    QString name;
    double last;
    double change;
    qint64 volume;
    QDateTime time;
};

QString number(double value, int precision)
{
    return QLocale(QLocale::Russian).toString(value, 'f', precision);
}

class QuoteItem : public kuObjectModelAbstractItem
{
public:
    explicit QuoteItem(const Quote& quote)
        : m_quote(quote), m_texts{QString(),
                                  quote.ticker,
                                  quote.name,
                                  number(quote.last, 2),
                                  (quote.change > 0 ? QStringLiteral("+") : QString()) + number(quote.change, 2) +
                                          QStringLiteral(" %"),
                                  QLocale(QLocale::Russian).toString(quote.volume),
                                  quote.time.toString(QStringLiteral("HH:mm:ss"))}
    {}
    QString displayText(int column) const override { return m_texts.value(column); }
    QVariant decoration(int) const override { return QVariant(); }
    int alignment(int column) const override
    {
        return column <= 2 ? int(Qt::AlignLeft | Qt::AlignVCenter) : int(Qt::AlignRight | Qt::AlignVCenter);
    }
    QColor color(int column) const override { return column == 4 ? signColor(m_quote.change) : QColor(); }
    QString toolTip(int column) const override { return column == 2 ? m_quote.name : QString(); }
    QVariant sortValue(int column) const override
    {
        switch (column) {
        case 3:
            return m_quote.last;
        case 4:
            return m_quote.change;
        case 5:
            return m_quote.volume;
        case 6:
            return m_quote.time;
        default:
            return m_texts.value(column);
        }
    }
    int itemType() const override { return itQuotes; }

private:
    Quote m_quote;
    QStringList m_texts;
};

class PositionItem : public kuObjectModelAbstractItem
{
public:
    PositionItem(const QString& account, const QString& ticker, int amount, double profit)
        : m_account(account), m_ticker(ticker), m_amount(amount), m_profit(profit)
    {}
    QString displayText(int column) const override
    {
        switch (column) {
        case 1:
            return m_ticker;
        case 2:
            return QString::number(m_amount);
        case 3:
            return number(m_profit, 2);
        default:
            return QString();
        }
    }
    QVariant decoration(int) const override { return QVariant(); }
    int alignment(int column) const override
    {
        return column == 1 ? int(Qt::AlignLeft | Qt::AlignVCenter) : int(Qt::AlignRight | Qt::AlignVCenter);
    }
    QColor color(int column) const override { return column == 3 ? signColor(m_profit) : QColor(); }
    QString toolTip(int) const override { return QString(); }
    QVariant sortValue(int column) const override
    {
        if (column == 2)
            return m_amount;
        if (column == 3)
            return m_profit;
        return displayText(column);
    }
    int itemType() const override { return itPortfolioPosition; }
    QString account() const { return m_account; }
    double profit() const { return m_profit; }

private:
    QString m_account;
    QString m_ticker;
    int m_amount;
    double m_profit;
};

// Answers the account rows, as the portfolio's model will.
class PositionsModel : public kuTreeViewModel
{
public:
    using kuTreeViewModel::kuTreeViewModel;
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (isTopRow(index)) {
            const int top = topRowOf(index);
            if (top < 0)
                return QVariant();
            if (role == AccountRole)
                return m_topNames.at(top);
            if (role == TitleRole)
                return QStringLiteral("Счет %1").arg(m_topNames.at(top));
            if (role == SummaryRole) {
                double total = 0;
                for (const auto& item : m_children.at(top))
                    total += static_cast<const PositionItem*>(item.data())->profit();
                return QStringLiteral("Позиций: %1   Доход: %2 руб.")
                        .arg(m_children.at(top).size())
                        .arg(number(total, 2));
            }
            return QVariant();
        }
        if (role == AccountRole) {
            const int top = topRowOf(index);
            return top < 0 ? QVariant() : QVariant(m_topNames.at(top));
        }
        return kuTreeViewModel::data(index, role);
    }
};

QList<Quote> quotes()
{
    const QDateTime base(QDate(2026, 3, 12), QTime(10, 0, 0));
    return {
            {"SBER", "Сбербанк России ПАО ао", 312.45, 1.24, 48211930, base.addSecs(61)},
            {"GAZP", "Газпром ПАО ао", 161.02, -0.87, 23105480, base.addSecs(75)},
            {"LKOH", "НК ЛУКОЙЛ ПАО ао", 7125.5, 0.0, 310245, base.addSecs(12)},
            {"GMKN", "ГМК Норильский никель ПАО ао", 158.34, -2.31, 9812300, base.addSecs(301)},
            {"YNDX", "Яндекс МКПАО ао", 3901.0, 3.05, 1203344, base.addSecs(9)},
            {"MTSS", "МТС ПАО ао", 287.9, -0.15, 2933020, base.addSecs(122)},
            {"ROSN", "Роснефть ПАО ао", 574.15, 0.42, 4120550, base.addSecs(33)},
            {"SU26238RMFS4", "ОФЗ 26238", 59.874, -0.05, 120455, base.addSecs(540)},
            {"VTBR", "ВТБ ПАО ао", 0.02432, 9.0, 912334000, base.addSecs(2)},
            {"MGNT", "Магнит ПАО ао", 5420.0, -1.1, 215000, base.addSecs(90)},
    };
}
} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // The look values come from the main window's settings, as in the terminal.
    kuClient::createInstance(nullptr);

    QWidget window;
    window.setWindowTitle(QStringLiteral("Velmoran: списки"));
    auto* layout = new QVBoxLayout(&window);

    auto* bar = new QHBoxLayout;
    auto* filter = new QLineEdit;
    filter->setPlaceholderText(QStringLiteral("Фильтр: код или наименование"));
    auto* columnsButton = new QPushButton(QStringLiteral("Столбцы…"));
    bar->addWidget(new QLabel(QStringLiteral("Поиск:")));
    bar->addWidget(filter, 1);
    bar->addWidget(columnsButton);
    layout->addLayout(bar);

    auto* splitter = new QSplitter(Qt::Vertical);
    layout->addWidget(splitter, 1);

    auto* table = new kuTableView;
    auto* tableModel = new kuTableViewModel(table);
    auto* tableProxy = new kuTableViewProxyModel(table);
    tableProxy->setSourceModel(tableModel);
    tableProxy->setDynamicSortFilter(true);
    table->buildColumns({kuObjectHeaderItem::create(QStringLiteral("Код"), QStringLiteral("Код инструмента")),
                         kuObjectHeaderItem::create(QStringLiteral("Наименование")),
                         kuObjectHeaderItem::create(QStringLiteral("Последняя")),
                         kuObjectHeaderItem::create(QStringLiteral("Изменение"), QStringLiteral("К закрытию")),
                         kuObjectHeaderItem::create(QStringLiteral("Объём")),
                         kuObjectHeaderItem::create(QStringLiteral("Время"), QString(), false)});
    table->setModel(tableProxy);
    table->setSortingEnabled(true);
    table->sortByColumn(1, Qt::AscendingOrder);
    for (const Quote& quote : quotes())
        tableProxy->appendItem(QSharedPointer<QuoteItem>::create(quote));
    splitter->addWidget(table);

    auto* tree = new kuTreeView;
    auto* treeModel = new PositionsModel(tree);
    auto* treeProxy = new kuTreeViewProxyModel(tree);
    treeProxy->setSourceModel(treeModel);
    tree->buildColumns({kuObjectHeaderItem::create(QStringLiteral("Инструмент")),
                        kuObjectHeaderItem::create(QStringLiteral("Количество")),
                        kuObjectHeaderItem::create(QStringLiteral("Доход"))});
    tree->setModel(treeProxy);
    tree->setSortingEnabled(true);
    tree->sortByColumn(1, Qt::AscendingOrder);
    const QList<QPair<QString, QList<QPair<QString, QPair<int, double>>>>> accounts = {
            {"L01-00000F00", {{"SBER", {100, 1520.5}}, {"GAZP", {40, -310.2}}, {"VTBR", {10000, 0.0}}}},
            {"L01-00000F11", {{"LKOH", {2, 845.0}}, {"GMKN", {300, -2210.75}}}}};
    for (const auto& account : accounts) {
        const int top = treeProxy->appendTopItem(account.first);
        for (const auto& position : account.second)
            treeProxy->appendChild(top,
                                   QSharedPointer<PositionItem>::create(account.first, position.first,
                                                                        position.second.first, position.second.second));
    }
    tree->expandAll();
    splitter->addWidget(tree);

    QObject::connect(filter, &QLineEdit::textChanged, tableProxy, [tableProxy](const QString& text) {
        tableProxy->setColumnFilter(1, text);
        tableProxy->setColumnFilter(2, text);
    });
    QObject::connect(columnsButton, &QPushButton::clicked, table, &kuTableView::columnSetting);

    window.resize(900, 620);
    window.show();
    if (app.arguments().contains(QStringLiteral("--columns")))
        QTimer::singleShot(300, table, &kuTableView::columnSetting);
    const int result = app.exec();
    delete kuClient::instance().data();
    return result;
}
