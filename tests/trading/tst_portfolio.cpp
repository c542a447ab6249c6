#include <QAction>
#include <QApplication>
#include <QGraphicsTextItem>
#include <QGraphicsView>
#include <QJsonDocument>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include "accounttree.h"
#include "fakesession.h"
#include "kucheckcombobox.h"
#include "kuclient.h"
#include "kuordermanager.h"
#include "kuportfolio.h"
#include "kuportfoliomargin.h"
#include "kuportfolioproxymodel.h"
#include "kuportfolioview.h"
#include "ordermanagerfixture.h"

// Calls of setSortColumn: (column, additive).
using SortSteps = QList<QPair<int, bool>>;
Q_DECLARE_METATYPE(SortSteps)

// The account-state window over a faked session: rows, sorting, search, saved
// accounts, re-subscription, last-price requests and the position orders.
namespace {
const int future = 301;

// ACC1 holds a short BIG, VLMR and a future; ACC2 a currency with margin;
// GONE is an account the user no longer has.
const QByteArray snapshot = R"({
 "ACC1": {"position": [{"paper_id": 106, "amount": -20, "price": 100, "balance": -2000, "bdate": "2026-12-01", "lastprice": 101},
                       {"paper_id": 101, "amount": 10, "price": 50, "balance": 500, "lastprice": 55},
                       {"paper_id": 301, "amount": 1, "price": 1000, "balance": 900, "lastprice": 1000}],
          "money": {"balance": 1000, "blocked": 50, "go": 25, "expected": 5, "profit": 20}},
 "ACC2": {"position": [{"paper_id": 103, "amount": 10, "price": 90, "balance": 900, "lastprice": 95}],
          "margin": {"init_marga": 100, "min_marga": 50, "marg_portfolio": 150}},
 "GONE": {"position": [{"paper_id": 106, "amount": 5, "price": 100, "balance": 500, "lastprice": 100}]}
})";

// A stock account whose margins are zeros beside a futures account with margins.
const QByteArray margins = R"({
 "ACC1": {"position": [{"paper_id": 101, "amount": 10, "price": 50, "balance": 500, "lastprice": 55}],
          "money": {"balance": 1000},
          "margin": {"init_marga": 0, "min_marga": 0, "marg_portfolio": 1274411}},
 "ACC2": {"position": [{"paper_id": 103, "amount": 10, "price": 90, "balance": 900, "lastprice": 95}],
          "margin": {"init_marga": 33348, "min_marga": 16674, "marg_portfolio": 504195}}
})";

// The margin panel's amounts: portfolio|initial|minimum.
QString marginTexts(const kuPortfolio& window)
{
    const kuPortfolioMarginChart* chart = window.marginChart();
    return QStringList{chart->portfolioText()->toPlainText(), chart->initialText()->toPlainText(),
                       chart->minimumText()->toPlainText()}
            .join('|');
}
} // namespace

class tst_Portfolio : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakeSession> m_test;

    RecordingConn* conn() { return m_test->conn(); }
    CannedConverter* converter() { return m_test->converter(); }

    // The window after its snapshot, with the requests so far forgotten.
    std::unique_ptr<kuPortfolio> shown()
    {
        auto window = std::make_unique<kuPortfolio>();
        converter()->snapshotPositions(snapshot);
        conn()->take();
        return window;
    }

    // Rows of an account as the view shows them: column 2 of each.
    static QString rowsOf(const kuPortfolio& window, const QString& account)
    {
        const QAbstractItemModel* proxy = window.proxy();
        for (int top = 0; top < proxy->rowCount(); ++top) {
            const QModelIndex parent = proxy->index(top, 0);
            if (parent.data(258).toString() != account)
                continue;
            QStringList texts;
            for (int row = 0; row < proxy->rowCount(parent); ++row)
                texts << proxy->index(row, 2, parent).data().toString();
            return texts.join(' ');
        }
        return QStringLiteral("(hidden)");
    }

    static QModelIndex rowOf(const kuPortfolio& window, const QString& account, const QString& ticker)
    {
        const QAbstractItemModel* proxy = window.proxy();
        for (int top = 0; top < proxy->rowCount(); ++top) {
            const QModelIndex parent = proxy->index(top, 0);
            if (parent.data(258).toString() != account)
                continue;
            if (ticker.isEmpty())
                return parent;
            for (int row = 0; row < proxy->rowCount(parent); ++row) {
                if (proxy->index(row, 2, parent).data().toString() == ticker)
                    return proxy->index(row, 2, parent);
            }
        }
        return QModelIndex();
    }

    static QStringList orders(RecordingConn* conn)
    {
        QStringList found;
        for (const QString& request : conn->requests) {
            if (!request.startsWith("newOrder "))
                continue;
            const QJsonObject o = QJsonDocument::fromJson(request.section(' ', 1).toUtf8()).object();
            found << QStringLiteral("%1 %2 %3 %4 %5")
                             .arg(o.value("partID").toString())
                             .arg(o.value("paperID").toInt())
                             .arg(o.value("action").toInt())
                             .arg(o.value("amount").toDouble())
                             .arg(o.value("price").toDouble());
        }
        return found;
    }

