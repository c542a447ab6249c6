#include "kuconnectionmanager.h"
#include "kuicontitlewidget.h"
#include "kulightboxwidget.h"
#include "kuqueuedmessagetoolbar.h"
#include "kuqueuedmessagewidget.h"
#include "kuworkspace.h"
#include "testwindow.h"

#include "dockingtest.h"
#include "fakesession.h"

#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QUuid>
#include <QtTest>

class tst_WorkSpace : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void addWindow_data();
    void addWindow();
    void sameNameNeverTwice();
    void hiddenKeptWindowComesBack();
    void closingASection_data();
    void closingASection();
    void windowAsksToClose();
    void titleAndIconFollowTheWindow();
    void windowStatesLeaveHiddenOut();
    void subscribeWindows();
    void closedWindowsGo();
    void placement_data();
    void placement();
    void dockStateRoundTrip();
    void dockStateWithoutWindows();
    void hideWindows();
    void closeWindowsUnsubscribesEachOnce();
    void postMessage();
    void windowBaseErrors_data();
    void windowBaseErrors();
    void windowBaseBasics();

private:
    QPointer<kuWorkSpace> ws;
};

namespace {

QLabel* titleLabel(const ads::SectionContent::RefPtr& sc)
{
    return sc->titleWidget()->findChild<QLabel*>(QStringLiteral("titleLabel"));
}

QLabel* iconLabel(const ads::SectionContent::RefPtr& sc)
{
    return sc->titleWidget()->findChild<QLabel*>(QStringLiteral("iconLabel"));
}

QString chartName()
{
    return QUuid::createUuid().toString();
}

} // namespace

void tst_WorkSpace::init()
{
    ws = new kuWorkSpace();
    ws->resize(800, 600);
}

void tst_WorkSpace::cleanup()
{
    delete ws.data();
}

void tst_WorkSpace::addWindow_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("flags");
    QTest::newRow("quotes") << int(wtQuotes) << 6;
    QTest::newRow("orders") << int(wtOrders) << 6;
    QTest::newRow("trades") << int(wtTrades) << int(ads::SectionContent::KeptWhenHidden);
    QTest::newRow("chart") << int(wtChart) << int(ads::SectionContent::DefaultFlags);
    QTest::newRow("order book") << int(wtOrderBook) << int(ads::SectionContent::DefaultFlags);
    QTest::newRow("portfolio") << int(wtPortfolio) << int(ads::SectionContent::DefaultFlags);
}

void tst_WorkSpace::addWindow()
{
    QFETCH(int, type);
    auto* window = new TestWindow(WinType(type));
    QVERIFY(!ws->containsWindow("w"));
    QVERIFY(ws->addWindow(window, "w", "Окно"));
    QVERIFY(ws->containsWindow("w"));
    const auto sc = ws->sectionContent("w");
    QVERIFY(sc);
    QCOMPARE(sc->contentWidget(), window);
    QCOMPARE(sc->title(), QStringLiteral("Окно"));
    QTEST(sc->flags(), "flags");
    QVERIFY(qobject_cast<kuIconTitleWidget*>(sc->titleWidget()));
    QCOMPARE(titleLabel(sc)->text(), QStringLiteral("Окно"));
    QVERIFY(!iconLabel(sc)->isHidden());
    QVERIFY(!ws->sectionContent("other"));
}

void tst_WorkSpace::sameNameNeverTwice()
{
    QVERIFY(ws->addWindow(new TestWindow(wtChart), chartName(), "a"));
    QVERIFY(ws->addWindow(new TestWindow(wtChart), chartName(), "b"));
    QCOMPARE(ws->container()->contents().size(), 2);

    QVERIFY(ws->addWindow(new TestWindow(wtChart), "chart", "c"));
    auto* second = new TestWindow(wtChart);
    QVERIFY(!ws->addWindow(second, "chart", "c"));
    QCOMPARE(ws->container()->contents().size(), 3);
    delete second;

    // A closed chart keeps its name until it goes: no second content, no abort.
    ws->container()->hideSectionContent(ws->sectionContent("chart"));
    auto* third = new TestWindow(wtChart);
    QVERIFY(!ws->addWindow(third, "chart", "c"));
    delete third;

    auto* unnamed = new TestWindow(wtChart);
    QVERIFY(!ws->addWindow(unnamed, QString(), "x"));
    QVERIFY(!ws->addWindow(nullptr, "y", "y"));
    delete unnamed;
}

