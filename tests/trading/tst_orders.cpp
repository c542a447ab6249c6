#include <QAction>
#include <QHeaderView>
#include <QJsonDocument>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QtTest>

#include "accounttree.h"
#include "fakesession.h"
#include "kucheckcombobox.h"
#include "kuclient.h"
#include "kuordermanager.h"
#include "kuorders.h"
#include "kuordersproxymodel.h"
#include "kuordersview.h"
#include "ordermanagerfixture.h"
#include "orderrows.h"

namespace {
// A stop order of the share (two decimals) with the given conditions.
QSharedPointer<kuOrdersItem> stopRow(int act, int fcond, int scond, int isMarket1, int isMarket2)
{
    return QSharedPointer<kuOrdersItem>::create(1, paper::share, QDateTime(), act, 10, 0.0, 0.0, 1, 0, 0, fcond,
                                                isMarket1, 100.0, 101.5, scond, isMarket2, 120.0, 119.95,
                                                QStringLiteral("причина"));
}

QSharedPointer<kuOrdersItem> actRow(int act, int status, int limitation, int type = 0)
{
    return QSharedPointer<kuOrdersItem>::create(7, paper::share, QDateTime(QDate(2026, 12, 9), QTime(10, 5, 7)), act,
                                                1500, 1234.5, 1851750.0, status, type, limitation, 0, 0, 0.0, 0.0, 0, 0,
                                                0.0, 0.0, QStringLiteral("Недостаточно средств"));
}

QStringList actionTexts(const QMenu* menu)
{
    QStringList texts;
    for (const QAction* action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

// The orders record of the snapshot and update tests: two accounts.
const QByteArray snapshotJson = R"({
  "ACC1": [
    {"date": "2026-12-09", "time": "10:00:00", "order_id": 1, "paper_id": 101, "act": 1, "amount": 10,
     "price": 100.5, "status": 1},
    {"date": "2026-11-30", "time": "09:00:00", "order_id": 2, "paper_id": 106, "act": 2, "amount": 5,
     "price": 20, "status": 2},
    {"date": "2026-12-01", "time": "12:00:00", "order_id": 3, "paper_id": 101, "act": 6, "amount": 3,
     "status": 3}
  ],
  "ACC2": [
    {"date": "2026-12-02", "time": "12:00:00", "order_id": 1, "paper_id": 106, "act": 1, "amount": 7,
     "price": 30, "status": 1}
  ]
})";
} // namespace

class tst_Orders : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakeSession> m_session;

    RecordingConn* conn() { return m_session->conn(); }

    // A window that has shown the snapshot above.
    std::unique_ptr<kuOrders> shownWindow()
    {
        auto window = std::make_unique<kuOrders>();
        m_session->converter()->snapshotOrders(snapshotJson);
        return window;
    }

