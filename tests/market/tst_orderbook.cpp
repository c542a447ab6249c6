#include "defaultlocale.h"
#include "fakesession.h"
#include "kucolorbutton.h"
#include "kuorderbook.h"
#include "kuorderbookmodel.h"
#include "kuorderbookproxymodel.h"
#include "kuorderbooksetting.h"
#include "kuordermanager.h"
#include "kuorders.h"
#include "kutableview.h"
#include "orderbookfixture.h"
#include "screenwatch.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QEventLoop>
#include <QHeaderView>
#include <QJsonDocument>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

namespace {
const char* snapshotSignal = SIGNAL(on_snapshotOrderBook(int, QJsonArray));
const char* updateSignal = SIGNAL(on_updateOrderBook(int, QJsonArray));
const char* errorSignal = SIGNAL(on_receviedError(WinType, QString, int));
const char* showSignal = SIGNAL(on_showOrder(int, qint64, double, qint64));
const char* hideSignal = SIGNAL(on_hideOrder(int, qint64));

// Three offers (101.5 with 3 lots among them) and three bids.
const QByteArray bookJson = R"([{"action": 1, "price": 102, "amount": 1}, {"action": 1, "price": 101.5, "amount": 3},
    {"action": 1, "price": 103, "amount": 2}, {"action": 0, "price": 100, "amount": 4},
    {"action": 0, "price": 99.5, "amount": 5}, {"action": 0, "price": 99, "amount": 6}])";

QString json(const QJsonObject& object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

// The table's prices from top to bottom.
QStringList shownPrices(kuOrderBook& book)
{
    QStringList prices;
    const QAbstractItemModel* model = book.tableView()->model();
    for (int row = 0; row < model->rowCount(); ++row)
        prices << model->index(row, 3).data().toString();
    return prices;
}

QModelIndex shownRowOf(kuOrderBook& book, const QString& price, int column)
{
    const QAbstractItemModel* model = book.tableView()->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->index(row, 3).data().toString() == price)
            return model->index(row, column);
    }
    return {};
}
} // namespace

class tst_OrderBook : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakeSession> m_session;

    RecordingConn* conn() { return m_session->conn(); }
    CannedConverter* converter() { return m_session->converter(); }

    // A window on the share, live with bookJson.
    std::unique_ptr<kuOrderBook> liveBook(int paperID = paper::share)
    {
        auto book = std::make_unique<kuOrderBook>();
        book->setPaper(paperID);
        converter()->snapshotOrderBook(paperID, bookJson);
        return book;
    }