void tst_WorkSpace::hiddenKeptWindowComesBack()
{
    auto* quotes = new TestWindow(wtQuotes);
    QVERIFY(ws->addWindow(quotes, "kuQuotes", "Котировки"));
    const auto sc = ws->sectionContent("kuQuotes");
    QVERIFY(ws->container()->hideSectionContent(sc));
    QVERIFY(!ws->container()->isSectionContentVisible(sc));

    // Hidden, the quotes give their streams back; shown again, they take them again.
    QCOMPARE(quotes->unsubscribed, 1);
    QCOMPARE(quotes->subscribed, 0);
    QVERIFY(!quotes->signalsBlocked());

    auto* again = new TestWindow(wtQuotes);
    QVERIFY(!ws->addWindow(again, "kuQuotes", "Котировки"));
    delete again;
    QVERIFY(ws->container()->isSectionContentVisible(sc));
    QCOMPARE(sc->contentWidget(), quotes);
    QCOMPARE(quotes->unsubscribed, 1);
    QCOMPARE(quotes->subscribed, 1);
}

void tst_WorkSpace::closingASection_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("endsStreams");
    QTest::newRow("chart") << int(wtChart) << true << true;
    QTest::newRow("order book") << int(wtOrderBook) << true << true;
    QTest::newRow("orders") << int(wtOrders) << false << false;
    // Kept for showing again, but without its streams meanwhile.
    QTest::newRow("quotes") << int(wtQuotes) << false << true;
}

void tst_WorkSpace::closingASection()
{
    QFETCH(int, type);
    QFETCH(bool, closes);
    QFETCH(bool, endsStreams);
    auto* window = new TestWindow(WinType(type), 42);
    QVERIFY(ws->addWindow(window, "w", "w"));
    int titleChanges = 0;
    connect(window, &QWidget::windowTitleChanged, this, [&] { ++titleChanges; });

    QVERIFY(ws->container()->hideSectionContent(ws->sectionContent("w")));
    QCOMPARE(window->unsubscribed, endsStreams ? 1 : 0);
    QCOMPARE(window->signalsBlocked(), closes);
    // Cut before the request goes out, so nothing arrives for a closed window.
    QCOMPARE(window->blockedWhenUnsubscribed, closes);
    window->setWindowTitle("new");
    QCOMPARE(titleChanges, closes ? 0 : 1);
}

void tst_WorkSpace::windowAsksToClose()
{
    auto* chart = new TestWindow(wtChart);
    auto* orders = new TestWindow(wtOrders);
    QVERIFY(ws->addWindow(chart, "chart", "chart"));
    QVERIFY(ws->addWindow(orders, "kuOrders", "orders"));
    emit chart->on_closeWindow();
    emit orders->on_closeWindow();
    QVERIFY(!ws->container()->isSectionContentVisible(ws->sectionContent("chart")));
    QVERIFY(!ws->container()->isSectionContentVisible(ws->sectionContent("kuOrders")));
    QCOMPARE(chart->unsubscribed, 1);
    QCOMPARE(orders->unsubscribed, 0);
}

