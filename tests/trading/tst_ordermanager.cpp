#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QJsonDocument>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

#include "defaultlocale.h"
#include "fakesession.h"
#include "kuabstractdataconverter.h"
#include "kuactionsmenubar.h"
#include "kuactionsmodel.h"
#include "kuclient.h"
#include "kuordermanager.h"
#include "kupaperlistform.h"
#include "ordermanagerfixture.h"

namespace {
QString json(const QJsonObject& o)
{
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}
} // namespace

class tst_OrderManager : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakeSession> m_test;
    std::unique_ptr<kuOrderManager> m_dialog;

    template <typename T>
    T* w(const char* name)
    {
        T* widget = m_dialog->findChild<T*>(QLatin1String(name));
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }
    QDoubleSpinBox* box(const char* name) { return w<QDoubleSpinBox>(name); }
    RecordingConn* conn() { return m_test->conn(); }

    // A dialog as a caller leaves it: account, instrument, quantity, price.
    void fill(int paperID, double amount, double price, const QString& account = "ACC1")
    {
        QVERIFY(m_dialog->setAccount(account));
        m_dialog->setInstrument(paperID);
        QCOMPARE(m_dialog->paperID(), paperID);
        m_dialog->setAmount(amount);
        m_dialog->setPrice(price);
    }

