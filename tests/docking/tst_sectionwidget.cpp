#include <QtTest>

#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>

#include "dockingtest.h"
#include "sectioncontentwidget.h"
#include "sectiontitlewidget.h"

using namespace ads;
using namespace dockingtest;

class tst_SectionWidget : public QObject
{
    Q_OBJECT

private slots:
    void takeContentPicksNextTab_data();
    void takeContentPicksNextTab();
    void moveContent_data();
    void moveContent();
    void tabsMenu();
    void closeButtonHidesCurrentContent();
    void wheelScrollsTitleRow();
    void styleHooks();

private:
    // One section holding a, b, c (a current unless asked otherwise).
    SectionWidget* threeTabs(ContainerWidget& c, int current)
    {
        SectionWidget* sw = c.addSectionContent(makeContent(&c, "a"));
        c.addSectionContent(makeContent(&c, "b"), sw, CenterDropArea);
        c.addSectionContent(makeContent(&c, "c"), sw, CenterDropArea);
        sw->setCurrentIndex(current);
        return sw;
    }
};

void tst_SectionWidget::takeContentPicksNextTab_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("taken");
    QTest::addColumn<QString>("expected");

    QTest::newRow("active first") << 0 << 0 << "b*+c";
    QTest::newRow("active middle") << 1 << 1 << "a*+c";
    QTest::newRow("active last") << 2 << 2 << "a+b*";
    QTest::newRow("inactive before current") << 2 << 0 << "b+c*";
    QTest::newRow("inactive after current") << 0 << 2 << "a*+b";
}

void tst_SectionWidget::takeContentPicksNextTab()
{
    QFETCH(int, current);
    QFETCH(int, taken);
    QFETCH(QString, expected);

    ContainerWidget c;
    SectionWidget* sw = threeTabs(c, current);
    const SectionContent::RefPtr sc = sw->contents().at(taken);

    InternalContentData data;
    QVERIFY(sw->takeContent(sc->uid(), data));
    QCOMPARE(data.content, sc);
    QVERIFY(data.titleWidget && data.contentWidget);
    QCOMPARE(data.titleWidget->parentWidget(), &c);
    QCOMPARE(data.contentWidget->parentWidget(), &c);
    QCOMPARE(tree(sw), expected);
    QCOMPARE(sw->tabsMenu()->actions().size(), 2);
    // Exactly the current tab is active.
    for (int i = 0; i < sw->contentCount(); ++i)
        QCOMPARE(sw->titleAt(i)->isActiveTab(), i == sw->currentIndex());

    QVERIFY(!sw->takeContent(sc->uid(), data));
    delete data.titleWidget;
    delete data.contentWidget;
}

void tst_SectionWidget::moveContent_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("expected");

    QTest::newRow("first to last") << 0 << 2 << "b+c+a*";
    QTest::newRow("last to first") << 2 << 0 << "c+a*+b";
    QTest::newRow("onto itself") << 1 << 1 << "a*+b+c";
    QTest::newRow("past the end") << 0 << 3 << "a*+b+c";
    QTest::newRow("released over no title") << 1 << -1 << "a*+b+c";
}

void tst_SectionWidget::moveContent()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, expected);

    ContainerWidget c;
    SectionWidget* sw = threeTabs(c, 0);
    const bool valid = from != to && to >= 0 && to < 3;
    if (!valid)
        QTest::ignoreMessage(QtDebugMsg, qPrintable(QString("Invalid index for tab movement %1 %2").arg(from).arg(to)));
    sw->moveContent(from, to);
    QCOMPARE(tree(sw), expected);

    // Titles, pages and the menu follow the same order.
    const QList<QAction*> actions = sw->tabsMenu()->actions();
    for (int i = 0; i < sw->contentCount(); ++i) {
        const SectionContent::RefPtr sc = sw->contents().at(i);
        QCOMPARE(sw->titleAt(i)->content(), sc);
        QCOMPARE(actions.at(i)->text(), sc->uniqueName());
    }
    QCOMPARE(sw->contents().at(sw->currentIndex())->uniqueName(), QString("a"));
}

