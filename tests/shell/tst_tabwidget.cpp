#include "containerwidget.h"
#include "kuiconmanager.h"
#include "kutabbar.h"
#include "kutabwidget.h"
#include "kuworkspace.h"
#include "serverclock.h"
#include "testwindow.h"

#include <QInputDialog>
#include <QLabel>
#include <QMainWindow>
#include <QScreen>
#include <QMenu>
#include <QPointer>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QToolButton>
#include <QtTest>

class tst_TabWidget : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void firstWorkspaceBecomesCurrent();
    void namesAreElided();
    void indexesOutOfRangeAreIgnored_data();
    void indexesOutOfRangeAreIgnored();
    void onlyASecondTabIsClosable();
    void closingAsksAndDestroysThePage_data();
    void closingAsksAndDestroysThePage();
    void removingTheCurrentTabShowsItsNeighbour();
    void removeAllNeverAsks();
    void rename_data();
    void rename();
    void contextMenu_data();
    void contextMenu();
    void movingTabsMovesPages_data();
    void movingTabsMovesPages();
    void connectionStatus();
    void restoringTellsTheNextTry();
    void clockRunsAcrossMidnight();
    void mainWindowFitsTheScreen();

private:
    QStringList pageOrder() const;

    QPointer<kuTabWidget> tabs;
};

namespace {

QLabel* label(kuTabWidget* tabs, const char* name)
{
    return tabs->findChild<QLabel*>(QLatin1String(name));
}

QImage statusImage(const QString& name)
{
    return kuIconManager::pixmap(name).scaled(20, 20, Qt::KeepAspectRatio, Qt::FastTransformation).toImage();
}

// Runs the next popup menu: records its entries and triggers the one named, or closes it.
void answerNextMenu(QStringList* entries, const QString& choose = QString())
{
    QTimer::singleShot(0, [entries, choose] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        QAction* chosen = nullptr;
        for (QAction* action : menu->actions()) {
            entries->append(action->text());
            if (action->text() == choose)
                chosen = action;
        }
        if (chosen) {
            menu->setActiveAction(chosen);
            QTest::keyClick(menu, Qt::Key_Return);
        } else {
            menu->close();
        }
    });
}

// Answers the next input dialog; records the text it started with.
void answerNextInput(const QString& text, bool accept, QString* initial)
{
    QTimer::singleShot(0, [text, accept, initial] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        *initial = dialog->textValue();
        dialog->setTextValue(text);
        if (accept)
            dialog->accept();
        else
            dialog->reject();
    });
}

} // namespace

void tst_TabWidget::init()
{
    tabs = new kuTabWidget();
    tabs->resize(1000, 600);
}

void tst_TabWidget::cleanup()
{
    delete tabs.data();
}

QStringList tst_TabWidget::pageOrder() const
{
    QStringList names;
    for (int i = 0; i < tabs->count(); ++i)
        names << tabs->workSpace(i)->objectName() + "=" + tabs->tabName(i);
    return names;
}

void tst_TabWidget::firstWorkspaceBecomesCurrent()
{
    QCOMPARE(tabs->count(), 0);
    QVERIFY(!tabs->currentWorkSpace());
    QSignalSpy changed(tabs.data(), &kuTabWidget::currentChanged);

    QCOMPARE(tabs->newWorkSpace(), 0);
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(tabs->currentWorkSpace(), tabs->workSpace(0));
    QCOMPARE(tabs->newWorkSpace(), 1);
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(tabs->currentWorkSpace(), tabs->workSpace(0));
    QCOMPARE(tabs->tabName(0), QStringLiteral("Рабочий стол №1"));
    QCOMPARE(tabs->tabName(1), QStringLiteral("Рабочий стол №2"));
    QCOMPARE(changed.count(), 0);

    // A click on a tab switches the page and tells the main window.
    tabs->tabBar()->setCurrentIndex(1);
    QCOMPARE(tabs->currentWorkSpace(), tabs->workSpace(1));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toInt(), 1);
    tabs->setCurrentIndex(1);
    QCOMPARE(changed.count(), 1);

    // The add button names the new one after its position.
    tabs->findChild<QToolButton*>("addWorkSpaceButton")->click();
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->tabName(2), QStringLiteral("Рабочий стол №3"));
}