void tst_WorkSpace::titleAndIconFollowTheWindow()
{
    auto* window = new TestWindow(wtChart);
    QVERIFY(ws->addWindow(window, "w", "short"));
    const auto sc = ws->sectionContent("w");
    QLabel* title = titleLabel(sc);
    QLabel* icon = iconLabel(sc);

    const QString longTitle = QString("График ").repeated(20);
    window->setWindowTitle(longTitle);
    QCOMPARE(sc->title(), longTitle);
    QCOMPARE(title->toolTip(), longTitle);
    QVERIFY(title->text().endsWith(QChar(0x2026)));
    QVERIFY(title->fontMetrics().horizontalAdvance(title->text()) <= 128);
    QVERIFY(!title->isHidden());

    window->setWindowTitle(QString());
    QVERIFY(title->isHidden());
    QVERIFY(title->toolTip().isEmpty());
    QVERIFY(sc->title().isEmpty());

    QPixmap red(32, 32);
    red.fill(Qt::red);
    window->setWindowIcon(QIcon(red));
    QVERIFY(!icon->isHidden());
    QCOMPARE(icon->pixmap()->size(), QSize(16, 16));
    auto* direct = qobject_cast<kuIconTitleWidget*>(sc->titleWidget());
    direct->setIcon(QIcon());
    QVERIFY(icon->isHidden());
}

void tst_WorkSpace::windowStatesLeaveHiddenOut()
{
    QVERIFY(ws->addWindow(new TestWindow(wtChart, 7), "c1", "c1"));
    QVERIFY(ws->addWindow(new TestWindow(wtOrders), "kuOrders", "o"));
    QVERIFY(ws->addWindow(new TestWindow(wtOrderBook, 9), "b1", "b1"));
    auto* plain = new QLabel("not a trading window");
    ws->container()->addSectionContent(
            ads::SectionContent::newSectionContent("plain", ws->container(), new QLabel("p"), plain));
    ws->container()->hideSectionContent(ws->sectionContent("kuOrders"));

    const QList<QJsonObject> states = ws->windowStates();
    QCOMPARE(states.size(), 2);
    QCOMPARE(states.at(0).value("objectName").toString(), QStringLiteral("c1"));
    QCOMPARE(states.at(0).value("winType").toInt(), int(wtChart));
    QCOMPARE(states.at(0).value("paperID").toInt(), 7);
    QCOMPARE(states.at(1).value("objectName").toString(), QStringLiteral("b1"));
    QCOMPARE(states.at(1).value("paperID").toInt(), 9);
}

void tst_WorkSpace::subscribeWindows()
{
    auto* a = new TestWindow(wtChart);
    auto* b = new TestWindow(wtQuotes);
    QVERIFY(ws->addWindow(a, "a", "a"));
    QVERIFY(ws->addWindow(b, "kuQuotes", "b"));
    ws->container()->addSectionContent(
            ads::SectionContent::newSectionContent("plain", ws->container(), new QLabel("p"), new QLabel("p")));

    ws->subscribeWindows("kuQuotes");
    QCOMPARE(a->subscribed, 0);
    QCOMPARE(b->subscribed, 1);
    ws->subscribeWindows("plain");
    ws->subscribeWindows();
    QCOMPARE(a->subscribed, 1);
    QCOMPARE(b->subscribed, 2);
}

// A closed window is never subscribed again and goes with its content; a
// hidden single window stays for showing again.
void tst_WorkSpace::closedWindowsGo()
{
    QPointer<TestWindow> chart = new TestWindow(wtChart, 5);
    QPointer<TestWindow> quotes = new TestWindow(wtQuotes);
    QVERIFY(ws->addWindow(chart, "chart", "chart"));
    QVERIFY(ws->addWindow(quotes, "kuQuotes", "quotes"));
    QPointer<TestWindow> orders = new TestWindow(wtOrders);
    QVERIFY(ws->addWindow(orders, "kuOrders", "orders"));
    ws->container()->hideSectionContent(ws->sectionContent("chart"));
    ws->container()->hideSectionContent(ws->sectionContent("kuQuotes"));
    ws->container()->hideSectionContent(ws->sectionContent("kuOrders"));
    ws->subscribeWindows();
    QCOMPARE(chart->subscribed, 0);
    // Hidden quotes take their streams again only when shown; hidden orders keep theirs going.
    QCOMPARE(quotes->subscribed, 0);
    QCOMPARE(orders->subscribed, 1);
    QVERIFY(ws->container()->showSectionContent(ws->sectionContent("kuQuotes")));
    QCOMPARE(quotes->subscribed, 1);

    QTRY_VERIFY(!chart);
    QVERIFY(!ws->containsWindow("chart"));
    QVERIFY(quotes);
    QVERIFY(ws->containsWindow("kuQuotes"));
    // The name is free again, as a layout restored twice needs.
    QVERIFY(ws->addWindow(new TestWindow(wtChart, 5), "chart", "chart"));
}