void tst_SectionWidget::tabsMenu()
{
    ContainerWidget c;
    SectionWidget* sw = threeTabs(c, 0);
    sw->contents().at(1)->setTitle("Котировки");

    // Titles are read when the menu opens.
    emit sw->tabsMenu()->aboutToShow();
    const QList<QAction*> actions = sw->tabsMenu()->actions();
    QCOMPARE(actions.size(), 3);
    QCOMPARE(actions.at(0)->text(), QString("a"));
    QCOMPARE(actions.at(1)->text(), QString("Котировки"));
    QCOMPARE(actions.at(2)->text(), QString("c"));

    actions.at(2)->trigger();
    QCOMPARE(sw->currentIndex(), 2);

    QTest::ignoreMessage(QtWarningMsg, "void ads::SectionWidget::setCurrentIndex(qint32) Invalid index 5");
    sw->setCurrentIndex(5);
    QCOMPARE(sw->currentIndex(), 2);
}

void tst_SectionWidget::closeButtonHidesCurrentContent()
{
    ContainerWidget c;
    c.resize(400, 300);
    c.show();
    SectionWidget* sw = threeTabs(c, 1);
    SectionContent::RefPtr b = sw->contents().at(1);
    b->setFlags(SectionContent::KeptWhenHidden);
    QSignalSpy visibility(&c, &ContainerWidget::sectionContentVisibilityChanged);

    sw->findChild<QToolButton*>("closeButton")->click();
    QCOMPARE(visibility.count(), 1);
    QCOMPARE(tree(sw), QString("a*+c"));
    QCOMPARE(b->visibilityState(), int(SectionContent::Hidden));

    // Closing the last tabs takes the section away while its button is still in the click.
    sw->findChild<QToolButton*>("closeButton")->click();
    QPointer<SectionWidget> guard = sw;
    sw->findChild<QToolButton*>("closeButton")->click();
    QVERIFY(c.sections().isEmpty());
    QTRY_VERIFY(!guard);
}

void tst_SectionWidget::wheelScrollsTitleRow()
{
    ContainerWidget c;
    SectionWidget* sw = c.addSectionContent(makeContent(&c, "t0"));
    for (int i = 1; i < 12; ++i)
        c.addSectionContent(makeContent(&c, QString("a rather long title %1").arg(i)), sw, CenterDropArea);
    c.resize(200, 150);
    c.show();
    QVERIFY(QTest::qWaitForWindowExposed(&c));

    auto* area = sw->findChild<QScrollArea*>();
    QScrollBar* bar = area->horizontalScrollBar();
    QVERIFY(bar->maximum() > 60);
    bar->setValue(30);

    const QPoint at = area->viewport()->rect().center();
    QWheelEvent down(at, area->viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(area->viewport(), &down);
    QCOMPARE(bar->value(), 50);
    QWheelEvent up(at, area->viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
    QApplication::sendEvent(area->viewport(), &up);
    QApplication::sendEvent(area->viewport(), &up);
    QCOMPARE(bar->value(), 10);
}

// The application style sheet addresses these by name.
void tst_SectionWidget::styleHooks()
{
    ContainerWidget c;
    SectionWidget* sw = c.addSectionContent(makeContent(&c, "a"));
    QVERIFY(sw->findChild<QWidget*>("tabsContainerWidget"));
    auto* menuButton = sw->findChild<QToolButton*>("tabsMenuButton");
    QVERIFY(menuButton);
    QCOMPARE(menuButton->popupMode(), QToolButton::MenuButtonPopup);
    auto* close = sw->findChild<QToolButton*>("closeButton");
    QVERIFY(close);
    QCOMPARE(close->toolTip(), QString("Закрыть"));
    QVERIFY(sw->titleAt(0)->property("activeTab").toBool());
}

QTEST_MAIN(tst_SectionWidget)
#include "tst_sectionwidget.moc"