private slots:
    void initTestCase()
    {
        addTestAccounts();
        addTestPapers();
        kuPaperList::instance()->addPaper(future,
                                          QSharedPointer<kuPaperInfo>::create(future, "FUT", "Фьючерс", 4, 1, 10, 6.5,
                                                                              0, 0.0, true, "FUT", "", 2, "СПБ"));
        kuOrderManager::registerWithClient();
        QVERIFY(kuClient::instance());
    }

    void init()
    {
        m_test = std::make_unique<FakeSession>();
        conn()->session = "S1";
    }

    void cleanup() { m_test.reset(); }

    void snapshotRows()
    {
        kuPortfolio window;
        QCOMPARE(window.winType(), wtPortfolio);
        QCOMPARE(conn()->take(), QStringList{"getPortfolio"});
        QVERIFY(window.isBusy());
        converter()->snapshotPositions(snapshot);
        QVERIFY(!window.isBusy());

        QCOMPARE(rowsOf(window, "ACC1"), QStringLiteral("BIG VLMR FUT Деньги"));
        QCOMPARE(rowsOf(window, "ACC2"), QStringLiteral("USDRUB"));
        const QModelIndex money = rowOf(window, "ACC1", "Деньги");
        // "blocked" + "go"; the profit with the change of the positions, the future left out.
        QCOMPARE(money.sibling(money.row(), 11).data().toString(), QStringLiteral("75.00"));
        QCOMPARE(money.sibling(money.row(), 9).data().toString(), QStringLiteral("50.00"));
        QCOMPARE(rowOf(window, "ACC1", "").data(261).toString(), QStringLiteral("Баланс. стоимость -470.00"));
        // The current account is expanded.
        QVERIFY(window.view()->isExpanded(rowOf(window, "ACC1", "")));
        QVERIFY(!window.view()->isExpanded(rowOf(window, "ACC2", "")));
    }

    void sorting_data()
    {
        QTest::addColumn<SortSteps>("steps");
        QTest::addColumn<QString>("rows");
        using Steps = SortSteps;
        QTest::newRow("type, then ticker") << Steps{} << "BIG VLMR FUT Деньги";
        QTest::newRow("type descending") << Steps{{1, true}} << "Деньги FUT BIG VLMR";
        QTest::newRow("ticker only") << Steps{{2, false}} << "BIG FUT VLMR Деньги";
        QTest::newRow("ticker only, descending") << Steps{{2, false}, {2, false}} << "Деньги VLMR FUT BIG";
        QTest::newRow("volume") << Steps{{3, false}} << "BIG FUT VLMR Деньги";
    }

    void sorting()
    {
        QFETCH(SortSteps, steps);
        QFETCH(QString, rows);
        const auto window = shown();
        for (const auto& step : steps)
            window->proxy()->setSortColumn(step.first, step.second);
        QCOMPARE(rowsOf(*window, "ACC1"), rows);
        // A last price re-sorts and keeps the money row in its place.
        converter()->updateLastPrice(101, 56);
        QCOMPARE(rowsOf(*window, "ACC1"), rows);
    }

    // An update repaints what it changes: rows come and go only when the positions do,
    // and the rows are sorted again only when one is out of its place.
    void updatesChangeWhatTheyTouch_data()
    {
        QTest::addColumn<int>("sortColumn");
        QTest::addColumn<QByteArray>("positions");
        // A last price after the positions: paper, price (paper 0 for none).
        QTest::addColumn<int>("paper");
        QTest::addColumn<double>("price");
        QTest::addColumn<bool>("rowsMoved");
        QTest::addColumn<bool>("resorted");
        QTest::addColumn<bool>("repainted");
        QTest::addColumn<QString>("rows");

        const QByteArray acc1 = R"({"ACC1": {"position": [
             {"paper_id": 106, "amount": -20, "price": 100, "balance": -2000, "bdate": "2026-12-01", "lastprice": 101},
             {"paper_id": 101, "amount": %1, "price": 50, "balance": 500, "lastprice": %2},
             {"paper_id": 301, "amount": 1, "price": 1000, "balance": 900, "lastprice": 1000}%3],
          "money": {"balance": 1000, "blocked": 50, "go": 25, "expected": 5, "profit": 20}}})";
        const auto positions = [&acc1](int amount, double last, const char* more = "") {
            return QString::fromLatin1(acc1).arg(amount).arg(last).arg(QLatin1String(more)).toUtf8();
        };
        const QString rows = QStringLiteral("BIG VLMR FUT Деньги");
        QTest::newRow("the same positions") << 0 << positions(10, 55) << 0 << 0.0 << false << false << false << rows;
        QTest::newRow("a new last price in the positions")
                << 0 << positions(10, 60) << 0 << 0.0 << false << false << true << rows;
        QTest::newRow("a position more")
                << 0 << positions(10, 55, R"(, {"paper_id": 103, "amount": 1, "price": 90, "lastprice": 95})") << 0
                << 0.0 << true << false << true << QStringLiteral("BIG VLMR FUT USDRUB Деньги");
        QTest::newRow("the same last price") << 0 << QByteArray() << 101 << 55.0 << false << false << false << rows;
        QTest::newRow("a new last price") << 0 << QByteArray() << 101 << 60.0 << false << false << true << rows;
        QTest::newRow("a new amount, sorted by volume")
                << 3 << positions(0, 55) << 0 << 0.0 << false << true << true << QStringLiteral("BIG VLMR FUT Деньги");
        QTest::newRow("a new amount in its place, sorted by volume")
                << 3 << positions(11, 55) << 0 << 0.0 << false << false << true << QStringLiteral("BIG FUT VLMR Деньги");
    }

    void updatesChangeWhatTheyTouch()
    {
        QFETCH(int, sortColumn);
        QFETCH(QByteArray, positions);
        QFETCH(int, paper);
        QFETCH(double, price);
        QFETCH(bool, rowsMoved);
        QFETCH(bool, resorted);
        QFETCH(bool, repainted);
        QFETCH(QString, rows);
        const auto window = shown();
        if (sortColumn > 0)
            window->proxy()->setSortColumn(sortColumn, false);
        QSignalSpy inserted(window->model(), &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(window->model(), &QAbstractItemModel::rowsRemoved);
        QSignalSpy changed(window->model(), &QAbstractItemModel::dataChanged);
        QSignalSpy layouts(window->proxy(), &QAbstractItemModel::layoutChanged);
        if (!positions.isEmpty())
            converter()->updatePositions(positions);
        if (paper != 0)
            converter()->updateLastPrice(paper, price);
        QCOMPARE(inserted.count() + removed.count() > 0, rowsMoved);
        QCOMPARE(layouts.count() > 0, resorted);
        QCOMPARE(changed.count() > 0, repainted);
        QCOMPARE(rowsOf(*window, "ACC1"), rows);
        // As a sort from scratch puts them.
        const int column = sortColumn > 0 ? sortColumn : 1;
        for (int i = 0; i < 2; ++i)
            window->proxy()->setSortColumn(column, sortColumn == 0);
        QCOMPARE(rowsOf(*window, "ACC1"), rows);
    }

    void search()
    {
        const auto window = shown();
        window->setSearchLine("vlmr");
        QCOMPARE(rowsOf(*window, "ACC1"), QStringLiteral("VLMR"));
        QCOMPARE(rowsOf(*window, "ACC2"), QString());
        QCOMPARE(window->searchLine(), QStringLiteral("vlmr"));
        window->setSearchLine(QString());
        QCOMPARE(rowsOf(*window, "ACC1"), QStringLiteral("BIG VLMR FUT Деньги"));
    }

    void savedAccounts()
    {
        QJsonObject saved;
        {
            const auto window = shown();
            window->setChekedAccounts({{"ACC1", false}, {"ACC2", true}});
            QCOMPARE(rowsOf(*window, "GONE"), QStringLiteral("(hidden)"));
            window->view()->collapse(rowOf(*window, "ACC1", ""));
            window->view()->expand(rowOf(*window, "ACC2", ""));
            QCOMPARE(window->chekedAccounts(), (QVariantMap{{"ACC1", false}, {"ACC2", true}}));
            window->setShowHideMarginPanel(false);
            saved = window->saveSettings();
        }
        const QJsonObject group = saved.value("settings").toArray().first().toObject();
        QCOMPARE(group.value("name").toString(), QStringLiteral("positionSetting"));
        QStringList names;
        for (const QJsonValue& param : group.value("params").toArray())
            names << param.toObject().value("name").toString();
        QCOMPARE(names, (QStringList{"chekedAccounts", "searchLine", "columnState", "showHideMarginPanel"}));

        kuPortfolio restored;
        restored.restoreSettings(saved);
        QCOMPARE(restored.findChild<kuCheckComboBox*>("comboBoxAccount")->checkedItems(),
                 (QStringList{"ACC1", "ACC2"}));
        QVERIFY(!restored.showHideMarginPanel());
        converter()->snapshotPositions(snapshot);
        QCOMPARE(restored.chekedAccounts(), (QVariantMap{{"ACC1", false}, {"ACC2", true}}));
    }

    void resubscription()
    {
        const auto window = shown();
        auto* accounts = window->findChild<kuCheckComboBox*>("comboBoxAccount");
        window->subscribe();
        QVERIFY(conn()->take().isEmpty()); // the stream is live
        conn()->session = "S2";
        window->subscribe();
        QCOMPARE(conn()->take(), QStringList{"getPortfolio"});
        QCOMPARE(accounts->count(), 3);
        QCOMPARE(accounts->checkedItems(), (QStringList{"ACC1", "ACC2", "EMPTY"}));
    }

    void lastPrices()
    {
        kuPortfolio window;
        conn()->take();
        converter()->snapshotPositions(snapshot);
        QCOMPARE(conn()->take(), (QStringList{"requestLastPrice 101", "requestLastPrice 103", "requestLastPrice 106",
                                              "requestLastPrice 301"}));
        // Only ids not seen before are asked for.
        converter()->updatePositions(R"({"ACC2": {"position": [{"paper_id": 103, "amount": 5},
                                                               {"paper_id": 102, "amount": 1}]}})");
        QCOMPARE(conn()->take(), QStringList{"requestLastPrice 102"});
        QCOMPARE(rowsOf(window, "ACC2"), QStringLiteral("OBL USDRUB"));

        // An account hidden by the selector is kept current.
        window.setChekedAccounts({{"ACC1", true}});
        converter()->updateLastPrice(103, 99);
        window.setChekedAccounts({{"ACC1", true}, {"ACC2", false}});
        const QModelIndex currency = rowOf(window, "ACC2", "USDRUB");
        QCOMPARE(currency.sibling(currency.row(), 6).data().toString(), QStringLiteral("99.0000"));
        converter()->updateLastPrice(104, 1); // never held
        QVERIFY(conn()->take().isEmpty());

        // A new session asks for all of them again.
        conn()->session = "S2";
        window.subscribe();
        QCOMPARE(conn()->take(), QStringList{"getPortfolio"});
        converter()->snapshotPositions(snapshot);
        QCOMPARE(conn()->take(), (QStringList{"requestLastPrice 101", "requestLastPrice 102", "requestLastPrice 103",
                                              "requestLastPrice 106", "requestLastPrice 301"}));

        // Closed: nothing more.
        window.disconnectAll();
        window.unsubscribe();
        conn()->take();
        converter()->updatePositions(R"({"ACC1": {"position": [{"paper_id": 104, "amount": 1}]}})");
        QVERIFY(conn()->take().isEmpty());
    }

    void marginPanelPerWindow()
    {
        const auto first = shown();
        const auto second = shown();
        first->view()->setCurrentIndex(rowOf(*first, "ACC2", ""));
        first->slot_changeSelection(rowOf(*first, "ACC2", ""));
        QCOMPARE(first->marginChart()->portfolioText()->toPlainText(), QStringLiteral("150.00"));
        second->view()->setCurrentIndex(rowOf(*second, "ACC1", ""));
        second->slot_changeSelection(rowOf(*second, "ACC1", ""));
        QCOMPARE(second->marginChart()->portfolioText()->toPlainText(), QStringLiteral("0.00"));
        QCOMPARE(first->marginChart()->ratioInitial(), 2.0 / 3);
        QCOMPARE(second->marginChart()->ratioInitial(), 0.8);
        // Unchecking the panel hides it.
        first->view()->marginAction()->setChecked(false);
        QVERIFY(first->findChild<QGraphicsView*>("graphicsView")->isHidden());
    }

    void marginOfTheSelectedAccount_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("texts");
        const QString futures = "504 195.00|33 348.00|16 674.00";
        const QString stock = "1 274 411.00|0.00|0.00";
        QTest::newRow("futures") << QStringList{"ACC2"} << futures;
        QTest::newRow("futures, then stock with zero margins") << QStringList{"ACC2", "ACC1"} << stock;
        QTest::newRow("stock, then futures") << QStringList{"ACC1", "ACC2"} << futures;
        QTest::newRow("futures, then a position of stock") << QStringList{"ACC2", "ACC1/VLMR"} << stock;
        QTest::newRow("futures, then a key up into stock") << QStringList{"ACC2", "up"} << stock;
        QTest::newRow("futures, hidden by the checks") << QStringList{"ACC2", "hide ACC2"} << "||";
        QTest::newRow("futures, updated") << QStringList{"ACC2", "update"} << "40 000.00|30 000.00|15 000.00";
        QTest::newRow("stock, a new session") << QStringList{"ACC1", "new session"} << stock;
    }

    // The panel shows the figures of the account whose line or row is selected, zeros
    // included, and none without one.
    void marginOfTheSelectedAccount()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, texts);
        kuPortfolio window;
        window.resize(900, 500);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(marginTexts(window), QStringLiteral("||"));
        converter()->snapshotPositions(margins);
        // The current account opens and is selected.
        QCOMPARE(marginTexts(window), QStringLiteral("1 274 411.00|0.00|0.00"));
        auto* panel = window.findChild<QGraphicsView*>("graphicsView");
        for (const QString& step : steps) {
            if (step == "up") {
                QTest::keyClick(window.view(), Qt::Key_Up);
            } else if (step == "hide ACC2") {
                window.findChild<kuCheckComboBox*>("comboBoxAccount")->setCheckedItems({"ACC1"});
            } else if (step == "update") {
                converter()->updatePositions(
                        R"({"ACC2": {"margin": {"init_marga": 30000, "min_marga": 15000, "marg_portfolio": 40000}}})");
            } else if (step == "new session") {
                conn()->session = "S2";
                window.subscribe();
                converter()->snapshotPositions(margins);
            } else {
                const QModelIndex row = rowOf(window, step.section('/', 0, 0), step.section('/', 1));
                QVERIFY2(row.isValid(), qPrintable(step));
                const QModelIndex cell = row.sibling(row.row(), 3);
                QTest::mouseClick(window.view()->viewport(), Qt::LeftButton, {},
                                  window.view()->visualRect(cell).center());
            }
            QVERIFY2(panel->isVisible(), qPrintable(step));
        }
        QCOMPARE(marginTexts(window), texts);
    }

    // Without a selected account, as after a restore that opens none, the panel shows no figures.
    void marginWithoutAccount()
    {
        kuPortfolio window;
        window.setChekedAccounts({{"ACC1", false}, {"ACC2", false}});
        window.resize(900, 500);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        converter()->snapshotPositions(margins);
        auto* panel = window.findChild<QGraphicsView*>("graphicsView");
        QVERIFY(panel->isHidden());
        window.setShowHideMarginPanel(false);
        window.setShowHideMarginPanel(true);
        QVERIFY(panel->isVisible());
        QCOMPARE(marginTexts(window), QStringLiteral("||"));
    }

    void keptAccountStates_data() { accounttree::keptStateCases(); }

    // A new snapshot, a reconnection or the account checks keep each account open or closed as the user left it.
    void keptAccountStates()
    {
        const auto window = shown();
        window->resize(900, 500);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        accounttree::checkKeptStates(
                window->view(), window->findChild<kuCheckComboBox*>("comboBoxAccount"), [&] { window->subscribe(); },
                [&] {
                    conn()->session = "S2";
                    window->subscribe();
                    converter()->snapshotPositions(snapshot);
                });
    }

    void positionOrders_data()
    {
        QTest::addColumn<QString>("account");
        QTest::addColumn<QString>("ticker");
        QTest::addColumn<bool>("turn");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("order");

        QTest::newRow("close a short") << "ACC1"
                                       << "BIG" << false << "Купить 20 BIG - Эмитент BIG по цене 101.00"
                                       << "ACC1 106 1 20 101";
        QTest::newRow("turn a long") << "ACC1"
                                     << "VLMR" << true << "Продать 20 VLMR - Эмитент VLMR по цене 55.00"
                                     << "ACC1 101 -1 20 55";
        QTest::newRow("account gone") << "GONE"
                                      << "BIG" << false << "Счет GONE недоступен, поручение не создано"
                                      << "";
    }

    void positionOrders()
    {
        QFETCH(QString, account);
        QFETCH(QString, ticker);
        QFETCH(bool, turn);
        QFETCH(QString, box);
        QFETCH(QString, order);

        const auto window = shown();
        window->view()->expand(rowOf(*window, account, ""));
        window->resize(900, 500);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const QModelIndex row = rowOf(*window, account, ticker);
        QVERIFY(row.isValid());
        QTest::mouseClick(window->view()->viewport(), Qt::LeftButton, {}, window->view()->visualRect(row).center());
        QCOMPARE(window->view()->currentIndex().sibling(row.row(), 2), row);
        // The account's rows come anew with every update; the current row stays.
        emit converter()->on_updatePositions(QJsonObject{{account, CannedConverter::object(snapshot).value(account)}});
        QCOMPARE(window->view()->currentIndex().sibling(window->view()->currentIndex().row(), 2).data().toString(),
                 ticker);
        BoxCatcher boxes;
        if (turn)
            window->view()->slot_turnPosition();
        else
            window->view()->slot_closePosition();
        QCOMPARE(boxes.texts, QStringList{box});
        QCOMPARE(orders(conn()), order.isEmpty() ? QStringList() : QStringList{order});
    }

    // Live prices re-sort the rows all the time; an account still opens with a double click.
    void doubleClickExpandsAnAccount()
    {
        const auto window = shown();
        window->resize(900, 500);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        converter()->updateLastPrice(101, 57);
        const QModelIndex account = rowOf(*window, "ACC2", "");
        QVERIFY(!window->view()->isExpanded(account));
        const QPoint at = window->view()->visualRect(account.sibling(account.row(), 2)).center();
        QTest::mouseClick(window->view()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(window->view()->viewport(), Qt::LeftButton, {}, at);
        QTRY_VERIFY(window->view()->isExpanded(rowOf(*window, "ACC2", "")));
    }

    void doubleClickOpensOneLot()
    {
        const auto window = shown();
        double amount = -1;
        double lots = -1;
        QTimer answer;
        connect(&answer, &QTimer::timeout, [&] {
            if (auto* dialog = qobject_cast<kuOrderManager*>(QApplication::activeModalWidget())) {
                amount = dialog->amount();
                lots = dialog->lotAmount();
                dialog->reject();
            }
        });
        answer.start(5);
        window->view()->slot_createOrder(rowOf(*window, "ACC1", "VLMR"));
        QCOMPARE(lots, 1.0);
        QCOMPARE(amount, 10.0); // one lot of ten
        // The money row and an account row place no order.
        lots = -1;
        window->view()->slot_createOrder(rowOf(*window, "ACC1", "Деньги"));
        window->view()->slot_createOrder(rowOf(*window, "ACC1", ""));
        QCOMPARE(lots, -1.0);
    }
};

QTEST_MAIN(tst_Portfolio)
#include "tst_portfolio.moc"