void tst_TabWidget::namesAreElided()
{
    const QString longName = QString("Рабочая область для облигаций ").repeated(3);
    auto* page = new kuWorkSpace(tabs);
    const int index = tabs->addWorkSpace(page, longName);
    QCOMPARE(tabs->workSpace(index), page);
    QCOMPARE(tabs->tabName(index), longName);
    const QString text = tabs->tabBar()->tabText(index);
    QVERIFY(text.endsWith(QChar(0x2026)));
    const QFontMetrics metrics = tabs->tabBar()->fontMetrics();
    QVERIFY(metrics.horizontalAdvance(text) <= metrics.averageCharWidth() * 30);
    // The names the terminal gives read whole.
    for (const QString& name : {QStringLiteral("Рабочий стол"), QStringLiteral("Рабочий стол №12")}) {
        tabs->setTabName(index, name);
        QCOMPARE(tabs->tabBar()->tabText(index), name);
    }

    tabs->setTabName(index, "Акции");
    QCOMPARE(tabs->tabBar()->tabText(index), QStringLiteral("Акции"));
    QCOMPARE(tabs->tabName(index), QStringLiteral("Акции"));

    // Inserted pages keep their full name too.
    const int inserted = tabs->insertWorkSpace(0, new kuWorkSpace(tabs), longName);
    QCOMPARE(inserted, 0);
    QCOMPARE(tabs->tabName(0), longName);
    QCOMPARE(tabs->workSpace(1), page);
}

void tst_TabWidget::indexesOutOfRangeAreIgnored_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("below zero") << -1;
    QTest::newRow("count") << 2;
    QTest::newRow("beyond count") << 3;
}

void tst_TabWidget::indexesOutOfRangeAreIgnored()
{
    QFETCH(int, index);
    tabs->newWorkSpace();
    tabs->newWorkSpace();
    const QStringList before = pageOrder();
    QSignalSpy changed(tabs.data(), &kuTabWidget::currentChanged);

    tabs->setCurrentIndex(index);
    tabs->slot_tabMoved(0, index);
    tabs->slot_tabMoved(index, 0);
    tabs->setTabName(index, "x");
    tabs->setTabIcon(index, QIcon());
    tabs->removeTab(index);
    tabs->removeWorkSpace(index);
    tabs->renameWorkspace(index);

    QCOMPARE(changed.count(), 0);
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(pageOrder(), before);
    QVERIFY(!tabs->workSpace(index));
    QVERIFY(tabs->tabName(index).isEmpty());
}

void tst_TabWidget::onlyASecondTabIsClosable()
{
    tabs->newWorkSpace();
    QVERIFY(!tabs->tabBar()->tabsClosable());
    tabs->newWorkSpace();
    QVERIFY(tabs->tabBar()->tabsClosable());
    tabs->removeTab(1);
    QVERIFY(!tabs->tabBar()->tabsClosable());
}

void tst_TabWidget::closingAsksAndDestroysThePage_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::newRow("cancelled") << false;
    QTest::newRow("confirmed") << true;
}

void tst_TabWidget::closingAsksAndDestroysThePage()
{
    QFETCH(bool, confirm);
    tabs->newWorkSpace();
    tabs->newWorkSpace();
    QPointer<kuWorkSpace> page = tabs->workSpace(1);
    auto* chart = new TestWindow(wtChart, 4);
    auto* quotes = new TestWindow(wtQuotes);
    auto* orders = new TestWindow(wtOrders);
    QVERIFY(page->addWindow(chart, "chart", "chart"));
    QVERIFY(page->addWindow(quotes, "kuQuotes", "quotes"));
    QVERIFY(page->addWindow(orders, "kuOrders", "orders"));
    page->container()->hideSectionContent(page->sectionContent("kuOrders"));
    QPointer<TestWindow> watched = chart;
    int unsubscribed = 0;
    for (TestWindow* w : {chart, quotes, orders})
        w->unsubscribeCount = &unsubscribed;

    BoxAnswer answer(confirm ? QMessageBox::Ok : QMessageBox::Cancel);
    emit tabs->tabBar()->tabCloseRequested(1);
    QVERIFY(answer.asked);
    if (!confirm) {
        QCOMPARE(tabs->count(), 2);
        QVERIFY(page);
        QCOMPARE(unsubscribed, 0);
        for (TestWindow* w : {chart, quotes, orders})
            w->unsubscribeCount = nullptr;
        return;
    }
    QCOMPARE(tabs->count(), 1);
    QCOMPARE(tabs->findChild<QStackedWidget*>()->count(), 1);
    QVERIFY(!page);
    QVERIFY(!watched);
    // Every window, the hidden orders window too, stopped its stream before it went.
    QCOMPARE(unsubscribed, 3);
}