private slots:
    void initTestCase()
    {
        addTestAccounts();
        addTestPapers();
        kuOrderManager::registerWithClient();
    }

    void init()
    {
        m_session = std::make_unique<FakeSession>();
        conn()->session = "S1";
    }

    void cleanup() { m_session.reset(); }

    void statusTexts_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("background");
        QTest::newRow("0") << 0 << "Новое" << QColor(Qt::transparent);
        QTest::newRow("1") << 1 << "Принято к исполнению" << QColor("#87CEFA");
        QTest::newRow("2") << 2 << "Частично исполнено" << QColor("#C0C0FF");
        QTest::newRow("3") << 3 << "Полностью исполнено" << QColor("#90EE90");
        QTest::newRow("4") << 4 << "Частично исполнено и закрыто" << QColor("#90EE90");
        QTest::newRow("5") << 5 << "Отклонено" << QColor("#CD853F");
        QTest::newRow("6") << 6 << "Отменено" << QColor("#FFC0CB");
        QTest::newRow("7") << 7 << "" << QColor(Qt::transparent);
    }

    void statusTexts()
    {
        QFETCH(int, status);
        QFETCH(QString, text);
        QFETCH(QColor, background);
        const auto row = actRow(1, status, 0);
        QCOMPARE(row->displayText(9), text);
        QCOMPARE(row->toolTip(9), text);
        QCOMPARE(row->statusColor(), background);
    }

    // Columns 4 (kind), 8 (type) and 10 (term, or the reason for all but plain orders).
    void actTexts_data()
    {
        QTest::addColumn<int>("act");
        QTest::addColumn<int>("limitation");
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("texts");
        const QString reason = "Недостаточно средств";
        QTest::newRow("buy, day") << 1 << 0 << 0 << QStringList{"Покупка", "Лимитированное", "День"};
        QTest::newRow("sell, month, market") << 2 << 1 << 1 << QStringList{"Продажа", "Рыночное", "Месяц"};
        QTest::newRow("cancel 3") << 3 << 1 << 0 << QStringList{"Отменить", "Лимитированное", reason};
        QTest::newRow("cancel 4") << 4 << 0 << 0 << QStringList{"Отменить", "Лимитированное", reason};
        QTest::newRow("stop buy") << 5 << 0 << 0 << QStringList{"Стоп покупка", "Лимитированное", reason};
        QTest::newRow("stop sell") << 6 << 1 << 0 << QStringList{"Стоп продажа", "Лимитированное", reason};
        QTest::newRow("unknown") << 9 << 0 << 0 << QStringList{"", "Лимитированное", reason};
    }

    void actTexts()
    {
        QFETCH(int, act);
        QFETCH(int, limitation);
        QFETCH(int, type);
        QFETCH(QStringList, texts);
        const auto row = actRow(act, 1, limitation, type);
        QCOMPARE((QStringList{row->displayText(4), row->displayText(8), row->displayText(10)}), texts);
        QCOMPARE(row->displayText(11), QString("Недостаточно средств"));
    }

    void rowColumns()
    {
        const auto row = actRow(1, 1, 0);
        QStringList texts;
        QList<int> alignments;
        for (int column = 0; column <= 12; ++column) {
            texts << row->displayText(column);
            alignments << row->alignment(column);
        }
        QCOMPARE(texts, (QStringList{"", "09.12.2026 10:05:07", "VLMR", "VLMR ао", "Покупка", "1 500", "1 234.50",
                                     "1 851 750.00", "Лимитированное", "Принято к исполнению", "День",
                                     "Недостаточно средств", ""}));
        QCOMPARE(alignments, (QList<int>{129, 132, 129, 129, 132, 130, 130, 130, 129, 132, 132, 129, 129}));
        QCOMPARE(row->toolTip(2), QString("Эмитент VLMR"));
        QCOMPARE(row->toolTip(8), QString("Лимитированное"));
        QCOMPARE(row->toolTip(5), QString());
        // Sorted by time and by number, not by text.
        QCOMPARE(row->sortValue(1), QVariant(QDateTime(QDate(2026, 12, 9), QTime(10, 5, 7))));
        QCOMPARE(row->sortValue(5), QVariant(1500));
        QCOMPARE(row->sortValue(6), QVariant(1234.5));
        QCOMPARE(row->sortValue(7), QVariant(1851750.0));
        QCOMPARE(row->sortValue(9), QVariant(QString("Принято к исполнению")));
        QCOMPARE(row->itemType(), 20);
        // An instrument the registry lacks: no ticker, paper id 0.
        const auto unknown = orderRow(1, 1, 10, 100.5, 1, 999);
        QCOMPARE(unknown->displayText(2), QString());
        QCOMPARE(qobject_cast<kuOrdersItem*>(unknown.data())->paperID(), 0);
    }

    void conditionToolTip_data()
    {
        QTest::addColumn<int>("act");
        QTest::addColumn<int>("fcond");
        QTest::addColumn<int>("scond");
        QTest::addColumn<int>("isMarket1");
        QTest::addColumn<int>("isMarket2");
        QTest::addColumn<QString>("tip");
        const QString buy = "Купить 10 VLMR - Эмитент VLMR ";
        const QString sell = "Продать 10 VLMR - Эмитент VLMR ";
        QTest::newRow("first") << 5 << 1 << 0 << 0 << 0 << buy + "по цене 101.50 если цена станет ниже 100.00";
        QTest::newRow("second, market") << 5 << 0 << 1 << 0 << 1
                                        << buy + "по рыночной цене если цена станет выше 120.00";
        QTest::newRow("both") << 6 << 1 << 1 << 1 << 0
                              << sell + "по рыночной цене если цена станет ниже 100.00\nили по цене 119.95 если "
                                        "цена станет выше 120.00";
        QTest::newRow("none") << 6 << 0 << 0 << 0 << 0 << sell;
        QTest::newRow("plain order") << 2 << 1 << 1 << 0 << 0 << "";
    }

    void conditionToolTip()
    {
        QFETCH(int, act);
        QFETCH(int, fcond);
        QFETCH(int, scond);
        QFETCH(int, isMarket1);
        QFETCH(int, isMarket2);
        QFETCH(QString, tip);
        QCOMPARE(stopRow(act, fcond, scond, isMarket1, isMarket2)->toolTip(4), tip);
    }

    // A stop order's price is its trigger: the price column shows the trigger of each condition
    // set and sorts by the first shown; with no sum of its own the sum column stays empty.
    void stopOrderColumns_data()
    {
        QTest::addColumn<int>("act");
        QTest::addColumn<int>("fcond");
        QTest::addColumn<int>("scond");
        QTest::addColumn<QString>("price");
        QTest::addColumn<QVariant>("priceSort");
        QTest::addColumn<QString>("sum");
        QTest::addColumn<QVariant>("sumSort");
        QTest::newRow("stop buy, first") << 5 << 1 << 0 << "100.00" << QVariant(100.0) << "" << QVariant();
        QTest::newRow("stop sell, second") << 6 << 0 << 1 << "120.00" << QVariant(120.0) << "" << QVariant();
        QTest::newRow("stop sell, both") << 6 << 1 << 1 << "100.00 / 120.00" << QVariant(100.0) << "" << QVariant();
        // Nothing to trigger: the record's own price.
        QTest::newRow("stop, no condition") << 5 << 0 << 0 << "0.00" << QVariant(0.0) << "" << QVariant();
        QTest::newRow("plain order") << 1 << 1 << 1 << "0.00" << QVariant(0.0) << "0.00" << QVariant(0.0);
    }

    void stopOrderColumns()
    {
        QFETCH(int, act);
        QFETCH(int, fcond);
        QFETCH(int, scond);
        QFETCH(QString, price);
        QFETCH(QVariant, priceSort);
        QFETCH(QString, sum);
        QFETCH(QVariant, sumSort);
        const auto row = stopRow(act, fcond, scond, 0, 0);
        QCOMPARE(row->displayText(6), price);
        QCOMPARE(row->sortValue(6), priceSort);
        QCOMPARE(row->displayText(7), sum);
        QCOMPARE(row->sortValue(7), sumSort);
        QCOMPARE(row->alignment(6), 130);
        // The condition sentence stays on the kind.
        QCOMPARE(row->toolTip(4).isEmpty(), act != 5 && act != 6);
        // A sum the server does give is shown.
        const auto withSum =
                QSharedPointer<kuOrdersItem>::create(1, paper::share, QDateTime(), act, 10, 0.0, 1015.0, 1, 0, 0, fcond,
                                                     0, 100.0, 101.5, scond, 0, 120.0, 119.95, QString());
        QCOMPARE(withSum->displayText(7), QString("1 015.00"));
        QCOMPARE(withSum->sortValue(7), QVariant(1015.0));
    }

    // Sorted by price, stop orders stand at their triggers among the limit prices; sorted by sum,
    // those without one come first. A changed trigger moves the row.
    void stopOrdersSort()
    {
        auto order = [](int id, int act, double price, double sum, int fcond, double if1, int scond, double if2) {
            return QSharedPointer<kuOrdersItem>::create(id, paper::share, QDateTime(), act, 10, price, sum, 1, 0, 0,
                                                        fcond, 0, if1, if1, scond, 0, if2, if2, QString());
        };
        kuOrdersModel model;
        setOrderColumns(&model);
        model.appendChildren(model.appendTopItem("ACC1"),
                             ItemList{order(1, 1, 110.0, 1100.0, 0, 0, 0, 0), order(2, 5, 0, 0, 1, 100.0, 0, 0),
                                      order(3, 6, 0, 0, 0, 0, 1, 120.0), order(4, 2, 90.0, 900.0, 0, 0, 0, 0),
                                      order(5, 6, 0, 0, 1, 95.0, 1, 130.0)});
        kuOrdersProxyModel proxy;
        proxy.setSourceModel(&model);
        proxy.setDynamicSortFilter(true);
        proxy.sort(6, Qt::AscendingOrder);
        QCOMPARE(ordersState(&proxy), QString("ACC1: 4/1/10 5/1/10 2/1/10 1/1/10 3/1/10"));
        model.setData(model.index(0, 0), QVariant::fromValue(ItemList{order(2, 5, 0, 0, 1, 125.0, 0, 0)}),
                      kuOrdersModel::UpdateRole);
        QCOMPARE(ordersState(&proxy), QString("ACC1: 4/1/10 5/1/10 1/1/10 3/1/10 2/1/10"));
        QCOMPARE(proxy.index(4, 6, proxy.index(0, 0)).data().toString(), QString("125.00"));
        proxy.sort(7, Qt::AscendingOrder);
        const QStringList order7 = ordersState(&proxy).split(' ');
        QCOMPARE(order7.mid(4), (QStringList{"4/1/10", "1/1/10"}));
        QCOMPARE(QSet<QString>(order7.cbegin() + 1, order7.cbegin() + 4),
                 (QSet<QString>{"2/1/10", "3/1/10", "5/1/10"}));
    }

    // The model's answer to updates: rows merged per account, the order book told what came onto the
    // market or left it.
    void updates_data()
    {
        QTest::addColumn<QString>("acc1");
        QTest::addColumn<QString>("acc2");
        QTest::addColumn<QString>("updateAccount");
        QTest::addColumn<QString>("update");
        QTest::addColumn<bool>("applied");
        QTest::addColumn<QStringList>("signalled");
        QTest::addColumn<QString>("state");

        QTest::newRow("new, status 0") << "1/1"
                                       << ""
                                       << "ACC1"
                                       << "5/0" << true << QStringList{} << "ACC1: 1/1/10 5/0/10 | ACC2:";
        QTest::newRow("new, status 1") << ""
                                       << ""
                                       << "ACC1"
                                       << "5/1" << true << QStringList{"show 101 5 100.5 10"} << "ACC1: 5/1/10 | ACC2:";
        QTest::newRow("new, status 2") << ""
                                       << ""
                                       << "ACC1"
                                       << "5/2/4" << true << QStringList{"show 101 5 100.5 4"} << "ACC1: 5/2/4 | ACC2:";
        QTest::newRow("0 to 1") << "5/0"
                                << ""
                                << "ACC1"
                                << "5/1" << true << QStringList{"show 101 5 100.5 10"} << "ACC1: 5/1/10 | ACC2:";
        QTest::newRow("1 to 2") << "5/1"
                                << ""
                                << "ACC1"
                                << "5/2" << true << QStringList{"show 101 5 100.5 10"} << "ACC1: 5/2/10 | ACC2:";
        QTest::newRow("2 to 2, new amount")
                << "5/2"
                << ""
                << "ACC1"
                << "5/2/6" << true << QStringList{"show 101 5 100.5 6"} << "ACC1: 5/2/6 | ACC2:";
        QTest::newRow("2 to 3") << "5/2"
                                << ""
                                << "ACC1"
                                << "5/3" << true << QStringList{"hide 101 5"} << "ACC1: 5/3/10 | ACC2:";
        QTest::newRow("2 to 5") << "5/2"
                                << ""
                                << "ACC1"
                                << "5/5" << true << QStringList{"hide 101 5"} << "ACC1: 5/5/10 | ACC2:";
        QTest::newRow("2 to 6") << "5/2"
                                << ""
                                << "ACC1"
                                << "5/6" << true << QStringList{"hide 101 5"} << "ACC1: 5/6/10 | ACC2:";
        QTest::newRow("0 to 5") << "5/0"
                                << ""
                                << "ACC1"
                                << "5/5" << true << QStringList{} << "ACC1: 5/5/10 | ACC2:";
        QTest::newRow("one status twice") << "5/1"
                                          << ""
                                          << "ACC1"
                                          << "5/1 5/1" << true << QStringList{} << "ACC1: 5/1/10 | ACC2:";
        QTest::newRow("one id under two accounts")
                << "5/1"
                << "7/0 8/0 5/0"
                << "ACC2"
                << "5/1" << true << QStringList{"show 101 5 100.5 10"} << "ACC1: 5/1/10 | ACC2: 7/0/10 8/0/10 5/1/10";
        QTest::newRow("first account's id under the second")
                << "1/0 2/0 3/1"
                << ""
                << "ACC2"
                << "3/2" << true << QStringList{"show 101 3 100.5 10"} << "ACC1: 1/0/10 2/0/10 3/1/10 | ACC2: 3/2/10";
        QTest::newRow("empty list") << "5/1"
                                    << ""
                                    << "ACC1"
                                    << "" << false << QStringList{} << "ACC1: 5/1/10 | ACC2:";
    }

    void updates()
    {
        QFETCH(QString, acc1);
        QFETCH(QString, acc2);
        QFETCH(QString, updateAccount);
        QFETCH(QString, update);
        QFETCH(bool, applied);
        QFETCH(QStringList, signalled);
        QFETCH(QString, state);

        kuOrdersModel model;
        setOrderColumns(&model);
        model.appendChildren(model.appendTopItem("ACC1"), orderRows(acc1));
        model.appendChildren(model.appendTopItem("ACC2"), orderRows(acc2));
        QStringList seen;
        connect(&model, &kuOrdersModel::on_showOrder, this, [&](int paper, qint64 id, double price, qint64 amount) {
            seen << QStringLiteral("show %1 %2 %3 %4").arg(paper).arg(id).arg(price).arg(amount);
        });
        connect(&model, &kuOrdersModel::on_hideOrder, this,
                [&](int paper, qint64 id) { seen << QStringLiteral("hide %1 %2").arg(paper).arg(id); });
        const QModelIndex account = model.index(updateAccount == "ACC1" ? 0 : 1, 0);
        QCOMPARE(model.setData(account, QVariant::fromValue(orderRows(update)), kuOrdersModel::UpdateRole), applied);
        QCOMPARE(seen, signalled);
        QCOMPARE(ordersState(&model), state);
        // Another role, or an order row, takes nothing.
        QVERIFY(!model.setData(account, QVariant::fromValue(orderRows("9/1")), Qt::EditRole));
        QVERIFY(!model.setData(model.index(0, 0, model.index(0, 0)), QVariant::fromValue(orderRows("9/1")),
                               kuOrdersModel::UpdateRole));
    }

    // A replaced row is signalled, so the dynamic sort moves it.
    void replacedRowResorts()
    {
        kuOrdersModel model;
        setOrderColumns(&model);
        model.appendChildren(model.appendTopItem("ACC1"), orderRows("1/1 2/1 3/1"));
        kuOrdersProxyModel proxy;
        proxy.setSourceModel(&model);
        proxy.setDynamicSortFilter(true);
        proxy.sort(5, Qt::AscendingOrder);
        model.setData(model.index(0, 0), QVariant::fromValue(orderRows("1/2/40 3/2/1")), kuOrdersModel::UpdateRole);
        QCOMPARE(ordersState(&proxy), QString("ACC1: 3/2/1 2/1/10 1/2/40"));
        QCOMPARE(model.countByStatus(0, 2), 2);
        QCOMPARE(model.index(0, 0).data(kuTreeViewModel::SummaryRole).toString(), QString("Новые: 0 / На исполн.: 1"));
        QCOMPARE(model.index(0, 0).data(kuTreeViewModel::TitleRole).toString(), QString("Поручения по счету ACC1"));
    }

    void menu_data()
    {
        QTest::addColumn<int>("act");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("entries");
        const QString copy = "Скопировать в окно ввода поручения";
        const QString cancel = "Отменить поручение";
        const QString change = "Редактировать поручение";
        for (int act : {1, 2, 5, 6}) {
            for (int status = 0; status <= 6; ++status) {
                QTest::addRow("act %d, status %d", act, status)
                        << act << status << (status <= 2 ? QStringList{copy, cancel, "-", change} : QStringList{copy});
            }
        }
        QTest::newRow("cancel request, new") << 3 << 0 << QStringList{cancel, "-"};
        QTest::newRow("cancel request, accepted") << 4 << 1 << QStringList{cancel, "-"};
        QTest::newRow("cancel request, filled") << 3 << 3 << QStringList{};
        QTest::newRow("account row") << 0 << 0 << QStringList{};
    }

    void menu()
    {
        QFETCH(int, act);
        QFETCH(int, status);
        QFETCH(QStringList, entries);
        kuOrders window;
        window.resize(900, 400);
        window.show();
        m_session->converter()->snapshotOrders(QStringLiteral(R"({"ACC1": [{"order_id": 4, "paper_id": 101,
                                                                "act": %1, "status": %2, "amount": 1}]})")
                                                       .arg(act)
                                                       .arg(status)
                                                       .toUtf8());
        kuOrdersView* view = window.view();
        const QModelIndex account = view->model()->index(0, 0);
        view->expand(account);
        const QModelIndex target = act == 0 ? view->model()->index(0, 1) : view->model()->index(0, 1, account);
        std::unique_ptr<QMenu> menu(view->buildContextMenu(view->visualRect(target).center()));
        QCOMPARE(actionTexts(menu.get()), (QStringList{"Настройка столбцов", "-"} + entries));
    }

    // Cancels go out at once, for the order the menu was opened over.
    void cancel_data()
    {
        QTest::addColumn<int>("act");
        QTest::addColumn<QString>("request");
        QTest::newRow("sell") << 2 << R"(cancelOrder {"action":2,"amount":5,"orderID":12,"paperID":106})";
        QTest::newRow("buy") << 1 << R"(cancelOrder {"action":1,"amount":5,"orderID":12,"paperID":106})";
        QTest::newRow("stop sell") << 6 << R"(cancelStopOrder {"action":6,"amount":5,"orderID":12,"paperID":106})";
        QTest::newRow("stop buy") << 5 << R"(cancelStopOrder {"action":5,"amount":5,"orderID":12,"paperID":106})";
        QTest::newRow("cancel request") << 3 << "";
    }

    void cancel()
    {
        QFETCH(int, act);
        QFETCH(QString, request);
        kuOrders window;
        window.resize(900, 400);
        window.show();
        m_session->converter()->snapshotOrders(QStringLiteral(R"({"ACC1": [
            {"date": "2026-12-09", "time": "10:00:00", "order_id": 11, "paper_id": 101, "act": 1, "status": 1, "amount": 3},
            {"date": "2026-12-09", "time": "11:00:00", "order_id": 12, "paper_id": 106, "act": %1, "status": 1, "amount": 5}
        ]})")
                                                       .arg(act)
                                                       .toUtf8());
        kuOrdersView* view = window.view();
        const QModelIndex account = view->model()->index(0, 0);
        view->expand(account);
        QModelIndex acted;
        QModelIndex other;
        for (int row = 0; row < 2; ++row) {
            const QModelIndex index = view->model()->index(row, 1, account);
            (index.data(kuOrdersModel::OrderIDRole).toInt() == 12 ? acted : other) = index;
        }
        std::unique_ptr<QMenu> menu(view->buildContextMenu(view->visualRect(acted).center()));
        // The current row moves on while the menu is open: the cancel stays with the row under the menu.
        view->setCurrentIndex(other);
        conn()->take();
        QAction* cancelAction = nullptr;
        for (QAction* action : menu->actions()) {
            if (action->text() == "Отменить поручение")
                cancelAction = action;
        }
        QVERIFY(cancelAction);
        cancelAction->trigger();
        QCOMPARE(conn()->take(), request.isEmpty() ? QStringList{} : QStringList{request});
    }

    // Change fills the dialog with the order and its id; copy leaves the id 0.
    void fillDialog_data()
    {
        QTest::addColumn<int>("act");
        QTest::addColumn<int>("tab");
        QTest::newRow("buy") << 1 << 0;
        QTest::newRow("stop sell") << 6 << 1;
    }

    void fillDialog()
    {
        QFETCH(int, act);
        QFETCH(int, tab);
        kuOrders window;
        window.resize(900, 400);
        window.show();
        m_session->converter()->snapshotOrders(QStringLiteral(R"({"ACC1": [{"order_id": 12, "paper_id": 106,
            "act": %1, "status": 1, "amount": 5, "price": 20.5, "fcond": 1, "scond": 1, "ifPrice1": 19,
            "stopPrice1": 18.5, "ifPrice2": 22, "isMarket2": 1}]})")
                                                       .arg(act)
                                                       .toUtf8());
        kuOrdersView* view = window.view();
        view->expand(view->model()->index(0, 0));
        const QModelIndex row = view->model()->index(0, 1, view->model()->index(0, 0));
        std::unique_ptr<QMenu> menu(view->buildContextMenu(view->visualRect(row).center()));
        kuOrderManager* manager = kuClient::instance()->orderManager();
        QVERIFY(manager);
        view->fillOrderManager(manager);
        QCOMPARE(manager->paperID(), int(paper::big));
        QCOMPARE(manager->amount(), 5.0);
        QCOMPARE(manager->orderID(), 0);
        QCOMPARE(manager->findChild<QTabWidget*>("tabOrders")->currentIndex(), tab);
        if (act == 1)
            QCOMPARE(manager->price(), 20.5);
    }

    void snapshots()
    {
        kuOrders window;
        QCOMPARE(conn()->take(), QStringList{"getOrders"});
        QVERIFY(window.isBusy());
        QCOMPARE(window.accountBox()->checkedItems(), (QStringList{"ACC1", "ACC2", "EMPTY"}));
        m_session->converter()->snapshotOrders(snapshotJson);
        QVERIFY(!window.isBusy());
        QCOMPARE(ordersState(window.model()), QString("ACC1: 1/1/10 2/2/5 3/3/3 | ACC2: 1/1/7"));
        // The current account opens.
        QCOMPARE(window.chekedAccounts(), (QVariantMap{{"ACC1", true}, {"ACC2", false}}));
        // A second snapshot replaces everything, ids included.
        conn()->session = "S2";
        window.subscribe();
        m_session->converter()->snapshotOrders(R"({"ACC2": [{"order_id": 9, "paper_id": 101, "status": 0}],
                                                  "EMPTY": []})");
        QCOMPARE(ordersState(window.model()), QString("ACC2: 9/0/0 | EMPTY:"));
        m_session->converter()->updateOrders(R"({"ACC2": [{"order_id": 1, "status": 1}]})");
        QCOMPARE(ordersState(window.model()), QString("ACC2: 9/0/0 1/1/0 | EMPTY:"));
    }

    // An account the checks hide keeps getting its updates.
    void hiddenAccountUpdates()
    {
        auto window = shownWindow();
        QSignalSpy shown(window.get(), &kuOrders::on_showOrder);
        QSignalSpy hidden(window.get(), &kuOrders::on_hideOrder);
        window->accountBox()->setCheckedItems({"ACC1"});
        QCOMPARE(window->proxy()->rowCount(), 1);
        m_session->converter()->updateOrders(R"({"ACC2": [{"order_id": 1, "paper_id": 106, "amount": 7,
                                                           "price": 30, "status": 3}]})");
        QCOMPARE(hidden.size(), 1);
        QCOMPARE(hidden.first(), (QVariantList{int(paper::big), 1}));
        window->accountBox()->setCheckedItems({"ACC1", "ACC2"});
        QCOMPARE(window->proxy()->rowCount(), 2);
        QCOMPARE(ordersState(window->model()), QString("ACC1: 1/1/10 2/2/5 3/3/3 | ACC2: 1/3/7"));
        QCOMPARE(shown.size(), 0);
    }

    // The order book's orders do not depend on what this window shows.
    void activeOrders_data()
    {
        QTest::addColumn<QList<int>>("papers");
        QTest::addColumn<QStringList>("orders");
        QTest::newRow("all") << QList<int>{} << QStringList{"101 1 10 100.5", "106 1 7 30", "106 2 5 20"};
        QTest::newRow("one instrument") << QList<int>{106} << QStringList{"106 1 7 30", "106 2 5 20"};
        QTest::newRow("unknown instrument") << QList<int>{0} << QStringList{};
    }

    void activeOrders()
    {
        QFETCH(QList<int>, papers);
        QFETCH(QStringList, orders);
        auto window = shownWindow();
        window->setSearchLine("11.2026");
        window->accountBox()->setCheckedItems({"ACC2"});
        QCOMPARE(ordersState(window->proxy()), QString("ACC2:"));
        QJsonArray active;
        // As the order book asks: by name.
        QVERIFY(QMetaObject::invokeMethod(window.get(), "activeOrders", Q_RETURN_ARG(QJsonArray, active),
                                          Q_ARG(QSet<int>, QSet<int>(papers.cbegin(), papers.cend()))));
        QStringList found;
        for (const QJsonValue& value : active) {
            const QJsonObject o = value.toObject();
            QCOMPARE(o.keys(), (QStringList{"amount", "orderID", "paperID", "price"}));
            found << QStringLiteral("%1 %2 %3 %4")
                             .arg(o["paperID"].toInt())
                             .arg(o["orderID"].toInt())
                             .arg(o["amount"].toInt())
                             .arg(o["price"].toDouble());
        }
        QCOMPARE(found, orders);
    }

    void searchByInstrument_data()
    {
        accounttree::searchCases("ACC1: 3/3/3 1/1/10 | ACC2:", "ACC1: 2/2/5 | ACC2: 1/1/7",
                                 "ACC1: | ACC2:", "ACC1: 2/2/5 3/3/3 1/1/10 | ACC2: 1/1/7");
    }

    void searchByInstrument()
    {
        auto window = shownWindow();
        accounttree::checkSearch(window.get(), window->view(), [&] { return ordersState(window->proxy()); });
        QCOMPARE(window->searchLine(), window->findChild<QLineEdit*>("lineSearch")->text());
    }

    void keptAccountStates_data() { accounttree::keptStateCases(); }

    // A new snapshot, a reconnection or the account checks keep each account open or closed as the user left it.
    void keptAccountStates()
    {
        auto window = shownWindow();
        window->resize(900, 400);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        accounttree::checkKeptStates(
                window->view(), window->accountBox(), [&] { window->subscribe(); },
                [&] {
                    conn()->session = "S2";
                    window->subscribe();
                    m_session->converter()->snapshotOrders(snapshotJson);
                });
    }

    void settingsRoundTrip_data()
    {
        QTest::addColumn<QVariantMap>("accounts");
        QTest::addColumn<QString>("search");
        QTest::addColumn<bool>("showShortName");
        QTest::newRow("both open, search") << QVariantMap{{"ACC1", true}, {"ACC2", true}} << "12.2026" << true;
        QTest::newRow("one shown, closed") << QVariantMap{{"ACC2", false}} << "" << false;
        QTest::newRow("none shown") << QVariantMap{} << "" << false;
    }

    void settingsRoundTrip()
    {
        QFETCH(QVariantMap, accounts);
        QFETCH(QString, search);
        QFETCH(bool, showShortName);
        QJsonObject saved;
        {
            auto window = shownWindow();
            window->setChekedAccounts(accounts);
            window->setSearchLine(search);
            window->view()->header()->setSectionHidden(3, !showShortName);
            saved = window->saveSettings();
        }
        QCOMPARE(saved["winType"].toInt(), 82);
        const QJsonObject group = saved["settings"].toArray().first().toObject();
        QCOMPARE(group["name"].toString(), QString("ordersSetting"));
        QCOMPARE(group["label"].toString(), QString("Поручения"));
        QStringList names;
        QStringList labels;
        for (const QJsonValue& p : group["params"].toArray()) {
            names << p["name"].toString();
            labels << p["label"].toString();
        }
        QCOMPARE(names, (QStringList{"chekedAccounts", "searchLine", "columnState"}));
        QCOMPARE(labels, (QStringList{"Счета:", "Поиск:", "columnState"}));

        kuOrders restored;
        restored.restoreSettings(saved);
        m_session->converter()->snapshotOrders(snapshotJson);
        // Widths are the header's to fit; what the user chose comes back.
        const QJsonArray again = restored.saveSettings()["settings"].toArray().first()["params"].toArray();
        QCOMPARE(again.at(0), group["params"].toArray().at(0));
        QCOMPARE(again.at(1), group["params"].toArray().at(1));
        QCOMPARE(restored.accountBox()->checkedItems(), group["params"].toArray().first()["value"].toObject().keys());
        QCOMPARE(restored.view()->header()->isSectionHidden(3), !showShortName);
    }

    void columnState_data()
    {
        QTest::addColumn<QString>("state");
        QTest::newRow("empty") << "";
        QTest::newRow("not a state") << "bm90IGEgc3RhdGU=";
        QTest::newRow("not Base64") << "***";
    }

    // Nothing usable leaves the header as it was: the short name hidden, the rest shown.
    void columnState()
    {
        QFETCH(QString, state);
        kuOrders window;
        window.setColumnState(state);
        QHeaderView* header = window.view()->header();
        QCOMPARE(header->count(), 12);
        QVERIFY(header->isSectionHidden(0));
        QVERIFY(header->isSectionHidden(3));
        QVERIFY(!header->isSectionHidden(1));
        QVERIFY(!header->isSectionHidden(11));
    }

    // A new subscription sends again but adds no second handler, nor a second open account.
    void resubscription()
    {
        auto window = shownWindow();
        QSignalSpy shown(window.get(), &kuOrders::on_showOrder);
        conn()->take();
        conn()->session = "S2";
        window->subscribe();
        conn()->session = "S3";
        window->subscribe();
        QCOMPARE(conn()->count("getOrders"), 2);
        QCOMPARE(window->expandList(), QStringList{"ACC1"});
        m_session->converter()->snapshotOrders(snapshotJson);
        m_session->converter()->updateOrders(R"({"ACC1": [{"order_id": 7, "paper_id": 101, "status": 1}]})");
        QCOMPARE(shown.size(), 1);
        QCOMPARE(ordersState(window->model()), QString("ACC1: 1/1/10 2/2/5 3/3/3 7/1/0 | ACC2: 1/1/7"));
    }
};

QTEST_MAIN(tst_Orders)
#include "tst_orders.moc"