private slots:
    void initTestCase()
    {
        addTestPapers();
        addTestAccounts();
        registerFakeOrders();
        kuOrderManager::registerWithClient();
        QVERIFY(fakeOrders());
    }

    // The book reaches the orders window by name: the real window must answer to the names the stand-in has.
    void ordersWindowAnswersByName()
    {
        for (const QMetaObject* window : {&kuOrders::staticMetaObject, &FakeOrders::staticMetaObject}) {
            QVERIFY(window->indexOfSignal("on_showOrder(int,qint64,double,qint64)") >= 0);
            QVERIFY(window->indexOfSignal("on_hideOrder(int,qint64)") >= 0);
            const int ask = window->indexOfMethod("activeOrders(QSet<int>)");
            QVERIFY(ask >= 0);
            QCOMPARE(window->method(ask).returnType(), int(QMetaType::QJsonArray));
        }
    }

    void init()
    {
        m_session = std::make_unique<FakeSession>();
        QVERIFY(conn());
        conn()->session = "S1";
        fakeOrders()->orders = QJsonArray();
        fakeOrders()->asked.clear();
    }

    void cleanup() { m_session.reset(); }

    void waitingThenLive()
    {
        kuOrderBook book;
        QCOMPARE(book.windowTitle(), QString("Стакан"));
        book.setPaper(paper::share);
        QCOMPARE(conn()->take(), QStringList{"getOrderBook 301"});
        QCOMPARE(book.windowTitle(), QString("VLMR - Эмитент VLMR"));
        QVERIFY(book.isBusy());

        // Books of other instruments change nothing, before and after the snapshot.
        converter()->snapshotOrderBook(paper::bond, bookJson);
        QVERIFY(book.isBusy());
        QCOMPARE(book.model()->rowCount(), 0);
        converter()->snapshotOrderBook(paper::share, bookJson);
        QVERIFY(!book.isBusy());
        QCOMPARE(book.model()->rowCount(), 6);
        QCOMPARE(handlers(converter(), snapshotSignal), 0);
        QCOMPARE(handlers(converter(), errorSignal), 0);
        QCOMPARE(handlers(converter(), updateSignal), 1);
        converter()->updateOrderBook(paper::bond, R"([{"action": 0, "price": 1, "amount": 1}])");
        QCOMPARE(book.model()->rowCount(), 6);
        converter()->updateOrderBook(paper::share, R"([{"action": 0, "price": 1, "amount": 1}])");
        QCOMPARE(book.model()->rowCount(), 1);
        // Lot 10: pieces.
        QCOMPARE(book.model()->index(0, 2).data().toString(), QString("10"));
    }

    void properties_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("depth 0") << QByteArray("depth") << QVariant(0) << QVariant(1);
        QTest::newRow("depth 25") << QByteArray("depth") << QVariant(25) << QVariant(20);
        QTest::newRow("depth 5") << QByteArray("depth") << QVariant(5) << QVariant(5);
        QTest::newRow("bid colour by name") << QByteArray("bidColor") << QVariant("red") << QVariant("#ff0000");
        QTest::newRow("bid colour upper case") << QByteArray("bidColor") << QVariant("#ABCDEF") << QVariant("#abcdef");
        QTest::newRow("bid colour not a colour")
                << QByteArray("bidColor") << QVariant("nonsense") << QVariant(defaultBidColor.name());
        QTest::newRow("bid colour empty") << QByteArray("bidColor") << QVariant("") << QVariant(defaultBidColor.name());
        QTest::newRow("offer colour not a colour")
                << QByteArray("offerColor") << QVariant("#12345") << QVariant(defaultOfferColor.name());
        QTest::newRow("offer colour") << QByteArray("offerColor") << QVariant("#010203") << QVariant("#010203");
        QTest::newRow("sort order 2") << QByteArray("sortOrder") << QVariant(2) << QVariant(0);
    }

    void properties()
    {
        QFETCH(QByteArray, name);
        QFETCH(QVariant, value);
        QFETCH(QVariant, expected);
        kuOrderBook book;
        QVERIFY(book.setProperty(name.constData(), value));
        QCOMPARE(book.property(name.constData()).toString(), expected.toString());
    }

    void savedSettings()
    {
        kuOrderBook fresh;
        fresh.setPaper(paper::share);
        const QString defaults = QString(R"({"paperID":301,"settings":[{"label":"VLMR - Эмитент VLMR",)"
                                         R"("name":"orderBookSetting","params":[)"
                                         R"({"label":"Глубина стакана","name":"depth","value":20},)"
                                         R"({"label":"Сортировка","name":"sortOrder","value":0},)"
                                         R"({"label":"Цвет бида","name":"bidColor","value":"#90ee90"},)"
                                         R"({"label":"Цвет офера","name":"offerColor","value":"#ffc0cb"},)"
                                         R"({"label":"Показывать свои поручения","name":"showOrders","value":true}]}],)"
                                         R"("winType":10})");
        QCOMPARE(json(fresh.saveSettings()), defaults);

        fresh.setDepth(5);
        fresh.setSortOrder(1);
        fresh.setBidColor("#010203");
        fresh.setOfferColor("#040506");
        fresh.setShowOrders(false);
        kuOrderBook restored;
        restored.restoreSettings(fresh.saveSettings());
        QCOMPARE(restored.depth(), 5);
        QCOMPARE(restored.sortOrder(), 1);
        QCOMPARE(restored.bidColor(), QString("#010203"));
        QCOMPARE(restored.offerColor(), QString("#040506"));
        QCOMPARE(restored.showOrders(), false);
        QCOMPARE(json(restored.saveSettings()["settings"].toArray()[0].toObject()["params"].toObject()),
                 json(fresh.saveSettings()["settings"].toArray()[0].toObject()["params"].toObject()));
    }

    void yieldColumns_data()
    {
        QTest::addColumn<int>("paperID");
        QTest::addColumn<bool>("shown");
        QTest::newRow("share") << int(paper::share) << false;
        QTest::newRow("bond") << int(paper::bond) << true;
        QTest::newRow("eurobond") << int(paper::eurobond) << true;
        QTest::newRow("unknown instrument") << 999 << false;
    }

    void yieldColumns()
    {
        QFETCH(int, paperID);
        QFETCH(bool, shown);
        kuOrderBook book;
        book.setPaper(paperID);
        for (int column : {1, 5})
            QCOMPARE(book.tableView()->isColumnHidden(column), !shown);
        for (int column : {2, 3, 4})
            QVERIFY(!book.tableView()->isColumnHidden(column));
        QVERIFY(book.tableView()->isColumnHidden(0));
    }

    void reverseOrder()
    {
        auto book = liveBook();
        QCOMPARE(shownPrices(*book), QStringList({"99.00", "99.50", "100.00", "101.50", "102.00", "103.00"}));
        book->reverseOrderAction()->trigger();
        QCOMPARE(book->sortOrder(), 1);
        QCOMPARE(shownPrices(*book), QStringList({"103.00", "102.00", "101.50", "100.00", "99.50", "99.00"}));
        // Depth 1 keeps the order, cut to the best levels.
        book->setDepth(1);
        QCOMPARE(shownPrices(*book), QStringList({"101.50", "100.00"}));
        book->reverseOrderAction()->trigger();
        QCOMPARE(shownPrices(*book), QStringList({"100.00", "101.50"}));
        // An update keeps the order.
        book->setDepth(20);
        converter()->updateOrderBook(paper::share, bookJson);
        QCOMPARE(shownPrices(*book).first(), QString("99.00"));

        const QList<QAction*> entries = book->menu()->actions();
        QStringList texts;
        for (const QAction* entry : entries)
            texts << (entry->isSeparator() ? QString("-") : entry->text());
        QCOMPARE(texts, QStringList({"Глубина стакана", "Цвета стакана", "-", "Обратный порядок", "-",
                                     "Показывать свои поручения"}));
    }

    void doubleClickFillsTheOrderEntry()
    {
        auto book = liveBook();
        const QModelIndex offer = shownRowOf(*book, "101.50", 1);
        QVERIFY(offer.isValid());
        int paperID = 0;
        double amount = 0;
        double price = 0;
        bool shown = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<kuOrderManager*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            shown = true;
            paperID = dialog->paperID();
            amount = dialog->amount();
            price = dialog->price();
            dialog->reject();
        });
        emit book->tableView()->doubleClicked(offer);
        QVERIFY(shown);
        QCOMPARE(paperID, int(paper::share));
        QCOMPARE(amount, 30.0);
        QCOMPARE(price, 101.5);
        book->slot_createOrder(QModelIndex()); // nothing opens
    }

    void ownOrders()
    {
        FakeOrders* orders = fakeOrders();
        orders->addOrder(paper::share, 1, 100, 10);
        orders->addOrder(paper::share, 2, 100, 5);
        orders->addOrder(paper::bond, 3, 101.5, 7); // another instrument: no mark
        auto book = liveBook();
        QCOMPARE(orders->asked.last(), QSet<int>{paper::share});
        const QModelIndex bid = shownRowOf(*book, "100.00", 2);
        QCOMPARE(bid.data().toString(), QString("40 (15)"));
        QCOMPARE(bid.data(Qt::BackgroundRole).value<QColor>(), defaultBidColor.lighter(130));
        QCOMPARE(shownRowOf(*book, "101.50", 4).data().toString(), QString("30"));

        emit orders->on_showOrder(paper::share, 4, 101.5, 3);
        emit orders->on_showOrder(paper::bond, 5, 102, 3);
        QCOMPARE(shownRowOf(*book, "101.50", 4).data().toString(), QString("30 (3)"));
        QCOMPARE(shownRowOf(*book, "102.00", 4).data().toString(), QString("10"));
        emit orders->on_hideOrder(paper::share, 1);
        emit orders->on_hideOrder(paper::share, 77);
        QCOMPARE(shownRowOf(*book, "100.00", 2).data().toString(), QString("40 (5)"));

        // Unchecked: no marks, and none come; checked again: the active orders are asked anew.
        book->showOrdersAction()->trigger();
        QCOMPARE(shownRowOf(*book, "100.00", 2).data().toString(), QString("40"));
        emit orders->on_showOrder(paper::share, 6, 100, 1);
        QCOMPARE(shownRowOf(*book, "100.00", 2).data().toString(), QString("40"));
        book->setShowOrders(true);
        QCOMPARE(shownRowOf(*book, "100.00", 2).data().toString(), QString("40 (15)"));
    }

    // A snapshot after every subscription, the orders window's signals: one handler each.
    void handlersOnce()
    {
        FakeOrders* orders = fakeOrders();
        const int showBefore = orders->handlers(showSignal);
        kuOrderBook book;
        QCOMPARE(orders->handlers(showSignal), showBefore + 1);
        book.setPaper(paper::share);
        for (const char* session : {"S2", "S3"}) {
            conn()->session = session;
            book.subscribe();
        }
        QCOMPARE(conn()->count("getOrderBook"), 3);
        QCOMPARE(handlers(converter(), snapshotSignal), 1);
        QCOMPARE(handlers(converter(), errorSignal), 1);
        converter()->snapshotOrderBook(paper::share, bookJson);
        // Live again after a reconnection: a new snapshot comes while updates flow.
        conn()->session = "S4";
        book.showLightBox();
        book.subscribe();
        converter()->snapshotOrderBook(paper::share, bookJson);
        QCOMPARE(handlers(converter(), updateSignal), 1);
        QCOMPARE(orders->handlers(showSignal), showBefore + 1);
        QCOMPARE(orders->handlers(hideSignal), showBefore + 1);
        // One handler: a changed level is reported once.
        QSignalSpy resets(book.model(), &QAbstractItemModel::modelReset);
        QSignalSpy changes(book.model(), &QAbstractItemModel::dataChanged);
        converter()->updateOrderBook(paper::share, QByteArray(bookJson).replace(R"("amount": 6)", R"("amount": 7)"));
        QCOMPARE(resets.count(), 0);
        QCOMPARE(changes.count(), 1);
        book.setShowOrders(false);
        QCOMPARE(orders->handlers(showSignal), showBefore);
    }

    // An update repaints the rows it changes, and the screen shows the new figures; a level
    // more or less lays the table out again and repaints it all.
    void updateRepaintsItsRows_data()
    {
        QTest::addColumn<QByteArray>("update");
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<bool>("whole");
        QTest::newRow("one amount") << QByteArray(bookJson).replace(R"("amount": 6)", R"("amount": 7)") << "99.00"
                                    << "70" << false;
        QTest::newRow("two amounts") << QByteArray(bookJson)
                                                .replace(R"("amount": 6)", R"("amount": 8)")
                                                .replace(R"("amount": 2)", R"("amount": 9)")
                                     << "103.00" << "90" << false;
        QTest::newRow("a new price") << QByteArray(bookJson).replace(R"("price": 99,)", R"("price": 98,)") << "98.00"
                                     << "60" << false;
        QTest::newRow("a level more") << QByteArray(bookJson).replace("]", R"(, {"action": 0, "price": 98, "amount": 1}])")
                                      << "98.00" << "10" << true;
    }
    void updateRepaintsItsRows()
    {
        QFETCH(QByteArray, update);
        QFETCH(QString, price);
        QFETCH(QString, amount);
        QFETCH(bool, whole);
        auto book = liveBook();
        QWidget* viewport = book->tableView()->viewport();
        RepaintWatch watch(viewport);
        book->resize(400, 400);
        book->show();
        QVERIFY(QTest::qWaitForWindowExposed(book.get()));
        QTRY_VERIFY(watch.count > 0);
        QTRY_VERIFY(watch.settled());
        watch.clear();
        converter()->updateOrderBook(paper::share, update);
        QTRY_VERIFY(watch.count > 0);
        QTRY_VERIFY(watch.settled());
        QCOMPARE(watch.wholeRepainted(), whole);
        const QModelIndex changed = shownRowOf(*book, price, price == "103.00" ? 4 : 2);
        QCOMPARE(changed.data().toString(), amount);
        QVERIFY(watch.region.contains(book->tableView()->visualRect(changed)));
        QCOMPARE(stalePixels(viewport), 0);
    }

    // A drop: the old stream goes back once, the new instrument's book and own orders come.
    void reload()
    {
        FakeOrders* orders = fakeOrders();
        orders->addOrder(paper::share, 1, 100, 10);
        orders->addOrder(paper::bond, 2, 99, 3);
        auto book = liveBook();
        QCOMPARE(book->model()->ownOrderCount(), 1);
        conn()->take();
        emit book->tableView()->on_dropPaperID(paper::bond);
        QCOMPARE(conn()->take(), QStringList({"unsubscribe 10 301", "getOrderBook 302"}));
        QCOMPARE(book->paperID(), int(paper::bond));
        QVERIFY(book->isBusy());
        QCOMPARE(book->model()->ownOrderCount(), 0);
        QCOMPARE(book->windowTitle(), QString("OBL - Эмитент OBL"));
        QVERIFY(!book->tableView()->isColumnHidden(1));
        // The old instrument's books are dropped.
        converter()->updateOrderBook(paper::share, R"([])");
        converter()->snapshotOrderBook(paper::share, R"([])");
        QVERIFY(book->isBusy());
        QCOMPARE(book->model()->rowCount(), 6);
        converter()->snapshotOrderBook(paper::bond, bookJson);
        QVERIFY(!book->isBusy());
        // Lot 1 now; the share's order at 100 marks nothing, the bond's at 99 does.
        QCOMPARE(shownRowOf(*book, "100.00", 2).data().toString(), QString("4"));
        QCOMPARE(shownRowOf(*book, "99.00", 2).data().toString(), QString("6 (3)"));
        book->unsubscribe();
        QCOMPARE(conn()->take(), QStringList({"unsubscribe 10 302"}));
    }

    // The unsubscribe of a reload spins an event loop in which a queued book and another drop arrive.
    void reloadInsideABlockingRequest()
    {
        auto book = liveBook();
        kuOrderBook* window = book.get();
        bool ran = false;
        conn()->onRequest = [&](const QString& request) {
            if (!request.startsWith("unsubscribe") || ran)
                return;
            ran = true;
            QEventLoop loop;
            QMetaObject::invokeMethod(
                    window, "slot_updateOrderBook", Qt::QueuedConnection, Q_ARG(int, paper::share),
                    Q_ARG(QJsonArray, CannedConverter::array(R"([{"action": 0, "price": 50, "amount": 1}])")));
            QMetaObject::invokeMethod(window, "slot_reloadOrderBook", Qt::QueuedConnection, Q_ARG(int, paper::fine));
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
            loop.exec();
        };
        conn()->take();
        window->slot_reloadOrderBook(paper::eurobond);
        conn()->onRequest = nullptr;
        QVERIFY(ran);
        QCOMPARE(conn()->take(), QStringList({"unsubscribe 10 301", "getOrderBook 303"}));
        QCOMPARE(window->paperID(), int(paper::eurobond));
        QVERIFY(window->mutex()->tryLock());
        window->mutex()->unlock();
        converter()->snapshotOrderBook(paper::eurobond, bookJson);
        QCOMPARE(window->model()->rowCount(), 6);
        // The next drop works.
        window->slot_reloadOrderBook(paper::fine);
        QCOMPARE(conn()->take(), QStringList({"unsubscribe 10 303", "getOrderBook 304"}));
    }

    void errorBeforeTheSnapshot()
    {
        kuOrderBook book;
        book.setPaper(paper::share);
        QSignalSpy closed(&book, &kuWindowBase::on_closeWindow);
        bool boxShown = false;
        QTimer::singleShot(0, [&] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                boxShown = true;
                box->close();
            }
        });
        converter()->error(wtOrderBook, "Нет такого инструмента", paper::share);
        QVERIFY(boxShown);
        QCOMPARE(closed.count(), 1);
        QCOMPARE(conn()->take(), QStringList({"getOrderBook 301", "unsubscribe 10 301"}));
    }

    void colourDialog()
    {
        kuOrderBookSetting dialog;
        auto* bid = dialog.findChild<kuColorButton*>("bidColorBtn");
        auto* offer = dialog.findChild<kuColorButton*>("offerColorBtn");
        QPushButton* restore =
                dialog.findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::RestoreDefaults);
        QCOMPARE(dialog.windowTitle(), QString("Изменение цветов в стакане"));
        QVERIFY(!(dialog.windowFlags() & Qt::WindowContextHelpButtonHint));
        QCOMPARE(bid->color(), defaultBidColor);
        QCOMPARE(offer->color(), defaultOfferColor);
        QVERIFY(!restore->isEnabled());

        dialog.setOfferColor(Qt::blue);
        QVERIFY(restore->isEnabled());
        restore->click();
        QCOMPARE(dialog.bidColor(), defaultBidColor);
        QCOMPARE(dialog.offerColor(), defaultOfferColor);
        QVERIFY(!restore->isEnabled());
        // A colour picked with a button counts as well, both ways.
        bid->setColor(Qt::yellow);
        QVERIFY(restore->isEnabled());
        bid->setColor(defaultBidColor);
        QVERIFY(!restore->isEnabled());
    }

    void depthDialog_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("depth");
        for (const char* locale : {"C", "ru_RU", "en_US"}) {
            QTest::addRow("%s, whole", locale) << QString(locale) << "7" << int(Qt::Key_Return) << 7;
            QTest::addRow("%s, with a comma", locale) << QString(locale) << "5,0" << int(Qt::Key_Return) << 20;
            QTest::addRow("%s, with a point", locale) << QString(locale) << "5.5" << int(Qt::Key_Return) << 20;
        }
        QTest::newRow("above the maximum") << "C"
                                           << "25" << int(Qt::Key_Return) << 20;
        QTest::newRow("letters") << "C"
                                 << "1x" << int(Qt::Key_Return) << 20;
        QTest::newRow("cancelled") << "C"
                                   << "7" << int(Qt::Key_Escape) << 20;
    }

    // "Глубина стакана" takes a whole number typed in any locale; a fraction or anything else keeps the depth
    // and the dialog open.
    void depthDialog()
    {
        QFETCH(QString, locale);
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(int, depth);
        const DefaultLocale defaultLocale(locale);
        kuOrderBook book;
        QCOMPARE(book.depth(), 20);
        QString title;
        bool stayedOpen = false;
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            QVERIFY(dialog);
            title = dialog->windowTitle();
            QApplication::setActiveWindow(dialog);
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            auto* field = dialog->findChild<QDoubleSpinBox*>();
            QVERIFY(field);
            QCOMPARE(field->text(), QString("20"));
            field->setFocus();
            field->selectAll();
            QTest::keyClicks(field, typed);
            QTest::keyClick(field, Qt::Key(key));
            // A refused entry is said in the dialog, which stays open.
            stayedOpen = dialog->isVisible();
            if (dialog->isVisible())
                dialog->close();
        });
        book.slot_changeDepth();
        QCOMPARE(title, QString("Глубина стакана"));
        QCOMPARE(book.depth(), depth);
        QCOMPARE(stayedOpen, key == Qt::Key_Return && depth == 20);
    }

    void colourDialogOnTheWindow_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("bidColor");
        QTest::newRow("Ok") << int(QDialogButtonBox::Ok) << QString("#0000ff");
        QTest::newRow("Cancel") << int(QDialogButtonBox::Cancel) << QString("#010203");
    }

    void colourDialogOnTheWindow()
    {
        QFETCH(int, button);
        QFETCH(QString, bidColor);
        kuOrderBook book;
        book.setBidColor("#010203");
        bool restoreEnabled = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<kuOrderBookSetting*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->bidColor(), QColor("#010203"));
            auto* box = dialog->findChild<QDialogButtonBox*>("buttonBox");
            restoreEnabled = box->button(QDialogButtonBox::RestoreDefaults)->isEnabled();
            dialog->setBidColor(Qt::blue);
            box->button(QDialogButtonBox::StandardButton(button))->click();
        });
        book.slot_changeColors();
        QVERIFY(restoreEnabled);
        QCOMPARE(book.bidColor(), bidColor);
        QCOMPARE(book.offerColor(), defaultOfferColor.name());
        QVERIFY(!book.findChild<kuOrderBookSetting*>());
    }
};

QTEST_MAIN(tst_OrderBook)
#include "tst_orderbook.moc"