void tst_TabWidget::removingTheCurrentTabShowsItsNeighbour()
{
    for (int i = 0; i < 3; ++i)
        tabs->newWorkSpace();
    tabs->setCurrentIndex(1);
    kuWorkSpace* right = tabs->workSpace(2);
    QSignalSpy changed(tabs.data(), &kuTabWidget::currentChanged);
    tabs->removeTab(1);
    QCOMPARE(tabs->count(), 2);
    QCOMPARE(tabs->currentWorkSpace(), tabs->workSpace(tabs->currentIndex()));
    QCOMPARE(tabs->currentWorkSpace(), right);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toInt(), tabs->currentIndex());

    tabs->removeTab(0);
    QCOMPARE(tabs->currentWorkSpace(), right);
    QCOMPARE(tabs->currentIndex(), 0);
}

void tst_TabWidget::removeAllNeverAsks()
{
    for (int i = 0; i < 3; ++i)
        tabs->newWorkSpace();
    auto* chart = new TestWindow(wtChart);
    QVERIFY(tabs->workSpace(2)->addWindow(chart, "chart", "chart"));
    int unsubscribed = 0;
    chart->unsubscribeCount = &unsubscribed;
    BoxAnswer answer(QMessageBox::Cancel);
    tabs->removeAllWorkSpace();
    QVERIFY(!answer.asked);
    QCOMPARE(tabs->count(), 0);
    QVERIFY(!tabs->currentWorkSpace());
    QCOMPARE(unsubscribed, 1);
}

void tst_TabWidget::rename_data()
{
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("accepted") << true << "Облигации"
                              << "Облигации";
    QTest::newRow("accepted empty") << true << ""
                                    << "";
    QTest::newRow("cancelled") << false << "Облигации"
                               << "Рабочий стол №2";
}

void tst_TabWidget::rename()
{
    QFETCH(bool, accept);
    QFETCH(QString, typed);
    tabs->newWorkSpace();
    tabs->newWorkSpace();
    QString initial;
    answerNextInput(typed, accept, &initial);
    tabs->renameWorkspace(1);
    QCOMPARE(initial, QStringLiteral("Рабочий стол №2"));
    QTEST(tabs->tabName(1), "expected");
    QCOMPARE(tabs->tabName(0), QStringLiteral("Рабочий стол №1"));
}

void tst_TabWidget::contextMenu_data()
{
    QTest::addColumn<int>("tabCount");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("one tab") << 1 << QStringList{"Переименовать рабочую область"};
    QTest::newRow("two tabs") << 2 << QStringList{"Закрыть рабочую область", "Переименовать рабочую область"};
}

void tst_TabWidget::contextMenu()
{
    QFETCH(int, tabCount);
    for (int i = 0; i < tabCount; ++i)
        tabs->newWorkSpace();
    tabs->show();
    QVERIFY(QTest::qWaitForWindowExposed(tabs));
    const QPoint inTab = tabs->tabBar()->tabRect(tabCount - 1).center();

    QStringList entries;
    answerNextMenu(&entries);
    tabs->slot_showContextMenu(inTab);
    QTEST(entries, "entries");

    // The close entry asks first, like the close button.
    if (tabCount > 1) {
        entries.clear();
        BoxAnswer answer(QMessageBox::Ok);
        answerNextMenu(&entries, "Закрыть рабочую область");
        tabs->slot_showContextMenu(inTab);
        QVERIFY(answer.asked);
        QCOMPARE(tabs->count(), tabCount - 1);
    }

    // Nowhere near a tab, or at the bar's own origin: no menu.
    for (const QPoint& pos : {QPoint(0, 0), QPoint(tabs->tabBar()->width() + 50, 1)}) {
        entries.clear();
        answerNextMenu(&entries);
        tabs->slot_showContextMenu(pos);
        QCoreApplication::processEvents();
        QVERIFY(entries.isEmpty());
    }
}

void tst_TabWidget::movingTabsMovesPages_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::newRow("third before second") << 2 << 1;
    QTest::newRow("third to the front") << 2 << 0;
    QTest::newRow("first to the end") << 0 << 3;
}