// Each new window goes beside the roomiest section, halving its longer side, while both
// halves keep what they need; after that it becomes a tab of the roomiest section.
void tst_WorkSpace::placement_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("windows");
    QTest::addColumn<QString>("tree");
    QTest::newRow("one") << QSize(960, 520) << 1 << "H[w1]";
    QTest::newRow("second beside the first") << QSize(960, 520) << 2 << "H[w1,w2]";
    QTest::newRow("third under the roomier half") << QSize(960, 520) << 3 << "H[V[w1,w3],w2]";
    QTest::newRow("fourth under the other half") << QSize(960, 520) << 4 << "H[V[w1,w3],V[w2,w4]]";
    QTest::newRow("nine on a wide screen") << QSize(1600, 900) << 9
                                           << "H[V[H[V[w1,w9],w5],H[w3,w6]],V[H[w2,w7],H[w4,w8]]]";
    QTest::newRow("tall area stacks") << QSize(400, 900) << 2 << "H[V[w1,w2]]";
    // Tabs go where they share with the fewest, the new one in front.
    QTest::newRow("no room: tabs") << QSize(400, 300) << 3 << "H[w1+w2+w3*]";
    QTest::newRow("nine in a small window") << QSize(800, 440) << 9
                                            << "H[V[w1+w5+w9*,w3+w6*],V[w2+w7*,w4+w8*]]";
}

void tst_WorkSpace::placement()
{
    QFETCH(QSize, size);
    QFETCH(int, windows);
    QFETCH(QString, tree);
    ws->show();
    QVERIFY(QTest::qWaitForWindowExposed(ws));
    // The message bar and the frame take the difference.
    ws->resize(size + ws->size() - ws->container()->size());
    QTRY_COMPARE(ws->container()->size(), size);
    for (int i = 1; i <= windows; ++i) {
        auto* window = new TestWindow(wtOrderBook, i);
        const QString name = QStringLiteral("w%1").arg(i);
        QVERIFY(ws->addWindow(window, name, name));
        QCoreApplication::processEvents();
    }
    QCOMPARE(dockingtest::layoutTree(ws->container()), tree);
    // No window is made smaller than the least a window can show in.
    for (ads::SectionWidget* section : ws->container()->sections()) {
        QTRY_VERIFY(section->width() > 0);
        QVERIFY2(section->width() >= 240 && section->height() >= 180,
                 qPrintable(QStringLiteral("%1x%2").arg(section->width()).arg(section->height())));
    }
}

