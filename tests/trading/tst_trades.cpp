#include <QtTest>

#include "accounttree.h"
#include "fakesession.h"
#include "kucheckcombobox.h"
#include "kuobjectheaderitem.h"
#include "kutrades.h"
#include "kutradesitem.h"
#include "kutradesmodel.h"
#include "kutradesproxymodel.h"
#include "kutradesview.h"
#include "ordermanagerfixture.h"

namespace {
using ItemList = QList<QSharedPointer<kuObjectModelAbstractItem>>;

QSharedPointer<kuTradesItem> tradeRow(int id, int act, int paperID = paper::share, const QString& note = "сделка")
{
    return QSharedPointer<kuTradesItem>::create(id, paperID, QDateTime(QDate(2026, 12, 9), QTime(11, 0)), act, 1500,
                                                1234.5, 1851750.0, 12.345, 98765.4, note);
}

// "ACC1: 1/Покупка 2/Продажа | ..." from the model's rows.
QString tradesState(const QAbstractItemModel* model)
{
    QStringList accounts;
    for (int top = 0; top < model->rowCount(); ++top) {
        const QModelIndex account = model->index(top, 0);
        QStringList rows{account.data(kuTreeViewModel::AccountRole).toString() + QLatin1Char(':')};
        for (int r = 0; r < model->rowCount(account); ++r)
            rows << model->index(r, 10, account).data().toString();
        accounts << rows.join(QLatin1Char(' '));
    }
    return accounts.join(QStringLiteral(" | "));
}

// Two accounts with operations in and without instruments.
const QByteArray twoAccounts = R"({
  "ACC1": [{"date": "2026-12-01", "time": "10:00:00", "trade_id": 1, "paper_id": 101, "act": 1, "note": "a"},
           {"date": "2026-12-02", "time": "10:00:00", "trade_id": 2, "paper_id": 106, "act": 2, "note": "b"},
           {"date": "2026-12-03", "time": "10:00:00", "trade_id": 3, "act": 3, "note": "c"}],
  "ACC2": [{"date": "2026-12-04", "time": "10:00:00", "trade_id": 4, "paper_id": 106, "act": 1, "note": "d"}]
})";

// A trades view whose pending drag can be read.
class ProbeView : public kuTradesView
{
public:
    using kuTradesView::kuTradesView;
    int pending() const { return pendingPaperID(); }
};
} // namespace

class tst_Trades : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakeSession> m_session;

