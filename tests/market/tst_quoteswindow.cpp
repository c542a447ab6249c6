#include <QAction>
#include <QHeaderView>
#include <QJsonArray>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

#include "fakesession.h"
#include "kuaccount.h"
#include "kuclient.h"
#include "kuordermanager.h"
#include "kuquotes.h"
#include "kuquotesitem.h"
#include "kuquotesmodel.h"
#include "kuquotesproxymodel.h"
#include "kuquotesview.h"
#include "marketfixture.h"

namespace {

QJsonObject savedWith(const QJsonArray& params)
{
    return QJsonObject{{"winType", 1},
                       {"paperID", 0},
                       {"settings", QJsonArray{QJsonObject{{"name", "quotesSetting"}, {"params", params}}}}};
}

QJsonObject param(const QString& name, const QJsonValue& value)
{
    return QJsonObject{{"name", name}, {"label", name}, {"value", value}};
}

QJsonValue savedParam(const QJsonObject& saved, const QString& name)
{
    const QJsonArray params = saved.value("settings").toArray().first().toObject().value("params").toArray();
    for (const QJsonValue& p : params) {
        if (p.toObject().value("name").toString() == name)
            return p.toObject().value("value");
    }
    return QJsonValue::Undefined;
}

QList<int> sortedIds(const QJsonArray& ids)
{
    QList<int> list;
    for (const QJsonValue& id : ids)
        list << id.toInt();
    std::sort(list.begin(), list.end());
    return list;
}

QStringList sortedRequests(QStringList requests)
{
    requests.sort();
    return requests;
}

QStringList menuTexts(QMenu* menu)
{
    QStringList texts;
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator())
            texts << action->text();
    }
    return texts;
}

QModelIndex rowOf(kuQuotes& window, int paperID)
{
    const QAbstractItemModel* model = window.view()->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, kuQuotesItem::colTicker);
        if (index.data(kuQuotesModel::PaperIDRole).toInt() == paperID)
            return index;
    }
    return {};
}

QList<int> hiddenColumns(kuQuotes& window)
{
    QList<int> hidden;
    for (int column = 0; column < window.view()->model()->columnCount(); ++column) {
        if (window.view()->isColumnHidden(column))
            hidden << column;
    }
    return hidden;
}

} // namespace