void tst_WorkSpace::dockStateRoundTrip()
{
    const QStringList names{"kuQuotes", "chart", "book"};
    const QList<WinType> types{wtQuotes, wtChart, wtOrderBook};
    for (int i = 0; i < names.size(); ++i)
        QVERIFY(ws->addWindow(new TestWindow(types.at(i)), names.at(i), names.at(i)));
    // A hidden window is not part of the saved layout.
    QVERIFY(ws->container()->hideSectionContent(ws->sectionContent("kuQuotes")));
    const QString layout = dockingtest::layoutTree(ws->container());
    QCOMPARE(layout, QStringLiteral("H[book,chart]"));

    // The main window keeps the state as Base64 text and restores it after the windows exist again.
    const QString saved = QString::fromLatin1(ws->saveDockState().toBase64());
    QVERIFY(!saved.isEmpty());

    kuWorkSpace restored;
    restored.resize(800, 600);
    QVERIFY(!restored.restoreDockState(QByteArray::fromBase64(saved.toLatin1())));
    // Only the saved windows are made again, in another order: the state places them by name.
    const QList<QJsonObject> states = ws->windowStates();
    QCOMPARE(states.size(), 2);
    for (int i = 0; i < states.size(); ++i) {
        const QString name = states.at(i).value("objectName").toString();
        const auto type = WinType(states.at(i).value("winType").toInt());
        QVERIFY(restored.addWindow(new TestWindow(type), name, name));
    }
    QCOMPARE(dockingtest::layoutTree(restored.container()), QStringLiteral("H[chart,book]"));
    QVERIFY(restored.restoreDockState(QByteArray::fromBase64(saved.toLatin1())));
    QCOMPARE(dockingtest::layoutTree(restored.container()), layout);

    // Damaged bytes are refused without harm.
    QVERIFY(!restored.restoreDockState(QByteArray("not a state")));
    QCOMPARE(restored.container()->contents().size(), 2);
}

void tst_WorkSpace::dockStateWithoutWindows()
{
    QVERIFY(ws->saveDockState().isEmpty());
    QVERIFY(ws->addWindow(new TestWindow(wtOrders), "kuOrders", "o"));
    QVERIFY(!ws->saveDockState().isEmpty());
    ws->hideWindows();
    QVERIFY(ws->saveDockState().isEmpty());
}

void tst_WorkSpace::hideWindows()
{
    auto* chart = new TestWindow(wtChart);
    auto* trades = new TestWindow(wtTrades);
    QVERIFY(ws->addWindow(chart, "chart", "chart"));
    QVERIFY(ws->addWindow(trades, "kuTrades", "trades"));
    ws->hideWindows();
    QCOMPARE(ws->container()->visibleContentCount(), 0);
    QCOMPARE(chart->unsubscribed, 1);
    QCOMPARE(trades->unsubscribed, 0);
    QCOMPARE(ws->sectionContent("kuTrades")->visibilityState(), int(ads::SectionContent::Hidden));
}

void tst_WorkSpace::closeWindowsUnsubscribesEachOnce()
{
    auto* visibleChart = new TestWindow(wtChart);
    auto* closedChart = new TestWindow(wtChart);
    auto* visibleQuotes = new TestWindow(wtQuotes);
    auto* hiddenOrders = new TestWindow(wtOrders);
    QVERIFY(ws->addWindow(visibleChart, "c1", "c1"));
    QVERIFY(ws->addWindow(closedChart, "c2", "c2"));
    QVERIFY(ws->addWindow(visibleQuotes, "kuQuotes", "q"));
    QVERIFY(ws->addWindow(hiddenOrders, "kuOrders", "o"));
    ws->container()->hideSectionContent(ws->sectionContent("c2"));
    ws->container()->hideSectionContent(ws->sectionContent("kuOrders"));
    QCOMPARE(closedChart->unsubscribed, 1);
    QCOMPARE(hiddenOrders->unsubscribed, 0);

    ws->closeWindows();
    ws->closeWindows();
    for (TestWindow* w : {visibleChart, closedChart, visibleQuotes, hiddenOrders}) {
        QCOMPARE(w->unsubscribed, 1);
        QVERIFY(w->blockedWhenUnsubscribed);
    }
}