void tst_TabWidget::movingTabsMovesPages()
{
    QFETCH(int, from);
    QFETCH(int, to);
    for (int i = 0; i < 4; ++i) {
        tabs->newWorkSpace();
        tabs->workSpace(i)->setObjectName(QString("page%1").arg(i + 1));
    }
    tabs->setCurrentIndex(2);
    tabs->tabBar()->moveTab(from, to);
    // Tab i and page i still describe the same workspace.
    for (int i = 0; i < tabs->count(); ++i)
        QCOMPARE(tabs->workSpace(i)->objectName(), QString("page%1").arg(tabs->tabName(i).back()));
    QCOMPARE(tabs->currentWorkSpace(), tabs->workSpace(tabs->currentIndex()));
    QCOMPARE(tabs->currentWorkSpace()->objectName(), QStringLiteral("page3"));
}

void tst_TabWidget::connectionStatus()
{
    QVERIFY(tabs->status());
    QLabel* status = label(tabs, "statusLabel");
    QCOMPARE(status->pixmap()->size(), QSize(20, 20));
    QCOMPARE(status->pixmap()->toImage(), statusImage("online.png"));
    tabs->setStatus(false);
    QVERIFY(!tabs->status());
    QCOMPARE(status->pixmap()->toImage(), statusImage("offline.png"));
    QVERIFY(statusImage("online.png") != statusImage("offline.png"));
    tabs->setStatus(true);
    QCOMPARE(status->pixmap()->toImage(), statusImage("online.png"));
}

// The row tells, on the clock beside it, when the next try to restore the connection is.
void tst_TabWidget::restoringTellsTheNextTry()
{
    QLabel* restore = label(tabs, "restoreLabel");
    QVERIFY(restore->isHidden());
    QVERIFY(setServerDateTime(QDate(2026, 12, 9), QTime(23, 59, 30)));
    tabs->setRestoring(true, 45000);
    QVERIFY(!restore->isHidden());
    QCOMPARE(restore->text(),
             QStringLiteral("Идет восстановление соединения с сервером. Следующая попытка в 00:00:15"));
    tabs->setRestoring(true, -1);
    QCOMPARE(restore->text(), QStringLiteral("Идет восстановление соединения с сервером..."));
    tabs->setRestoring(false, -1);
    QVERIFY(restore->isHidden());
}

void tst_TabWidget::clockRunsAcrossMidnight()
{
    QLabel* clock = label(tabs, "clockLabel");
    QVERIFY(setServerDateTime(QDate(2026, 12, 9), QTime(12, 0, 0)));
    tabs->setCurrentTime();
    QCOMPARE(clock->text(), QStringLiteral("12:00:00"));

    QVERIFY(setServerDateTime(QDate(2026, 12, 9), QTime(23, 59, 59)));
    // One tick of the widget's own one-second timer.
    QTRY_COMPARE_WITH_TIMEOUT(serverDate(), QDate(2026, 12, 10), 5000);
    QVERIFY(clock->text().startsWith(QStringLiteral("00:00:0")));

    // A time reply resets the clock.
    QVERIFY(setServerDateTime(QDate(2026, 12, 10), QTime(9, 30, 0)));
    tabs->setCurrentTime();
    QCOMPARE(clock->text(), QStringLiteral("09:30:00"));
}

QTEST_MAIN(tst_TabWidget)
// However much a layout's windows ask for, the main window around the tabs never asks
// for more than the screen has.
void tst_TabWidget::mainWindowFitsTheScreen()
{
    QMainWindow main;
    auto* own = new kuTabWidget;
    main.setCentralWidget(own);
    own->newWorkSpace();
    kuWorkSpace* workspace = own->currentWorkSpace();
    QVERIFY(workspace);
    // As a docking state restored from a file can stack them: nine in one column.
    for (int i = 0; i < 9; ++i) {
        auto* window = new TestWindow(wtOrderBook, i + 1);
        window->setMinimumSize(500, 400);
        const auto content = ads::SectionContent::newSectionContent(QString::number(i), workspace->container(),
                                                                    new QLabel(QString::number(i)), window);
        QVERIFY(workspace->container()->addSectionContent(content, nullptr, ads::BottomDropArea));
    }
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    const QSize available = main.screen()->availableGeometry().size();
    QTRY_VERIFY(main.minimumSize().isValid());
    QVERIFY2(main.minimumSize().width() <= available.width() && main.minimumSize().height() <= available.height(),
             qPrintable(QStringLiteral("%1x%2 on %3x%4")
                                .arg(main.minimumSize().width())
                                .arg(main.minimumSize().height())
                                .arg(available.width())
                                .arg(available.height())));
}

#include "tst_tabwidget.moc"