private slots:
    void initTestCase()
    {
        addTestAccounts();
        addTestPapers();
    }

    void init()
    {
        m_session = std::make_unique<FakeSession>();
        m_session->conn()->session = "S1";
    }

    void cleanup() { m_session.reset(); }

    void acts_data()
    {
        QTest::addColumn<int>("act");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("background");
        QTest::addColumn<bool>("draggable");
        const QColor none(Qt::transparent);
        QTest::newRow("0") << 0 << "" << none << false;
        QTest::newRow("1") << 1 << "Покупка" << QColor("#90EE90") << true;
        QTest::newRow("2") << 2 << "Продажа" << QColor("#FFC0CB") << true;
        QTest::newRow("3") << 3 << "Зачисление" << none << false;
        QTest::newRow("4") << 4 << "Списание" << none << false;
        QTest::newRow("5") << 5 << "Пересчет" << none << false;
        QTest::newRow("6") << 6 << "Зачисление" << none << false;
        QTest::newRow("7") << 7 << "Списание" << none << false;
        QTest::newRow("8") << 8 << "Процент" << none << false;
        QTest::newRow("9") << 9 << "Депозитарный сбор" << none << false;
        QTest::newRow("10") << 10 << "Зачисление" << none << false;
        QTest::newRow("11") << 11 << "Списание" << none << false;
        QTest::newRow("12") << 12 << "" << none << false;
    }

    // Text, colour and whether a left press prepares a drag of the instrument.
    void acts()
    {
        QFETCH(int, act);
        QFETCH(QString, text);
        QFETCH(QColor, background);
        QFETCH(bool, draggable);
        kuTradesModel model;
        QList<QSharedPointer<kuObjectHeaderItem>> columns;
        for (int c = 0; c <= 10; ++c)
            columns << kuObjectHeaderItem::create(QString::number(c));
        kuTradesProxyModel proxy;
        proxy.setSourceModel(&model);
        ProbeView view;
        view.buildColumns(columns.mid(1));
        view.setModel(&proxy);
        view.resize(900, 300);
        view.show();
        model.appendChildren(model.appendTopItem("ACC1"), ItemList{tradeRow(1, act)});
        view.expand(proxy.index(0, 0));
        const QModelIndex row = proxy.index(0, 4, proxy.index(0, 0));
        QCOMPARE(row.data().toString(), text);
        QCOMPARE(row.data(Qt::BackgroundRole).value<QColor>(), background);
        QTest::mousePress(view.viewport(), Qt::RightButton, {}, view.visualRect(row).center());
        QCOMPARE(view.pending(), 0);
        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, view.visualRect(row).center());
        QCOMPARE(view.pending(), draggable ? int(paper::share) : 0);
        // A press on the account row forgets an earlier press.
        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, view.visualRect(proxy.index(0, 1)).center());
        QCOMPARE(view.pending(), 0);
        // So does a press below the rows, where there is nothing to drag.
        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, view.visualRect(row).center());
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, view.visualRect(row).center());
        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, QPoint(10, view.viewport()->height() - 5));
        QCOMPARE(view.pending(), 0);
    }

    void numbers()
    {
        const auto row = tradeRow(1, 1);
        QStringList texts;
        for (int column = 0; column <= 11; ++column)
            texts << row->displayText(column);
        QCOMPARE(texts, (QStringList{"", "09.12.2026 11:00:00", "VLMR", "VLMR ао", "Покупка", "1 500", "1 234.50",
                                     "1 851 750.00", "12.35", "98 765.40", "сделка", ""}));
        QCOMPARE(row->toolTip(10), QString("сделка"));
        QCOMPARE(row->toolTip(3), QString("Эмитент VLMR"));
        QCOMPARE(row->sortValue(5), QVariant(1500));
        QCOMPARE(row->sortValue(9), QVariant(98765.4));
        QCOMPARE(row->itemType(), 30);
        // An unknown instrument: no ticker, two decimals, paper id 0.
        const auto unknown = tradeRow(2, 1, 999);
        QCOMPARE(unknown->displayText(6), QString("1 234.50"));
        QCOMPARE(unknown->paperID(), 0);
    }

    void window()
    {
        kuTrades window;
        QCOMPARE(m_session->conn()->take(), QStringList{"getTrades"});
        m_session->converter()->snapshotTrades(R"({
            "ACC2": [{"date": "2026-12-01", "time": "10:00:00", "trade_id": 5, "paper_id": 101, "act": 1,
                      "note": "a"},
                     {"trade_id": 6, "act": 3, "note": "b"}],
            "ACC1": [{"trade_id": 5, "act": 2, "note": "c"}],
            "EMPTY": []})");
        QVERIFY(!window.isBusy());
        QCOMPARE(tradesState(window.model()), QString("ACC1: c | ACC2: a b | EMPTY:"));
        QCOMPARE(window.model()->index(2, 0).data(kuTreeViewModel::TitleRole).toString(),
                 QString("Сделки по счету EMPTY"));
        // A known id is replaced in its place, in its own account only; a new one is added; a hidden
        // account keeps up.
        window.accountBox()->setCheckedItems({"ACC1"});
        m_session->converter()->updateTrades(R"({"ACC2": [{"trade_id": 5, "act": 1, "note": "a2"},
                                                           {"trade_id": 7, "act": 4, "note": "d"}]})");
        QCOMPARE(tradesState(window.model()), QString("ACC1: c | ACC2: a2 b d | EMPTY:"));
        QCOMPARE(window.proxy()->rowCount(), 1);
        QCOMPARE(window.chekedAccounts(), (QVariantMap{{"ACC1", true}}));
        // A second snapshot leaves only its own rows.
        m_session->conn()->session = "S2";
        window.subscribe();
        m_session->converter()->snapshotTrades(R"({"ACC1": [{"trade_id": 9, "note": "e"}]})");
        QCOMPARE(tradesState(window.model()), QString("ACC1: e"));
        m_session->converter()->updateTrades(R"({"ACC1": [{"trade_id": 5, "note": "f"}]})");
        QCOMPARE(tradesState(window.model()), QString("ACC1: e f"));

        const QJsonObject saved = window.saveSettings();
        const QJsonObject group = saved["settings"].toArray().first().toObject();
        QCOMPARE(group["name"].toString(), QString("tradesSetting"));
        QCOMPARE(saved["winType"].toInt(), 83);
        kuTrades restored;
        restored.restoreSettings(saved);
        QCOMPARE(restored.accountBox()->checkedItems(), QStringList{"ACC1"});
        QCOMPARE(restored.saveSettings()["settings"].toArray().first()["params"].toArray().at(2),
                 group["params"].toArray().at(2));
    }

    void searchByInstrument_data()
    {
        accounttree::searchCases("ACC1: a | ACC2:", "ACC1: b | ACC2: d", "ACC1: | ACC2:", "ACC1: a b c | ACC2: d");
    }

    void searchByInstrument()
    {
        kuTrades window;
        m_session->converter()->snapshotTrades(twoAccounts);
        accounttree::checkSearch(&window, window.view(), [&] { return tradesState(window.proxy()); });
    }

    void keptAccountStates_data() { accounttree::keptStateCases(); }

    // A new snapshot, a reconnection or the account checks keep each account open or closed as the user left it.
    void keptAccountStates()
    {
        kuTrades window;
        m_session->converter()->snapshotTrades(twoAccounts);
        window.resize(900, 400);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        accounttree::checkKeptStates(
                window.view(), window.accountBox(), [&] { window.subscribe(); },
                [&] {
                    m_session->conn()->session = "S2";
                    window.subscribe();
                    m_session->converter()->snapshotTrades(twoAccounts);
                });
    }
};

QTEST_MAIN(tst_Trades)
#include "tst_trades.moc"