void tst_WorkSpace::postMessage()
{
    kuQueuedMessageWidget* widget = ws->messageBar()->messageWidget();
    QVERIFY(ws->messageBar()->isHidden());
    ws->postMessage(QString(), QPixmap(), 5000);
    QCOMPARE(widget->count(), 0);

    QPixmap pixmap(8, 8);
    pixmap.fill(Qt::blue);
    ws->postMessage("Поручение отправлено", pixmap, 0);
    QCOMPARE(widget->count(), 1);
    const kuQueuedMessage message = widget->currentMessage();
    QCOMPARE(message.text, QStringLiteral("Поручение отправлено"));
    QCOMPARE(message.timeout, 0);
    QCOMPARE(message.pixmap.cacheKey(), pixmap.cacheKey());
    QCOMPARE(message.buttons, (kuQueuedMessage::Buttons{{QDialogButtonBox::Ok, QString()}}));
    ws->show();
    QTRY_VERIFY(!ws->messageBar()->isHidden());
}

void tst_WorkSpace::windowBaseErrors_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("paper");
    QTest::addColumn<bool>("firstSnapshotShown");
    QTest::addColumn<bool>("acts");
    QTest::newRow("own stream and instrument") << int(wtOrderBook) << 5 << true << true;
    QTest::newRow("other instrument") << int(wtOrderBook) << 6 << false << false;
    QTest::newRow("other stream") << int(wtLastTrades) << 5 << false << false;
    QTest::newRow("no instrument while waiting") << int(wtOrderBook) << -100 << false << true;
    QTest::newRow("no instrument once shown") << int(wtOrderBook) << -100 << true << false;
}

void tst_WorkSpace::windowBaseErrors()
{
    QFETCH(int, type);
    QFETCH(int, paper);
    QFETCH(bool, firstSnapshotShown);
    QFETCH(bool, acts);
    auto* window = new TestWindow(wtOrderBook, 5);
    // Ahead of the workspace, whose answer cuts every connection of the window.
    QSignalSpy closing(window, &kuWindowBase::on_closeWindow);
    QVERIFY(ws->addWindow(window, "book", "book"));
    if (firstSnapshotShown)
        window->hideLightBox();

    BoxAnswer answer(QMessageBox::Close);
    window->slot_showError(WinType(type), "Ошибка сервера", paper);
    QCOMPARE(answer.asked, acts);
    QCOMPARE(closing.count(), acts ? 1 : 0);
    QCOMPARE(ws->container()->isSectionContentVisible(ws->sectionContent("book")), !acts);
    if (acts) {
        QVERIFY(!window->isBusy());
        QVERIFY(window->findChild<kuLightBoxWidget*>()->isHidden());
    }
}

void tst_WorkSpace::windowBaseBasics()
{
    FakeSession session;
    TestWindow window(wtChart, 3);
    auto* cover = window.findChild<kuLightBoxWidget*>();
    QVERIFY(cover);
    QVERIFY(!cover->isHidden());
    QVERIFY(window.isBusy());
    window.hideLightBox();
    QVERIFY(cover->isHidden());
    window.showLightBox();
    QVERIFY(!cover->isHidden());

    const QJsonObject settings = window.saveSettings();
    QCOMPARE(settings.value("winType").toInt(), int(wtChart));
    QCOMPARE(settings.value("paperID").toInt(), 3);

    // Cut as sender and as receiver of the converter's data.
    int received = 0;
    connect(&window, &kuWindowBase::on_closeWindow, this, [&] { ++received; });
    QPointer<kuAbstractDataConverter> converter = kuConnectionManager::instance()->dataConverter();
    QVERIFY(converter);
    connect(converter, &kuAbstractDataConverter::on_syncDateTime, &window, &kuWindowBase::showLightBox);
    window.hideLightBox();
    QVERIFY(window.disconnectAll());
    QVERIFY(window.signalsBlocked());
    window.blockSignals(false);
    emit window.on_closeWindow();
    emit converter->on_syncDateTime();
    QCOMPARE(received, 0);
    QVERIFY(!window.isBusy());
    QVERIFY(!window.disconnectAll());

    // The base gives back only what the window holds (tst_windowbase): this one never asked for data.
    window.kuWindowBase::unsubscribe();
    QCOMPARE(session.conn()->take(), QStringList());
}

QTEST_MAIN(tst_WorkSpace)
#include "tst_workspace.moc"