class tst_QuotesWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { addMarketPapers(); }

    void built()
    {
        FakeSession test;
        kuQuotes window;
        QCOMPARE(window.objectName(), QString("kuQuotes"));
        QCOMPARE(window.windowTitle(), QString("Котировки"));
        QCOMPARE(window.winType(), wtQuotes);
        QVERIFY(!window.isBusy());
        QCOMPARE(window.view()->model()->columnCount(), kuQuotesItem::columnCount + 1);
        QStringList texts;
        for (QAction* action : window.windowActions())
            texts << action->text();
        QCOMPARE(texts,
                 QStringList({"Добавить", "Удалить", "График", "Бирж. заявки", "Все сделки", "Панель управления"}));
        QVERIFY(test.conn()->requests.isEmpty());
    }

    // Unknown ids are kept and asked for; texts are skipped.
    void paperListRoundTrip()
    {
        FakeSession test;
        kuQuotes window;
        window.restoreSettings(
                savedWith({param("paperList", QJsonArray{5, 999, "x", 12}), param("showHideControlPanel", false)}));
        QCOMPARE(sortedRequests(test.conn()->take()), QStringList({"getQuotes 12", "getQuotes 5", "getQuotes 999"}));
        QCOMPARE(window.model()->rowCount(), 2);
        QVERIFY(window.findChild<QToolBar*>("quotesToolBar")->isHidden());
        QCOMPARE(hiddenColumns(window),
                 QList<int>({0, kuQuotesItem::colShortName, kuQuotesItem::colAccruedCoupon, kuQuotesItem::colNominal}));
        window.view()->horizontalHeader()->showSection(kuQuotesItem::colAccruedCoupon);

        const QJsonObject saved = window.saveSettings();
        QCOMPARE(saved.value("winType").toInt(), 1);
        QCOMPARE(saved.value("paperID").toInt(), 0);
        QCOMPARE(saved.value("settings").toArray().first().toObject().value("name").toString(),
                 QString("quotesSetting"));
        QCOMPARE(sortedIds(savedParam(saved, "paperList").toArray()), QList<int>({5, 12, 999}));
        QCOMPARE(savedParam(saved, "showHideControlPanel").toBool(), false);
        QVERIFY(!savedParam(saved, "columnState").toString().isEmpty());

        window.unsubscribe();
        QCOMPARE(sortedRequests(test.conn()->take()),
                 QStringList({"unsubscribe 1 12", "unsubscribe 1 5", "unsubscribe 1 999"}));
        // Only the streams went: the hidden window asks for its instruments again when shown.
        QCOMPARE(window.paperSet(), QSet<int>({5, 12, 999}));

        kuQuotes again;
        again.restoreSettings(saved);
        QCOMPARE(again.model()->rowCount(), 2);
        QVERIFY(again.findChild<QToolBar*>("quotesToolBar")->isHidden());
        // The saved bytes hold a hash, in no fixed order: compare what the header shows.
        QCOMPARE(hiddenColumns(again), QList<int>({0, kuQuotesItem::colShortName, kuQuotesItem::colNominal}));
    }

    // Each instrument is asked for once a session, and given back as often as it was asked for.
    void oneRequestPerSession()
    {
        FakeSession test;
        test.conn()->session = "S1";
        kuQuotes window;
        window.subscribe(paper::share);
        window.subscribe(paper::share); // added again
        window.subscribe(paper::sevn);
        window.subscribe(0); // chooser cancelled
        QCOMPARE(test.conn()->take(), QStringList({"getQuotes 5", "getQuotes 12"}));
        QCOMPARE(window.model()->rowCount(), 2);

        window.subscribe(); // live on this session
        QVERIFY(test.conn()->take().isEmpty());

        test.conn()->session = "S2"; // logged in again: the server forgot them
        window.subscribe();
        window.subscribe();
        QCOMPARE(sortedRequests(test.conn()->take()), QStringList({"getQuotes 12", "getQuotes 5"}));
        QCOMPARE(window.heldRequests(paper::share), 2);

        window.unsubscribe();
        QCOMPARE(sortedRequests(test.conn()->take()),
                 QStringList({"unsubscribe 1 12", "unsubscribe 1 12", "unsubscribe 1 5", "unsubscribe 1 5"}));
        window.unsubscribe();
        QVERIFY(test.conn()->take().isEmpty());

        // Shown again: each stream once more, the rows as they were, records taken again.
        window.subscribe();
        QCOMPARE(sortedRequests(test.conn()->take()), QStringList({"getQuotes 12", "getQuotes 5"}));
        QCOMPARE(window.model()->rowCount(), 2);
        test.converter()->updateQuotes(5, R"({"paperID": 5, "last": 13})");
        QCOMPARE(rowOf(window, paper::share).siblingAtColumn(kuQuotesItem::colLast).data().toString(),
                 QString("13.00"));
    }

    void recordsOfTheSetOnly()
    {
        FakeSession test;
        kuQuotes window;
        window.subscribe(paper::share);
        test.converter()->snapshotQuotes(5, R"({"paperID": 5, "last": 10})");
        test.converter()->updateQuotes(12, R"({"paperID": 12, "last": 11})"); // not in the window
        test.converter()->updateQuotes(5, R"({"paperID": 5, "last": 12})");
        QCOMPARE(rowOf(window, paper::share).siblingAtColumn(kuQuotesItem::colLast).data().toString(),
                 QString("12.00"));
        QCOMPARE(window.model()->rowCount(), 1);
    }

    // The rows are sorted anew once the records that came together are in.
    void sortedAfterUpdates()
    {
        FakeSession test;
        kuQuotes window;
        window.subscribe(paper::share);
        window.subscribe(paper::sevn);
        window.view()->sortByColumn(kuQuotesItem::colLast, Qt::AscendingOrder);
        auto shown = [&window] {
            QList<int> ids;
            for (int row = 0; row < window.view()->model()->rowCount(); ++row)
                ids << window.view()->model()->index(row, 1).data(kuQuotesModel::PaperIDRole).toInt();
            return ids;
        };
        test.converter()->updateQuotes(5, R"({"paperID": 5, "last": 10})");
        test.converter()->updateQuotes(12, R"({"paperID": 12, "last": 20})");
        QTRY_COMPARE(shown(), QList<int>({5, 12}));
        test.converter()->updateQuotes(5, R"({"paperID": 5, "last": 30})");
        QTRY_COMPARE(shown(), QList<int>({12, 5}));
        window.subscribe(paper::bond);
        QTRY_COMPARE(shown(), QList<int>({123, 12, 5}));
    }

    // However often the window subscribes, one record changes its row once.
    void noAddedHandler()
    {
        FakeSession test;
        test.conn()->session = "S1";
        kuQuotes window;
        window.subscribe(paper::share);
        window.subscribe();
        test.conn()->session = "S2";
        window.subscribe();
        window.subscribe(paper::sevn);
        QSignalSpy changed(window.model(), &QAbstractItemModel::dataChanged);
        test.converter()->updateQuotes(5, R"({"paperID": 5, "last": 12})");
        test.converter()->snapshotQuotes(5, R"({"paperID": 5, "last": 13})");
        QCOMPARE(changed.count(), 2);
    }

    void removeRow()
    {
        FakeSession test;
        kuQuotes window;
        window.subscribe(paper::share);
        window.subscribe(paper::sevn);
        test.conn()->take();
        window.view()->setCurrentIndex(rowOf(window, paper::sevn));
        window.remove();
        QCOMPARE(test.conn()->take(), QStringList({"unsubscribe 1 12"}));
        QCOMPARE(window.paperSet(), QSet<int>({5}));
        QCOMPARE(window.model()->rowCount(), 1);
        window.view()->setCurrentIndex(QModelIndex());
        window.remove();
        QVERIFY(test.conn()->take().isEmpty());
    }

    void contextMenu_data()
    {
        QTest::addColumn<bool>("overRow");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("empty space") << false << QStringList{"Настройка столбцов", "Панель управления", "Добавить"};
        QTest::newRow("row") << true
                             << QStringList{"Настройка столбцов", "Панель управления", "Добавить", "Удалить", "График",
                                            "Бирж. заявки",       "Все сделки"};
    }

    void contextMenu()
    {
        QFETCH(bool, overRow);
        QFETCH(QStringList, texts);
        FakeSession test;
        kuQuotes window;
        window.subscribe(paper::share);
        window.resize(800, 300);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QPoint pos = overRow ? window.view()->visualRect(rowOf(window, paper::share)).center()
                                   : QPoint(5, window.view()->viewport()->height() - 5);
        std::unique_ptr<QMenu> menu(window.buildContextMenu(pos));
        QCOMPARE(menuTexts(menu.get()), texts);
    }

    // A double click runs order entry with the instrument, one lot and the cell's price.
    void doubleClickOpensOrderEntry_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<double>("price");
        QTest::newRow("offer") << int(kuQuotesItem::colSell) << 101.3;
        QTest::newRow("ticker") << int(kuQuotesItem::colTicker) << 101.25;
    }

    void doubleClickOpensOrderEntry()
    {
        QFETCH(int, column);
        QFETCH(double, price);
        FakeSession test;
        kuAccount::instance()->clear();
        kuAccount::instance()->addAccount("ACC1", true, 1, {1}); // trades on the instruments' exchange
        kuOrderManager::registerWithClient();
        QVERIFY(kuClient::instance());
        kuQuotes window;
        window.subscribe(paper::share);
        test.converter()->snapshotQuotes(5, R"({"paperID": 5, "buy": 101.2, "sell": 101.3, "last": 101.25})");
        int seenPaper = 0;
        double seenLots = 0;
        double seenPrice = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<kuOrderManager*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            seenPaper = dialog->paperID();
            seenLots = dialog->lotAmount();
            seenPrice = dialog->price();
            dialog->reject();
        });
        timer.start(5);
        window.slot_createOrder(rowOf(window, paper::share).siblingAtColumn(column));
        QCOMPARE(seenPaper, int(paper::share));
        QCOMPARE(seenLots, 1.0);
        QCOMPARE(seenPrice, price);
    }

    // Delete removes a quote only while the focus is in the quotes window, tool bar shown or not.
    void deleteScope()
    {
        FakeSession test;
        QWidget top;
        auto* layout = new QVBoxLayout(&top);
        auto* other = new QPushButton("Другое окно", &top);
        auto* window = new kuQuotes;
        layout->addWidget(other);
        layout->addWidget(window); // embedded as a docked window is, no longer a window of its own
        window->subscribe(paper::share);
        window->subscribe(paper::sevn);
        window->setShowHideControlPanel(false);
        top.resize(800, 400);
        top.show();
        QApplication::setActiveWindow(&top);
        QVERIFY(QTest::qWaitForWindowActive(&top));
        window->view()->setCurrentIndex(rowOf(*window, paper::share));

        other->setFocus();
        QTest::keyClick(other, Qt::Key_Delete);
        QCOMPARE(window->model()->rowCount(), 2);

        window->view()->setFocus();
        QTest::keyClick(window->view(), Qt::Key_Delete);
        QCOMPARE(window->model()->rowCount(), 1);
        QCOMPARE(window->paperSet(), QSet<int>({12}));
    }

    // The unsubscribe requests block in a nested loop where queued records and a close run.
    void noHangInsideUnsubscribe()
    {
        FakeSession test;
        kuQuotes window;
        window.subscribe(paper::share);
        window.subscribe(paper::sevn);
        test.conn()->take();
        int inside = 0;
        test.conn()->onRequest = [&](const QString& request) {
            if (!request.startsWith("unsubscribe"))
                return;
            ++inside;
            window.slot_updateQuotes(5, CannedConverter::object(R"({"paperID": 5, "last": 7})"));
            window.unsubscribe();
        };
        window.unsubscribe();
        test.conn()->onRequest = nullptr;
        QCOMPARE(inside, 2);
        QCOMPARE(test.conn()->take().size(), 2);
        QCOMPARE(window.heldRequests(paper::share) + window.heldRequests(paper::sevn), 0);
    }

    void foreignErrorsIgnored()
    {
        FakeSession test;
        kuQuotes window;
        window.subscribe(paper::share);
        QSignalSpy closed(&window, &kuWindowBase::on_closeWindow);
        test.converter()->error(wtQuotes, "чужой", paper::sevn);
        test.converter()->error(wtOrderBook, "чужой", paper::share);
        QCOMPARE(closed.count(), 0);
    }
    // Records repaint only the cells they change: what the screen shows is
    // what a whole repaint would paint, round after round of moving rows.
    void screenShowsTheRecords()
    {
        FakeSession test;
        kuQuotes window;
        const QList<int> ids{paper::share, paper::sevn, paper::bond, paper::bigLot, paper::fourDigits};
        for (int id : ids)
            window.subscribe(id);
        window.view()->sortByColumn(kuQuotesItem::colChange, Qt::DescendingOrder);
        window.resize(1200, 300);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QWidget* viewport = window.view()->viewport();
        window.view()->setCurrentIndex(window.view()->model()->index(1, kuQuotesItem::colBuy));
        auto shownAsPainted = [&window, viewport] {
            const QPoint at = viewport->mapTo(&window, QPoint());
            const QImage shown =
                    window.windowHandle()
                            ->screen()
                            ->grabWindow(window.winId(), at.x(), at.y(), viewport->width(), viewport->height())
                            .toImage()
                            .convertToFormat(QImage::Format_RGB32);
            const QImage painted = viewport->grab().toImage().convertToFormat(QImage::Format_RGB32);
            return shown == painted;
        };
        QTRY_VERIFY(shownAsPainted());
        const QList<QList<double>> rounds{{101, 99, 100, 100.5, 98},
                                          {99, 101, 100, 100.5, 97},
                                          {99, 101, 100.2, 100.5, 97},
                                          {99, 101, 100.2, 100.5, 97},
                                          {97, 102, 100.2, 96, 103}};
        for (const QList<double>& lasts : rounds) {
            for (int i = 0; i < ids.size(); ++i) {
                const double last = lasts.at(i);
                test.converter()->updateQuotes(
                        ids.at(i), QStringLiteral(R"({"paperID": %1, "price": 100, "last": %2, "buy": %3, "sell": %4,
                                                     "volume": %5})")
                                           .arg(ids.at(i))
                                           .arg(last)
                                           .arg(last - 0.1)
                                           .arg(last + 0.1)
                                           .arg(int(last * 10))
                                           .toUtf8());
            }
            QCoreApplication::processEvents();
            QTRY_VERIFY(shownAsPainted());
        }
        // A row taken out leaves no trace below the others.
        window.view()->setCurrentIndex(window.view()->model()->index(0, kuQuotesItem::colTicker));
        window.remove();
        QTRY_VERIFY(shownAsPainted());
    }
};

QTEST_MAIN(tst_QuotesWindow)
#include "tst_quoteswindow.moc"