private slots:
    void initTestCase()
    {
        addTestAccounts();
        addTestPapers();
    }

    void init()
    {
        m_test = std::make_unique<FakeSession>();
        QVERIFY(conn());
        conn()->session = "S1";
        m_dialog = std::make_unique<kuOrderManager>();
        m_dialog->resetForm();
    }

    void cleanup()
    {
        m_dialog.reset();
        m_test.reset();
    }

    void freshForm()
    {
        QCOMPARE(m_dialog->objectName(), QString("kuOrderManager"));
        QCOMPARE(m_dialog->windowTitle(), QString("Ввод поручения"));
        QVERIFY(!(m_dialog->windowFlags() & Qt::WindowContextHelpButtonHint));
        QCOMPARE(w<QTabWidget>("tabOrders")->currentIndex(), 0);
        QCOMPARE(w<QTabWidget>("tabOrders")->count(), 4);
        QVERIFY(w<QWidget>("tab_trailing_stop_orders")->children().isEmpty());
        QVERIFY(w<QWidget>("tab_combiner_stop_order")->children().isEmpty());
        QVERIFY(w<QRadioButton>("rbDay")->isChecked());
        QVERIFY(!w<QRadioButton>("rbGTC")->isChecked());
        QVERIFY(w<QCheckBox>("chkBoxExec")->isHidden());
        QCOMPARE(m_dialog->amount(), 1.0);
        QCOMPARE(m_dialog->price(), 0.0);
        QCOMPARE(m_dialog->orderID(), qint64(0));
        QCOMPARE(m_dialog->paperID(), 0);
        QCOMPARE(w<QComboBox>("comboBoxAccount")->currentText(), QString("ACC1"));
        QVERIFY(w<QCheckBox>("checkBoxFirstCondition")->isChecked());
        QVERIFY(!w<QCheckBox>("checkBoxSecondCondition")->isChecked());
        QVERIFY(w<QRadioButton>("rbStopMktPrice_1")->isChecked());
        QVERIFY(!w<QRadioButton>("rbStopPrice_1")->isChecked());
        QVERIFY(!box("spinBoxStopPrice_1")->isEnabled());
        QVERIFY(!box("spinBoxStopPrice_2")->isEnabled());
        QCOMPARE(box("spinBoxLotAmount")->minimum(), 1.0);
        QCOMPARE(box("spinBoxAmount")->minimum(), 0.0);
        QCOMPARE(box("spinBoxPrice")->maximum(), 1e11);
        QVERIFY(box("spinBoxTotalSum")->isReadOnly());
        for (const char* name : {"spinBoxAmount", "spinBoxLotAmount", "spinBoxPrice", "spinBoxTotalSum",
                                 "spinBoxIfPrice_1", "spinBoxStopPrice_1", "spinBoxIfPrice_2", "spinBoxStopPrice_2"}) {
            QVERIFY2(box(name)->inherits("kuDoubleSpinBox"), name);
            QVERIFY2(!box(name)->keyboardTracking(), name);
        }
        QCOMPARE(w<QPushButton>("btnBuyMkt")->property("class").toString(), QString("btnBuy"));
        QCOMPARE(w<QPushButton>("btnSellStop")->property("class").toString(), QString("btnSell"));
        QCOMPARE(w<QToolButton>("toolBtnDefault")->property("class").toString(), QString("lotButton"));
        QVERIFY(w<QPushButton>("btnBuyLimit")->text().isEmpty());
        QVERIFY(!w<QPushButton>("btnBuyLimit")->icon().isNull());
    }

    // A reset at every fetch: the second caller finds none of the first one's values.
    void fetchedFromTheMainWindow()
    {
        kuOrderManager::registerWithClient();
        const QPointer<kuClient> client = kuClient::instance();
        kuOrderManager* first = client->orderManager();
        QVERIFY(first);
        QVERIFY(first->setAccount("ACC1"));
        first->setInstrument(paper::share);
        first->setLotAmount(3);
        first->setOrderID(7);
        first->setCurrentTab(1);
        QCOMPARE(client->orderManager(), first);
        QCOMPARE(first->paperID(), 0);
        QCOMPARE(first->orderID(), 0);
        QCOMPARE(first->amount(), 1.0);
        QCOMPARE(first->findChild<QTabWidget*>("tabOrders")->currentIndex(), 0);
        QVERIFY(first->findChild<QLineEdit*>("paperLineEdit")->text().isEmpty());

        // Ctrl+T runs the same dialog, reset.
        QAction* addOrder = client->actionsMenuBar()->model()->action("mAccount/mAddOrder");
        QCOMPARE(addOrder->shortcut(), QKeySequence("Ctrl+T"));
        first->setInstrument(paper::share);
        bool shownReset = false;
        QTimer::singleShot(0, first, [&] {
            shownReset = first->isVisible() && first->paperID() == 0;
            first->reject();
        });
        addOrder->trigger();
        QVERIFY(shownReset);
        QPointer<kuOrderManager> guard(first);
        delete client.data();
        QVERIFY(!guard);
    }

    void amountAndLots_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("pieces");
        QTest::addColumn<double>("lots");
        QTest::newRow("amount 25") << "amount" << 25.0 << 20.0 << 2.0;
        QTest::newRow("lots 3") << "lots" << 3.0 << 30.0 << 3.0;
        // Typed, the quantity stays as it is: an odd one is refused when the order is placed.
        QTest::newRow("typed 15") << "typed" << 15.0 << 15.0 << 1.0;
        QTest::newRow("typed 30") << "typed" << 30.0 << 30.0 << 3.0;
        QTest::newRow("negative amount") << "amount" << -5.0 << 0.0 << 1.0; // the lot box stops at 1
        QTest::newRow("button 5") << "toolBtn_5" << 0.0 << 50.0 << 5.0;
        QTest::newRow("button 500") << "toolBtn_500" << 0.0 << 5000.0 << 500.0;
        QTest::newRow("button default") << "toolBtnDefault" << 0.0 << 10.0 << 1.0;
    }

    void amountAndLots()
    {
        QFETCH(QString, how);
        QFETCH(double, value);
        QFETCH(double, pieces);
        QFETCH(double, lots);
        fill(paper::share, 70, 100);
        if (how == "amount")
            m_dialog->setAmount(value);
        else if (how == "lots")
            m_dialog->setLotAmount(value);
        else if (how == "typed")
            box("spinBoxAmount")->setValue(value);
        else
            w<QToolButton>(how.toLatin1().constData())->click();
        QCOMPARE(m_dialog->amount(), pieces);
        QCOMPARE(m_dialog->lotAmount(), lots);
        QCOMPARE(box("spinBoxTotalSum")->value(), pieces * 100);
    }

    void nothingWithoutInstrument()
    {
        m_dialog->setAmount(30);
        m_dialog->setLotAmount(4);
        m_dialog->setPrice(10);
        QCOMPARE(m_dialog->amount(), 1.0);
        QCOMPARE(m_dialog->price(), 0.0);
    }

    void priceStep_data()
    {
        QTest::addColumn<int>("paperID");
        QTest::addColumn<double>("price");
        QTest::addColumn<double>("shown");
        QTest::newRow("on the step") << int(paper::share) << 100.05 << 100.05;
        QTest::newRow("off the step") << int(paper::share) << 100.07 << 50.0;
        QTest::newRow("negative") << int(paper::share) << -100.05 << 100.05;
        QTest::newRow("cents") << int(paper::big) << 101.23 << 101.23;
        QTest::newRow("tenth of a cent") << int(paper::big) << 101.234 << 50.0;
        QTest::newRow("above 64-bit scaling") << int(paper::big) << 1e9 + 0.01 << 1e9 + 0.01;
        QTest::newRow("large with cents") << int(paper::big) << 123456789.37 << 123456789.37;
        QTest::newRow("field maximum") << int(paper::big) << 1e11 << 1e11;
        QTest::newRow("large off the step") << int(paper::big) << 99999999999.995 << 50.0;
        QTest::newRow("quarter cents") << int(paper::currency) << 92.0575 << 92.0575;
    }

    void priceStep()
    {
        QFETCH(int, paperID);
        QFETCH(double, price);
        QFETCH(double, shown);
        fill(paperID, 10, 50);
        m_dialog->setPrice(price);
        QCOMPARE(m_dialog->price(), shown);
    }

    void total_data()
    {
        QTest::addColumn<int>("paperID");
        QTest::addColumn<double>("price");
        QTest::addColumn<double>("amount");
        QTest::addColumn<double>("total");
        QTest::newRow("bond in per cent of nominal") << int(paper::bond) << 98.5 << 10.0 << 9850.0;
        QTest::newRow("type 9 as price times quantity") << int(paper::type9) << 98.5 << 10.0 << 985.0;
        QTest::newRow("share") << int(paper::share) << 100.05 << 20.0 << 2001.0;
    }

    void total()
    {
        QFETCH(int, paperID);
        QFETCH(double, price);
        QFETCH(double, amount);
        QFETCH(double, total);
        fill(paperID, amount, price);
        QCOMPARE(box("spinBoxTotalSum")->value(), total);
    }

    void validation_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<int>("isMarket");
        QTest::addColumn<QString>("message");
        QTest::newRow("no account") << "noAccount" << 0 << "Вы не указали счет!";
        QTest::newRow("no paper") << "noPaper" << 0 << "Вы не указали код ценной бумаги!";
        QTest::newRow("zero quantity") << "zero" << 0 << "Вы указали неправильное количество ценных бумаг!";
        QTest::newRow("above 32 bits") << "huge" << 1 << "Вы указали неправильное количество ценных бумаг!";
        QTest::newRow("not whole lots") << "odd" << 0 << "Количество бумаг не кратно биржевому лоту!";
        QTest::newRow("price zero") << "price0" << 0 << "Вы указали неправильную цену одной бумаги!";
        QTest::newRow("price off the step") << "offStep" << 0 << "Вы указали неправильный шаг цены!";
        QTest::newRow("market ignores the price") << "price0" << 1 << "";
        QTest::newRow("valid limit") << "valid" << 0 << "";
    }

    void validation()
    {
        QFETCH(QString, state);
        QFETCH(int, isMarket);
        QFETCH(QString, message);
        const int paperID = state == "huge" ? int(paper::big) : int(paper::share);
        fill(paperID, 20, 100.05);
        auto setQuiet = [](QDoubleSpinBox* b, double v) {
            const QSignalBlocker blocker(b);
            b->setValue(v);
        };
        if (state == "noAccount")
            QVERIFY(!m_dialog->setAccount("NOPE"));
        else if (state == "noPaper")
            m_dialog->setInstrument(999);
        else if (state == "zero")
            setQuiet(box("spinBoxAmount"), 0);
        else if (state == "huge")
            setQuiet(box("spinBoxAmount"), 3e9);
        else if (state == "odd")
            box("spinBoxAmount")->setValue(15); // as the field reports it, not behind its back
        else if (state == "price0")
            setQuiet(box("spinBoxPrice"), 0);
        else if (state == "offStep")
            setQuiet(box("spinBoxPrice"), 100.07);
        BoxCatcher boxes;
        QCOMPARE(m_dialog->validateOrderInput(isMarket), message.isEmpty());
        QCOMPARE(boxes.texts, message.isEmpty() ? QStringList() : QStringList{message});
    }

    void orders_data()
    {
        QTest::addColumn<int>("paperID");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("orderID");
        QTest::addColumn<bool>("gtc");
        QTest::addColumn<bool>("exec");
        QTest::addColumn<QString>("request");
        QTest::newRow("limit buy") << int(paper::share) << "btnBuyLimit" << 0 << false << false
                                   << R"(newOrder {"action":1,"amount":20,"execFlag":0,"isMarket":0,"ordTime":1,)"
                                      R"("orderID":0,"paperID":101,"partID":"ACC1","price":100.05})";
        QTest::newRow("market sell, month")
                << int(paper::share) << "btnSellMkt" << 0 << true << false
                << R"(newOrder {"action":-1,"amount":20,"execFlag":0,"isMarket":1,)"
                   R"("ordTime":2,"orderID":0,"paperID":101,"partID":"ACC1","price":100.05})";
        QTest::newRow("change by order id")
                << int(paper::share) << "btnSellLimit" << 77 << false << false
                << R"(modifyOrder {"action":-1,"amount":20,"execFlag":0,"isMarket":0,"ordTime":1,"orderID":77,)"
                   R"("paperID":101,"partID":"ACC1","price":100.05})";
        QTest::newRow("currency contract, execute")
                << int(paper::currency) << "btnBuyMkt" << 0 << false << true
                << R"(newOrder {"action":1,"amount":20,"execFlag":1,"isMarket":1,"ordTime":1,"orderID":0,)"
                   R"("paperID":103,"partID":"ACC1","price":100.05})";
        QTest::newRow("market order forbidden") << int(paper::illiquid) << "btnBuyMkt" << 0 << false << false
                                                << "Запрещены рыночные поручения по малоликвидным бумагам!";
        QTest::newRow("limit order of the same paper")
                << int(paper::illiquid) << "btnBuyLimit" << 0 << false << false
                << R"(newOrder {"action":1,"amount":20,"execFlag":0,"isMarket":0,"ordTime":1,"orderID":0,)"
                   R"("paperID":104,"partID":"ACC1","price":100.05})";
    }

    void orders()
    {
        QFETCH(int, paperID);
        QFETCH(QString, button);
        QFETCH(int, orderID);
        QFETCH(bool, gtc);
        QFETCH(bool, exec);
        QFETCH(QString, request);
        fill(paperID, 20, 100.05);
        m_dialog->setOrderID(orderID);
        QCOMPARE(m_dialog->windowTitle(),
                 orderID == 0 ? QString("Ввод поручения") : QString("Изменение поручения № %1").arg(orderID));
        QCOMPARE(w<QCheckBox>("chkBoxExec")->isHidden(), paperID != paper::currency);
        if (gtc)
            w<QRadioButton>("rbGTC")->setChecked(true);
        w<QCheckBox>("chkBoxExec")->setChecked(exec);
        m_dialog->show();
        BoxCatcher boxes;
        w<QPushButton>(button.toLatin1().constData())->click();
        if (request.startsWith("new") || request.startsWith("modify")) {
            QCOMPARE(conn()->requests, QStringList{request});
            QVERIFY(boxes.texts.isEmpty());
            QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
            QVERIFY(m_dialog->isHidden());
        } else {
            QCOMPARE(boxes.texts, QStringList{request});
            QVERIFY(conn()->requests.isEmpty());
            QVERIFY(m_dialog->isVisible());
        }
    }

    // Cancels go through unchanged, whatever the form holds.
    void cancels()
    {
        const QJsonObject cancel{{"orderID", 5}, {"paperID", 101}, {"action", 6}, {"amount", 10}};
        m_dialog->cancelOrder(cancel);
        m_dialog->cancelStopOrder(cancel);
        QCOMPARE(conn()->requests, (QStringList{"cancelOrder " + json(cancel), "cancelStopOrder " + json(cancel)}));
        QCOMPARE(m_dialog->paperID(), 0);
    }

    // With no way to reach the server the order is not lost: an error box, the dialog stays with its values.
    void noConnection_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("no session") << "session";
        QTest::newRow("reported down") << "down";
        QTest::newRow("no manager") << "fallback";
    }

    void noConnection()
    {
        QFETCH(QString, how);
        fill(paper::share, 20, 100.05);
        if (how == "session")
            conn()->session.clear();
        else if (how == "down")
            emit m_test->manager()->on_connStatusChange(false);
        m_dialog->show();
        if (how == "fallback") {
            // The inert fallback of a manager without plug-ins has no session.
            kuConnectionManager bare(kuConnectionManager::Connectors{});
            kuConnectionManager* before = kuConnectionManager::setInstanceForTests(&bare);
            BoxCatcher boxes;
            w<QPushButton>("btnBuyLimit")->click();
            kuConnectionManager::setInstanceForTests(before);
            QCOMPARE(boxes.texts.size(), 1);
        } else {
            BoxCatcher boxes;
            w<QPushButton>("btnBuyLimit")->click();
            QCOMPARE(boxes.texts.size(), 1);
            QVERIFY(boxes.texts.first().startsWith("Нет связи с сервером"));
        }
        QVERIFY(conn()->requests.isEmpty());
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(m_dialog->paperID(), int(paper::share));
        QCOMPARE(m_dialog->amount(), 20.0);
        QCOMPARE(m_dialog->price(), 100.05);
    }

    void outcomes_data()
    {
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("message");
        QTest::newRow("confirmed") << int(kuAbstractDataConverter::ooConfirmed) << 1001 << "";
        QTest::newRow("refused") << int(kuAbstractDataConverter::ooRefused) << 1001
                                 << "Сервер отклонил поручение: Недостаточно средств\n"
                                    "Инструмент: VLMR, продажа, количество 20.";
        QTest::newRow("cancel refused") << int(kuAbstractDataConverter::ooRefused) << 1003
                                        << "Сервер отклонил запрос на отмену поручения: Недостаточно средств\n"
                                           "Инструмент: VLMR, продажа, количество 20.";
        QTest::newRow("no reply") << int(kuAbstractDataConverter::ooNoReply) << 1010
                                  << "Подтверждение поручения не получено.\n"
                                     "Инструмент: VLMR, продажа, количество 20.\nПроверьте список поручений.";
    }

    void outcomes()
    {
        QFETCH(int, outcome);
        QFETCH(int, type);
        QFETCH(QString, message);
        BoxCatcher boxes;
        emit m_test->converter()->on_orderOutcome(
                QJsonObject{{"paperID", 101}, {"type", type}, {"action", -1}, {"amount", 20.0}}, outcome,
                "Недостаточно средств");
        QCOMPARE(boxes.texts, message.isEmpty() ? QStringList() : QStringList{message});
    }

    void tabs_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("shown");
        QTest::newRow("stop") << 1 << 1;
        QTest::newRow("last") << 3 << 3;
        QTest::newRow("past the end") << 4 << 0;
        QTest::newRow("negative") << -1 << 0;
    }

    void tabs()
    {
        QFETCH(int, index);
        QFETCH(int, shown);
        m_dialog->setCurrentTab(2);
        m_dialog->setCurrentTab(index);
        QCOMPARE(w<QTabWidget>("tabOrders")->currentIndex(), shown);
        for (const char* name : {"spinBoxPrice", "rbGTC", "rbDay"})
            QCOMPARE(w<QWidget>(name)->isEnabled(), shown == 0);
    }

    void tickerTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("paperID");
        QTest::newRow("lower case") << "vlmr"
                                    << "VLMR" << int(paper::share);
        QTest::newRow("mixed case") << "uSdRuB"
                                    << "USDRUB" << int(paper::currency);
        QTest::newRow("unknown") << "zzz"
                                 << "" << 0;
        QTest::newRow("other exchange") << "GAZ2"
                                        << "" << 0;
        QTest::newRow("empty") << ""
                               << "" << 0;
    }

    void tickerTyped()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(int, paperID);
        auto* line = w<QLineEdit>("paperLineEdit");
        line->setText(typed);
        emit line->editingFinished();
        QCOMPARE(line->text(), shown);
        QCOMPARE(m_dialog->paperID(), paperID);
        if (paperID)
            QCOMPARE(line->toolTip(), shown);
    }

    // "..." runs the main window's chooser narrowed to the account's exchanges.
    void chooseButton_data()
    {
        QTest::addColumn<QString>("account");
        QTest::addColumn<QStringList>("choices");
        QTest::addColumn<QStringList>("tickers");
        QTest::addColumn<int>("paperID");
        QTest::newRow("one exchange") << "ACC2" << QStringList{"Все", "СПБ"} << QStringList{"GAZ2"}
                                      << int(paper::otherExchange);
        QTest::newRow("no exchange") << "EMPTY" << QStringList{"Все"} << QStringList{} << 0;
    }

    void chooseButton()
    {
        QFETCH(QString, account);
        QFETCH(QStringList, choices);
        QFETCH(QStringList, tickers);
        QFETCH(int, paperID);
        kuPaperListForm::registerWithClient();
        const QPointer<kuClient> client = kuClient::createInstance();
        QVERIFY(client->paperListForm());
        QVERIFY(m_dialog->setAccount(account));
        QStringList offered;
        QStringList listed;
        QTimer::singleShot(0, [&] {
            auto* chooser = qobject_cast<kuPaperListForm*>(QApplication::activeModalWidget());
            QVERIFY(chooser);
            auto* combo = chooser->findChild<QComboBox*>("comboExchange");
            for (int i = 0; i < combo->count(); ++i)
                offered << combo->itemText(i);
            const QAbstractItemModel* rows = chooser->findChild<QAbstractItemView*>("paperTableView")->model();
            for (int row = 0; row < rows->rowCount(); ++row)
                listed << rows->index(row, 2).data().toString();
            chooser->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        w<QToolButton>("chooseButton")->click();
        QCOMPARE(offered, choices);
        QCOMPARE(listed, tickers);
        QCOMPARE(m_dialog->paperID(), paperID);
        QCOMPARE(w<QLineEdit>("paperLineEdit")->text(), tickers.value(0));
        delete client.data();
    }

    // An account narrows the completer to its exchanges; one without exchanges shows nothing.
    void accounts()
    {
        QAbstractItemModel* rows = m_dialog->instruments();
        QCOMPARE(rows->rowCount(), 6);
        QCOMPARE(rows->index(0, 2).data().toString(), QString("BIG")); // sorted by ticker

        QVERIFY(m_dialog->setAccount("ACC2"));
        QCOMPARE(rows->rowCount(), 1);
        m_dialog->setInstrument(paper::share);
        QCOMPARE(m_dialog->paperID(), 0);
        m_dialog->setInstrument(paper::otherExchange);
        QCOMPARE(m_dialog->paperID(), int(paper::otherExchange));

        QVERIFY(m_dialog->setAccount("EMPTY"));
        QCOMPARE(rows->rowCount(), 0);
        m_dialog->setInstrument(paper::share);
        QCOMPARE(m_dialog->paperID(), 0);

        // Unknown: nothing stays selected, so no order can go to another account.
        QVERIFY(!m_dialog->setAccount("NOPE"));
        QCOMPARE(w<QComboBox>("comboBoxAccount")->currentIndex(), -1);
        QCOMPARE(rows->rowCount(), 0);

        // The user's choice resets the form.
        fill(paper::share, 20, 100.05);
        w<QComboBox>("comboBoxAccount")->setCurrentText("ACC2");
        QCOMPARE(w<QComboBox>("comboBoxAccount")->currentText(), QString("ACC2"));
        QCOMPARE(m_dialog->paperID(), 0);
        QCOMPARE(rows->rowCount(), 1);

        // Accounts and instruments are read anew at a reset.
        kuAccount::instance()->addAccount("ACC3", false, 4, {1, 2});
        kuPaperList::instance()->addPaper(
                301, QSharedPointer<kuPaperInfo>::create(301, "NEW", "", 1, 1, 0.01, 0.0, 0, 0.0, true, "", "", 2, ""));
        emit m_test->converter()->on_snapshotPapers();
        m_dialog->resetForm();
        QVERIFY(m_dialog->setAccount("ACC3"));
        QCOMPARE(rows->rowCount(), 8);

        // An option the chooser offers is an instrument of the entry too.
        kuPaperList::instance()->addPaper(
                302, QSharedPointer<kuPaperInfo>::create(302, "OPT", "", 5, 1, 1, 1, 0, 0.0, true, "", "", 2, "FORTS"));
        emit m_test->converter()->on_snapshotPapers();
        m_dialog->resetForm();
        QVERIFY(m_dialog->setAccount("ACC3"));
        m_dialog->setInstrument(302);
        QCOMPARE(m_dialog->paperID(), 302);
        QCOMPARE(w<QLineEdit>("paperLineEdit")->text(), QString("OPT"));
        addTestAccounts();
    }

    void stopOrders_data()
    {
        QTest::addColumn<bool>("first");
        QTest::addColumn<double>("if1");
        QTest::addColumn<double>("stop1");
        QTest::addColumn<bool>("market1");
        QTest::addColumn<bool>("second");
        QTest::addColumn<double>("if2");
        QTest::addColumn<double>("stop2");
        QTest::addColumn<bool>("market2");
        QTest::addColumn<int>("orderID");
        QTest::addColumn<QString>("result");
        QTest::newRow("no condition") << false << 0.0 << 0.0 << true << false << 0.0 << 0.0 << true << 0
                                      << "Вы не указали ни одного условия срабатывания стоп-поручения!";
        QTest::newRow("first market, no price")
                << true << 95.0 << 0.0 << true << false << 120.0 << 121.0 << false << 0
                << R"(newStopOrder {"action":1,"amount":20,"execFlag":0,"fcond":1,"ifPrice1":95,"ifPrice2":0,)"
                   R"("isMarket1":1,"isMarket2":0,"orderID":0,"paperID":101,"partID":"ACC1","scond":0,)"
                   R"("stopPrice1":0,"stopPrice2":0})";
        QTest::newRow("first at price 0") << true << 95.0 << 0.0 << false << false << 0.0 << 0.0 << true << 0
                                          << "Вы не указали цену продажи для первого условия!";
        QTest::newRow("first without trigger") << true << 0.0 << 94.0 << false << false << 0.0 << 0.0 << true << 0
                                               << "Вы не указали цену срабатывания для первого условия!";
        QTest::newRow("second at price 0") << true << 95.0 << 0.0 << true << true << 120.0 << 0.0 << false << 0
                                           << "Вы не указали цену продажи для второго условия!";
        QTest::newRow("second without trigger") << false << 0.0 << 0.0 << true << true << 0.0 << 0.0 << true << 0
                                                << "Вы не указали цену срабатывания для второго условия!";
        QTest::newRow("equal triggers") << true << 100.0 << 0.0 << true << true << 100.0 << 0.0 << true << 0
                                        << "Цена срабатывания второго условия должна быть выше цены первого условия!";
        QTest::newRow("second just above")
                << true << 100.0 << 99.5 << false << true << 100.01 << 0.0 << true << 0
                << R"(newStopOrder {"action":1,"amount":20,"execFlag":0,"fcond":1,"ifPrice1":100,"ifPrice2":100.01,)"
                   R"("isMarket1":0,"isMarket2":1,"orderID":0,"paperID":101,"partID":"ACC1","scond":1,)"
                   R"("stopPrice1":99.5,"stopPrice2":0})";
        QTest::newRow("second only, first values forced to 0")
                << false << 95.0 << 94.0 << false << true << 120.0 << 121.0 << false << 0
                << R"(newStopOrder {"action":1,"amount":20,"execFlag":0,"fcond":0,"ifPrice1":0,"ifPrice2":120,)"
                   R"("isMarket1":0,"isMarket2":0,"orderID":0,"paperID":101,"partID":"ACC1","scond":1,)"
                   R"("stopPrice1":0,"stopPrice2":121})";
        QTest::newRow("change by order id")
                << true << 95.0 << 94.5 << false << false << 0.0 << 0.0 << true << 31
                << R"(modifyStopOrder {"action":1,"amount":20,"execFlag":0,"fcond":1,"ifPrice1":95,"ifPrice2":0,)"
                   R"("isMarket1":0,"isMarket2":0,"orderID":31,"paperID":101,"partID":"ACC1","scond":0,)"
                   R"("stopPrice1":94.5,"stopPrice2":0})";
    }

    void stopOrders()
    {
        QFETCH(bool, first);
        QFETCH(double, if1);
        QFETCH(double, stop1);
        QFETCH(bool, market1);
        QFETCH(bool, second);
        QFETCH(double, if2);
        QFETCH(double, stop2);
        QFETCH(bool, market2);
        QFETCH(int, orderID);
        QFETCH(QString, result);
        fill(paper::share, 20, 0);
        m_dialog->setOrderID(orderID);
        m_dialog->setCurrentTab(1);
        w<QCheckBox>("checkBoxFirstCondition")->setChecked(first);
        w<QCheckBox>("checkBoxSecondCondition")->setChecked(second);
        box("spinBoxIfPrice_1")->setValue(if1);
        box("spinBoxStopPrice_1")->setValue(stop1);
        w<QRadioButton>(market1 ? "rbStopMktPrice_1" : "rbStopPrice_1")->click();
        box("spinBoxIfPrice_2")->setValue(if2);
        box("spinBoxStopPrice_2")->setValue(stop2);
        w<QRadioButton>(market2 ? "rbStopMktPrice_2" : "rbStopPrice_2")->click();
        QCOMPARE(w<QRadioButton>("rbStopPrice_1")->isChecked(), !market1);
        QCOMPARE(box("spinBoxStopPrice_1")->isEnabled(), !market1);
        m_dialog->show();
        BoxCatcher boxes;
        w<QPushButton>("btnBuyStop")->click();
        if (result.contains("StopOrder {")) {
            QCOMPARE(conn()->requests, QStringList{result});
            QVERIFY(m_dialog->isHidden());
        } else {
            QCOMPARE(boxes.texts, QStringList{result});
            QVERIFY(conn()->requests.isEmpty());
            QVERIFY(m_dialog->isVisible());
        }
    }

    void typedEntries_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("tab"); // else the button is clicked straight away
        QTest::addColumn<QString>("key");
        QTest::addColumn<double>("sent"); // 0: refused
        QTest::newRow("price with a comma, C") << "C"
                                               << "spinBoxPrice"
                                               << "893,5" << false << "price" << 893.5;
        QTest::newRow("price with a comma, ru_RU") << "ru_RU"
                                                   << "spinBoxPrice"
                                                   << "893,5" << true << "price" << 893.5;
        QTest::newRow("price with a comma, en_US") << "en_US"
                                                   << "spinBoxPrice"
                                                   << "893,5" << false << "price" << 893.5;
        QTest::newRow("price with a point, ru_RU") << "ru_RU"
                                                   << "spinBoxPrice"
                                                   << "893.5" << false << "price" << 893.5;
        QTest::newRow("price in groups") << "C"
                                         << "spinBoxPrice"
                                         << "1 234,56" << true << "price" << 1234.56;
        QTest::newRow("price with both marks") << "en_US"
                                               << "spinBoxPrice"
                                               << "1,234.5" << false << "price" << 0.0;
        QTest::newRow("price in letters") << "C"
                                          << "spinBoxPrice"
                                          << "abc" << true << "price" << 0.0;
        QTest::newRow("price with a slipped blank") << "ru_RU"
                                                    << "spinBoxPrice"
                                                    << "99 5" << false << "price" << 0.0;
        QTest::newRow("price split in two") << "C"
                                            << "spinBoxPrice"
                                            << "12 34" << true << "price" << 0.0;
        QTest::newRow("price with a blank before the comma") << "ru_RU"
                                                             << "spinBoxPrice"
                                                             << "1 ,5" << false << "price" << 0.0;
        QTest::newRow("price beyond the decimals") << "C"
                                                   << "spinBoxPrice"
                                                   << "893,567" << false << "price" << 0.0;
        QTest::newRow("price emptied") << "C"
                                       << "spinBoxPrice"
                                       << "" << false << "price" << 0.0;
        QTest::newRow("quantity in groups") << "ru_RU"
                                            << "spinBoxAmount"
                                            << "1 000" << false << "amount" << 1000.0;
        QTest::newRow("quantity with a fraction") << "C"
                                                  << "spinBoxAmount"
                                                  << "12,5" << true << "amount" << 0.0;
        QTest::newRow("lots") << "C"
                              << "spinBoxLotAmount"
                              << "3" << false << "amount" << 3.0;
        QTest::newRow("stop trigger with a comma") << "ru_RU"
                                                   << "spinBoxIfPrice_1"
                                                   << "95,5" << false << "ifPrice1" << 95.5;
        QTest::newRow("stop trigger with both marks") << "C"
                                                      << "spinBoxIfPrice_1"
                                                      << "1.095,5" << true << "ifPrice1" << 0.0;
    }

    // Typed as a trader types, the number reaches the request; a refused entry keeps the previous
    // value, and the click that follows sends nothing but says so: the trader has not seen it yet.
    void typedEntries()
    {
        QFETCH(QString, locale);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(bool, tab);
        QFETCH(QString, key);
        QFETCH(double, sent);
        const DefaultLocale defaultLocale(locale);
        fill(paper::big, 20, 100.05);
        const bool stop = key == "ifPrice1";
        if (stop) {
            m_dialog->setCurrentTab(1);
            box("spinBoxIfPrice_1")->setValue(90);
        }
        m_dialog->show();
        QApplication::setActiveWindow(m_dialog.get());
        QVERIFY(QTest::qWaitForWindowActive(m_dialog.get()));
        QDoubleSpinBox* input = box(field.toLatin1().constData());
        const QString shown = input->text();
        const double previous = input->value(); // lots and pieces alike: the lot is 1
        input->setFocus();
        QTRY_VERIFY(input->hasFocus());
        input->selectAll();
        QTest::keyClick(input, Qt::Key_Delete);
        QTest::keyClicks(input, typed);
        if (tab) {
            QTest::keyClick(input, Qt::Key_Tab);
            QTRY_VERIFY(!input->hasFocus());
        }
        QPushButton* button = w<QPushButton>(stop ? "btnBuyStop" : "btnBuyLimit");
        BoxCatcher boxes;
        QTest::mouseClick(button, Qt::LeftButton);
        const bool refused = sent == 0;
        if (refused) {
            QCOMPARE(boxes.texts, QStringList{"Введённое значение не принято: в поле осталось прежнее. Проверьте "
                                              "поручение и отправьте его ещё раз."});
            QVERIFY(conn()->requests.isEmpty());
            QVERIFY(m_dialog->isVisible());
            QCOMPARE(input->text(), shown);
            QTest::mouseClick(button, Qt::LeftButton); // seen now: it goes
            sent = previous;
        }
        QCOMPARE(boxes.texts.size(), refused ? 1 : 0);
        QCOMPARE(conn()->requests.size(), 1);
        const QJsonObject order = QJsonDocument::fromJson(conn()->requests.first().section(' ', 1).toUtf8()).object();
        QCOMPARE(order.value(key).toDouble(), sent);
        QVERIFY(m_dialog->isHidden());
    }

    void typedQuantityInLots_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("leave"); // how the field is left before the click
        QTest::addColumn<QString>("button");
        QTest::addColumn<double>("sent"); // 0: refused
        QTest::newRow("15, clicked at once") << "15"
                                             << ""
                                             << "btnBuyLimit" << 0.0;
        QTest::newRow("15, after Tab") << "15"
                                       << "tab"
                                       << "btnBuyLimit" << 0.0;
        QTest::newRow("15, after Enter") << "15"
                                         << "enter"
                                         << "btnBuyLimit" << 0.0;
        QTest::newRow("below a lot") << "5"
                                     << ""
                                     << "btnSellLimit" << 0.0;
        QTest::newRow("in groups, off the lot") << "1 005"
                                                << "tab"
                                                << "btnBuyMkt" << 0.0;
        QTest::newRow("stop order") << "25"
                                    << "enter"
                                    << "btnSellStop" << 0.0;
        QTest::newRow("whole lots") << "20"
                                    << ""
                                    << "btnBuyLimit" << 20.0;
        QTest::newRow("whole lots in groups") << "1 000"
                                              << "tab"
                                              << "btnSellMkt" << 1000.0;
        QTest::newRow("whole lots, stop order") << "30"
                                                << "enter"
                                                << "btnBuyStop" << 30.0;
    }

    // With a lot of 10 a typed quantity goes out exactly as typed, or, when it is not a whole number
    // of lots, is refused with its reason while the field keeps it; a corrected one then goes.
    void typedQuantityInLots()
    {
        QFETCH(QString, typed);
        QFETCH(QString, leave);
        QFETCH(QString, button);
        QFETCH(double, sent);
        fill(paper::share, 10, 100.05);
        const bool stop = button.contains("Stop");
        if (stop) {
            m_dialog->setCurrentTab(1);
            box("spinBoxIfPrice_1")->setValue(95);
        }
        m_dialog->show();
        QApplication::setActiveWindow(m_dialog.get());
        QVERIFY(QTest::qWaitForWindowActive(m_dialog.get()));
        QDoubleSpinBox* input = box("spinBoxAmount");
        auto typeIn = [&](const QString& text) {
            QApplication::setActiveWindow(m_dialog.get()); // back from a message box
            input->setFocus();
            QTRY_VERIFY(input->hasFocus());
            input->selectAll();
            QTest::keyClick(input, Qt::Key_Delete);
            QTest::keyClicks(input, text);
        };
        typeIn(typed);
        BoxCatcher boxes;
        if (leave == "tab") {
            QTest::keyClick(input, Qt::Key_Tab);
            QTRY_VERIFY(!input->hasFocus());
        } else if (leave == "enter") {
            QTest::keyClick(input, Qt::Key_Return); // sends nothing by itself
        }
        QCOMPARE(input->text(), typed);
        QVERIFY(conn()->requests.isEmpty());
        QPushButton* send = w<QPushButton>(button.toLatin1().constData());
        QTest::mouseClick(send, Qt::LeftButton);
        if (sent == 0) {
            QCOMPARE(boxes.texts, QStringList{"Количество бумаг не кратно биржевому лоту!"});
            QVERIFY(conn()->requests.isEmpty());
            QVERIFY(m_dialog->isVisible());
            QCOMPARE(input->text(), typed);
            typeIn("40");
            QTest::mouseClick(send, Qt::LeftButton);
            QCOMPARE(boxes.texts.size(), 1);
            sent = 40;
        } else {
            QVERIFY(boxes.texts.isEmpty());
        }
        QCOMPARE(conn()->requests.size(), 1);
        const QJsonObject order = QJsonDocument::fromJson(conn()->requests.first().section(' ', 1).toUtf8()).object();
        QCOMPARE(order.value("amount").toDouble(), sent);
        QCOMPARE(m_dialog->lotAmount(), sent / 10);
        QVERIFY(m_dialog->isHidden());
    }

    void stopMarketForbidden()
    {
        fill(paper::illiquid, 20, 0);
        box("spinBoxIfPrice_1")->setValue(95);
        BoxCatcher boxes;
        m_dialog->createStopOrder(-1);
        QCOMPARE(boxes.texts, QStringList{"Запрещены рыночные поручения по малоликвидным бумагам!"});
        QVERIFY(conn()->requests.isEmpty());
    }

    void fillConditions_data()
    {
        QTest::addColumn<QJsonObject>("first");
        QTest::addColumn<QJsonObject>("second");
        QTest::addColumn<bool>("firstUsed");
        QTest::addColumn<bool>("firstMarket");
        QTest::addColumn<bool>("secondUsed");
        QTest::addColumn<bool>("secondMarket");
        const QJsonObject priced{{"ifPrice1", 95}, {"stopPrice1", 94.5}};
        auto with = [](QJsonObject o, const QString& key, const QJsonValue& v) {
            o.insert(key, v);
            return o;
        };
        QTest::newRow("price mode") << priced << QJsonObject{} << true << false << false << true;
        QTest::newRow("market true wins")
                << with(priced, "isMarket1", true) << QJsonObject{} << true << true << false << true;
        QTest::newRow("market 1 wins") << with(priced, "isMarket1", 1) << QJsonObject{} << true << true << false
                                       << true;
        QTest::newRow("market false") << with(priced, "isMarket1", false) << QJsonObject{} << true << false << false
                                      << true;
        QTest::newRow("market 0") << with(priced, "isMarket1", 0) << QJsonObject{} << true << false << false << true;
        QTest::newRow("second only unchecks the first")
                << QJsonObject{} << QJsonObject{{"ifPrice2", 120}, {"stopPrice2", 121}, {"isMarket2", 0}} << false
                << true << true << false;
        QTest::newRow("both") << with(priced, "isMarket1", 0)
                              << QJsonObject{{"ifPrice2", 120}, {"stopPrice2", 0}, {"isMarket2", 1}} << true << false
                              << true << true;
    }

    void fillConditions()
    {
        QFETCH(QJsonObject, first);
        QFETCH(QJsonObject, second);
        QFETCH(bool, firstUsed);
        QFETCH(bool, firstMarket);
        QFETCH(bool, secondUsed);
        QFETCH(bool, secondMarket);
        fill(paper::share, 20, 0);
        m_dialog->setOrderID(12);
        m_dialog->setCurrentTab(1);
        m_dialog->setFirstCondition(first);
        m_dialog->setSecondCondition(second);
        QCOMPARE(w<QCheckBox>("checkBoxFirstCondition")->isChecked(), firstUsed);
        QCOMPARE(w<QRadioButton>("rbStopMktPrice_1")->isChecked(), firstMarket);
        QCOMPARE(w<QRadioButton>("rbStopPrice_1")->isChecked(), !firstMarket);
        QCOMPARE(box("spinBoxStopPrice_1")->isEnabled(), !firstMarket);
        QCOMPARE(w<QCheckBox>("checkBoxSecondCondition")->isChecked(), secondUsed);
        QCOMPARE(w<QRadioButton>("rbStopMktPrice_2")->isChecked(), secondMarket);
        if (!first.isEmpty())
            QCOMPARE(box("spinBoxIfPrice_1")->value(), 95.0);
        // Filled from an existing stop, the change goes out without a refusal.
        BoxCatcher boxes;
        m_dialog->createStopOrder(1);
        QCOMPARE(boxes.texts, QStringList());
        QCOMPARE(conn()->requests.size(), 1);
        const QString sent = conn()->requests.first();
        QVERIFY(sent.startsWith("modifyStopOrder "));
        const QJsonObject order = QJsonDocument::fromJson(sent.section(' ', 1).toUtf8()).object();
        QCOMPARE(order.value("fcond").toInt(), firstUsed ? 1 : 0);
        QCOMPARE(order.value("scond").toInt(), secondUsed ? 1 : 0);
    }
};

QTEST_MAIN(tst_OrderManager)
#include "tst_ordermanager.moc"
